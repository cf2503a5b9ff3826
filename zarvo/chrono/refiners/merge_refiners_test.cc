// The date-time and range mergers of every language.
#include <gtest/gtest.h>

#include "zarvo/chrono/refiners/de_merge_date_range_refiner.h"
#include "zarvo/chrono/refiners/de_merge_date_time_refiner.h"
#include "zarvo/chrono/refiners/en_merge_date_range_refiner.h"
#include "zarvo/chrono/refiners/en_merge_date_time_refiner.h"
#include "zarvo/chrono/refiners/fr_merge_date_range_refiner.h"
#include "zarvo/chrono/refiners/fr_merge_date_time_refiner.h"
#include "zarvo/chrono/refiners/jp_merge_date_range_refiner.h"
#include "zarvo/chrono/test_util.h"

namespace zarvo::chrono {
namespace {

using namespace testing;
using U = ComponentUnit;

const ComponentMap kMarch12{{U::year, 2024}, {U::month, 3}, {U::day, 12}};

// Read in UTC against Monday 11 March 2024, 09:00.
struct InUtc {
  ScopedTimeZone zone_{"UTC"};
  Date ref_ = utcDate(2024, 3, 11, 9, 0);
};
class MergeRefinerTest : public ::testing::Test, protected InUtc {};

// One merge refiner on an input holding two phrases; `merges`: whether they become one result
// (carrying `tag`).
struct MergeRow {
  const Refiner* refiner;
  std::u16string input;
  std::u16string first;
  std::u16string second;
  bool merges;
  TagUnit tag = TagUnit::none;
};

void PrintTo(const MergeRow& row, std::ostream* os) { *os << platform::toUtf8(row.input); }

// ---- Date and time --------------------------------------------------------------------------------

// `first` states kMarch12, `second` 5 pm.
using DateTimeRow = MergeRow;

const ENMergeDateTimeRefiner kEnDateTime;
const DEMergeDateTimeRefiner kDeDateTime;
const FRMergeDateTimeRefiner kFrDateTime;

class DateTimeMergeTest : public ::testing::TestWithParam<DateTimeRow>, protected InUtc {};

TEST_P(DateTimeMergeTest, JoinsNeighboursAcrossConnectingWords) {
  const DateTimeRow& row = GetParam();
  ParsedResult date = resultFor(row.input, row.first, ref_, kMarch12, {TagUnit::enCasualDateParser});
  ParsedResult time = resultFor(row.input, row.second, ref_, {{U::hour, 5}, {U::minute, 0}, {U::meridiem, 1}},
                                {TagUnit::enTimeExpressionParser});
  std::vector<ParsedResult> in;
  if (date.index() < time.index()) {
    in = {date, time};
  } else {
    in = {time, date};
  }
  const auto out = row.refiner->refine(row.input, in, {});
  if (!row.merges) {
    EXPECT_EQ(out.size(), 2u);
    return;
  }
  ASSERT_EQ(out.size(), 1u);
  const ParsedResult& r = out[0];
  const int64_t from = std::min(date.index(), time.index());
  const int64_t to = std::max(date.endPosition(), time.endPosition());
  EXPECT_EQ(r.index(), from);
  EXPECT_EQ(r.text(), row.input.substr(from, to - from));
  EXPECT_EQ(r.start().knownValues(), (ComponentMap{{U::year, 2024}, {U::month, 3}, {U::day, 12}, {U::hour, 17},
                                                   {U::minute, 0}, {U::second, 0}, {U::meridiem, 1}}));
  EXPECT_TRUE(r.tags().isTrue(TagUnit::enCasualDateParser));
  EXPECT_TRUE(r.tags().isTrue(TagUnit::enTimeExpressionParser));
  EXPECT_TRUE(r.tags().isTrue(row.tag));
  EXPECT_EQ(r.ref(), ref_);
}

INSTANTIATE_TEST_SUITE_P(
    Gaps, DateTimeMergeTest,
    ::testing::Values(DateTimeRow{&kEnDateTime, u"tomorrow at 5pm", u"tomorrow", u"5pm", true,
                                  TagUnit::enMergeDateAndTimeRefiner},
                      DateTimeRow{&kEnDateTime, u"tomorrow 5pm", u"tomorrow", u"5pm", true,
                                  TagUnit::enMergeDateAndTimeRefiner},
                      DateTimeRow{&kEnDateTime, u"5pm tomorrow", u"tomorrow", u"5pm", true,
                                  TagUnit::enMergeDateAndTimeRefiner},
                      DateTimeRow{&kEnDateTime, u"5pm, tomorrow", u"tomorrow", u"5pm", true,
                                  TagUnit::enMergeDateAndTimeRefiner},
                      DateTimeRow{&kEnDateTime, u"tomorrowT5pm", u"tomorrow", u"5pm", true,
                                  TagUnit::enMergeDateAndTimeRefiner},
                      DateTimeRow{&kEnDateTime, u"tomorrow and 5pm", u"tomorrow", u"5pm", false},
                      DateTimeRow{&kEnDateTime, u"tomorrow um 5pm", u"tomorrow", u"5pm", false},
                      DateTimeRow{&kDeDateTime, u"morgen um 5pm", u"morgen", u"5pm", true,
                                  TagUnit::deMergeDateAndTimeRefiner},
                      DateTimeRow{&kDeDateTime, u"morgen at 5pm", u"morgen", u"5pm", false},
                      DateTimeRow{&kFrDateTime, u"demain à 5pm", u"demain", u"5pm", true,
                                  TagUnit::frMergeDateAndTimeRefiner},
                      DateTimeRow{&kFrDateTime, u"demain vers 5pm", u"demain", u"5pm", true,
                                  TagUnit::frMergeDateAndTimeRefiner},
                      DateTimeRow{&kFrDateTime, u"demain um 5pm", u"demain", u"5pm", false}));

TEST_F(MergeRefinerTest, MeridiemOfTheTimeMovesTheHour) {
  const std::u16string input = u"tomorrow at 5";
  ParsedResult date = resultFor(input, u"tomorrow", ref_, kMarch12);
  ParsedResult time = resultFor(input, u"5", ref_, {{U::hour, 5}, {U::minute, 0}, {U::meridiem, 1}});
  const auto out = kEnDateTime.refine(input, {date, time}, {});
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].start().knownValues().get(U::hour), 17);

