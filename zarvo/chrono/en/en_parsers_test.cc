// The English parsers, each read alone over its phrase table.
#include "zarvo/chrono/en/en_casual_date_parser.h"
#include "zarvo/chrono/en/en_casual_time_parser.h"
#include "zarvo/chrono/en/en_deadline_format_parser.h"
#include "zarvo/chrono/en/en_iso_format_parser.h"
#include "zarvo/chrono/en/en_month_name_little_endian_parser.h"
#include "zarvo/chrono/en/en_month_name_middle_endian_parser.h"
#include "zarvo/chrono/en/en_month_name_parser.h"
#include "zarvo/chrono/en/en_relative_date_format_parser.h"
#include "zarvo/chrono/en/en_slash_date_format_parser.h"
#include "zarvo/chrono/en/en_slash_date_format_start_with_year_parser.h"
#include "zarvo/chrono/en/en_slash_month_format_parser.h"
#include "zarvo/chrono/en/en_time_ago_format_parser.h"
#include "zarvo/chrono/en/en_time_expression_parser.h"
#include "zarvo/chrono/en/en_weekday_parser.h"

#include <gtest/gtest.h>

#include "zarvo/chrono/phrase_test_util.h"

namespace zarvo::chrono {
namespace {

using namespace testing;
using U = ComponentUnit;

class ENCasualDateParserTest : public ::testing::TestWithParam<PhraseRow> {};

TEST_P(ENCasualDateParserTest, Reads) { expectParserReads<ENCasualDateParser>(GetParam(), TagUnit::enCasualDateParser); }

const LocalTime kEvening{2024, 3, 10, 18, 45};

INSTANTIATE_TEST_SUITE_P(
    Phrases, ENCasualDateParserTest,
    ::testing::ValuesIn(std::vector<PhraseRow>{
        {.text = u"call mom today", .ref = kEvening, .index = 9, .phrase = u"today",
         .known = march(10), .implied = {{U::hour, 12}, {U::minute, 0}}},
        {.text = u"Tomorrow: dentist", .ref = kEvening, .phrase = u"Tomorrow", .known = march(11)},
        // Trailing blanks stay in the phrase when nothing but the end follows.
        {.text = u"call mom tomorrow ", .ref = kEvening, .index = 9, .phrase = u"tomorrow ", .known = march(11)},
        {.text = u"tomorrow at 5", .ref = kEvening, .phrase = u"tomorrow", .known = march(11)},
        {.text = u"tmr", .ref = kEvening, .phrase = u"tmr", .known = march(11)},
        // Before 02:00, tomorrow is the day that has just begun.
        {.text = u"tomorrow", .ref = {2024, 3, 10, 1, 30}, .phrase = u"tomorrow", .known = march(10)},
        {.text = u"tomorrow", .ref = {2024, 3, 10, 2, 0}, .phrase = u"tomorrow", .known = march(11)},
        {.text = u"tomorrow", .ref = {2024, 2, 29, 22, 0}, .phrase = u"tomorrow", .known = march(1)},
        {.text = u"tomorrow", .ref = {2024, 12, 31, 9, 0}, .phrase = u"tomorrow",
         .known = {{U::year, 2025}, {U::month, 1}, {U::day, 1}}},
        // The day before the spring-forward night, one day later is still the next calendar day.
        {.text = u"tomorrow", .ref = {2024, 3, 30, 23, 30}, .phrase = u"tomorrow",
         .known = march(31), .zone = "Europe/Berlin"},
        {.text = u"yesterday", .ref = {2024, 3, 1, 8, 0}, .phrase = u"yesterday",
         .known = {{U::year, 2024}, {U::month, 2}, {U::day, 29}}},
        {.text = u"tonight", .ref = kEvening, .phrase = u"tonight", .known = march(10),
         .implied = {{U::hour, 22}, {U::meridiem, 1}}},
        {.text = u"last night", .ref = {2024, 3, 10, 5, 0}, .phrase = u"last night",
         .known = march(10), .implied = {{U::hour, 0}}},
        {.text = u"lastnight", .ref = {2024, 3, 10, 20, 0}, .phrase = u"lastnight",
         .known = march(9), .implied = {{U::hour, 0}}},
        {.text = u"do it NOW!", .ref = {2024, 3, 10, 18, 45, 30, 250}, .index = 6, .phrase = u"NOW", .known = march(10),
         .implied = {{U::hour, 18}, {U::minute, 45}, {U::second, 30}, {U::millisecond, 250}}},
        // Words that merely contain a day word are not read.
        {.text = u"snowboard nowhere todays", .ref = kEvening, .found = false},
        {.text = u"tomorrows", .ref = kEvening, .found = false}}));

TEST(ENCasualDateParserNowTest, MillisecondsRoundUp) {
  ScopedTimeZone zone("UTC");
  const Date ref = utcDate(2024, 3, 10, 18, 45) + std::chrono::microseconds(250'400);
  const auto results = ENCasualDateParser(false).execute(u"now", ref, {});
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].start().impliedValues().get(U::millisecond), 251);
  EXPECT_TRUE(results[0].tags().isTrue(TagUnit::enCasualDateParser));
  EXPECT_FALSE(results[0].start().isCertain(U::hour));
}

class ENCasualTimeParserTest : public ::testing::TestWithParam<PhraseRow> {};

TEST_P(ENCasualTimeParserTest, Reads) { expectParserReads<ENCasualTimeParser>(GetParam(), TagUnit::enCasualTimeParser); }

const LocalTime kRef{2024, 3, 10, 9, 0};
const ComponentMap kRefDay{{U::year, 2024}, {U::month, 3}, {U::day, 10}};

ComponentMap refDayAt(int64_t hour) {
  ComponentMap m = kRefDay;
  m.set(U::hour, hour);
  return m;
}

INSTANTIATE_TEST_SUITE_P(
    Phrases, ENCasualTimeParserTest,
    ::testing::ValuesIn(std::vector<PhraseRow>{
        {.text = u"gym this morning", .ref = kRef, .index = 4, .phrase = u"this morning", .implied = refDayAt(6)},
        {.text = u"call back afternoon", .ref = kRef, .index = 10, .phrase = u"afternoon", .implied = refDayAt(15)},
        {.text = u"this evening", .ref = kRef, .phrase = u"this evening", .implied = refDayAt(18)},
        {.text = u"this evening", .ref = kRef, .phrase = u"this evening", .implied = refDayAt(19),
         .opt = {{OptionType::evening, 19}}},
        // Options for other words do not apply.
        {.text = u"noon", .ref = kRef, .phrase = u"noon", .implied = refDayAt(12), .opt = {{OptionType::evening, 19}}},
        {.text = u"lunch at noon", .ref = kRef, .index = 9, .phrase = u"noon", .implied = refDayAt(13),
         .opt = {{OptionType::noon, 13}}},
        {.text = u"morning run", .ref = kRef, .phrase = u"morning", .implied = refDayAt(5),
         .opt = {{OptionType::morning, 5}}},
        // Capitalised words read like lower-case ones.
        {.text = u"This Morning", .ref = kRef, .phrase = u"This Morning", .implied = refDayAt(6)},
        {.text = u"tomorrow EVENING", .ref = kRef, .index = 9, .phrase = u"EVENING", .implied = refDayAt(18)},
        {.text = u"mornings", .ref = kRef, .phrase = u"morning", .implied = refDayAt(6)},
        {.text = u"goodmorning", .ref = kRef, .found = false}}));

class ENDeadlineFormatParserTest : public ::testing::Test {
 protected:
  ScopedTimeZone zone_{"Europe/Berlin"};
  ENDeadlineFormatParser casual_{false};
  ENDeadlineFormatParser strict_{true};
};

TEST_F(ENDeadlineFormatParserTest, DayAndLongerUnitsMakeTheDateKnown) {
  expectPhrases(casual_, {
      {"in 3 days", {2024, 3, 10, 18, 45}, "in 3 days", march(13),
       {{U::hour, 12}, {U::minute, 0}}},
      {"in five days", {2024, 3, 10}, "in five days", march(15), {}},
      {"In 3 Days", {2024, 3, 10}, "In 3 Days", march(13), {}},
      {"in 2 days", {2024, 12, 31}, "in 2 days", {{U::year, 2025}, {U::month, 1}, {U::day, 2}}, {}},
      {"in a few weeks", {2024, 3, 10}, "in a few weeks", march(31), {}},
      // The calendar ends a month past the 31st at the end of the next month, in leap years too.
      {"in 1 month", {2024, 1, 31}, "in 1 month", {{U::year, 2024}, {U::month, 2}, {U::day, 29}}, {}},
      {"in a month", {2023, 1, 31}, "in a month", {{U::year, 2023}, {U::month, 2}, {U::day, 28}}, {}},
      {"in 1 year", {2024, 2, 29}, "in 1 year", {{U::year, 2025}, {U::month, 2}, {U::day, 28}}, {}},
      {"in twelve months", {2024, 3, 10}, "in twelve months", {{U::year, 2025}, {U::month, 3}, {U::day, 10}}, {}},
      // Blanks after the unit stay in the phrase only where no word follows.
      {"in 3 days at noon", {2024, 3, 10}, "in 3 days", march(13), {}},
      {"in 3 days  ", {2024, 3, 10}, "in 3 days  ", march(13), {}},
      {"within 2 weeks.", {2024, 3, 10}, "within 2 weeks", march(24), {}},
  });
}

TEST_F(ENDeadlineFormatParserTest, HalfUnits) {
  expectPhrases(casual_, {
      {"in half a year", {2024, 3, 10}, "in half a year", {{U::year, 2024}, {U::month, 9}, {U::day, 10}}, {}},
      // February of a common year has 28 days: half a month is 14 days; March has 31: 15 days.
      {"in half a month", {2023, 2, 10}, "in half a month", {{U::year, 2023}, {U::month, 2}, {U::day, 24}}, {}},
      {"in half a month", {2024, 3, 10}, "in half a month", march(25), {}},
      // Half a day is 12 hours: 18:45 moves past midnight.
      {"in half a day", {2024, 3, 10, 18, 45}, "in half a day", march(11),
       {{U::hour, 12}}},
      {"in half a week", {2024, 3, 10, 18, 45}, "in half a week", march(14), {}},
      {"in half an hour", {2024, 3, 10, 18, 45}, "in half an hour", {{U::hour, 19}, {U::minute, 15}, {U::second, 0}},
       march(10)},
  });
}

TEST_F(ENDeadlineFormatParserTest, ClockUnitsMakeTheTimeKnownAndLeaveTheDateImplied) {
  expectPhrases(casual_, {
      {"within an hour", {2024, 3, 10, 18, 45}, "within an hour", {{U::hour, 19}, {U::minute, 45}, {U::second, 0}},
       march(10)},
      {"in 2 minutes", {2024, 12, 31, 23, 59}, "in 2 minutes", {{U::hour, 0}, {U::minute, 1}, {U::second, 0}},
       {{U::year, 2025}, {U::month, 1}, {U::day, 1}}},
      {"in 5 mins", {2024, 3, 10, 18, 45}, "in 5 mins", {{U::hour, 18}, {U::minute, 50}, {U::second, 0}}, {}},
      {"in 30 seconds", {2024, 3, 10, 18, 45, 40}, "in 30 seconds", {{U::hour, 18}, {U::minute, 46}, {U::second, 10}},
       {}},
  });
}

TEST_F(ENDeadlineFormatParserTest, DaylightSavingChange) {
  // Berlin springs forward on 31 March 2024 at 02:00. Days keep the wall-clock time, hours are exact.
  expectPhrases(casual_, {
      {"in 1 day", {2024, 3, 30, 12, 0}, "in 1 day", march(31), {}},
      {"in 24 hours", {2024, 3, 30, 12, 0}, "in 24 hours", {{U::hour, 13}, {U::minute, 0}, {U::second, 0}},
       {{U::day, 31}}},
      {"in 2 hours", {2024, 3, 31, 1, 30}, "in 2 hours", {{U::hour, 4}, {U::minute, 30}, {U::second, 0}},
       {{U::day, 31}}},
  });
}

TEST_F(ENDeadlineFormatParserTest, NotDeadlines) {
  expectPhrases(casual_, {
      {"in 3", {2024, 3, 10}, "", {}, {}},
      {"tin 3 days", {2024, 3, 10}, "", {}, {}},
      {"in 3 daysx", {2024, 3, 10}, "", {}, {}},
  });
}

TEST_F(ENDeadlineFormatParserTest, StrictPatternTakesOnlyCountsOfShortUnits) {
  expectPhrases(strict_, {
      {"in 3 days", {2024, 3, 10}, "in 3 days", march(13), {}},
      {"within an hour", {2024, 3, 10, 18, 45}, "within an hour", {{U::hour, 19}, {U::minute, 45}, {U::second, 0}},
       {}},
      {"in ten minutes", {2024, 3, 10, 18, 45}, "in ten minutes", {{U::hour, 18}, {U::minute, 55}, {U::second, 0}},
       {}},
      {"in a few days", {2024, 3, 10}, "", {}, {}},
      {"in 2 weeks", {2024, 3, 10}, "", {}, {}},
      {"in 5 mins", {2024, 3, 10}, "", {}, {}},
      {"in half an hour", {2024, 3, 10}, "", {}, {}},
  });
}

using ENISOFormatParserTest = ParserTest<ENISOFormatParser, kBerlin>;

TEST_F(ENISOFormatParserTest, DatesAndTimestamps) {
  expectPhrases(parser_, {
      {"2024-03-12T10:30:00+09:00", {2023, 1, 1}, "2024-03-12T10:30:00+09:00",
       {{U::year, 2024}, {U::month, 3}, {U::day, 12}, {U::hour, 10}, {U::minute, 30}, {U::second, 0},
        {U::timeZoneOffset, 540}},
       {}},
      // A time without an offset is UTC.
      {"2024-03-12T10:30", {2023, 1, 1}, "2024-03-12T10:30",
       march(12, {{U::hour, 10}, {U::minute, 30}, {U::timeZoneOffset, 0}}),
       {{U::second, 0}}},
      {"2024-03-12T10:30:15.250Z", {2023, 1, 1}, "2024-03-12T10:30:15.250Z",
       {{U::year, 2024}, {U::month, 3}, {U::day, 12}, {U::hour, 10}, {U::minute, 30}, {U::second, 15},
        {U::millisecond, 250}, {U::timeZoneOffset, 0}},
       {}},
      {"at 2024-02-29T23:59-0530.", {2023, 1, 1}, "2024-02-29T23:59-0530",
       {{U::year, 2024}, {U::month, 2}, {U::day, 29}, {U::hour, 23}, {U::minute, 59}, {U::timeZoneOffset, -330}},
       {}},
      // The minutes take the sign of the hours even when the hours are zero.
      {"2024-03-12T10:30-00:30", {2023, 1, 1}, "2024-03-12T10:30-00:30",
       march(12, {{U::hour, 10}, {U::minute, 30}, {U::timeZoneOffset, -30}}),
       {}},
      {"2024-03-12T10:30+05", {2023, 1, 1}, "2024-03-12T10:30+05",
       march(12, {{U::hour, 10}, {U::minute, 30}, {U::timeZoneOffset, 300}}),
       {}},
      // A date alone states no time and no offset.
      {"2024-03-12", {2023, 1, 1}, "2024-03-12", march(12),
       {{U::hour, 12}, {U::minute, 0}}},
      {"2024-13-01", {2023, 1, 1}, "", {}, {}},
      // The fraction admits digits of any script; one that does not read as a number rejects the whole
      // timestamp rather than dropping its milliseconds.
      {"2024-03-12T10:30:00.٥", {2023, 1, 1}, "", {}, {}},
      {"2024-12-32", {2023, 1, 1}, "", {}, {}},
  });
}

TEST_F(ENISOFormatParserTest, TagsResultsAsCasualTime) {
  const auto results = parser_.execute(u"2024-03-12T10:30", localDate(2023, 1, 1), {});
  ASSERT_EQ(results.size(), 1u);
  EXPECT_TRUE(results[0].tags().isTrue(TagUnit::enCasualTimeParser));
  EXPECT_FALSE(results[0].tags().contains(TagUnit::enISOFormatParser));
}

TEST_F(ENISOFormatParserTest, TheStatedOffsetPlacesTheInstant) {
  // 10:30 at +09:00 is 01:30 UTC, 02:30 in Berlin in winter.
  const auto results = parser_.execute(u"2024-03-12T10:30:00+09:00", localDate(2023, 1, 1), {});
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(iso(results[0].start().moment()), "2024-03-12T02:30:00.000+01:00");
  EXPECT_TRUE(results[0].start().isPossibleDate());
}

using ENMonthNameLittleEndianParserTest = ParserTest<ENMonthNameLittleEndianParser, kBerlin>;

TEST_F(ENMonthNameLittleEndianParserTest, DayMonthAndYear) {
  expectPhrases(parser_, {
      {"12th of March 2024", {2024, 1, 1}, "12th of March 2024", march(12), {}},
      {"due on 3rd Jan, 2025!", {2024, 1, 1}, "on 3rd Jan, 2025", {{U::year, 2025}, {U::month, 1}, {U::day, 3}}, {}},
      {"Tue 5 Mar 2024", {2024, 1, 1}, "Tue 5 Mar 2024",
       march(5, {{U::weekday, 2}}), {}},
      {"Sunday, 1 Sep. 2024", {2024, 1, 1}, "Sunday, 1 Sep. 2024",
       {{U::year, 2024}, {U::month, 9}, {U::day, 1}, {U::weekday, 0}}, {}},
      {"twenty-first of June 2024", {2024, 1, 1}, "twenty-first of June 2024",
       {{U::year, 2024}, {U::month, 6}, {U::day, 21}}, {}},
      {"thirty first December 2024", {2024, 1, 1}, "thirty first December 2024",
       {{U::year, 2024}, {U::month, 12}, {U::day, 31}}, {}},
      {"29 Feb 2024", {2023, 1, 1}, "29 Feb 2024", {{U::year, 2024}, {U::month, 2}, {U::day, 29}}, {}},
  });
}

TEST_F(ENMonthNameLittleEndianParserTest, ShortYearsAndEras) {
  expectPhrases(parser_, {
      {"12 March 24", {2023, 1, 1}, "12 March 24", march(12), {}},
      {"12 March 2567 BE", {2023, 1, 1}, "12 March 2567 BE", march(12), {}},
      {"15 March 44 BC", {2023, 1, 1}, "15 March 44 BC", {{U::year, -44}, {U::month, 3}, {U::day, 15}}, {}},
      {"12 March 1066 AD", {2023, 1, 1}, "12 March 1066 AD", {{U::year, 1066}, {U::month, 3}, {U::day, 12}}, {}},
      // A year below 10 needs an era.
      {"12 March 5", {2023, 1, 1}, "", {}, {}},
  });
}

TEST_F(ENMonthNameLittleEndianParserTest, WithoutAYearTheNearestOccurrenceIsImplied) {
  expectPhrases(parser_, {
      {"12th of March", {2024, 3, 1}, "12th of March", {{U::month, 3}, {U::day, 12}}, {{U::year, 2024}}},
      {"5 Jan", {2024, 12, 20}, "5 Jan", {{U::month, 1}, {U::day, 5}}, {{U::year, 2025}}},
      {"20 Dec", {2024, 1, 10}, "20 Dec", {{U::month, 12}, {U::day, 20}}, {{U::year, 2023}}},
      // Half a year away either way: 30 December is nearer the July behind it, 31 December the one ahead.
      {"1 July", {2024, 12, 30}, "1 July", {{U::month, 7}, {U::day, 1}}, {{U::year, 2024}}},
      {"1 July", {2024, 12, 31}, "1 July", {{U::month, 7}, {U::day, 1}}, {{U::year, 2025}}},
      // In a common year 29 February lands on 1 March, so the leap year after wins when nearer.
      {"29 Feb", {2023, 12, 20}, "29 Feb", {{U::month, 2}, {U::day, 29}}, {{U::year, 2024}}},
  });
}

TEST_F(ENMonthNameLittleEndianParserTest, RangesOfDaysInOneMonth) {
  expectRanges(parser_, {
      {"5 - 7 Jan", {2024, 12, 20}, "5 - 7 Jan", {{U::month, 1}, {U::day, 5}}, {{U::month, 1}, {U::day, 7}}},
      {"5 to 7 Jan 2025", {2024, 1, 1}, "5 to 7 Jan 2025", {{U::year, 2025}, {U::month, 1}, {U::day, 5}},
       {{U::year, 2025}, {U::month, 1}, {U::day, 7}}},
      {"1st until 3rd of March", {2024, 1, 1}, "1st until 3rd of March", {{U::month, 3}, {U::day, 1}},
       {{U::month, 3}, {U::day, 3}}},
      {"30 – 31 December 2024", {2024, 1, 1}, "30 – 31 December 2024",
       {{U::year, 2024}, {U::month, 12}, {U::day, 30}}, {{U::year, 2024}, {U::month, 12}, {U::day, 31}}},
  });
  // The end inherits the implied year of the start.
  const auto results = parser_.execute(u"5 - 7 Jan", localDate(2024, 12, 20), {});
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].end()->impliedValues().get(U::year), 2025);
  EXPECT_TRUE(results[0].tags().isTrue(TagUnit::enMonthNameLittleEndianParser));
}

