// The date a month-name phrase names ("12th of March 2024", "March 12", "3. Mai", "5 - 7 Jan"), written
// onto a result the same way by the month-name parsers of every language.
//
// Each parser reads its own groups and words into a MonthNameDate; what the date then makes known or
// implied is decided here once. Thread-safe (reads the current calendar only).
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "zarvo/chrono/parsed_result.h"
#include "zarvo/chrono/word_table.h"
#include "zarvo/platform/clock.h"

namespace zarvo::chrono {

struct MonthNameDate {
  int64_t day = 1;
  int64_t month = 1;
  // The year the phrase writes, eras already applied; absent when it writes none.
  std::optional<int64_t> year;
  // A weekday named beside the date ("Tue 5 Mar"); absent when none is named.
  std::optional<int64_t> weekday;
  // The last day of a range of days in the same month ("5 - 7 Jan"); absent for a single day.
  std::optional<int64_t> endDay;
};

// Assigns `date`'s day and month on the result's start, and its year when written; without a written
// year, the year of the occurrence nearest to `ref` is implied (see nearestYear). A weekday is
// assigned. With an end day, the result's end becomes a copy of the start that knows that day instead.
void setMonthNameDate(ParsedResult& result, Date ref, const MonthNameDate& date);

// The year a year group writes (blanks around the digits ignored) beside an optional era: without an
// era, a year of 99 or less means 2000 to 2099 and larger years stay as written; with one, the year is
// as written, negated when `beforeChrist`. Nothing when the digits do not convert.
std::optional<int64_t> yearWithOptionalEra(std::u16string_view yearText, bool hasEra, bool beforeChrist);

// The month number `months` gives `word` (any case). A word the table lacks is read once more without
// a final ".", since the patterns admit a dot after forms the tables list without one ("May.",
// "juil."). Nothing otherwise.
std::optional<int64_t> monthNumber(const WordTable& months, std::u16string_view word);

}  // namespace zarvo::chrono
