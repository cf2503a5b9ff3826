#include "zarvo/chrono/zh/zh_time_expression_parser.h"

#include "zarvo/chrono/zh/zh_words.h"

namespace zarvo::chrono {

namespace {

// The day words and parts of the day before a time: groups 1 to 5.
std::u16string dayPart() {
  const std::u16string part(zh::kPartOfDayGroup);
  const std::u16string dayCharacter(zh::kDayCharacterGroup);
  return u"(?:" + dayCharacter + std::u16string(zh::kShortPartOfDayGroup) + u"|" + part + u"|" + dayCharacter +
         u"(?:日|天)(?:[\\s,，]*)(?:" + part + u")?)?(?:[\\s,，]*)";
}

// Groups 6 hour, 7 minute, 8 second, 9 am/pm marker.
std::u16string timePart() {
  const std::u16string& n = zh::numeralClass();
  return u"(?:(\\d+|" + n + u"+)(?:\\s*)(?:點|時|:|：|点|时)" + u"(?:\\s*)" + u"(\\d+|半|正|整|" + n +
         u"+)?(?:\\s*)(?:分|:|：)?" + u"(?:\\s*)" + u"(\\d+|" + n + u"+)?(?:\\s*)(?:秒)?)" +
         u"(?:\\s*(A\\.M\\.|P\\.M\\.|AM?|PM?))?";
}

std::optional<int64_t> readMinute(std::u16string_view text) {
  if (text == u"半") return 30;
  if (text == u"正" || text == u"整") return 0;
  return zh::readNumber(text);
}

}  // namespace

std::u16string_view ZHTimeExpressionParser::pattern() const {
  static const std::u16string pattern = u"(?:由|從|自)?" + dayPart() + timePart();
  return pattern;
}

std::u16string_view ZHTimeExpressionParser::rangeEndPattern() const {
  static const std::u16string pattern = u"^(?:\\s*(?:到|至|\\-|\\–|\\~|\\〜)\\s*)" + dayPart() + timePart();
  return pattern;
}

std::optional<TimeExpressionParser::Clock> ZHTimeExpressionParser::readClock(std::u16string_view text,
                                                                            const platform::Match& match,
                                                                            Date ref) const {
  Clock clock;
  for (size_t dayGroup : {size_t{1}, size_t{4}}) {
    if (match.took(dayGroup)) clock.day = zh::dayNamed(groupText(text, match, dayGroup), ref);
  }
  for (size_t partGroup : {size_t{2}, size_t{3}, size_t{5}}) {
    if (match.took(partGroup)) clock.meridiem = zh::partOfDayMeridiem(groupText(text, match, partGroup));
  }
  // Digits of other scripts match "\d" but do not read: the match is rejected.
  const std::optional<int64_t> hour = zh::readNumber(groupText(text, match, 6));
  if (!hour) return std::nullopt;
  clock.hour = *hour;
  if (match.took(7)) {
    const std::optional<int64_t> minute = readMinute(groupText(text, match, 7));
    if (!minute) return std::nullopt;
    clock.minute = *minute;
  }
  if (match.took(8)) {
    clock.second = zh::readNumber(groupText(text, match, 8));
    if (!clock.second) return std::nullopt;
  }
  clock.marker = groupText(text, match, 9);
  return clock;
}

}  // namespace zarvo::chrono
