// Reads the years a Japanese or Chinese date writes short, as people write them on a to-do: "24年3月5日"
// is 2024, "令和6年3月5日" 2024, "平成元年1月8日" 1989. Applied by a Chrono whose ReaderOptions ask for
// shortYears; no configuration holds it, so by default a year stands as written (24年 is the year 24)
// and only the eras 昭和 and 平成 with two-digit years are read.
#pragma once

#include "zarvo/chrono/refiner.h"

namespace zarvo::chrono {

// For each result of the Japanese date parser or the Chinese date parser:
// - a year written with two digits or two numerals and "年" ("24年", "２４年", "二四年") becomes the
//   year ending in them nearest the result's reference; one exactly halfway is the later (read in
//   2026, "76年" is 2076, "77年" 1977). Its end, if it states such a year, is read the same way.
// - an era year written right before the phrase or as its year ("令和6年", "令和 06 年", "平成2年",
//   "令和元年"; 元 is the era's first year) is the Gregorian year: 令和 adds 2018, 平成 1988, 昭和 1925.
//   A phrase that did not take the era in becomes the era and the phrase.
// Tag: shortYearRefiner. Pure; thread-safe.
class ShortYearRefiner : public Refiner {
 public:
  std::vector<ParsedResult> refine(std::u16string_view text, std::vector<ParsedResult> results,
                                   const Options& opt) const override;
};

// The year ending in the two digits `yy` (0 to 99) nearest `referenceYear`; the later one of two
// equally near.
int64_t nearestYearEndingIn(int64_t yy, int64_t referenceYear);

}  // namespace zarvo::chrono
