#include "zarvo/chrono/en/en_relative_date_format_parser.h"

#include <gtest/gtest.h>

#include "zarvo/chrono/phrase_test_util.h"

namespace zarvo::chrono {
namespace {

using namespace testing;
using U = ComponentUnit;

class ENRelativeDateFormatParserTest : public ::testing::Test {
 protected:
  ScopedTimeZone zone_{"Europe/Berlin"};
  ENRelativeDateFormatParser parser_{false};
};

TEST_F(ENRelativeDateFormatParserTest, TheUnitDecidesWhatBecomesKnown) {
  expectPhrases(parser_, {
      // Weeks: nothing known.
      {"next week", {2024, 3, 10, 18, 45}, "next week", {}, {{U::year, 2024}, {U::month, 3}, {U::day, 17}}},
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
       {{U::year, 2024}, {U::month, 3}, {U::day, 10}, {U::hour, 19}}, {{U::minute, 45}, {U::second, 10}}},
      {"next 5 minutes", {2024, 3, 10, 18, 45}, "next 5 minutes",
       {{U::year, 2024}, {U::month, 3}, {U::day, 10}, {U::hour, 18}, {U::minute, 50}}, {{U::second, 0}}},
      {"last 10 seconds", {2024, 1, 1, 0, 0, 5}, "last 10 seconds",
       {{U::year, 2023}, {U::month, 12}, {U::day, 31}, {U::hour, 23}, {U::minute, 59}, {U::second, 55}}, {}},
      {"past hour", {2024, 3, 10, 0, 20}, "past hour", {{U::year, 2024}, {U::month, 3}, {U::day, 9}, {U::hour, 23}},
       {{U::minute, 20}}},
      // Across the spring-forward change hours stay exact durations.
      {"next 24 hours", {2024, 3, 30, 12, 0}, "next 24 hours",
       {{U::year, 2024}, {U::month, 3}, {U::day, 31}, {U::hour, 13}}, {}},
  });
}

TEST_F(ENRelativeDateFormatParserTest, HalfUnitsGoInTheDirectionOfTheModifier) {
  expectPhrases(parser_, {
      {"last half hour", {2024, 3, 10, 18, 45}, "last half hour",
       {{U::year, 2024}, {U::month, 3}, {U::day, 10}, {U::hour, 18}}, {{U::minute, 15}}},
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

}  // namespace
}  // namespace zarvo::chrono