TEST_F(ENMonthNameLittleEndianParserTest, NotDayMonthDates) {
  expectPhrases(parser_, {
      {"March 12", {2024, 1, 1}, "", {}, {}},
      {"12 Marchx", {2024, 1, 1}, "", {}, {}},
  });
}

using ENMonthNameMiddleEndianParserTest = ParserTest<ENMonthNameMiddleEndianParser, kBerlin>;

TEST_F(ENMonthNameMiddleEndianParserTest, MonthDayAndYear) {
  expectPhrases(parser_, {
      {"March 12, 2024", {2023, 1, 1}, "March 12, 2024", march(12), {}},
      {"Fri, Mar 15th 2024", {2023, 1, 1}, "Fri, Mar 15th 2024",
       march(15, {{U::weekday, 5}}), {}},
      {"on Thursday February 29th, 2024.", {2023, 1, 1}, "on Thursday February 29th, 2024",
       {{U::year, 2024}, {U::month, 2}, {U::day, 29}, {U::weekday, 4}}, {}},
      {"Sept. 3rd", {2024, 8, 1}, "Sept. 3rd", {{U::month, 9}, {U::day, 3}}, {{U::year, 2024}}},
      {"December twenty-fifth", {2024, 8, 1}, "December twenty-fifth", {{U::month, 12}, {U::day, 25}},
       {{U::year, 2024}}},
      // "May." is read although the month table spells May without a period.
      {"May. 3", {2024, 4, 1}, "May. 3", {{U::month, 5}, {U::day, 3}}, {{U::year, 2024}}},
  });
}

