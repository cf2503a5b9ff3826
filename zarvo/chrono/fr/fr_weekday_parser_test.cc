#include "zarvo/chrono/fr/fr_weekday_parser.h"

#include <gtest/gtest.h>

#include "zarvo/chrono/phrase_test_util.h"

namespace zarvo::chrono {
namespace {

using namespace testing;
using U = ComponentUnit;

class FRWeekdayParserTest : public ::testing::Test {
 protected:
  ScopedTimeZone zone_{"Europe/Paris"};
  FRWeekdayParser parser_{false};
};

// Wednesday 13 March 2024.
const Wall kWednesday{2024, 3, 13, 10};

TEST_F(FRWeekdayParserTest, Modifiers) {
  expectPhrases(parser_,
                {
                    {"lundi prochain", kWednesday, "lundi prochain",
                     {{U::year, 2024}, {U::month, 3}, {U::day, 18}, {U::weekday, 1}}, {}},
                    {"vendredi dernier", kWednesday, "vendredi dernier",
                     {{U::year, 2024}, {U::month, 3}, {U::day, 8}, {U::weekday, 5}}, {}},
                    {"ce lundi", kWednesday, "ce lundi", {{U::weekday, 1}}, {{U::day, 11}}},
                    {"réunion samedi", kWednesday, "samedi", {{U::weekday, 6}}, {{U::day, 16}}},
                    {"(mer)", kWednesday, "(mer)", {{U::weekday, 3}}, {{U::day, 13}}},
                },
                TagUnit::frWeekdayParser);
}

TEST_F(FRWeekdayParserTest, TheNameMustFollowABlank) {
  expectPhrases(parser_, {
      {"l'lundi", kWednesday, "", {}, {}},
      {"samedis", kWednesday, "", {}, {}},
      {"mercredie", kWednesday, "", {}, {}},
  });
}

}  // namespace
}  // namespace zarvo::chrono
