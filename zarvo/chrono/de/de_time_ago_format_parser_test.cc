#include "zarvo/chrono/de/de_time_ago_format_parser.h"

#include <gtest/gtest.h>

#include "zarvo/chrono/phrase_test_util.h"

namespace zarvo::chrono {
namespace {

using namespace testing;
using U = ComponentUnit;

class DETimeAgoFormatParserTest : public ::testing::Test {
 protected:
  ScopedTimeZone zone_{"Europe/Berlin"};
  DETimeAgoFormatParser parser_{false};
};

// Monday 11 March 2024, 10:00.
const Wall kRef{2024, 3, 11, 10};

TEST_F(DETimeAgoFormatParserTest, DistancesBack) {
  expectPhrases(parser_,
                {
                    {"vor zwei Stunden", kRef, "vor zwei Stunden", {{U::hour, 8}, {U::minute, 0}, {U::second, 0}},
                     {{U::year, 2024}, {U::month, 3}, {U::day, 11}}},
                    {"Anruf vor 3 Tagen", kRef, "vor 3 Tagen", {{U::year, 2024}, {U::month, 3}, {U::day, 8}}, {}},
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
      {"vor einer Woche", kRef, "vor einer Woche", {}, {{U::year, 2024}, {U::month, 3}, {U::day, 4}, {U::weekday, 1}}},
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

}  // namespace
}  // namespace zarvo::chrono
