#include "zarvo/chrono/en/en_casual_time_parser.h"

#include <gtest/gtest.h>

#include "zarvo/chrono/test_util.h"

namespace zarvo::chrono {
namespace {

using namespace testing;
using U = ComponentUnit;

class ENCasualTimeParserTest : public ::testing::TestWithParam<PhraseRow> {};

TEST_P(ENCasualTimeParserTest, Reads) {
  const PhraseRow& row = GetParam();
  ScopedTimeZone zone(row.zone);
  ENCasualTimeParser parser(false);
  const auto results = parser.execute(row.text, row.ref.in(), row.opt);
  checkFirstResult(row, results);
  if (!results.empty()) {
    EXPECT_TRUE(results[0].tags().isTrue(TagUnit::enCasualTimeParser));
  }
}

const LocalTime kRef{2024, 3, 10, 9, 0};
const ComponentMap kRefDay{{U::year, 2024}, {U::month, 3}, {U::day, 10}};

ComponentMap refDayAt(int64_t hour) {
  ComponentMap m = kRefDay;
  m.set(U::hour, hour);
  return m;
}

INSTANTIATE_TEST_SUITE_P(
    Phrases, ENCasualTimeParserTest,
    ::testing::Values(
        PhraseRow{.text = u"gym this morning", .ref = kRef, .index = 4, .phrase = u"this morning",
                  .implied = refDayAt(6)},
        PhraseRow{.text = u"call back afternoon", .ref = kRef, .index = 10, .phrase = u"afternoon",
                  .implied = refDayAt(15)},
        PhraseRow{.text = u"this evening", .ref = kRef, .index = 0, .phrase = u"this evening", .implied = refDayAt(18)},
        PhraseRow{.text = u"this evening", .ref = kRef, .index = 0, .phrase = u"this evening", .implied = refDayAt(19),
                  .opt = {{OptionType::evening, 19}}},
        // Options for other words do not apply.
        PhraseRow{.text = u"noon", .ref = kRef, .index = 0, .phrase = u"noon", .implied = refDayAt(12),
                  .opt = {{OptionType::evening, 19}}},
        PhraseRow{.text = u"lunch at noon", .ref = kRef, .index = 9, .phrase = u"noon", .implied = refDayAt(13),
                  .opt = {{OptionType::noon, 13}}},
        PhraseRow{.text = u"morning run", .ref = kRef, .index = 0, .phrase = u"morning", .implied = refDayAt(5),
                  .opt = {{OptionType::morning, 5}}},
        // Capitalised words read like lower-case ones.
        PhraseRow{.text = u"This Morning", .ref = kRef, .index = 0, .phrase = u"This Morning", .implied = refDayAt(6)},
        PhraseRow{.text = u"tomorrow EVENING", .ref = kRef, .index = 9, .phrase = u"EVENING",
                  .implied = refDayAt(18)},
        PhraseRow{.text = u"mornings", .ref = kRef, .index = 0, .phrase = u"morning", .implied = refDayAt(6)},
        PhraseRow{.text = u"goodmorning", .ref = kRef, .found = false}));

}  // namespace
}  // namespace zarvo::chrono
