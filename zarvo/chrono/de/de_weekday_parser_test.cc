#include "zarvo/chrono/de/de_weekday_parser.h"

#include <gtest/gtest.h>

#include "zarvo/chrono/phrase_test_util.h"

namespace zarvo::chrono {
namespace {

using namespace testing;
using U = ComponentUnit;

class DEWeekdayParserTest : public ::testing::Test {
 protected:
  ScopedTimeZone zone_{"Europe/Berlin"};
  DEWeekdayParser parser_{false};
};

// Wednesday 13 March 2024.
const Wall kWednesday{2024, 3, 13, 10};

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