  // "12pm" is noon on that day, not midnight at its end; "12:30pm" half past noon.
  for (int64_t minute : {0, 30}) {
    const std::u16string noon = minute ? u"tomorrow at 12:30pm" : u"tomorrow at 12pm";
    ParsedResult twelve = resultFor(noon, minute ? u"12:30pm" : u"12pm", ref_,
                                    {{U::hour, 12}, {U::minute, minute}, {U::meridiem, 1}});
    const auto merged = kEnDateTime.refine(noon, {resultFor(noon, u"tomorrow", ref_, kMarch12), twelve}, {});
    ASSERT_EQ(merged.size(), 1u);
    EXPECT_EQ(merged[0].start().knownValues(), (ComponentMap{{U::year, 2024}, {U::month, 3}, {U::day, 12}, {U::hour, 12},
                                                             {U::minute, minute}, {U::second, 0}, {U::meridiem, 1}}));
    EXPECT_EQ(merged[0].start().moment(), utcDate(2024, 3, 12, 12, static_cast<int>(minute)));
  }

  // "tonight at 9": the date's implied PM wins over the time's implied AM.
  ParsedResult tonight = resultFor(u"tonight at 9", u"tonight", ref_, kMarch12);
  tonight.start().imply(U::hour, 22);
  tonight.start().imply(U::meridiem, 1);
  ParsedResult nine = resultFor(u"tonight at 9", u"9", ref_, {{U::hour, 9}, {U::minute, 0}});
  nine.start().imply(U::meridiem, 0);
  const auto merged = kEnDateTime.refine(u"tonight at 9", {tonight, nine}, {});
  ASSERT_EQ(merged.size(), 1u);
  EXPECT_EQ(merged[0].start().knownValues().get(U::hour), 21);
}