TEST_F(ENMonthNameMiddleEndianParserTest, ErasAndShortYears) {
  expectPhrases(parser_, {
      {"March 12, 2500 BE", {2024, 1, 1}, "March 12, 2500 BE", {{U::year, 1957}, {U::month, 3}, {U::day, 12}}, {}},
      {"March 15, 44 BC", {2024, 1, 1}, "March 15, 44 BC", {{U::year, -44}, {U::month, 3}, {U::day, 15}}, {}},
      // A short year needs an era; with one, years up to 99 are this century's, below 10 included.
      {"March 12, 5 AD", {2024, 1, 1}, "March 12, 5 AD", {{U::year, 2005}, {U::month, 3}, {U::day, 12}}, {}},
      {"March 12, 24", {2024, 1, 1}, "March 12", {{U::month, 3}, {U::day, 12}}, {{U::year, 2024}}},
  });
}

TEST_F(ENMonthNameMiddleEndianParserTest, YearInferenceNearTheYearEnd) {
  expectPhrases(parser_, {
      {"Jan 5", {2024, 12, 20}, "Jan 5", {{U::month, 1}, {U::day, 5}}, {{U::year, 2025}}},
      {"Dec 20", {2024, 1, 10}, "Dec 20", {{U::month, 12}, {U::day, 20}}, {{U::year, 2023}}},
  });
}

