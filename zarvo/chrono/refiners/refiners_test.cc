// Overlap removal, forward dates, specific-date priority, time-zone extraction and the unlikely-format
// filter.
#include <gtest/gtest.h>

#include "zarvo/chrono/refiners/en_prioritize_specific_date_refiner.h"
#include "zarvo/chrono/refiners/extract_timezone_abbr_refiner.h"
#include "zarvo/chrono/refiners/extract_timezone_offset_refiner.h"
#include "zarvo/chrono/refiners/forward_date_refiner.h"
#include "zarvo/chrono/refiners/overlap_removal_refiner.h"
#include "zarvo/chrono/refiners/unlikely_format_filter.h"
#include "zarvo/chrono/test_util.h"
#include "zarvo/chrono/timezone_abbreviations.h"

namespace zarvo::chrono {
namespace {

using namespace testing;
using U = ComponentUnit;
using Texts = std::vector<std::u16string>;

class RefinerTest : public ::testing::Test {
 protected:
  ScopedTimeZone zone_{"UTC"};
  Date ref_ = utcDate(2024, 3, 10, 9, 0);  // a Sunday

  ParsedResult at(int64_t index, std::u16string text) const { return ParsedResult(ref_, index, std::move(text)); }
};

TEST_F(RefinerTest, OverlapRemovalKeepsTheLongerOrTheEarlier) {
  const OverlapRemovalRefiner refiner;
  EXPECT_EQ(texts(refiner.refine(u"", {at(0, u"aaaaaa"), at(0, u"bbbbbbbbbb")}, {})), (Texts{u"bbbbbbbbbb"}));
  EXPECT_EQ(texts(refiner.refine(u"", {at(0, u"aaaa"), at(2, u"bbbb")}, {})), (Texts{u"aaaa"}));
  // Touching results both stay.
  EXPECT_EQ(texts(refiner.refine(u"", {at(0, u"aaaa"), at(4, u"bbbb")}, {})), (Texts{u"aaaa", u"bbbb"}));
  // A long result swallows every later one that starts inside it, then the scan goes on.
  EXPECT_EQ(texts(refiner.refine(u"", {at(0, u"aa"), at(1, u"bbbbbbb"), at(3, u"cc"), at(8, u"dd"), at(10, u"e")}, {})),
            (Texts{u"bbbbbbb", u"dd", u"e"}));
  EXPECT_EQ(refiner.refine(u"", {at(0, u"a")}, {}).size(), 1u);
}

TEST_F(RefinerTest, ForwardDateNeedsTheOption) {
  const ForwardDateRefiner refiner;
  ParsedResult march3(ref_, 0, u"3/3", {}, ComponentMap{{U::day, 3}, {U::month, 3}});
  auto unchanged = refiner.refine(u"3/3", {march3}, {});
  EXPECT_EQ(unchanged[0].start()[U::year], 2024);
  EXPECT_FALSE(unchanged[0].tags().contains(TagUnit::forwardDateRefiner));

  for (int64_t value : {0, 1}) {
    auto moved = refiner.refine(u"3/3", {march3}, {{OptionType::forwardDate, value}});
    EXPECT_EQ(moved[0].start().impliedValues().get(U::year), 2025);
    EXPECT_TRUE(moved[0].tags().isTrue(TagUnit::forwardDateRefiner));
  }
  // A stated year, or a date not in the past, stays.
  ParsedResult stated(ref_, 0, u"x", {}, ComponentMap{{U::day, 3}, {U::month, 3}, {U::year, 2024}});
  ParsedResult future(ref_, 0, u"x", {}, ComponentMap{{U::day, 20}, {U::month, 3}});
  auto kept = refiner.refine(u"x", {stated, future}, {{OptionType::forwardDate, 1}});
  EXPECT_EQ(kept[0].start()[U::year], 2024);
  EXPECT_EQ(kept[1].start()[U::year], 2024);
  EXPECT_FALSE(kept[1].tags().contains(TagUnit::forwardDateRefiner));
}

TEST_F(RefinerTest, ForwardDateMovesTheEndYearToo) {
  const ForwardDateRefiner refiner;
  ParsedResult range(ref_, 0, u"x", {}, ComponentMap{{U::day, 1}, {U::month, 2}}, ComponentMap{{U::day, 5}, {U::month, 2}});
  auto moved = refiner.refine(u"x", {range}, {{OptionType::forwardDate, 1}});
  EXPECT_EQ(moved[0].start()[U::year], 2025);
  EXPECT_EQ((*moved[0].end())[U::year], 2025);
}

struct WeekdayRow {
  Date ref;
  int64_t weekday;
  int64_t hour;
  int64_t expectedDay;
};

TEST_F(RefinerTest, ForwardDateMovesAWeekdayToItsNextOccurrence) {
  const ForwardDateRefiner refiner;
  const Date wednesday = utcDate(2024, 3, 13, 15, 0);
  for (const WeekdayRow& row : {
           WeekdayRow{wednesday, 1, 12, 18},  // Monday before a Wednesday: five days on
           WeekdayRow{wednesday, 3, 9, 13},   // the reference's own weekday, earlier that day: same day
           WeekdayRow{wednesday, 2, 12, 19},  // Tuesday: six days on
           WeekdayRow{utcDate(2024, 3, 16, 15, 0), 0, 12, 17},  // Sunday after a Saturday
       }) {
    ParsedResult r(row.ref, 0, u"x", {}, ComponentMap{{U::weekday, row.weekday}, {U::hour, row.hour}});
    // The start is implied on the reference day; Monday-from-Wednesday lies in the past of the ref.
    r.start().imply(U::day, 1);
    auto out = refiner.refine(u"x", {r}, {{OptionType::forwardDate, 1}});
    EXPECT_EQ(out[0].start()[U::day], row.expectedDay) << row.weekday;
    EXPECT_TRUE(out[0].tags().isTrue(TagUnit::forwardDateRefiner));
  }
}

TEST_F(RefinerTest, PrioritizeSpecificDateNeedsARelativeResult) {
  const ENPrioritizeSpecificDateRefiner refiner;
  const std::u16string input = u"next week on 2024-03-20";
  // A relative phrase implies its date; stating none of year, month and day lets it be absorbed.
  ParsedResult relative = resultFor(input, u"next week", ref_, {}, {TagUnit::enRelativeDateFormatParser});
  relative.start().imply(U::day, 17);
  ParsedResult specific =
      resultFor(input, u"2024-03-20", ref_, {{U::year, 2024}, {U::month, 3}, {U::day, 20}}, {TagUnit::enISOFormatParser});
  auto out = refiner.refine(input, {relative, specific}, {});
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].text(), input);
  EXPECT_EQ(out[0].index(), 0);
  EXPECT_EQ(out[0].start()[U::day], 20);  // the specific date's components
  EXPECT_TRUE(out[0].tags().isTrue(TagUnit::enRelativeDateFormatParser));
  EXPECT_TRUE(out[0].tags().isTrue(TagUnit::enISOFormatParser));
  EXPECT_TRUE(out[0].tags().isTrue(TagUnit::enPrioritizeSpecificDateRefiner));

