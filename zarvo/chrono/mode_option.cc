#include "zarvo/chrono/mode_option.h"

#include <algorithm>
#include <memory>

#include "zarvo/chrono/de/de_casual_date_parser.h"
#include "zarvo/chrono/de/de_clock_word_parser.h"
#include "zarvo/chrono/de/de_day_month_parser.h"
#include "zarvo/chrono/de/de_day_of_month_parser.h"
#include "zarvo/chrono/de/de_period_end_parser.h"
#include "zarvo/chrono/de/de_relative_day_parser.h"
#include "zarvo/chrono/de/de_relative_period_parser.h"
#include "zarvo/chrono/de/de_time_of_day_parser.h"
#include "zarvo/chrono/de/de_casual_time_parser.h"
#include "zarvo/chrono/de/de_deadline_format_parser.h"
#include "zarvo/chrono/de/de_month_name_little_endian_parser.h"
#include "zarvo/chrono/de/de_morgen_time_parser.h"
#include "zarvo/chrono/de/de_slash_date_format_parser.h"
#include "zarvo/chrono/de/de_time_ago_format_parser.h"
#include "zarvo/chrono/de/de_time_expression_parser.h"
#include "zarvo/chrono/de/de_weekday_parser.h"
#include "zarvo/chrono/en/en_casual_date_parser.h"
#include "zarvo/chrono/en/en_casual_time_parser.h"
#include "zarvo/chrono/en/en_day_of_month_parser.h"
#include "zarvo/chrono/en/en_from_now_parser.h"
#include "zarvo/chrono/en/en_period_end_parser.h"
#include "zarvo/chrono/en/en_relative_day_parser.h"
#include "zarvo/chrono/en/en_time_of_day_parser.h"
#include "zarvo/chrono/en/en_deadline_format_parser.h"
#include "zarvo/chrono/en/en_iso_format_parser.h"
#include "zarvo/chrono/en/en_month_name_little_endian_parser.h"
#include "zarvo/chrono/en/en_month_name_middle_endian_parser.h"
#include "zarvo/chrono/en/en_month_name_parser.h"
#include "zarvo/chrono/en/en_relative_date_format_parser.h"
#include "zarvo/chrono/en/en_slash_date_format_parser.h"
#include "zarvo/chrono/en/en_slash_date_format_start_with_year_parser.h"
#include "zarvo/chrono/en/en_slash_month_format_parser.h"
#include "zarvo/chrono/en/en_time_ago_format_parser.h"
#include "zarvo/chrono/en/en_time_expression_parser.h"
#include "zarvo/chrono/en/en_weekday_parser.h"
#include "zarvo/chrono/es/es_casual_date_parser.h"
#include "zarvo/chrono/es/es_day_of_month_parser.h"
#include "zarvo/chrono/es/es_deadline_format_parser.h"
#include "zarvo/chrono/es/es_distance_parser.h"
#include "zarvo/chrono/es/es_month_name_little_endian_parser.h"
#include "zarvo/chrono/es/es_part_of_day_parser.h"
#include "zarvo/chrono/es/es_period_end_parser.h"
#include "zarvo/chrono/es/es_relative_day_parser.h"
#include "zarvo/chrono/es/es_relative_period_parser.h"
#include "zarvo/chrono/es/es_slash_date_format_parser.h"
#include "zarvo/chrono/es/es_time_ago_format_parser.h"
#include "zarvo/chrono/es/es_time_expression_parser.h"
#include "zarvo/chrono/es/es_time_of_day_parser.h"
#include "zarvo/chrono/es/es_weekday_parser.h"
#include "zarvo/chrono/fr/fr_casual_date_parser.h"
#include "zarvo/chrono/fr/fr_day_of_month_parser.h"
#include "zarvo/chrono/fr/fr_deadline_format_parser.h"
#include "zarvo/chrono/fr/fr_month_name_little_endian_parser.h"
#include "zarvo/chrono/fr/fr_part_of_day_parser.h"
#include "zarvo/chrono/fr/fr_period_end_parser.h"
#include "zarvo/chrono/fr/fr_relative_day_parser.h"
#include "zarvo/chrono/fr/fr_relative_period_parser.h"
#include "zarvo/chrono/fr/fr_slash_date_format_parser.h"
#include "zarvo/chrono/fr/fr_time_ago_format_parser.h"
#include "zarvo/chrono/fr/fr_time_expression_parser.h"
#include "zarvo/chrono/fr/fr_time_of_day_parser.h"
#include "zarvo/chrono/fr/fr_weekday_parser.h"
#include "zarvo/chrono/ja/jp_casual_date_parser.h"
#include "zarvo/chrono/ja/jp_deadline_parser.h"
#include "zarvo/chrono/ja/jp_part_of_day_parser.h"
#include "zarvo/chrono/ja/jp_period_end_parser.h"
#include "zarvo/chrono/ja/jp_day_of_month_parser.h"
#include "zarvo/chrono/ja/jp_relative_day_parser.h"
#include "zarvo/chrono/ja/jp_relative_week_parser.h"
#include "zarvo/chrono/ja/jp_standard_parser.h"
#include "zarvo/chrono/ja/jp_time_expression_parser.h"
#include "zarvo/chrono/ja/jp_weekday_parser.h"
#include "zarvo/chrono/refiners/de_merge_date_range_refiner.h"
#include "zarvo/chrono/refiners/de_merge_date_time_refiner.h"
#include "zarvo/chrono/refiners/en_merge_date_range_refiner.h"
#include "zarvo/chrono/refiners/en_merge_date_time_refiner.h"
#include "zarvo/chrono/refiners/en_prioritize_specific_date_refiner.h"
#include "zarvo/chrono/refiners/extract_timezone_abbr_refiner.h"
#include "zarvo/chrono/refiners/extract_timezone_offset_refiner.h"
#include "zarvo/chrono/refiners/forward_date_refiner.h"
#include "zarvo/chrono/refiners/fr_merge_date_range_refiner.h"
#include "zarvo/chrono/refiners/fr_merge_date_time_refiner.h"
#include "zarvo/chrono/refiners/jp_merge_date_range_refiner.h"
#include "zarvo/chrono/refiners/jp_merge_date_time_refiner.h"
#include "zarvo/chrono/refiners/overlap_removal_refiner.h"
#include "zarvo/chrono/refiners/unlikely_format_filter.h"
#include "zarvo/chrono/zh/zh_casual_date_parser.h"
#include "zarvo/chrono/zh/zh_date_parser.h"
#include "zarvo/chrono/zh/zh_deadline_format_parser.h"
#include "zarvo/chrono/zh/zh_period_end_parser.h"
#include "zarvo/chrono/zh/zh_day_of_month_parser.h"
#include "zarvo/chrono/zh/zh_relative_day_parser.h"
#include "zarvo/chrono/zh/zh_relative_period_parser.h"
#include "zarvo/chrono/zh/zh_weekday_phrase_parser.h"
#include "zarvo/chrono/zh/zh_time_expression_parser.h"
#include "zarvo/chrono/zh/zh_week_deadline_parser.h"
#include "zarvo/chrono/zh/zh_weekday_parser.h"

