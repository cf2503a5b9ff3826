// The English date parsers inside the ready configurations: what the refiners make of them together
// with the casual and time parsers.
#include <gtest/gtest.h>

#include "zarvo/chrono/chrono.h"
#include "zarvo/chrono/test_util.h"

namespace zarvo::chrono {
namespace {

using namespace testing;
using U = ComponentUnit;

// Read with English preferred, as quick entry reads: the other languages run only where English finds
// nothing (their day-first numeric dates would otherwise take "3/12 10:30").
class ENDatesCasualTest : public ::testing::TestWithParam<PhraseRow> {
 protected:
  void SetUp() override { Chrono::setPreferredLanguage(Language::english); }
  void TearDown() override { Chrono::setPreferredLanguage(std::nullopt); }
};

TEST_P(ENDatesCasualTest, ReadsOneResult) { checkCasualRow(GetParam()); }

// Monday 11 March 2024, 10:00.
const LocalTime kMonday{2024, 3, 11, 10, 0};

ComponentMap march(int64_t d, std::initializer_list<std::pair<ComponentUnit, int64_t>> extra = {}) {
  ComponentMap m{{U::year, 2024}, {U::month, 3}, {U::day, d}};
  for (const auto& [u, v] : extra) m.set(u, v);
  return m;
}

INSTANTIATE_TEST_SUITE_P(
    DateAndTime, ENDatesCasualTest,
    ::testing::Values(
        PhraseRow{.text = u"next friday at 5pm", .ref = kMonday, .index = 0, .phrase = u"next friday at 5pm",
                  .known = march(22, {{U::weekday, 5}, {U::hour, 17}, {U::minute, 0}, {U::second, 0}, {U::meridiem, 1}}),
                  .zone = "Europe/Berlin"},
        PhraseRow{.text = u"dentist March 12 at 10:30", .ref = kMonday, .index = 8, .phrase = u"March 12 at 10:30",
                  .known = {{U::month, 3}, {U::day, 12}, {U::hour, 10}, {U::minute, 30}, {U::second, 0}},
                  .implied = {{U::year, 2024}}, .zone = "Europe/Berlin"},
        PhraseRow{.text = u"call mom 3/12 10:30", .ref = kMonday, .index = 9, .phrase = u"3/12 10:30",
                  .known = march(12, {{U::hour, 10}, {U::minute, 30}, {U::second, 0}}), .zone = "Europe/Berlin"},
        PhraseRow{.text = u"in 3 days at 5pm", .ref = kMonday, .index = 0, .phrase = u"in 3 days at 5pm",
                  .known = march(14, {{U::hour, 17}, {U::minute, 0}, {U::second, 0}, {U::meridiem, 1}}),
                  .zone = "Europe/Berlin"},
        // The time expression parser does not read the time out of an ISO timestamp.
        PhraseRow{.text = u"report due 2024-03-12T10:30:00+09:00", .ref = kMonday, .index = 11,
                  .phrase = u"2024-03-12T10:30:00+09:00",
                  .known = march(12, {{U::hour, 10}, {U::minute, 30}, {U::second, 0}, {U::timeZoneOffset, 540}}),
                  .zone = "Europe/Berlin"},
        PhraseRow{.text = u"Tue 12 March 2024 at 9am PST", .ref = kMonday, .index = 0,
                  .phrase = u"Tue 12 March 2024 at 9am PST",
                  .known = march(12, {{U::weekday, 2}, {U::hour, 9}, {U::minute, 0}, {U::second, 0},
                                      {U::meridiem, 0}, {U::timeZoneOffset, -480}}),
                  .zone = "Europe/Berlin"}));

INSTANTIATE_TEST_SUITE_P(
    Ranges, ENDatesCasualTest,
    ::testing::Values(
        PhraseRow{.text = u"tomorrow 9am - 11am", .ref = kMonday, .index = 0, .phrase = u"tomorrow 9am - 11am",
                  .known = march(12, {{U::hour, 9}, {U::minute, 0}, {U::second, 0}, {U::meridiem, 0}}),
                  .endKnown = march(12, {{U::hour, 11}, {U::minute, 0}, {U::second, 0}, {U::meridiem, 0}}),
                  .zone = "Europe/Berlin"},
        // The time parser also reads "5 - 7" as a clock range; overlap removal keeps the longer date.
        PhraseRow{.text = u"5 - 7 Jan", .ref = kMonday, .index = 0, .phrase = u"5 - 7 Jan",
                  .known = {{U::month, 1}, {U::day, 5}}, .implied = {{U::year, 2024}},
                  .endKnown = ComponentMap{{U::month, 1}, {U::day, 7}}, .endImplied = {{U::year, 2024}},
                  .zone = "Europe/Berlin"},
        PhraseRow{.text = u"ski trip 5 - 7 Jan", .ref = {2024, 12, 20, 9, 0}, .index = 9, .phrase = u"5 - 7 Jan",
                  .known = {{U::month, 1}, {U::day, 5}}, .implied = {{U::year, 2025}},
                  .endKnown = ComponentMap{{U::month, 1}, {U::day, 7}}, .endImplied = {{U::year, 2025}},
                  .zone = "Europe/Berlin"},
        PhraseRow{.text = u"5 - 7 Jan at 10am", .ref = kMonday, .index = 0, .phrase = u"5 - 7 Jan at 10am",
                  .known = {{U::month, 1}, {U::day, 5}, {U::hour, 10}, {U::minute, 0}, {U::second, 0}, {U::meridiem, 0}},
                  .endKnown = ComponentMap{{U::month, 1}, {U::day, 7}, {U::hour, 10}, {U::minute, 0}, {U::second, 0},
                                           {U::meridiem, 0}},
                  .zone = "Europe/Berlin"},
        PhraseRow{.text = u"March 5 - March 7", .ref = kMonday, .index = 0, .phrase = u"March 5 - March 7",
                  .known = {{U::month, 3}, {U::day, 5}}, .endKnown = ComponentMap{{U::month, 3}, {U::day, 7}},
                  .zone = "Europe/Berlin"},
        PhraseRow{.text = u"meet 12/25 - 12/27", .ref = kMonday, .index = 5, .phrase = u"12/25 - 12/27",
                  .known = {{U::year, 2024}, {U::month, 12}, {U::day, 25}},
                  .endKnown = ComponentMap{{U::year, 2024}, {U::month, 12}, {U::day, 27}}, .zone = "Europe/Berlin"},
        // On a Monday the nearest Friday is the one just past, so the range runs from it to today.
        PhraseRow{.text = u"Monday to Friday", .ref = kMonday, .index = 0, .phrase = u"Monday to Friday",
                  .known = {{U::weekday, 5}}, .implied = march(8),
                  .endKnown = ComponentMap{{U::weekday, 1}}, .endImplied = march(11), .zone = "Europe/Berlin"},
        PhraseRow{.text = u"next friday 5pm - 7pm", .ref = kMonday, .index = 0, .phrase = u"next friday 5pm - 7pm",
                  .known = march(22, {{U::weekday, 5}, {U::hour, 17}, {U::minute, 0}, {U::second, 0}, {U::meridiem, 1}}),
                  .endKnown = march(22, {{U::weekday, 5}, {U::hour, 19}, {U::minute, 0}, {U::second, 0},
                                         {U::meridiem, 1}}),
                  .zone = "Europe/Berlin"}));

INSTANTIATE_TEST_SUITE_P(
    PrioritisedSpecificDates, ENDatesCasualTest,
    ::testing::Values(
        // A relative phrase gives way to the specific date beside it when they agree on what both state.
        PhraseRow{.text = u"next year (March 12, 2025)", .ref = kMonday, .index = 0,
                  .phrase = u"next year (March 12, 2025", .known = {{U::year, 2025}, {U::month, 3}, {U::day, 12}},
                  .zone = "Europe/Berlin"},
        PhraseRow{.text = u"next month, 3/12/2024", .ref = {2024, 2, 10, 10, 0}, .index = 0,
                  .phrase = u"next month, 3/12/2024", .known = march(12), .zone = "Europe/Berlin"},
        // A week phrase knows nothing, so the date-time merger takes the pair first and fixes the time.
        PhraseRow{.text = u"last week on 2024/3/5", .ref = kMonday, .index = 0, .phrase = u"last week on 2024/3/5",
                  .known = march(5, {{U::hour, 12}, {U::minute, 0}, {U::second, 0}}), .zone = "Europe/Berlin"}));

INSTANTIATE_TEST_SUITE_P(
    Alone, ENDatesCasualTest,
    ::testing::Values(
        PhraseRow{.text = u"1/2/3/4", .ref = kMonday, .index = 4, .phrase = u"3/4", .known = march(4),
                  .zone = "Europe/Berlin"},
        PhraseRow{.text = u"sync 2 weeks ago", .ref = kMonday, .index = 5, .phrase = u"2 weeks ago",
                  .implied = {{U::year, 2024}, {U::month, 2}, {U::day, 26}, {U::weekday, 1}}, .zone = "Europe/Berlin"},
        PhraseRow{.text = u"v1.2.3 released", .ref = kMonday, .found = false}));

TEST(ENDatesConfigurationTest, RelativeAndSpecificDatesThatDisagreeStaySeparate) {
  ScopedTimeZone zone("Europe/Berlin");
  // Next month from 11 March is April, which the date beside it does not name.
  const auto results = Chrono::casual().parse(u"next month, 3/12/2024", localDate(2024, 3, 11, 10, 0));
  EXPECT_EQ(texts(results), (std::vector<std::u16string>{u"next month", u"3/12/2024"}));
}

TEST(ENDatesConfigurationTest, StrictReadsOnlyFormalPhrasesThatExist) {
  ScopedTimeZone zone("Europe/Berlin");
  const Date ref = localDate(2024, 3, 11, 10, 0);
  EXPECT_EQ(texts(Chrono::casual().parse(u"31/02/2024", ref)), std::vector<std::u16string>{u"31/02/2024"});
  // Strict drops 31 February; what is left is the month-and-year reading after the slash, which
  // overlap removal had hidden behind the longer phrase in the casual configuration.
  EXPECT_EQ(texts(Chrono::strict().parse(u"31/02/2024", ref)), std::vector<std::u16string>{u"02/2024"});
  EXPECT_TRUE(Chrono::strict().parse(u"next friday", ref).empty());
  EXPECT_TRUE(Chrono::strict().parse(u"in 2 weeks", ref).empty());
  EXPECT_EQ(texts(Chrono::strict().parse(u"in 2 days", ref)), std::vector<std::u16string>{u"in 2 days"});
  EXPECT_EQ(texts(Chrono::strict().parse(u"March 12, 2024 at 10:30", ref)),
            std::vector<std::u16string>{u"March 12, 2024 at 10:30"});
}

TEST(ENDatesConfigurationTest, AMergedTimeInTheSpringForwardGapMovesLater) {
  // 02:30 on 31 March does not exist in Berlin; each part alone is a real date, so even the strict
  // configuration keeps the merged result, and the calendar carries it to 03:30 summer time.
  ScopedTimeZone zone("Europe/Berlin");
  const Date ref = localDate(2024, 3, 30, 10, 0);
  for (const Chrono* chrono : {&Chrono::casual(), &Chrono::strict()}) {
    const auto results = chrono->parse(u"in 1 day at 2:30", ref);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(iso(results[0].start().moment()), "2024-03-31T03:30:00.000+02:00");
    EXPECT_FALSE(results[0].start().isPossibleDate());
  }
}

// A Date holds about 1677-09-21 to 2262-04-11. Phrases beyond it (inputs the fuzzer found) must give a
// date at the near end of that range, never one wrapped around into it, and strict, which checks that
// the stated fields read back, must not take them for real dates.
TEST(ENDatesConfigurationTest, DatesBeyondTheRepresentableRangeSaturate) {
  struct Row {
    const char16_t* text;
    bool future;      // beyond the upper end (else the lower)
    bool strictFinds; // a relative phrase states only what it computed from the saturated date
  };
  const Row rows[] = {
      {u"rwa 4048-04-01", true, false},
      {u"1/1414", false, false},
      {u"3/12/2300", true, false},
      // With a zone offset, reading the fields back moves the saturated instant once more.
      {u"2424-03-11T11:30:00+01:00", true, false},
      {u"in 9999999 hours", true, true},
      {u"9999999 days ago", false, true},
      {u"in 8888888888888888888 weeks", true, false},
      {u"8888888888888888888 weeks ago", false, false},
      // ICU's month arithmetic wrapped this into the past.
      {u"in 999999999999 months", true, false},
  };
  ScopedTimeZone zone("Europe/Berlin");
  const Date ref = localDate(2024, 3, 11, 10, 0);
  const Date lateBound = utcDate(2262, 1, 1);
  const Date earlyBound = utcDate(1678, 1, 1);
  for (const Row& row : rows) {
    SCOPED_TRACE(platform::toUtf8(row.text));
    const auto casual = Chrono::casual().parse(std::u16string_view(row.text), ref);
    ASSERT_EQ(casual.size(), 1u);
    const Date date = casual[0].start().date();
    if (row.future) {
      EXPECT_GE(date, lateBound) << iso(date);
    } else {
      EXPECT_LE(date, earlyBound) << iso(date);
    }
    // Strict may still find a shorter phrase inside (a day-first "04-01", or a clock the Chinese time
    // parser reads without a blank before it), never the whole one.
    bool strictFindsWhole = false;
    for (const ParsedResult& r : Chrono::strict().parse(std::u16string_view(row.text), ref)) {
      strictFindsWhole = strictFindsWhole || r.text() == casual[0].text();
    }
    EXPECT_EQ(strictFindsWhole, row.strictFinds);
  }
}

}  // namespace
}  // namespace zarvo::chrono
