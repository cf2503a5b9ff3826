#include "zarvo/chrono/en/en_casual_time_parser.h"

#include <array>

#include "zarvo/platform/text.h"

namespace zarvo::chrono {

namespace {

constexpr std::u16string_view kPattern = u"(\\W|^)((this)?\\s*(morning|afternoon|evening|noon))";

struct PartOfDay {
  std::u16string_view word;
  OptionType option;
  int64_t defaultHour;
};

constexpr std::array<PartOfDay, 4> kPartsOfDay = {{
    {u"morning", OptionType::morning, 6},
    {u"afternoon", OptionType::afternoon, 15},
    {u"evening", OptionType::evening, 18},
    {u"noon", OptionType::noon, 12},
}};

}  // namespace

std::u16string_view ENCasualTimeParser::pattern() const { return kPattern; }

std::optional<ParsedResult> ENCasualTimeParser::extract(std::u16string_view text, Date ref,
                                                        const platform::Match& match, const Options& opt) const {
  ParsedResult result = commonOpening(text, ref, match);
  if (match.took(4)) {
    // The pattern matches any case; so does the table look-up, so a capitalised word is not left at the
    // engine's default hour.
    const std::u16string word = platform::lowercased(groupText(text, match, 4));
    for (const PartOfDay& part : kPartsOfDay) {
      if (word == part.word) {
        result.start().imply(ComponentUnit::hour, optionValue(opt, part.option).value_or(part.defaultHour));
        break;
      }
    }
  }
  result.tags().set(TagUnit::enCasualTimeParser);
  return result;
}

}  // namespace zarvo::chrono
