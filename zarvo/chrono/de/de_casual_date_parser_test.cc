#include "zarvo/chrono/de/de_casual_date_parser.h"

#include <gtest/gtest.h>

#include "zarvo/chrono/phrase_test_util.h"

namespace zarvo::chrono {
namespace {

using namespace testing;
using U = ComponentUnit;

class DECasualDateParserTest : public ::testing::Test {
 protected:
  ScopedTimeZone zone_{"Europe/Berlin"};
  DECasualDateParser parser_{false};
};

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

}  // namespace
}  // namespace zarvo::chrono
