#include "zarvo/chrono/weekday_rule.h"

#include <gtest/gtest.h>

#include "zarvo/chrono/phrase_test_util.h"

namespace zarvo::chrono {
namespace {

using namespace testing;
using U = ComponentUnit;

struct WeekdayRow {
  Wall ref;
  int64_t offset;
  std::u16string modifier;
  ComponentMap known;    // exactly
  ComponentMap implied;  // these units
};

TEST(UpdateParsedComponentTest, ModifiersChooseTheWeek) {
  ScopedTimeZone zone("Europe/Berlin");
  // 13 March 2024 is a Wednesday.
  const std::vector<WeekdayRow> rows = {
      {{2024, 3, 13}, 5, u"", {{U::weekday, 5}}, {{U::year, 2024}, {U::month, 3}, {U::day, 15}}},
      // Monday two days back is nearer than Monday five days ahead.
      {{2024, 3, 13}, 1, u"", {{U::weekday, 1}}, {{U::day, 11}}},
      // Sunday: three days back beats four days ahead.
      {{2024, 3, 13}, 0, u"", {{U::weekday, 0}}, {{U::day, 10}}},
      {{2024, 3, 13}, 3, u"", {{U::weekday, 3}}, {{U::day, 13}}},
      {{2024, 3, 13}, 5, u"next", {{U::weekday, 5}, {U::year, 2024}, {U::month, 3}, {U::day, 22}}, {}},
      {{2024, 3, 13}, 1, u"this", {{U::weekday, 1}}, {{U::day, 11}}},
      {{2024, 3, 13}, 6, u"this", {{U::weekday, 6}}, {{U::day, 16}}},
      {{2024, 3, 13}, 2, u"last", {{U::weekday, 2}, {U::year, 2024}, {U::month, 3}, {U::day, 5}}, {}},
      {{2024, 3, 13}, 5, u"past", {{U::weekday, 5}, {U::year, 2024}, {U::month, 3}, {U::day, 8}}, {}},
      // Any other word counts as no modifier.
      {{2024, 3, 13}, 5, u"Next", {{U::weekday, 5}}, {{U::day, 15}}},
      // Across the year end, and onto a leap day.
      {{2024, 12, 31}, 5, u"next", {{U::weekday, 5}, {U::year, 2025}, {U::month, 1}, {U::day, 10}}, {}},
      {{2024, 1, 2}, 0, u"last", {{U::weekday, 0}, {U::year, 2023}, {U::month, 12}, {U::day, 24}}, {}},
      {{2024, 2, 27}, 4, u"", {{U::weekday, 4}}, {{U::year, 2024}, {U::month, 2}, {U::day, 29}}},
      // Friday noon before the spring-forward Sunday: the date moves, the implied noon stays.
      {{2024, 3, 29}, 0, u"", {{U::weekday, 0}}, {{U::day, 31}, {U::hour, 12}}},
  };
  for (const WeekdayRow& row : rows) {
    SCOPED_TRACE(std::to_string(row.offset) + " " + utf8(row.modifier) + " from " + std::to_string(row.ref.day));
    const Date ref = row.ref.date();
    const ParsedResult r = updateParsedComponent(ParsedResult(ref, 0, u"x"), ref, row.offset, row.modifier);
    expectComponents(r.start(), row.known, row.implied, "start");
  }
}

TEST(UpdateParsedComponentTest, LeavesTheTimeAsItWas) {
  ScopedTimeZone zone("UTC");
  const Date ref = localDate(2024, 3, 13, 9, 30);
  ParsedResult in(ref, 0, u"x");
  in.start().assign(U::hour, 17);
  const ParsedResult out = updateParsedComponent(in, ref, 5, u"next");
  EXPECT_EQ(out.start().knownValues().get(U::hour), 17);
  EXPECT_EQ(out.start().impliedValues().get(U::minute), 0);
}

}  // namespace
}  // namespace zarvo::chrono
