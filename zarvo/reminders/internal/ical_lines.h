// Internal: the line model of a task file. A content line is kept as the bytes it was read from
// (its folds and terminator included), so that a rewrite can splice whole lines and leave every
// other byte as it was; these functions read and make such lines as readers see them. Pure
// functions of their arguments, callable from any thread.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zarvo::reminders::detail::ical {

// ASCII letters upper-cased, every other byte as it is.
std::string upper(std::string out);
// The blanks libical trims from the end of a line and of a property name (C's isspace).
bool isBlank(char c);
// The length of the fold at text[i] (CRLF or LF, then a space or tab, which readers remove), or 0.
size_t foldAt(std::string_view text, size_t i);
// A content line as a reader sees it: folds undone, trailing blanks and the terminator dropped.
std::string unfold(std::string_view raw);
// A content line as one logical line: folds undone, terminators dropped, all else as written.
std::string logicalLine(std::string_view raw);
// Where a logical line's value starts, less one: its first ':' outside a quoted parameter value;
// the line's length when there is none.
size_t valueSeparator(std::string_view line);
// The name of a content line as libical reads it, upper-case; `separator` gets the offset in `raw`
// of the ';' or ':' after it, npos when there is none.
std::string nameOf(std::string_view raw, size_t& separator);
// `text` (lines ending in CRLF, as libical writes them) with its lines ending in `newline`.
std::string withNewline(std::string text, std::string_view newline);
// One logical line folded at 75 octets, never inside a UTF-8 sequence, ending in CRLF.
std::string fold(std::string_view line);

// The value of a content line as written (folds undone): the text after the first ':' outside
// quotes; for a line without one, what libical takes as its value, the text after the first ';'.
std::string valueOf(std::string_view raw);
// The texts of a list value ("a,b\,c"): split at unescaped commas, escapes undone, empty ones dropped.
std::vector<std::string> textList(std::string_view value);
// The inverse of textList: texts escaped and joined by commas (carriage returns dropped).
std::string escapedList(const std::vector<std::string>& texts);
// The content line `raw` with its value replaced by `value`, ending in `newline`: the name and
// every parameter stay as written. A line without a value separator becomes "NAME:value".
std::string withValue(std::string_view raw, std::string_view value, std::string_view newline);

}  // namespace zarvo::reminders::detail::ical
