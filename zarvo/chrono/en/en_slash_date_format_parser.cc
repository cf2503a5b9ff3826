#include "zarvo/chrono/en/en_slash_date_format_parser.h"

#include "zarvo/chrono/calendar_fields.h"
#include "zarvo/chrono/en/en_words.h"
#include "zarvo/chrono/pattern_cache.h"
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
  if (patternMatches(uR"re(^\d\.\d$)re", phrase) || patternMatches(uR"re(^\d\.\d{1,2}\.\d{1,2}$)re", phrase)) {
    return std::nullopt;
  }
  if (!match.took(kYear) && phrase.find(u'/') == std::u16string_view::npos) return std::nullopt;

  ParsedResult result(ref, whole.location + lead, std::u16string(phrase));
  const std::optional<int64_t> writtenYear = platform::toInt(groupText(text, match, kYear));
  int64_t year = writtenYear ? *writtenYear : calendarFields(ref).year;
  int64_t month = platform::toInt(groupText(text, match, kFirst)).value_or(0);
  int64_t day = platform::toInt(groupText(text, match, kSecond)).value_or(0);

  if (month >= 13) {
    // Day first, as in "25/12", when the numbers allow no other reading.
    if (month < 32 && day >= 1 && day <= 12) {
      std::swap(month, day);
    } else {
      return std::nullopt;
    }
  }
  if (day < 1 || day > 31) return std::nullopt;

  if (year < 51) {
    year += 2000;
  } else if (year < 100) {
    year += 1900;
  }
  ParsedComponents& start = result.start();
  start.assign(ComponentUnit::day, day);
  start.assign(ComponentUnit::month, month);
  start.assign(ComponentUnit::year, year);

  if (auto weekday = en::weekdays().lookup(groupText(text, match, kWeekday))) {
    start.assign(ComponentUnit::weekday, *weekday);
  }
  result.tags().set(TagUnit::enSlashDateFormatParser);
  return result;
}

}  // namespace zarvo::chrono
