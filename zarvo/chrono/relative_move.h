// Reading a counted distance ("3 days", "a few weeks", "eine halbe Stunde") and moving a reference date
// by it, shared by the deadline, time-ago and relative-date parsers of every language.
//
// The readers only look at the text they are given and the word tables named; they are thread-safe.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "zarvo/chrono/word_table.h"
#include "zarvo/platform/clock.h"

namespace zarvo::chrono {

enum class RelativeUnit { second, minute, hour, day, week, month, year };

// A distance as a phrase states it: a whole count of units, or half of one unit.
struct Amount {
  int64_t count = 1;
  bool half = false;  // when true, `count` is ignored
};

// What a language's number group may say besides digits. The rules are tried in the order of the
// fields; the first that applies gives the amount.
struct AmountWords {
  const WordTable* numbers = nullptr;   // words naming a count ("three", "drei"); null: none
  const WordTable* articles = nullptr;  // words meaning one ("a", "an", "una"); null: none
  bool emptyMeansOne = false;           // no number at all means one ("next week")
  std::u16string_view few;              // a match of this pattern anywhere means three; empty: none
  std::u16string_view half;             // a match of this pattern anywhere means half a unit; empty: none
  // A count in the language's own numerals ("三", "二十"), tried after decimal digits; null: none.
  std::optional<int64_t> (*numeral)(std::u16string_view) = nullptr;
};

// The amount `numberText` states under `words`, compared in lower case; text none of the rules reads
// is taken as a decimal number, else as a numeral. Nothing when that fails too (no digits, or too
// many).
std::optional<Amount> readAmount(std::u16string_view numberText, const AmountWords& words);

// A unit word: a pattern found anywhere in a unit group (case-insensitive) names `unit`.
struct UnitWord {
  std::u16string_view pattern;
  RelativeUnit unit;
};

// The unit of the first of `words` found in `unitText`; `otherwise` when none is found.
std::optional<RelativeUnit> readUnit(std::u16string_view unitText, std::span<const UnitWord> words,
                                     std::optional<RelativeUnit> otherwise = std::nullopt);

// How a language writes the amount and the unit of a distance.
struct DistanceWords {
  AmountWords amount;
  std::span<const UnitWord> units;        // tried in order
  std::optional<RelativeUnit> otherwise;  // the unit when no word is found; none: the match is rejected
};

// `ref` moved by `amount` units in the direction of `sign` (+1 forward, -1 backward), in the current
// calendar. Whole units: days, weeks (7 days), months and years keep the wall-clock time across DST
// changes and end where the calendar ends them (31 January + 1 month is the end of February); hours,
// minutes and seconds are exact durations. Half a unit is: second 500 ms, minute 30 s, hour 30 min,
// day 12 h, week 3 days then 12 h, month half the days of `ref`'s month (integer division; 30 days
// when the calendar gives no length), year 6 months.
Date moveBy(Date ref, RelativeUnit unit, Amount amount, int sign);

}  // namespace zarvo::chrono
