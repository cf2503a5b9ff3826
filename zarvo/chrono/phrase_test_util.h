// Dense table-driven checks for single parsers: one positional row per phrase, read against a
// wall-clock reference in the zone the test sets, checking the first result (see PhraseRow in
// test_util.h for the named-field form used with whole configurations).
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "zarvo/chrono/parser.h"
#include "zarvo/chrono/test_util.h"
#include "zarvo/platform/text.h"

namespace zarvo::chrono::testing {

// Zones the parser tables read in.
inline constexpr char kBerlin[] = "Europe/Berlin";
inline constexpr char kMadrid[] = "Europe/Madrid";
inline constexpr char kParis[] = "Europe/Paris";
inline constexpr char kUTC[] = "UTC";

// Fixture for one parser's tables: the non-strict parser `P` as `parser_`, with the process in `Zone`
// for the whole test.
template <typename P, const char* Zone>
class ParserTest : public ::testing::Test {
 protected:
  ScopedTimeZone zone_{Zone};
  P parser_{false};
};

// Wall-clock reference time in the process zone.
struct Wall {
  Wall(int64_t y, int64_t mo, int64_t d, int64_t h = 12, int64_t mi = 0, int64_t s = 0)
      : year(y), month(mo), day(d), hour(h), minute(mi), second(s) {}
  Date date() const { return localDate(year, month, day, hour, minute, second); }
  int64_t year, month, day, hour, minute, second;
};

struct PhraseCase {
  std::string text;      // the whole input
  Wall ref;              // read against this
  std::string phrase;    // text of the first result; empty when the parser must find nothing
  ComponentMap known;    // exactly the start's known values
  ComponentMap implied;  // these implied values of the start (other implied units are not checked)
};

struct RangeCase {
  std::string text;
  Wall ref;
  std::string phrase;
  ComponentMap known;     // exactly the start's known values
  ComponentMap endKnown;  // exactly the end's known values
};

inline std::string utf8(std::u16string_view s) { return platform::toUtf8(s); }

// Runs `parser` over each row's text and checks its first result (and that it carries `tag`, when
// given).
inline void expectPhrases(const Parser& parser, const std::vector<PhraseCase>& rows,
                          std::optional<TagUnit> tag = std::nullopt, const Options& opt = {}) {
  for (const PhraseCase& row : rows) {
    SCOPED_TRACE("\"" + row.text + "\"");
    const auto results = parser.execute(platform::utf16(row.text), row.ref.date(), opt);
    if (row.phrase.empty()) {
      EXPECT_TRUE(results.empty()) << "found \"" << (results.empty() ? "" : utf8(results[0].text())) << "\"";
      continue;
    }
    ASSERT_FALSE(results.empty());
    const ParsedResult& r = results[0];
    EXPECT_EQ(utf8(r.text()), row.phrase);
    expectComponents(r.start(), row.known, row.implied, "start");
    EXPECT_FALSE(r.end().has_value());
    if (tag) {
      EXPECT_TRUE(r.tags().isTrue(*tag));
    }
  }
}

inline void expectRanges(const Parser& parser, const std::vector<RangeCase>& rows) {
  for (const RangeCase& row : rows) {
    SCOPED_TRACE("\"" + row.text + "\"");
    const auto results = parser.execute(platform::utf16(row.text), row.ref.date(), {});
    ASSERT_FALSE(results.empty());
    const ParsedResult& r = results[0];
    EXPECT_EQ(utf8(r.text()), row.phrase);
    expectComponents(r.start(), row.known, {}, "start");
    ASSERT_TRUE(r.end().has_value());
    expectComponents(*r.end(), row.endKnown, {}, "end");
  }
}

// Texts of every result, in order.
inline std::vector<std::string> phrases(const std::vector<ParsedResult>& results) {
  std::vector<std::string> out;
  for (const auto& r : results) out.push_back(utf8(r.text()));
  return out;
}

}  // namespace zarvo::chrono::testing
