// The ready configurations, end to end: parsers and refiners together.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "zarvo/chrono/chrono.h"
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
#include "zarvo/chrono/refiners/extract_timezone_abbr_refiner.h"
#include "zarvo/chrono/refiners/overlap_removal_refiner.h"
#include "zarvo/chrono/refiners/unlikely_format_filter.h"
#include "zarvo/chrono/test_util.h"

namespace zarvo::chrono {
namespace {

using namespace testing;
using U = ComponentUnit;

template <typename T, typename P>
bool is(const std::shared_ptr<P>& object) {
  return dynamic_cast<const T*>(object.get()) != nullptr;
}

TEST(ConfigurationTest, ParsersAndRefinersInTheirOrder) {
  using ParserCheck = bool (*)(const std::shared_ptr<const Parser>&);
  // The formal parsers, in both configurations.
  const std::vector<ParserCheck> formal = {
      is<ENISOFormatParser>,        is<ENDeadlineFormatParser>,
      is<ENMonthNameLittleEndianParser>, is<ENMonthNameMiddleEndianParser>,
      is<ENMonthNameParser>,        is<ENSlashDateFormatParser>,
      is<ENSlashDateFormatStartWithYearParser>, is<ENSlashMonthFormatParser>,
      is<ENTimeAgoFormatParser>,    is<ENTimeExpressionParser>,
      is<ESTimeAgoFormatParser>,    is<ESDeadlineFormatParser>,
      is<ESTimeExpressionParser>,   is<ESMonthNameLittleEndianParser>,
      is<ESSlashDateFormatParser>,
      is<FRDeadlineFormatParser>,   is<FRMonthNameLittleEndianParser>,
      is<FRSlashDateFormatParser>,  is<FRTimeAgoFormatParser>,
      is<FRTimeExpressionParser>,
      is<DEDeadlineFormatParser>,   is<DEMonthNameLittleEndianParser>,
      is<DESlashDateFormatParser>,  is<DETimeAgoFormatParser>,
      is<DETimeExpressionParser>,
  };
  std::vector<ParserCheck> casualOrder = {is<ENCasualTimeParser>, is<ENCasualDateParser>, is<ENWeekdayParser>,
                                          is<ENRelativeDateFormatParser>,
                                          is<ESCasualDateParser>, is<ESWeekdayParser>,
                                          is<FRCasualDateParser>, is<FRWeekdayParser>,
                                          is<DECasualTimeParser>, is<DECasualDateParser>, is<DEWeekdayParser>,
                                          is<DEMorgenTimeParser>};
  casualOrder.insert(casualOrder.end(), formal.begin(), formal.end());

  const ModeOptio casual = casualModeOption();
  ASSERT_EQ(casual.parsers.size(), casualOrder.size());
  for (size_t i = 0; i < casualOrder.size(); ++i) {
    EXPECT_TRUE(casualOrder[i](casual.parsers[i])) << i;
    EXPECT_FALSE(casual.parsers[i]->strictMode());
  }

  const ModeOptio strict = baseModeOption(true);
  ASSERT_EQ(strict.parsers.size(), formal.size());
  for (size_t i = 0; i < formal.size(); ++i) {
    EXPECT_TRUE(formal[i](strict.parsers[i])) << i;
    EXPECT_TRUE(strict.parsers[i]->strictMode());
  }

  for (const ModeOptio* mode : {&casual, &strict}) {
    ASSERT_EQ(mode->refiners.size(), 13u);
    EXPECT_TRUE(is<OverlapRemovalRefiner>(mode->refiners.front()));
    EXPECT_TRUE(is<ExtractTimezoneAbbrRefiner>(mode->refiners[11]));
    EXPECT_TRUE(is<UnlikelyFormatFilter>(mode->refiners.back()));
  }
  // Every call builds fresh objects.
  EXPECT_NE(casualModeOption().parsers[0], casual.parsers[0]);
  EXPECT_EQ(&Chrono::casual(), &Chrono::casual());
}

class CasualTest : public ::testing::TestWithParam<PhraseRow> {};

TEST_P(CasualTest, ReadsOneResult) {
  const PhraseRow& row = GetParam();
  ScopedTimeZone zone(row.zone);
  const auto results = Chrono::casual().parse(std::u16string_view(row.text), row.ref.in(), row.opt);
  checkFirstResult(row, results);
  EXPECT_LE(results.size(), 1u) << context(row);
}

const LocalTime kMonday{2024, 3, 11, 10, 0};
ComponentMap day(int64_t d, std::initializer_list<std::pair<ComponentUnit, int64_t>> extra = {}) {
  ComponentMap m{{U::year, 2024}, {U::month, 3}, {U::day, d}};
  for (const auto& [u, v] : extra) m.set(u, v);
  return m;
}

INSTANTIATE_TEST_SUITE_P(
    Phrases, CasualTest,
    ::testing::Values(
        PhraseRow{.text = u"call mom tomorrow at 5pm", .ref = kMonday, .index = 9, .phrase = u"tomorrow at 5pm",
                  .known = day(12, {{U::hour, 17}, {U::minute, 0}, {U::second, 0}, {U::meridiem, 1}})},
        PhraseRow{.text = u"at 5pm tomorrow: call mom", .ref = kMonday, .index = 0, .phrase = u"at 5pm tomorrow",
                  .known = day(12, {{U::hour, 17}, {U::minute, 0}, {U::second, 0}, {U::meridiem, 1}})},
        PhraseRow{.text = u"pay rent today, 10:30", .ref = kMonday, .index = 9, .phrase = u"today, 10:30",
                  .known = day(11, {{U::hour, 10}, {U::minute, 30}, {U::second, 0}})},
        PhraseRow{.text = u"party tonight at 9", .ref = kMonday, .index = 6, .phrase = u"tonight at 9",
                  .known = day(11, {{U::hour, 21}, {U::minute, 0}, {U::second, 0}})},
        PhraseRow{.text = u"tomorrow evening drinks", .ref = kMonday, .index = 0, .phrase = u"tomorrow evening",
                  .known = day(12, {{U::hour, 18}, {U::minute, 0}, {U::second, 0}})},
        PhraseRow{.text = u"tomorrow evening drinks", .ref = kMonday, .index = 0, .phrase = u"tomorrow evening",
                  .known = day(12, {{U::hour, 20}, {U::minute, 0}, {U::second, 0}}),
                  .opt = {{OptionType::evening, 20}}},
        PhraseRow{.text = u"standup 9:15 tomorrow", .ref = kMonday, .index = 8, .phrase = u"9:15 tomorrow",
                  .known = day(12, {{U::hour, 9}, {U::minute, 15}, {U::second, 0}})},
        PhraseRow{.text = u"shift tomorrow 10pm - 2", .ref = kMonday, .index = 6, .phrase = u"tomorrow 10pm - 2",
                  .known = day(12, {{U::hour, 22}, {U::minute, 0}, {U::second, 0}, {U::meridiem, 1}}),
                  .endKnown = day(13, {{U::hour, 2}, {U::minute, 0}, {U::second, 0}})},
        PhraseRow{.text = u"webinar 5pm PST", .ref = kMonday, .index = 8, .phrase = u"5pm PST",
                  .known = {{U::hour, 17}, {U::minute, 0}, {U::meridiem, 1}, {U::timeZoneOffset, -480}},
                  .implied = day(11)},
        PhraseRow{.text = u"webinar 5pm (pst)", .ref = kMonday, .index = 8, .phrase = u"5pm (pst)",
                  .known = {{U::hour, 17}, {U::minute, 0}, {U::meridiem, 1}, {U::timeZoneOffset, -480}}},
        PhraseRow{.text = u"call 10am GMT+0200", .ref = kMonday, .index = 5, .phrase = u"10am GMT+0200",
                  .known = {{U::hour, 10}, {U::minute, 0}, {U::meridiem, 0}, {U::timeZoneOffset, 120}}},
        PhraseRow{.text = u"call 10am -0800", .ref = kMonday, .index = 5, .phrase = u"10am -0800",
                  .known = {{U::hour, 10}, {U::minute, 0}, {U::meridiem, 0}, {U::timeZoneOffset, -480}}},
        // An abbreviation is read even where a numeric offset without minutes is not.
        PhraseRow{.text = u"call 10am GMT+2", .ref = kMonday, .index = 5, .phrase = u"10am GMT",
                  .known = {{U::hour, 10}, {U::minute, 0}, {U::meridiem, 0}, {U::timeZoneOffset, 0}}},
        PhraseRow{.text = u"7 - 9pm EST", .ref = kMonday, .index = 0, .phrase = u"7 - 9pm EST",
                  .known = {{U::hour, 19}, {U::minute, 0}, {U::timeZoneOffset, -300}},
                  .endKnown = ComponentMap{{U::hour, 21}, {U::minute, 0}, {U::meridiem, 1}, {U::timeZoneOffset, -300}}},
        // Both the casual-time and the time-expression parser read "noon"; overlap removal keeps the
        // first parser's, which only implies the hour.
        PhraseRow{.text = u"noon", .ref = kMonday, .index = 0, .phrase = u"noon", .implied = day(11, {{U::hour, 12}})},
        PhraseRow{.text = u"buy milk", .ref = kMonday, .found = false},
        PhraseRow{.text = u"read 1984 and room 101", .ref = kMonday, .found = false},
        PhraseRow{.text = u"", .ref = kMonday, .found = false}));

TEST(ChronoTest, ParseDateAlwaysReadsCasually) {
  ScopedTimeZone zone("Europe/Berlin");
  const Date ref = localDate(2024, 3, 11, 10, 0);
  // The strict configuration has no casual parsers, yet parseDate reads "tomorrow".
  EXPECT_TRUE(Chrono::strict().parse(u"tomorrow", ref).empty());
  const auto date = Chrono::strict().parseDate(u"tomorrow", ref);
  ASSERT_TRUE(date);
  EXPECT_EQ(iso(*date), "2024-03-12T12:00:00.000+01:00");
  EXPECT_FALSE(Chrono::casual().parseDate(u"nothing here", ref));
  EXPECT_EQ(iso(*Chrono::casual().parseDate(std::string_view("at 5pm"), ref)), "2024-03-11T17:00:00.000+01:00");
}

TEST(ChronoTest, StrictDropsImpossibleTimes) {
  ScopedTimeZone zone("UTC");
  const Date ref = localDate(2024, 3, 11, 10, 0);
  EXPECT_EQ(Chrono::casual().parse(u"at 2400", ref).size(), 1u);
  EXPECT_TRUE(Chrono::strict().parse(u"at 2400", ref).empty());
  EXPECT_EQ(Chrono::strict().parse(u"at 23:59", ref).size(), 1u);
}

TEST(ChronoTest, ConcurrentParsesAgree) {
  ScopedTimeZone zone("UTC");
  const Date ref = localDate(2024, 3, 11, 10, 0);
  const std::u16string text = u"call mom tomorrow at 5pm PST, then 7 - 9pm drinks";
  const auto expected = Chrono::casual().parse(text, ref);
  std::vector<std::thread> threads;
  std::atomic<int> mismatches{0};
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 50; ++i) {
        const auto got = Chrono::casual().parse(text, ref);
        if (got.size() != expected.size() || got[0].text() != expected[0].text()) ++mismatches;
      }
    });
  }
  for (auto& th : threads) th.join();
  EXPECT_EQ(mismatches.load(), 0);
  EXPECT_EQ(texts(expected), (std::vector<std::u16string>{u"tomorrow at 5pm PST", u"7 - 9pm"}));
}

}  // namespace
}  // namespace zarvo::chrono
