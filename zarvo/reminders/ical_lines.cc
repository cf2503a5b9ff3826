#include "zarvo/reminders/internal/ical_lines.h"

#include <string>
#include <string_view>
#include <vector>

namespace zarvo::reminders::detail::ical {

std::string upper(std::string out) {
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

// The blanks libical trims from the end of a line and of a property name (C's isspace).
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// The length of the fold at text[i] (CRLF or LF, then a space or tab, which readers remove), or 0.
size_t foldAt(std::string_view text, size_t i) {
  const size_t lineBreak = text.compare(i, 2, "\r\n") == 0 ? 2 : text[i] == '\n' ? 1 : 0;
  if (lineBreak == 0 || i + lineBreak >= text.size()) return 0;
  const char next = text[i + lineBreak];
  return next == ' ' || next == '\t' ? lineBreak + 1 : 0;
}

// A content line (folds and terminator included) as a reader sees it: folds undone, trailing blanks
// and the terminator dropped.
std::string unfold(std::string_view raw) {
  std::string out;
  if (raw.find('\n') + 1 >= raw.size()) {  // one physical line
    out = raw;
  } else {
    for (size_t i = 0; i < raw.size(); ++i) {
      if (const size_t fold = foldAt(raw, i)) {
        i += fold - 1;
      } else {
        out += raw[i];
      }
    }
  }
  while (!out.empty() && isBlank(out.back())) out.pop_back();
  return out;
}

// A content line (folds and terminator included) as one logical line: folds undone, line
// terminators (CRLF, LF) dropped, everything else as written. A carriage return that ends no line is
// part of the text the reader saw (a parameter value may hold one): dropping it would change that
// value when the line is written back.
std::string logicalLine(std::string_view raw) {
  std::string line;
  for (size_t i = 0; i < raw.size(); ++i) {
    if (const size_t fold = foldAt(raw, i)) {
      i += fold - 1;
    } else if (raw[i] == '\r' ? raw.compare(i, 2, "\r\n") != 0 && i + 1 < raw.size() : raw[i] != '\n') {
      line += raw[i];
    }
  }
  return line;
}

// Where a logical line's value starts, less one: its first ':' outside a quoted parameter value;
// the line's length when there is none.
size_t valueSeparator(std::string_view line) {
  bool quoted = false;
  size_t at = 0;
  while (at < line.size() && (quoted || line[at] != ':')) {
    if (line[at] == '"') quoted = !quoted;
    ++at;
  }
  return at;
}

// The name of a content line as libical reads it, upper-case: the text before the first ';' or ':'
// once folds are undone, without the blanks before the separator. libical compares names regardless
// of case and ignores those blanks, so "summary :x" is a SUMMARY line. `separator` gets the offset
// of the separator in `raw`, npos when there is none.
std::string nameOf(std::string_view raw, size_t& separator) {
  std::string name;
  separator = raw.find_first_of(";:\n");
  if (separator != std::string_view::npos && raw[separator] != '\n') {  // no fold before the separator
    name.assign(raw, 0, separator);
  } else {
    separator = std::string_view::npos;
    for (size_t i = 0; i < raw.size(); ++i) {
      if (raw[i] == ';' || raw[i] == ':') {
        separator = i;
        break;
      }
      if (const size_t fold = foldAt(raw, i)) {
        i += fold - 1;
      } else {
        name += raw[i];
      }
    }
  }
  while (!name.empty() && isBlank(name.back())) name.pop_back();
  return upper(std::move(name));
}

// libical writes "\r\n"; lines we add follow the file's own terminator.
std::string withNewline(std::string text, std::string_view newline) {
  if (newline == "\r\n") return text;
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out += text[i];
  }
  return out;
}

// The value of a content line as written (folds undone): the text after the first ':' outside quotes.
// A line without one ("CATEGORIES;a,b") reads as libical, and so every client on it, reads it: the
// text after the name and its ';'.
std::string valueOf(std::string_view raw) {
  const std::string line = unfold(raw);
  const size_t separator = valueSeparator(line);
  if (separator < line.size()) return line.substr(separator + 1);
  const size_t semicolon = line.find(';');
  return semicolon < line.size() ? line.substr(semicolon + 1) : std::string();
}

// The texts of a list value ("a,b\,c"): split at unescaped commas, escapes undone, empty ones dropped.
std::vector<std::string> textList(std::string_view value) {
  std::vector<std::string> out(1);
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '\\' && i + 1 < value.size()) {
      const char c = value[++i];
      out.back() += (c == 'n' || c == 'N') ? '\n' : c;
    } else if (value[i] == ',') {
      out.emplace_back();
    } else {
      out.back() += value[i];
    }
  }
  std::erase_if(out, [](const std::string& s) { return s.empty(); });
  return out;
}

std::string escapedList(const std::vector<std::string>& texts) {
  std::string out;
  for (const auto& text : texts) {
    if (!out.empty()) out += ',';
    for (char c : text) {
      if (c == '\\' || c == ',' || c == ';') out += '\\';
      if (c == '\n') {
        out += "\\n";
      } else if (c != '\r') {
        out += c;
      }
    }
  }
  return out;
}

// One logical line folded as iCalendar asks: at most 75 octets a line, never inside a UTF-8
// sequence; continuation lines start with a space.
std::string fold(std::string_view line) {
  std::string out;
  size_t width = 0;
  for (size_t i = 0; i < line.size();) {
    size_t length = 1;
    while (i + length < line.size() && (static_cast<unsigned char>(line[i + length]) & 0xC0) == 0x80) ++length;
    if (width + length > 75) {
      out += "\r\n ";
      width = 1;
    }
    out.append(line, i, length);
    width += length;
    i += length;
  }
  return out + "\r\n";
}

// The content line `raw` with its value replaced by `value`: the name and every parameter stay as written.
// A line without a value separator ("DTSTART;20270104T080000Z") has nothing that reads as a parameter:
// libical takes what follows the name as the value. Splicing the new value onto it would run the two
// together, so such a line is written anew as a proper line of its name.
std::string withValue(std::string_view raw, std::string_view value, std::string_view newline) {
  std::string line = logicalLine(raw);
  const size_t separator = valueSeparator(line);
  if (separator < line.size()) {
    line.resize(separator + 1);
  } else {
    size_t nameEnd = 0;
    line = nameOf(raw, nameEnd) + ":";
  }
  line += value;
  return withNewline(fold(line), newline);
}

}  // namespace zarvo::reminders::detail::ical
