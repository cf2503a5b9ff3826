#include "zarvo/chrono/ja/jp_part_of_day_parser.h"

#include "zarvo/chrono/casual_day.h"

namespace zarvo::chrono {

namespace {

constexpr PartOfDay kPartsOfDay[] = {
    {u"朝", OptionType::morning, 6, 0},       {u"午前", OptionType::morning, 9, 0},
    {u"午前中", OptionType::morning, 9, 0},   {u"昼", OptionType::noon, 12, 1},
    {u"午後", OptionType::afternoon, 15, 1},  {u"夕方", OptionType::evening, 18, 1},
    {u"夜", OptionType::evening, 22, 1},      {u"晩", OptionType::evening, 22, 1},
};

}  // namespace

std::u16string_view JPPartOfDayParser::pattern() const {
  // Group 1: the part of the day.
  return u"(午前中|午前|午後|夕方|朝|昼|夜|晩)(?=[\\s、,。にはのも]|まで|$)";
}

std::optional<ParsedResult> JPPartOfDayParser::extract(std::u16string_view text, Date ref,
                                                       const platform::Match& match, const Options&) const {
  const PartOfDay* part = findPartOfDay(kPartsOfDay, groupText(text, match, 1));
  if (part == nullptr) return std::nullopt;
  ParsedResult result = wholeMatchOpening(text, ref, match);
  implyPartOfDay(result.start(), *part, {});
  result.tags().set(TagUnit::jpPartOfDayParser);
  return result;
}

}  // namespace zarvo::chrono
