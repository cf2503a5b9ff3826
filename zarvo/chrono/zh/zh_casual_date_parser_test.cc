#include "zarvo/chrono/zh/zh_casual_date_parser.h"

#include <gtest/gtest.h>

#include "zarvo/chrono/test_util.h"

namespace zarvo::chrono {
namespace {

using namespace testing;
using U = ComponentUnit;

class ZHCasualDateParserTest : public ::testing::TestWithParam<PhraseRow> {};

TEST_P(ZHCasualDateParserTest, Reads) { expectParserReads<ZHCasualDateParser>(GetParam(), TagUnit::zhHantCasualDateParser); }

// Monday 11 March 2024, 10:00.
const LocalTime kMonday{2024, 3, 11, 10, 0};

INSTANTIATE_TEST_SUITE_P(
    Phrases, ZHCasualDateParserTest,
    ::testing::Values(
        PhraseRow{.text = u"今天", .ref = kMonday, .index = 0, .phrase = u"今天", .known = dayWith(2024, 3, 11),
                  .implied = {{U::hour, 12}}},
        PhraseRow{.text = u"交報告 明天下午", .ref = kMonday, .index = 4, .phrase = u"明天下午",
                  .known = dayWith(2024, 3, 12), .implied = {{U::hour, 15}, {U::meridiem, 1}}},
        PhraseRow{.text = u"明天，上午", .ref = kMonday, .index = 0, .phrase = u"明天，上午", .known = dayWith(2024, 3, 12),
                  .implied = {{U::hour, 6}}},
        PhraseRow{.text = u"今晚", .ref = kMonday, .index = 0, .phrase = u"今晚", .known = dayWith(2024, 3, 11),
                  .implied = {{U::hour, 22}, {U::meridiem, 1}}},
        PhraseRow{.text = u"昨日", .ref = {2024, 3, 1, 9, 0}, .index = 0, .phrase = u"昨日", .known = dayWith(2024, 2, 29)},
        PhraseRow{.text = u"聽日", .ref = kMonday, .index = 0, .phrase = u"聽日", .known = dayWith(2024, 3, 12)},
        // Until 02:00 "tomorrow" is the day that has just begun.
        PhraseRow{.text = u"明天", .ref = {2024, 3, 11, 1, 59}, .index = 0, .phrase = u"明天", .known = dayWith(2024, 3, 11)},
        PhraseRow{.text = u"明天", .ref = {2024, 3, 11, 2, 0}, .index = 0, .phrase = u"明天", .known = dayWith(2024, 3, 12)},
        // A part of the day alone is today.
        PhraseRow{.text = u"下午開會", .ref = kMonday, .index = 0, .phrase = u"下午", .known = dayWith(2024, 3, 11),
                  .implied = {{U::hour, 15}, {U::meridiem, 1}}},
        PhraseRow{.text = u"中午", .ref = kMonday, .index = 0, .phrase = u"中午", .known = dayWith(2024, 3, 11),
                  .implied = {{U::hour, 12}, {U::meridiem, 1}}},
        PhraseRow{.text = u"凌晨", .ref = kMonday, .index = 0, .phrase = u"凌晨", .known = dayWith(2024, 3, 11),
                  .implied = {{U::hour, 0}}},
        PhraseRow{.text = u"而家", .ref = {2024, 3, 11, 10, 15, 30, 250}, .index = 0, .phrase = u"而家",
                  .known = dayWith(2024, 3, 11),
                  .implied = {{U::hour, 10}, {U::minute, 15}, {U::second, 30}, {U::millisecond, 250}}},
        PhraseRow{.text = u"📞 立即", .ref = kMonday, .index = 3, .phrase = u"立即", .known = dayWith(2024, 3, 11),
                  .implied = {{U::hour, 10}, {U::minute, 0}}},
        // 明白 ("understood") is not tomorrow.
        PhraseRow{.text = u"明白", .ref = kMonday, .found = false}));

// "Now" takes the reference's millisecond as it stands: 10:15:30.250999 implies 250, not 251.
TEST(ZHCasualDateParserNowTest, KeepsTheReferenceMillisecond) {
  ScopedTimeZone zone("UTC");
  const Date ref = localDate(2024, 3, 11, 10, 15, 30, 250) + std::chrono::microseconds(999);
  const auto results = ZHCasualDateParser(false).execute(u"即刻", ref, {});
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].start().impliedValues().get(U::millisecond), 250);
}

}  // namespace
}  // namespace zarvo::chrono
