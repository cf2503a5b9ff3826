#include "zarvo/chrono/en/en_time_expression_parser.h"

#include <gtest/gtest.h>

#include "zarvo/chrono/test_util.h"

namespace zarvo::chrono {
namespace {

using namespace testing;
using U = ComponentUnit;

class ENTimeExpressionParserTest : public ::testing::TestWithParam<PhraseRow> {};

TEST_P(ENTimeExpressionParserTest, Reads) {
  const PhraseRow& row = GetParam();
  ScopedTimeZone zone(row.zone);
  const auto results = ENTimeExpressionParser(false).execute(row.text, row.ref.in(), row.opt);
  checkFirstResult(row, results);
  if (!results.empty()) {
    EXPECT_TRUE(results[0].tags().isTrue(TagUnit::enTimeExpressionParser));
  }
  // Strict mode reads the same and only drops what is not a possible date (24:00, day 32).
  size_t possible = 0;
  for (const auto& r : results) {
    possible += r.start().isPossibleDate() && (!r.end() || r.end()->isPossibleDate()) ? 1 : 0;
  }
  EXPECT_EQ(ENTimeExpressionParser(true).execute(row.text, row.ref.in(), row.opt).size(), possible);
}

const LocalTime kRef{2024, 3, 11, 9, 0};

// Known clock values on the reference day (the day is always implied).
const ComponentMap kRefDay{{U::year, 2024}, {U::month, 3}, {U::day, 11}};
ComponentMap refDayWith(std::initializer_list<std::pair<ComponentUnit, int64_t>> extra) {
  ComponentMap m = kRefDay;
  for (const auto& [u, v] : extra) m.set(u, v);
  return m;
}

INSTANTIATE_TEST_SUITE_P(
    Clocks, ENTimeExpressionParserTest,
    ::testing::Values(
        PhraseRow{.text = u"call mom at 5pm", .ref = kRef, .index = 9, .phrase = u"at 5pm", .known = clock(17, 0, 1),
                  .implied = kRefDay},
        PhraseRow{.text = u"at 5", .ref = kRef, .index = 0, .phrase = u"at 5", .known = clock(5, 0),
                  .implied = refDayWith({{U::meridiem, 0}})},
        PhraseRow{.text = u"12am", .ref = kRef, .index = 0, .phrase = u"12am", .known = clock(0, 0, 0)},
        PhraseRow{.text = u"12pm", .ref = kRef, .index = 0, .phrase = u"12pm", .known = clock(12, 0, 1)},
        PhraseRow{.text = u"13pm", .ref = kRef, .found = false},
        PhraseRow{.text = u"meet 10:30", .ref = kRef, .index = 5, .phrase = u"10:30", .known = clock(10, 30),
                  .implied = refDayWith({{U::meridiem, 0}})},
        PhraseRow{.text = u"from 10.30", .ref = kRef, .index = 0, .phrase = u"from 10.30", .known = clock(10, 30)},
        PhraseRow{.text = u"at 10:30:15", .ref = kRef, .index = 0, .phrase = u"at 10:30:15",
                  .known = {{U::hour, 10}, {U::minute, 30}, {U::second, 15}}},
        PhraseRow{.text = u"at 10：30", .ref = kRef, .index = 0, .phrase = u"at 10：30", .known = clock(10, 30)},
        PhraseRow{.text = u"9:30 A.M.", .ref = kRef, .index = 0, .phrase = u"9:30 A.M.", .known = clock(9, 30, 0)},
        PhraseRow{.text = u"9 p", .ref = kRef, .index = 0, .phrase = u"9 p", .known = clock(21, 0, 1)},
        PhraseRow{.text = u"14:00", .ref = kRef, .index = 0, .phrase = u"14:00", .known = clock(14, 0, 1)},
        PhraseRow{.text = u"lunch at noon", .ref = kRef, .index = 6, .phrase = u"at noon", .known = clock(12, 0, 1)},
        PhraseRow{.text = u"Midnight", .ref = kRef, .index = 0, .phrase = u"Midnight", .known = clock(0, 0, 0)},
        // Three and four digits split into hour and minute, but a bare number is not a time.
        PhraseRow{.text = u"1230", .ref = kRef, .found = false},
        PhraseRow{.text = u"at 1230", .ref = kRef, .index = 0, .phrase = u"at 1230", .known = clock(12, 30, 1)},
        PhraseRow{.text = u"at 930", .ref = kRef, .index = 0, .phrase = u"at 930", .known = clock(9, 30)},
        PhraseRow{.text = u"at 2400", .ref = kRef, .index = 0, .phrase = u"at 2400", .known = clock(24, 0, 1)},
        PhraseRow{.text = u"at 30", .ref = kRef, .found = false},
        PhraseRow{.text = u"at 2575", .ref = kRef, .found = false},
        PhraseRow{.text = u"10:75", .ref = kRef, .found = false},
        PhraseRow{.text = u"10:30:75", .ref = kRef, .found = false},
        // Digits glued to a word are not a time.
        PhraseRow{.text = u"x2", .ref = kRef, .found = false},
        PhraseRow{.text = u"abc10:30", .ref = kRef, .found = false},
        PhraseRow{.text = u"room 2b", .ref = kRef, .found = false},
        // Digits of other scripts match \d but do not convert.
        PhraseRow{.text = u"at ٣pm", .ref = kRef, .found = false},
        // Ranges.
        PhraseRow{.text = u"7 - 9pm", .ref = kRef, .index = 0, .phrase = u"7 - 9pm",
                  .known = {{U::hour, 19}, {U::minute, 0}}, .implied = refDayWith({{U::meridiem, 1}}),
                  .endKnown = clock(21, 0, 1), .endImplied = kRefDay},
        PhraseRow{.text = u"from 9 to 11am", .ref = kRef, .index = 0, .phrase = u"from 9 to 11am",
                  .known = clock(9, 0), .implied = {{U::meridiem, 0}}, .endKnown = clock(11, 0, 0)},
        PhraseRow{.text = u"10:30 – 11:15", .ref = kRef, .index = 0, .phrase = u"10:30 – 11:15",
                  .known = clock(10, 30), .endKnown = clock(11, 15), .endImplied = kRefDay},
        PhraseRow{.text = u"10pm - 2", .ref = kRef, .index = 0, .phrase = u"10pm - 2", .known = clock(22, 0, 1),
                  .endKnown = clock(2, 0), .endImplied = {{U::meridiem, 0}, {U::day, 12}}},
        PhraseRow{.text = u"10pm - 12am", .ref = kRef, .index = 0, .phrase = u"10pm - 12am", .known = clock(22, 0, 1),
                  .endKnown = clock(0, 0, 0), .endImplied = {{U::day, 12}}},
        // Noon states its half of the day, so the end's marker does not carry over.
        PhraseRow{.text = u"12 - 1am", .ref = kRef, .index = 0, .phrase = u"12 - 1am", .known = clock(12, 0, 1),
                  .endKnown = clock(1, 0, 0), .endImplied = {{U::day, 12}}},
        PhraseRow{.text = u"11 - 1pm", .ref = kRef, .index = 0, .phrase = u"11 - 1pm",
                  .known = {{U::hour, 23}, {U::minute, 0}}, .implied = {{U::meridiem, 1}},
                  .endKnown = clock(13, 0, 1), .endImplied = {{U::day, 12}}},
        // Range end at the month's last day rolls into the next month by the calendar.
        PhraseRow{.text = u"11pm-1am", .ref = {2024, 3, 31, 9, 0}, .index = 0, .phrase = u"11pm-1am",
                  .known = clock(23, 0, 1), .endKnown = clock(1, 0, 0), .endImplied = {{U::day, 32}}},
        // An offset after the time is not a range end.
        PhraseRow{.text = u"5pm -0800", .ref = kRef, .index = 0, .phrase = u"5pm", .known = clock(17, 0, 1)},
        // An unreadable end minute keeps the start and an end without a clock.
        PhraseRow{.text = u"9 - 10:75", .ref = kRef, .index = 0, .phrase = u"9", .known = clock(9, 0),
                  .endKnown = ComponentMap{}, .endImplied = kRefDay},
        PhraseRow{.text = u"9 - 30", .ref = kRef, .found = false},
        PhraseRow{.text = u"9 - 10:30:75", .ref = kRef, .found = false}));

}  // namespace
}  // namespace zarvo::chrono
