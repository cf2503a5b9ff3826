// The one way out of the program: every line it writes to standard output or standard error goes
// through an Output, which escapes what it writes. A command cannot print a title, a tag, a list
// title, a file name or a server's words raw by forgetting a call, because it has no other way to
// reach the streams (a test of app/ fails when a file outside output.cc names them).
//
// What is written is Styled text: runs of plain text and runs in one of the program's own styles.
// The writer escapes the text of every run (app/terminal_text.h: C0 and C1 controls, DEL, the line
// separators and the bidirectional controls become "\x1B", "\n", "\u202E"...), and only the writer
// emits the terminal's style sequences, from a Style made of numbers alone. So colours reach the
// terminal, and nothing a task holds can: a title carrying ESC shows as "\x1B" wherever it is
// printed, colours or not. Text escaped before (the table measures escaped text) is unchanged by
// the writer's escaping, which leaves backslashes alone.
//
// JSON is written as a JSON writer made it, with the few characters it leaves raw in strings (DEL,
// C1 controls, the line separators, bidirectional controls) written as "\uXXXX": the same document
// to a parser, inert on a terminal.
//
// All of this is for the main thread, which runs the command.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "zarvo/platform/colour.h"

namespace zarvo::app {

// One of the program's looks on a terminal: the parameters of an SGR sequence, made here from
// numbers only.
class Style {
 public:
  // The look of a semantic colour; none for the label colour (the terminal's own) and for a fixed
  // colour, which the table does not paint.
  static std::optional<Style> of(const platform::Colour& colour);
  static Style emphasis();  // bold and underlined
  static Style rgb(uint8_t red, uint8_t green, uint8_t blue);
  const std::string& parameters() const { return parameters_; }

 private:
  explicit Style(std::string parameters) : parameters_(std::move(parameters)) {}
  std::string parameters_;
};

// Text for the terminal, in runs. Built from strings (a plain run), painted runs and separators;
// joined with + and +=.
class Styled {
 public:
  Styled() = default;
  Styled(std::string_view text);                             // NOLINT: plain text is styled text
  Styled(const std::string& text) : Styled(std::string_view(text)) {}  // NOLINT
  Styled(std::string&& text);                                          // NOLINT: takes the text over
  Styled(const char* text) : Styled(std::string_view(text)) {}        // NOLINT

  // `text` in `style`, or plain without one.
  static Styled styled(std::string_view text, const std::optional<Style>& style);
  // A tab that stays a tab: the separator of fields read by a shell (completion candidates).
  static Styled separator();

  Styled& operator+=(const Styled& more);
  // The same as with a Styled made of `more`, without making one: a table of ten thousand rows
  // appends ten of these per row.
  Styled& operator+=(Styled&& more);
  Styled& operator+=(std::string_view more);
  Styled& operator+=(const std::string& more) { return *this += std::string_view(more); }
  Styled& operator+=(const char* more) { return *this += std::string_view(more); }
  friend Styled operator+(Styled first, const Styled& second) { return first += second; }

  // The runs' text as it was given, without styles or escapes (for measuring and for tests).
  std::string plain() const;
  // What the writer writes: every run escaped, painted runs between their style and a reset.
  std::string rendered() const;
  // The same, appended to `out`.
  void renderTo(std::string& out) const;

 private:
  struct Run {
    std::string text;
    std::string style;  // SGR parameters; empty for plain text
    bool separator = false;
  };
  std::vector<Run> runs_;
};

// Several lines, each written by Output::lines with its own end.
using Lines = std::vector<Styled>;

// `text` in the colour's style when `enabled` (the label colour paints nothing).
Styled paint(std::string_view text, const platform::Colour& colour, bool enabled);
// `text` in bold and underlined when `enabled`, else between brackets, so the mark survives a pipe.
Styled highlight(std::string_view text, bool enabled);

// `document` (a JSON writer's text) with DEL, the C1 controls, U+2028/U+2029 and the bidirectional
// controls as "\uXXXX" escapes, and any other control character but the newline likewise.
std::string inertJson(std::string_view document);

class Output {
 public:
  // Writes to `stream` (a test passes a string stream); `flushEachLine` for standard error.
  explicit Output(std::ostream& stream, bool flushEachLine = false);

  // `text` and the end of the line; a newline inside `text` is shown as "\n".
  void line(const Styled& text);
  void lines(const Lines& lines);
  // Plain text of many lines, each ended by a '\n' in `text`: the same as line() of each, written
  // at once. Everything but those ends is escaped as line() escapes it.
  void plainLines(std::string_view text);
  // `text` without an end of line, flushed: a question waiting for its answer.
  void prompt(const Styled& text);
  // A JSON document or line (inertJson) and the end of the line.
  void json(std::string_view document);
  void flush();

 private:
  std::ostream& stream_;
  bool flushEachLine_;
};

Output& out();  // standard output
Output& err();  // standard error, each line flushed

}  // namespace zarvo::app
