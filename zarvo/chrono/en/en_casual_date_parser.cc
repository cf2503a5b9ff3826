#include "zarvo/chrono/en/en_casual_date_parser.h"

#include "zarvo/chrono/casual_day.h"
#include "zarvo/chrono/pattern_cache.h"
#include "zarvo/platform/text.h"

namespace zarvo::chrono {

using U = ComponentUnit;

namespace {

// "tomorrow " is tried before the bare word, so a blank after it stays in the phrase when nothing but
// blanks or punctuation follows.
constexpr std::u16string_view kPattern =
    u"(\\W|^)(now|today|tonight|last\\s*night|(?:tomorrow|tmr|yesterday)\\s*|tomorrow|tmr|yesterday)(?=\\W|$)";

}  // namespace

std::u16string_view ENCasualDateParser::pattern() const { return kPattern; }

std::optional<ParsedResult> ENCasualDateParser::extract(std::u16string_view text, Date ref,
                                                        const platform::Match& match, const Options&) const {
  ParsedResult result = commonOpening(text, ref, match);
  Date day = ref;
  const std::u16string lower = platform::lowercased(result.text());
  ParsedComponents& start = result.start();

  if (lower == u"tonight") {
    start.imply(U::hour, 22);
    start.imply(U::meridiem, 1);
  } else if (patternMatches(u"^tomorrow|^tmr", lower)) {
    day = tomorrowFrom(ref);
  } else if (patternMatches(u"^yesterday", lower)) {
    day = daysFrom(ref, -1);
  } else if (patternMatches(u"last\\s*night", lower)) {
    day = lastNight(start, ref);
  } else if (patternMatches(u"now", lower)) {
    implyNow(start, ref);
  }

  assignDay(start, day);
  result.tags().set(TagUnit::enCasualDateParser);
  return result;
}

}  // namespace zarvo::chrono
