// The Spanish parsers inside the ready configurations: Spanish has no merge refiners of its own, so
// its dates and times are joined by those of the other languages.
#include <gtest/gtest.h>

#include "zarvo/chrono/chrono.h"
#include "zarvo/chrono/test_util.h"

namespace zarvo::chrono {
namespace {

using namespace testing;
using U = ComponentUnit;

class ESCasualTest : public ::testing::TestWithParam<PhraseRow> {};

TEST_P(ESCasualTest, ReadsOneResult) { checkCasualRow(GetParam()); }

// Monday 11 March 2024, 10:00.
const LocalTime kMonday{2024, 3, 11, 10, 0};

ComponentMap march(int64_t d, std::initializer_list<std::pair<ComponentUnit, int64_t>> extra = {}) {
  return dayWith(2024, 3, d, extra);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ESCasualTest,
    ::testing::Values(
        PhraseRow{.text = u"Llamar a mamá mañana a las 5 pm", .ref = kMonday, .index = 14,
                  .phrase = u"mañana a las 5 pm",
                  .known = march(12, {{U::hour, 17}, {U::minute, 0}, {U::second, 0}, {U::meridiem, 1}}),
                  .zone = "Europe/Madrid"},
        PhraseRow{.text = u"correr mañana por la mañana", .ref = kMonday, .index = 7, .phrase = u"mañana por la mañana",
                  .known = march(12), .implied = {{U::hour, 9}}, .zone = "Europe/Madrid"},
        PhraseRow{.text = u"el próximo lunes a las 10", .ref = kMonday, .index = 3,
                  .phrase = u"próximo lunes a las 10",
                  .known = march(18, {{U::weekday, 1}, {U::hour, 10}, {U::minute, 0}, {U::second, 0}}),
                  .zone = "Europe/Madrid"},
        PhraseRow{.text = u"entregar 15/03/2024", .ref = kMonday, .index = 9, .phrase = u"15/03/2024",
                  .known = march(15), .zone = "Europe/Madrid"},
        // The zone abbreviation is read only after English, French and Chinese times.
        PhraseRow{.text = u"reunión a las 5 pm CET", .ref = kMonday, .index = 8, .phrase = u"a las 5 pm",
                  .known = {{U::hour, 17}, {U::minute, 0}, {U::meridiem, 1}}, .zone = "Europe/Madrid"},
        // The French range word "a" joins Spanish weekdays.
        PhraseRow{.text = u"lunes a viernes", .ref = {2024, 3, 13, 10, 0}, .index = 0, .phrase = u"lunes a viernes",
                  .known = {{U::weekday, 1}}, .implied = march(11), .endKnown = ComponentMap{{U::weekday, 5}},
                  .endImplied = march(15), .zone = "Europe/Madrid"},
        PhraseRow{.text = u"vacaciones del 3 al 5 de mayo", .ref = kMonday, .index = 15, .phrase = u"3 al 5 de mayo",
                  .known = {{U::month, 5}, {U::day, 3}}, .endKnown = ComponentMap{{U::month, 5}, {U::day, 5}},
                  .zone = "Europe/Madrid"}));

// Restores the preferred language after each test.
class ESPreferredLanguageTest : public ::testing::Test {
 protected:
  void TearDown() override { Chrono::setPreferredLanguage(std::nullopt); }
  ScopedTimeZone zone_{"Europe/Madrid"};
  Date ref_ = localDate(2024, 3, 11, 10, 0);
};

TEST_F(ESPreferredLanguageTest, WhatEnglishFindsKeepsTheOtherLanguagesOut) {
  const std::u16string line = u"Llamar a mamá mañana a las 5 pm";
  Chrono::setPreferredLanguage(Language::english);
  // English reads "5 pm" on its own, so the Spanish parsers never run.
  EXPECT_EQ(texts(Chrono::casual().parse(line, ref_)), std::vector<std::u16string>{u"5 pm"});
  EXPECT_EQ(texts(Chrono::casual().parse(u"Llamar a mamá mañana a las 5", ref_)),
            std::vector<std::u16string>{u"mañana a las 5"});
  Chrono::setPreferredLanguage(Language::spanish);
  EXPECT_EQ(texts(Chrono::casual().parse(line, ref_)), std::vector<std::u16string>{u"mañana a las 5 pm"});
}

}  // namespace
}  // namespace zarvo::chrono
