// The German parsers inside the ready configurations: what the refiners make of them, alone and beside
// other languages, and the passes a preferred language makes.
#include <gtest/gtest.h>

#include "zarvo/chrono/chrono.h"
#include "zarvo/chrono/test_util.h"

namespace zarvo::chrono {
namespace {

using namespace testing;
using U = ComponentUnit;

class DECasualTest : public ::testing::TestWithParam<PhraseRow> {};

TEST_P(DECasualTest, ReadsOneResult) { checkCasualRow(GetParam()); }

// Monday 11 March 2024, 10:00.
const LocalTime kMonday{2024, 3, 11, 10, 0};

ComponentMap march(int64_t d, std::initializer_list<std::pair<ComponentUnit, int64_t>> extra = {}) {
  return dayWith(2024, 3, d, extra);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, DECasualTest,
    ::testing::Values(
        PhraseRow{.text = u"Zahnarzt morgen um 17 Uhr", .ref = kMonday, .index = 9, .phrase = u"morgen um 17 Uhr",
                  .known = march(12, {{U::hour, 17}, {U::minute, 0}, {U::second, 0}, {U::meridiem, 1}}),
                  .zone = "Europe/Berlin"},
        PhraseRow{.text = u"Arzt anrufen morgen um 5", .ref = kMonday, .index = 13, .phrase = u"morgen um 5",
                  .known = march(12, {{U::hour, 5}, {U::minute, 0}, {U::second, 0}}), .zone = "Europe/Berlin"},
        PhraseRow{.text = u"nächsten Dienstag um 10:30", .ref = kMonday, .index = 0,
                  .phrase = u"nächsten Dienstag um 10:30",
                  .known = march(19, {{U::weekday, 2}, {U::hour, 10}, {U::minute, 30}, {U::second, 0}}),
                  .zone = "Europe/Berlin"},
        // The date reads "12.03.2024 " with the blank after it, longer than the month-first English
        // reading of the same digits, so the German reading stays and takes the time.
        PhraseRow{.text = u"Abgabe 12.03.2024 um 10 Uhr", .ref = kMonday, .index = 7,
                  .phrase = u"12.03.2024 um 10 Uhr", .known = march(12, {{U::hour, 10}, {U::minute, 0}, {U::second, 0}}),
                  .zone = "Europe/Berlin"},
        PhraseRow{.text = u"Kino heute Abend", .ref = kMonday, .index = 5, .phrase = u"heute Abend",
                  .implied = march(11, {{U::hour, 18}, {U::meridiem, 1}}), .zone = "Europe/Berlin"},
        PhraseRow{.text = u"Kino heute Abend", .ref = kMonday, .index = 5, .phrase = u"heute Abend",
                  .implied = march(11, {{U::hour, 20}}), .opt = {{OptionType::evening, 20}}, .zone = "Europe/Berlin"},
        // "Morgen früh" is longer than "Morgen" (tomorrow) and "früh" read on their own.
        PhraseRow{.text = u"Morgen früh Brötchen holen", .ref = kMonday, .index = 0, .phrase = u"Morgen früh",
                  .implied = march(12, {{U::hour, 6}}), .zone = "Europe/Berlin"},
        PhraseRow{.text = u"Montag Morgen Meeting", .ref = kMonday, .index = 0, .phrase = u"Montag Morgen",
                  .known = {{U::weekday, 1}}, .implied = march(11, {{U::hour, 6}}), .zone = "Europe/Berlin"},
        PhraseRow{.text = u"Termin um 17 Uhr MEZ", .ref = kMonday, .index = 7, .phrase = u"um 17 Uhr",
                  .known = {{U::hour, 17}, {U::minute, 0}, {U::meridiem, 1}}, .zone = "Europe/Berlin"},
        // Only a number is left of these, which the configurations drop.
        PhraseRow{.text = u"1.5", .ref = kMonday, .found = false, .zone = "Europe/Berlin"},
        PhraseRow{.text = u"13.25", .ref = kMonday, .found = false, .zone = "Europe/Berlin"},
        PhraseRow{.text = u"1.1.20", .ref = kMonday, .found = false, .zone = "Europe/Berlin"},
        PhraseRow{.text = u"Tabletten 1.5 nehmen", .ref = kMonday, .found = false, .zone = "Europe/Berlin"}));

INSTANTIATE_TEST_SUITE_P(
    Ranges, DECasualTest,
    ::testing::Values(
        PhraseRow{.text = u"Sprechstunde 14:30 bis 16 Uhr", .ref = kMonday, .index = 13,
                  .phrase = u"14:30 bis 16 Uhr", .known = {{U::hour, 14}, {U::minute, 30}, {U::meridiem, 1}},
                  .endKnown = ComponentMap{{U::hour, 16}, {U::minute, 0}, {U::meridiem, 1}}, .zone = "Europe/Berlin"},
        PhraseRow{.text = u"Urlaub 3. bis 5. Mai", .ref = kMonday, .index = 7, .phrase = u"3. bis 5. Mai",
                  .known = {{U::month, 5}, {U::day, 3}}, .endKnown = ComponentMap{{U::month, 5}, {U::day, 5}},
                  .zone = "Europe/Berlin"},
        PhraseRow{.text = u"Montag bis Freitag", .ref = {2024, 3, 13, 10, 0}, .index = 0,
                  .phrase = u"Montag bis Freitag", .known = {{U::weekday, 1}}, .implied = march(11),
                  .endKnown = ComponentMap{{U::weekday, 5}}, .endImplied = march(15), .zone = "Europe/Berlin"},
        // German dates joined by English words, and the reverse: the refiners look at results of any
        // language.
        PhraseRow{.text = u"3. Mai to 7. Mai", .ref = kMonday, .index = 0, .phrase = u"3. Mai to 7. Mai",
                  .known = {{U::month, 5}, {U::day, 3}}, .endKnown = ComponentMap{{U::month, 5}, {U::day, 7}},
                  .zone = "Europe/Berlin"},
        PhraseRow{.text = u"May 3 bis May 7", .ref = kMonday, .index = 0, .phrase = u"May 3 bis May 7",
                  .known = {{U::month, 5}, {U::day, 3}}, .endKnown = ComponentMap{{U::month, 5}, {U::day, 7}},
                  .zone = "Europe/Berlin"}));

TEST(DEConfigurationTest, MergersAddTheirTagsAcrossLanguages) {
  ScopedTimeZone zone("Europe/Berlin");
  const Date ref = localDate(2024, 3, 11, 10, 0);
  // The English date-time merger comes first in the list and takes a bare blank; "nach" is German only.
  const auto withBlank = Chrono::casual().parse(u"morgen at 5pm", ref);
  ASSERT_EQ(withBlank.size(), 1u);
  EXPECT_TRUE(withBlank[0].tags().isTrue(TagUnit::enMergeDateAndTimeRefiner));
  EXPECT_TRUE(withBlank[0].tags().isTrue(TagUnit::deCasualDateParser));
  const auto withNach = Chrono::casual().parse(u"tomorrow nach 17 Uhr", ref);
  ASSERT_EQ(withNach.size(), 1u);
  EXPECT_TRUE(withNach[0].tags().isTrue(TagUnit::deMergeDateAndTimeRefiner));
  EXPECT_EQ(iso(withNach[0].start().moment()), "2024-03-12T17:00:00.000+01:00");
  const auto range = Chrono::casual().parse(u"3. Mai bis 7. Mai", ref);
  ASSERT_EQ(range.size(), 1u);
  EXPECT_TRUE(range[0].tags().isTrue(TagUnit::deMergeDateRangeRefiner));
}

TEST(DEConfigurationTest, NumericDatesWithoutAnythingAfterThemReadMonthFirst) {
  // At the end of a line both readings of "12.03.2024" are equally long, and the English parser comes
  // first: the configurations read 3 December. Within a line the German reading is longer (it keeps
  // the character after it) and wins.
  ScopedTimeZone zone("Europe/Berlin");
  const Date ref = localDate(2024, 3, 11, 10, 0);
  const auto atEnd = Chrono::casual().parse(u"Abgabe 12.03.2024", ref);
  ASSERT_EQ(atEnd.size(), 1u);
  EXPECT_TRUE(atEnd[0].tags().isTrue(TagUnit::enSlashDateFormatParser));
  EXPECT_EQ(atEnd[0].start()[U::month], 12);
  const auto within = Chrono::casual().parse(u"Abgabe 12.03.2024 Büro", ref);
  ASSERT_EQ(within.size(), 1u);
  EXPECT_EQ(within[0].start()[U::month], 3);
}

TEST(DEConfigurationTest, StrictReadsTheFormalGermanPhrases) {
  ScopedTimeZone zone("Europe/Berlin");
  const Date ref = localDate(2024, 3, 11, 10, 0);
  EXPECT_EQ(texts(Chrono::strict().parse(u"in 2 Tagen um 17 Uhr", ref)),
            std::vector<std::u16string>{u"in 2 Tagen um 17 Uhr"});
  EXPECT_EQ(texts(Chrono::strict().parse(u"am 3. Mai 2024", ref)), std::vector<std::u16string>{u"am 3. Mai 2024"});
  // The casual German words are not in the strict configuration; an impossible date is dropped.
  EXPECT_TRUE(Chrono::strict().parse(u"morgen", ref).empty());
  EXPECT_TRUE(Chrono::strict().parse(u"nächsten Dienstag", ref).empty());
  EXPECT_TRUE(Chrono::strict().parse(u"am 30. Februar 2024", ref).empty());
}

// Restores the preferred language after each test.
class DEPreferredLanguageTest : public ::testing::Test {
 protected:
  void TearDown() override { Chrono::setPreferredLanguage(std::nullopt); }
  ScopedTimeZone zone_{"Europe/Berlin"};
  Date ref_ = localDate(2024, 3, 13, 10, 0);  // a Wednesday
};

TEST_F(DEPreferredLanguageTest, EnglishPreferredStillReadsAGermanOnlyLine) {
  Chrono::setPreferredLanguage(Language::english);
  const auto results = Chrono::casual().parse(u"Zahnarzt morgen um 17 Uhr", ref_);
  EXPECT_EQ(texts(results), std::vector<std::u16string>{u"morgen um 17 Uhr"});
  // "do" is a German Thursday; it is read when English finds nothing, and only then.
  EXPECT_EQ(texts(Chrono::casual().parse(u"do laundry", ref_)), std::vector<std::u16string>{u"do"});
  EXPECT_EQ(texts(Chrono::casual().parse(u"do laundry tomorrow", ref_)), std::vector<std::u16string>{u"tomorrow"});
}

TEST_F(DEPreferredLanguageTest, GermanPreferredRunsWithEnglishInTheFirstPass) {
  Chrono::setPreferredLanguage(Language::german);
  EXPECT_EQ(texts(Chrono::casual().parse(u"do laundry tomorrow", ref_)),
            (std::vector<std::u16string>{u"do", u"tomorrow"}));
  Chrono::setPreferredLanguage(std::nullopt);
  EXPECT_EQ(texts(Chrono::casual().parse(u"do laundry tomorrow", ref_)),
            (std::vector<std::u16string>{u"do", u"tomorrow"}));
}

}  // namespace
}  // namespace zarvo::chrono
