#include "zarvo/chrono/relative_day_parser.h"

#include <unicode/uchar.h>

#include "zarvo/chrono/casual_day.h"
#include "zarvo/platform/text.h"

namespace zarvo::chrono {

namespace {

// Lower case, each run of blanks and dashes one blank: "Après-demain" and "après  demain" are one word.
std::u16string normalized(std::u16string_view word) {
  std::u16string out;
  bool gap = false;
  for (const char16_t c : platform::lowercased(word)) {
    if (u_isUWhiteSpace(c) || c == u'-') {
      gap = true;
      continue;
    }
    if (gap && !out.empty()) out += u' ';
    gap = false;
    out += c;
  }
  return out;
}

}  // namespace

std::optional<ParsedResult> RelativeDayParser::extract(std::u16string_view text, Date ref,
                                                       const platform::Match& match, const Options&) const {
  const std::optional<int64_t> days = this->days().find(normalized(groupText(text, match, wordGroup())));
  if (!days) return std::nullopt;
  ParsedResult result = hasLeadingContext() ? commonOpening(text, ref, match) : wholeMatchOpening(text, ref, match);
  assignDay(result.start(), *days > 0 ? daysFrom(tomorrowFrom(ref), *days - 1) : daysFrom(ref, *days));
  result.tags().set(tag());
  return result;
}

}  // namespace zarvo::chrono
