#include "zarvo/chrono/zh/zh_weekday_phrase_parser.h"

#include "zarvo/chrono/calendar_fields.h"
#include "zarvo/chrono/casual_day.h"
#include "zarvo/chrono/weekday_rule.h"
#include "zarvo/chrono/zh/zh_words.h"

namespace zarvo::chrono {

using U = ComponentUnit;

std::u16string_view ZHWeekdayPhraseParser::pattern() const {
  // Groups: 1 modifier, 2 the word for week, 3 weekday character, 4 part of the day.
  static const std::u16string pattern = u"(下下|下|这|這|本|上)?(?:个|個)?(周|週|星期|禮拜|礼拜)(" + zh::weekdayClass() +
                                        u")(?:" + std::u16string(zh::kPartOfDayGroup) +
                                        u"(?!\\s*(?:[0-9]|" + zh::numeralClass() + u")))?";
  return pattern;
}

std::optional<ParsedResult> ZHWeekdayPhraseParser::extract(std::u16string_view text, Date ref,
                                                           const platform::Match& match, const Options&) const {
  const std::u16string_view week = groupText(text, match, 2);
  // A formal weekday without a part of the day is the formal parser's.
  if (!match.took(4) && (week == u"星期" || week == u"禮拜" || week == u"礼拜")) return std::nullopt;
  const std::optional<int64_t> offset = zh::weekdayOffsets().find(groupText(text, match, 3));
  if (!offset) return std::nullopt;
  const std::u16string_view word = groupText(text, match, 1);
  std::u16string_view modifier;
  if (word == u"下" || word == u"下下") modifier = u"next";
  if (word == u"上") modifier = u"last";
  if (word == u"这" || word == u"這" || word == u"本") modifier = u"this";
  ParsedResult result = updateParsedComponent(wholeMatchOpening(text, ref, match), ref, *offset, modifier);
  ParsedComponents& start = result.start();
  if (word == u"下下") assignDate(start, calendarFields(daysFrom(start.moment(), 7)));
  if (match.took(4)) {
    const std::u16string_view part = groupText(text, match, 4);
    if (const auto hour = zh::partOfDayHour(part)) {
      start.imply(U::hour, *hour);
      start.imply(U::meridiem, *hour >= 12 ? 1 : 0);
    }
  }
  result.tags().set(TagUnit::zhWeekdayPhraseParser);
  return result;
}

}  // namespace zarvo::chrono