TEST_F(MergeRefinerTest, TimeRangeOnADateGetsAnEndThatMayRollOver) {
  const std::u16string input = u"tomorrow 11pm - 1am";
  ParsedResult date = resultFor(input, u"tomorrow", ref_, kMarch12);
  ParsedResult time = resultFor(input, u"11pm - 1am", ref_, {{U::hour, 23}, {U::minute, 0}, {U::meridiem, 1}}, {},
                                ComponentMap{{U::hour, 1}, {U::minute, 0}, {U::meridiem, 0}});
  const auto out = kEnDateTime.refine(input, {date, time}, {});
  ASSERT_EQ(out.size(), 1u);
  ASSERT_TRUE(out[0].end());
  EXPECT_EQ(out[0].start()[U::day], 12);
  EXPECT_EQ(out[0].start()[U::hour], 23);
  EXPECT_EQ(out[0].end()->knownValues(), (ComponentMap{{U::year, 2024}, {U::month, 3}, {U::day, 13}, {U::hour, 1},
                                                       {U::minute, 0}, {U::second, 0}, {U::meridiem, 0}}));

  // An end that stays after the start keeps the date's day.
  const std::u16string later = u"tomorrow 5 - 7pm";
  ParsedResult range = resultFor(later, u"5 - 7pm", ref_, {{U::hour, 17}, {U::minute, 0}}, {},
                                 ComponentMap{{U::hour, 19}, {U::minute, 0}, {U::meridiem, 1}});
  const auto out2 = kEnDateTime.refine(later, {resultFor(later, u"tomorrow", ref_, kMarch12), range}, {});
  ASSERT_EQ(out2.size(), 1u);
  EXPECT_EQ((*out2[0].end())[U::day], 12);
  EXPECT_EQ((*out2[0].end())[U::hour], 19);
}

TEST_F(MergeRefinerTest, TwoTimesOrTwoDatesDoNotMerge) {
  const std::u16string input = u"5pm at 6pm today at tomorrow";
  std::vector<ParsedResult> in = {resultFor(input, u"5pm", ref_, {{U::hour, 17}}),
                                  resultFor(input, u"6pm", ref_, {{U::hour, 18}}),
                                  resultFor(input, u"today", ref_, {{U::day, 11}, {U::month, 3}}),
                                  resultFor(input, u"tomorrow", ref_, kMarch12)};
  // 6pm and today merge (time before date); 5pm and tomorrow stay alone.
  EXPECT_EQ(texts(kEnDateTime.refine(input, in, {})),
            (std::vector<std::u16string>{u"5pm", u"6pm today", u"tomorrow"}));
  // A weekday on the time side blocks the merge.
  ParsedResult weekday = resultFor(u"friday 5pm", u"5pm", ref_, {{U::hour, 17}, {U::weekday, 5}});
  EXPECT_EQ(kEnDateTime.refine(u"friday 5pm", {resultFor(u"friday 5pm", u"friday", ref_, {{U::weekday, 5}}), weekday}, {})
                .size(),
            2u);
}

// ---- Ranges ---------------------------------------------------------------------------------------

using RangeRow = MergeRow;

const ENMergeDateRangeRefiner kEnRange;
const DEMergeDateRangeRefiner kDeRange;
const FRMergeDateRangeRefiner kFrRange;
const JPMergeDateRangeRefiner kJpRange;

class DateRangeMergeTest : public ::testing::TestWithParam<RangeRow>, protected InUtc {};

TEST_P(DateRangeMergeTest, JoinsAcrossRangeWords) {
  const RangeRow& row = GetParam();
  // The later date comes first in the text: the earlier one must become the start.
  ParsedResult first = resultFor(row.input, row.first, ref_, {{U::day, 20}, {U::month, 3}});
  ParsedResult second = resultFor(row.input, row.second, ref_, {{U::day, 15}, {U::month, 3}});
  const auto out = row.refiner->refine(row.input, {first, second}, {});
  if (!row.merges) {
    EXPECT_EQ(out.size(), 2u);
    return;
  }
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].index(), 0);
  EXPECT_EQ(out[0].text(), row.input);
  EXPECT_EQ(out[0].start()[U::day], 15);
  ASSERT_TRUE(out[0].end());
  EXPECT_EQ((*out[0].end())[U::day], 20);
  EXPECT_TRUE(out[0].tags().isTrue(row.tag));
}

