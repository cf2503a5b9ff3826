// The phrases of the extended configuration, every language's extra parsers in one table: each line is
// read by its language alone, as a reader choosing by evidence reads it, in Europe/Berlin.
#include <gtest/gtest.h>

#include "zarvo/chrono/calendar_fields.h"
#include "zarvo/chrono/chrono.h"
#include "zarvo/chrono/mode_option.h"
#include "zarvo/chrono/test_util.h"

namespace zarvo::chrono {
namespace {

using L = Language;

struct ExtendedRow {
  L language;
  const char* text;
  char ref;            // S Sunday 2026-12-06 14:50, W Wednesday 2026-12-09 10:00, M Monday 2026-12-07 00:30,
                       // N Tuesday 2026-11-10 12:00
  const char* phrase;  // the first result's text; nullptr when nothing is read
  const char* due;     // "2026-12-08", or "2026-12-08T15:30" when the hour is stated
};

void PrintTo(const ExtendedRow& row, std::ostream* os) { *os << row.text; }

Date referenceOf(char ref) {
  switch (ref) {
    case 'W': return testing::localDate(2026, 12, 9, 10, 0);
    case 'M': return testing::localDate(2026, 12, 7, 0, 30);
    case 'N': return testing::localDate(2026, 11, 10, 12, 0);
    default: return testing::localDate(2026, 12, 6, 14, 50);
  }
}

std::string dueOf(const ParsedComponents& start) {
  const CalendarFields f = calendarFields(start.date());
  char out[32];
  if (start.isCertain(ComponentUnit::hour)) {
    std::snprintf(out, sizeof out, "%04lld-%02lld-%02lldT%02lld:%02lld", static_cast<long long>(f.year),
                  static_cast<long long>(f.month), static_cast<long long>(f.day), static_cast<long long>(f.hour),
                  static_cast<long long>(f.minute));
  } else {
    std::snprintf(out, sizeof out, "%04lld-%02lld-%02lld", static_cast<long long>(f.year),
                  static_cast<long long>(f.month), static_cast<long long>(f.day));
  }
  return out;
}

constexpr ExtendedRow kRows[] = {
    // English: days two away, the short forms of tomorrow, a day of the month, ends and weekends,
    // distances from now, clock times with the part of the day.
    {L::english, "dentist the day after tomorrow", 'S', "the day after tomorrow", "2026-12-08"},
    {L::english, "day after tomorrow", 'M', "day after tomorrow", "2026-12-08"},
    {L::english, "the day before yesterday", 'S', "the day before yesterday", "2026-12-04"},
    {L::english, "buy milk tmrw", 'S', "tmrw", "2026-12-07"},
    {L::english, "dentist on the 15th", 'S', "on the 15th", "2026-12-15"},
    {L::english, "pay on the 1st", 'S', "on the 1st", "2027-01-01"},
    {L::english, "due the 6th", 'S', "the 6th", "2026-12-06"},
    {L::english, "rent the 31st", 'N', "the 31st", "2026-12-31"},
    {L::english, "write the first draft", 'S', nullptr, nullptr},
    {L::english, "end of month", 'S', "end of month", "2026-12-31"},
    {L::english, "by the end of next month", 'S', "the end of next month", "2027-01-31"},
    {L::english, "by the end of next month", 'N', "the end of next month", "2026-12-31"},
    {L::english, "end of the week", 'S', "end of the week", "2026-12-11"},
    {L::english, "end of the week", 'W', "end of the week", "2026-12-11"},
    {L::english, "EOY", 'S', "EOY", "2026-12-31"},
    {L::english, "this weekend", 'S', "this weekend", "2026-12-06"},
    {L::english, "next weekend", 'S', "next weekend", "2026-12-12"},
    {L::english, "over the weekend", 'W', "over the weekend", "2026-12-12"},
    {L::english, "next weekend", 'W', "next weekend", "2026-12-19"},
    {L::english, "renew domain 2 weeks from now", 'S', "2 weeks from now", "2026-12-20"},
    {L::english, "call at 5 in the afternoon", 'S', "at 5 in the afternoon", "2026-12-06T17:00"},
    {L::english, "8:30 in the morning", 'S', "8:30 in the morning", "2026-12-06T08:30"},
    {L::english, "11 at night", 'S', "11 at night", "2026-12-06T23:00"},
    {L::english, "12 at night", 'S', "12 at night", "2026-12-06T00:00"},
    // German.
    {L::german, "übermorgen", 'S', "übermorgen", "2026-12-08"},
    {L::german, "überübermorgen", 'S', "überübermorgen", "2026-12-09"},
    {L::german, "vorgestern", 'S', "vorgestern", "2026-12-04"},
    {L::german, "Reifen wechseln nächste Woche", 'S', "nächste Woche", "2026-12-13"},
    {L::german, "übernächste Woche", 'S', "übernächste Woche", "2026-12-20"},
    {L::german, "Termin nächsten Monat", 'S', "nächsten Monat", "2027-01-06"},
    {L::german, "Karten schreiben am 15.", 'S', "am 15.", "2026-12-15"},
    {L::german, "bis zum 3.", 'S', "bis zum 3.", "2027-01-03"},
    {L::german, "Geschenk am 20.12.", 'S', "am 20.12.", "2026-12-20"},
    {L::german, "Laptop 3.1.", 'S', "3.1.", "2027-01-03"},
    {L::german, "Ende des Monats", 'S', "Ende des Monats", "2026-12-31"},
    {L::german, "Ende nächsten Monats", 'S', "Ende nächsten Monats", "2027-01-31"},
    {L::german, "Ende der Woche", 'S', "Ende der Woche", "2026-12-11"},
    {L::german, "zum Jahresende", 'S', "Jahresende", "2026-12-31"},
    {L::german, "am Wochenende", 'S', "am Wochenende", "2026-12-06"},
    {L::german, "nächstes Wochenende", 'S', "nächstes Wochenende", "2026-12-12"},
    {L::german, "um halb vier", 'S', "um halb vier", "2026-12-06T03:30"},
    {L::german, "viertel nach acht", 'S', "viertel nach acht", "2026-12-06T08:15"},
    {L::german, "viertel vor neun", 'S', "viertel vor neun", "2026-12-06T08:45"},
    {L::german, "halb eins", 'S', "halb eins", "2026-12-06T12:30"},
    {L::german, "um 8 Uhr abends", 'S', "um 8 Uhr abends", "2026-12-06T20:00"},
    {L::german, "2 Uhr nachts", 'S', "2 Uhr nachts", "2026-12-06T02:00"},
    // Spanish.
    {L::spanish, "pasado mañana", 'S', "pasado mañana", "2026-12-08"},
    {L::spanish, "anteayer", 'S', "anteayer", "2026-12-04"},
    {L::spanish, "llamar pasado mañana por la tarde", 'S', "pasado mañana por la tarde", "2026-12-08"},
    {L::spanish, "renovar el DNI la semana que viene", 'S', "la semana que viene", "2026-12-13"},
    {L::spanish, "la próxima semana", 'S', "la próxima semana", "2026-12-13"},
    {L::spanish, "el mes que viene", 'S', "el mes que viene", "2027-01-06"},
    {L::spanish, "pagar el 5/1", 'S', "5/1", "2026-01-05"},
    {L::spanish, "el día 1", 'S', "el día 1", "2027-01-01"},
    {L::spanish, "cumpleaños el 18", 'S', "el 18", "2026-12-18"},
    {L::spanish, "pagar a fin de mes", 'S', "a fin de mes", "2026-12-31"},
    {L::spanish, "fin de año", 'S', "fin de año", "2026-12-31"},
    {L::spanish, "este fin de semana", 'S', "este fin de semana", "2026-12-06"},
    {L::spanish, "el próximo fin de semana", 'S', "el próximo fin de semana", "2026-12-12"},
    {L::spanish, "a las 5 de la tarde", 'S', "a las 5 de la tarde", "2026-12-06T17:00"},
    {L::spanish, "7 de la mañana", 'S', "7 de la mañana", "2026-12-06T07:00"},
    {L::spanish, "a las 11 de la noche", 'S', "a las 11 de la noche", "2026-12-06T23:00"},
    {L::spanish, "3 de la madrugada", 'S', "3 de la madrugada", "2026-12-06T03:00"},
    {L::spanish, "el lunes por la mañana", 'S', "lunes por la mañana", "2026-12-07T09:00"},
    {L::spanish, "en dos semanas", 'S', "en dos semanas", "2026-12-20"},
    {L::spanish, "dentro de una semana", 'S', "dentro de una semana", "2026-12-13"},
    {L::spanish, "en 3 meses", 'S', "en 3 meses", "2027-03-06"},
    // French.
    {L::french, "après-demain", 'S', "après-demain", "2026-12-08"},
    {L::french, "apres demain", 'S', "apres demain", "2026-12-08"},
    {L::french, "avant-hier", 'S', "avant-hier", "2026-12-04"},
    {L::french, "appeler après-demain après-midi", 'S', "après-demain après-midi", "2026-12-08"},
    {L::french, "la semaine prochaine", 'S', "la semaine prochaine", "2026-12-13"},
    {L::french, "le mois prochain", 'S', "le mois prochain", "2027-01-06"},
    {L::french, "le 1er", 'S', "le 1er", "2027-01-01"},
    {L::french, "le 15", 'S', "le 15", "2026-12-15"},
    {L::french, "appeler le 3 à 10h", 'S', "le 3 à 10h", "2027-01-03T10:00"},
    {L::french, "rdv le 15 à 14h30", 'S', "le 15 à 14h30", "2026-12-15T14:30"},
    {L::french, "payer le 5/1", 'S', "le 5/1", "2026-01-05"},
    {L::french, "à la fin du mois", 'S', "à la fin du mois", "2026-12-31"},
    {L::french, "en fin de semaine", 'S', "en fin de semaine", "2026-12-11"},
    {L::french, "fin d'année", 'S', "fin d'année", "2026-12-31"},
    {L::french, "ce week-end", 'S', "ce week-end", "2026-12-06"},
    {L::french, "le week-end prochain", 'S', "le week-end prochain", "2026-12-12"},
    {L::french, "8h du matin", 'S', "8h du matin", "2026-12-06T08:00"},
    {L::french, "à 3h de l'après-midi", 'S', "à 3h de l'après-midi", "2026-12-06T15:00"},
    {L::french, "9 heures du soir", 'S', "9 heures du soir", "2026-12-06T21:00"},
    {L::french, "samedi matin", 'S', "samedi matin", "2026-12-05T08:00"},
    // Japanese.
    {L::japanese, "明後日", 'S', "明後日", "2026-12-08"},
    {L::japanese, "しあさって", 'S', "しあさって", "2026-12-09"},
    {L::japanese, "一昨日", 'S', "一昨日", "2026-12-04"},
    {L::japanese, "来週の月曜日 会議", 'S', "来週の月曜日", "2026-12-14"},
    {L::japanese, "今週の土曜日", 'S', "今週の土曜日", "2026-12-12"},
    {L::japanese, "再来週の金曜日", 'S', "再来週の金曜日", "2026-12-25"},
    {L::japanese, "金曜", 'S', "金曜", "2026-12-04"},
    {L::japanese, "来週", 'S', "来週", "2026-12-13"},
    {L::japanese, "来月", 'S', "来月", "2027-01-06"},
    {L::japanese, "月末", 'S', "月末", "2026-12-31"},
    {L::japanese, "来月末", 'S', "来月末", "2027-01-31"},
    {L::japanese, "来月末", 'N', "来月末", "2026-12-31"},
    {L::japanese, "週末", 'S', "週末", "2026-12-06"},
    {L::japanese, "30分後", 'S', "30分後", "2026-12-06T15:20"},
    {L::japanese, "2時間後", 'S', "2時間後", "2026-12-06T16:50"},
    {L::japanese, "１週間後", 'S', "１週間後", "2026-12-13"},
    {L::japanese, "三日後", 'S', "三日後", "2026-12-09"},
    {L::japanese, "午後3時", 'S', "午後3時", "2026-12-06T15:00"},
    {L::japanese, "10時半", 'S', "10時半", "2026-12-06T10:30"},
    {L::japanese, "朝9時", 'S', "朝9時", "2026-12-06T09:00"},
    {L::japanese, "会議 14:30", 'S', "14:30", "2026-12-06T14:30"},
    {L::japanese, "20日にカードの支払い", 'S', "20日", "2026-12-20"},
    {L::japanese, "5日までに", 'S', "5日", "2027-01-05"},
    {L::japanese, "3日後", 'S', "3日後", "2026-12-09"},
    {L::japanese, "5日間の旅行", 'S', nullptr, nullptr},
    {L::japanese, "2時間", 'S', nullptr, nullptr},
    {L::japanese, "明日の午後3時に会議", 'S', "明日の午後3時", "2026-12-07T15:00"},
    {L::japanese, "明日の朝 ジョギング", 'S', "明日の朝", "2026-12-07T06:00"},
    {L::japanese, "朝ごはん", 'S', nullptr, nullptr},
    // Chinese.
    {L::chinese, "后天", 'S', "后天", "2026-12-08"},
    {L::chinese, "大後天", 'S', "大後天", "2026-12-09"},
    {L::chinese, "前天", 'S', "前天", "2026-12-04"},
    {L::chinese, "后天早上", 'S', "后天早上", "2026-12-08"},
    {L::chinese, "后天早上8点", 'S', "后天早上8点", "2026-12-08T08:00"},
    {L::chinese, "下个月 车辆年检", 'S', "下个月", "2027-01-06"},
    {L::chinese, "下周", 'S', "下周", "2026-12-13"},
    {L::chinese, "20号 还信用卡", 'S', "20号", "2026-12-20"},
    {L::chinese, "坐3号线", 'S', nullptr, nullptr},
    {L::chinese, "周五", 'S', "周五", "2026-12-04"},
    {L::chinese, "下周一", 'S', "下周一", "2026-12-14"},
    {L::chinese, "这周六", 'S', "这周六", "2026-12-12"},
    {L::chinese, "下下周一", 'S', "下下周一", "2026-12-21"},
    {L::chinese, "下星期五下午", 'S', "下星期五下午", "2026-12-18"},
    {L::chinese, "周五晚上7点半", 'S', "周五晚上7点半", "2026-12-04T19:30"},
    {L::chinese, "两周后", 'S', "两周后", "2026-12-20"},
    {L::chinese, "一周后", 'S', "一周后", "2026-12-13"},
    {L::chinese, "半周内", 'S', "半周内", "2026-12-10"},
    {L::chinese, "月底", 'S', "月底", "2026-12-31"},
    {L::chinese, "下个月底", 'S', "下个月底", "2027-01-31"},
    {L::chinese, "周末", 'S', "周末", "2026-12-06"},
};

class ExtendedConfigurationTest : public ::testing::TestWithParam<ExtendedRow> {
 protected:
  testing::ScopedTimeZone zone_{"Europe/Berlin"};
};

TEST_P(ExtendedConfigurationTest, ReadsWhatTheLanguageMeans) {
  const ExtendedRow& row = GetParam();
  ReaderOptions options;
  options.languageChoice = ReaderOptions::LanguageChoice::byEvidence;
  options.languages = std::set{row.language};
  static const ModeOptio extended = extendedCasualModeOption();
  const std::vector<ParsedResult> results = Chrono(extended, options).parse(std::string_view(row.text), referenceOf(row.ref));
  if (row.phrase == nullptr) {
    EXPECT_TRUE(results.empty()) << row.text << " read as " << platform::toUtf8(results.at(0).text());
    return;
  }
  ASSERT_FALSE(results.empty()) << row.text;
  EXPECT_EQ(platform::toUtf8(results[0].text()), row.phrase) << row.text;
  EXPECT_EQ(dueOf(results[0].start()), row.due) << row.text;
}

INSTANTIATE_TEST_SUITE_P(Rows, ExtendedConfigurationTest, ::testing::ValuesIn(kRows));

// The casual and strict configurations read none of these: the extra parsers are opt-in.
TEST(ExtendedConfiguration, LeavesTheCasualConfigurationAsItWas) {
  testing::ScopedTimeZone zone("Europe/Berlin");
  const Date ref = referenceOf('S');
  for (const char* text : {"übermorgen", "明後日", "后天", "on the 15th", "30分後", "周五"}) {
    EXPECT_TRUE(Chrono::casual().parse(std::string_view(text), ref).empty()) << text;
  }
  EXPECT_EQ(extendedCasualModeOption().refiners.size(), Chrono::casual().modeOption().refiners.size() + 1);
}

}  // namespace
}  // namespace zarvo::chrono
