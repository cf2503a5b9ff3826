#include "zarvo/chrono/mode_option.h"

#include <memory>

#include "zarvo/chrono/de/de_casual_date_parser.h"
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
#include "zarvo/chrono/es/es_deadline_format_parser.h"
#include "zarvo/chrono/es/es_month_name_little_endian_parser.h"
#include "zarvo/chrono/es/es_slash_date_format_parser.h"
#include "zarvo/chrono/es/es_time_ago_format_parser.h"
#include "zarvo/chrono/es/es_time_expression_parser.h"
#include "zarvo/chrono/es/es_weekday_parser.h"
#include "zarvo/chrono/fr/fr_casual_date_parser.h"
#include "zarvo/chrono/fr/fr_deadline_format_parser.h"
#include "zarvo/chrono/fr/fr_month_name_little_endian_parser.h"
#include "zarvo/chrono/fr/fr_slash_date_format_parser.h"
#include "zarvo/chrono/fr/fr_time_ago_format_parser.h"
#include "zarvo/chrono/fr/fr_time_expression_parser.h"
#include "zarvo/chrono/fr/fr_weekday_parser.h"
#include "zarvo/chrono/ja/jp_casual_date_parser.h"
#include "zarvo/chrono/ja/jp_standard_parser.h"
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
#include "zarvo/chrono/refiners/overlap_removal_refiner.h"
#include "zarvo/chrono/refiners/unlikely_format_filter.h"
#include "zarvo/chrono/zh/zh_casual_date_parser.h"
#include "zarvo/chrono/zh/zh_date_parser.h"
#include "zarvo/chrono/zh/zh_deadline_format_parser.h"
#include "zarvo/chrono/zh/zh_time_expression_parser.h"
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

}  // namespace zarvo::chrono
