#include "zarvo/chrono/es/es_casual_date_parser.h"

#include "zarvo/chrono/casual_day.h"
#include "zarvo/platform/text.h"

namespace zarvo::chrono {

using U = ComponentUnit;

namespace {

// Groups: 1 leading context, 2 the phrase, 3 the word after "esta", 4 the day before "por la",
// 5 the word after "por la".
constexpr std::u16string_view kPattern =
    uR"re((\W|^)(ahora|esta\s*(mañana|tarde|noche)|(ayer|mañana)\s*por\s*la\s*(mañana|tarde|noche)|hoy|mañana|ayer|anoche)(?=\W|$))re";

void implyNight(ParsedComponents& start) {
  start.imply(U::hour, 22);
  start.imply(U::meridiem, 1);
}

}  // namespace

std::u16string_view ESCasualDateParser::pattern() const { return kPattern; }

std::optional<ParsedResult> ESCasualDateParser::extract(std::u16string_view text, Date ref,
                                                        const platform::Match& match, const Options&) const {
  ParsedResult result = commonOpening(text, ref, match);
  ParsedComponents& start = result.start();
  const std::u16string phrase = platform::lowercased(groupText(text, match, 2));
  Date day = ref;
  if (phrase == u"mañana") {
    day = tomorrowFrom(ref);
  } else if (phrase == u"ayer") {
    day = daysFrom(ref, -1);
  } else if (phrase == u"anoche") {
    day = lastNight(start, ref);
  } else if (match.took(3)) {
    const std::u16string part = platform::lowercased(groupText(text, match, 3));
    if (part == u"mañana") {
      start.imply(U::hour, 6);
    } else if (part == u"tarde") {
      start.imply(U::hour, 18);
    } else {
      implyNight(start);
    }
  } else if (match.took(4)) {
    day = daysFrom(ref, platform::lowercased(groupText(text, match, 4)) == u"ayer" ? -1 : 1);
    const std::u16string part = platform::lowercased(groupText(text, match, 5));
    if (part == u"mañana") {
      start.imply(U::hour, 9);
    } else if (part == u"tarde") {
      start.imply(U::hour, 18);
    } else {
      implyNight(start);
    }
  } else if (phrase == u"ahora") {
    implyNow(start, ref);
  }
  assignDay(start, day);
  result.tags().set(TagUnit::esCasualDateParser);
  return result;
}

}  // namespace zarvo::chrono
