#include "app/output.h"

#include <fmt/format.h>

#include <iostream>

#include "app/terminal_text.h"

namespace zarvo::app {

using platform::SemanticColour;

std::optional<Style> Style::of(const platform::Colour& colour) {
  switch (colour.semantic().value_or(SemanticColour::label)) {
    case SemanticColour::label: return std::nullopt;
    case SemanticColour::secondaryLabel: return Style("2");
    case SemanticColour::tertiaryLabel: return Style("90");
    case SemanticColour::systemOrange: return Style("38;5;208");
    case SemanticColour::systemRed: return Style("31");
  }
  return std::nullopt;
}

Style Style::emphasis() { return Style("1;4"); }

Style Style::rgb(uint8_t red, uint8_t green, uint8_t blue) {
  return Style(fmt::format("38;2;{};{};{}", red, green, blue));
}

Styled::Styled(std::string_view text) {
  if (!text.empty()) runs_.push_back({std::string(text), {}, false});
}

Styled::Styled(std::string&& text) {
  if (!text.empty()) runs_.push_back({std::move(text), {}, false});
}

Styled Styled::styled(std::string_view text, const std::optional<Style>& style) {
  Styled out;
  if (!text.empty()) out.runs_.push_back({std::string(text), style ? style->parameters() : std::string(), false});
  return out;
}

Styled Styled::separator() {
  Styled out;
  out.runs_.push_back({"\t", {}, true});
  return out;
}

Styled& Styled::operator+=(const Styled& more) {
  for (const Run& run : more.runs_) {
    // Plain text after plain text is one run: fewer runs to escape and to write.
    if (!runs_.empty() && !run.separator && !runs_.back().separator && run.style.empty() &&
        runs_.back().style.empty()) {
      runs_.back().text += run.text;
    } else {
      runs_.push_back(run);
    }
  }
  return *this;
}

Styled& Styled::operator+=(Styled&& more) {
  if (runs_.empty()) {
    runs_ = std::move(more.runs_);
    return *this;
  }
  for (Run& run : more.runs_) {
    if (!run.separator && !runs_.back().separator && run.style.empty() && runs_.back().style.empty()) {
      runs_.back().text += run.text;
    } else {
      runs_.push_back(std::move(run));
    }
  }
  return *this;
}

Styled& Styled::operator+=(std::string_view more) {
  if (more.empty()) return *this;
  if (!runs_.empty() && !runs_.back().separator && runs_.back().style.empty()) {
    runs_.back().text += more;
  } else {
    runs_.push_back({std::string(more), {}, false});
  }
  return *this;
}

std::string Styled::plain() const {
  std::string out;
  for (const Run& run : runs_) out += run.text;
  return out;
}

std::string Styled::rendered() const {
  std::string out;
  renderTo(out);
  return out;
}

void Styled::renderTo(std::string& out) const {
  for (const Run& run : runs_) {
    if (run.separator) {
      out += '\t';
    } else if (run.style.empty()) {
      appendShownText(out, run.text);
    } else {
      out += "\x1b[";
      out += run.style;
      out += 'm';
      appendShownText(out, run.text);
      out += "\x1b[0m";
    }
  }
}

Styled paint(std::string_view text, const platform::Colour& colour, bool enabled) {
  return Styled::styled(text, enabled ? Style::of(colour) : std::nullopt);
}

Styled highlight(std::string_view text, bool enabled) {
  return enabled ? Styled::styled(text, Style::emphasis()) : Styled(fmt::format("[{}]", text));
}

std::string inertJson(std::string_view document) {
  std::string out;
  out.reserve(document.size());
  const auto escape = [&](uint32_t code) { out += fmt::format("\\u{:04x}", code); };
  for (size_t i = 0; i < document.size(); ++i) {
    const auto byte = static_cast<unsigned char>(document[i]);
    const auto next = [&](size_t k) { return i + k < document.size() ? static_cast<unsigned char>(document[i + k]) : 0; };
    if ((byte < 0x20 && byte != '\n') || byte == 0x7F) {
      escape(byte);
    } else if (byte == 0xC2 && next(1) >= 0x80 && next(1) <= 0x9F) {
      escape(next(1));
      ++i;
    } else if (byte == 0xE2 && (next(1) & 0xC0) == 0x80 && (next(2) & 0xC0) == 0x80) {
      const uint32_t code = 0x2000 + ((next(1) & 0x3Fu) << 6) + (next(2) & 0x3Fu);
      if (code == 0x2028 || code == 0x2029 || (code >= 0x202A && code <= 0x202E) || (code >= 0x2066 && code <= 0x2069)) {
        escape(code);
      } else {
        out.append(document.substr(i, 3));
      }
      i += 2;
    } else {
      out += static_cast<char>(byte);
    }
  }
  return out;
}

Output::Output(std::ostream& stream, bool flushEachLine) : stream_(stream), flushEachLine_(flushEachLine) {}

void Output::line(const Styled& text) {
  stream_ << text.rendered() << '\n';
  if (flushEachLine_) stream_.flush();
}

void Output::lines(const Lines& lines) {
  // One buffer for all the lines, written in blocks: a listing has one line per task.
  std::string block;
  for (const Styled& text : lines) {
    text.renderTo(block);
    block += '\n';
    if (block.size() >= 64 * 1024) {
      stream_ << block;
      block.clear();
    }
  }
  stream_ << block;
  if (flushEachLine_) stream_.flush();
}

void Output::plainLines(std::string_view text) {
  std::string block;
  block.reserve(text.size());
  while (!text.empty()) {
    const size_t end = text.find('\n');
    appendShownText(block, text.substr(0, end));
    block += '\n';
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  }
  stream_ << block;
  if (flushEachLine_) stream_.flush();
}

void Output::prompt(const Styled& text) {
  stream_ << text.rendered();
  stream_.flush();
}

void Output::json(std::string_view document) {
  stream_ << inertJson(document) << '\n';
  if (flushEachLine_) stream_.flush();
}

void Output::flush() { stream_.flush(); }

Output& out() {
  static Output standardOutput(std::cout);
  return standardOutput;
}

Output& err() {
  static Output standardError(std::cerr, true);
  return standardError;
}

}  // namespace zarvo::app
