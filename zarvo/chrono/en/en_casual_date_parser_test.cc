#include "zarvo/chrono/en/en_casual_date_parser.h"

#include <gtest/gtest.h>

#include "zarvo/chrono/test_util.h"

namespace zarvo::chrono {
namespace {

using namespace testing;
using U = ComponentUnit;

class ENCasualDateParserTest : public ::testing::TestWithParam<PhraseRow> {};

TEST_P(ENCasualDateParserTest, Reads) {
  const PhraseRow& row = GetParam();
  ScopedTimeZone zone(row.zone);
  ENCasualDateParser parser(false);
  checkFirstResult(row, parser.execute(row.text, row.ref.in(), row.opt));
}

const LocalTime kEvening{2024, 3, 10, 18, 45};

INSTANTIATE_TEST_SUITE_P(
    Phrases, ENCasualDateParserTest,
    ::testing::Values(
        PhraseRow{.text = u"call mom today", .ref = kEvening, .index = 9, .phrase = u"today",
                  .known = {{U::year, 2024}, {U::month, 3}, {U::day, 10}}, .implied = {{U::hour, 12}, {U::minute, 0}}},
        PhraseRow{.text = u"Tomorrow: dentist", .ref = kEvening, .index = 0, .phrase = u"Tomorrow",
                  .known = {{U::year, 2024}, {U::month, 3}, {U::day, 11}}},
        // Trailing blanks stay in the phrase when nothing but the end follows.
        PhraseRow{.text = u"call mom tomorrow ", .ref = kEvening, .index = 9, .phrase = u"tomorrow ",
                  .known = {{U::year, 2024}, {U::month, 3}, {U::day, 11}}},
        PhraseRow{.text = u"tomorrow at 5", .ref = kEvening, .index = 0, .phrase = u"tomorrow",
                  .known = {{U::year, 2024}, {U::month, 3}, {U::day, 11}}},
        PhraseRow{.text = u"tmr", .ref = kEvening, .index = 0, .phrase = u"tmr",
                  .known = {{U::year, 2024}, {U::month, 3}, {U::day, 11}}},
        // Before 02:00, tomorrow is the day that has just begun.
        PhraseRow{.text = u"tomorrow", .ref = {2024, 3, 10, 1, 30}, .index = 0, .phrase = u"tomorrow",
                  .known = {{U::year, 2024}, {U::month, 3}, {U::day, 10}}},
        PhraseRow{.text = u"tomorrow", .ref = {2024, 3, 10, 2, 0}, .index = 0, .phrase = u"tomorrow",
                  .known = {{U::year, 2024}, {U::month, 3}, {U::day, 11}}},
        PhraseRow{.text = u"tomorrow", .ref = {2024, 2, 29, 22, 0}, .index = 0, .phrase = u"tomorrow",
                  .known = {{U::year, 2024}, {U::month, 3}, {U::day, 1}}},
        PhraseRow{.text = u"tomorrow", .ref = {2024, 12, 31, 9, 0}, .index = 0, .phrase = u"tomorrow",
                  .known = {{U::year, 2025}, {U::month, 1}, {U::day, 1}}},
        // The day before the spring-forward night, one day later is still the next calendar day.
        PhraseRow{.text = u"tomorrow", .ref = {2024, 3, 30, 23, 30}, .index = 0, .phrase = u"tomorrow",
                  .known = {{U::year, 2024}, {U::month, 3}, {U::day, 31}}, .zone = "Europe/Berlin"},
        PhraseRow{.text = u"yesterday", .ref = {2024, 3, 1, 8, 0}, .index = 0, .phrase = u"yesterday",
                  .known = {{U::year, 2024}, {U::month, 2}, {U::day, 29}}},
        PhraseRow{.text = u"tonight", .ref = kEvening, .index = 0, .phrase = u"tonight",
                  .known = {{U::year, 2024}, {U::month, 3}, {U::day, 10}},
                  .implied = {{U::hour, 22}, {U::meridiem, 1}}},
        PhraseRow{.text = u"last night", .ref = {2024, 3, 10, 5, 0}, .index = 0, .phrase = u"last night",
                  .known = {{U::year, 2024}, {U::month, 3}, {U::day, 10}}, .implied = {{U::hour, 0}}},
        PhraseRow{.text = u"lastnight", .ref = {2024, 3, 10, 20, 0}, .index = 0, .phrase = u"lastnight",
                  .known = {{U::year, 2024}, {U::month, 3}, {U::day, 9}}, .implied = {{U::hour, 0}}},
        PhraseRow{.text = u"do it NOW!", .ref = {2024, 3, 10, 18, 45, 30, 250}, .index = 6, .phrase = u"NOW",
                  .known = {{U::year, 2024}, {U::month, 3}, {U::day, 10}},
                  .implied = {{U::hour, 18}, {U::minute, 45}, {U::second, 30}, {U::millisecond, 250}}},
        // Words that merely contain a day word are not read.
        PhraseRow{.text = u"snowboard nowhere todays", .ref = kEvening, .found = false},
        PhraseRow{.text = u"tomorrows", .ref = kEvening, .found = false}));

TEST(ENCasualDateParserNowTest, MillisecondsRoundUp) {
  ScopedTimeZone zone("UTC");
  const Date ref = utcDate(2024, 3, 10, 18, 45) + std::chrono::microseconds(250'400);
  const auto results = ENCasualDateParser(false).execute(u"now", ref, {});
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].start().impliedValues().get(U::millisecond), 251);
  EXPECT_TRUE(results[0].tags().isTrue(TagUnit::enCasualDateParser));
  EXPECT_FALSE(results[0].start().isCertain(U::hour));
}

}  // namespace
}  // namespace zarvo::chrono
