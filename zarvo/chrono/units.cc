#include "zarvo/chrono/units.h"

#include <array>

namespace zarvo::chrono {

namespace {

constexpr std::array<std::string_view, kComponentUnitCount> kComponentUnitNames = {
    "year", "month", "day", "hour", "minute", "second", "millisecond", "weekday", "timeZoneOffset", "meridiem",
};

constexpr std::array<std::string_view, kTagUnitCount> kTagUnitNames = {
    "none",
    "enCasualTimeParser",
    "enCasualDateParser",
    "enDeadlineFormatParser",
    "enISOFormatParser",
    "enMonthNameLittleEndianParser",
    "enMonthNameMiddleEndianParser",
    "enMonthNameParser",
    "enRelativeDateFormatParser",
    "enSlashDateFormatParser",
    "enSlashDateFormatStartWithYearParser",
    "enSlashMonthFormatParser",
    "enTimeAgoFormatParser",
    "enTimeExpressionParser",
    "enWeekdayParser",
    "esCasualDateParser",
    "esDeadlineFormatParser",
    "esMonthNameLittleEndianParser",
    "esSlashDateFormatParser",
    "esTimeAgoFormatParser",
    "esTimeExpressionParser",
    "esWeekdayParser",
    "frCasualDateParser",
    "frDeadlineFormatParser",
    "frMonthNameLittleEndianParser",
    "frSlashDateFormatParser",
    "frTimeAgoFormatParser",
    "frTimeExpressionParser",
    "frWeekdayParser",
    "jpCasualDateParser",
    "jpStandardParser",
    "deCasualTimeParser",
    "deCasualDateParser",
    "deDeadlineFormatParser",
    "deMonthNameLittleEndianParser",
    "deSlashDateFormatParser",
    "deTimeAgoFormatParser",
    "deTimeExpressionParser",
    "deWeekdayParser",
    "deMorgenTimeParser",
    "zhHantCasualDateParser",
    "zhHantDateParser",
    "zhHantDeadlineFormatParser",
    "zhHantTimeExpressionParser",
    "zhHantWeekdayParser",
    "extractTimezoneAbbrRefiner",
    "extractTimezoneOffsetRefiner",
    "forwardDateRefiner",
    "enMergeDateAndTimeRefiner",
    "enMergeDateRangeRefiner",
    "enPrioritizeSpecificDateRefiner",
    "frMergeDateRangeRefiner",
    "frMergeDateAndTimeRefiner",
    "deMergeDateAndTimeRefiner",
    "deMergeDateRangeRefiner",
    "enRelativeDayParser",
    "enDayOfMonthParser",
    "enPeriodEndParser",
    "enFromNowParser",
    "enTimeOfDayParser",
    "deRelativeDayParser",
    "deDayOfMonthParser",
    "dePeriodEndParser",
    "deClockWordParser",
    "deTimeOfDayParser",
    "deDayMonthParser",
    "esRelativeDayParser",
    "esDayOfMonthParser",
    "esPeriodEndParser",
    "esTimeOfDayParser",
    "esPartOfDayParser",
    "esDistanceParser",
    "frRelativeDayParser",
    "frDayOfMonthParser",
    "frPeriodEndParser",
    "frTimeOfDayParser",
    "frPartOfDayParser",
    "jpRelativeDayParser",
    "jpWeekdayParser",
    "jpRelativeWeekParser",
    "jpPeriodEndParser",
    "jpDeadlineParser",
    "jpTimeExpressionParser",
    "jpPartOfDayParser",
    "zhRelativeDayParser",
    "zhWeekdayPhraseParser",
    "zhWeekDeadlineParser",
    "zhPeriodEndParser",
    "deRelativePeriodParser",
    "esRelativePeriodParser",
    "frRelativePeriodParser",
    "zhRelativePeriodParser",
    "jpDayOfMonthParser",
    "zhDayOfMonthParser",
    "jpMergeDateAndTimeRefiner",
    "comingTimeRefiner",
    "numericDateOrderRefiner",
    "shortYearRefiner",
};

static_assert(static_cast<size_t>(ComponentUnit::meridiem) + 1 == kComponentUnitCount);
static_assert(static_cast<size_t>(TagUnit::shortYearRefiner) + 1 == kTagUnitCount);

}  // namespace

std::string_view name(ComponentUnit unit) { return kComponentUnitNames[static_cast<size_t>(unit)]; }
std::string_view name(TagUnit tag) { return kTagUnitNames[static_cast<size_t>(tag)]; }

std::optional<ComponentUnit> componentUnitNamed(std::string_view n) {
  for (size_t i = 0; i < kComponentUnitNames.size(); ++i) {
    if (kComponentUnitNames[i] == n) return static_cast<ComponentUnit>(i);
  }
  return std::nullopt;
}

std::optional<TagUnit> tagUnitNamed(std::string_view n) {
  for (size_t i = 0; i < kTagUnitNames.size(); ++i) {
    if (kTagUnitNames[i] == n) return static_cast<TagUnit>(i);
  }
  return std::nullopt;
}

}  // namespace zarvo::chrono
