#include "zarvo/chrono/en/en_iso_format_parser.h"

#include <gtest/gtest.h>

#include "zarvo/chrono/phrase_test_util.h"

namespace zarvo::chrono {
namespace {

using namespace testing;
using U = ComponentUnit;

class ENISOFormatParserTest : public ::testing::Test {
 protected:
  ScopedTimeZone zone_{"Europe/Berlin"};
  ENISOFormatParser parser_{false};
};

TEST_F(ENISOFormatParserTest, DatesAndTimestamps) {
  expectPhrases(parser_, {
      {"2024-03-12T10:30:00+09:00", {2023, 1, 1}, "2024-03-12T10:30:00+09:00",
       {{U::year, 2024}, {U::month, 3}, {U::day, 12}, {U::hour, 10}, {U::minute, 30}, {U::second, 0},
        {U::timeZoneOffset, 540}},
       {}},
      // A time without an offset is UTC.
      {"2024-03-12T10:30", {2023, 1, 1}, "2024-03-12T10:30",
       {{U::year, 2024}, {U::month, 3}, {U::day, 12}, {U::hour, 10}, {U::minute, 30}, {U::timeZoneOffset, 0}},
       {{U::second, 0}}},
      {"2024-03-12T10:30:15.250Z", {2023, 1, 1}, "2024-03-12T10:30:15.250Z",
       {{U::year, 2024}, {U::month, 3}, {U::day, 12}, {U::hour, 10}, {U::minute, 30}, {U::second, 15},
        {U::millisecond, 250}, {U::timeZoneOffset, 0}},
       {}},
      {"at 2024-02-29T23:59-0530.", {2023, 1, 1}, "2024-02-29T23:59-0530",
       {{U::year, 2024}, {U::month, 2}, {U::day, 29}, {U::hour, 23}, {U::minute, 59}, {U::timeZoneOffset, -330}},
       {}},
      // The minutes take the sign of the hours even when the hours are zero.
      {"2024-03-12T10:30-00:30", {2023, 1, 1}, "2024-03-12T10:30-00:30",
       {{U::year, 2024}, {U::month, 3}, {U::day, 12}, {U::hour, 10}, {U::minute, 30}, {U::timeZoneOffset, -30}},
       {}},
      {"2024-03-12T10:30+05", {2023, 1, 1}, "2024-03-12T10:30+05",
       {{U::year, 2024}, {U::month, 3}, {U::day, 12}, {U::hour, 10}, {U::minute, 30}, {U::timeZoneOffset, 300}},
       {}},
      // A date alone states no time and no offset.
      {"2024-03-12", {2023, 1, 1}, "2024-03-12", {{U::year, 2024}, {U::month, 3}, {U::day, 12}},
       {{U::hour, 12}, {U::minute, 0}}},
      {"2024-13-01", {2023, 1, 1}, "", {}, {}},
      // The fraction admits digits of any script; one that does not read as a number rejects the whole
      // timestamp rather than dropping its milliseconds.
      {"2024-03-12T10:30:00.٥", {2023, 1, 1}, "", {}, {}},
      {"2024-12-32", {2023, 1, 1}, "", {}, {}},
  });
}

TEST_F(ENISOFormatParserTest, TagsResultsAsCasualTime) {
  const auto results = parser_.execute(u"2024-03-12T10:30", localDate(2023, 1, 1), {});
  ASSERT_EQ(results.size(), 1u);
  EXPECT_TRUE(results[0].tags().isTrue(TagUnit::enCasualTimeParser));
  EXPECT_FALSE(results[0].tags().contains(TagUnit::enISOFormatParser));
}

TEST_F(ENISOFormatParserTest, TheStatedOffsetPlacesTheInstant) {
  // 10:30 at +09:00 is 01:30 UTC, 02:30 in Berlin in winter.
  const auto results = parser_.execute(u"2024-03-12T10:30:00+09:00", localDate(2023, 1, 1), {});
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(iso(results[0].start().moment()), "2024-03-12T02:30:00.000+01:00");
  EXPECT_TRUE(results[0].start().isPossibleDate());
}

}  // namespace
}  // namespace zarvo::chrono