  // Without the relative tag, or with a gap word it does not accept, nothing merges.
  ParsedResult plain = resultFor(input, u"next week", ref_, {});
  EXPECT_EQ(refiner.refine(input, {plain, specific}, {}).size(), 2u);
  const std::u16string far = u"next week until 2024-03-20";
  EXPECT_EQ(refiner.refine(far,
                           {resultFor(far, u"next week", ref_, {}, {TagUnit::enRelativeDateFormatParser}),
                            resultFor(far, u"2024-03-20", ref_, {{U::year, 2024}, {U::month, 3}, {U::day, 20}})},
                           {})
                .size(),
            2u);
  // The specific date first and the relative one after: the specific one still wins.
  const std::u16string reversed = u"2024-03-20, next week";
  auto out2 = refiner.refine(
      reversed,
      {resultFor(reversed, u"2024-03-20", ref_, {{U::year, 2024}, {U::month, 3}, {U::day, 20}}),
       resultFor(reversed, u"next week", ref_, {}, {TagUnit::enRelativeDateFormatParser})},
      {});
  ASSERT_EQ(out2.size(), 2u);  // the earlier result states its date, so the merge test fails
  // The earlier result stating a day blocks the merge.
  const std::u16string both = u"3/17 (2024-03-20)";
  EXPECT_EQ(refiner.refine(both,
                           {resultFor(both, u"3/17", ref_, {{U::day, 17}, {U::month, 3}}, {TagUnit::enRelativeDateFormatParser}),
                            resultFor(both, u"2024-03-20", ref_, {{U::year, 2024}, {U::month, 3}, {U::day, 20}})},
                           {})
                .size(),
            2u);
}

