#include "zarvo/chrono/es/es_casual_date_parser.h"

#include <gtest/gtest.h>

#include "zarvo/chrono/phrase_test_util.h"

namespace zarvo::chrono {
namespace {

using namespace testing;
using U = ComponentUnit;

class ESCasualDateParserTest : public ::testing::Test {
 protected:
  ScopedTimeZone zone_{"Europe/Madrid"};
  ESCasualDateParser parser_{false};
};

const Wall kRef{2024, 3, 11, 10};

TEST_F(ESCasualDateParserTest, DayWords) {
  expectPhrases(parser_,
                {
                    {"Llamar a mamá mañana", kRef, "mañana", march(12), {{U::hour, 12}}},
                    {"mañana", {2024, 3, 11, 0, 30}, "mañana", march(11), {}},
                    {"ayer", {2024, 3, 11, 0, 30}, "ayer", march(10), {}},
                    {"HOY", kRef, "HOY", march(11), {}},
                    {"ahora", {2024, 3, 11, 18, 45}, "ahora", march(11), {{U::hour, 18}, {U::minute, 45}}},
                    {"anoche", {2024, 3, 11, 23}, "anoche", march(10), {{U::hour, 0}}},
                    {"anoche", {2024, 3, 11, 5}, "anoche", march(11), {{U::hour, 0}}},
                },
                TagUnit::esCasualDateParser);
}

TEST_F(ESCasualDateParserTest, TimesOfDayImplyFixedHours) {
  expectPhrases(parser_, {
      {"esta mañana", kRef, "esta mañana", march(11), {{U::hour, 6}}},
      {"esta tarde", kRef, "esta tarde", march(11), {{U::hour, 18}}},
      {"esta noche", kRef, "esta noche", march(11), {{U::hour, 22}, {U::meridiem, 1}}},
      {"mañana por la mañana", kRef, "mañana por la mañana", march(12), {{U::hour, 9}}},
      // "mañana por la ..." is the next day even just after midnight.
      {"mañana por la tarde", {2024, 3, 11, 0, 30}, "mañana por la tarde", march(12), {{U::hour, 18}}},
      {"ayer   por la noche", kRef, "ayer   por la noche", march(10), {{U::hour, 22}, {U::meridiem, 1}}},
      {"Mañana Por La Mañana", kRef, "Mañana Por La Mañana", march(12), {{U::hour, 9}}},
  });
}

TEST_F(ESCasualDateParserTest, WordsInsideOtherWordsAreNotRead) {
  expectPhrases(parser_, {
      {"mañanas", kRef, "", {}, {}},
      {"hoyo", kRef, "", {}, {}},
      {"ahorario", kRef, "", {}, {}},
  });
}

}  // namespace
}  // namespace zarvo::chrono
