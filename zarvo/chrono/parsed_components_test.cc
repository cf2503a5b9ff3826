#include "zarvo/chrono/parsed_components.h"

#include <gtest/gtest.h>

#include "zarvo/chrono/chrono.h"
#include "zarvo/chrono/parsed_result.h"
#include "zarvo/chrono/test_util.h"

namespace zarvo::chrono {
namespace {

using testing::localDate;
using testing::ScopedTimeZone;
using testing::utcDate;
using U = ComponentUnit;

TEST(ParsedComponentsTest, ConstructionImpliesReferenceDayAndDefaultTime) {
  ScopedTimeZone zone("Europe/Berlin");
  const Date ref = localDate(2024, 3, 10, 18, 45);
  ParsedComponents c(std::nullopt, ref);
  EXPECT_TRUE(c.knownValues().empty());
  EXPECT_EQ(c.impliedValues(), (ComponentMap{{U::year, 2024}, {U::month, 3}, {U::day, 10}, {U::hour, 12},
                                             {U::minute, 0}, {U::second, 0}, {U::millisecond, 0}}));

  ParsedComponents withDay(ComponentMap{{U::day, 5}}, ref);
  EXPECT_EQ(withDay.knownValues(), (ComponentMap{{U::day, 5}}));
  EXPECT_FALSE(withDay.impliedValues().contains(U::day));
  EXPECT_EQ(withDay.impliedValues().get(U::month), 3);
  EXPECT_EQ(withDay.impliedValues().get(U::year), 2024);

  // Without a reference only the default time is implied.
  ParsedComponents bare;
  EXPECT_FALSE(bare[U::year].has_value());
  EXPECT_EQ(bare[U::hour], 12);
}

TEST(ParsedComponentsTest, ChangedDefaultImpliedTimeIsUsed) {
  Chrono::setDefaultImpliedHour(9);
  Chrono::setDefaultImpliedMinute(30);
  ParsedComponents c;
  Chrono::setDefaultImpliedHour(12);
  Chrono::setDefaultImpliedMinute(0);
  EXPECT_EQ(c.impliedValues().get(U::hour), 9);
  EXPECT_EQ(c.impliedValues().get(U::minute), 30);
}

TEST(ParsedComponentsTest, KnownValueIsNeverOverriddenByImplied) {
  ParsedComponents c;
  c.assign(U::hour, 9);
  c.imply(U::hour, 22);
  EXPECT_EQ(c.knownValues().get(U::hour), 9);
  EXPECT_FALSE(c.impliedValues().contains(U::hour));

  ParsedComponents d;
  d.imply(U::hour, 22);
  d.assign(U::hour, 9);
  EXPECT_FALSE(d.impliedValues().contains(U::hour));
  EXPECT_EQ(d[U::hour], 9);
  EXPECT_TRUE(d.isCertain(U::hour));

  ParsedComponents e;
  const ParsedComponents before = e;
  e.assign(U::day, std::nullopt);
  e.imply(U::day, std::nullopt);
  EXPECT_EQ(e, before);

  // A clone is independent.
  ParsedComponents f = d.clone();
  f.assign(U::hour, 3);
  EXPECT_EQ(d[U::hour], 9);
}

// moment and isPossibleDate across zones. `known` holds every stated value; the row names the zone the
// process runs in and the expected instant in UTC.
struct MomentRow {
  const char* name;
  const char* zone;
  ComponentMap known;
  Date expectedUtc;
  bool possible;
};

class MomentTest : public ::testing::TestWithParam<MomentRow> {};

TEST_P(MomentTest, InstantAndPossibility) {
  const MomentRow& row = GetParam();
  ScopedTimeZone zone(row.zone);
  ParsedComponents c(row.known);
  EXPECT_EQ(testing::iso(c.moment()), testing::iso(row.expectedUtc)) << row.name;
  EXPECT_EQ(c.date(), c.moment());
  EXPECT_EQ(c.isPossibleDate(), row.possible) << row.name;
}

const ComponentMap kTen{{U::year, 2024}, {U::month, 6}, {U::day, 1}, {U::hour, 10}, {U::minute, 0}};

INSTANTIATE_TEST_SUITE_P(
    Zones, MomentTest,
    ::testing::Values(
        MomentRow{"29 February 2023 carries into March", "Europe/Berlin",
                  {{U::year, 2023}, {U::month, 2}, {U::day, 29}, {U::hour, 12}, {U::minute, 0}},
                  utcDate(2023, 3, 1, 11, 0), false},
        MomentRow{"plain summer time", "Europe/Berlin", kTen, utcDate(2024, 6, 1, 8, 0), true},
        MomentRow{"stated offset 0 read at UTC+2 lands two hours later locally", "Europe/Berlin",
                  {{U::year, 2024}, {U::month, 6}, {U::day, 1}, {U::hour, 10}, {U::minute, 0},
                   {U::timeZoneOffset, 0}},
                  utcDate(2024, 6, 1, 10, 0), true},
        MomentRow{"stated offset 540 in winter", "Europe/Berlin",
                  {{U::year, 2024}, {U::month, 1}, {U::day, 15}, {U::hour, 9}, {U::minute, 0},
                   {U::timeZoneOffset, 540}},
                  utcDate(2024, 1, 15, 0, 0), true},
        MomentRow{"stated offset 540 in summer", "Europe/Berlin",
                  {{U::year, 2024}, {U::month, 7}, {U::day, 1}, {U::hour, 9}, {U::minute, 0},
                   {U::timeZoneOffset, 540}},
                  utcDate(2024, 7, 1, 0, 0), true},
        MomentRow{"02:30 on the spring-forward day does not exist", "Europe/Berlin",
                  {{U::year, 2024}, {U::month, 3}, {U::day, 31}, {U::hour, 2}, {U::minute, 30}},
                  utcDate(2024, 3, 31, 1, 30), false},
        MomentRow{"02:30 on the fall-back day exists (read as the later one)", "Europe/Berlin",
                  {{U::year, 2024}, {U::month, 10}, {U::day, 27}, {U::hour, 2}, {U::minute, 30}},
                  utcDate(2024, 10, 27, 1, 30), true},
        MomentRow{"US spring forward", "America/New_York",
                  {{U::year, 2024}, {U::month, 3}, {U::day, 10}, {U::hour, 2}, {U::minute, 15}},
                  utcDate(2024, 3, 10, 7, 15), false},
        MomentRow{"stated offset across the US DST change", "America/New_York",
                  {{U::year, 2024}, {U::month, 3}, {U::day, 10}, {U::hour, 12}, {U::minute, 0},
                   {U::timeZoneOffset, -300}},
                  utcDate(2024, 3, 10, 17, 0), true},
        MomentRow{"hour 24 carries to the next day", "Asia/Tokyo",
                  {{U::year, 2024}, {U::month, 3}, {U::day, 11}, {U::hour, 24}, {U::minute, 0}},
                  utcDate(2024, 3, 11, 15, 0), false},
        MomentRow{"missing year is never possible", "UTC",
                  {{U::month, 3}, {U::day, 11}, {U::hour, 9}, {U::minute, 0}}, utcDate(1970, 3, 11, 9, 0),
                  false}),
    [](const auto& info) { return std::to_string(info.index); });

TEST(ParsedComponentsTest, ImpliedOffsetIsIgnored) {
  ScopedTimeZone zone("Europe/Berlin");
  ParsedComponents c(kTen);
  c.imply(U::timeZoneOffset, 540);
  EXPECT_EQ(c.moment(), utcDate(2024, 6, 1, 8, 0));
}

TEST(ParsedComponentsTest, MillisecondsReachTheInstant) {
  ScopedTimeZone zone("UTC");
  ComponentMap m = kTen;
  m.set(U::millisecond, 5);
  EXPECT_EQ(ParsedComponents(m).moment(), utcDate(2024, 6, 1, 10, 0) + std::chrono::milliseconds(5));
}

TEST(ParsedComponentsTest, SixMinutesFixBefore1900) {
  ScopedTimeZone zone("UTC");
  const ParsedComponents old(ComponentMap{{U::year, 1850}, {U::month, 6}, {U::day, 1}, {U::hour, 10}, {U::minute, 0}});
  const Date plain = old.moment();
  EXPECT_TRUE(old.isPossibleDate());
  Chrono::setSixMinutesFixBefore1900(true);
  const Date fixed = old.moment();
  const bool possible = old.isPossibleDate();
  const Date modern = ParsedComponents(kTen).moment();
  Chrono::setSixMinutesFixBefore1900(false);
  EXPECT_EQ(fixed - plain, std::chrono::minutes(6));
  EXPECT_FALSE(possible);
  EXPECT_EQ(modern, utcDate(2024, 6, 1, 10, 0));
}

TEST(ParsedResultTest, ConstructionAndMoveIndexMode) {
  ScopedTimeZone zone("UTC");
  const Date ref = utcDate(2024, 3, 10, 18, 45);
  ParsedResult r(ref, 3, u"at 5", {TagUnit::enTimeExpressionParser}, ComponentMap{{U::hour, 5}},
                 ComponentMap{{U::hour, 7}});
  EXPECT_EQ(r.endPosition(), 7);
  EXPECT_EQ(r.start()[U::hour], 5);
  EXPECT_EQ(r.start().impliedValues().get(U::day), 10);
  ASSERT_TRUE(r.end());
  EXPECT_EQ(r.end()->knownValues().get(U::hour), 7);
  EXPECT_EQ(r.end()->impliedValues().get(U::month), 3);
  EXPECT_FALSE(r.isMoveIndexMode());

  ParsedResult noEnd(ref, 0, u"x");
  EXPECT_FALSE(noEnd.end());

  const ParsedResult move = ParsedResult::moveIndexMode(7);
  EXPECT_TRUE(move.isMoveIndexMode());
  EXPECT_EQ(move.index(), 7);
  EXPECT_TRUE(move.text().empty());
  EXPECT_TRUE(move.tags().empty());
  EXPECT_FALSE(move.end());
}

TEST(UnitsTest, NamesRoundTripInDeclarationOrder) {
  for (size_t i = 0; i < kTagUnitCount; ++i) {
    const auto tag = static_cast<TagUnit>(i);
    EXPECT_EQ(tagUnitNamed(name(tag)), tag);
  }
  for (size_t i = 0; i < kComponentUnitCount; ++i) {
    const auto unit = static_cast<ComponentUnit>(i);
    EXPECT_EQ(componentUnitNamed(name(unit)), unit);
  }
  EXPECT_EQ(name(TagUnit::zhHantWeekdayParser), "zhHantWeekdayParser");
  EXPECT_EQ(name(TagUnit::extractTimezoneAbbrRefiner), "extractTimezoneAbbrRefiner");
  EXPECT_EQ(name(ComponentUnit::timeZoneOffset), "timeZoneOffset");
}

}  // namespace
}  // namespace zarvo::chrono
