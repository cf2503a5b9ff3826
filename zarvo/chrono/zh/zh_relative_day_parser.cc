#include "zarvo/chrono/zh/zh_relative_day_parser.h"

namespace zarvo::chrono {

namespace {

// The hours of zh::partOfDayHour, PM from noon on as the casual phrases imply it.
constexpr PartOfDay kPartsOfDay[] = {
    {u"早上", OptionType::morning, 6, std::nullopt},  {u"上午", OptionType::morning, 6, std::nullopt},
    {u"中午", OptionType::noon, 12, 1},               {u"下午", OptionType::afternoon, 15, 1},
    {u"晚上", OptionType::evening, 22, 1},            {u"凌晨", OptionType::morning, 0, std::nullopt},
};

}  // namespace

std::u16string_view ZHRelativeDayParser::pattern() const {
  // Groups: 1 the day, 2 the part of the day.
  return u"(大后天|大後天|后天|後天|大前天|前天)"
         u"(?:(早上|上午|中午|下午|晚上|凌晨)(?![0-9０-９一二三四五六七八九十两兩]))?";
}

const PartOfDay* ZHRelativeDayParser::partOfDay(std::u16string_view word) const {
  return findPartOfDay(kPartsOfDay, word);
}

const WordTable& ZHRelativeDayParser::days() const {
  static const WordTable table{{u"后天", 2},   {u"後天", 2},   {u"大后天", 3},
                               {u"大後天", 3}, {u"前天", -2}, {u"大前天", -3}};
  return table;
}

}  // namespace zarvo::chrono
