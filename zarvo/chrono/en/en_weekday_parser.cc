#include "zarvo/chrono/en/en_weekday_parser.h"

#include "zarvo/chrono/en/en_words.h"
#include "zarvo/chrono/weekday_rule.h"
#include "zarvo/platform/text.h"

namespace zarvo::chrono {

namespace {

// Groups: 1 leading context, 2 modifier before, 3 weekday, 4 modifier after (before "week").
const std::u16string& weekdayPattern() {
  static const std::u16string pattern =
      std::u16string(uR"re((\W|^)(?:(?:\,|\(|\（)\s*)?(?:on\s*?)?(?:(this|last|past|next)\s*)?)re") + u"(" +
      en::weekdayPiece() + u")" + uR"re((?:\s*(?:\,|\)|\）))?)re" + uR"re((?:\s*(this|last|past|next)\s*week)?)re" +
      uR"re((?=\W|$))re";
  return pattern;
}

}  // namespace

std::u16string_view ENWeekdayParser::pattern() const { return weekdayPattern(); }

std::optional<ParsedResult> ENWeekdayParser::extract(std::u16string_view text, Date ref,
                                                     const platform::Match& match, const Options&) const {
  const std::optional<int64_t> offset = en::weekdays().lookup(groupText(text, match, 3));
  if (!offset) return std::nullopt;
  const std::u16string_view modifier = match.took(2) ? groupText(text, match, 2) : groupText(text, match, 4);
  ParsedResult result =
      updateParsedComponent(commonOpening(text, ref, match), ref, *offset, platform::lowercased(modifier));
  result.tags().set(TagUnit::enWeekdayParser);
  return result;
}

}  // namespace zarvo::chrono
