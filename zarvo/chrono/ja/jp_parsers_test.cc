// The Japanese parsers, each read alone over its phrase table.
#include "zarvo/chrono/ja/jp_casual_date_parser.h"
#include "zarvo/chrono/ja/jp_standard_parser.h"

#include <gtest/gtest.h>

#include "zarvo/chrono/phrase_test_util.h"

namespace zarvo::chrono {
namespace {

using namespace testing;
using U = ComponentUnit;

class JPCasualDateParserTest : public ::testing::TestWithParam<PhraseRow> {};

TEST_P(JPCasualDateParserTest, Reads) { expectParserReads<JPCasualDateParser>(GetParam(), TagUnit::jpCasualDateParser); }

// Monday 11 March 2024, 10:00.
const LocalTime kMonday{2024, 3, 11, 10, 0};

INSTANTIATE_TEST_SUITE_P(
    Phrases, JPCasualDateParserTest,
    ::testing::ValuesIn(std::vector<PhraseRow>{
        {.text = u"明日 歯医者", .ref = kMonday, .phrase = u"明日", .known = march(12), .implied = {{U::hour, 12}}},
        {.text = u"歯医者は明日", .ref = kMonday, .index = 4, .phrase = u"明日", .known = march(12)},
        // Before 05:00 "tomorrow" is still the day that has just begun.
        {.text = u"明日", .ref = {2024, 3, 11, 4, 59}, .phrase = u"明日", .known = march(11)},
        {.text = u"明日", .ref = {2024, 3, 11, 5, 0}, .phrase = u"明日", .known = march(12)},
        {.text = u"昨日の会議", .ref = {2024, 3, 1, 9, 0}, .phrase = u"昨日", .known = dayWith(2024, 2, 29)},
        {.text = u"今日", .ref = kMonday, .phrase = u"今日", .known = march(11), .implied = {{U::hour, 12}}},
        {.text = u"今晩 飲み会", .ref = kMonday, .phrase = u"今晩", .known = march(11),
         .implied = {{U::hour, 22}, {U::meridiem, 1}}},
        {.text = u"今朝", .ref = kMonday, .phrase = u"今朝", .known = march(11),
         .implied = {{U::hour, 6}, {U::meridiem, 0}}},
        // Positions are UTF-16 code units: an emoji outside the BMP counts two.
        {.text = u"🦷明日", .ref = kMonday, .index = 2, .phrase = u"明日", .known = march(12)},
        // The day after tomorrow is not tomorrow.
        {.text = u"明後日", .ref = kMonday, .found = false},
        {.text = u"tomorrow", .ref = kMonday, .found = false}}));

class JPStandardParserTest : public ::testing::TestWithParam<PhraseRow> {};

TEST_P(JPStandardParserTest, Reads) {
  const PhraseRow& row = GetParam();
  ScopedTimeZone zone(row.zone);
  const auto results = expectParserReads<JPStandardParser>(row, TagUnit::jpStandardParser);
  // Strict mode reads the same: month and day are carried into a real date before they are assigned.
  EXPECT_EQ(JPStandardParser(true).execute(row.text, row.ref.in(), row.opt).size(), results.size());
}

const LocalTime kMarch{2024, 3, 11, 10, 0};
const LocalTime kDecember{2024, 12, 20, 10, 0};

ComponentMap monthDay(int64_t m, int64_t d) { return {{U::month, m}, {U::day, d}}; }

INSTANTIATE_TEST_SUITE_P(
    Dates, JPStandardParserTest,
    ::testing::ValuesIn(std::vector<PhraseRow>{
        {.text = u"2016年12月25日", .ref = kMarch, .phrase = u"2016年12月25日",
         .known = dayWith(2016, 12, 25), .implied = {{U::hour, 12}}},
        {.text = u"平成28年12月25日", .ref = kMarch, .phrase = u"平成28年12月25日", .known = dayWith(2016, 12, 25)},
        {.text = u"昭和64年1月7日", .ref = kMarch, .phrase = u"昭和64年1月7日", .known = dayWith(1989, 1, 7)},
        {.text = u"２０１６年１２月２５日", .ref = kMarch, .phrase = u"２０１６年１２月２５日", .known = dayWith(2016, 12, 25)},
        {.text = u"締切 2016年 3月 5日 まで", .ref = kMarch, .index = 3, .phrase = u"2016年 3月 5日",
         .known = dayWith(2016, 3, 5)},
        // Without a year, the occurrence nearest to the reference: Christmas read in March is last
        // year's, 5 January read in December next year's.
        {.text = u"12月25日", .ref = kMarch, .phrase = u"12月25日", .known = monthDay(12, 25),
         .implied = {{U::year, 2023}}},
        {.text = u"1月5日", .ref = kDecember, .phrase = u"1月5日", .known = monthDay(1, 5), .implied = {{U::year, 2025}}},
        // "The same year" takes the path without a written year.
        {.text = u"同年3月1日", .ref = kMarch, .phrase = u"同年3月1日", .known = monthDay(3, 1), .implied = {{U::year, 2024}}},
        {.text = u"同年3月1日", .ref = kDecember, .phrase = u"同年3月1日",
         .known = monthDay(3, 1), .implied = {{U::year, 2025}}},
        // An impossible day is carried into the next month before it is assigned.
        {.text = u"2月30日", .ref = kMarch, .phrase = u"2月30日", .known = monthDay(3, 1), .implied = {{U::year, 2024}}},
        // A month without a day, and a year with one digit, are not read as such.
        {.text = u"2016年12月", .ref = kMarch, .found = false},
        {.text = u"6年3月5日", .ref = kMarch, .index = 2, .phrase = u"3月5日", .known = monthDay(3, 5)}}));

}  // namespace
}  // namespace zarvo::chrono
