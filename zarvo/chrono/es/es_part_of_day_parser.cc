#include "zarvo/chrono/es/es_part_of_day_parser.h"

#include "zarvo/chrono/casual_day.h"
#include "zarvo/platform/text.h"

namespace zarvo::chrono {

namespace {

// The hours the casual "... por la mañana/tarde/noche" phrases imply; no option chooses them.
constexpr PartOfDay kPartsOfDay[] = {
    {u"mañana", OptionType::morning, 9, std::nullopt},
    {u"tarde", OptionType::afternoon, 18, std::nullopt},
    {u"noche", OptionType::evening, 22, 1},
};

}  // namespace

std::span<const PartOfDay> es::partsOfDay() { return kPartsOfDay; }

std::u16string_view ESPartOfDayParser::pattern() const {
  // Groups: 1 leading context, 2 the part of the day.
  return u"(\\W|^)por\\s+la\\s+(mañana|tarde|noche)(?=\\W|$)";
}

std::optional<ParsedResult> ESPartOfDayParser::extract(std::u16string_view text, Date ref,
                                                       const platform::Match& match, const Options&) const {
  const PartOfDay* part = findPartOfDay(kPartsOfDay, platform::lowercased(groupText(text, match, 2)));
  if (part == nullptr) return std::nullopt;
  ParsedResult result = commonOpening(text, ref, match);
  implyPartOfDay(result.start(), *part, {});
  result.tags().set(TagUnit::esPartOfDayParser);
  return result;
}

}  // namespace zarvo::chrono
