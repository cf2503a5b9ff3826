#include "zarvo/chrono/de/de_slash_date_format_parser.h"

#include <gtest/gtest.h>

#include "zarvo/chrono/phrase_test_util.h"

namespace zarvo::chrono {
namespace {

using namespace testing;
using U = ComponentUnit;

class DESlashDateFormatParserTest : public ::testing::Test {
 protected:
  ScopedTimeZone zone_{"Europe/Berlin"};
  DESlashDateFormatParser casual_{false};
  DESlashDateFormatParser strict_{true};
};

const Wall kRef{2024, 3, 11, 10};


TEST_F(DESlashDateFormatParserTest, DayBeforeMonth) {
  expectPhrases(casual_,
                {
                    {"12.03.2024", kRef, "12.03.2024", march(12), {}},
                    // The character after the date belongs to the phrase.
                    {"Abgabe 12.03.2024 um 10", kRef, "12.03.2024 ", march(12), {}},
                    {"am 3.5.", kRef, "3.5.", dayWith(2024, 5, 3), {}},
                    {"25.12.99", kRef, "25.12.99", dayWith(1999, 12, 25), {}},
                    {"01.01.20", kRef, "01.01.20", dayWith(2020, 1, 1), {}},
                    {"01.01.50", kRef, "01.01.50", dayWith(2050, 1, 1), {}},
                    {"01.12.51", kRef, "01.12.51", dayWith(1951, 12, 1), {}},
                    // A second number that cannot be a month turns the pair round.
                    {"03.25", kRef, "03.25", march(25), {}},
                    // The dashed form, with or without a year in front, also reads day first.
                    {"12-03", kRef, "12-03", march(12), {}},
                    {"2024-12-03", kRef, "2024-12-03", march(12), {}},
                    {"Montag, den 12.03.", kRef, "Montag, den 12.03.",
                     {{U::year, 2024}, {U::month, 3}, {U::day, 12}, {U::weekday, 1}}, {}},
                    {"am Fr 15.3.", kRef, "am Fr 15.3.", {{U::year, 2024}, {U::month, 3}, {U::day, 15}, {U::weekday, 5}},
                     {}},
                },
                TagUnit::deSlashDateFormatParser);
}

TEST_F(DESlashDateFormatParserTest, NotDates) {
  expectPhrases(casual_, {
      {"33.33", kRef, "", {}, {}},
      // The shape of a decimal number or a time, alone.
      {"1.5", kRef, "", {}, {}},
      {"0.5", kRef, "", {}, {}},
      // A weekday without digits is left to the weekday parser.
      {"Montag", kRef, "", {}, {}},
  });
}

TEST_F(DESlashDateFormatParserTest, ARejectedMatchIsSearchedAgainFromItsSecondCharacter) {
  // Where neither order of the numbers makes a date, or the whole has the shape of a version number,
  // the scan resumes one character later, where the start of the search is the leading context. What
  // is read there ("3.25", "1.20") is only a number, and the configurations drop it as such.
  expectPhrases(casual_, {
      {"13.25", kRef, "3.25", march(25), {}},
      {"1.1.20", kRef, "1.20", dayWith(2024, 1, 20), {}},
      {"32.12.", kRef, "2.12.", dayWith(2024, 12, 2), {}},
  });
}

TEST_F(DESlashDateFormatParserTest, SlashRunsAreSkipped) {
  EXPECT_TRUE(casual_.execute(u"1.2/3", kRef.date(), {}).empty());
  EXPECT_TRUE(casual_.execute(u"x/1.2", kRef.date(), {}).empty());
}

TEST_F(DESlashDateFormatParserTest, StrictModeDropsDatesThatDoNotExist) {
  EXPECT_EQ(casual_.execute(u"31.02.2024", kRef.date(), {}).size(), 1u);
  EXPECT_TRUE(strict_.execute(u"31.02.2024", kRef.date(), {}).empty());
  EXPECT_EQ(phrases(strict_.execute(u"29.02.2024", kRef.date(), {})), std::vector<std::string>{"29.02.2024"});
}

}  // namespace
}  // namespace zarvo::chrono
