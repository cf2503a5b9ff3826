// The Chinese parsers, each read alone over its phrase table.
#include "zarvo/chrono/zh/zh_casual_date_parser.h"
#include "zarvo/chrono/zh/zh_date_parser.h"
#include "zarvo/chrono/zh/zh_deadline_format_parser.h"
#include "zarvo/chrono/zh/zh_time_expression_parser.h"
#include "zarvo/chrono/zh/zh_weekday_parser.h"

#include <gtest/gtest.h>

#include "zarvo/chrono/phrase_test_util.h"

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
    ::testing::ValuesIn(std::vector<PhraseRow>{
        {.text = u"今天", .ref = kMonday, .phrase = u"今天", .known = march(11), .implied = {{U::hour, 12}}},
        {.text = u"交報告 明天下午", .ref = kMonday, .index = 4, .phrase = u"明天下午",
         .known = march(12), .implied = {{U::hour, 15}, {U::meridiem, 1}}},
        {.text = u"明天，上午", .ref = kMonday, .phrase = u"明天，上午", .known = march(12), .implied = {{U::hour, 6}}},
        {.text = u"今晚", .ref = kMonday, .phrase = u"今晚", .known = march(11),
         .implied = {{U::hour, 22}, {U::meridiem, 1}}},
        {.text = u"昨日", .ref = {2024, 3, 1, 9, 0}, .phrase = u"昨日", .known = dayWith(2024, 2, 29)},
        {.text = u"聽日", .ref = kMonday, .phrase = u"聽日", .known = march(12)},
        // Until 02:00 "tomorrow" is the day that has just begun.
        {.text = u"明天", .ref = {2024, 3, 11, 1, 59}, .phrase = u"明天", .known = march(11)},
        {.text = u"明天", .ref = {2024, 3, 11, 2, 0}, .phrase = u"明天", .known = march(12)},
        // A part of the day alone is today.
        {.text = u"下午開會", .ref = kMonday, .phrase = u"下午", .known = march(11),
         .implied = {{U::hour, 15}, {U::meridiem, 1}}},
        {.text = u"中午", .ref = kMonday, .phrase = u"中午", .known = march(11),
         .implied = {{U::hour, 12}, {U::meridiem, 1}}},
        {.text = u"凌晨", .ref = kMonday, .phrase = u"凌晨", .known = march(11), .implied = {{U::hour, 0}}},
        {.text = u"而家", .ref = {2024, 3, 11, 10, 15, 30, 250}, .phrase = u"而家", .known = march(11),
         .implied = {{U::hour, 10}, {U::minute, 15}, {U::second, 30}, {U::millisecond, 250}}},
        {.text = u"📞 立即", .ref = kMonday, .index = 3, .phrase = u"立即", .known = march(11),
         .implied = {{U::hour, 10}, {U::minute, 0}}},
        // 明白 ("understood") is not tomorrow.
        {.text = u"明白", .ref = kMonday, .found = false}}));

// "Now" takes the reference's millisecond as it stands: 10:15:30.250999 implies 250, not 251.
TEST(ZHCasualDateParserNowTest, KeepsTheReferenceMillisecond) {
  ScopedTimeZone zone("UTC");
  const Date ref = localDate(2024, 3, 11, 10, 15, 30, 250) + std::chrono::microseconds(999);
  const auto results = ZHCasualDateParser(false).execute(u"即刻", ref, {});
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].start().impliedValues().get(U::millisecond), 250);
}

class ZHDateParserTest : public ::testing::TestWithParam<PhraseRow> {};

TEST_P(ZHDateParserTest, Reads) { expectParserReads<ZHDateParser>(GetParam(), TagUnit::zhHantDateParser); }

