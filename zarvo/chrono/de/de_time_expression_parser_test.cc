#include "zarvo/chrono/de/de_time_expression_parser.h"

#include <gtest/gtest.h>

#include "zarvo/chrono/phrase_test_util.h"

namespace zarvo::chrono {
namespace {

using namespace testing;
using U = ComponentUnit;

class DETimeExpressionParserTest : public ::testing::Test {
 protected:
  ScopedTimeZone zone_{"Europe/Berlin"};
  DETimeExpressionParser parser_{false};
};

const Wall kRef{2024, 3, 11, 10};

TEST_F(DETimeExpressionParserTest, ClockTimes) {
  expectPhrases(parser_,
                {
                    {"Zahnarzt um 17 Uhr", kRef, "um 17 Uhr", clock(17, 0, 1), {{U::day, 11}}},
                    {"um 5", kRef, "um 5", clock(5, 0), {{U::meridiem, 0}}},
                    {"17:30", kRef, "17:30", clock(17, 30, 1), {}},
                    {"um 9.30 Uhr", kRef, "um 9.30 Uhr", clock(9, 30), {}},
                    {"8 Uhr", kRef, "8 Uhr", clock(8, 0), {}},
                    {"zu 7 pm", kRef, "zu 7 pm", clock(19, 0, 1), {}},
                    // Noon is after 11, so PM is known; midnight states no half of the day.
                    {"um Mittag", kRef, "um Mittag", clock(12, 0, 1), {}},
                    {"Mitternacht", kRef, "Mitternacht", clock(0, 0), {{U::meridiem, 0}}},
                    {"1230", kRef, "", {}, {}},
                    {"um 25 Uhr", kRef, "", {}, {}},
                    {"Raum3", kRef, "", {}, {}},
                },
                TagUnit::deTimeExpressionParser);
}

TEST_F(DETimeExpressionParserTest, Ranges) {
  expectRanges(parser_, {
      {"14:30 bis 16 Uhr", kRef, "14:30 bis 16 Uhr", clock(14, 30, 1), clock(16, 0, 1)},
      {"von 8 bis 10 Uhr", kRef, "8 bis 10 Uhr", clock(8, 0), clock(10, 0)},
      {"22 - 2 Uhr", kRef, "22 - 2 Uhr", clock(22, 0, 1), clock(2, 0)},
  });
  // An end before the start lies on the next day.
  const auto night = parser_.execute(u"22 - 2 Uhr", kRef.date(), {});
  ASSERT_EQ(night.size(), 1u);
  EXPECT_EQ(iso(night[0].end()->moment()), "2024-03-12T02:00:00.000+01:00");
}

}  // namespace
}  // namespace zarvo::chrono