namespace zarvo::chrono {

// The lists below are the complete configurations in their fixed order: the front end's stable sort
// keeps parser order among results at the same index, so moving a line changes what is read.

namespace {

template <typename T>
void addParser(ModeOptio& mode, bool strictMode) {
  mode.parsers.push_back(std::make_shared<const T>(strictMode));
}

template <typename T>
void addRefiner(ModeOptio& mode) {
  mode.refiners.push_back(std::make_shared<const T>());
}

}  // namespace

ModeOptio baseModeOption(bool strictMode) {
  ModeOptio mode;
  const bool s = strictMode;
  // English
  addParser<ENISOFormatParser>(mode, s);
  addParser<ENDeadlineFormatParser>(mode, s);
  addParser<ENMonthNameLittleEndianParser>(mode, s);
  addParser<ENMonthNameMiddleEndianParser>(mode, s);
  addParser<ENMonthNameParser>(mode, s);
  addParser<ENSlashDateFormatParser>(mode, s);
  addParser<ENSlashDateFormatStartWithYearParser>(mode, s);
  addParser<ENSlashMonthFormatParser>(mode, s);
  addParser<ENTimeAgoFormatParser>(mode, s);
  addParser<ENTimeExpressionParser>(mode, s);
  // Japanese
  addParser<JPStandardParser>(mode, s);
  // Spanish
  addParser<ESTimeAgoFormatParser>(mode, s);
  addParser<ESDeadlineFormatParser>(mode, s);
  addParser<ESTimeExpressionParser>(mode, s);
  addParser<ESMonthNameLittleEndianParser>(mode, s);
  addParser<ESSlashDateFormatParser>(mode, s);
  // French
  addParser<FRDeadlineFormatParser>(mode, s);
  addParser<FRMonthNameLittleEndianParser>(mode, s);
  addParser<FRSlashDateFormatParser>(mode, s);
  addParser<FRTimeAgoFormatParser>(mode, s);
  addParser<FRTimeExpressionParser>(mode, s);
  // German
  addParser<DEDeadlineFormatParser>(mode, s);
  addParser<DEMonthNameLittleEndianParser>(mode, s);
  addParser<DESlashDateFormatParser>(mode, s);
  addParser<DETimeAgoFormatParser>(mode, s);
  addParser<DETimeExpressionParser>(mode, s);
  // Chinese
  addParser<ZHCasualDateParser>(mode, s);
  addParser<ZHDateParser>(mode, s);
  addParser<ZHDeadlineFormatParser>(mode, s);
  addParser<ZHTimeExpressionParser>(mode, s);
  addParser<ZHWeekdayParser>(mode, s);

  // The same thirteen refiners in both modes.
  addRefiner<OverlapRemovalRefiner>(mode);
  addRefiner<ForwardDateRefiner>(mode);
  addRefiner<ENMergeDateTimeRefiner>(mode);
  addRefiner<ENMergeDateRangeRefiner>(mode);
  addRefiner<ENPrioritizeSpecificDateRefiner>(mode);
  addRefiner<FRMergeDateRangeRefiner>(mode);
  addRefiner<FRMergeDateTimeRefiner>(mode);
  addRefiner<JPMergeDateRangeRefiner>(mode);
  addRefiner<DEMergeDateTimeRefiner>(mode);
  addRefiner<DEMergeDateRangeRefiner>(mode);
  addRefiner<ExtractTimezoneOffsetRefiner>(mode);
  addRefiner<ExtractTimezoneAbbrRefiner>(mode);
  addRefiner<UnlikelyFormatFilter>(mode);
  return mode;
}

ModeOptio casualModeOption() {
  ModeOptio casual;
  // The casual parsers go in front of the formal ones, all non-strict.
  const bool s = false;
  addParser<ENCasualTimeParser>(casual, s);
  addParser<ENCasualDateParser>(casual, s);
  addParser<ENWeekdayParser>(casual, s);
  addParser<ENRelativeDateFormatParser>(casual, s);
  addParser<JPCasualDateParser>(casual, s);
  addParser<ESCasualDateParser>(casual, s);
  addParser<ESWeekdayParser>(casual, s);
  addParser<FRCasualDateParser>(casual, s);
  addParser<FRWeekdayParser>(casual, s);
  addParser<DECasualTimeParser>(casual, s);
  addParser<DECasualDateParser>(casual, s);
  addParser<DEWeekdayParser>(casual, s);
  addParser<DEMorgenTimeParser>(casual, s);

  ModeOptio base = baseModeOption(false);
  casual.parsers.insert(casual.parsers.end(), base.parsers.begin(), base.parsers.end());
  casual.refiners = std::move(base.refiners);
  return casual;
}

ModeOptio extendedCasualModeOption() {
  ModeOptio mode = casualModeOption();
  const bool s = false;
  // English
  addParser<ENRelativeDayParser>(mode, s);
  addParser<ENDayOfMonthParser>(mode, s);
  addParser<ENPeriodEndParser>(mode, s);
  addParser<ENFromNowParser>(mode, s);
  addParser<ENTimeOfDayParser>(mode, s);
  // German
  addParser<DERelativeDayParser>(mode, s);
  addParser<DERelativePeriodParser>(mode, s);
  addParser<DEDayOfMonthParser>(mode, s);
  addParser<DEPeriodEndParser>(mode, s);
  addParser<DEClockWordParser>(mode, s);
  addParser<DETimeOfDayParser>(mode, s);
  // Spanish
  addParser<ESRelativeDayParser>(mode, s);
  addParser<ESRelativePeriodParser>(mode, s);
  addParser<ESDayOfMonthParser>(mode, s);
  addParser<ESPeriodEndParser>(mode, s);
  addParser<ESTimeOfDayParser>(mode, s);
  addParser<ESPartOfDayParser>(mode, s);
  addParser<ESDistanceParser>(mode, s);
  // French
  addParser<FRRelativeDayParser>(mode, s);
  addParser<FRRelativePeriodParser>(mode, s);
  addParser<FRDayOfMonthParser>(mode, s);
  addParser<FRPeriodEndParser>(mode, s);
  addParser<FRTimeOfDayParser>(mode, s);
  addParser<FRPartOfDayParser>(mode, s);
  // Japanese
  addParser<JPRelativeDayParser>(mode, s);
  addParser<JPDayOfMonthParser>(mode, s);
  addParser<JPWeekdayParser>(mode, s);
  addParser<JPRelativeWeekParser>(mode, s);
  addParser<JPPeriodEndParser>(mode, s);
  addParser<JPDeadlineParser>(mode, s);
  addParser<JPTimeExpressionParser>(mode, s);
  addParser<JPPartOfDayParser>(mode, s);
  // Chinese
  addParser<ZHRelativeDayParser>(mode, s);
  addParser<ZHDayOfMonthParser>(mode, s);
  addParser<ZHRelativePeriodParser>(mode, s);
  addParser<ZHWeekdayPhraseParser>(mode, s);
  addParser<ZHWeekDeadlineParser>(mode, s);
  addParser<ZHPeriodEndParser>(mode, s);

  // "3.1." read with a nearest year goes before the slash-date parser's reading of the same text, so
  // the overlap refiner keeps it.
  const auto slashDates = std::find_if(mode.parsers.begin(), mode.parsers.end(), [](const auto& parser) {
    return dynamic_cast<const DESlashDateFormatParser*>(parser.get()) != nullptr;
  });
  mode.parsers.insert(slashDates, std::make_shared<const DEDayMonthParser>(s));

  // The Japanese date-time merge goes with the other date-time merges, before the Japanese ranges.
  const auto jpRange = std::find_if(mode.refiners.begin(), mode.refiners.end(), [](const auto& refiner) {
    return dynamic_cast<const JPMergeDateRangeRefiner*>(refiner.get()) != nullptr;
  });
  mode.refiners.insert(jpRange, std::make_shared<const JPMergeDateTimeRefiner>());
  return mode;
}

}  // namespace zarvo::chrono