INSTANTIATE_TEST_SUITE_P(
    Dates, ZHDateParserTest,
    ::testing::ValuesIn(std::vector<PhraseRow>{
        {.text = u"二零一六年十二月二十日", .ref = kMonday, .phrase = u"二零一六年十二月二十日", .known = dayWith(2016, 12, 20)},
        {.text = u"2016年12月25日", .ref = kMonday, .phrase = u"2016年12月25日", .known = dayWith(2016, 12, 25)},
        {.text = u"2016 年 3 月 5 日", .ref = kMonday, .phrase = u"2016 年 3 月 5 日", .known = dayWith(2016, 3, 5)},
        // Without a year the reference's year is implied (not the nearest one).
        {.text = u"十二月三日", .ref = kMonday, .phrase = u"十二月三日",
         .known = {{U::month, 12}, {U::day, 3}}, .implied = {{U::year, 2024}}},
        // The blanks before a date belong to the phrase, which has no leading-context group.
        {.text = u"交報告 12月25號", .ref = kMonday, .index = 3, .phrase = u" 12月25號",
         .known = {{U::month, 12}, {U::day, 25}}, .implied = {{U::year, 2024}}},
        {.text = u"廿五号", .ref = kMonday, .found = false},
        // A month alone: the reference's day is implied.
        {.text = u"三月", .ref = kMonday, .phrase = u"三月", .known = {{U::month, 3}},
         .implied = {{U::day, 11}, {U::year, 2024}}},
        // A day takes at most two characters: the third is left out of the phrase.
        {.text = u"十二月二十五日", .ref = kMonday, .phrase = u"十二月二十", .known = {{U::month, 12}, {U::day, 20}}},
        // Full-width digits match "\d" but are not read.
        {.text = u"１２月２５日", .ref = kMonday, .found = false},
        {.text = u"3個月", .ref = kMonday, .found = false}}));

class ZHDeadlineFormatParserTest : public ::testing::TestWithParam<PhraseRow> {};

TEST_P(ZHDeadlineFormatParserTest, Reads) { expectParserReads<ZHDeadlineFormatParser>(GetParam(), TagUnit::zhHantDeadlineFormatParser); }

ComponentMap clockWithSecond(int64_t h, int64_t m, int64_t s) { return {{U::hour, h}, {U::minute, m}, {U::second, s}}; }

INSTANTIATE_TEST_SUITE_P(
    Deadlines, ZHDeadlineFormatParserTest,
    ::testing::ValuesIn(std::vector<PhraseRow>{
        {.text = u"三天之後", .ref = kMonday, .phrase = u"三天之後", .known = march(14), .implied = {{U::hour, 12}}},
        {.text = u"交報告 3日后", .ref = kMonday, .index = 4, .phrase = u"3日后", .known = march(14)},
        {.text = u"幾天内", .ref = kMonday, .phrase = u"幾天内", .known = march(14)},
        {.text = u"兩個星期後", .ref = kMonday, .phrase = u"兩個星期後", .known = march(25)},
        {.text = u"3個月內", .ref = kMonday, .phrase = u"3個月內", .known = dayWith(2024, 6, 11)},
        // Half a month is half the days of the reference's month: 31 / 2 = 15 in March.
        {.text = u"半個月後", .ref = kMonday, .phrase = u"半個月後", .known = march(26)},
        {.text = u"一年后", .ref = kMonday, .phrase = u"一年后", .known = dayWith(2025, 3, 11)},
        // Hours and shorter state the clock; the date stays implied.
        {.text = u"半小時內", .ref = kMonday, .phrase = u"半小時內", .known = clockWithSecond(10, 30, 0), .implied = march(11)},
        {.text = u"5分鐘後", .ref = kMonday, .phrase = u"5分鐘後", .known = clockWithSecond(10, 5, 0)},
        {.text = u"十秒鐘後", .ref = kMonday, .phrase = u"十秒鐘後", .known = clockWithSecond(10, 0, 10)},
        {.text = u"十四小时后", .ref = kMonday, .phrase = u"十四小时后", .known = clockWithSecond(0, 0, 0), .implied = march(12)},
        // A distance without "after" or "within" is not a deadline.
        {.text = u"三天", .ref = kMonday, .found = false},
        // Digits of other scripts match "\d" but are not read.
        {.text = u"３天後", .ref = kMonday, .found = false}}));

class ZHTimeExpressionParserTest : public ::testing::TestWithParam<PhraseRow> {};

