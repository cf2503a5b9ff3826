#include "zarvo/chrono/en/en_slash_date_format_parser.h"

#include "zarvo/chrono/calendar_fields.h"
#include "zarvo/chrono/en/en_words.h"
#include "zarvo/chrono/slash_date.h"
#include "zarvo/platform/text.h"

namespace zarvo::chrono {

namespace {

// Groups: 1 leading context, 2 weekday, 3 first number (month), 4 second number (day), 5 year,
// 6 trailing context.
constexpr std::u16string_view kPattern =
    uR"re((\W|^)(?:(?:on\s*?)?((?:sun|mon|tues?|wed(?:nes)?|thu(?:rs?)?|fri|sat(?:ur)?)(?:day)?)\s*\,?\s*)?([0-3]{0,1}[0-9]{1})[\/\.\-]([0-3]{0,1}[0-9]{1})(?:[\/\.\-]([0-9]{4}|[0-9]{2}))?(\W|$))re";

enum Group : size_t { kLeading = 1, kWeekday = 2, kFirst = 3, kSecond = 4, kYear = 5, kTrailing = 6 };

}  // namespace

std::u16string_view ENSlashDateFormatParser::pattern() const { return kPattern; }

std::optional<ParsedResult> ENSlashDateFormatParser::extract(std::u16string_view text, Date ref,
                                                             const platform::Match& match, const Options&) const {
  // A slash on either side means this pair is a piece of a longer run ("1/2/3/4"); skip past the
  // whole match so the run is not read as overlapping dates.
  const platform::Range whole = match.range();
  if (groupText(text, match, kLeading) == u"/" || groupText(text, match, kTrailing) == u"/") {
    return ParsedResult::moveIndexMode(whole.end());
  }

  const int64_t lead = match.range(kLeading).length;
  const int64_t trail = match.range(kTrailing).length;
  const std::u16string_view phrase = platform::substring(text, whole.location + lead, whole.length - lead - trail);
  if (looksLikeVersionNumber(phrase)) return std::nullopt;
  if (!match.took(kYear) && phrase.find(u'/') == std::u16string_view::npos) return std::nullopt;

  // Month first; dayAndMonth turns the pair round where only day first makes a date ("25/12").
  const std::optional<DayAndMonth> date = dayAndMonth(platform::toInt(groupText(text, match, kSecond)).value_or(0),
                                                      platform::toInt(groupText(text, match, kFirst)).value_or(0));
  if (!date) return std::nullopt;
  const std::optional<int64_t> writtenYear = platform::toInt(groupText(text, match, kYear));

  ParsedResult result(ref, whole.location + lead, std::u16string(phrase));
  ParsedComponents& start = result.start();
  start.assign(ComponentUnit::day, date->day);
  start.assign(ComponentUnit::month, date->month);
  start.assign(ComponentUnit::year, writtenYear ? fullYear(*writtenYear) : calendarFields(ref).year);

  if (auto weekday = en::weekdays().lookup(groupText(text, match, kWeekday))) {
    start.assign(ComponentUnit::weekday, *weekday);
  }
  result.tags().set(TagUnit::enSlashDateFormatParser);
  return result;
}

}  // namespace zarvo::chrono
