#include "zarvo/chrono/refiners/unlikely_format_filter.h"

#include "zarvo/platform/regex.h"

namespace zarvo::chrono {

bool UnlikelyFormatFilter::isValid(std::u16string_view, const ParsedResult& result, const Options&) const {
  static const platform::LazyRegex kUnlikely(u"^\\d*(\\.\\d*)?$");
  if (!kUnlikely) return true;
  // Only U+0020 is removed: other blanks keep a text from looking like a bare number.
  std::u16string compact;
  compact.reserve(result.text().size());
  for (char16_t c : result.text()) {
    if (c != u' ') compact.push_back(c);
  }
  return !kUnlikely->search(compact);
}

}  // namespace zarvo::chrono
