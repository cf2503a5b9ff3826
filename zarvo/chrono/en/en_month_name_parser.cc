#include "zarvo/chrono/en/en_month_name_parser.h"

#include "zarvo/chrono/calendar_fields.h"
#include "zarvo/chrono/en/en_words.h"
#include "zarvo/platform/text.h"

namespace zarvo::chrono {

namespace {

// Groups: 1 leading context, 2 month, 3 year, 4 era. The leading context is a start, a non-digit
// followed by blanks, or a punctuation mark, so "12 March" is left to the day-first parser.
constexpr std::u16string_view kPattern =
    uR"re((^|\D\s+|[^\w\s])(Jan\.?|January|Feb\.?|February|Mar\.?|March|Apr\.?|April|May\.?|Jun\.?|June|Jul\.?|July|Aug\.?|August|Sep\.?|Sept\.?|September|Oct\.?|October|Nov\.?|November|Dec\.?|December)\s*(?:[,-]?\s*([0-9]{4})(\s*BE|AD|BC)?)?(?=[^\s\w]|\s+[^0-9]|\s+$|$))re";

}  // namespace

std::u16string_view ENMonthNameParser::pattern() const { return kPattern; }

std::optional<ParsedResult> ENMonthNameParser::extract(std::u16string_view text, Date ref,
                                                       const platform::Match& match, const Options&) const {
  ParsedResult result = commonOpening(text, ref, match);
  const std::optional<int64_t> month = en::monthNumber(groupText(text, match, 2));
  if (!month) return std::nullopt;

  ParsedComponents& start = result.start();
  start.imply(ComponentUnit::day, 1);
  if (match.took(3)) {
    const std::optional<int64_t> written = platform::toInt(groupText(text, match, 3));
    if (!written) return std::nullopt;
    const std::optional<int64_t> year = en::yearWithEra(*written, groupText(text, match, 4), true);
    if (!year) return std::nullopt;
    start.assign(ComponentUnit::month, *month);
    start.assign(ComponentUnit::year, *year);
  } else {
    start.assign(ComponentUnit::month, *month);
    start.imply(ComponentUnit::year, nearestYear(ref, *month, 1));
  }

  result.tags().set(TagUnit::enMonthNameParser);
  return result;
}

}  // namespace zarvo::chrono
