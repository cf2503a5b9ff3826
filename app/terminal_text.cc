#include "app/messages.h"
#include "app/terminal_text.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <fmt/format.h>

#include <array>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <cstdint>
#include <cstdlib>
#include <optional>

#include "app/command_error.h"
#include "zarvo/platform/text.h"

namespace zarvo::app {

namespace {

// The bytes that may start something shownText changes: a control character, DEL, or the lead byte
// of a C1 control or of U+2028/U+2029 and the bidirectional controls. Most text has none; text that
// has one (a table row with its "⚑") is copied in runs between them.
constexpr std::array<bool, 256> kSuspect = [] {
  std::array<bool, 256> suspect{};
  for (int byte = 0; byte < 0x20; ++byte) suspect[static_cast<size_t>(byte)] = true;
  suspect[0x7F] = suspect[0xC2] = suspect[0xE2] = true;
  return suspect;
}();

// The first suspect byte of `text` at or after `from`; text.size() when none. Every byte of every
// title of a listing passes here twice (measured, then written): where the processor has SSE2
// (every x86-64 has), sixteen are checked at a time.
size_t nextSuspect(std::string_view text, size_t from) {
#if defined(__SSE2__)
  const __m128i highestControl = _mm_set1_epi8(0x1F), del = _mm_set1_epi8(0x7F),
                c2 = _mm_set1_epi8(static_cast<char>(0xC2)), e2 = _mm_set1_epi8(static_cast<char>(0xE2));
  for (; from + 16 <= text.size(); from += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + from));
    // Unsigned "below 0x20": the minimum with 0x1F is the byte itself exactly when it is below.
    const __m128i control = _mm_cmpeq_epi8(_mm_min_epu8(bytes, highestControl), bytes);
    const __m128i other = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, del), _mm_cmpeq_epi8(bytes, c2)),
                                       _mm_cmpeq_epi8(bytes, e2));
    if (_mm_movemask_epi8(_mm_or_si128(control, other)) != 0) break;
  }
#endif
  while (from < text.size() && !kSuspect[static_cast<unsigned char>(text[from])]) ++from;
  return from;
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
  size_t i = nextSuspect(text, 0);
  if (i == text.size()) {
    out += text;
    return;
  }
  out.reserve(out.size() + text.size());
  size_t shown = 0;  // text before this is in `out`
  for (; i < text.size(); i = nextSuspect(text, i + 1)) {
    const auto byte = static_cast<unsigned char>(text[i]);
    std::string escape;
    size_t length = 1;
    if (byte == '\n') {
      escape = "\\n";
    } else if (byte == '\t') {
      escape = "\\t";
    } else if (byte == '\r') {
      escape = "\\r";
    } else if (byte < 0x20 || byte == 0x7F) {
      escape = fmt::format("\\x{:02X}", byte);
    } else if (byte == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
               static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
      escape = fmt::format("\\u{:04X}", static_cast<unsigned char>(text[i + 1]));
      length = 2;
    } else if (auto separatorOrBidi = escapedE2(text.substr(i, 3))) {
      escape = std::move(*separatorOrBidi);
      length = 3;
    } else {
      continue;  // the lead byte of a character shown as it is
    }
    out.append(text, shown, i - shown);
    out += escape;
    i += length - 1;
    shown = i + 1;
  }
  out.append(text, shown);
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
