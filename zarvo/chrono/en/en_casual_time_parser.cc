#include "zarvo/chrono/en/en_casual_time_parser.h"

#include "zarvo/chrono/casual_day.h"
#include "zarvo/platform/text.h"

namespace zarvo::chrono {

namespace {

constexpr std::u16string_view kPattern = u"(\\W|^)((this)?\\s*(morning|afternoon|evening|noon))";

constexpr PartOfDay kPartsOfDay[] = {
    {u"morning", OptionType::morning, 6, std::nullopt},
    {u"afternoon", OptionType::afternoon, 15, std::nullopt},
    {u"evening", OptionType::evening, 18, std::nullopt},
    {u"noon", OptionType::noon, 12, std::nullopt},
};

}  // namespace

std::u16string_view ENCasualTimeParser::pattern() const { return kPattern; }

std::optional<ParsedResult> ENCasualTimeParser::extract(std::u16string_view text, Date ref,
                                                        const platform::Match& match, const Options& opt) const {
  ParsedResult result = commonOpening(text, ref, match);
  if (match.took(4)) {
    // The pattern matches any case; so does the table look-up, so a capitalised word is not left at the
    // engine's default hour.
    if (const PartOfDay* part = findPartOfDay(kPartsOfDay, platform::lowercased(groupText(text, match, 4)))) {
      implyPartOfDay(result.start(), *part, opt);
    }
  }
  result.tags().set(TagUnit::enCasualTimeParser);
  return result;
}

}  // namespace zarvo::chrono
