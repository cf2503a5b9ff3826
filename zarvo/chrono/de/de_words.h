// The German word tables and pattern pieces the German parsers share.
//
// Tables and pieces are built once per process on first use (thread-safe) and only read afterwards;
// the references stay valid until the process ends.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "zarvo/chrono/relative_move.h"
#include "zarvo/chrono/word_table.h"

namespace zarvo::chrono::de {

// sonntag/so 0 ... samstag/sa 6.
const WordTable& weekdays();
// januar/jan/jan. 1 ... dezember/dez/dez. 12, with märz/mär/mär. and sept/sept.; its alternation
// escapes the dot, so "jan." matches only "jan." (not "jan" and any character).
const WordTable& months();
// ein, eine, einer, eines, einem, einen: each 1.
const WordTable& articles();
// The article words (1), then zwei 2 ... zwölf 12.
const WordTable& integerWords();
// erste 1 ... einunddreißigste 31; its alternation admits the endings "n", "r", "m" and "s"
// ("ersten", "dritter").
const WordTable& ordinals();

// The day an ordinal word names, with or without one of the endings "n", "r", "m", "s" (any case,
// surrounding blanks ignored). Nothing for other words.
std::optional<int64_t> ordinalDay(std::u16string_view word);

// The unit group of deadline and time-ago phrases: "(sekunden?|minuten?|stunden?|tag(?:en|e)?|...)".
std::u16string_view unitPiece();

// The amount words of deadline and time-ago phrases: integer and article words, "wenige", "einige"
// or "paar" for three, "halbe" for half a unit, else digits.
const AmountWords& amountWords();

}  // namespace zarvo::chrono::de
