#include "zarvo/platform/text.h"

#include <unicode/brkiter.h>
#include <unicode/locid.h>
#include <unicode/normlzr.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/ustring.h>
#include <unicode/utf16.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <charconv>
#include <limits>
#include <memory>

namespace zarvo::platform {

namespace {

icu::UnicodeString alias(std::u16string_view text) {
  return icu::UnicodeString(false, text.data(), static_cast<int32_t>(text.size()));
}

std::u16string fromUnicode(const icu::UnicodeString& s) {
  return std::u16string(s.getBuffer(), static_cast<size_t>(s.length()));
}

}  // namespace

std::optional<std::u16string> toUtf16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  const auto* bytes = reinterpret_cast<const uint8_t*>(utf8.data());
  const int32_t length = static_cast<int32_t>(utf8.size());
  int32_t i = 0;
  while (i < length) {
    UChar32 c;
    U8_NEXT(bytes, i, length, c);
    if (c < 0) return std::nullopt;
    if (U_IS_BMP(c)) {
      out.push_back(static_cast<char16_t>(c));
    } else {
      out.push_back(static_cast<char16_t>(U16_LEAD(c)));
      out.push_back(static_cast<char16_t>(U16_TRAIL(c)));
    }
  }
  return out;
}

std::u16string utf16(std::string_view utf8) {
  return fromUnicode(icu::UnicodeString::fromUTF8(icu::StringPiece(utf8.data(), static_cast<int32_t>(utf8.size()))));
}

std::string toUtf8(std::u16string_view utf16Text) {
  std::string out;
  alias(utf16Text).toUTF8String(out);
  return out;
}