TEST_F(ENMonthNameMiddleEndianParserTest, Ranges) {
  expectRanges(parser_, {
      {"Jan 5 - 7", {2024, 12, 20}, "Jan 5 - 7", {{U::month, 1}, {U::day, 5}}, {{U::month, 1}, {U::day, 7}}},
      {"March 5th to 9th, 2024", {2023, 1, 1}, "March 5th to 9th, 2024",
       march(5), march(9)},
  });
}

TEST_F(ENMonthNameMiddleEndianParserTest, AClockTimeIsNotADay) {
  expectPhrases(parser_, {
      {"March 12:30", {2024, 1, 1}, "", {}, {}},
      // The trailing blank is given back so the phrase ends before "at".
      {"March 12 at 10:30", {2024, 1, 1}, "March 12", {{U::month, 3}, {U::day, 12}}, {}},
  });
}

using ENMonthNameParserTest = ParserTest<ENMonthNameParser, kBerlin>;

TEST_F(ENMonthNameParserTest, MonthAndYear) {
  expectPhrases(parser_, {
      {"March 2024", {2023, 1, 1}, "March 2024", {{U::year, 2024}, {U::month, 3}}, {{U::day, 1}}},
      {"due Dec, 2023.", {2024, 1, 1}, "Dec, 2023", {{U::year, 2023}, {U::month, 12}}, {{U::day, 1}}},
      {"(Feb-2024)", {2023, 1, 1}, "Feb-2024", {{U::year, 2024}, {U::month, 2}}, {{U::day, 1}}},
      {"March 2567 BE", {2023, 1, 1}, "March 2567 BE", {{U::year, 2024}, {U::month, 3}}, {}},
      {"March 0005", {2023, 1, 1}, "", {}, {}},
  });
}

