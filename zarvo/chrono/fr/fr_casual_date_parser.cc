#include "zarvo/chrono/fr/fr_casual_date_parser.h"

#include "zarvo/chrono/casual_day.h"
#include "zarvo/chrono/pattern_cache.h"
#include "zarvo/platform/text.h"

namespace zarvo::chrono {

using U = ComponentUnit;

namespace {

constexpr std::u16string_view kPattern =
    uR"re((\W|^)(maintenant|aujourd'hui|ajd|cette\s*nuit|la\s*veille|(demain|hier)(\s*(matin|soir|aprem|après-midi))?|ce\s*(matin|soir)|cet\s*(après-midi|aprem))(?=\W|$))re";

}  // namespace

std::u16string_view FRCasualDateParser::pattern() const { return kPattern; }

std::optional<ParsedResult> FRCasualDateParser::extract(std::u16string_view text, Date ref,
                                                        const platform::Match& match, const Options&) const {
  ParsedResult result = commonOpening(text, ref, match);
  ParsedComponents& start = result.start();
  const std::u16string phrase = platform::lowercased(result.text());

  Date day = ref;
  if (patternMatches(u"demain", phrase)) {
    day = tomorrowFrom(ref);
  } else if (patternMatches(u"hier", phrase)) {
    day = daysFrom(ref, -1);
  }

  // The first time of day the phrase names.
  if (patternMatches(uR"re(cette\s*nuit)re", phrase)) {
    start.imply(U::hour, 22);
    start.imply(U::meridiem, 1);
  } else if (patternMatches(uR"re(la\s*veille)re", phrase)) {
    day = lastNight(start, ref);
  } else if (patternMatches(u"(après-midi|aprem)", phrase)) {
    start.imply(U::hour, 14);
  } else if (patternMatches(u"(soir)", phrase)) {
    start.imply(U::hour, 18);
  } else if (patternMatches(u"matin", phrase)) {
    start.imply(U::hour, 8);
  } else if (patternMatches(u"maintenant", phrase)) {
    // French "now" names the reference's millisecond as it stands; unlike English it is not rounded up.
    implyNow(start, ref, false);
  }

  assignDay(start, day);
  result.tags().set(TagUnit::frCasualDateParser);
  return result;
}

}  // namespace zarvo::chrono
