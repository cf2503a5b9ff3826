#include "zarvo/chrono/refiners/extract_timezone_abbr_refiner.h"

#include "zarvo/chrono/pattern_cache.h"
#include "zarvo/chrono/timezone_abbreviations.h"
#include "zarvo/platform/text.h"

namespace zarvo::chrono {

using U = ComponentUnit;

namespace {

constexpr std::u16string_view kAbbreviationPattern = u"^\\s*\\(?([A-Z]{2,4})\\)?(?=\\W|$)";

std::u16string upperAscii(std::u16string_view s) {
  std::u16string out(s);
  for (char16_t& c : out) {
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  }
  return out;
}

}  // namespace

std::vector<ParsedResult> ExtractTimezoneAbbrRefiner::refine(std::u16string_view text,
                                                             std::vector<ParsedResult> results,
                                                             const Options&) const {
  const platform::Regex* regex = compiledPattern(kAbbreviationPattern);
  if (regex == nullptr) return results;
  for (ParsedResult& result : results) {
    const TagSet& tags = result.tags();
    if (!tags.contains(TagUnit::enTimeExpressionParser) && !tags.contains(TagUnit::frTimeExpressionParser) &&
        !tags.contains(TagUnit::zhHantTimeExpressionParser)) {
      continue;
    }
    const std::u16string_view following = followingText(text, result);
    const std::optional<platform::Match> match = regex->firstMatch(following);
    if (!match) continue;
    const platform::Range letters = match->range(1);
    // The table's keys are ASCII capitals; case-insensitive "[A-Z]" may also take a few non-ASCII
    // letters that fold to them (the Kelvin sign), which then find no entry.
    const std::u16string_view written =
        letters.found() ? platform::substring(following, letters.location, letters.length) : std::u16string_view();
    const std::u16string abbreviation = upperAscii(written);
    if (capitalsOnly_ && abbreviation != written) continue;
    const std::optional<int64_t> offset = timezoneAbbreviationOffset(abbreviation);
    if (!offset) continue;

    if (!result.start().isCertain(U::timeZoneOffset)) result.start().assign(U::timeZoneOffset, *offset);
    if (result.end() && !result.end()->isCertain(U::timeZoneOffset)) {
      result.end()->assign(U::timeZoneOffset, *offset);
    }
    const platform::Range whole = match->range(0);
    result.setText(result.text() + std::u16string(platform::substring(following, whole.location, whole.length)));
    result.tags().set(TagUnit::extractTimezoneAbbrRefiner);
  }
  return results;
}

}  // namespace zarvo::chrono
