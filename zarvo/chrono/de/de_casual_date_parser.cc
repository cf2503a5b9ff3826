#include "zarvo/chrono/de/de_casual_date_parser.h"

#include "zarvo/chrono/casual_day.h"
#include "zarvo/chrono/pattern_cache.h"
#include "zarvo/platform/text.h"

namespace zarvo::chrono {

namespace {

// "morgen " is tried before the bare word, so a blank after it stays in the phrase when nothing but
// blanks or punctuation follows.
constexpr std::u16string_view kPattern =
    uR"re((\W|^)(jetzt|heute|letzte\s*Nacht|(?:morgen|gestern)\s*|morgen|gestern)(?=\W|$))re";

}  // namespace

std::u16string_view DECasualDateParser::pattern() const { return kPattern; }

std::optional<ParsedResult> DECasualDateParser::extract(std::u16string_view text, Date ref,
                                                        const platform::Match& match, const Options&) const {
  ParsedResult result = commonOpening(text, ref, match);
  const std::u16string lower = platform::lowercased(result.text());
  ParsedComponents& start = result.start();
  Date day = ref;
  if (patternMatches(u"^morgen", lower)) {
    day = tomorrowFrom(ref);
  } else if (patternMatches(u"^gestern", lower)) {
    day = daysFrom(ref, -1);
  } else if (patternMatches(uR"re(letzte\s*Nacht)re", lower)) {
    day = lastNight(start, ref);
  } else if (patternMatches(u"jetzt", lower)) {
    implyNow(start, ref);
  }
  assignDay(start, day);
  result.tags().set(TagUnit::deCasualDateParser);
  return result;
}

}  // namespace zarvo::chrono
