#include "zarvo/chrono/ja/jp_casual_date_parser.h"

#include <gtest/gtest.h>

#include "zarvo/chrono/test_util.h"

namespace zarvo::chrono {
namespace {

using namespace testing;
using U = ComponentUnit;

class JPCasualDateParserTest : public ::testing::TestWithParam<PhraseRow> {};

TEST_P(JPCasualDateParserTest, Reads) {
  const PhraseRow& row = GetParam();
  const auto results = expectParserReads<JPCasualDateParser>(row, TagUnit::jpCasualDateParser);
}

// Monday 11 March 2024, 10:00.
const LocalTime kMonday{2024, 3, 11, 10, 0};


INSTANTIATE_TEST_SUITE_P(
    Phrases, JPCasualDateParserTest,
    ::testing::Values(
        PhraseRow{.text = u"明日 歯医者", .ref = kMonday, .index = 0, .phrase = u"明日", .known = dayWith(2024, 3, 12),
                  .implied = {{U::hour, 12}}},
        PhraseRow{.text = u"歯医者は明日", .ref = kMonday, .index = 4, .phrase = u"明日", .known = dayWith(2024, 3, 12)},
        // Before 05:00 "tomorrow" is still the day that has just begun.
        PhraseRow{.text = u"明日", .ref = {2024, 3, 11, 4, 59}, .index = 0, .phrase = u"明日", .known = dayWith(2024, 3, 11)},
        PhraseRow{.text = u"明日", .ref = {2024, 3, 11, 5, 0}, .index = 0, .phrase = u"明日", .known = dayWith(2024, 3, 12)},
        PhraseRow{.text = u"昨日の会議", .ref = {2024, 3, 1, 9, 0}, .index = 0, .phrase = u"昨日",
                  .known = dayWith(2024, 2, 29)},
        PhraseRow{.text = u"今日", .ref = kMonday, .index = 0, .phrase = u"今日", .known = dayWith(2024, 3, 11),
                  .implied = {{U::hour, 12}}},
        PhraseRow{.text = u"今晩 飲み会", .ref = kMonday, .index = 0, .phrase = u"今晩", .known = dayWith(2024, 3, 11),
                  .implied = {{U::hour, 22}, {U::meridiem, 1}}},
        PhraseRow{.text = u"今朝", .ref = kMonday, .index = 0, .phrase = u"今朝", .known = dayWith(2024, 3, 11),
                  .implied = {{U::hour, 6}, {U::meridiem, 0}}},
        // Positions are UTF-16 code units: an emoji outside the BMP counts two.
        PhraseRow{.text = u"🦷明日", .ref = kMonday, .index = 2, .phrase = u"明日", .known = dayWith(2024, 3, 12)},
        // The day after tomorrow is not tomorrow.
        PhraseRow{.text = u"明後日", .ref = kMonday, .found = false},
        PhraseRow{.text = u"tomorrow", .ref = kMonday, .found = false}));

}  // namespace
}  // namespace zarvo::chrono
