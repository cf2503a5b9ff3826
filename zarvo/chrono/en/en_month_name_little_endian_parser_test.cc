#include "zarvo/chrono/en/en_month_name_little_endian_parser.h"

#include <gtest/gtest.h>

#include "zarvo/chrono/phrase_test_util.h"

namespace zarvo::chrono {
namespace {

using namespace testing;
using U = ComponentUnit;

class ENMonthNameLittleEndianParserTest : public ::testing::Test {
 protected:
  ScopedTimeZone zone_{"Europe/Berlin"};
  ENMonthNameLittleEndianParser parser_{false};
};

TEST_F(ENMonthNameLittleEndianParserTest, DayMonthAndYear) {
  expectPhrases(parser_, {
      {"12th of March 2024", {2024, 1, 1}, "12th of March 2024", {{U::year, 2024}, {U::month, 3}, {U::day, 12}}, {}},
      {"due on 3rd Jan, 2025!", {2024, 1, 1}, "on 3rd Jan, 2025", {{U::year, 2025}, {U::month, 1}, {U::day, 3}}, {}},
      {"Tue 5 Mar 2024", {2024, 1, 1}, "Tue 5 Mar 2024",
       {{U::year, 2024}, {U::month, 3}, {U::day, 5}, {U::weekday, 2}}, {}},
      {"Sunday, 1 Sep. 2024", {2024, 1, 1}, "Sunday, 1 Sep. 2024",
       {{U::year, 2024}, {U::month, 9}, {U::day, 1}, {U::weekday, 0}}, {}},
      {"twenty-first of June 2024", {2024, 1, 1}, "twenty-first of June 2024",
       {{U::year, 2024}, {U::month, 6}, {U::day, 21}}, {}},
      {"thirty first December 2024", {2024, 1, 1}, "thirty first December 2024",
       {{U::year, 2024}, {U::month, 12}, {U::day, 31}}, {}},
      {"29 Feb 2024", {2023, 1, 1}, "29 Feb 2024", {{U::year, 2024}, {U::month, 2}, {U::day, 29}}, {}},
  });
}

TEST_F(ENMonthNameLittleEndianParserTest, ShortYearsAndEras) {
  expectPhrases(parser_, {
      {"12 March 24", {2023, 1, 1}, "12 March 24", {{U::year, 2024}, {U::month, 3}, {U::day, 12}}, {}},
      {"12 March 2567 BE", {2023, 1, 1}, "12 March 2567 BE", {{U::year, 2024}, {U::month, 3}, {U::day, 12}}, {}},
      {"15 March 44 BC", {2023, 1, 1}, "15 March 44 BC", {{U::year, -44}, {U::month, 3}, {U::day, 15}}, {}},
      {"12 March 1066 AD", {2023, 1, 1}, "12 March 1066 AD", {{U::year, 1066}, {U::month, 3}, {U::day, 12}}, {}},
      // A year below 10 needs an era.
      {"12 March 5", {2023, 1, 1}, "", {}, {}},
  });
}

TEST_F(ENMonthNameLittleEndianParserTest, WithoutAYearTheNearestOccurrenceIsImplied) {
  expectPhrases(parser_, {
      {"12th of March", {2024, 3, 1}, "12th of March", {{U::month, 3}, {U::day, 12}}, {{U::year, 2024}}},
      {"5 Jan", {2024, 12, 20}, "5 Jan", {{U::month, 1}, {U::day, 5}}, {{U::year, 2025}}},
      {"20 Dec", {2024, 1, 10}, "20 Dec", {{U::month, 12}, {U::day, 20}}, {{U::year, 2023}}},
      // Half a year away either way: 30 December is nearer the July behind it, 31 December the one ahead.
      {"1 July", {2024, 12, 30}, "1 July", {{U::month, 7}, {U::day, 1}}, {{U::year, 2024}}},
      {"1 July", {2024, 12, 31}, "1 July", {{U::month, 7}, {U::day, 1}}, {{U::year, 2025}}},
      // In a common year 29 February lands on 1 March, so the leap year after wins when nearer.
      {"29 Feb", {2023, 12, 20}, "29 Feb", {{U::month, 2}, {U::day, 29}}, {{U::year, 2024}}},
  });
}

TEST_F(ENMonthNameLittleEndianParserTest, RangesOfDaysInOneMonth) {
  expectRanges(parser_, {
      {"5 - 7 Jan", {2024, 12, 20}, "5 - 7 Jan", {{U::month, 1}, {U::day, 5}}, {{U::month, 1}, {U::day, 7}}},
      {"5 to 7 Jan 2025", {2024, 1, 1}, "5 to 7 Jan 2025", {{U::year, 2025}, {U::month, 1}, {U::day, 5}},
       {{U::year, 2025}, {U::month, 1}, {U::day, 7}}},
      {"1st until 3rd of March", {2024, 1, 1}, "1st until 3rd of March", {{U::month, 3}, {U::day, 1}},
       {{U::month, 3}, {U::day, 3}}},
      {"30 – 31 December 2024", {2024, 1, 1}, "30 – 31 December 2024",
       {{U::year, 2024}, {U::month, 12}, {U::day, 30}}, {{U::year, 2024}, {U::month, 12}, {U::day, 31}}},
  });
  // The end inherits the implied year of the start.
  const auto results = parser_.execute(u"5 - 7 Jan", localDate(2024, 12, 20), {});
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].end()->impliedValues().get(U::year), 2025);
  EXPECT_TRUE(results[0].tags().isTrue(TagUnit::enMonthNameLittleEndianParser));
}

TEST_F(ENMonthNameLittleEndianParserTest, NotDayMonthDates) {
  expectPhrases(parser_, {
      {"March 12", {2024, 1, 1}, "", {}, {}},
      {"12 Marchx", {2024, 1, 1}, "", {}, {}},
  });
}

}  // namespace
}  // namespace zarvo::chrono
