#include "zarvo/chrono/en/en_deadline_format_parser.h"

#include <gtest/gtest.h>

#include "zarvo/chrono/phrase_test_util.h"

namespace zarvo::chrono {
namespace {

using namespace testing;
using U = ComponentUnit;

class ENDeadlineFormatParserTest : public ::testing::Test {
 protected:
  ScopedTimeZone zone_{"Europe/Berlin"};
  ENDeadlineFormatParser casual_{false};
  ENDeadlineFormatParser strict_{true};
};

TEST_F(ENDeadlineFormatParserTest, DayAndLongerUnitsMakeTheDateKnown) {
  expectPhrases(casual_, {
      {"in 3 days", {2024, 3, 10, 18, 45}, "in 3 days", {{U::year, 2024}, {U::month, 3}, {U::day, 13}},
       {{U::hour, 12}, {U::minute, 0}}},
      {"in five days", {2024, 3, 10}, "in five days", {{U::year, 2024}, {U::month, 3}, {U::day, 15}}, {}},
      {"In 3 Days", {2024, 3, 10}, "In 3 Days", {{U::year, 2024}, {U::month, 3}, {U::day, 13}}, {}},
      {"in 2 days", {2024, 12, 31}, "in 2 days", {{U::year, 2025}, {U::month, 1}, {U::day, 2}}, {}},
      {"in a few weeks", {2024, 3, 10}, "in a few weeks", {{U::year, 2024}, {U::month, 3}, {U::day, 31}}, {}},
      // The calendar ends a month past the 31st at the end of the next month, in leap years too.
      {"in 1 month", {2024, 1, 31}, "in 1 month", {{U::year, 2024}, {U::month, 2}, {U::day, 29}}, {}},
      {"in a month", {2023, 1, 31}, "in a month", {{U::year, 2023}, {U::month, 2}, {U::day, 28}}, {}},
      {"in 1 year", {2024, 2, 29}, "in 1 year", {{U::year, 2025}, {U::month, 2}, {U::day, 28}}, {}},
      {"in twelve months", {2024, 3, 10}, "in twelve months", {{U::year, 2025}, {U::month, 3}, {U::day, 10}}, {}},
      // Blanks after the unit stay in the phrase only where no word follows.
      {"in 3 days at noon", {2024, 3, 10}, "in 3 days", {{U::year, 2024}, {U::month, 3}, {U::day, 13}}, {}},
      {"in 3 days  ", {2024, 3, 10}, "in 3 days  ", {{U::year, 2024}, {U::month, 3}, {U::day, 13}}, {}},
      {"within 2 weeks.", {2024, 3, 10}, "within 2 weeks", {{U::year, 2024}, {U::month, 3}, {U::day, 24}}, {}},
  });
}

TEST_F(ENDeadlineFormatParserTest, HalfUnits) {
  expectPhrases(casual_, {
      {"in half a year", {2024, 3, 10}, "in half a year", {{U::year, 2024}, {U::month, 9}, {U::day, 10}}, {}},
      // February of a common year has 28 days: half a month is 14 days; March has 31: 15 days.
      {"in half a month", {2023, 2, 10}, "in half a month", {{U::year, 2023}, {U::month, 2}, {U::day, 24}}, {}},
      {"in half a month", {2024, 3, 10}, "in half a month", {{U::year, 2024}, {U::month, 3}, {U::day, 25}}, {}},
      // Half a day is 12 hours: 18:45 moves past midnight.
      {"in half a day", {2024, 3, 10, 18, 45}, "in half a day", {{U::year, 2024}, {U::month, 3}, {U::day, 11}},
       {{U::hour, 12}}},
      {"in half a week", {2024, 3, 10, 18, 45}, "in half a week", {{U::year, 2024}, {U::month, 3}, {U::day, 14}}, {}},
      {"in half an hour", {2024, 3, 10, 18, 45}, "in half an hour", {{U::hour, 19}, {U::minute, 15}, {U::second, 0}},
       {{U::year, 2024}, {U::month, 3}, {U::day, 10}}},
  });
}

TEST_F(ENDeadlineFormatParserTest, ClockUnitsMakeTheTimeKnownAndLeaveTheDateImplied) {
  expectPhrases(casual_, {
      {"within an hour", {2024, 3, 10, 18, 45}, "within an hour", {{U::hour, 19}, {U::minute, 45}, {U::second, 0}},
       {{U::year, 2024}, {U::month, 3}, {U::day, 10}}},
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
      {"in 1 day", {2024, 3, 30, 12, 0}, "in 1 day", {{U::year, 2024}, {U::month, 3}, {U::day, 31}}, {}},
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
      {"in 3 days", {2024, 3, 10}, "in 3 days", {{U::year, 2024}, {U::month, 3}, {U::day, 13}}, {}},
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

}  // namespace
}  // namespace zarvo::chrono
