#include "zarvo/chrono/de/de_morgen_time_parser.h"

#include <gtest/gtest.h>

#include "zarvo/chrono/phrase_test_util.h"

namespace zarvo::chrono {
namespace {

using namespace testing;
using U = ComponentUnit;

class DEMorgenTimeParserTest : public ::testing::Test {
 protected:
  ScopedTimeZone zone_{"Europe/Berlin"};
  DEMorgenTimeParser parser_{false};
};

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

}  // namespace
}  // namespace zarvo::chrono