TEST_F(ENMonthNameParserTest, MonthAloneImpliesTheNearestYear) {
  expectPhrases(parser_, {
      {"in March", {2024, 3, 20}, "March", {{U::month, 3}}, {{U::year, 2024}, {U::day, 1}}},
      {"in January", {2024, 12, 20}, "January", {{U::month, 1}}, {{U::year, 2025}}},
      {"in December", {2024, 1, 20}, "December", {{U::month, 12}}, {{U::year, 2023}}},
      {"see you in july then", {2024, 1, 20}, "july", {{U::month, 7}}, {{U::year, 2024}}},
  });
}

TEST_F(ENMonthNameParserTest, LeavesDaysToTheOtherParsers) {
  expectPhrases(parser_, {
      {"March 12", {2024, 1, 1}, "", {}, {}},
      {"12 March", {2024, 1, 1}, "", {}, {}},
      {"Marching", {2024, 1, 1}, "", {}, {}},
  });
}

using ENRelativeDateFormatParserTest = ParserTest<ENRelativeDateFormatParser, kBerlin>;

TEST_F(ENRelativeDateFormatParserTest, TheUnitDecidesWhatBecomesKnown) {
  expectPhrases(parser_, {
      // Weeks: nothing known.
      {"next week", {2024, 3, 10, 18, 45}, "next week", {}, march(17)},
      {"last week", {2024, 1, 3}, "last week", {}, {{U::year, 2023}, {U::month, 12}, {U::day, 27}}},
      // Months: year and month known, day implied.
      {"last 2 months", {2024, 3, 10}, "last 2 months", {{U::year, 2024}, {U::month, 1}}, {{U::day, 10}}},
      {"next month", {2024, 1, 31}, "next month", {{U::year, 2024}, {U::month, 2}}, {{U::day, 29}}},
      {"last month", {2024, 1, 15}, "last month", {{U::year, 2023}, {U::month, 12}}, {{U::day, 15}}},
      // Years: only the year known.
      {"next year", {2024, 2, 29}, "next year", {{U::year, 2025}}, {{U::month, 2}, {U::day, 28}}},
      // Days: the date known, the time left at the default.
      {"past 3 days", {2024, 3, 1}, "past 3 days", {{U::year, 2024}, {U::month, 2}, {U::day, 27}}, {{U::hour, 12}}},
      {"next few days", {2024, 12, 30}, "next few days", {{U::year, 2025}, {U::month, 1}, {U::day, 2}}, {}},
      {"next day", {2024, 2, 28}, "next day", {{U::year, 2024}, {U::month, 2}, {U::day, 29}}, {}},
  });
}

TEST_F(ENRelativeDateFormatParserTest, ClockUnitsFixTheTimeDownToTheUnit) {
  expectPhrases(parser_, {
      {"next hour", {2024, 3, 10, 18, 45, 10}, "next hour",
       march(10, {{U::hour, 19}}), {{U::minute, 45}, {U::second, 10}}},
      {"next 5 minutes", {2024, 3, 10, 18, 45}, "next 5 minutes",
       march(10, {{U::hour, 18}, {U::minute, 50}}), {{U::second, 0}}},
      {"last 10 seconds", {2024, 1, 1, 0, 0, 5}, "last 10 seconds",
       {{U::year, 2023}, {U::month, 12}, {U::day, 31}, {U::hour, 23}, {U::minute, 59}, {U::second, 55}}, {}},
      {"past hour", {2024, 3, 10, 0, 20}, "past hour", march(9, {{U::hour, 23}}),
       {{U::minute, 20}}},
      // Across the spring-forward change hours stay exact durations.
      {"next 24 hours", {2024, 3, 30, 12, 0}, "next 24 hours",
       march(31, {{U::hour, 13}}), {}},
  });
}

TEST_F(ENRelativeDateFormatParserTest, HalfUnitsGoInTheDirectionOfTheModifier) {
  expectPhrases(parser_, {
      {"last half hour", {2024, 3, 10, 18, 45}, "last half hour",
       march(10, {{U::hour, 18}}), {{U::minute, 15}}},
      // 3 days and 12 hours after Sunday 18:45 is Thursday 06:45.
      {"next half week", {2024, 3, 10, 18, 45}, "next half week", {}, {{U::day, 14}}},
      // Half of March's 31 days is 15, backwards.
      {"past half month", {2024, 3, 20}, "past half month", {{U::year, 2024}, {U::month, 3}}, {{U::day, 5}}},
      {"last half a year", {2024, 3, 10}, "last half a year", {{U::year, 2023}}, {{U::month, 9}, {U::day, 10}}},
  });
}

TEST_F(ENRelativeDateFormatParserTest, NotRelativeDates) {
  expectPhrases(parser_, {
      {"next weekend", {2024, 3, 10}, "", {}, {}},
      {"the last one", {2024, 3, 10}, "", {}, {}},
      {"nextweek", {2024, 3, 10}, "nextweek", {}, {{U::day, 17}}},
  });
}

class ENSlashDateFormatParserTest : public ::testing::Test {
 protected:
  ScopedTimeZone zone_{"Europe/Berlin"};
  ENSlashDateFormatParser casual_{false};
  ENSlashDateFormatParser strict_{true};
};

TEST_F(ENSlashDateFormatParserTest, MonthFirstUnlessTheFirstNumberCannotBeAMonth) {
  expectPhrases(casual_, {
      {"3/12", {2024, 5, 1}, "3/12", march(12), {}},
      {"25/12", {2024, 5, 1}, "25/12", {{U::year, 2024}, {U::month, 12}, {U::day, 25}}, {}},
      {"12/25/2024", {2023, 5, 1}, "12/25/2024", {{U::year, 2024}, {U::month, 12}, {U::day, 25}}, {}},
      {"12/32", {2024, 5, 1}, "", {}, {}},
      {"1/32/2024", {2024, 5, 1}, "", {}, {}},
      // A rejected pair is searched again from its second character, where the range start serves as
      // the leading context: "13/13" is rejected, "3/13" is then read.
      {"13/13", {2024, 5, 1}, "3/13", march(13), {}},
      {"32/12", {2024, 5, 1}, "2/12", {{U::year, 2024}, {U::month, 2}, {U::day, 12}}, {}},
      {"4/0", {2024, 5, 1}, "", {}, {}},
      {"2/29/2024", {2023, 5, 1}, "2/29/2024", {{U::year, 2024}, {U::month, 2}, {U::day, 29}}, {}},
  });
}