TEST_P(ZHTimeExpressionParserTest, Reads) {
  // Strict mode reads the same and only drops what is not a possible date.
  expectStrictKeepsThePossible<ZHTimeExpressionParser>(GetParam(), TagUnit::zhHantTimeExpressionParser);
}

const ComponentMap kToday{{U::year, 2024}, {U::month, 3}, {U::day, 11}};

ComponentMap onDay(int64_t day, ComponentMap m) {
  m.set(U::year, 2024);
  m.set(U::month, 3);
  m.set(U::day, day);
  return m;
}

INSTANTIATE_TEST_SUITE_P(
    Clocks, ZHTimeExpressionParserTest,
    ::testing::ValuesIn(std::vector<PhraseRow>{
        {.text = u"下午三點", .ref = kMonday, .phrase = u"下午三點", .known = clock(15, 0, 1), .implied = kToday},
        {.text = u"早上十二點", .ref = kMonday, .phrase = u"早上十二點", .known = clock(0, 0, 0)},
        {.text = u"晚上十二點", .ref = kMonday, .phrase = u"晚上十二點", .known = clock(12, 0, 1)},
        // Noon and night leave the clock as written; an hour before noon is then implied AM.
        {.text = u"夜晚十點", .ref = kMonday, .phrase = u"夜晚十點", .known = clock(10, 0), .implied = {{U::meridiem, 0}}},
        // A day word assigns its day.
        {.text = u"明天下午3點半", .ref = kMonday, .phrase = u"明天下午3點半", .known = onDay(12, clock(15, 30, 1))},
        {.text = u"今晚八點", .ref = kMonday, .phrase = u"今晚八點", .known = onDay(11, clock(20, 0, 1))},
        {.text = u"昨天 10點", .ref = kMonday, .phrase = u"昨天 10點", .known = onDay(10, clock(10, 0)),
         .implied = {{U::meridiem, 0}}},
        {.text = u"10點30分15秒", .ref = kMonday, .phrase = u"10點30分15秒",
         .known = {{U::hour, 10}, {U::minute, 30}, {U::second, 15}}, .implied = {{U::meridiem, 0}}},
        {.text = u"三點十五分", .ref = kMonday, .phrase = u"三點十五分", .known = clock(3, 15)},
        {.text = u"三点正", .ref = kMonday, .phrase = u"三点正", .known = clock(3, 0)},
        {.text = u"9：45", .ref = kMonday, .phrase = u"9：45", .known = clock(9, 45)},
        // A written marker decides over the part of the day.
        {.text = u"3點 pm", .ref = kMonday, .phrase = u"3點 pm", .known = clock(15, 0, 1)},
        {.text = u"下午3點AM", .ref = kMonday, .phrase = u"下午3點AM", .known = clock(3, 0, 0)},
        // A rejected match lets the scan read on one position later, so what remains of the digits is
        // read instead: "3點PM" after an hour above 12 under a marker, "5點" after an hour of 25.
        {.text = u"13點PM", .ref = kMonday, .index = 1, .phrase = u"3點PM", .known = clock(15, 0, 1)},
        {.text = u"25點", .ref = kMonday, .index = 1, .phrase = u"5點", .known = clock(5, 0)},
        // No blank is needed before a time in a script without spaces.
        {.text = u"交報告下午三點", .ref = kMonday, .index = 3, .phrase = u"下午三點", .known = clock(15, 0, 1)},
        {.text = u"10點60分", .ref = kMonday, .found = false},
        {.text = u"３點", .ref = kMonday, .found = false}}));

