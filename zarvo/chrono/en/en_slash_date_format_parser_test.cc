#include "zarvo/chrono/en/en_slash_date_format_parser.h"

#include <gtest/gtest.h>

#include "zarvo/chrono/phrase_test_util.h"

namespace zarvo::chrono {
namespace {

using namespace testing;
using U = ComponentUnit;

class ENSlashDateFormatParserTest : public ::testing::Test {
 protected:
  ScopedTimeZone zone_{"Europe/Berlin"};
  ENSlashDateFormatParser casual_{false};
  ENSlashDateFormatParser strict_{true};
};

TEST_F(ENSlashDateFormatParserTest, MonthFirstUnlessTheFirstNumberCannotBeAMonth) {
  expectPhrases(casual_, {
      {"3/12", {2024, 5, 1}, "3/12", {{U::year, 2024}, {U::month, 3}, {U::day, 12}}, {}},
      {"25/12", {2024, 5, 1}, "25/12", {{U::year, 2024}, {U::month, 12}, {U::day, 25}}, {}},
      {"12/25/2024", {2023, 5, 1}, "12/25/2024", {{U::year, 2024}, {U::month, 12}, {U::day, 25}}, {}},
      {"12/32", {2024, 5, 1}, "", {}, {}},
      {"1/32/2024", {2024, 5, 1}, "", {}, {}},
      // A rejected pair is searched again from its second character, where the range start serves as
      // the leading context: "13/13" is rejected, "3/13" is then read.
      {"13/13", {2024, 5, 1}, "3/13", {{U::year, 2024}, {U::month, 3}, {U::day, 13}}, {}},
      {"32/12", {2024, 5, 1}, "2/12", {{U::year, 2024}, {U::month, 2}, {U::day, 12}}, {}},
      {"4/0", {2024, 5, 1}, "", {}, {}},
      {"2/29/2024", {2023, 5, 1}, "2/29/2024", {{U::year, 2024}, {U::month, 2}, {U::day, 29}}, {}},
  });
}

TEST_F(ENSlashDateFormatParserTest, YearsAndSeparators) {
  expectPhrases(casual_, {
      {"12/03/24", {2024, 5, 1}, "12/03/24", {{U::year, 2024}, {U::month, 12}, {U::day, 3}}, {}},
      {"12/03/75", {2024, 5, 1}, "12/03/75", {{U::year, 1975}, {U::month, 12}, {U::day, 3}}, {}},
      {"1/1/50", {2024, 5, 1}, "1/1/50", {{U::year, 2050}, {U::month, 1}, {U::day, 1}}, {}},
      {"1/1/51", {2024, 5, 1}, "1/1/51", {{U::year, 1951}, {U::month, 1}, {U::day, 1}}, {}},
      {"5.12.2024", {2023, 5, 1}, "5.12.2024", {{U::year, 2024}, {U::month, 5}, {U::day, 12}}, {}},
      {"due 12-31-2024, ok", {2023, 5, 1}, "12-31-2024", {{U::year, 2024}, {U::month, 12}, {U::day, 31}}, {}},
      {"Tue 3-12-24", {2023, 5, 1}, "Tue 3-12-24", {{U::year, 2024}, {U::month, 3}, {U::day, 12}, {U::weekday, 2}},
       {}},
      {"on saturday, 3/16", {2024, 3, 1}, "on saturday, 3/16",
       {{U::year, 2024}, {U::month, 3}, {U::day, 16}, {U::weekday, 6}}, {}},
      // "tues" is admitted by the pattern but is not a weekday word: no weekday is stated.
      {"tues 3/12", {2024, 3, 1}, "tues 3/12", {{U::year, 2024}, {U::month, 3}, {U::day, 12}}, {}},
  });
}

TEST_F(ENSlashDateFormatParserTest, VersionNumbersAndBarePairsAreNotDates) {
  expectPhrases(casual_, {
      {"1.2", {2024, 5, 1}, "", {}, {}},
      {"version 1.2.3", {2024, 5, 1}, "", {}, {}},
      {"5.12", {2024, 5, 1}, "", {}, {}},
      {"5-12", {2024, 5, 1}, "", {}, {}},
  });
}

TEST_F(ENSlashDateFormatParserTest, ALongerSlashRunIsSkippedMatchByMatch) {
  // "1/2/" ends in a slash: the scan moves past it and reads "3/4" on its own.
  const auto results = casual_.execute(u"1/2/3/4", localDate(2024, 5, 1), {});
  ASSERT_EQ(phrases(results), std::vector<std::string>{"3/4"});
  EXPECT_EQ(results[0].index(), 4);
  EXPECT_EQ(describe(results[0].start().knownValues()), describe({{U::year, 2024}, {U::month, 3}, {U::day, 4}}));
  // A slash before the pair works the same way.
  EXPECT_TRUE(casual_.execute(u"x/3/4", localDate(2024, 5, 1), {}).empty());
}

TEST_F(ENSlashDateFormatParserTest, StrictModeDropsDatesThatDoNotExist) {
  const Date ref = localDate(2024, 5, 1);
  // 31/02 swaps to 31 February, which the calendar carries into March.
  EXPECT_EQ(casual_.execute(u"31/02/2024", ref, {}).size(), 1u);
  EXPECT_TRUE(strict_.execute(u"31/02/2024", ref, {}).empty());
  EXPECT_TRUE(strict_.execute(u"2/29/2023", ref, {}).empty());
  EXPECT_EQ(phrases(strict_.execute(u"2/29/2024", ref, {})), std::vector<std::string>{"2/29/2024"});
}

}  // namespace
}  // namespace zarvo::chrono