struct OffsetRow {
  std::u16string input;
  std::optional<int64_t> offset;
  std::u16string text;
};

TEST_F(RefinerTest, ExtractTimezoneOffset) {
  const ExtractTimezoneOffsetRefiner refiner;
  for (const OffsetRow& row : {
           OffsetRow{u"5pm GMT+0200", 120, u"5pm GMT+0200"},
           OffsetRow{u"5pm +05:30 sharp", 330, u"5pm +05:30"},
           OffsetRow{u"5pm -0800", -480, u"5pm -0800"},
           OffsetRow{u"5pm utc-3:00", -180, u"5pm utc-3:00"},
           OffsetRow{u"5pm GMT+2", std::nullopt, u"5pm"},
           OffsetRow{u"5pm at +0200", std::nullopt, u"5pm"},
           OffsetRow{u"5pm +٠٢٠٠", std::nullopt, u"5pm"},
       }) {
    ParsedResult time = resultFor(row.input, u"5pm", ref_, {{U::hour, 17}}, {}, ComponentMap{{U::hour, 18}});
    auto out = refiner.refine(row.input, {time}, {});
    EXPECT_EQ(out[0].start().knownValues().get(U::timeZoneOffset), row.offset) << platform::toUtf8(row.input);
    EXPECT_EQ(out[0].end()->knownValues().get(U::timeZoneOffset), row.offset) << platform::toUtf8(row.input);
    EXPECT_EQ(out[0].text(), row.text);
    EXPECT_EQ(out[0].tags().contains(TagUnit::extractTimezoneOffsetRefiner), row.offset.has_value());
  }
  // A stated offset is kept.
  ParsedResult stated = resultFor(u"5pm +0200", u"5pm", ref_, {{U::hour, 17}, {U::timeZoneOffset, 60}});
  EXPECT_EQ(refiner.refine(u"5pm +0200", {stated}, {})[0].start()[U::timeZoneOffset], 60);
}

struct AbbrRow {
  std::u16string input;
  TagUnit tag;
  std::optional<int64_t> offset;
  std::u16string text;
};