TEST_F(ENSlashDateFormatParserTest, YearsAndSeparators) {
  expectPhrases(casual_, {
      {"12/03/24", {2024, 5, 1}, "12/03/24", {{U::year, 2024}, {U::month, 12}, {U::day, 3}}, {}},
      {"12/03/75", {2024, 5, 1}, "12/03/75", {{U::year, 1975}, {U::month, 12}, {U::day, 3}}, {}},
      {"1/1/50", {2024, 5, 1}, "1/1/50", {{U::year, 2050}, {U::month, 1}, {U::day, 1}}, {}},
      {"1/1/51", {2024, 5, 1}, "1/1/51", {{U::year, 1951}, {U::month, 1}, {U::day, 1}}, {}},
      {"5.12.2024", {2023, 5, 1}, "5.12.2024", {{U::year, 2024}, {U::month, 5}, {U::day, 12}}, {}},
      {"due 12-31-2024, ok", {2023, 5, 1}, "12-31-2024", {{U::year, 2024}, {U::month, 12}, {U::day, 31}}, {}},
      {"Tue 3-12-24", {2023, 5, 1}, "Tue 3-12-24", march(12, {{U::weekday, 2}}),
       {}},
      {"on saturday, 3/16", {2024, 3, 1}, "on saturday, 3/16",
       march(16, {{U::weekday, 6}}), {}},
      // "tues" is admitted by the pattern but is not a weekday word: no weekday is stated.
      {"tues 3/12", {2024, 3, 1}, "tues 3/12", march(12), {}},
  });
}

TEST_F(ENSlashDateFormatParserTest, VersionNumbersAndBarePairsAreNotDates) {
  expectPhrases(casual_, {
      {"1.2", {2024, 5, 1}, "", {}, {}},
      {"version 1.2.3", {2024, 5, 1}, "", {}, {}},
      {"5.12", {2024, 5, 1}, "", {}, {}},
      {"5-12", {2024, 5, 1}, "", {}, {}},
  });
}

TEST_F(ENSlashDateFormatParserTest, ALongerSlashRunIsSkippedMatchByMatch) {
  // "1/2/" ends in a slash: the scan moves past it and reads "3/4" on its own.
  const auto results = casual_.execute(u"1/2/3/4", localDate(2024, 5, 1), {});
  ASSERT_EQ(phrases(results), std::vector<std::string>{"3/4"});
  EXPECT_EQ(results[0].index(), 4);
  EXPECT_EQ(describe(results[0].start().knownValues()), describe(march(4)));
  // A slash before the pair works the same way.
  EXPECT_TRUE(casual_.execute(u"x/3/4", localDate(2024, 5, 1), {}).empty());
}

TEST_F(ENSlashDateFormatParserTest, StrictModeDropsDatesThatDoNotExist) {
  const Date ref = localDate(2024, 5, 1);
  // 31/02 swaps to 31 February, which the calendar carries into March.
  EXPECT_EQ(casual_.execute(u"31/02/2024", ref, {}).size(), 1u);
  EXPECT_TRUE(strict_.execute(u"31/02/2024", ref, {}).empty());
  EXPECT_TRUE(strict_.execute(u"2/29/2023", ref, {}).empty());
  EXPECT_EQ(phrases(strict_.execute(u"2/29/2024", ref, {})), std::vector<std::string>{"2/29/2024"});
}

TEST(ENSlashDateFormatStartWithYearParserTest, YearMonthDay) {
  ScopedTimeZone zone("Europe/Berlin");
  ENSlashDateFormatStartWithYearParser parser(false);
  expectPhrases(parser, {
      {"2024/3/12", {2023, 1, 1}, "2024/3/12", march(12), {{U::hour, 12}}},
      {"on 2024.02.29!", {2023, 1, 1}, "2024.02.29", {{U::year, 2024}, {U::month, 2}, {U::day, 29}}, {}},
      {"2024-12-31", {2023, 1, 1}, "2024-12-31", {{U::year, 2024}, {U::month, 12}, {U::day, 31}}, {}},
      {"2024/13/12", {2023, 1, 1}, "", {}, {}},
      {"2024/0/12", {2023, 1, 1}, "", {}, {}},
      {"2024/3/32", {2023, 1, 1}, "", {}, {}},
      {"12024/3/12", {2023, 1, 1}, "", {}, {}},
  });
}

TEST(ENSlashMonthFormatParserTest, MonthAndYear) {
  ScopedTimeZone zone("Europe/Berlin");
  ENSlashMonthFormatParser parser(false);
  expectPhrases(parser, {
      {"3/2024", {2023, 5, 20}, "3/2024", {{U::year, 2024}, {U::month, 3}}, {{U::day, 1}}},
      {"due 12/2023.", {2024, 5, 20}, "12/2023", {{U::year, 2023}, {U::month, 12}}, {{U::day, 1}}},
      {"(09/2024)", {2024, 5, 20}, "09/2024", {{U::year, 2024}, {U::month, 9}}, {{U::day, 1}}},
      {"13/2024", {2024, 5, 20}, "", {}, {}},
      {"3/20245", {2024, 5, 20}, "", {}, {}},
      {"3/2024/1", {2024, 5, 20}, "", {}, {}},
      {"12 3/2024", {2024, 5, 20}, "", {}, {}},
  });
}

class ENTimeAgoFormatParserTest : public ::testing::Test {
 protected:
  ScopedTimeZone zone_{"Europe/Berlin"};
  ENTimeAgoFormatParser casual_{false};
  ENTimeAgoFormatParser strict_{true};
};

TEST_F(ENTimeAgoFormatParserTest, DaysMonthsAndYearsMakeTheDateKnown) {
  expectPhrases(casual_, {
      {"a few days ago", {2024, 3, 10, 18, 45}, "a few days ago", march(7),
       {{U::hour, 12}}},
      {"2 days before", {2024, 1, 1}, "2 days before", {{U::year, 2023}, {U::month, 12}, {U::day, 30}}, {}},
      {"three days earlier", {2024, 3, 1}, "three days earlier", {{U::year, 2024}, {U::month, 2}, {U::day, 27}}, {}},
      {"1 month ago", {2024, 3, 31}, "1 month ago", {{U::year, 2024}, {U::month, 2}, {U::day, 29}}, {}},
      {"a year ago", {2024, 2, 29}, "a year ago", {{U::year, 2023}, {U::month, 2}, {U::day, 28}}, {}},
      {"half a month earlier", {2024, 3, 10}, "half a month earlier", {{U::year, 2024}, {U::month, 2}, {U::day, 24}},
       {}},
      {"half a year ago", {2024, 3, 10}, "half a year ago", {{U::year, 2023}, {U::month, 9}, {U::day, 10}}, {}},
      {"within 2 days ago", {2024, 3, 10}, "within 2 days ago", march(8), {}},
  });
}

