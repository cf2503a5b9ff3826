// The French word tables the French parsers share.
//
// Tables are built once per process on first use (thread-safe) and only read afterwards; the
// references stay valid until the process ends.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "zarvo/chrono/relative_move.h"
#include "zarvo/chrono/word_table.h"

namespace zarvo::chrono::fr {

// dimanche/dim 0 ... samedi/sam 6.
const WordTable& weekdays();
// janvier/jan/jan. 1 ... décembre/dec/dec. 12, with février/fév, juillet/juil/jul and août/aout.
const WordTable& months();
// un 1 ... treize 13.
const WordTable& integerWords();

// The month a month word of the month-name pattern names (any case). Besides the table's words this
// reads a final "." the table lacks ("juil.") and the accented "déc" and "déc." the pattern admits
// while the table spells the abbreviation "dec". Nothing otherwise.
std::optional<int64_t> monthNumber(std::u16string_view word);

// The amount words of deadline and time-ago phrases: the integer words, "un"/"une" for one,
// "quelques" for three (as the English "few"), "demi" for half a unit, else digits.
const AmountWords& amountWords();

}  // namespace zarvo::chrono::fr
