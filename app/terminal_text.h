// How text reaches a terminal: whether to paint, how wide the terminal is, and text from files,
// servers and people escaped so that it cannot break a line or send the terminal a command (the
// writer of app/output.h escapes everything it writes this way).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>


namespace zarvo::app {

// Whether to paint with ANSI colours: "always", "never", or "auto" — only when standard output is a
// terminal, NO_COLOR is unset or empty, and TERM is not "dumb". UsageError for another value.
bool useColour(const std::string& when);

// `text` as it may be shown on a terminal: control characters (C0, DEL, C1), the line and
// paragraph separators and the bidirectional embeddings, overrides and isolates escaped ("\n", "\t",
// "\r", "\x1B", "\u2028", "\u202E"), so a title cannot break a line of a table, send the terminal a
// command, or show other text than it holds. Right-to-left text itself, and the marks, stay.
std::string shownText(std::string_view text);
// shownText(text) appended to `out`.
void appendShownText(std::string& out, std::string_view text);

// The columns of the terminal on standard output, else $COLUMNS when it is a number, else 0 (no
// limit: output for a pipe or a file keeps whole lines).
size_t terminalWidth();

}  // namespace zarvo::app
