#include "zarvo/chrono/en/en_month_name_parser.h"

#include <gtest/gtest.h>

#include "zarvo/chrono/phrase_test_util.h"

namespace zarvo::chrono {
namespace {

using namespace testing;
using U = ComponentUnit;

class ENMonthNameParserTest : public ::testing::Test {
 protected:
  ScopedTimeZone zone_{"Europe/Berlin"};
  ENMonthNameParser parser_{false};
};

TEST_F(ENMonthNameParserTest, MonthAndYear) {
  expectPhrases(parser_, {
      {"March 2024", {2023, 1, 1}, "March 2024", {{U::year, 2024}, {U::month, 3}}, {{U::day, 1}}},
      {"due Dec, 2023.", {2024, 1, 1}, "Dec, 2023", {{U::year, 2023}, {U::month, 12}}, {{U::day, 1}}},
      {"(Feb-2024)", {2023, 1, 1}, "Feb-2024", {{U::year, 2024}, {U::month, 2}}, {{U::day, 1}}},
      {"March 2567 BE", {2023, 1, 1}, "March 2567 BE", {{U::year, 2024}, {U::month, 3}}, {}},
      {"March 0005", {2023, 1, 1}, "", {}, {}},
  });
}

TEST_F(ENMonthNameParserTest, MonthAloneImpliesTheNearestYear) {
  expectPhrases(parser_, {
      {"in March", {2024, 3, 20}, "March", {{U::month, 3}}, {{U::year, 2024}, {U::day, 1}}},
      {"in January", {2024, 12, 20}, "January", {{U::month, 1}}, {{U::year, 2025}}},
      {"in December", {2024, 1, 20}, "December", {{U::month, 12}}, {{U::year, 2023}}},
      {"see you in july then", {2024, 1, 20}, "july", {{U::month, 7}}, {{U::year, 2024}}},
  });
}

TEST_F(ENMonthNameParserTest, LeavesDaysToTheOtherParsers) {
  expectPhrases(parser_, {
      {"March 12", {2024, 1, 1}, "", {}, {}},
      {"12 March", {2024, 1, 1}, "", {}, {}},
      {"Marching", {2024, 1, 1}, "", {}, {}},
  });
}

}  // namespace
}  // namespace zarvo::chrono
