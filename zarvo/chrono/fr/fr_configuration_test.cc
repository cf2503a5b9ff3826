// The French parsers inside the ready configurations, with the French merge refiners and the zone
// abbreviations read after French times.
#include <gtest/gtest.h>

#include "zarvo/chrono/chrono.h"
#include "zarvo/chrono/test_util.h"

namespace zarvo::chrono {
namespace {

using namespace testing;
using U = ComponentUnit;

class FRCasualTest : public ::testing::TestWithParam<PhraseRow> {};

TEST_P(FRCasualTest, ReadsOneResult) { checkCasualRow(GetParam()); }

// Monday 11 March 2024, 10:00.
const LocalTime kMonday{2024, 3, 11, 10, 0};

ComponentMap march(int64_t d, std::initializer_list<std::pair<ComponentUnit, int64_t>> extra = {}) {
  return dayWith(2024, 3, d, extra);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, FRCasualTest,
    ::testing::Values(
        PhraseRow{.text = u"Rendez-vous demain à 9h", .ref = kMonday, .index = 12, .phrase = u"demain à 9h",
                  .known = march(12, {{U::hour, 9}, {U::minute, 0}, {U::second, 0}}), .zone = "Europe/Paris"},
        PhraseRow{.text = u"Appeler le garage demain à 17h", .ref = kMonday, .index = 18, .phrase = u"demain à 17h",
                  .known = march(12, {{U::hour, 17}, {U::minute, 0}, {U::second, 0}, {U::meridiem, 1}}),
                  .zone = "Europe/Paris"},
        PhraseRow{.text = u"courir demain matin", .ref = kMonday, .index = 7, .phrase = u"demain matin",
                  .known = march(12), .implied = {{U::hour, 8}}, .zone = "Europe/Paris"},
        PhraseRow{.text = u"réunion lundi prochain à 10h", .ref = kMonday, .index = 8,
                  .phrase = u"lundi prochain à 10h",
                  .known = march(18, {{U::weekday, 1}, {U::hour, 10}, {U::minute, 0}, {U::second, 0}}),
                  .zone = "Europe/Paris"},
        // "vers" joins a date and a time only for the French merger.
        PhraseRow{.text = u"passer demain vers 17h", .ref = kMonday, .index = 7, .phrase = u"demain vers 17h",
                  .known = march(12, {{U::hour, 17}, {U::minute, 0}, {U::second, 0}, {U::meridiem, 1}}),
                  .zone = "Europe/Paris"},
        PhraseRow{.text = u"visio à 17h CET", .ref = kMonday, .index = 6, .phrase = u"à 17h CET",
                  .known = {{U::hour, 17}, {U::minute, 0}, {U::meridiem, 1}, {U::timeZoneOffset, 60}},
                  .zone = "Europe/Paris"},
        // Day-first dates test the shape of a version number on the whole match, trailing character
        // included: " 1.2." is not "1.2", so the first two numbers are read as 1 February.
        PhraseRow{.text = u"mettre à jour version 1.2.3", .ref = kMonday, .index = 22, .phrase = u"1.2.",
                  .known = {{U::year, 2024}, {U::month, 2}, {U::day, 1}}, .zone = "Europe/Paris"},
        PhraseRow{.text = u"prendre 1.5 comprimé", .ref = kMonday, .found = false, .zone = "Europe/Paris"}));

INSTANTIATE_TEST_SUITE_P(
    Ranges, FRCasualTest,
    ::testing::Values(
        PhraseRow{.text = u"congés du 3 au 5 mai", .ref = kMonday, .index = 10, .phrase = u"3 au 5 mai",
                  .known = {{U::month, 5}, {U::day, 3}}, .endKnown = ComponentMap{{U::month, 5}, {U::day, 5}},
                  .zone = "Europe/Paris"},
        PhraseRow{.text = u"permanence de 9h à 11h", .ref = kMonday, .index = 14, .phrase = u"9h à 11h",
                  .known = {{U::hour, 9}, {U::minute, 0}}, .endKnown = ComponentMap{{U::hour, 11}, {U::minute, 0}},
                  .zone = "Europe/Paris"},
        PhraseRow{.text = u"3 mai - 7 mai", .ref = kMonday, .index = 0, .phrase = u"3 mai - 7 mai",
                  .known = {{U::month, 5}, {U::day, 3}}, .endKnown = ComponentMap{{U::month, 5}, {U::day, 7}},
                  .zone = "Europe/Paris"}));

TEST(FRConfigurationTest, FrenchMergersAddTheirTags) {
  ScopedTimeZone zone("Europe/Paris");
  const Date ref = localDate(2024, 3, 13, 10, 0);
  const auto range = Chrono::casual().parse(u"lundi à vendredi", ref);
  ASSERT_EQ(range.size(), 1u);
  EXPECT_TRUE(range[0].tags().isTrue(TagUnit::frMergeDateRangeRefiner));
  EXPECT_TRUE(range[0].tags().isTrue(TagUnit::frWeekdayParser));
  const auto vers = Chrono::casual().parse(u"demain vers 17h", ref);
  ASSERT_EQ(vers.size(), 1u);
  EXPECT_TRUE(vers[0].tags().isTrue(TagUnit::frMergeDateAndTimeRefiner));
}

}  // namespace
}  // namespace zarvo::chrono
