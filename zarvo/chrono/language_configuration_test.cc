// The ready configurations read to-do lines in every language: what the parsers and the refiners make
// of them together, alone and beside other languages; the passes a preferred language makes; what the
// strict configuration keeps. Positions count UTF-16 code units.
#include <gtest/gtest.h>

#include "zarvo/chrono/chrono.h"
#include "zarvo/chrono/test_util.h"

namespace zarvo::chrono {
namespace {

using namespace testing;
using U = ComponentUnit;

// Monday 11 March 2024, 10:00.
const LocalTime kMonday{2024, 3, 11, 10, 0};
const LocalTime kDecember{2024, 12, 2, 10, 0};

// `rows` read in `zone`; a row left at PhraseRow's reference (1 January 2024) is read on kMonday.
std::vector<PhraseRow> in(const char* zone, std::vector<PhraseRow> rows) {
  for (PhraseRow& row : rows) {
    row.zone = zone;
    if (row.ref.year == 2024 && row.ref.month == 1 && row.ref.day == 1) row.ref = kMonday;
  }
  return rows;
}

// `m` with a clock as the Chinese time parser states it (no second), and as a merge states it.
ComponentMap clock(ComponentMap m, int64_t hour, int64_t minute, std::optional<int64_t> meridiem = std::nullopt) {
  m.set(U::hour, hour);
  m.set(U::minute, minute);
  if (meridiem) m.set(U::meridiem, *meridiem);
  return m;
}
ComponentMap withClock(ComponentMap m, int64_t hour, int64_t minute, std::optional<int64_t> meridiem = std::nullopt) {
  m = clock(std::move(m), hour, minute, meridiem);
  m.set(U::second, 0);
  return m;
}

// Restores the preferred language after each test.
class PreferenceRestored {
 public:
  ~PreferenceRestored() { Chrono::setPreferredLanguage(std::nullopt); }
};

// With no preferred language every parser runs.
class ConfigurationLineTest : public ::testing::TestWithParam<PhraseRow> {};
TEST_P(ConfigurationLineTest, ReadsOneResult) { checkCasualRow(GetParam()); }

// Read with English preferred, as quick entry reads: the other languages run only where English finds
// nothing (their day-first numeric dates would otherwise take "3/12 10:30").
class EnglishFirstLineTest : public ::testing::TestWithParam<PhraseRow> {
  PreferenceRestored restore_;
};
TEST_P(EnglishFirstLineTest, ReadsOneResult) {
  Chrono::setPreferredLanguage(Language::english);
  checkCasualRow(GetParam());
}

INSTANTIATE_TEST_SUITE_P(EnglishLines, ConfigurationLineTest, ::testing::ValuesIn(in("UTC", {
    {.text = u"call mom tomorrow at 5pm", .index = 9, .phrase = u"tomorrow at 5pm",
     .known = withClock(march(12), 17, 0, 1)},
    {.text = u"at 5pm tomorrow: call mom", .phrase = u"at 5pm tomorrow", .known = withClock(march(12), 17, 0, 1)},
    {.text = u"pay rent today, 10:30", .index = 9, .phrase = u"today, 10:30", .known = withClock(march(11), 10, 30)},
    {.text = u"party tonight at 9", .index = 6, .phrase = u"tonight at 9", .known = withClock(march(11), 21, 0)},
    {.text = u"tomorrow evening drinks", .phrase = u"tomorrow evening", .known = withClock(march(12), 18, 0)},
    {.text = u"tomorrow evening drinks", .phrase = u"tomorrow evening",
     .known = withClock(march(12), 20, 0), .opt = {{OptionType::evening, 20}}},
    // With no preferred language every parser runs, and the Chinese time pattern also takes the
    // blanks before a clock, so its reading starts one position earlier and outlasts the English one.
    {.text = u"standup 9:15 tomorrow", .index = 7, .phrase = u" 9:15 tomorrow", .known = withClock(march(12), 9, 15)},
    {.text = u"shift tomorrow 10pm - 2", .index = 6, .phrase = u"tomorrow 10pm - 2",
     .known = withClock(march(12), 22, 0, 1),
     .endKnown = withClock(march(13), 2, 0)},
    {.text = u"webinar 5pm PST", .index = 8, .phrase = u"5pm PST",
     .known = {{U::hour, 17}, {U::minute, 0}, {U::meridiem, 1}, {U::timeZoneOffset, -480}}, .implied = march(11)},
    {.text = u"webinar 5pm (pst)", .index = 8, .phrase = u"5pm (pst)",
     .known = {{U::hour, 17}, {U::minute, 0}, {U::meridiem, 1}, {U::timeZoneOffset, -480}}},
    {.text = u"call 10am GMT+0200", .index = 5, .phrase = u"10am GMT+0200",
     .known = {{U::hour, 10}, {U::minute, 0}, {U::meridiem, 0}, {U::timeZoneOffset, 120}}},
    {.text = u"call 10am -0800", .index = 5, .phrase = u"10am -0800",
     .known = {{U::hour, 10}, {U::minute, 0}, {U::meridiem, 0}, {U::timeZoneOffset, -480}}},
    // An abbreviation is read even where a numeric offset without minutes is not.
    {.text = u"call 10am GMT+2", .index = 5, .phrase = u"10am GMT",
     .known = {{U::hour, 10}, {U::minute, 0}, {U::meridiem, 0}, {U::timeZoneOffset, 0}}},
    {.text = u"7 - 9pm EST", .phrase = u"7 - 9pm EST",
     .known = {{U::hour, 19}, {U::minute, 0}, {U::timeZoneOffset, -300}},
     .endKnown = ComponentMap{{U::hour, 21}, {U::minute, 0}, {U::meridiem, 1}, {U::timeZoneOffset, -300}}},
    // Both the casual-time and the time-expression parser read "noon"; overlap removal keeps the
    // first parser's, which only implies the hour.
    {.text = u"noon", .phrase = u"noon", .implied = march(11, {{U::hour, 12}})},
    {.text = u"buy milk", .found = false},
    {.text = u"read 1984 and room 101", .found = false},
    {.text = u"", .found = false}
})));

INSTANTIATE_TEST_SUITE_P(GermanLines, ConfigurationLineTest, ::testing::ValuesIn(in("Europe/Berlin", {
    {.text = u"Zahnarzt morgen um 17 Uhr", .index = 9, .phrase = u"morgen um 17 Uhr",
     .known = withClock(march(12), 17, 0, 1)},
    {.text = u"Arzt anrufen morgen um 5", .index = 13, .phrase = u"morgen um 5", .known = withClock(march(12), 5, 0)},
    {.text = u"nächsten Dienstag um 10:30", .phrase = u"nächsten Dienstag um 10:30",
     .known = withClock(march(19, {{U::weekday, 2}}), 10, 30)},
    // The date reads "12.03.2024 " with the blank after it, longer than the month-first English
    // reading of the same digits, so the German reading stays and takes the time.
    {.text = u"Abgabe 12.03.2024 um 10 Uhr", .index = 7, .phrase = u"12.03.2024 um 10 Uhr",
     .known = withClock(march(12), 10, 0)},
    {.text = u"Kino heute Abend", .index = 5, .phrase = u"heute Abend",
     .implied = march(11, {{U::hour, 18}, {U::meridiem, 1}})},
    {.text = u"Kino heute Abend", .index = 5, .phrase = u"heute Abend", .implied = march(11, {{U::hour, 20}}),
     .opt = {{OptionType::evening, 20}}},
    // "Morgen früh" is longer than "Morgen" (tomorrow) and "früh" read on their own.
    {.text = u"Morgen früh Brötchen holen", .phrase = u"Morgen früh", .implied = march(12, {{U::hour, 6}})},
    {.text = u"Montag Morgen Meeting", .phrase = u"Montag Morgen", .known = {{U::weekday, 1}},
     .implied = march(11, {{U::hour, 6}})},
    {.text = u"Termin um 17 Uhr MEZ", .index = 7, .phrase = u"um 17 Uhr",
     .known = {{U::hour, 17}, {U::minute, 0}, {U::meridiem, 1}}},
    // Only a number is left of these, which the configurations drop.
    {.text = u"1.5", .found = false},
    {.text = u"13.25", .found = false},
    {.text = u"1.1.20", .found = false},
    {.text = u"Tabletten 1.5 nehmen", .found = false}
})));

INSTANTIATE_TEST_SUITE_P(GermanRanges, ConfigurationLineTest, ::testing::ValuesIn(in("Europe/Berlin", {
    {.text = u"Sprechstunde 14:30 bis 16 Uhr", .index = 13, .phrase = u"14:30 bis 16 Uhr",
     .known = {{U::hour, 14}, {U::minute, 30}, {U::meridiem, 1}},
     .endKnown = ComponentMap{{U::hour, 16}, {U::minute, 0}, {U::meridiem, 1}}},
    {.text = u"Urlaub 3. bis 5. Mai", .index = 7, .phrase = u"3. bis 5. Mai", .known = {{U::month, 5}, {U::day, 3}},
     .endKnown = ComponentMap{{U::month, 5}, {U::day, 5}}},
    {.text = u"Montag bis Freitag", .ref = {2024, 3, 13, 10, 0}, .phrase = u"Montag bis Freitag",
     .known = {{U::weekday, 1}}, .implied = march(11), .endKnown = ComponentMap{{U::weekday, 5}},
     .endImplied = march(15)},
    // German dates joined by English words, and the reverse: the refiners look at results of any
    // language.
    {.text = u"3. Mai to 7. Mai", .phrase = u"3. Mai to 7. Mai", .known = {{U::month, 5}, {U::day, 3}},
     .endKnown = ComponentMap{{U::month, 5}, {U::day, 7}}},
    {.text = u"May 3 bis May 7", .phrase = u"May 3 bis May 7", .known = {{U::month, 5}, {U::day, 3}},
     .endKnown = ComponentMap{{U::month, 5}, {U::day, 7}}}
})));

INSTANTIATE_TEST_SUITE_P(SpanishLines, ConfigurationLineTest, ::testing::ValuesIn(in("Europe/Madrid", {
    {.text = u"Llamar a mamá mañana a las 5 pm", .index = 14, .phrase = u"mañana a las 5 pm",
     .known = withClock(march(12), 17, 0, 1)},
    {.text = u"correr mañana por la mañana", .index = 7, .phrase = u"mañana por la mañana", .known = march(12),
     .implied = {{U::hour, 9}}},
    {.text = u"el próximo lunes a las 10", .index = 3, .phrase = u"próximo lunes a las 10",
     .known = withClock(march(18, {{U::weekday, 1}}), 10, 0)},
    {.text = u"entregar 15/03/2024", .index = 9, .phrase = u"15/03/2024", .known = march(15)},
    // The zone abbreviation is read only after English, French and Chinese times.
    {.text = u"reunión a las 5 pm CET", .index = 8, .phrase = u"a las 5 pm",
     .known = {{U::hour, 17}, {U::minute, 0}, {U::meridiem, 1}}},
    // The French range word "a" joins Spanish weekdays.
    {.text = u"lunes a viernes", .ref = {2024, 3, 13, 10, 0}, .phrase = u"lunes a viernes", .known = {{U::weekday, 1}},
     .implied = march(11), .endKnown = ComponentMap{{U::weekday, 5}}, .endImplied = march(15)},
    {.text = u"vacaciones del 3 al 5 de mayo", .index = 15, .phrase = u"3 al 5 de mayo",
     .known = {{U::month, 5}, {U::day, 3}}, .endKnown = ComponentMap{{U::month, 5}, {U::day, 5}}}
})));

INSTANTIATE_TEST_SUITE_P(FrenchLines, ConfigurationLineTest, ::testing::ValuesIn(in("Europe/Paris", {
    {.text = u"Rendez-vous demain à 9h", .index = 12, .phrase = u"demain à 9h", .known = withClock(march(12), 9, 0)},
    {.text = u"Appeler le garage demain à 17h", .index = 18, .phrase = u"demain à 17h",
     .known = withClock(march(12), 17, 0, 1)},
    {.text = u"courir demain matin", .index = 7, .phrase = u"demain matin", .known = march(12),
     .implied = {{U::hour, 8}}},
    {.text = u"réunion lundi prochain à 10h", .index = 8, .phrase = u"lundi prochain à 10h",
     .known = withClock(march(18, {{U::weekday, 1}}), 10, 0)},
    // "vers" joins a date and a time only for the French merger.
    {.text = u"passer demain vers 17h", .index = 7, .phrase = u"demain vers 17h",
     .known = withClock(march(12), 17, 0, 1)},
    {.text = u"visio à 17h CET", .index = 6, .phrase = u"à 17h CET",
     .known = {{U::hour, 17}, {U::minute, 0}, {U::meridiem, 1}, {U::timeZoneOffset, 60}}},
    // Day-first dates test the shape of a version number on the whole match, trailing character
    // included: " 1.2." is not "1.2", so the first two numbers are read as 1 February.
    {.text = u"mettre à jour version 1.2.3", .index = 22, .phrase = u"1.2.",
     .known = {{U::year, 2024}, {U::month, 2}, {U::day, 1}}},
    {.text = u"prendre 1.5 comprimé", .found = false}
})));

INSTANTIATE_TEST_SUITE_P(FrenchRanges, ConfigurationLineTest, ::testing::ValuesIn(in("Europe/Paris", {
    {.text = u"congés du 3 au 5 mai", .index = 10, .phrase = u"3 au 5 mai", .known = {{U::month, 5}, {U::day, 3}},
     .endKnown = ComponentMap{{U::month, 5}, {U::day, 5}}},
    {.text = u"permanence de 9h à 11h", .index = 14, .phrase = u"9h à 11h", .known = {{U::hour, 9}, {U::minute, 0}},
     .endKnown = ComponentMap{{U::hour, 11}, {U::minute, 0}}},
    {.text = u"3 mai - 7 mai", .phrase = u"3 mai - 7 mai", .known = {{U::month, 5}, {U::day, 3}},
     .endKnown = ComponentMap{{U::month, 5}, {U::day, 7}}}
})));

INSTANTIATE_TEST_SUITE_P(JapaneseAndChineseLines, ConfigurationLineTest, ::testing::ValuesIn(in("UTC", {
    // Japanese and Chinese casual parsers both read 明日; the Chinese pattern also takes the blanks
    // after it, so its longer reading wins.
    {.text = u"明日 歯医者", .phrase = u"明日 ", .known = march(12), .implied = {{U::hour, 12}}},
    // Alone, at equal length, the Japanese reading comes first in the list and wins.
    {.text = u"歯医者は明日", .index = 4, .phrase = u"明日", .known = march(12)},
    {.text = u"下星期一 交報告", .phrase = u"下星期一", .known = march(18, {{U::weekday, 1}})},
    // A day word before a clock is part of the Chinese time phrase; a weekday or a date and a clock
    // side by side are joined by the date-time merge, which also fixes the second.
    {.text = u"歯医者 明日 10時", .index = 4, .phrase = u"明日 10時", .known = clock(march(12), 10, 0)},
    {.text = u"交報告 下星期一下午三點", .index = 4, .phrase = u"下星期一下午三點",
     .known = withClock(march(18, {{U::weekday, 1}}), 15, 0, 1)},
    {.text = u"12月25日下午三點 聖誕晚餐", .ref = kDecember, .phrase = u"12月25日下午三點 ",
     .known = withClock({{U::month, 12}, {U::day, 25}}, 15, 0, 1), .implied = {{U::year, 2024}}},
    // The longer reading of a clock with its day words outlasts the casual reading of 明天下午.
    {.text = u"明天下午3點半 開會", .phrase = u"明天下午3點半 ", .known = clock(march(12), 15, 30, 1)},
    {.text = u"平成28年12月25日", .phrase = u"平成28年12月25日", .known = {{U::year, 2016}, {U::month, 12}, {U::day, 25}}}
})));

INSTANTIATE_TEST_SUITE_P(JapaneseAndChineseRanges, ConfigurationLineTest, ::testing::ValuesIn(in("UTC", {
    // から joins two dates into a range, with or without blanks, in either order.
    {.text = u"12月25日から12月27日", .ref = kDecember, .phrase = u"12月25日から12月27日", .known = {{U::month, 12}, {U::day, 25}},
     .implied = {{U::year, 2024}}, .endKnown = ComponentMap{{U::month, 12}, {U::day, 27}}},
    // After a blank the Chinese date reading, which takes the blank, outlasts the Japanese one.
    {.text = u"旅行 12月27日 から 12月25日", .ref = kDecember, .index = 2, .phrase = u" 12月27日 から 12月25日",
     .known = {{U::month, 12}, {U::day, 25}}, .endKnown = ComponentMap{{U::month, 12}, {U::day, 27}}},
    {.text = u"今日から明日", .phrase = u"今日から明日", .known = march(11), .endKnown = march(12)},
    {.text = u"2016年12月25日ー2017年1月3日", .phrase = u"2016年12月25日ー2017年1月3日",
     .known = {{U::year, 2016}, {U::month, 12}, {U::day, 25}},
     .endKnown = ComponentMap{{U::year, 2017}, {U::month, 1}, {U::day, 3}}},
    {.text = u"下午三點到五點PM", .phrase = u"下午三點到五點PM", .known = clock({}, 15, 0, 1), .implied = march(11),
     .endKnown = ComponentMap{{U::hour, 17}, {U::minute, 0}, {U::meridiem, 1}}}
})));

INSTANTIATE_TEST_SUITE_P(MixedScripts, ConfigurationLineTest, ::testing::ValuesIn(in("UTC", {
    // Positions count UTF-16 code units: an emoji outside the BMP is two, a kanji one.
    {.text = u"🎂 明天下午 生日派對", .index = 3, .phrase = u"明天下午", .known = march(12),
     .implied = {{U::hour, 15}, {U::meridiem, 1}}},
    {.text = u"Call 媽媽 明天 5pm 👍", .index = 8, .phrase = u"明天 5pm", .known = withClock(march(12), 17, 0, 1)},
    {.text = u"👍👍 明天 5pm", .index = 5, .phrase = u"明天 5pm", .known = withClock(march(12), 17, 0, 1)},
    {.text = u"👨‍👩‍👧 家族写真 12月25日", .ref = kDecember, .index = 13, .phrase = u" 12月25日",
     .known = {{U::month, 12}, {U::day, 25}}},
    {.text = u"Zahnarzt 🦷 明日", .index = 12, .phrase = u"明日", .known = march(12)}
})));

INSTANTIATE_TEST_SUITE_P(EnglishDateAndTime, EnglishFirstLineTest, ::testing::ValuesIn(in("Europe/Berlin", {
    {.text = u"next friday at 5pm", .phrase = u"next friday at 5pm",
     .known = withClock(march(22, {{U::weekday, 5}}), 17, 0, 1)},
    {.text = u"dentist March 12 at 10:30", .index = 8, .phrase = u"March 12 at 10:30",
     .known = {{U::month, 3}, {U::day, 12}, {U::hour, 10}, {U::minute, 30}, {U::second, 0}},
     .implied = {{U::year, 2024}}},
    {.text = u"call mom 3/12 10:30", .index = 9, .phrase = u"3/12 10:30", .known = withClock(march(12), 10, 30)},
    {.text = u"in 3 days at 5pm", .phrase = u"in 3 days at 5pm", .known = withClock(march(14), 17, 0, 1)},
    // The time expression parser does not read the time out of an ISO timestamp.
    {.text = u"report due 2024-03-12T10:30:00+09:00", .index = 11, .phrase = u"2024-03-12T10:30:00+09:00",
     .known = march(12, {{U::hour, 10}, {U::minute, 30}, {U::second, 0}, {U::timeZoneOffset, 540}})},
    {.text = u"Tue 12 March 2024 at 9am PST", .phrase = u"Tue 12 March 2024 at 9am PST",
     .known = march(12, {{U::weekday, 2}, {U::hour, 9}, {U::minute, 0}, {U::second, 0}, {U::meridiem, 0},
                         {U::timeZoneOffset, -480}})}
})));

INSTANTIATE_TEST_SUITE_P(EnglishRanges, EnglishFirstLineTest, ::testing::ValuesIn(in("Europe/Berlin", {
    {.text = u"tomorrow 9am - 11am", .phrase = u"tomorrow 9am - 11am", .known = withClock(march(12), 9, 0, 0),
     .endKnown = withClock(march(12), 11, 0, 0)},
    // The time parser also reads "5 - 7" as a clock range; overlap removal keeps the longer date.
    {.text = u"5 - 7 Jan", .phrase = u"5 - 7 Jan", .known = {{U::month, 1}, {U::day, 5}}, .implied = {{U::year, 2024}},
     .endKnown = ComponentMap{{U::month, 1}, {U::day, 7}}, .endImplied = {{U::year, 2024}}},
    {.text = u"ski trip 5 - 7 Jan", .ref = {2024, 12, 20, 9, 0}, .index = 9, .phrase = u"5 - 7 Jan",
     .known = {{U::month, 1}, {U::day, 5}}, .implied = {{U::year, 2025}},
     .endKnown = ComponentMap{{U::month, 1}, {U::day, 7}}, .endImplied = {{U::year, 2025}}},
    {.text = u"5 - 7 Jan at 10am", .phrase = u"5 - 7 Jan at 10am",
     .known = {{U::month, 1}, {U::day, 5}, {U::hour, 10}, {U::minute, 0}, {U::second, 0}, {U::meridiem, 0}},
     .endKnown = ComponentMap{{U::month, 1}, {U::day, 7}, {U::hour, 10}, {U::minute, 0}, {U::second, 0},
                              {U::meridiem, 0}}},
    {.text = u"March 5 - March 7", .phrase = u"March 5 - March 7", .known = {{U::month, 3}, {U::day, 5}},
     .endKnown = ComponentMap{{U::month, 3}, {U::day, 7}}},
    {.text = u"meet 12/25 - 12/27", .index = 5, .phrase = u"12/25 - 12/27",
     .known = {{U::year, 2024}, {U::month, 12}, {U::day, 25}},
     .endKnown = ComponentMap{{U::year, 2024}, {U::month, 12}, {U::day, 27}}},
    // On a Monday the nearest Friday is the one just past, so the range runs from it to today.
    {.text = u"Monday to Friday", .phrase = u"Monday to Friday", .known = {{U::weekday, 5}}, .implied = march(8),
     .endKnown = ComponentMap{{U::weekday, 1}}, .endImplied = march(11)},
    {.text = u"next friday 5pm - 7pm", .phrase = u"next friday 5pm - 7pm",
     .known = withClock(march(22, {{U::weekday, 5}}), 17, 0, 1),
     .endKnown = withClock(march(22, {{U::weekday, 5}}), 19, 0, 1)}
})));

INSTANTIATE_TEST_SUITE_P(EnglishSpecificDates, EnglishFirstLineTest, ::testing::ValuesIn(in("Europe/Berlin", {
    // A relative phrase gives way to the specific date beside it when they agree on what both state.
    {.text = u"next year (March 12, 2025)", .phrase = u"next year (March 12, 2025",
     .known = {{U::year, 2025}, {U::month, 3}, {U::day, 12}}},
    {.text = u"next month, 3/12/2024", .ref = {2024, 2, 10, 10, 0}, .phrase = u"next month, 3/12/2024",
     .known = march(12)},
    // A week phrase knows nothing, so the date-time merger takes the pair first and fixes the time.
    {.text = u"last week on 2024/3/5", .phrase = u"last week on 2024/3/5", .known = withClock(march(5), 12, 0)}
})));

INSTANTIATE_TEST_SUITE_P(EnglishAlone, EnglishFirstLineTest, ::testing::ValuesIn(in("Europe/Berlin", {
    {.text = u"1/2/3/4", .index = 4, .phrase = u"3/4", .known = march(4)},
    {.text = u"sync 2 weeks ago", .index = 5, .phrase = u"2 weeks ago",
     .implied = {{U::year, 2024}, {U::month, 2}, {U::day, 26}, {U::weekday, 1}}},
    {.text = u"v1.2.3 released", .found = false}
})));

TEST(ConfigurationTest, TheMergersOfEachLanguageJoinPhrasesOfAnyLanguage) {
  struct Row {
    const char16_t* line;
    std::vector<TagUnit> tags;
  };
  const Row rows[] = {
      // The English date-time merger comes first in the list and takes a bare blank; "nach" is German only.
      {u"morgen at 5pm", {TagUnit::enMergeDateAndTimeRefiner, TagUnit::deCasualDateParser}},
      {u"tomorrow nach 17 Uhr", {TagUnit::deMergeDateAndTimeRefiner}},
      {u"3. Mai bis 7. Mai", {TagUnit::deMergeDateRangeRefiner}},
      {u"lundi à vendredi", {TagUnit::frMergeDateRangeRefiner, TagUnit::frWeekdayParser}},
      {u"demain vers 17h", {TagUnit::frMergeDateAndTimeRefiner}},
  };
  ScopedTimeZone zone("Europe/Berlin");
  for (const Row& row : rows) {
    const auto results = Chrono::casual().parse(std::u16string_view(row.line), kMonday.in());
    ASSERT_EQ(results.size(), 1u) << platform::toUtf8(row.line);
    for (const TagUnit tag : row.tags) {
      EXPECT_TRUE(results[0].tags().isTrue(tag)) << platform::toUtf8(row.line) << " " << name(tag);
    }
  }
  EXPECT_EQ(iso(Chrono::casual().parse(u"tomorrow nach 17 Uhr", kMonday.in())[0].start().moment()),
            "2024-03-12T17:00:00.000+01:00");
}

TEST(ConfigurationTest, NumericDatesWithoutAnythingAfterThemReadMonthFirst) {
  // At the end of a line both readings of "12.03.2024" are equally long, and the English parser comes
  // first: the configurations read 3 December. Within a line the German reading is longer (it keeps
  // the character after it) and wins.
  ScopedTimeZone zone("Europe/Berlin");
  const auto atEnd = Chrono::casual().parse(u"Abgabe 12.03.2024", kMonday.in());
  ASSERT_EQ(atEnd.size(), 1u);
  EXPECT_TRUE(atEnd[0].tags().isTrue(TagUnit::enSlashDateFormatParser));
  EXPECT_EQ(atEnd[0].start()[U::month], 12);
  const auto within = Chrono::casual().parse(u"Abgabe 12.03.2024 Büro", kMonday.in());
  ASSERT_EQ(within.size(), 1u);
  EXPECT_EQ(within[0].start()[U::month], 3);
}

TEST(ConfigurationTest, ThePreferredLanguageRunsFirstAndTheOthersOnlyWhereItFindsNothing) {
  struct Row {
    std::optional<Language> preferred;
    const char16_t* line;
    std::vector<std::u16string> found;
  };
  const Row rows[] = {
      {Language::english, u"Zahnarzt morgen um 17 Uhr", {u"morgen um 17 Uhr"}},
      // "do" is a German Thursday; it is read when English finds nothing, and only then.
      {Language::english, u"do laundry", {u"do"}},
      {Language::english, u"do laundry tomorrow", {u"tomorrow"}},
      // German preferred runs with English in the first pass, as no preference does.
      {Language::german, u"do laundry tomorrow", {u"do", u"tomorrow"}},
      {std::nullopt, u"do laundry tomorrow", {u"do", u"tomorrow"}},
      // English reads "5 pm" on its own, so the Spanish parsers never run.
      {Language::english, u"Llamar a mamá mañana a las 5 pm", {u"5 pm"}},
      {Language::english, u"Llamar a mamá mañana a las 5", {u"mañana a las 5"}},
      {Language::spanish, u"Llamar a mamá mañana a las 5 pm", {u"mañana a las 5 pm"}},
      {Language::english, u"明日 歯医者", {u"明日 "}},
      {Language::english, u"下星期一 交報告", {u"下星期一"}},
      // One English phrase keeps the other languages out.
      {Language::english, u"明日 dentist at 5pm", {u"at 5pm"}},
  };
  ScopedTimeZone zone("Europe/Berlin");
  PreferenceRestored restore;
  for (const Row& row : rows) {
    Chrono::setPreferredLanguage(row.preferred);
    EXPECT_EQ(texts(Chrono::casual().parse(std::u16string_view(row.line), kMonday.in())), row.found)
        << platform::toUtf8(row.line);
  }
}

TEST(ConfigurationTest, StrictKeepsOnlyFormalPhrasesOfDatesThatExist) {
  struct Row {
    const char16_t* line;
    std::vector<std::u16string> strict;
    std::optional<std::vector<std::u16string>> casual = std::nullopt;
  };
  const Row rows[] = {
      {u"in 2 Tagen um 17 Uhr", {u"in 2 Tagen um 17 Uhr"}},
      {u"am 3. Mai 2024", {u"am 3. Mai 2024"}},
      {u"morgen", {}},
      {u"nächsten Dienstag", {}},
      {u"am 30. Februar 2024", {}},
      {u"二月三十日", {}, std::vector<std::u16string>{u"二月三十日"}},
      {u"二零二四年二月廿九日", {u"二零二四年二月廿九日"}},
      // Strict drops 31 February; what is left is the month-and-year reading after the slash, which
      // overlap removal had hidden behind the longer phrase in the casual configuration.
      {u"31/02/2024", {u"02/2024"}, std::vector<std::u16string>{u"31/02/2024"}},
      {u"next friday", {}},
      {u"in 2 weeks", {}},
      {u"in 2 days", {u"in 2 days"}},
      {u"March 12, 2024 at 10:30", {u"March 12, 2024 at 10:30"}},
  };
  ScopedTimeZone zone("Europe/Berlin");
  for (const Row& row : rows) {
    const std::u16string_view line(row.line);
    EXPECT_EQ(texts(Chrono::strict().parse(line, kMonday.in())), row.strict) << platform::toUtf8(line);
    if (row.casual) {
      EXPECT_EQ(texts(Chrono::casual().parse(line, kMonday.in())), *row.casual) << platform::toUtf8(line);
    }
  }
}

TEST(ConfigurationTest, StrictReadsTomorrowWithTheChineseRule) {
  // The strict configuration has no Japanese casual parser; the Chinese one reads 明日 too, and for
  // it tomorrow begins at 02:00 rather than 05:00.
  ScopedTimeZone zone("Asia/Tokyo");
  const Date night = localDate(2024, 3, 11, 3, 0);
  const auto casual = Chrono::casual().parse(u"明日", night);
  const auto strict = Chrono::strict().parse(u"明日", night);
  ASSERT_EQ(casual.size(), 1u);
  ASSERT_EQ(strict.size(), 1u);
  EXPECT_EQ(casual[0].start().knownValues().get(U::day), 11);
  EXPECT_TRUE(casual[0].tags().isTrue(TagUnit::jpCasualDateParser));
  EXPECT_EQ(strict[0].start().knownValues().get(U::day), 12);
  EXPECT_TRUE(strict[0].tags().isTrue(TagUnit::zhHantCasualDateParser));
}

TEST(ENDatesConfigurationTest, RelativeAndSpecificDatesThatDisagreeStaySeparate) {
  ScopedTimeZone zone("Europe/Berlin");
  // Next month from 11 March is April, which the date beside it does not name.
  const auto results = Chrono::casual().parse(u"next month, 3/12/2024", localDate(2024, 3, 11, 10, 0));
  EXPECT_EQ(texts(results), (std::vector<std::u16string>{u"next month", u"3/12/2024"}));
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

// A Date holds about 290,000 years either side of 1970. Far phrases (inputs the fuzzer found, a
// time capsule) are read exactly; phrases beyond a Date give its near end, never a date wrapped around
// into the range, and strict, which checks that the stated fields read back, does not take those for
// real dates.
TEST(ENDatesConfigurationTest, FarDatesAreExactAndDatesBeyondADateSaturate) {
  struct Row {
    const char16_t* text;
    const char* date;  // the casual reading; "max" or "min": a Date's end
    bool strictFinds;  // strict reads the whole phrase too
  };
  const Row rows[] = {
      {u"rwa 4048-04-01", "4048-04-01T12:00:00.000+02:00", true},
      {u"3/12/2300", "2300-03-12T12:00:00.000+01:00", true},
      {u"2424-03-11T11:30:00+01:00", "2424-03-11T11:30:00.000+01:00", true},
      {u"in 300 years", "2324-03-11T12:00:00.000+01:00", false},
      {u"in 9999999 hours", "3164-12-27T01:00:00.000+01:00", true},
      {u"in 8888888888888888888 weeks", "max", false},
      {u"8888888888888888888 weeks ago", "min", false},
      // ICU's month arithmetic wrapped this into the past.
      {u"in 999999999999 months", "max", false},
  };
  ScopedTimeZone zone("Europe/Berlin");
  const Date ref = localDate(2024, 3, 11, 10, 0);
  for (const Row& row : rows) {
    SCOPED_TRACE(platform::toUtf8(row.text));
    const auto casual = Chrono::casual().parse(std::u16string_view(row.text), ref);
    ASSERT_EQ(casual.size(), 1u);
    const Date date = casual[0].start().date();
    const std::string expected = row.date;
    if (expected == "max") {
      EXPECT_EQ(date, Date::max()) << iso(date);
    } else if (expected == "min") {
      EXPECT_EQ(date, Date::min()) << iso(date);
    } else {
      EXPECT_EQ(iso(date), expected);
    }
    // Strict may still find a shorter phrase inside (a day-first "04-01"), never the whole one of a
    // date beyond a Date.
    bool strictFindsWhole = false;
    for (const ParsedResult& r : Chrono::strict().parse(std::u16string_view(row.text), ref)) {
      strictFindsWhole = strictFindsWhole || r.text() == casual[0].text();
    }
    EXPECT_EQ(strictFindsWhole, row.strictFinds);
  }
}

}  // namespace
}  // namespace zarvo::chrono