TEST_F(ENTimeAgoFormatParserTest, WeeksLeaveTheDateAndWeekdayImplied) {
  expectPhrases(casual_, {
      {"2 weeks ago", {2024, 3, 10, 18, 45}, "2 weeks ago", {},
       {{U::year, 2024}, {U::month, 2}, {U::day, 25}, {U::weekday, 0}}},
      {"a week ago", {2024, 1, 3}, "a week ago", {}, {{U::year, 2023}, {U::month, 12}, {U::day, 27}, {U::weekday, 3}}},
      // Half a week: 3 days and 12 hours back from Sunday 18:45 is Thursday 06:45.
      {"half a week ago", {2024, 3, 10, 18, 45}, "half a week ago", {}, {{U::day, 7}, {U::weekday, 4}}},
  });
}

TEST_F(ENTimeAgoFormatParserTest, ClockUnitsMakeTheTimeKnown) {
  expectPhrases(casual_, {
      {"5 minutes ago", {2024, 3, 10, 18, 45}, "5 minutes ago", {{U::hour, 18}, {U::minute, 40}, {U::second, 0}},
       march(10)},
      {"an hour ago", {2024, 1, 1, 0, 30}, "an hour ago", {{U::hour, 23}, {U::minute, 30}, {U::second, 0}},
       {{U::year, 2023}, {U::month, 12}, {U::day, 31}}},
      {"half an hour ago", {2024, 3, 10, 18, 45}, "half an hour ago", {{U::hour, 18}, {U::minute, 15}, {U::second, 0}},
       {}},
      {"10 secs ago", {2024, 3, 10, 18, 45, 5}, "", {}, {}},
      {"10 seconds ago", {2024, 3, 10, 18, 45, 5}, "10 seconds ago", {{U::hour, 18}, {U::minute, 44}, {U::second, 55}},
       {}},
      // Berlin falls back on 27 October 2024 at 03:00: three hours before 04:00 CET is 02:00 CEST.
      {"3 hours earlier", {2024, 10, 27, 4, 0}, "3 hours earlier", {{U::hour, 2}, {U::minute, 0}, {U::second, 0}},
       {{U::day, 27}}},
  });
}

TEST_F(ENTimeAgoFormatParserTest, AMatchRightAfterALetterIsReadFromTheNextPosition) {
  // The match starting at the blank follows "c" and is rejected; the scan then reads from "5".
  const auto results = casual_.execute(u"abc 5 minutes ago", localDate(2024, 3, 10, 18, 45), {});
  ASSERT_EQ(phrases(results), std::vector<std::string>{"5 minutes ago"});
  EXPECT_EQ(results[0].index(), 4);
  EXPECT_TRUE(results[0].tags().isTrue(TagUnit::enTimeAgoFormatParser));
  // Without a leading blank there is no leading context to match at all.
  EXPECT_TRUE(casual_.execute(u"x5 minutes ago", localDate(2024, 3, 10), {}).empty());
}

TEST_F(ENTimeAgoFormatParserTest, StrictPatternTakesOnlyCountsOfShortUnitsAgo) {
  expectPhrases(strict_, {
      {"3 days ago", {2024, 3, 10}, "3 days ago", march(7), {}},
      {"an hour ago", {2024, 3, 10, 18, 45}, "an hour ago", {{U::hour, 17}, {U::minute, 45}, {U::second, 0}}, {}},
      {"3 weeks ago", {2024, 3, 10}, "", {}, {}},
      {"3 days earlier", {2024, 3, 10}, "", {}, {}},
      {"a few days ago", {2024, 3, 10}, "", {}, {}},
      {"three days ago", {2024, 3, 10}, "", {}, {}},
  });
}

class ENTimeExpressionParserTest : public ::testing::TestWithParam<PhraseRow> {};

TEST_P(ENTimeExpressionParserTest, Reads) {
  // Strict mode reads the same and only drops what is not a possible date (24:00, day 32).
  expectStrictKeepsThePossible<ENTimeExpressionParser>(GetParam(), TagUnit::enTimeExpressionParser);
}

const LocalTime kMonday{2024, 3, 11, 9, 0};

// Known clock values on the reference day (the day is always implied).
const ComponentMap kMondayDay{{U::year, 2024}, {U::month, 3}, {U::day, 11}};
ComponentMap refDayWith(std::initializer_list<std::pair<ComponentUnit, int64_t>> extra) {
  ComponentMap m = kMondayDay;
  for (const auto& [u, v] : extra) m.set(u, v);
  return m;
}