INSTANTIATE_TEST_SUITE_P(
    Ranges, ZHTimeExpressionParserTest,
    ::testing::ValuesIn(std::vector<PhraseRow>{
        // As in English: an end without its half of the day after a PM start lies in the night.
        {.text = u"下午三點到五點", .ref = kMonday, .phrase = u"下午三點到五點",
         .known = clock(15, 0, 1), .endKnown = clock(5, 0), .endImplied = {{U::meridiem, 0}, {U::day, 12}}},
        // An end marker settles the start's half of the day.
        {.text = u"三點到五點PM", .ref = kMonday, .phrase = u"三點到五點PM",
         .known = {{U::hour, 15}, {U::minute, 0}}, .implied = {{U::meridiem, 1}},
         .endKnown = clock(17, 0, 1), .endImplied = {{U::day, 11}}},
        {.text = u"下午三點至晚上九點", .ref = kMonday, .phrase = u"下午三點至晚上九點",
         .known = clock(15, 0, 1), .endKnown = clock(21, 0, 1)},
        {.text = u"晚上十一點到凌晨一點", .ref = kMonday, .phrase = u"晚上十一點到凌晨一點",
         .known = clock(23, 0, 1), .endKnown = clock(1, 0, 0), .endImplied = {{U::day, 12}}},
        {.text = u"從10點30分 - 11點", .ref = kMonday, .phrase = u"從10點30分 - 11點",
         .known = clock(10, 30), .endKnown = clock(11, 0), .endImplied = kToday},
        // The end takes the start's day unless it names its own.
        {.text = u"明天9點~11點", .ref = kMonday, .phrase = u"明天9點~11點",
         .known = onDay(12, clock(9, 0)), .endKnown = clock(11, 0), .endImplied = {{U::day, 12}}},
        {.text = u"今天下午三點到明天上午十點", .ref = kMonday, .index = 0,
         .phrase = u"今天下午三點到明天上午十點", .known = onDay(11, clock(15, 0, 1)),
         .endKnown = onDay(12, clock(10, 0, 0))},
        // An end minute out of range keeps the start alone, with an end that states nothing.
        {.text = u"三點到五點75分", .ref = kMonday, .phrase = u"三點", .known = clock(3, 0),
         .endKnown = ComponentMap{}, .endImplied = kToday},
        // An end hour of 25 rejects the whole match; the scan then only finds "5點" further on.
        {.text = u"三點到25點", .ref = kMonday, .index = 4, .phrase = u"5點", .known = clock(5, 0)}}));

class ZHWeekdayParserTest : public ::testing::TestWithParam<PhraseRow> {};

TEST_P(ZHWeekdayParserTest, Reads) { expectParserReads<ZHWeekdayParser>(GetParam(), TagUnit::zhHantWeekdayParser); }

ComponentMap weekdayOnMarch(int64_t weekday, int64_t day) {
  ComponentMap m = march(day);
  m.set(U::weekday, weekday);
  return m;
}

INSTANTIATE_TEST_SUITE_P(
    Weekdays, ZHWeekdayParserTest,
    ::testing::ValuesIn(std::vector<PhraseRow>{
        // 上 and 下 fix the date; otherwise it is only implied.
        {.text = u"下星期一 交報告", .ref = kMonday, .phrase = u"下星期一", .known = weekdayOnMarch(1, 18)},
        {.text = u"上個禮拜五", .ref = kMonday, .phrase = u"上個禮拜五", .known = weekdayOnMarch(5, 8)},
        {.text = u"這星期三", .ref = kMonday, .phrase = u"這星期三", .known = {{U::weekday, 3}}, .implied = march(13)},
        {.text = u"今个礼拜六", .ref = kMonday, .phrase = u"今个礼拜六", .known = {{U::weekday, 6}}, .implied = march(16)},
        // Without a modifier, the nearest such weekday.
        {.text = u"星期天", .ref = kMonday, .phrase = u"星期天", .known = {{U::weekday, 0}}, .implied = march(10)},
        {.text = u"禮拜日", .ref = kMonday, .phrase = u"禮拜日", .known = {{U::weekday, 0}}, .implied = march(10)},
        {.text = u"礼拜四开会", .ref = kMonday, .phrase = u"礼拜四", .known = {{U::weekday, 4}}, .implied = march(14)},
        {.text = u"✅ 交報告 星期五", .ref = kMonday, .index = 6, .phrase = u"星期五",
         .known = {{U::weekday, 5}}, .implied = march(8)},
        {.text = u"星期八", .ref = kMonday, .found = false},
        {.text = u"三個星期後", .ref = kMonday, .found = false}}));

}  // namespace
}  // namespace zarvo::chrono
