// The vocabulary of the date engine: the date units a phrase can state, and the tags that record which
// parser or refiner produced or changed a result.
//
// Both enumerations are ordered; the order is the declaration order and is also the order in which
// units and tags are listed wherever they are printed (the CLI's JSON, test output).
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace zarvo::chrono {

enum class ComponentUnit {
  year,            // calendar year, e.g. 2024
  month,           // 1 = January ... 12 = December
  day,             // day of month, 1-31
  hour,            // 0-23
  minute,          // 0-59
  second,          // 0-59
  millisecond,     // 0-999
  weekday,         // 0 = Sunday ... 6 = Saturday
  timeZoneOffset,  // minutes east of UTC (nine hours east is 540)
  meridiem,        // 0 = AM, 1 = PM
};
inline constexpr size_t kComponentUnitCount = 10;

enum class TagUnit {
  none,
  enCasualTimeParser,
  enCasualDateParser,
  enDeadlineFormatParser,
  enISOFormatParser,
  enMonthNameLittleEndianParser,
  enMonthNameMiddleEndianParser,
  enMonthNameParser,
  enRelativeDateFormatParser,
  enSlashDateFormatParser,
  enSlashDateFormatStartWithYearParser,
  enSlashMonthFormatParser,
  enTimeAgoFormatParser,
  enTimeExpressionParser,
  enWeekdayParser,
  esCasualDateParser,
  esDeadlineFormatParser,
  esMonthNameLittleEndianParser,
  esSlashDateFormatParser,
  esTimeAgoFormatParser,
  esTimeExpressionParser,
  esWeekdayParser,
  frCasualDateParser,
  frDeadlineFormatParser,
  frMonthNameLittleEndianParser,
  frSlashDateFormatParser,
  frTimeAgoFormatParser,
  frTimeExpressionParser,
  frWeekdayParser,
  jpCasualDateParser,
  jpStandardParser,
  deCasualTimeParser,
  deCasualDateParser,
  deDeadlineFormatParser,
  deMonthNameLittleEndianParser,
  deSlashDateFormatParser,
  deTimeAgoFormatParser,
  deTimeExpressionParser,
  deWeekdayParser,
  deMorgenTimeParser,
  zhHantCasualDateParser,
  zhHantDateParser,
  zhHantDeadlineFormatParser,
  zhHantTimeExpressionParser,
  zhHantWeekdayParser,
  extractTimezoneAbbrRefiner,
  extractTimezoneOffsetRefiner,
  forwardDateRefiner,
  enMergeDateAndTimeRefiner,
  enMergeDateRangeRefiner,
  enPrioritizeSpecificDateRefiner,
  frMergeDateRangeRefiner,
  frMergeDateAndTimeRefiner,
  deMergeDateAndTimeRefiner,
  deMergeDateRangeRefiner,
  // The parsers and refiners of the extended configuration and of the reader options
  // (extendedCasualModeOption(), ReaderOptions), which the configurations above never produce.
  enRelativeDayParser,
  enDayOfMonthParser,
  enPeriodEndParser,
  enFromNowParser,
  enTimeOfDayParser,
  deRelativeDayParser,
  deDayOfMonthParser,
  dePeriodEndParser,
  deClockWordParser,
  deTimeOfDayParser,
  deDayMonthParser,
  esRelativeDayParser,
  esDayOfMonthParser,
  esPeriodEndParser,
  esTimeOfDayParser,
  esPartOfDayParser,
  esDistanceParser,
  frRelativeDayParser,
  frDayOfMonthParser,
  frPeriodEndParser,
  frTimeOfDayParser,
  frPartOfDayParser,
  jpRelativeDayParser,
  jpWeekdayParser,
  jpRelativeWeekParser,
  jpPeriodEndParser,
  jpDeadlineParser,
  jpTimeExpressionParser,
  jpPartOfDayParser,
  zhRelativeDayParser,
  zhWeekdayPhraseParser,
  zhWeekDeadlineParser,
  zhPeriodEndParser,
  deRelativePeriodParser,
  esRelativePeriodParser,
  frRelativePeriodParser,
  zhRelativePeriodParser,
  jpDayOfMonthParser,
  zhDayOfMonthParser,
  jpMergeDateAndTimeRefiner,
  comingTimeRefiner,
  numericDateOrderRefiner,
  shortYearRefiner,
};
inline constexpr size_t kTagUnitCount = 98;

// The case name as written above ("timeZoneOffset", "enCasualDateParser").
std::string_view name(ComponentUnit unit);
std::string_view name(TagUnit tag);

// The unit or tag whose case name equals `name` exactly; nothing otherwise.
std::optional<ComponentUnit> componentUnitNamed(std::string_view name);
std::optional<TagUnit> tagUnitNamed(std::string_view name);

}  // namespace zarvo::chrono
