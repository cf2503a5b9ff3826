#include "zarvo/chrono/en/en_weekday_parser.h"

#include <gtest/gtest.h>

#include "zarvo/chrono/phrase_test_util.h"

namespace zarvo::chrono {
namespace {

using namespace testing;
using U = ComponentUnit;

class ENWeekdayParserTest : public ::testing::Test {
 protected:
  ScopedTimeZone zone_{"Europe/Berlin"};
  ENWeekdayParser parser_{false};
};

TEST_F(ENWeekdayParserTest, ModifierBeforeOrAfterTheName) {
  // 13 March 2024 is a Wednesday.
  const ComponentMap nextFriday = {{U::year, 2024}, {U::month, 3}, {U::day, 22}, {U::weekday, 5}};
  expectPhrases(parser_, {
      {"next Friday", {2024, 3, 13}, "next Friday", nextFriday, {}},
      {"Friday next week", {2024, 3, 13}, "Friday next week", nextFriday, {}},
      {"NEXT FRI", {2024, 3, 13}, "NEXT FRI", nextFriday, {}},
      // The opening parenthesis is taken as leading context; the closing one belongs to the phrase.
      {"(on last tue)", {2024, 3, 13}, "on last tue)",
       {{U::year, 2024}, {U::month, 3}, {U::day, 5}, {U::weekday, 2}}, {}},
      {"past thurs", {2024, 3, 13}, "past thurs", {{U::year, 2024}, {U::month, 3}, {U::day, 7}, {U::weekday, 4}}, {}},
      {"this sunday", {2024, 3, 13}, "this sunday", {{U::weekday, 0}}, {{U::day, 10}}},
      {"call me (Thu) then", {2024, 3, 13}, "(Thu)", {{U::weekday, 4}}, {{U::day, 14}}},
      {"see you, Thu, then", {2024, 3, 13}, "Thu,", {{U::weekday, 4}}, {{U::day, 14}}},
  });
}

TEST_F(ENWeekdayParserTest, WithoutModifierTheNearestDayIsImplied) {
  expectPhrases(parser_, {
      {"Mon", {2024, 3, 13}, "Mon", {{U::weekday, 1}}, {{U::year, 2024}, {U::month, 3}, {U::day, 11}, {U::hour, 12}}},
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
