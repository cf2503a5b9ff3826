#include "zarvo/chrono/zh/zh_weekday_parser.h"

#include <gtest/gtest.h>

#include "zarvo/chrono/test_util.h"

namespace zarvo::chrono {
namespace {

using namespace testing;
using U = ComponentUnit;

class ZHWeekdayParserTest : public ::testing::TestWithParam<PhraseRow> {};

TEST_P(ZHWeekdayParserTest, Reads) {
  const PhraseRow& row = GetParam();
  const auto results = expectParserReads<ZHWeekdayParser>(row, TagUnit::zhHantWeekdayParser);
}

// Monday 11 March 2024, 10:00.
const LocalTime kMonday{2024, 3, 11, 10, 0};

ComponentMap weekdayOnMarch(int64_t weekday, int64_t day) {
  ComponentMap m = march(day);
  m.set(U::weekday, weekday);
  return m;
}

INSTANTIATE_TEST_SUITE_P(
    Weekdays, ZHWeekdayParserTest,
    ::testing::Values(
        // 上 and 下 fix the date; otherwise it is only implied.
        PhraseRow{.text = u"下星期一 交報告", .ref = kMonday, .index = 0, .phrase = u"下星期一",
                  .known = weekdayOnMarch(1, 18)},
        PhraseRow{.text = u"上個禮拜五", .ref = kMonday, .index = 0, .phrase = u"上個禮拜五",
                  .known = weekdayOnMarch(5, 8)},
        PhraseRow{.text = u"這星期三", .ref = kMonday, .index = 0, .phrase = u"這星期三", .known = {{U::weekday, 3}},
                  .implied = march(13)},
        PhraseRow{.text = u"今个礼拜六", .ref = kMonday, .index = 0, .phrase = u"今个礼拜六", .known = {{U::weekday, 6}},
                  .implied = march(16)},
        // Without a modifier, the nearest such weekday.
        PhraseRow{.text = u"星期天", .ref = kMonday, .index = 0, .phrase = u"星期天", .known = {{U::weekday, 0}},
                  .implied = march(10)},
        PhraseRow{.text = u"禮拜日", .ref = kMonday, .index = 0, .phrase = u"禮拜日", .known = {{U::weekday, 0}},
                  .implied = march(10)},
        PhraseRow{.text = u"礼拜四开会", .ref = kMonday, .index = 0, .phrase = u"礼拜四", .known = {{U::weekday, 4}},
                  .implied = march(14)},
        PhraseRow{.text = u"✅ 交報告 星期五", .ref = kMonday, .index = 6, .phrase = u"星期五",
                  .known = {{U::weekday, 5}}, .implied = march(8)},
        PhraseRow{.text = u"星期八", .ref = kMonday, .found = false},
        PhraseRow{.text = u"三個星期後", .ref = kMonday, .found = false}));

}  // namespace
}  // namespace zarvo::chrono
