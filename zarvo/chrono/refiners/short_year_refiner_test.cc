// Short Japanese and Chinese years read through a whole Chrono, with and without the reader option.
#include "zarvo/chrono/refiners/short_year_refiner.h"

#include <gtest/gtest.h>

#include "zarvo/chrono/chrono.h"
#include "zarvo/chrono/mode_option.h"
#include "zarvo/chrono/test_util.h"
#include "zarvo/platform/text.h"

namespace zarvo::chrono {
namespace {

using testing::ScopedTimeZone;
using testing::utcDate;
using U = ComponentUnit;

struct YearRow {
  const char16_t* text;
  Language language;
  bool shortYears;
  const char16_t* phrase;  // the first result's text
  int64_t year;
  bool stated = true;  // whether the year is stated (else implied)
};

class ShortYearTest : public ::testing::TestWithParam<YearRow> {};

TEST_P(ShortYearTest, Reads) {
  const YearRow& row = GetParam();
  SCOPED_TRACE(platform::toUtf8(row.text) + (row.shortYears ? " with short years" : " as written"));
  ScopedTimeZone zone("UTC");
  ReaderOptions options;
  options.languageChoice = ReaderOptions::LanguageChoice::preferred;
  options.preferredLanguage = row.language;
  options.languages = std::set{row.language};
  options.shortYears = row.shortYears;
  const Chrono chrono(casualModeOption(), options);
  // Sunday 6 December 2026.
  const std::vector<ParsedResult> results = chrono.parse(std::u16string_view(row.text), utcDate(2026, 12, 6, 14, 50));
  ASSERT_FALSE(results.empty());
  const ParsedResult& first = results.front();
  EXPECT_EQ(platform::toUtf8(first.text()), platform::toUtf8(row.phrase));
  EXPECT_EQ(first.index(), static_cast<int64_t>(std::u16string_view(row.text).find(row.phrase)));
  EXPECT_EQ(first.start().get(U::year), row.year);
  EXPECT_EQ(first.start().isCertain(U::year), row.stated);
  if (first.end()) {
    EXPECT_EQ(first.end()->get(U::year), row.year);
  }
}

constexpr Language ja = Language::japanese;
constexpr Language zh = Language::chinese;

INSTANTIATE_TEST_SUITE_P(
    Years, ShortYearTest,
    ::testing::ValuesIn(std::vector<YearRow>{
        // As written by default: 24年 is the year 24; eras the engine knows only with two digits.
        {u"24年3月5日", ja, false, u"24年3月5日", 24},
        {u"24年3月5日", zh, false, u"24年3月5日", 24},
        {u"二四年三月五日", zh, false, u"二四年三月五日", 24},
        {u"平成28年12月25日", ja, false, u"平成28年12月25日", 2016},
        {u"令和6年3月5日", ja, false, u"3月5日", 2027, false},
        {u"平成2年3月5日", ja, false, u"3月5日", 2027, false},
        {u"令和06年3月5日", ja, false, u"06年3月5日", 6},
        // Short years: the year ending in the digits nearest the reference.
        {u"24年3月5日", ja, true, u"24年3月5日", 2024},
        {u"２４年３月５日 締切", ja, true, u"２４年３月５日", 2024},
        {u"24年3月5日から24年3月7日", ja, true, u"24年3月5日から24年3月7日", 2024},
        {u"二四年三月五日", zh, true, u"二四年三月五日", 2024},
        {u"交房租 24年 3月5日", zh, true, u"24年 3月5日", 2024},
        // A year of four digits, even one with leading zeros, stands as written.
        {u"2025年3月5日", zh, true, u"2025年3月5日", 2025},
        {u"0024年3月5日", ja, true, u"0024年3月5日", 24},
        // Era years: the current era, one-digit years and the first year.
        {u"令和6年3月5日", ja, true, u"令和6年3月5日", 2024},
        {u"令和06年3月5日", ja, true, u"令和06年3月5日", 2024},
        {u"申請 令和 7 年 1月10日", ja, true, u"令和 7 年 1月10日", 2025},
        {u"平成2年3月5日", ja, true, u"平成2年3月5日", 1990},
        {u"令和元年5月1日", ja, true, u"令和元年5月1日", 2019},
        {u"令和6年3月5日", zh, true, u"令和6年3月5日", 2024},
        // An era year that is not next to the date leaves it alone.
        {u"令和6年の予定 3月5日", ja, true, u"3月5日", 2027, false},
    }));

TEST(ShortYear, NearestYearEndingInTheDigits) {
  struct Row {
    int64_t yy, reference, year;
  };
  for (const Row& row : {Row{24, 2026, 2024}, Row{76, 2026, 2076}, Row{77, 2026, 1977}, Row{99, 2026, 1999},
                         Row{1, 2099, 2101}, Row{98, 2001, 1998}, Row{30, 2080, 2130}}) {
    EXPECT_EQ(nearestYearEndingIn(row.yy, row.reference), row.year) << row.yy << " read in " << row.reference;
  }
}

}  // namespace
}  // namespace zarvo::chrono
