#include "zarvo/chrono/ja/jp_standard_parser.h"

#include <gtest/gtest.h>

#include "zarvo/chrono/test_util.h"

namespace zarvo::chrono {
namespace {

using namespace testing;
using U = ComponentUnit;

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
    ::testing::Values(
        PhraseRow{.text = u"2016年12月25日", .ref = kMarch, .index = 0, .phrase = u"2016年12月25日",
                  .known = dayWith(2016, 12, 25), .implied = {{U::hour, 12}}},
        PhraseRow{.text = u"平成28年12月25日", .ref = kMarch, .index = 0, .phrase = u"平成28年12月25日",
                  .known = dayWith(2016, 12, 25)},
        PhraseRow{.text = u"昭和64年1月7日", .ref = kMarch, .index = 0, .phrase = u"昭和64年1月7日",
                  .known = dayWith(1989, 1, 7)},
        PhraseRow{.text = u"２０１６年１２月２５日", .ref = kMarch, .index = 0, .phrase = u"２０１６年１２月２５日",
                  .known = dayWith(2016, 12, 25)},
        PhraseRow{.text = u"締切 2016年 3月 5日 まで", .ref = kMarch, .index = 3, .phrase = u"2016年 3月 5日",
                  .known = dayWith(2016, 3, 5)},
        // Without a year, the occurrence nearest to the reference: Christmas read in March is last
        // year's, 5 January read in December next year's.
        PhraseRow{.text = u"12月25日", .ref = kMarch, .index = 0, .phrase = u"12月25日", .known = monthDay(12, 25),
                  .implied = {{U::year, 2023}}},
        PhraseRow{.text = u"1月5日", .ref = kDecember, .index = 0, .phrase = u"1月5日", .known = monthDay(1, 5),
                  .implied = {{U::year, 2025}}},
        // "The same year" takes the path without a written year.
        PhraseRow{.text = u"同年3月1日", .ref = kMarch, .index = 0, .phrase = u"同年3月1日", .known = monthDay(3, 1),
                  .implied = {{U::year, 2024}}},
        PhraseRow{.text = u"同年3月1日", .ref = kDecember, .index = 0, .phrase = u"同年3月1日",
                  .known = monthDay(3, 1), .implied = {{U::year, 2025}}},
        // An impossible day is carried into the next month before it is assigned.
        PhraseRow{.text = u"2月30日", .ref = kMarch, .index = 0, .phrase = u"2月30日", .known = monthDay(3, 1),
                  .implied = {{U::year, 2024}}},
        // A month without a day, and a year with one digit, are not read as such.
        PhraseRow{.text = u"2016年12月", .ref = kMarch, .found = false},
        PhraseRow{.text = u"6年3月5日", .ref = kMarch, .index = 2, .phrase = u"3月5日", .known = monthDay(3, 5)}));

}  // namespace
}  // namespace zarvo::chrono
