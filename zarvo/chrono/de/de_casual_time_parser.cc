#include "zarvo/chrono/de/de_casual_time_parser.h"

#include "zarvo/chrono/casual_day.h"
#include "zarvo/platform/text.h"

namespace zarvo::chrono {

namespace {

// Groups: 1 leading context, 2 the phrase, 3 "heute"/"diese...", 4 the part of the day.
constexpr std::u16string_view kPattern = uR"re((\W|^)((heute|diese[nrms])?\s*(früh|nachmittag|abend|mittag)))re";

constexpr PartOfDay kPartsOfDay[] = {
    {u"früh", OptionType::morning, 6, std::nullopt},
    {u"nachmittag", OptionType::afternoon, 15, 1},
    {u"abend", OptionType::evening, 18, 1},
    {u"mittag", OptionType::noon, 12, std::nullopt},
};

}  // namespace

std::u16string_view DECasualTimeParser::pattern() const { return kPattern; }

std::optional<ParsedResult> DECasualTimeParser::extract(std::u16string_view text, Date ref,
                                                        const platform::Match& match, const Options& opt) const {
  ParsedResult result = commonOpening(text, ref, match);
  if (const PartOfDay* part = findPartOfDay(kPartsOfDay, platform::lowercased(groupText(text, match, 4)))) {
    implyPartOfDay(result.start(), *part, opt);
  }
  result.tags().set(TagUnit::deCasualTimeParser);
  return result;
}

}  // namespace zarvo::chrono
