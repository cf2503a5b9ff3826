#include "zarvo/chrono/zh/zh_deadline_format_parser.h"

#include <gtest/gtest.h>

#include "zarvo/chrono/test_util.h"

namespace zarvo::chrono {
namespace {

using namespace testing;
using U = ComponentUnit;

class ZHDeadlineFormatParserTest : public ::testing::TestWithParam<PhraseRow> {};

TEST_P(ZHDeadlineFormatParserTest, Reads) {
  const PhraseRow& row = GetParam();
  const auto results = expectParserReads<ZHDeadlineFormatParser>(row, TagUnit::zhHantDeadlineFormatParser);
}

// Monday 11 March 2024, 10:00.
const LocalTime kMonday{2024, 3, 11, 10, 0};

ComponentMap clock(int64_t h, int64_t m, int64_t s) { return {{U::hour, h}, {U::minute, m}, {U::second, s}}; }

INSTANTIATE_TEST_SUITE_P(
    Deadlines, ZHDeadlineFormatParserTest,
    ::testing::Values(
        PhraseRow{.text = u"三天之後", .ref = kMonday, .index = 0, .phrase = u"三天之後", .known = dayWith(2024, 3, 14),
                  .implied = {{U::hour, 12}}},
        PhraseRow{.text = u"交報告 3日后", .ref = kMonday, .index = 4, .phrase = u"3日后", .known = dayWith(2024, 3, 14)},
        PhraseRow{.text = u"幾天内", .ref = kMonday, .index = 0, .phrase = u"幾天内", .known = dayWith(2024, 3, 14)},
        PhraseRow{.text = u"兩個星期後", .ref = kMonday, .index = 0, .phrase = u"兩個星期後", .known = dayWith(2024, 3, 25)},
        PhraseRow{.text = u"3個月內", .ref = kMonday, .index = 0, .phrase = u"3個月內", .known = dayWith(2024, 6, 11)},
        // Half a month is half the days of the reference's month: 31 / 2 = 15 in March.
        PhraseRow{.text = u"半個月後", .ref = kMonday, .index = 0, .phrase = u"半個月後", .known = dayWith(2024, 3, 26)},
        PhraseRow{.text = u"一年后", .ref = kMonday, .index = 0, .phrase = u"一年后", .known = dayWith(2025, 3, 11)},
        // Hours and shorter state the clock; the date stays implied.
        PhraseRow{.text = u"半小時內", .ref = kMonday, .index = 0, .phrase = u"半小時內", .known = clock(10, 30, 0),
                  .implied = dayWith(2024, 3, 11)},
        PhraseRow{.text = u"5分鐘後", .ref = kMonday, .index = 0, .phrase = u"5分鐘後", .known = clock(10, 5, 0)},
        PhraseRow{.text = u"十秒鐘後", .ref = kMonday, .index = 0, .phrase = u"十秒鐘後", .known = clock(10, 0, 10)},
        PhraseRow{.text = u"十四小时后", .ref = kMonday, .index = 0, .phrase = u"十四小时后", .known = clock(0, 0, 0),
                  .implied = dayWith(2024, 3, 12)},
        // A distance without "after" or "within" is not a deadline.
        PhraseRow{.text = u"三天", .ref = kMonday, .found = false},
        // Digits of other scripts match "\d" but are not read.
        PhraseRow{.text = u"３天後", .ref = kMonday, .found = false}));

}  // namespace
}  // namespace zarvo::chrono
