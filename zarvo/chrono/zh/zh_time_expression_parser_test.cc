#include "zarvo/chrono/zh/zh_time_expression_parser.h"

#include <gtest/gtest.h>

#include "zarvo/chrono/test_util.h"

namespace zarvo::chrono {
namespace {

using namespace testing;
using U = ComponentUnit;

class ZHTimeExpressionParserTest : public ::testing::TestWithParam<PhraseRow> {};

TEST_P(ZHTimeExpressionParserTest, Reads) {
  const PhraseRow& row = GetParam();
  ScopedTimeZone zone(row.zone);
  const auto results = expectParserReads<ZHTimeExpressionParser>(row, TagUnit::zhHantTimeExpressionParser);
  // Strict mode reads the same and only drops what is not a possible date.
  size_t possible = 0;
  for (const auto& r : results) {
    possible += r.start().isPossibleDate() && (!r.end() || r.end()->isPossibleDate()) ? 1 : 0;
  }
  EXPECT_EQ(ZHTimeExpressionParser(true).execute(row.text, row.ref.in(), row.opt).size(), possible);
}

// Monday 11 March 2024, 10:00.
const LocalTime kMonday{2024, 3, 11, 10, 0};
const ComponentMap kToday{{U::year, 2024}, {U::month, 3}, {U::day, 11}};

ComponentMap onDay(int64_t day, ComponentMap m) {
  m.set(U::year, 2024);
  m.set(U::month, 3);
  m.set(U::day, day);
  return m;
}

INSTANTIATE_TEST_SUITE_P(
    Clocks, ZHTimeExpressionParserTest,
    ::testing::Values(
        PhraseRow{.text = u"下午三點", .ref = kMonday, .index = 0, .phrase = u"下午三點", .known = clock(15, 0, 1),
                  .implied = kToday},
        PhraseRow{.text = u"早上十二點", .ref = kMonday, .index = 0, .phrase = u"早上十二點", .known = clock(0, 0, 0)},
        PhraseRow{.text = u"晚上十二點", .ref = kMonday, .index = 0, .phrase = u"晚上十二點", .known = clock(12, 0, 1)},
        // Noon and night leave the clock as written; an hour before noon is then implied AM.
        PhraseRow{.text = u"夜晚十點", .ref = kMonday, .index = 0, .phrase = u"夜晚十點", .known = clock(10, 0),
                  .implied = {{U::meridiem, 0}}},
        // A day word assigns its day.
        PhraseRow{.text = u"明天下午3點半", .ref = kMonday, .index = 0, .phrase = u"明天下午3點半",
                  .known = onDay(12, clock(15, 30, 1))},
        PhraseRow{.text = u"今晚八點", .ref = kMonday, .index = 0, .phrase = u"今晚八點", .known = onDay(11, clock(20, 0, 1))},
        PhraseRow{.text = u"昨天 10點", .ref = kMonday, .index = 0, .phrase = u"昨天 10點", .known = onDay(10, clock(10, 0)),
                  .implied = {{U::meridiem, 0}}},
        PhraseRow{.text = u"10點30分15秒", .ref = kMonday, .index = 0, .phrase = u"10點30分15秒",
                  .known = {{U::hour, 10}, {U::minute, 30}, {U::second, 15}}, .implied = {{U::meridiem, 0}}},
        PhraseRow{.text = u"三點十五分", .ref = kMonday, .index = 0, .phrase = u"三點十五分", .known = clock(3, 15)},
        PhraseRow{.text = u"三点正", .ref = kMonday, .index = 0, .phrase = u"三点正", .known = clock(3, 0)},
        PhraseRow{.text = u"9：45", .ref = kMonday, .index = 0, .phrase = u"9：45", .known = clock(9, 45)},
        // A written marker decides over the part of the day.
        PhraseRow{.text = u"3點 pm", .ref = kMonday, .index = 0, .phrase = u"3點 pm", .known = clock(15, 0, 1)},
        PhraseRow{.text = u"下午3點AM", .ref = kMonday, .index = 0, .phrase = u"下午3點AM", .known = clock(3, 0, 0)},
        // A rejected match lets the scan read on one position later, so what remains of the digits is
        // read instead: "3點PM" after an hour above 12 under a marker, "5點" after an hour of 25.
        PhraseRow{.text = u"13點PM", .ref = kMonday, .index = 1, .phrase = u"3點PM", .known = clock(15, 0, 1)},
        PhraseRow{.text = u"25點", .ref = kMonday, .index = 1, .phrase = u"5點", .known = clock(5, 0)},
        // No blank is needed before a time in a script without spaces.
        PhraseRow{.text = u"交報告下午三點", .ref = kMonday, .index = 3, .phrase = u"下午三點", .known = clock(15, 0, 1)},
        PhraseRow{.text = u"10點60分", .ref = kMonday, .found = false},
        PhraseRow{.text = u"３點", .ref = kMonday, .found = false}));

INSTANTIATE_TEST_SUITE_P(
    Ranges, ZHTimeExpressionParserTest,
    ::testing::Values(
        // As in English: an end without its half of the day after a PM start lies in the night.
        PhraseRow{.text = u"下午三點到五點", .ref = kMonday, .index = 0, .phrase = u"下午三點到五點",
                  .known = clock(15, 0, 1), .endKnown = clock(5, 0), .endImplied = {{U::meridiem, 0}, {U::day, 12}}},
        // An end marker settles the start's half of the day.
        PhraseRow{.text = u"三點到五點PM", .ref = kMonday, .index = 0, .phrase = u"三點到五點PM",
                  .known = {{U::hour, 15}, {U::minute, 0}}, .implied = {{U::meridiem, 1}},
                  .endKnown = clock(17, 0, 1), .endImplied = {{U::day, 11}}},
        PhraseRow{.text = u"下午三點至晚上九點", .ref = kMonday, .index = 0, .phrase = u"下午三點至晚上九點",
                  .known = clock(15, 0, 1), .endKnown = clock(21, 0, 1)},
        PhraseRow{.text = u"晚上十一點到凌晨一點", .ref = kMonday, .index = 0, .phrase = u"晚上十一點到凌晨一點",
                  .known = clock(23, 0, 1), .endKnown = clock(1, 0, 0), .endImplied = {{U::day, 12}}},
        PhraseRow{.text = u"從10點30分 - 11點", .ref = kMonday, .index = 0, .phrase = u"從10點30分 - 11點",
                  .known = clock(10, 30), .endKnown = clock(11, 0), .endImplied = kToday},
        // The end takes the start's day unless it names its own.
        PhraseRow{.text = u"明天9點~11點", .ref = kMonday, .index = 0, .phrase = u"明天9點~11點",
                  .known = onDay(12, clock(9, 0)), .endKnown = clock(11, 0), .endImplied = {{U::day, 12}}},
        PhraseRow{.text = u"今天下午三點到明天上午十點", .ref = kMonday, .index = 0,
                  .phrase = u"今天下午三點到明天上午十點", .known = onDay(11, clock(15, 0, 1)),
                  .endKnown = onDay(12, clock(10, 0, 0))},
        // An end minute out of range keeps the start alone, with an end that states nothing.
        PhraseRow{.text = u"三點到五點75分", .ref = kMonday, .index = 0, .phrase = u"三點", .known = clock(3, 0),
                  .endKnown = ComponentMap{}, .endImplied = kToday},
        // An end hour of 25 rejects the whole match; the scan then only finds "5點" further on.
        PhraseRow{.text = u"三點到25點", .ref = kMonday, .index = 4, .phrase = u"5點", .known = clock(5, 0)}));

}  // namespace
}  // namespace zarvo::chrono
