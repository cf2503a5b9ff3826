#include "zarvo/chrono/zh/zh_casual_date_parser.h"

#include "zarvo/chrono/casual_day.h"
#include "zarvo/chrono/zh/zh_words.h"

namespace zarvo::chrono {

using U = ComponentUnit;

namespace {

// Groups: 1 "now", 2 day character before 3 a short part of the day, 4 a part of the day alone, 5 day
// character before 日/天 and 6 an optional part of the day after it.
const std::u16string& casualPattern() {
  static const std::u16string pattern = std::u16string(u"(而家|立(?:刻|即)|即刻)|") + std::u16string(zh::kDayCharacterGroup) +
                                        std::u16string(zh::kShortPartOfDayGroup) + u"|" +
                                        std::u16string(zh::kPartOfDayGroup) + u"|" +
                                        std::u16string(zh::kDayCharacterGroup) + u"(?:日|天)(?:[\\s|,|，]*)(?:" +
                                        std::u16string(zh::kPartOfDayGroup) + u")?";
  return pattern;
}

}  // namespace

std::u16string_view ZHCasualDateParser::pattern() const { return casualPattern(); }

std::optional<ParsedResult> ZHCasualDateParser::extract(std::u16string_view text, Date ref,
                                                        const platform::Match& match, const Options&) const {
  ParsedResult result = wholeMatchOpening(text, ref, match);
  ParsedComponents& start = result.start();
  Date day = ref;

  if (match.took(1)) {
    // The millisecond of the reference as it stands, not rounded up.
    implyNow(start, ref, false);
  }
  for (size_t dayGroup : {size_t{2}, size_t{5}}) {
    if (match.took(dayGroup)) day = zh::dayNamed(groupText(text, match, dayGroup), ref).value_or(ref);
  }
  for (size_t partGroup : {size_t{3}, size_t{4}, size_t{6}}) {
    if (auto hour = zh::partOfDayHour(groupText(text, match, partGroup))) {
      start.imply(U::hour, *hour);
      if (*hour >= 12) start.imply(U::meridiem, 1);
    }
  }

  assignDay(start, day);
  result.tags().set(TagUnit::zhHantCasualDateParser);
  return result;
}

}  // namespace zarvo::chrono
