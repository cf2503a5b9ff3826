// The English word tables and pattern pieces the English parsers share, and the readings of numbers,
// units, days and eras they have in common.
//
// Tables and pieces are built once per process on first use (thread-safe) and only read afterwards;
// the references stay valid until the process ends.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "zarvo/chrono/relative_move.h"
#include "zarvo/chrono/word_table.h"
#include "zarvo/platform/regex.h"

namespace zarvo::chrono::en {

// one 1 ... twelve 12.
const WordTable& integerWords();
// sunday/sun 0 ... saturday/sat 6, with tue, thurs, thur and thu.
const WordTable& weekdays();
// january/jan/jan. 1 ... december/dec/dec. 12, with sept and sept.
const WordTable& months();
// first 1 ... thirty first 31; its alternation writes every blank as "[ -]" ("twenty-first").
const WordTable& ordinals();

// The month number of a month word (any case). A word the table lacks is read once more without a
// final ".", so "May." (admitted by the patterns beside "Jun." and "Jul.") is May. Nothing otherwise.
std::optional<int64_t> monthNumber(std::u16string_view word);

// "(?:one|two|...)", "(?:sunday|...)" and "(?:first|...|thirty[ -]first)".
const std::u16string& integerWordPiece();
const std::u16string& weekdayPiece();
const std::u16string& ordinalPiece();

// "a" 1, "an" 1: the article that counts one in deadline and time-ago phrases.
const WordTable& articles();

// The unit words of every English distance: "day", "week", "month", "year", "hour", "min" (minutes,
// mins), "second", found anywhere in the unit group, in that order.
std::span<const UnitWord> unitWords();

// Deadline and time-ago phrases: integer words, "a"/"an" for one, text with "few" for three, with
// "half" for half a unit, else digits; units as unitWords().
const DistanceWords& distanceWords();

// "(" + integer words + "|[0-9]+|an?(?:\s*few)?|half(?:\s*an?)?)\s*(" + `units` + ")": the number and
// unit groups the casual deadline and time-ago patterns share.
std::u16string amountAndUnitPiece(std::u16string_view units);

// A day of the month from a day group: the decimal value of its digits group when that took part,
// else the ordinal word of the day group (lower-cased, "-" read as a blank). Nothing when neither
// reads.
std::optional<int64_t> readDay(std::u16string_view text, const platform::Match& match, size_t dayGroup,
                               size_t digitsGroup);

// A year as written with its era: "BE" (Buddhist era) subtracts 543, "BC" negates, and otherwise
// (no era, "AD") a year from 0 to 99 means 2000 to 2099. With `rejectSmallYearWithoutEra`, a year
// below 10 written without any era is not a year and gives nothing.
std::optional<int64_t> yearWithEra(int64_t year, std::u16string_view era, bool rejectSmallYearWithoutEra);

}  // namespace zarvo::chrono::en
