#include "zarvo/chrono/zh/zh_date_parser.h"

#include <gtest/gtest.h>

#include "zarvo/chrono/test_util.h"

namespace zarvo::chrono {
namespace {

using namespace testing;
using U = ComponentUnit;

class ZHDateParserTest : public ::testing::TestWithParam<PhraseRow> {};

TEST_P(ZHDateParserTest, Reads) {
  const PhraseRow& row = GetParam();
  const auto results = expectParserReads<ZHDateParser>(row, TagUnit::zhHantDateParser);
}

const LocalTime kMonday{2024, 3, 11, 10, 0};


INSTANTIATE_TEST_SUITE_P(
    Dates, ZHDateParserTest,
    ::testing::Values(
        PhraseRow{.text = u"二零一六年十二月二十日", .ref = kMonday, .index = 0, .phrase = u"二零一六年十二月二十日",
                  .known = dayWith(2016, 12, 20)},
        PhraseRow{.text = u"2016年12月25日", .ref = kMonday, .index = 0, .phrase = u"2016年12月25日",
                  .known = dayWith(2016, 12, 25)},
        PhraseRow{.text = u"2016 年 3 月 5 日", .ref = kMonday, .index = 0, .phrase = u"2016 年 3 月 5 日",
                  .known = dayWith(2016, 3, 5)},
        // Without a year the reference's year is implied (not the nearest one).
        PhraseRow{.text = u"十二月三日", .ref = kMonday, .index = 0, .phrase = u"十二月三日",
                  .known = {{U::month, 12}, {U::day, 3}}, .implied = {{U::year, 2024}}},
        // The blanks before a date belong to the phrase, which has no leading-context group.
        PhraseRow{.text = u"交報告 12月25號", .ref = kMonday, .index = 3, .phrase = u" 12月25號",
                  .known = {{U::month, 12}, {U::day, 25}}, .implied = {{U::year, 2024}}},
        PhraseRow{.text = u"廿五号", .ref = kMonday, .found = false},
        // A month alone: the reference's day is implied.
        PhraseRow{.text = u"三月", .ref = kMonday, .index = 0, .phrase = u"三月", .known = {{U::month, 3}},
                  .implied = {{U::day, 11}, {U::year, 2024}}},
        // A day takes at most two characters: the third is left out of the phrase.
        PhraseRow{.text = u"十二月二十五日", .ref = kMonday, .index = 0, .phrase = u"十二月二十",
                  .known = {{U::month, 12}, {U::day, 20}}},
        // Full-width digits match "\d" but are not read.
        PhraseRow{.text = u"１２月２５日", .ref = kMonday, .found = false},
        PhraseRow{.text = u"3個月", .ref = kMonday, .found = false}));

}  // namespace
}  // namespace zarvo::chrono