void appendZeroPadded(std::string& out, int64_t value, int digits) {
  const bool negative = value < 0;
  // Unsigned, so that the magnitude of the smallest int64_t is representable.
  uint64_t magnitude = negative ? uint64_t{0} - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  char reversed[20];
  int n = 0;
  do {
    reversed[n++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude > 0);
  if (negative) out += '-';
  const int width = n + (negative ? 1 : 0);
  if (width < digits) out.append(static_cast<size_t>(digits - width), '0');
  while (n > 0) out += reversed[--n];
}

std::u16string lowercased(std::u16string_view text) {
  icu::UnicodeString s(text.data(), static_cast<int32_t>(text.size()));
  s.toLower(icu::Locale::getRoot());
  return fromUnicode(s);
}

std::string lowercased(std::string_view utf8) { return toUtf8(lowercased(utf16(utf8))); }

std::u16string trimmed(std::u16string_view text) {
  size_t begin = 0;
  size_t end = text.size();
  auto isSpaceAt = [&](size_t i) { return u_isUWhiteSpace(text[i]) != 0; };
  while (begin < end && isSpaceAt(begin)) ++begin;
  while (end > begin && isSpaceAt(end - 1)) --end;
  return std::u16string(text.substr(begin, end - begin));
}

std::string trimmed(std::string_view utf8) { return toUtf8(trimmed(utf16(utf8))); }

std::u16string withoutWhitespace(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (char16_t c : text) {
    if (!u_isUWhiteSpace(c)) out.push_back(c);
  }
  return out;
}

namespace {

template <typename Char>
std::optional<int64_t> parseInt(const Char* data, size_t size) {
  if (size == 0) return std::nullopt;
  size_t i = 0;
  bool negative = false;
  if (data[0] == '+' || data[0] == '-') {
    negative = data[0] == '-';
    i = 1;
  }
  if (i == size) return std::nullopt;
  // Accumulate as a negative number so INT64_MIN is representable.
  int64_t value = 0;
  for (; i < size; ++i) {
    const Char c = data[i];
    if (c < '0' || c > '9') return std::nullopt;
    const int digit = static_cast<int>(c - '0');
    if (value < (std::numeric_limits<int64_t>::min() + digit) / 10) return std::nullopt;
    value = value * 10 - digit;
  }
  if (!negative) {
    if (value == std::numeric_limits<int64_t>::min()) return std::nullopt;
    value = -value;
  }
  return value;
}

}  // namespace

std::optional<int64_t> toInt(std::u16string_view text) { return parseInt(text.data(), text.size()); }
std::optional<int64_t> toInt(std::string_view text) { return parseInt(text.data(), text.size()); }

std::optional<double> toDouble(std::u16string_view text) {
  if (text.empty() || text.size() > 64) return std::nullopt;
  std::string ascii;
  bool dot = false;
  bool digit = false;
  for (char16_t c : text) {
    if (c == u'.') {
      if (dot) return std::nullopt;
      dot = true;
    } else if (c >= u'0' && c <= u'9') {
      digit = true;
    } else {
      return std::nullopt;
    }
    ascii.push_back(static_cast<char>(c));
  }
  if (!digit) return std::nullopt;
  double value = 0;
  auto [ptr, ec] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
  if (ec != std::errc() || ptr != ascii.data() + ascii.size()) return std::nullopt;
  return value;
}

std::u16string_view substring(std::u16string_view text, int64_t location, int64_t length) {
  const int64_t size = static_cast<int64_t>(text.size());
  if (location < 0) {
    length += location;
    location = 0;
  }
  if (location >= size || length <= 0) return {};
  if (length > size - location) length = size - location;
  return text.substr(static_cast<size_t>(location), static_cast<size_t>(length));
}

namespace {

size_t clusterWidth(const icu::UnicodeString& text, int32_t start, int32_t end) {
  const UChar32 base = text.char32At(start);
  // Emoji shown as emoji by default are East Asian Wide (below); flags, and text-default emoji that
  // U+FE0F turns into emoji, are not.
  if (u_hasBinaryProperty(base, UCHAR_REGIONAL_INDICATOR)) return 2;
  for (int32_t i = start; i < end; i = text.moveIndex32(i, 1)) {
    if (text.char32At(i) == 0xFE0F) return 2;
  }
  switch (u_charType(base)) {
    case U_CONTROL_CHAR:
    case U_FORMAT_CHAR:
    case U_NON_SPACING_MARK:
    case U_ENCLOSING_MARK:
      return 0;
    default:
      break;
  }
  const int ea = u_getIntPropertyValue(base, UCHAR_EAST_ASIAN_WIDTH);
  return (ea == U_EA_WIDE || ea == U_EA_FULLWIDTH) ? 2 : 1;
}

}  // namespace

namespace {

// Calls `f(start, end)` for each grapheme cluster of `text`, in order.
template <class F>
void forEachCluster(const icu::UnicodeString& text, F&& f) {
  // One grapheme iterator per thread, made on first use: creating one loads ICU's break rules.
  thread_local std::unique_ptr<icu::BreakIterator> clusters = [] {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::BreakIterator> it(icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    return U_SUCCESS(status) ? std::move(it) : nullptr;
  }();
  if (!clusters) {
    // Without the break rules (ICU data missing), every code point is its own cluster.
    for (int32_t i = 0; i < text.length(); i = text.moveIndex32(i, 1)) {
      if (!f(i, text.moveIndex32(i, 1))) return;
    }
    return;
  }
  clusters->setText(text);
  for (int32_t start = clusters->first(), end = clusters->next(); end != icu::BreakIterator::DONE;
       start = end, end = clusters->next()) {
    if (!f(start, end)) return;
  }
}

icu::UnicodeString fromUtf8(std::string_view utf8) {
  // Ill-formed sequences become U+FFFD, one column each.
  return icu::UnicodeString::fromUTF8(icu::StringPiece(utf8.data(), static_cast<int32_t>(utf8.size())));
}

}  // namespace

size_t displayWidth(std::string_view utf8) {
  // In text of printable ASCII alone every character is a cluster of its own, one column wide: only
  // a combining mark or a joiner could join two, and none of those is ASCII. Most titles are such
  // text, and for them the break iterator is all cost.
  const auto printableAscii = [](char c) { return c >= 0x20 && c < 0x7F; };
  if (std::all_of(utf8.begin(), utf8.end(), printableAscii)) return utf8.size();
  const icu::UnicodeString text = fromUtf8(utf8);
  size_t width = 0;
  forEachCluster(text, [&](int32_t start, int32_t end) {
    width += clusterWidth(text, start, end);
    return true;
  });
  return width;
}

std::string truncatedToWidth(std::string_view utf8, size_t width) {
  if (displayWidth(utf8) <= width) return std::string(utf8);
  if (width == 0) return std::string();
  const icu::UnicodeString text = fromUtf8(utf8);
  size_t used = 0;
  int32_t cut = 0;
  forEachCluster(text, [&](int32_t start, int32_t end) {
    const size_t w = clusterWidth(text, start, end);
    if (used + w > width - 1) return false;  // one column stays for the ellipsis
    used += w;
    cut = end;
    return true;
  });
  std::string out;
  text.tempSubString(0, cut).toUTF8String(out);
  return out + "\u2026";
}

bool equalsIgnoringCase(std::u16string_view a, std::u16string_view b) {
  if (alias(a).caseCompare(alias(b), U_FOLD_CASE_DEFAULT) == 0) return true;
  // Canonically equivalent spellings ("Café" composed and decomposed) are the same text.
  UErrorCode status = U_ZERO_ERROR;
  const int32_t order = icu::Normalizer::compare(alias(a), alias(b), U_COMPARE_IGNORE_CASE, status);
  return U_SUCCESS(status) && order == 0;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  return equalsIgnoringCase(std::u16string_view(utf16(a)), std::u16string_view(utf16(b)));
}

}  // namespace zarvo::platform
