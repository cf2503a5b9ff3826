// Helpers of the Japanese parsers: full-width digits and era years.
//
// Pure functions over tables built once per process on first use; thread-safe.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "zarvo/chrono/word_table.h"

namespace zarvo::chrono::ja {

// `text` with every full-width digit "０" to "９" replaced by the ASCII digit of the same value
// ("２０１６" -> "2016"); every other code unit is kept as it is.
std::u16string toHalfWidthDigits(std::u16string_view text);

// The digits of `text`, full-width or ASCII, read as a decimal number. Nothing when anything else is
// in the text or the value does not fit in 64 bits.
std::optional<int64_t> readDigits(std::u16string_view text);

// A count written in digits (full-width or ASCII) or in kanji numerals read as Chinese numerals are
// ("三" 3, "十五" 15). Nothing when neither reads.
std::optional<int64_t> readNumber(std::u16string_view text);

// Era names and the number added to an era year to give the Gregorian year: "昭和" 1925, "平成" 1988
// (平成28年 is 2016).
const WordTable& eraOffsets();

}  // namespace zarvo::chrono::ja
