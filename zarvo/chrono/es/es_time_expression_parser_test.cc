#include "zarvo/chrono/es/es_time_expression_parser.h"

#include <gtest/gtest.h>

#include "zarvo/chrono/phrase_test_util.h"

namespace zarvo::chrono {
namespace {

using namespace testing;
using U = ComponentUnit;

class ESTimeExpressionParserTest : public ::testing::Test {
 protected:
  ScopedTimeZone zone_{"Europe/Madrid"};
  ESTimeExpressionParser parser_{false};
};

const Wall kRef{2024, 3, 11, 10};

TEST_F(ESTimeExpressionParserTest, ClockTimes) {
  expectPhrases(parser_,
                {
                    {"Llamar a mamá mañana a las 5 pm", kRef, "a las 5 pm", clock(17, 0, 1), {{U::day, 11}}},
                    {"a las 5", kRef, "a las 5", clock(5, 0), {{U::meridiem, 0}}},
                    {"a la 1:30", kRef, "a la 1:30", clock(1, 30), {}},
                    {"desde 9", kRef, "desde 9", clock(9, 0), {}},
                    {"al mediodía", kRef, "al mediodía", clock(12, 0, 1), {}},
                    {"a medianoche", kRef, "a medianoche", clock(0, 0, 0), {}},
                    {"a las 25", kRef, "", {}, {}},
                },
                TagUnit::esTimeExpressionParser);
}

TEST_F(ESTimeExpressionParserTest, Ranges) {
  expectRanges(parser_, {
      {"de 9 pm a las 11 pm", kRef, "de 9 pm a las 11 pm", clock(21, 0, 1), clock(23, 0, 1)},
      {"10:00 - 12:30", kRef, "10:00 - 12:30", clock(10, 0), clock(12, 30, 1)},
  });
  // "a" after an hour without marker is itself read as the am marker (the pattern admits "A" for
  // "AM" before it tries a range), so "de 9 a 11" and "de 9 a las 11" stop at "de 9 a".
  expectPhrases(parser_, {
      {"de 9 a 11", kRef, "de 9 a", clock(9, 0, 0), {}},
      {"de 9 a las 11", kRef, "de 9 a", clock(9, 0, 0), {}},
  });
}

}  // namespace
}  // namespace zarvo::chrono
