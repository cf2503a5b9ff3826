#include "zarvo/chrono/de/de_deadline_format_parser.h"

#include <gtest/gtest.h>

#include "zarvo/chrono/phrase_test_util.h"

namespace zarvo::chrono {
namespace {

using namespace testing;
using U = ComponentUnit;

class DEDeadlineFormatParserTest : public ::testing::Test {
 protected:
  ScopedTimeZone zone_{"Europe/Berlin"};
  DEDeadlineFormatParser casual_{false};
};

// Monday 11 March 2024, 10:00.
const Wall kRef{2024, 3, 11, 10};

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

}  // namespace
}  // namespace zarvo::chrono
