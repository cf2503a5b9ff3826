#include "zarvo/chrono/ja/jp_deadline_parser.h"

#include "zarvo/chrono/ja/jp_util.h"

namespace zarvo::chrono {

namespace {

// "時間" before "日" and "月": the unit words are found anywhere in the unit group.
constexpr UnitWord kUnits[] = {{u"分", RelativeUnit::minute}, {u"時間", RelativeUnit::hour},
                               {u"週", RelativeUnit::week},   {u"月", RelativeUnit::month},
                               {u"年", RelativeUnit::year},   {u"日", RelativeUnit::day}};

}  // namespace

std::u16string_view JPDeadlineParser::pattern() const {
  // Groups: 1 amount, 2 unit.
  return u"([0-9０-９]+|[一二三四五六七八九十]+|半)\\s*(分|時間|日|週間|か月|ヶ月|ヵ月|カ月|ケ月|年)後";
}

const DistanceWords& JPDeadlineParser::words() const {
  static const DistanceWords words{
      .amount = {.numbers = nullptr, .articles = nullptr, .emptyMeansOne = false, .few = {}, .half = u"半", .numeral = &ja::readNumber}, .units = kUnits, .otherwise = std::nullopt};
  return words;
}

}  // namespace zarvo::chrono
