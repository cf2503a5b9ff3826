#include "zarvo/chrono/de/de_morgen_time_parser.h"

#include "zarvo/chrono/calendar_fields.h"
#include "zarvo/chrono/de/de_words.h"
#include "zarvo/platform/text.h"

namespace zarvo::chrono {

namespace {

// Groups: 1 leading context, 2 the phrase.
const std::u16string& morgenPattern() {
  static const std::u16string pattern = std::u16string(uR"re((\W|^)((?:heute|letzten)\s*Morgen|Morgen\s*früh|)re") +
                                        de::weekdays().alternation() + uR"re(\s*Morgen))re";
  return pattern;
}

}  // namespace

std::u16string_view DEMorgenTimeParser::pattern() const { return morgenPattern(); }

std::optional<ParsedResult> DEMorgenTimeParser::extract(std::u16string_view text, Date ref,
                                                        const platform::Match& match, const Options& opt) const {
  ParsedResult result = commonOpening(text, ref, match);
  ParsedComponents& start = result.start();
  start.imply(ComponentUnit::hour, optionValue(opt, OptionType::morning).value_or(6));

  const std::u16string phrase = platform::lowercased(groupText(text, match, 2));
  const int64_t refDay = calendarFields(ref).day;
  if (phrase.starts_with(u"letzten")) {
    start.imply(ComponentUnit::day, refDay - 1);
  } else if (phrase.ends_with(u"früh")) {
    start.imply(ComponentUnit::day, refDay + 1);
  } else {
    // "<weekday> Morgen": the word before the six letters of "morgen".
    const std::u16string_view before = std::u16string_view(phrase).substr(0, phrase.size() >= 6 ? phrase.size() - 6 : 0);
    if (auto weekday = de::weekdays().find(platform::trimmed(before))) {
      start.assign(ComponentUnit::weekday, *weekday);
    }
  }
  result.tags().set(TagUnit::deMorgenTimeParser);
  return result;
}

}  // namespace zarvo::chrono
