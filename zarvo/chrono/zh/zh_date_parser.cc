#include "zarvo/chrono/zh/zh_date_parser.h"

#include "zarvo/chrono/calendar_fields.h"
#include "zarvo/chrono/zh/zh_words.h"

namespace zarvo::chrono {

using U = ComponentUnit;

namespace {

// Groups: 1 year, 2 month, 3 day.
const std::u16string& datePattern() {
  const std::u16string& n = zh::numeralClass();
  static const std::u16string pattern = u"(\\d{2,4}|" + n + u"{2,4})?" + u"(?:\\s*)" + u"(?:年)?" +
                                        u"(?:[\\s|,|，]*)" + u"(\\d{1,2}|" + n + u"{1,2})" + u"(?:\\s*)" +
                                        u"(?:月)" + u"(?:\\s*)" + u"(\\d{1,2}|" + n + u"{1,2})?" +
                                        u"(?:\\s*)" + u"(?:日|號|号)?";
  return pattern;
}

}  // namespace

std::u16string_view ZHDateParser::pattern() const { return datePattern(); }

std::optional<ParsedResult> ZHDateParser::extract(std::u16string_view text, Date ref, const platform::Match& match,
                                                  const Options&) const {
  // Digits of other scripts (full-width ones too) match "\d" but do not read: no result.
  const std::optional<int64_t> month = zh::readNumber(groupText(text, match, 2));
  if (!month) return std::nullopt;
  std::optional<int64_t> day;
  if (match.took(3) && !(day = zh::readNumber(groupText(text, match, 3)))) return std::nullopt;
  std::optional<int64_t> year;
  if (match.took(1) && !(year = zh::readYear(groupText(text, match, 1)))) return std::nullopt;

  ParsedResult result = wholeMatchOpening(text, ref, match);
  ParsedComponents& start = result.start();
  const CalendarFields reference = calendarFields(ref);
  start.assign(U::month, *month);
  if (day) {
    start.assign(U::day, *day);
  } else {
    start.imply(U::day, reference.day);
  }
  if (year) {
    start.assign(U::year, *year);
  } else {
    start.imply(U::year, reference.year);
  }
  result.tags().set(TagUnit::zhHantDateParser);
  return result;
}

}  // namespace zarvo::chrono
