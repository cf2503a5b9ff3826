// The German parsers, each read alone over its phrase table.
#include "zarvo/chrono/de/de_casual_date_parser.h"
#include "zarvo/chrono/de/de_casual_time_parser.h"
#include "zarvo/chrono/de/de_deadline_format_parser.h"
#include "zarvo/chrono/de/de_month_name_little_endian_parser.h"
#include "zarvo/chrono/de/de_morgen_time_parser.h"
#include "zarvo/chrono/de/de_slash_date_format_parser.h"
#include "zarvo/chrono/de/de_time_ago_format_parser.h"
#include "zarvo/chrono/de/de_time_expression_parser.h"
#include "zarvo/chrono/de/de_weekday_parser.h"

#include <gtest/gtest.h>

#include "zarvo/chrono/phrase_test_util.h"

namespace zarvo::chrono {
namespace {

using namespace testing;
using U = ComponentUnit;

using DECasualDateParserTest = ParserTest<DECasualDateParser, kBerlin>;

TEST_F(DECasualDateParserTest, DayWords) {
  expectPhrases(parser_,
                {
                    {"Arzt anrufen morgen", {2024, 3, 11, 10}, "morgen", march(12), {{U::hour, 12}}},
                    // Just after midnight "morgen" still means the day that has just begun.
                    {"morgen", {2024, 3, 11, 0, 30}, "morgen", march(11), {}},
                    {"morgen", {2024, 3, 11, 2, 0}, "morgen", march(12), {}},
                    {"Morgen um 5", {2024, 3, 11, 10}, "Morgen", march(12), {}},
                    // Blanks after the word stay in the phrase only where no word follows.
                    {"morgen  ", {2024, 3, 11, 10}, "morgen  ", march(12), {}},
                    {"gestern", {2024, 3, 11, 0, 30}, "gestern", march(10), {}},
                    {"Müll raus heute!", {2024, 3, 11, 10}, "heute", march(11), {}},
                    {"morgen", {2024, 3, 31, 10}, "morgen", {{U::year, 2024}, {U::month, 4}, {U::day, 1}}, {}},
                },
                TagUnit::deCasualDateParser);
}

TEST_F(DECasualDateParserTest, LastNightAndNowImplyATime) {
  expectPhrases(parser_, {
      {"letzte Nacht", {2024, 3, 11, 5}, "letzte Nacht", march(11), {{U::hour, 0}}},
      {"letzte Nacht", {2024, 3, 11, 20}, "letzte Nacht", march(10), {{U::hour, 0}}},
      {"LetzteNacht", {2024, 3, 11, 20}, "LetzteNacht", march(10), {{U::hour, 0}}},
      {"jetzt", {2024, 3, 11, 18, 45, 10}, "jetzt", march(11), {{U::hour, 18}, {U::minute, 45}, {U::second, 10}}},
  });
}

TEST_F(DECasualDateParserTest, WordsInsideOtherWordsAreNotRead) {
  expectPhrases(parser_, {
      {"übermorgen", {2024, 3, 11, 10}, "", {}, {}},
      {"Morgenrot", {2024, 3, 11, 10}, "", {}, {}},
      {"vorgestern", {2024, 3, 11, 10}, "", {}, {}},
      {"heutig", {2024, 3, 11, 10}, "", {}, {}},
  });
}

using DECasualTimeParserTest = ParserTest<DECasualTimeParser, kBerlin>;

const Wall kRef{2024, 3, 11, 10};

TEST_F(DECasualTimeParserTest, PartsOfTheDayImplyTheirHours) {
  expectPhrases(parser_,
                {
                    {"heute Abend", kRef, "heute Abend", {}, {{U::day, 11}, {U::hour, 18}, {U::meridiem, 1}}},
                    {"Kino diesen Nachmittag", kRef, "diesen Nachmittag", {}, {{U::hour, 15}, {U::meridiem, 1}}},
                    // The word is compared in lower case, whatever the pattern matched.
                    {"Heute Früh", kRef, "Heute Früh", {}, {{U::hour, 6}}},
                    {"MITTAG", kRef, "MITTAG", {}, {{U::hour, 12}}},
                    {"Abend", kRef, "Abend", {}, {{U::hour, 18}}},
                },
                TagUnit::deCasualTimeParser);
  // Morning and noon state no half of the day.
  const auto results = parser_.execute(u"heute früh", kRef.date(), {});
  ASSERT_EQ(results.size(), 1u);
  EXPECT_FALSE(results[0].start()[U::meridiem].has_value());
}

TEST_F(DECasualTimeParserTest, OptionsChooseTheHours) {
  const Options opt{{OptionType::morning, 7}, {OptionType::afternoon, 14}, {OptionType::evening, 19},
                    {OptionType::noon, 13}};
  expectPhrases(parser_,
                {
                    {"heute früh", kRef, "heute früh", {}, {{U::hour, 7}}},
                    {"nachmittag", kRef, "nachmittag", {}, {{U::hour, 14}}},
                    {"heute abend", kRef, "heute abend", {}, {{U::hour, 19}}},
                    {"mittag", kRef, "mittag", {}, {{U::hour, 13}}},
                },
                std::nullopt, opt);
}

class DEDeadlineFormatParserTest : public ::testing::Test {
 protected:
  ScopedTimeZone zone_{"Europe/Berlin"};
  DEDeadlineFormatParser casual_{false};
};

// The clock with its second, as a distance from now states it.
ComponentMap clockWithSecond(int64_t hour, int64_t minute, int64_t second = 0) {
  return {{U::hour, hour}, {U::minute, minute}, {U::second, second}};
}

TEST_F(DEDeadlineFormatParserTest, DaysAndLongerMakeTheDateKnown) {
  expectPhrases(casual_,
                {
                    {"Steuer in drei Tagen", kRef, "in drei Tagen", march(14), {{U::hour, 12}}},
                    {"innerhalb einer Woche", kRef, "innerhalb einer Woche", march(18), {}},
                    {"innerhalb von 2 Wochen", kRef, "innerhalb von 2 Wochen", march(25), {}},
                    {"in einem Monat", kRef, "in einem Monat", dayWith(2024, 4, 11), {}},
                    {"in zwölf Monaten", kRef, "in zwölf Monaten", dayWith(2025, 3, 11), {}},
                    {"in 2 Jahren", kRef, "in 2 Jahren", dayWith(2026, 3, 11), {}},
                    {"in einem Jahr", kRef, "in einem Jahr", dayWith(2025, 3, 11), {}},
                    {"in 1 Tag", kRef, "in 1 Tag", march(12), {}},
                    // "wenige", "einige" and "paar" count three.
                    {"in wenigen Tagen", kRef, "in wenigen Tagen", march(14), {}},
                    {"in ein paar Wochen", kRef, "in ein paar Wochen", dayWith(2024, 4, 1), {}},
                },
                TagUnit::deDeadlineFormatParser);
}

TEST_F(DEDeadlineFormatParserTest, HalfUnits) {
  expectPhrases(casual_, {
      {"in einer halben Stunde", kRef, "in einer halben Stunde", clockWithSecond(10, 30), march(11)},
      {"in einem halben Jahr", kRef, "in einem halben Jahr", dayWith(2024, 9, 11), {}},
  });
}

TEST_F(DEDeadlineFormatParserTest, ClockUnitsMakeTheTimeKnown) {
  expectPhrases(casual_, {
      {"in 5 Minuten", {2024, 3, 11, 23, 58}, "in 5 Minuten", clockWithSecond(0, 3), march(12)},
      {"in ein paar Sekunden", kRef, "in ein paar Sekunden", clockWithSecond(10, 0, 3), {}},
  });
}

TEST_F(DEDeadlineFormatParserTest, NoAmountOrNoUnit) {
  expectPhrases(casual_, {
      {"in Tagen", kRef, "", {}, {}},
      {"im Mai", kRef, "", {}, {}},
      {"in drei Tagesreisen", kRef, "", {}, {}},
      {"Termin 3 Tage", kRef, "", {}, {}},
  });
}

using DEMonthNameLittleEndianParserTest = ParserTest<DEMonthNameLittleEndianParser, kBerlin>;

TEST_F(DEMonthNameLittleEndianParserTest, DayAndMonthWithAndWithoutYear) {
  expectPhrases(parser_,
                {
                    {"3. Mai 24", kRef, "3. Mai 24", {{U::year, 2024}, {U::month, 5}, {U::day, 3}}, {}},
                    {"Geburtstag am 3. Mai", kRef, "am 3. Mai", {{U::month, 5}, {U::day, 3}}, {{U::year, 2024}}},
                    {"dritten Mai", kRef, "dritten Mai", {{U::month, 5}, {U::day, 3}}, {{U::year, 2024}}},
                    {"Erster Januar", kRef, "Erster Januar", {{U::month, 1}, {U::day, 1}}, {{U::year, 2024}}},
                    {"einunddreißigsten Dezember", kRef, "einunddreißigsten Dezember", {{U::month, 12}, {U::day, 31}},
                     {{U::year, 2023}}},
                    {"12. März 2024", kRef, "12. März 2024", march(12), {}},
                    {"3 Okt. 1999", kRef, "3 Okt. 1999", {{U::year, 1999}, {U::month, 10}, {U::day, 3}}, {}},
                    {"3. Jan 2025", kRef, "3. Jan 2025", {{U::year, 2025}, {U::month, 1}, {U::day, 3}}, {}},
                    {"Montag, 12. März", kRef, "Montag, 12. März", {{U::month, 3}, {U::day, 12}, {U::weekday, 1}}, {}},
                    {"Fr, den 5. April", kRef, "Fr, den 5. April", {{U::month, 4}, {U::day, 5}, {U::weekday, 5}}, {}},
                    // Read in December, early January is next year's.
                    {"5. Januar", {2024, 12, 20}, "5. Januar", {{U::month, 1}, {U::day, 5}}, {{U::year, 2025}}},
                },
                TagUnit::deMonthNameLittleEndianParser);
}

TEST_F(DEMonthNameLittleEndianParserTest, YearsAndEras) {
  expectPhrases(parser_, {
      {"3. Mai 99", kRef, "3. Mai 99", {{U::year, 2099}, {U::month, 5}, {U::day, 3}}, {}},
      {"15. März 44 v. Chr.", kRef, "15. März 44 v. Chr.", {{U::year, -44}, {U::month, 3}, {U::day, 15}}, {}},
      {"1. Mai 5 n. Chr.", kRef, "1. Mai 5 n. Chr.", {{U::year, 5}, {U::month, 5}, {U::day, 1}}, {}},
      // A year below 10 without an era is no year, and the whole phrase is rejected.
      {"3. Mai 5", kRef, "", {}, {}},
  });
}

TEST_F(DEMonthNameLittleEndianParserTest, RangesWithinAMonth) {
  expectRanges(parser_, {
      {"3. bis 5. Mai", kRef, "3. bis 5. Mai", {{U::month, 5}, {U::day, 3}}, {{U::month, 5}, {U::day, 5}}},
      {"Urlaub 10.-14. Juni 2024", kRef, "10.-14. Juni 2024", {{U::year, 2024}, {U::month, 6}, {U::day, 10}},
       {{U::year, 2024}, {U::month, 6}, {U::day, 14}}},
  });
}

TEST_F(DEMonthNameLittleEndianParserTest, NotMonthNames) {
  expectPhrases(parser_, {
      {"3 Mais", kRef, "", {}, {}},
      {"3 Janx", kRef, "", {}, {}},
      {"Mai", kRef, "", {}, {}},
  });
}

using DEMorgenTimeParserTest = ParserTest<DEMorgenTimeParser, kBerlin>;

// Wednesday 13 March 2024.
const Wall kWednesday{2024, 3, 13, 10};

TEST_F(DEMorgenTimeParserTest, MorningsOfTheDayBeforeTodayAndTheDayAfter) {
  expectPhrases(parser_,
                {
                    {"heute Morgen joggen", kWednesday, "heute Morgen", {}, {{U::day, 13}, {U::hour, 6}}},
                    {"letzten Morgen", kWednesday, "letzten Morgen", {}, {{U::day, 12}, {U::hour, 6}}},
                    {"Morgen früh Brötchen holen", kWednesday, "Morgen früh", {}, {{U::day, 14}, {U::hour, 6}}},
                    {"morgenfrüh", kWednesday, "morgenfrüh", {}, {{U::day, 14}}},
                    // "morgen" alone is tomorrow, not a morning.
                    {"morgen", kWednesday, "", {}, {}},
                },
                TagUnit::deMorgenTimeParser);
}

TEST_F(DEMorgenTimeParserTest, AWeekdayIsStatedWhileTheDayStaysTheReferences) {
  expectPhrases(parser_, {
      {"Montag Morgen", kWednesday, "Montag Morgen", {{U::weekday, 1}}, {{U::day, 13}, {U::hour, 6}}},
      {"Dienstagmorgen", kWednesday, "Dienstagmorgen", {{U::weekday, 2}}, {{U::day, 13}}},
      {"Sa Morgen", kWednesday, "Sa Morgen", {{U::weekday, 6}}, {}},
  });
}

TEST_F(DEMorgenTimeParserTest, TheDayIsCountedOnTheDayNumberAndCarriedByTheCalendar) {
  // Day 0 of March is the last day of February; day 32 of March the first of April.
  auto first = parser_.execute(u"letzten Morgen", localDate(2024, 3, 1, 10), {});
  ASSERT_EQ(first.size(), 1u);
  EXPECT_EQ(first[0].start().impliedValues().get(U::day), 0);
  EXPECT_EQ(iso(first[0].start().moment()), "2024-02-29T06:00:00.000+01:00");
  auto last = parser_.execute(u"Morgen früh", localDate(2024, 3, 31, 10), {{OptionType::morning, 8}});
  ASSERT_EQ(last.size(), 1u);
  EXPECT_EQ(iso(last[0].start().moment()), "2024-04-01T08:00:00.000+02:00");
}

class DESlashDateFormatParserTest : public ::testing::Test {
 protected:
  ScopedTimeZone zone_{"Europe/Berlin"};
  DESlashDateFormatParser casual_{false};
  DESlashDateFormatParser strict_{true};
};

TEST_F(DESlashDateFormatParserTest, DayBeforeMonth) {
  expectPhrases(casual_,
                {
                    {"12.03.2024", kRef, "12.03.2024", march(12), {}},
                    // The character after the date belongs to the phrase.
                    {"Abgabe 12.03.2024 um 10", kRef, "12.03.2024 ", march(12), {}},
                    {"am 3.5.", kRef, "3.5.", dayWith(2024, 5, 3), {}},
                    {"25.12.99", kRef, "25.12.99", dayWith(1999, 12, 25), {}},
                    {"01.01.20", kRef, "01.01.20", dayWith(2020, 1, 1), {}},
                    {"01.01.50", kRef, "01.01.50", dayWith(2050, 1, 1), {}},
                    {"01.12.51", kRef, "01.12.51", dayWith(1951, 12, 1), {}},
                    // A second number that cannot be a month turns the pair round.
                    {"03.25", kRef, "03.25", march(25), {}},
                    // The dashed form, with or without a year in front, also reads day first.
                    {"12-03", kRef, "12-03", march(12), {}},
                    {"2024-12-03", kRef, "2024-12-03", march(12), {}},
                    {"Montag, den 12.03.", kRef, "Montag, den 12.03.",
                     march(12, {{U::weekday, 1}}), {}},
                    {"am Fr 15.3.", kRef, "am Fr 15.3.", march(15, {{U::weekday, 5}}),
                     {}},
                },
                TagUnit::deSlashDateFormatParser);
}

TEST_F(DESlashDateFormatParserTest, NotDates) {
  expectPhrases(casual_, {
      {"33.33", kRef, "", {}, {}},
      // The shape of a decimal number or a time, alone.
      {"1.5", kRef, "", {}, {}},
      {"0.5", kRef, "", {}, {}},
      // A weekday without digits is left to the weekday parser.
      {"Montag", kRef, "", {}, {}},
  });
}

TEST_F(DESlashDateFormatParserTest, ARejectedMatchIsSearchedAgainFromItsSecondCharacter) {
  // Where neither order of the numbers makes a date, or the whole has the shape of a version number,
  // the scan resumes one character later, where the start of the search is the leading context. What
  // is read there ("3.25", "1.20") is only a number, and the configurations drop it as such.
  expectPhrases(casual_, {
      {"13.25", kRef, "3.25", march(25), {}},
      {"1.1.20", kRef, "1.20", dayWith(2024, 1, 20), {}},
      {"32.12.", kRef, "2.12.", dayWith(2024, 12, 2), {}},
  });
}

TEST_F(DESlashDateFormatParserTest, SlashRunsAreSkipped) {
  EXPECT_TRUE(casual_.execute(u"1.2/3", kRef.date(), {}).empty());
  EXPECT_TRUE(casual_.execute(u"x/1.2", kRef.date(), {}).empty());
}

TEST_F(DESlashDateFormatParserTest, StrictModeDropsDatesThatDoNotExist) {
  EXPECT_EQ(casual_.execute(u"31.02.2024", kRef.date(), {}).size(), 1u);
  EXPECT_TRUE(strict_.execute(u"31.02.2024", kRef.date(), {}).empty());
  EXPECT_EQ(phrases(strict_.execute(u"29.02.2024", kRef.date(), {})), std::vector<std::string>{"29.02.2024"});
}

using DETimeAgoFormatParserTest = ParserTest<DETimeAgoFormatParser, kBerlin>;

TEST_F(DETimeAgoFormatParserTest, DistancesBack) {
  expectPhrases(parser_,
                {
                    {"vor zwei Stunden", kRef, "vor zwei Stunden", {{U::hour, 8}, {U::minute, 0}, {U::second, 0}},
                     march(11)},
                    {"Anruf vor 3 Tagen", kRef, "vor 3 Tagen", march(8), {}},
                    {"vor einem Monat", kRef, "vor einem Monat", {{U::year, 2024}, {U::month, 2}, {U::day, 11}}, {}},
                    {"vor einigen Jahren", kRef, "vor einigen Jahren", {{U::year, 2021}, {U::month, 3}, {U::day, 11}},
                     {}},
                    {"vor einer halben Stunde", kRef, "vor einer halben Stunde",
                     {{U::hour, 9}, {U::minute, 30}, {U::second, 0}}, {}},
                    {"vor halben Stunde", kRef, "vor halben Stunde", {{U::hour, 9}, {U::minute, 30}, {U::second, 0}},
                     {}},
                    {"vor 10 Minuten", {2024, 3, 11, 0, 5}, "vor 10 Minuten",
                     {{U::hour, 23}, {U::minute, 55}, {U::second, 0}}, {{U::day, 10}}},
                },
                TagUnit::deTimeAgoFormatParser);
}

TEST_F(DETimeAgoFormatParserTest, WeeksLeaveTheDateAndWeekdayImplied) {
  expectPhrases(parser_, {
      {"vor einer Woche", kRef, "vor einer Woche", {}, march(4, {{U::weekday, 1}})},
      {"vor ein paar Wochen", kRef, "vor ein paar Wochen", {}, {{U::month, 2}, {U::day, 19}}},
  });
}

TEST_F(DETimeAgoFormatParserTest, NotDistances) {
  expectPhrases(parser_, {
      {"vor Tagen", kRef, "", {}, {}},
      {"vor dem Essen", kRef, "", {}, {}},
      {"vor 3 Tagesreisen", kRef, "", {}, {}},
  });
}

using DETimeExpressionParserTest = ParserTest<DETimeExpressionParser, kBerlin>;

TEST_F(DETimeExpressionParserTest, ClockTimes) {
  expectPhrases(parser_,
                {
                    {"Zahnarzt um 17 Uhr", kRef, "um 17 Uhr", clock(17, 0, 1), {{U::day, 11}}},
                    {"um 5", kRef, "um 5", clock(5, 0), {{U::meridiem, 0}}},
                    {"17:30", kRef, "17:30", clock(17, 30, 1), {}},
                    {"um 9.30 Uhr", kRef, "um 9.30 Uhr", clock(9, 30), {}},
                    {"8 Uhr", kRef, "8 Uhr", clock(8, 0), {}},
                    {"zu 7 pm", kRef, "zu 7 pm", clock(19, 0, 1), {}},
                    // Noon is after 11, so PM is known; midnight states no half of the day.
                    {"um Mittag", kRef, "um Mittag", clock(12, 0, 1), {}},
                    {"Mitternacht", kRef, "Mitternacht", clock(0, 0), {{U::meridiem, 0}}},
                    {"1230", kRef, "", {}, {}},
                    {"um 25 Uhr", kRef, "", {}, {}},
                    {"Raum3", kRef, "", {}, {}},
                },
                TagUnit::deTimeExpressionParser);
}

TEST_F(DETimeExpressionParserTest, Ranges) {
  expectRanges(parser_, {
      {"14:30 bis 16 Uhr", kRef, "14:30 bis 16 Uhr", clock(14, 30, 1), clock(16, 0, 1)},
      {"von 8 bis 10 Uhr", kRef, "8 bis 10 Uhr", clock(8, 0), clock(10, 0)},
      {"22 - 2 Uhr", kRef, "22 - 2 Uhr", clock(22, 0, 1), clock(2, 0)},
  });
  // An end before the start lies on the next day.
  const auto night = parser_.execute(u"22 - 2 Uhr", kRef.date(), {});
  ASSERT_EQ(night.size(), 1u);
  EXPECT_EQ(iso(night[0].end()->moment()), "2024-03-12T02:00:00.000+01:00");
}

using DEWeekdayParserTest = ParserTest<DEWeekdayParser, kBerlin>;

ComponentMap known(int64_t day, int64_t weekday) {
  return {{U::year, 2024}, {U::month, 3}, {U::day, day}, {U::weekday, weekday}};
}

TEST_F(DEWeekdayParserTest, ModifiersBeforeAndAfterTheName) {
  expectPhrases(parser_,
                {
                    {"nächsten Dienstag", kWednesday, "nächsten Dienstag", known(19, 2), {}},
                    {"Dienstag nächste Woche", kWednesday, "Dienstag nächste Woche", known(19, 2), {}},
                    {"Treffen kommenden Montag", kWednesday, "kommenden Montag", known(18, 1), {}},
                    {"letzten Freitag", kWednesday, "letzten Freitag", known(8, 5), {}},
                    {"Freitag letzte Woche", kWednesday, "Freitag letzte Woche", known(8, 5), {}},
                    {"NÄCHSTEN DI", kWednesday, "NÄCHSTEN DI", known(19, 2), {}},
                    {"nächste Woche Donnerstag", kWednesday, "nächste Woche Donnerstag", known(21, 4), {}},
                    {"diesen Sonntag", kWednesday, "diesen Sonntag", {{U::weekday, 0}}, {{U::day, 10}}},
                },
                TagUnit::deWeekdayParser);
}

TEST_F(DEWeekdayParserTest, WithoutModifierTheNearestDayIsImplied) {
  expectPhrases(parser_, {
      {"am Mi", kWednesday, "am Mi", {{U::weekday, 3}}, {{U::day, 13}}},
      {"Fr", kWednesday, "Fr", {{U::weekday, 5}}, {{U::day, 15}}},
      {"Bis (Montag) bitte", kWednesday, "(Montag)", {{U::weekday, 1}}, {{U::day, 11}}},
      // The longer word wins over the abbreviation it starts with.
      {"Sonntag", kWednesday, "Sonntag", {{U::weekday, 0}}, {{U::day, 10}}},
      // "do" is the abbreviation of Donnerstag, in an English line too.
      {"do laundry", kWednesday, "do", {{U::weekday, 4}}, {{U::day, 14}}},
  });
}

TEST_F(DEWeekdayParserTest, NotWeekdays) {
  expectPhrases(parser_, {
      {"sonntags", kWednesday, "", {}, {}},
      {"Mitte", kWednesday, "", {}, {}},
      {"Frage", kWednesday, "", {}, {}},
  });
}

}  // namespace
}  // namespace zarvo::chrono
