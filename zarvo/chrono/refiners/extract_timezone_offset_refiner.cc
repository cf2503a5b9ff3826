#include "zarvo/chrono/refiners/extract_timezone_offset_refiner.h"

#include "zarvo/chrono/pattern_cache.h"
#include "zarvo/platform/text.h"

namespace zarvo::chrono {

using U = ComponentUnit;

namespace {
constexpr std::u16string_view kOffsetPattern = u"^\\s*(GMT|UTC)?(\\+|\\-)(\\d{1,2}):?(\\d{2})";
}  // namespace

std::vector<ParsedResult> ExtractTimezoneOffsetRefiner::refine(std::u16string_view text,
                                                               std::vector<ParsedResult> results,
                                                               const Options&) const {
  const platform::Regex* regex = compiledPattern(kOffsetPattern);
  if (regex == nullptr) return results;
  for (ParsedResult& result : results) {
    if (result.start().isCertain(U::timeZoneOffset)) continue;
    const std::u16string_view following = followingText(text, result);
    const std::optional<platform::Match> match = regex->firstMatch(following);
    if (!match) continue;
    auto groupText = [&](size_t g) {
      return platform::substring(following, match->range(g).location, match->range(g).length);
    };
    // "\d" also takes digits of other scripts; an offset written with them is not read.
    const auto hours = platform::toInt(groupText(3));
    const auto minutes = platform::toInt(groupText(4));
    if (!hours || !minutes) continue;
    int64_t offset = *hours * 60 + *minutes;
    if (groupText(2) == u"-") offset = -offset;

    if (result.end()) result.end()->assign(U::timeZoneOffset, offset);
    result.start().assign(U::timeZoneOffset, offset);
    result.setText(result.text() + std::u16string(groupText(0)));
    result.tags().set(TagUnit::extractTimezoneOffsetRefiner);
  }
  return results;
}

}  // namespace zarvo::chrono
