// Helpers for the date engine's tests: local wall-clock instants in a chosen zone, and a scoped
// process time zone.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "zarvo/chrono/chrono.h"
#include "zarvo/chrono/parsed_components.h"
#include "zarvo/chrono/options.h"
#include "zarvo/chrono/parsed_result.h"
#include "zarvo/platform/date_calendar.h"
#include "zarvo/platform/text.h"
#include "zarvo/testing/dates.h"

namespace zarvo::chrono::testing {

using zarvo::testing::localDate;
using zarvo::testing::ScopedTimeZone;

// The instant of a wall-clock time in UTC.
inline Date utcDate(int64_t year, int64_t month, int64_t day, int64_t hour = 0, int64_t minute = 0) {
  platform::DateComponents c;
  c.timeZone = std::string("UTC");
  c.year = year;
  c.month = month;
  c.day = day;
  c.hour = hour;
  c.minute = minute;
  return platform::DateCalendar::gregorianUTC().date(c);
}

inline std::string iso(Date d) { return platform::isoString(d); }

// "year=2024 month=3 ..." for readable failure messages.
inline std::string describe(const ComponentMap& m) {
  std::string out;
  m.forEach([&](ComponentUnit u, int64_t v) {
    if (!out.empty()) out += ' ';
    out += name(u);
    out += '=';
    out += std::to_string(v);
  });
  return out;
}

}  // namespace zarvo::chrono::testing

namespace zarvo::chrono::testing {

// Checks that `c` knows exactly `known` and has at least the values of `impliedSubset` implied.
inline void expectComponents(const ParsedComponents& c, const ComponentMap& known, const ComponentMap& impliedSubset,
                             const std::string& context) {
  EXPECT_EQ(describe(c.knownValues()), describe(known)) << context;
  impliedSubset.forEach([&](ComponentUnit unit, int64_t value) {
    EXPECT_EQ(c.impliedValues().get(unit), value) << context << ": implied " << name(unit);
  });
}

}  // namespace zarvo::chrono::testing

namespace zarvo::chrono::testing {

struct LocalTime {
  int64_t year, month, day, hour = 0, minute = 0, second = 0, millisecond = 0;
  Date in() const { return localDate(year, month, day, hour, minute, second, millisecond); }
};

// One row of a phrase table: a text read against a reference in a zone, and the first result expected
// (or none). `known` must match exactly; `implied` lists the implied values worth checking.
struct PhraseRow {
  std::u16string text = {};
  LocalTime ref = {2024, 1, 1};
  bool found = true;
  int64_t index = 0;
  std::u16string phrase = {};
  ComponentMap known = {};
  ComponentMap implied = {};
  std::optional<ComponentMap> endKnown = std::nullopt;
  ComponentMap endImplied = {};
  Options opt = {};
  const char* zone = "UTC";
};

inline std::string context(const PhraseRow& row) {
  std::string out(1, '"');
  out += platform::toUtf8(row.text);
  out += '"';
  return out;
}
inline void PrintTo(const PhraseRow& row, std::ostream* os) { *os << context(row); }

inline void checkFirstResult(const PhraseRow& row, const std::vector<ParsedResult>& results) {
  const std::string where = context(row);
  if (!row.found) {
    EXPECT_TRUE(results.empty()) << where << " gave \"" << platform::toUtf8(results.front().text()) << "\"";
    return;
  }
  ASSERT_FALSE(results.empty()) << where;
  const ParsedResult& r = results.front();
  EXPECT_EQ(r.index(), row.index) << where;
  EXPECT_EQ(platform::toUtf8(r.text()), platform::toUtf8(row.phrase)) << where;
  expectComponents(r.start(), row.known, row.implied, where + " start");
  EXPECT_EQ(r.end().has_value(), row.endKnown.has_value()) << where;
  if (r.end() && row.endKnown) expectComponents(*r.end(), *row.endKnown, row.endImplied, where + " end");
}

// Reads the row's text with the casual configuration in the row's zone and checks the first result,
// and that no other result is left.
inline void checkCasualRow(const PhraseRow& row) {
  ScopedTimeZone zone(row.zone);
  const auto results = Chrono::casual().parse(std::u16string_view(row.text), row.ref.in(), row.opt);
  checkFirstResult(row, results);
  EXPECT_LE(results.size(), 1u) << context(row);
}

// The year, month and day of a date, with `extra` values beside them.
inline ComponentMap dayWith(int64_t year, int64_t month, int64_t day,
                            std::initializer_list<std::pair<ComponentUnit, int64_t>> extra = {}) {
  ComponentMap m{{ComponentUnit::year, year}, {ComponentUnit::month, month}, {ComponentUnit::day, day}};
  for (const auto& [unit, value] : extra) m.set(unit, value);
  return m;
}

// A day of March 2024, the month most tables read in, with `extra` values beside it.
inline ComponentMap march(int64_t day, std::initializer_list<std::pair<ComponentUnit, int64_t>> extra = {}) {
  return dayWith(2024, 3, day, extra);
}

// A clock time as the time parsers state it: the hour and minute, and the half of the day when stated.
inline ComponentMap clock(int64_t hour, int64_t minute, std::optional<int64_t> meridiem = std::nullopt) {
  ComponentMap m{{ComponentUnit::hour, hour}, {ComponentUnit::minute, minute}};
  if (meridiem) m.set(ComponentUnit::meridiem, *meridiem);
  return m;
}

}  // namespace zarvo::chrono::testing

namespace zarvo::chrono::testing {

// A result for the first occurrence of `phrase` in `input`, stating `known` (everything else implied
// from `ref`), with `tags`, and an end stating `endKnown` when given.
inline ParsedResult resultFor(std::u16string_view input, std::u16string_view phrase, Date ref, ComponentMap known,
                              TagSet tags = {}, std::optional<ComponentMap> endKnown = std::nullopt) {
  const size_t at = input.find(phrase);
  EXPECT_NE(at, std::u16string_view::npos) << platform::toUtf8(phrase);
  return ParsedResult(ref, static_cast<int64_t>(at), std::u16string(phrase), tags, std::move(known),
                      std::move(endKnown));
}

inline std::vector<std::u16string> texts(const std::vector<ParsedResult>& results) {
  std::vector<std::u16string> out;
  for (const auto& r : results) out.push_back(r.text());
  return out;
}

}  // namespace zarvo::chrono::testing

namespace zarvo::chrono::testing {

// Runs a parser of type `P` (non-strict) over the row in the row's zone, checks its first result
// against the row and that the result carries `tag`. Returns every result.
template <typename P>
std::vector<ParsedResult> expectParserReads(const PhraseRow& row, TagUnit tag) {
  ScopedTimeZone zone(row.zone);
  std::vector<ParsedResult> results = P(false).execute(row.text, row.ref.in(), row.opt);
  checkFirstResult(row, results);
  if (!results.empty()) {
    EXPECT_TRUE(results[0].tags().isTrue(tag)) << context(row);
  }
  return results;
}

// As expectParserReads, and the strict parser reads the same results less those that are not a
// possible date.
template <typename P>
void expectStrictKeepsThePossible(const PhraseRow& row, TagUnit tag) {
  const std::vector<ParsedResult> results = expectParserReads<P>(row, tag);
  ScopedTimeZone zone(row.zone);
  size_t possible = 0;
  for (const auto& r : results) {
    possible += r.start().isPossibleDate() && (!r.end() || r.end()->isPossibleDate()) ? 1 : 0;
  }
  EXPECT_EQ(P(true).execute(row.text, row.ref.in(), row.opt).size(), possible) << context(row);
}

}  // namespace zarvo::chrono::testing