TEST_F(RefinerTest, ExtractTimezoneAbbreviation) {
  const ExtractTimezoneAbbrRefiner refiner;
  for (const AbbrRow& row : {
           AbbrRow{u"5pm PST", TagUnit::enTimeExpressionParser, -480, u"5pm PST"},
           AbbrRow{u"5pm (pst)", TagUnit::enTimeExpressionParser, -480, u"5pm (pst)"},
           AbbrRow{u"5pm cest, then", TagUnit::frTimeExpressionParser, 120, u"5pm cest"},
           AbbrRow{u"5pm JST", TagUnit::zhHantTimeExpressionParser, 540, u"5pm JST"},
           AbbrRow{u"5pm PST", TagUnit::esTimeExpressionParser, std::nullopt, u"5pm"},
           AbbrRow{u"5pm PST", TagUnit::deTimeExpressionParser, std::nullopt, u"5pm"},
           AbbrRow{u"5pm at home", TagUnit::enTimeExpressionParser, std::nullopt, u"5pm"},
           AbbrRow{u"5pm tomorrow", TagUnit::enTimeExpressionParser, std::nullopt, u"5pm"},
           AbbrRow{u"5pm XYZ", TagUnit::enTimeExpressionParser, std::nullopt, u"5pm"},
       }) {
    ParsedResult time = resultFor(row.input, u"5pm", ref_, {{U::hour, 17}}, {row.tag}, ComponentMap{{U::hour, 19}});
    auto out = refiner.refine(row.input, {time}, {});
    EXPECT_EQ(out[0].start().knownValues().get(U::timeZoneOffset), row.offset) << platform::toUtf8(row.input);
    EXPECT_EQ(out[0].end()->knownValues().get(U::timeZoneOffset), row.offset) << platform::toUtf8(row.input);
    EXPECT_EQ(out[0].text(), row.text);
  }
  // Presence of the tag counts, whatever its value; a stated offset is kept.
  TagSet falseTag;
  falseTag.set(TagUnit::enTimeExpressionParser, false);
  ParsedResult stated = resultFor(u"5pm EST", u"5pm", ref_, {{U::hour, 17}, {U::timeZoneOffset, 60}}, falseTag);
  auto out = refiner.refine(u"5pm EST", {stated}, {});
  EXPECT_EQ(out[0].start()[U::timeZoneOffset], 60);
  EXPECT_EQ(out[0].text(), u"5pm EST");
}

// Opt-in: prose such as "at 5pm get milk" keeps its words; only capitals name a zone.
TEST_F(RefinerTest, ExtractTimezoneAbbreviationInCapitalsOnly) {
  const ExtractTimezoneAbbrRefiner refiner(/*capitalsOnly=*/true);
  for (const AbbrRow& row : {
           AbbrRow{u"5pm PST", TagUnit::enTimeExpressionParser, -480, u"5pm PST"},
           AbbrRow{u"5pm (CET)", TagUnit::enTimeExpressionParser, 60, u"5pm (CET)"},
           AbbrRow{u"5pm get milk", TagUnit::enTimeExpressionParser, std::nullopt, u"5pm"},
           AbbrRow{u"5pm pst", TagUnit::enTimeExpressionParser, std::nullopt, u"5pm"},
           AbbrRow{u"5pm Pst", TagUnit::enTimeExpressionParser, std::nullopt, u"5pm"},
       }) {
    ParsedResult time = resultFor(row.input, u"5pm", ref_, {{U::hour, 17}}, {row.tag});
    auto out = refiner.refine(row.input, {time}, {});
    EXPECT_EQ(out[0].start().knownValues().get(U::timeZoneOffset), row.offset) << platform::toUtf8(row.input);
    EXPECT_EQ(out[0].text(), row.text) << platform::toUtf8(row.input);
  }
}

TEST(TimezoneAbbreviationsTest, OffsetsInMinutesForUpperCaseAbbreviations) {
  EXPECT_EQ(timezoneAbbreviationOffset(u"ACDT"), 630);
  EXPECT_EQ(timezoneAbbreviationOffset(u"NPT"), 345);
  EXPECT_EQ(timezoneAbbreviationOffset(u"HAT"), -90);
  EXPECT_EQ(timezoneAbbreviationOffset(u"YEKT"), 360);
  EXPECT_EQ(timezoneAbbreviationOffset(u"WT"), 0);
  EXPECT_EQ(timezoneAbbreviationOffset(u"pst"), std::nullopt);
  EXPECT_EQ(timezoneAbbreviationOffset(u"ABC"), std::nullopt);
}

TEST_F(RefinerTest, UnlikelyFormatFilterDropsBareNumbers) {
  const UnlikelyFormatFilter filter;
  std::vector<ParsedResult> in;
  for (const char16_t* t : {u"2024", u"15", u"3.5", u"1 5", u"12.", u"   ", u"12:30", u"5pm", u"1\u00a05", u"today"}) {
    in.push_back(at(0, t));
  }
  EXPECT_EQ(texts(filter.refine(u"", in, {})), (Texts{u"12:30", u"5pm", u"1\u00a05", u"today"}));
}

}  // namespace
}  // namespace zarvo::chrono
