#include "app/messages.h"
#include "app/terminal_text.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <fmt/format.h>

#include <array>
#include <cstdlib>
#include <optional>

#include "app/command_error.h"
#include "zarvo/platform/text.h"

namespace zarvo::app {

namespace {

// Whether shownText would change anything in `text`: a control character, DEL, or the lead byte of
// a C1 control or of U+2028/U+2029. Most titles have none and are shown as they are.
// A table of those bytes: every title of a listing is checked, twice (measured, then written).
bool mayNeedEscaping(std::string_view text) {
  static constexpr auto kSuspect = [] {
    std::array<bool, 256> suspect{};
    for (int byte = 0; byte < 0x20; ++byte) suspect[static_cast<size_t>(byte)] = true;
    suspect[0x7F] = suspect[0xC2] = suspect[0xE2] = true;
    return suspect;
  }();
  for (const char ch : text) {
    if (kSuspect[static_cast<unsigned char>(ch)]) return true;
  }
  return false;
}

// The escape of a three-byte character that starts with 0xE2 and must not reach a terminal as it is:
// the line and paragraph separators, and the bidirectional embeddings, overrides and isolates
// (U+202A–U+202E, U+2066–U+2069), which would reorder what follows them on the row, so that a title
// could show other text than it holds, or paint over the columns after it.
std::optional<std::string> escapedE2(std::string_view three) {
  if (three.size() < 3 || static_cast<unsigned char>(three[0]) != 0xE2) return std::nullopt;
  const auto second = static_cast<unsigned char>(three[1]), third = static_cast<unsigned char>(three[2]);
  const char32_t code = 0x2000 + ((second & 0x3F) << 6) + (third & 0x3F);
  if ((second & 0xC0) != 0x80 || (third & 0xC0) != 0x80) return std::nullopt;
  const bool separator = code == 0x2028 || code == 0x2029;
  const bool bidi = (code >= 0x202A && code <= 0x202E) || (code >= 0x2066 && code <= 0x2069);
  if (!separator && !bidi) return std::nullopt;
  return fmt::format("\\u{:04X}", static_cast<uint32_t>(code));
}

}  // namespace

bool useColour(const std::string& when) {
  if (when == "always") return true;
  if (when == "never") return false;
  if (when != "auto") throw UsageError(trf("--color expects auto, always or never, not '{}'", when));
  if (const char* noColour = std::getenv("NO_COLOR"); noColour != nullptr && *noColour != '\0') return false;
  if (const char* term = std::getenv("TERM"); term != nullptr && std::string_view(term) == "dumb") return false;
  return ::isatty(STDOUT_FILENO) == 1;
}

std::string shownText(std::string_view text) {
  std::string out;
  appendShownText(out, text);
  return out;
}

void appendShownText(std::string& out, std::string_view text) {
  if (!mayNeedEscaping(text)) {
    out += text;
    return;
  }
  out.reserve(out.size() + text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte == '\n') {
      out += "\\n";
    } else if (byte == '\t') {
      out += "\\t";
    } else if (byte == '\r') {
      out += "\\r";
    } else if (byte < 0x20 || byte == 0x7F) {
      out += fmt::format("\\x{:02X}", byte);
    } else if (byte == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
               static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
      out += fmt::format("\\u{:04X}", static_cast<unsigned char>(text[++i]));
    } else if (const auto separatorOrBidi = escapedE2(text.substr(i, 3))) {
      out += *separatorOrBidi;
      i += 2;
    } else {
      out += static_cast<char>(byte);
    }
  }
}

size_t terminalWidth() {
  winsize size{};
  if (::isatty(STDOUT_FILENO) == 1 && ::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) {
    return size.ws_col;
  }
  if (const char* columns = std::getenv("COLUMNS")) {
    if (const auto value = platform::toInt(std::string_view(columns)); value && *value > 0) {
      return static_cast<size_t>(*value);
    }
  }
  return 0;
}

}  // namespace zarvo::app
