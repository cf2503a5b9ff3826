// Text helpers shared by the date engine, quick entry and the records.
//
// The date engine and quick entry count positions in UTF-16 code units, so their text is
// std::u16string; records keep UTF-8 std::string. These functions convert between the two and do the
// small operations the parsers need. All are pure and thread-safe.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zarvo::platform {

// UTF-8 -> UTF-16. Nothing when `utf8` is not well-formed UTF-8.
std::optional<std::u16string> toUtf16(std::string_view utf8);
// UTF-8 -> UTF-16, ill-formed sequences replaced by U+FFFD. For text already known to be valid.
std::u16string utf16(std::string_view utf8);
// UTF-16 -> UTF-8; unpaired surrogates become U+FFFD.
std::string toUtf8(std::u16string_view utf16);

// Appends `value` in at least `digits` digits, zero-padded as printf's "%0*lld" pads it (a minus
// sign counts as a digit). For dates and times written many times over (tables, ISO timestamps),
// where a formatted print costs more than working the value out.
void appendZeroPadded(std::string& out, int64_t value, int digits);

// Full Unicode lower-casing, locale-independent (root locale).
std::u16string lowercased(std::u16string_view text);
std::string lowercased(std::string_view utf8);

// `text` without leading and trailing white space (Unicode White_Space).
std::u16string trimmed(std::u16string_view text);
std::string trimmed(std::string_view utf8);

// `text` with every white-space character removed.
std::u16string withoutWhitespace(std::u16string_view text);

// Reads a whole string as a decimal integer: an optional '+' or '-' followed by ASCII digits only,
// nothing else. Digits of other scripts, blanks, an empty string or a value that does not fit in 64
// bits give nothing; this is the rule for text that does not convert.
std::optional<int64_t> toInt(std::u16string_view text);
std::optional<int64_t> toInt(std::string_view text);

// Reads a decimal number such as "1.5" or "3": ASCII digits with at most one '.'. Nothing otherwise.
std::optional<double> toDouble(std::u16string_view text);

// The part of `text` from `location` for `length` code units, clipped to the text.
std::u16string_view substring(std::u16string_view text, int64_t location, int64_t length);

// Columns `utf8` takes on a terminal, counted per grapheme cluster (what a terminal draws as one
// character), so a base letter with its combining marks, an emoji with its modifiers and a ZWJ family
// each count once:
//   2 for a cluster shown as an emoji: an emoji-presentation character, a character followed by the
//     emoji selector U+FE0F (keycaps, "❤️"), a flag (regional indicators), ZWJ sequences built on these;
//   2 for a cluster whose first character is East Asian Wide or Fullwidth (kanji, kana, hangul, "Ａ");
//   0 for a cluster of combining marks alone, format characters (zero-width space, joiners, U+FEFF)
//     or control characters;
//   1 otherwise, East Asian Ambiguous characters included (narrow, as terminals outside CJK locales
//     draw them). The text selector U+FE0E changes nothing: its character counts as above.
// Ill-formed UTF-8 counts one column per replaced sequence. Thread-safe.
size_t displayWidth(std::string_view utf8);

// `utf8` when it takes at most `width` columns (displayWidth); otherwise its longest beginning of whole
// grapheme clusters that leaves one column for "…", followed by "…". Empty for a width of 0.
std::string truncatedToWidth(std::string_view utf8, size_t width);

// Case-insensitive equality by full Unicode case folding; canonically equivalent texts (composed and
// decomposed accents) are equal.
bool equalsIgnoringCase(std::u16string_view a, std::u16string_view b);
bool equalsIgnoringCase(std::string_view a, std::string_view b);

}  // namespace zarvo::platform