INSTANTIATE_TEST_SUITE_P(
    Clocks, ENTimeExpressionParserTest,
    ::testing::ValuesIn(std::vector<PhraseRow>{
        {.text = u"call mom at 5pm", .ref = kMonday, .index = 9, .phrase = u"at 5pm", .known = clock(17, 0, 1),
         .implied = kMondayDay},
        {.text = u"at 5", .ref = kMonday, .phrase = u"at 5", .known = clock(5, 0),
         .implied = refDayWith({{U::meridiem, 0}})},
        {.text = u"12am", .ref = kMonday, .phrase = u"12am", .known = clock(0, 0, 0)},
        {.text = u"12pm", .ref = kMonday, .phrase = u"12pm", .known = clock(12, 0, 1)},
        {.text = u"13pm", .ref = kMonday, .found = false},
        {.text = u"meet 10:30", .ref = kMonday, .index = 5, .phrase = u"10:30", .known = clock(10, 30),
         .implied = refDayWith({{U::meridiem, 0}})},
        {.text = u"from 10.30", .ref = kMonday, .phrase = u"from 10.30", .known = clock(10, 30)},
        {.text = u"at 10:30:15", .ref = kMonday, .phrase = u"at 10:30:15",
         .known = {{U::hour, 10}, {U::minute, 30}, {U::second, 15}}},
        {.text = u"at 10：30", .ref = kMonday, .phrase = u"at 10：30", .known = clock(10, 30)},
        {.text = u"9:30 A.M.", .ref = kMonday, .phrase = u"9:30 A.M.", .known = clock(9, 30, 0)},
        {.text = u"9 p", .ref = kMonday, .phrase = u"9 p", .known = clock(21, 0, 1)},
        {.text = u"14:00", .ref = kMonday, .phrase = u"14:00", .known = clock(14, 0, 1)},
        {.text = u"lunch at noon", .ref = kMonday, .index = 6, .phrase = u"at noon", .known = clock(12, 0, 1)},
        {.text = u"Midnight", .ref = kMonday, .phrase = u"Midnight", .known = clock(0, 0, 0)},
        // Three and four digits split into hour and minute, but a bare number is not a time.
        {.text = u"1230", .ref = kMonday, .found = false},
        {.text = u"at 1230", .ref = kMonday, .phrase = u"at 1230", .known = clock(12, 30, 1)},
        {.text = u"at 930", .ref = kMonday, .phrase = u"at 930", .known = clock(9, 30)},
        {.text = u"at 2400", .ref = kMonday, .phrase = u"at 2400", .known = clock(24, 0, 1)},
        {.text = u"at 30", .ref = kMonday, .found = false},
        {.text = u"at 2575", .ref = kMonday, .found = false},
        {.text = u"10:75", .ref = kMonday, .found = false},
        {.text = u"10:30:75", .ref = kMonday, .found = false},
        // Digits glued to a word are not a time.
        {.text = u"x2", .ref = kMonday, .found = false},
        {.text = u"abc10:30", .ref = kMonday, .found = false},
        {.text = u"room 2b", .ref = kMonday, .found = false},
        // Digits of other scripts match \d but do not convert.
        {.text = u"at ٣pm", .ref = kMonday, .found = false},
        // Ranges.
        {.text = u"7 - 9pm", .ref = kMonday, .phrase = u"7 - 9pm",
         .known = {{U::hour, 19}, {U::minute, 0}}, .implied = refDayWith({{U::meridiem, 1}}),
         .endKnown = clock(21, 0, 1), .endImplied = kMondayDay},
        {.text = u"from 9 to 11am", .ref = kMonday, .phrase = u"from 9 to 11am",
         .known = clock(9, 0), .implied = {{U::meridiem, 0}}, .endKnown = clock(11, 0, 0)},
        {.text = u"10:30 – 11:15", .ref = kMonday, .phrase = u"10:30 – 11:15",
         .known = clock(10, 30), .endKnown = clock(11, 15), .endImplied = kMondayDay},
        {.text = u"10pm - 2", .ref = kMonday, .phrase = u"10pm - 2", .known = clock(22, 0, 1),
         .endKnown = clock(2, 0), .endImplied = {{U::meridiem, 0}, {U::day, 12}}},
        {.text = u"10pm - 12am", .ref = kMonday, .phrase = u"10pm - 12am", .known = clock(22, 0, 1),
         .endKnown = clock(0, 0, 0), .endImplied = {{U::day, 12}}},
        // Noon states its half of the day, so the end's marker does not carry over.
        {.text = u"12 - 1am", .ref = kMonday, .phrase = u"12 - 1am", .known = clock(12, 0, 1),
         .endKnown = clock(1, 0, 0), .endImplied = {{U::day, 12}}},
        {.text = u"11 - 1pm", .ref = kMonday, .phrase = u"11 - 1pm",
         .known = {{U::hour, 23}, {U::minute, 0}}, .implied = {{U::meridiem, 1}},
         .endKnown = clock(13, 0, 1), .endImplied = {{U::day, 12}}},
        // Range end at the month's last day rolls into the next month by the calendar.
        {.text = u"11pm-1am", .ref = {2024, 3, 31, 9, 0}, .phrase = u"11pm-1am",
         .known = clock(23, 0, 1), .endKnown = clock(1, 0, 0), .endImplied = {{U::day, 32}}},
        // An offset after the time is not a range end.
        {.text = u"5pm -0800", .ref = kMonday, .phrase = u"5pm", .known = clock(17, 0, 1)},
        // An unreadable end minute keeps the start and an end without a clock.
        {.text = u"9 - 10:75", .ref = kMonday, .phrase = u"9", .known = clock(9, 0),
         .endKnown = ComponentMap{}, .endImplied = kMondayDay},
        {.text = u"9 - 30", .ref = kMonday, .found = false},
        {.text = u"9 - 10:30:75", .ref = kMonday, .found = false}}));

using ENWeekdayParserTest = ParserTest<ENWeekdayParser, kBerlin>;

TEST_F(ENWeekdayParserTest, ModifierBeforeOrAfterTheName) {
  // 13 March 2024 is a Wednesday.
  const ComponentMap nextFriday = march(22, {{U::weekday, 5}});
  expectPhrases(parser_, {
      {"next Friday", {2024, 3, 13}, "next Friday", nextFriday, {}},
      {"Friday next week", {2024, 3, 13}, "Friday next week", nextFriday, {}},
      {"NEXT FRI", {2024, 3, 13}, "NEXT FRI", nextFriday, {}},
      // The opening parenthesis is taken as leading context; the closing one belongs to the phrase.
      {"(on last tue)", {2024, 3, 13}, "on last tue)",
       march(5, {{U::weekday, 2}}), {}},
      {"past thurs", {2024, 3, 13}, "past thurs", march(7, {{U::weekday, 4}}), {}},
      {"this sunday", {2024, 3, 13}, "this sunday", {{U::weekday, 0}}, {{U::day, 10}}},
      {"call me (Thu) then", {2024, 3, 13}, "(Thu)", {{U::weekday, 4}}, {{U::day, 14}}},
      {"see you, Thu, then", {2024, 3, 13}, "Thu,", {{U::weekday, 4}}, {{U::day, 14}}},
  });
}

TEST_F(ENWeekdayParserTest, WithoutModifierTheNearestDayIsImplied) {
  expectPhrases(parser_, {
      {"Mon", {2024, 3, 13}, "Mon", {{U::weekday, 1}}, march(11, {{U::hour, 12}})},
      {"on saturday", {2024, 3, 13}, "on saturday", {{U::weekday, 6}}, {{U::day, 16}}},
      {"wednesday", {2024, 3, 13}, "wednesday", {{U::weekday, 3}}, {{U::day, 13}}},
      {"thursday", {2024, 2, 27}, "thursday", {{U::weekday, 4}}, {{U::month, 2}, {U::day, 29}}},
      {"next fri", {2024, 12, 31}, "next fri", {{U::year, 2025}, {U::month, 1}, {U::day, 10}, {U::weekday, 5}}, {}},
      {"sun", {2024, 3, 29}, "sun", {{U::weekday, 0}}, {{U::day, 31}, {U::hour, 12}}},
  });
}

TEST_F(ENWeekdayParserTest, NotWeekdays) {
  expectPhrases(parser_, {
      {"sundays", {2024, 3, 13}, "", {}, {}},
      {"monitor", {2024, 3, 13}, "", {}, {}},
      {"satisfied", {2024, 3, 13}, "", {}, {}},
  });
}

}  // namespace
}  // namespace zarvo::chrono
