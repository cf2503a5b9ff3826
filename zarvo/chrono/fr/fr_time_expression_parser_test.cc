#include "zarvo/chrono/fr/fr_time_expression_parser.h"

#include <gtest/gtest.h>

#include "zarvo/chrono/phrase_test_util.h"

namespace zarvo::chrono {
namespace {

using namespace testing;
using U = ComponentUnit;

class FRTimeExpressionParserTest : public ::testing::Test {
 protected:
  ScopedTimeZone zone_{"Europe/Paris"};
  FRTimeExpressionParser parser_{false};
};

const Wall kRef{2024, 3, 11, 10};

TEST_F(FRTimeExpressionParserTest, ClockTimes) {
  expectPhrases(parser_,
                {
                    {"Rendez-vous demain à 9h", kRef, "à 9h", clock(9, 0), {{U::meridiem, 0}}},
                    {"14h30", kRef, "14h30", clock(14, 30, 1), {}},
                    {"9H", kRef, "9H", clock(9, 0), {}},
                    {"à 17h", kRef, "à 17h", clock(17, 0, 1), {}},
                    {"a 8:15", kRef, "a 8:15", clock(8, 15), {}},
                    {"14h30m15s", kRef, "14h30m15s", {{U::hour, 14}, {U::minute, 30}, {U::second, 15}, {U::meridiem, 1}},
                     {}},
                    {"à midi", kRef, "à midi", clock(12, 0, 1), {}},
                    {"minuit", kRef, "minuit", clock(0, 0, 0), {}},
                    {"25h", kRef, "", {}, {}},
                    {"9h75", kRef, "", {}, {}},
                },
                TagUnit::frTimeExpressionParser);
}

TEST_F(FRTimeExpressionParserTest, Ranges) {
  expectRanges(parser_, {
      {"de 9h à 11h", kRef, "9h à 11h", clock(9, 0), clock(11, 0)},
      {"14h - 16h30", kRef, "14h - 16h30", clock(14, 0, 1), clock(16, 30, 1)},
  });
}

}  // namespace
}  // namespace zarvo::chrono
