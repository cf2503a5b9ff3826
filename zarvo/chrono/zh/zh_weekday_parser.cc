#include "zarvo/chrono/zh/zh_weekday_parser.h"

#include "zarvo/chrono/weekday_rule.h"
#include "zarvo/chrono/zh/zh_words.h"

namespace zarvo::chrono {

namespace {

// Groups: 1 modifier, 2 weekday character.
const std::u16string& weekdayPattern() {
  static const std::u16string pattern =
      u"(上|今|下|這|呢|这)?(?:個|个)?(?:星期|禮拜|礼拜)(" + zh::weekdayClass() + u")";
  return pattern;
}

// The shared weekday rule's modifier word for a Chinese one.
std::u16string_view modifierWord(std::u16string_view modifier) {
  if (modifier == u"上") return u"last";
  if (modifier == u"下") return u"next";
  if (modifier == u"今" || modifier == u"這" || modifier == u"呢" || modifier == u"这") return u"this";
  return u"";
}

}  // namespace

std::u16string_view ZHWeekdayParser::pattern() const { return weekdayPattern(); }

std::optional<ParsedResult> ZHWeekdayParser::extract(std::u16string_view text, Date ref,
                                                     const platform::Match& match, const Options&) const {
  const std::optional<int64_t> offset = zh::weekdayOffsets().find(groupText(text, match, 2));
  if (!offset) return std::nullopt;
  ParsedResult result = updateParsedComponent(wholeMatchOpening(text, ref, match), ref, *offset,
                                              modifierWord(groupText(text, match, 1)));
  result.tags().set(TagUnit::zhHantWeekdayParser);
  return result;
}

}  // namespace zarvo::chrono
