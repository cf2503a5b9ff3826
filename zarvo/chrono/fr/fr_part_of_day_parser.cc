#include "zarvo/chrono/fr/fr_part_of_day_parser.h"

#include "zarvo/chrono/casual_day.h"
#include "zarvo/platform/text.h"

namespace zarvo::chrono {

namespace {

// The hours FRCasualDateParser gives "demain matin", "cet aprem", "ce soir"; no option chooses them.
constexpr PartOfDay kPartsOfDay[] = {
    {u"matin", OptionType::morning, 8, std::nullopt},      {u"après-midi", OptionType::afternoon, 14, std::nullopt},
    {u"apres-midi", OptionType::afternoon, 14, std::nullopt}, {u"aprem", OptionType::afternoon, 14, std::nullopt},
    {u"soir", OptionType::evening, 18, std::nullopt},
};

}  // namespace

std::span<const PartOfDay> fr::partsOfDay() { return kPartsOfDay; }

std::u16string_view FRPartOfDayParser::pattern() const {
  // Groups: 1 leading context, 2 the part of the day.
  return u"(\\W|^)(matin|apr[èe]s-midi|aprem|soir)(?=\\W|$)";
}

std::optional<ParsedResult> FRPartOfDayParser::extract(std::u16string_view text, Date ref,
                                                       const platform::Match& match, const Options&) const {
  const PartOfDay* part = findPartOfDay(kPartsOfDay, platform::lowercased(groupText(text, match, 2)));
  if (part == nullptr) return std::nullopt;
  ParsedResult result = commonOpening(text, ref, match);
  implyPartOfDay(result.start(), *part, {});
  result.tags().set(TagUnit::frPartOfDayParser);
  return result;
}

}  // namespace zarvo::chrono
