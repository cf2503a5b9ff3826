#include "zarvo/chrono/en/en_month_name_middle_endian_parser.h"

#include <gtest/gtest.h>

#include "zarvo/chrono/phrase_test_util.h"

namespace zarvo::chrono {
namespace {

using namespace testing;
using U = ComponentUnit;

class ENMonthNameMiddleEndianParserTest : public ::testing::Test {
 protected:
  ScopedTimeZone zone_{"Europe/Berlin"};
  ENMonthNameMiddleEndianParser parser_{false};
};

TEST_F(ENMonthNameMiddleEndianParserTest, MonthDayAndYear) {
  expectPhrases(parser_, {
      {"March 12, 2024", {2023, 1, 1}, "March 12, 2024", {{U::year, 2024}, {U::month, 3}, {U::day, 12}}, {}},
      {"Fri, Mar 15th 2024", {2023, 1, 1}, "Fri, Mar 15th 2024",
       {{U::year, 2024}, {U::month, 3}, {U::day, 15}, {U::weekday, 5}}, {}},
      {"on Thursday February 29th, 2024.", {2023, 1, 1}, "on Thursday February 29th, 2024",
       {{U::year, 2024}, {U::month, 2}, {U::day, 29}, {U::weekday, 4}}, {}},
      {"Sept. 3rd", {2024, 8, 1}, "Sept. 3rd", {{U::month, 9}, {U::day, 3}}, {{U::year, 2024}}},
      {"December twenty-fifth", {2024, 8, 1}, "December twenty-fifth", {{U::month, 12}, {U::day, 25}},
       {{U::year, 2024}}},
      // "May." is read although the month table spells May without a period.
      {"May. 3", {2024, 4, 1}, "May. 3", {{U::month, 5}, {U::day, 3}}, {{U::year, 2024}}},
  });
}

TEST_F(ENMonthNameMiddleEndianParserTest, ErasAndShortYears) {
  expectPhrases(parser_, {
      {"March 12, 2500 BE", {2024, 1, 1}, "March 12, 2500 BE", {{U::year, 1957}, {U::month, 3}, {U::day, 12}}, {}},
      {"March 15, 44 BC", {2024, 1, 1}, "March 15, 44 BC", {{U::year, -44}, {U::month, 3}, {U::day, 15}}, {}},
      // A short year needs an era; with one, years up to 99 are this century's, below 10 included.
      {"March 12, 5 AD", {2024, 1, 1}, "March 12, 5 AD", {{U::year, 2005}, {U::month, 3}, {U::day, 12}}, {}},
      {"March 12, 24", {2024, 1, 1}, "March 12", {{U::month, 3}, {U::day, 12}}, {{U::year, 2024}}},
  });
}

TEST_F(ENMonthNameMiddleEndianParserTest, YearInferenceNearTheYearEnd) {
  expectPhrases(parser_, {
      {"Jan 5", {2024, 12, 20}, "Jan 5", {{U::month, 1}, {U::day, 5}}, {{U::year, 2025}}},
      {"Dec 20", {2024, 1, 10}, "Dec 20", {{U::month, 12}, {U::day, 20}}, {{U::year, 2023}}},
  });
}

TEST_F(ENMonthNameMiddleEndianParserTest, Ranges) {
  expectRanges(parser_, {
      {"Jan 5 - 7", {2024, 12, 20}, "Jan 5 - 7", {{U::month, 1}, {U::day, 5}}, {{U::month, 1}, {U::day, 7}}},
      {"March 5th to 9th, 2024", {2023, 1, 1}, "March 5th to 9th, 2024",
       {{U::year, 2024}, {U::month, 3}, {U::day, 5}}, {{U::year, 2024}, {U::month, 3}, {U::day, 9}}},
  });
}

TEST_F(ENMonthNameMiddleEndianParserTest, AClockTimeIsNotADay) {
  expectPhrases(parser_, {
      {"March 12:30", {2024, 1, 1}, "", {}, {}},
      // The trailing blank is given back so the phrase ends before "at".
      {"March 12 at 10:30", {2024, 1, 1}, "March 12", {{U::month, 3}, {U::day, 12}}, {}},
  });
}

}  // namespace
}  // namespace zarvo::chrono
