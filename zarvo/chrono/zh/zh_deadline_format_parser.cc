#include "zarvo/chrono/zh/zh_deadline_format_parser.h"

#include "zarvo/chrono/zh/zh_words.h"

namespace zarvo::chrono {

namespace {

constexpr UnitWord kUnits[] = {
    {u"^[日天]", RelativeUnit::day},   {u"^[星禮礼]", RelativeUnit::week}, {u"^月", RelativeUnit::month},
    {u"^年", RelativeUnit::year},      {u"^秒", RelativeUnit::second},     {u"^分", RelativeUnit::minute},
    {u"^[小鐘钟]", RelativeUnit::hour},
};

}  // namespace

std::u16string_view ZHDeadlineFormatParser::pattern() const {
  static const std::u16string pattern =
      u"(\\d+|" + zh::numeralClass() + u"+|半|幾|几)(?:\\s*)" + u"(?:個|个)?" +
      u"(秒(?:鐘|钟)?|分鐘|小時|鐘|日|天|星期|禮拜|月|年|分钟|小时|钟|礼拜)" +
      u"(?:(?:之|過)?後|(?:之)?(內|内)|(?:之|过)?后)";
  return pattern;
}

const DistanceWords& ZHDeadlineFormatParser::words() const {
  // Digits of other scripts match "\d" but read neither as digits nor as a numeral: no result.
  static const DistanceWords words{
      .amount = {.few = u"^[幾几]$", .half = u"^半$", .numeral = zh::readNumeral},
      .units = kUnits,
      .otherwise = std::nullopt,
  };
  return words;
}

}  // namespace zarvo::chrono