INSTANTIATE_TEST_SUITE_P(
    Gaps, DateRangeMergeTest,
    ::testing::Values(RangeRow{&kEnRange, u"d20 to d15", u"d20", u"d15", true, TagUnit::enMergeDateRangeRefiner},
                      RangeRow{&kEnRange, u"d20-d15", u"d20", u"d15", true, TagUnit::enMergeDateRangeRefiner},
                      RangeRow{&kEnRange, u"d20 d15", u"d20", u"d15", false},
                      RangeRow{&kEnRange, u"d20d15", u"d20", u"d15", false},
                      RangeRow{&kEnRange, u"d20 bis d15", u"d20", u"d15", false},
                      RangeRow{&kDeRange, u"d20 bis d15", u"d20", u"d15", true, TagUnit::deMergeDateRangeRefiner},
                      RangeRow{&kFrRange, u"d20 à d15", u"d20", u"d15", true, TagUnit::frMergeDateRangeRefiner},
                      RangeRow{&kFrRange, u"d20 a d15", u"d20", u"d15", true, TagUnit::frMergeDateRangeRefiner},
                      RangeRow{&kJpRange, u"d20からd15", u"d20", u"d15", true, TagUnit::enMergeDateRangeRefiner},
                      RangeRow{&kJpRange, u"d20 から d15", u"d20", u"d15", true, TagUnit::enMergeDateRangeRefiner},
                      RangeRow{&kJpRange, u"d20 to d15", u"d20", u"d15", false}));

TEST_F(MergeRefinerTest, RangeExchangesKnownValuesUnlessAWeekdayStandsAlone) {
  const std::u16string input = u"5 - 7 May";
  const auto out = kEnRange.refine(
      input, {resultFor(input, u"5", ref_, {{U::day, 5}}), resultFor(input, u"7 May", ref_, {{U::day, 7}, {U::month, 5}})},
      {});
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].start().knownValues(), (ComponentMap{{U::month, 5}, {U::day, 5}}));
  EXPECT_EQ(out[0].end()->knownValues(), (ComponentMap{{U::month, 5}, {U::day, 7}}));

  const std::u16string weekdays = u"monday to friday";
  const auto out2 = kEnRange.refine(weekdays,
                                    {resultFor(weekdays, u"monday", ref_, {{U::weekday, 1}}),
                                     resultFor(weekdays, u"friday", ref_, {{U::weekday, 5}, {U::hour, 13}})},
                                    {});
  ASSERT_EQ(out2.size(), 1u);
  EXPECT_EQ(out2[0].start().knownValues(), (ComponentMap{{U::weekday, 1}}));
  EXPECT_EQ(out2[0].end()->knownValues(), (ComponentMap{{U::hour, 13}, {U::weekday, 5}}));
}

TEST_F(MergeRefinerTest, RangeNeedsTwoResultsWithoutEnd) {
  const std::u16string input = u"d1 to d2";
  ParsedResult withEnd = resultFor(input, u"d1", ref_, {{U::day, 1}}, {}, ComponentMap{{U::day, 3}});
  EXPECT_EQ(kEnRange.refine(input, {withEnd, resultFor(input, u"d2", ref_, {{U::day, 2}})}, {}).size(), 2u);
  // Three dates chained by "to": the merged first pair is the prev of the next step, and has an end.
  const std::u16string chain = u"d1 to d2 to d3";
  EXPECT_EQ(texts(kEnRange.refine(chain,
                                  {resultFor(chain, u"d1", ref_, {{U::day, 1}}), resultFor(chain, u"d2", ref_, {{U::day, 2}}),
                                   resultFor(chain, u"d3", ref_, {{U::day, 3}})},
                                  {})),
            (std::vector<std::u16string>{u"d1 to d2", u"d3"}));
}

}  // namespace
}  // namespace zarvo::chrono
