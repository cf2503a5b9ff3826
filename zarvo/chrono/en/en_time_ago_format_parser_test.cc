#include "zarvo/chrono/en/en_time_ago_format_parser.h"

#include <gtest/gtest.h>

#include "zarvo/chrono/phrase_test_util.h"

namespace zarvo::chrono {
namespace {

using namespace testing;
using U = ComponentUnit;

class ENTimeAgoFormatParserTest : public ::testing::Test {
 protected:
  ScopedTimeZone zone_{"Europe/Berlin"};
  ENTimeAgoFormatParser casual_{false};
  ENTimeAgoFormatParser strict_{true};
};

TEST_F(ENTimeAgoFormatParserTest, DaysMonthsAndYearsMakeTheDateKnown) {
  expectPhrases(casual_, {
      {"a few days ago", {2024, 3, 10, 18, 45}, "a few days ago", {{U::year, 2024}, {U::month, 3}, {U::day, 7}},
       {{U::hour, 12}}},
      {"2 days before", {2024, 1, 1}, "2 days before", {{U::year, 2023}, {U::month, 12}, {U::day, 30}}, {}},
      {"three days earlier", {2024, 3, 1}, "three days earlier", {{U::year, 2024}, {U::month, 2}, {U::day, 27}}, {}},
      {"1 month ago", {2024, 3, 31}, "1 month ago", {{U::year, 2024}, {U::month, 2}, {U::day, 29}}, {}},
      {"a year ago", {2024, 2, 29}, "a year ago", {{U::year, 2023}, {U::month, 2}, {U::day, 28}}, {}},
      {"half a month earlier", {2024, 3, 10}, "half a month earlier", {{U::year, 2024}, {U::month, 2}, {U::day, 24}},
       {}},
      {"half a year ago", {2024, 3, 10}, "half a year ago", {{U::year, 2023}, {U::month, 9}, {U::day, 10}}, {}},
      {"within 2 days ago", {2024, 3, 10}, "within 2 days ago", {{U::year, 2024}, {U::month, 3}, {U::day, 8}}, {}},
  });
}

TEST_F(ENTimeAgoFormatParserTest, WeeksLeaveTheDateAndWeekdayImplied) {
  expectPhrases(casual_, {
      {"2 weeks ago", {2024, 3, 10, 18, 45}, "2 weeks ago", {},
       {{U::year, 2024}, {U::month, 2}, {U::day, 25}, {U::weekday, 0}}},
      {"a week ago", {2024, 1, 3}, "a week ago", {}, {{U::year, 2023}, {U::month, 12}, {U::day, 27}, {U::weekday, 3}}},
      // Half a week: 3 days and 12 hours back from Sunday 18:45 is Thursday 06:45.
      {"half a week ago", {2024, 3, 10, 18, 45}, "half a week ago", {}, {{U::day, 7}, {U::weekday, 4}}},
  });
}

TEST_F(ENTimeAgoFormatParserTest, ClockUnitsMakeTheTimeKnown) {
  expectPhrases(casual_, {
      {"5 minutes ago", {2024, 3, 10, 18, 45}, "5 minutes ago", {{U::hour, 18}, {U::minute, 40}, {U::second, 0}},
       {{U::year, 2024}, {U::month, 3}, {U::day, 10}}},
      {"an hour ago", {2024, 1, 1, 0, 30}, "an hour ago", {{U::hour, 23}, {U::minute, 30}, {U::second, 0}},
       {{U::year, 2023}, {U::month, 12}, {U::day, 31}}},
      {"half an hour ago", {2024, 3, 10, 18, 45}, "half an hour ago", {{U::hour, 18}, {U::minute, 15}, {U::second, 0}},
       {}},
      {"10 secs ago", {2024, 3, 10, 18, 45, 5}, "", {}, {}},
      {"10 seconds ago", {2024, 3, 10, 18, 45, 5}, "10 seconds ago", {{U::hour, 18}, {U::minute, 44}, {U::second, 55}},
       {}},
      // Berlin falls back on 27 October 2024 at 03:00: three hours before 04:00 CET is 02:00 CEST.
      {"3 hours earlier", {2024, 10, 27, 4, 0}, "3 hours earlier", {{U::hour, 2}, {U::minute, 0}, {U::second, 0}},
       {{U::day, 27}}},
  });
}

TEST_F(ENTimeAgoFormatParserTest, AMatchRightAfterALetterIsReadFromTheNextPosition) {
  // The match starting at the blank follows "c" and is rejected; the scan then reads from "5".
  const auto results = casual_.execute(u"abc 5 minutes ago", localDate(2024, 3, 10, 18, 45), {});
  ASSERT_EQ(phrases(results), std::vector<std::string>{"5 minutes ago"});
  EXPECT_EQ(results[0].index(), 4);
  EXPECT_TRUE(results[0].tags().isTrue(TagUnit::enTimeAgoFormatParser));
  // Without a leading blank there is no leading context to match at all.
  EXPECT_TRUE(casual_.execute(u"x5 minutes ago", localDate(2024, 3, 10), {}).empty());
}

TEST_F(ENTimeAgoFormatParserTest, StrictPatternTakesOnlyCountsOfShortUnitsAgo) {
  expectPhrases(strict_, {
      {"3 days ago", {2024, 3, 10}, "3 days ago", {{U::year, 2024}, {U::month, 3}, {U::day, 7}}, {}},
      {"an hour ago", {2024, 3, 10, 18, 45}, "an hour ago", {{U::hour, 17}, {U::minute, 45}, {U::second, 0}}, {}},
      {"3 weeks ago", {2024, 3, 10}, "", {}, {}},
      {"3 days earlier", {2024, 3, 10}, "", {}, {}},
      {"a few days ago", {2024, 3, 10}, "", {}, {}},
      {"three days ago", {2024, 3, 10}, "", {}, {}},
  });
}

}  // namespace
}  // namespace zarvo::chrono
