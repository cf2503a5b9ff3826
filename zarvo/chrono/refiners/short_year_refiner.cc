#include "zarvo/chrono/refiners/short_year_refiner.h"

#include "zarvo/chrono/calendar_fields.h"
#include "zarvo/chrono/ja/jp_util.h"
#include "zarvo/chrono/zh/zh_words.h"
#include "zarvo/platform/regex.h"

namespace zarvo::chrono {

using U = ComponentUnit;

namespace {

// Era names and what their year 1 adds up to, beyond the eras every reader knows: the current era
// is the one people write most.
const WordTable& eraOffsets() {
  static const WordTable table{{u"令和", 2018}, {u"平成", 1988}, {u"昭和", 1925}};
  return table;
}

// Groups: 1 era, 2 its year ("元": the first).
const platform::Regex* eraYear() {
  static const platform::LazyRegex regex(u"(令和|平成|昭和)\\s*(元|[0-9０-９]{1,2})\\s*年\\s*");
  return regex.get();
}

// Group 1: the two digits of a year at the start of a phrase.
const platform::Regex* twoDigitYear() {
  static const platform::LazyRegex regex(u"^([0-9０-９]{2}|[零一二三四五六七八九]{2})\\s*年");
  return regex.get();
}

bool readsADate(const ParsedResult& result) {
  return result.tags().contains(TagUnit::jpStandardParser) || result.tags().contains(TagUnit::zhHantDateParser);
}

// The era year `match` writes, in the Gregorian calendar.
std::optional<int64_t> gregorianYear(std::u16string_view text, const platform::Match& match) {
  const platform::Range era = match.range(1);
  const platform::Range year = match.range(2);
  const std::optional<int64_t> offset = eraOffsets().find(text.substr(static_cast<size_t>(era.location),
                                                                      static_cast<size_t>(era.length)));
  const std::u16string_view written = text.substr(static_cast<size_t>(year.location), static_cast<size_t>(year.length));
  const std::optional<int64_t> n = written == u"元" ? std::optional<int64_t>(1) : ja::readDigits(written);
  if (!offset || !n || *n < 1) return std::nullopt;
  return *offset + *n;
}

// The year of a two-digit writing: the digits of either script, or numerals read digit by digit.
std::optional<int64_t> twoDigits(std::u16string_view written) {
  if (const std::optional<int64_t> digits = ja::readDigits(written)) return digits;
  return zh::readYear(written);
}

// The start's year becomes `year`, and so does the end's when it states the year the start stated.
void setYear(ParsedResult& result, int64_t year) {
  const std::optional<int64_t> stated = result.start().knownValues().get(U::year);
  result.start().assign(U::year, year);
  std::optional<ParsedComponents>& end = result.end();
  if (end && stated && end->knownValues().get(U::year) == stated) end->assign(U::year, year);
  result.tags().set(TagUnit::shortYearRefiner);
}

}  // namespace

int64_t nearestYearEndingIn(int64_t yy, int64_t referenceYear) {
  const int64_t century = referenceYear - referenceYear % 100;
  int64_t best = century + yy;
  for (const int64_t candidate : {century - 100 + yy, century + 100 + yy}) {
    const int64_t distance = candidate > referenceYear ? candidate - referenceYear : referenceYear - candidate;
    const int64_t bestDistance = best > referenceYear ? best - referenceYear : referenceYear - best;
    if (distance < bestDistance || (distance == bestDistance && candidate > best)) best = candidate;
  }
  return best;
}

std::vector<ParsedResult> ShortYearRefiner::refine(std::u16string_view text, std::vector<ParsedResult> results,
                                                   const Options&) const {
  const platform::Regex* eras = eraYear();
  const platform::Regex* shortYears = twoDigitYear();
  if (eras == nullptr || shortYears == nullptr) return results;
  const std::vector<platform::Match> eraMatches = eras->allMatches(text);
  for (ParsedResult& result : results) {
    if (!readsADate(result)) continue;
    // An era year that ends where the phrase starts or inside its year ("令和6年" before "3月5日",
    // or "令和06年3月5日" read from "06年"): the phrase is the era's.
    bool byEra = false;
    for (const platform::Match& era : eraMatches) {
      const platform::Range r = era.range();
      if (r.location > result.index() || result.index() > r.end() || result.endPosition() <= r.end()) continue;
      const std::optional<int64_t> year = gregorianYear(text, era);
      if (!year) break;
      result.setText(std::u16string(text.substr(static_cast<size_t>(r.location),
                                                static_cast<size_t>(result.endPosition() - r.location))));
      result.setIndex(r.location);
      setYear(result, *year);
      byEra = true;
      break;
    }
    if (byEra || !result.start().isCertain(U::year)) continue;
    const std::optional<platform::Match> written = shortYears->firstMatch(result.text());
    if (!written) continue;
    const platform::Range digits = written->range(1);
    const std::optional<int64_t> yy = twoDigits(std::u16string_view(result.text()).substr(
        static_cast<size_t>(digits.location), static_cast<size_t>(digits.length)));
    if (!yy || *yy < 0 || *yy > 99 || result.start().get(U::year) != yy) continue;
    setYear(result, nearestYearEndingIn(*yy, calendarFields(result.ref()).year));
  }
  return results;
}

}  // namespace zarvo::chrono
