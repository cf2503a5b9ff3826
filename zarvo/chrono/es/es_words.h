// The Spanish word tables the Spanish parsers share.
//
// Tables are built once per process on first use (thread-safe) and only read afterwards; the
// references stay valid until the process ends.
#pragma once

#include "zarvo/chrono/relative_move.h"
#include "zarvo/chrono/word_table.h"

namespace zarvo::chrono::es {

// domingo/dom 0 ... sábado/sabado/sab 6, with miércoles/miercoles/mie and vier.
const WordTable& weekdays();
// enero/ene/ene. 1 ... diciembre/dic/dic. 12, with sept and sept.
const WordTable& months();

// The amount words of deadline and time-ago phrases: "un" and "una" for one, "medio" and "media" for
// half a unit, else digits.
const AmountWords& amountWords();

}  // namespace zarvo::chrono::es
