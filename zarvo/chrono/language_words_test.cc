// Every word of the date engine's word tables, written the way people write it: as listed, with a
// capital letter, and in capitals. Each is read by its language's parser the way the engine runs it
// (the prefilter included), in a phrase around it.
//
// What each word means is written here from the language, not read off the engine's tables; a table
// word missing here fails the test, so no word enters a table untested.
#include <unicode/uchar.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "zarvo/chrono/chrono.h"
#include "zarvo/chrono/de/de_deadline_format_parser.h"
#include "zarvo/chrono/de/de_month_name_little_endian_parser.h"
#include "zarvo/chrono/de/de_weekday_parser.h"
#include "zarvo/chrono/de/de_words.h"
#include "zarvo/chrono/en/en_deadline_format_parser.h"
#include "zarvo/chrono/en/en_month_name_little_endian_parser.h"
#include "zarvo/chrono/en/en_month_name_middle_endian_parser.h"
#include "zarvo/chrono/en/en_weekday_parser.h"
#include "zarvo/chrono/en/en_words.h"
#include "zarvo/chrono/es/es_deadline_format_parser.h"
#include "zarvo/chrono/es/es_month_name_little_endian_parser.h"
#include "zarvo/chrono/es/es_weekday_parser.h"
#include "zarvo/chrono/es/es_words.h"
#include "zarvo/chrono/fr/fr_deadline_format_parser.h"
#include "zarvo/chrono/fr/fr_month_name_little_endian_parser.h"
#include "zarvo/chrono/fr/fr_weekday_parser.h"
#include "zarvo/chrono/fr/fr_words.h"
#include "zarvo/chrono/ja/jp_util.h"
#include "zarvo/chrono/prefilter.h"
#include "zarvo/chrono/test_util.h"
#include "zarvo/chrono/zh/zh_words.h"

namespace zarvo::chrono {
namespace {

using namespace testing;
using U = ComponentUnit;

// Monday 11 March 2024, 10:00 UTC.
Date monday() { return utcDate(2024, 3, 11, 10); }

// Capitals by the simple, one-to-one case mapping: "ß" stays as it is (its full upper case, "SS", is
// not read back; see the German ordinals).
std::u16string upper(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) c = static_cast<char16_t>(u_toupper(c));
  return out;
}

std::u16string capitalised(std::u16string_view word) {
  std::u16string out(word);
  if (!out.empty()) out = upper(out.substr(0, 1)) + out.substr(1);
  return out;
}

std::vector<ParsedResult> readAsTheEngineDoes(const Parser& parser, std::u16string_view text, Date ref) {
  const PrefilterText summary(text);
  return parser.execute(text, ref, {}, &summary);
}

struct Word {
  std::u16string_view word;
  int64_t meaning;
  // A table word no pattern of its language admits: listed so the table stays covered, and expected
  // to read nothing until a pattern takes it.
  bool unread = false;
};

// One word table: the phrase around each word, the parser that reads it, and what the first result
// must know for a word meaning `meaning`.
struct Table {
  std::string name;
  const WordTable* engine;
  std::vector<Word> words;
  std::u16string_view before, after;
  std::shared_ptr<const Parser> parser;
  U unit;
  int64_t offset = 0;  // the unit's value is the word's meaning plus this
};

std::vector<Table> tables() {
  return {
      {"en weekdays", &en::weekdays(),
       {{u"sunday", 0}, {u"sun", 0}, {u"monday", 1}, {u"mon", 1}, {u"tuesday", 2}, {u"tue", 2}, {u"wednesday", 3},
        {u"wed", 3}, {u"thursday", 4}, {u"thurs", 4}, {u"thur", 4}, {u"thu", 4}, {u"friday", 5}, {u"fri", 5},
        {u"saturday", 6}, {u"sat", 6}},
       u"call on ", u" please", std::make_shared<ENWeekdayParser>(false), U::weekday},
      {"en months", &en::months(),
       {{u"january", 1}, {u"jan", 1}, {u"jan.", 1}, {u"february", 2}, {u"feb", 2}, {u"feb.", 2}, {u"march", 3},
        {u"mar", 3}, {u"mar.", 3}, {u"april", 4}, {u"apr", 4}, {u"apr.", 4}, {u"may", 5}, {u"june", 6}, {u"jun", 6},
        {u"jun.", 6}, {u"july", 7}, {u"jul", 7}, {u"jul.", 7}, {u"august", 8}, {u"aug", 8}, {u"aug.", 8},
        {u"september", 9}, {u"sep", 9}, {u"sep.", 9}, {u"sept", 9}, {u"sept.", 9}, {u"october", 10}, {u"oct", 10},
        {u"oct.", 10}, {u"november", 11}, {u"nov", 11}, {u"nov.", 11}, {u"december", 12}, {u"dec", 12},
        {u"dec.", 12}},
       u"due ", u" 5, 2024", std::make_shared<ENMonthNameMiddleEndianParser>(false), U::month},
      {"en ordinals", &en::ordinals(),
       {{u"first", 1}, {u"second", 2}, {u"third", 3}, {u"fourth", 4}, {u"fifth", 5}, {u"sixth", 6}, {u"seventh", 7},
        {u"eighth", 8}, {u"ninth", 9}, {u"tenth", 10}, {u"eleventh", 11}, {u"twelfth", 12}, {u"thirteenth", 13},
        {u"fourteenth", 14}, {u"fifteenth", 15}, {u"sixteenth", 16}, {u"seventeenth", 17}, {u"eighteenth", 18},
        {u"nineteenth", 19}, {u"twentieth", 20}, {u"twenty first", 21}, {u"twenty-first", 21},
        {u"twenty second", 22}, {u"twenty third", 23}, {u"twenty fourth", 24}, {u"twenty fifth", 25},
        {u"twenty sixth", 26}, {u"twenty seventh", 27}, {u"twenty eighth", 28}, {u"twenty-ninth", 29},
        {u"twenty ninth", 29}, {u"thirtieth", 30}, {u"thirty first", 31}, {u"thirty-first", 31}},
       u"on the ", u" of march", std::make_shared<ENMonthNameLittleEndianParser>(false), U::day},
      {"en numbers", &en::integerWords(),
       {{u"one", 1}, {u"two", 2}, {u"three", 3}, {u"four", 4}, {u"five", 5}, {u"six", 6}, {u"seven", 7},
        {u"eight", 8}, {u"nine", 9}, {u"ten", 10}, {u"eleven", 11}, {u"twelve", 12}},
       u"in ", u" days", std::make_shared<ENDeadlineFormatParser>(false), U::day, 11},
      {"en articles", &en::articles(), {{u"a", 1}, {u"an", 1}}, u"in ", u" day",
       std::make_shared<ENDeadlineFormatParser>(false), U::day, 11},

      {"de weekdays", &de::weekdays(),
       {{u"sonntag", 0}, {u"so", 0}, {u"montag", 1}, {u"mo", 1}, {u"dienstag", 2}, {u"di", 2}, {u"mittwoch", 3},
        {u"mi", 3}, {u"donnerstag", 4}, {u"do", 4}, {u"freitag", 5}, {u"fr", 5}, {u"samstag", 6}, {u"sa", 6}},
       u"Treffen am ", u" im Büro", std::make_shared<DEWeekdayParser>(false), U::weekday},
      {"de months", &de::months(),
       {{u"januar", 1}, {u"jan", 1}, {u"jan.", 1}, {u"februar", 2}, {u"feb", 2}, {u"feb.", 2}, {u"märz", 3},
        {u"mär", 3}, {u"mär.", 3}, {u"april", 4}, {u"apr", 4}, {u"apr.", 4}, {u"mai", 5}, {u"juni", 6}, {u"jun", 6},
        {u"jun.", 6}, {u"juli", 7}, {u"jul", 7}, {u"jul.", 7}, {u"august", 8}, {u"aug", 8}, {u"aug.", 8},
        {u"september", 9}, {u"sep", 9}, {u"sep.", 9}, {u"sept", 9}, {u"sept.", 9}, {u"oktober", 10}, {u"okt", 10},
        {u"okt.", 10}, {u"november", 11}, {u"nov", 11}, {u"nov.", 11}, {u"dezember", 12}, {u"dez", 12},
        {u"dez.", 12}},
       u"Abgabe am 5. ", u" 2024", std::make_shared<DEMonthNameLittleEndianParser>(false), U::month},
      {"de ordinals", &de::ordinals(),
       {{u"erste", 1}, {u"zweite", 2}, {u"dritte", 3}, {u"vierte", 4}, {u"fünfte", 5}, {u"sechste", 6},
        {u"siebte", 7}, {u"achte", 8}, {u"neunte", 9}, {u"zehnte", 10}, {u"elfte", 11}, {u"zwölfte", 12},
        {u"dreizehnte", 13}, {u"vierzehnte", 14}, {u"fünfzehnte", 15}, {u"sechzehnte", 16}, {u"siebzehnte", 17},
        {u"achtzehnte", 18}, {u"neunzehnte", 19}, {u"zwanzigste", 20}, {u"einundzwanzigste", 21},
        {u"zweiundzwanzigste", 22}, {u"dreiundzwanzigste", 23}, {u"vierundzwanzigste", 24},
        {u"fünfundzwanzigste", 25}, {u"sechsundzwanzigste", 26}, {u"siebenundzwanzigste", 27},
        {u"achtundzwanzigste", 28}, {u"neunundzwanzigste", 29}, {u"dreißigste", 30}, {u"einunddreißigste", 31}},
       u"am ", u"n März", std::make_shared<DEMonthNameLittleEndianParser>(false), U::day},
      {"de numbers", &de::integerWords(),
       {{u"einen", 1}, {u"eine", 1}, {u"einer", 1}, {u"ein", 1}, {u"eines", 1}, {u"einem", 1}, {u"zwei", 2},
        {u"drei", 3}, {u"vier", 4}, {u"fünf", 5}, {u"sechs", 6}, {u"sieben", 7}, {u"acht", 8}, {u"neun", 9},
        {u"zehn", 10}, {u"elf", 11}, {u"zwölf", 12}},
       u"in ", u" Tagen", std::make_shared<DEDeadlineFormatParser>(false), U::day, 11},
      {"de articles", &de::articles(),
       {{u"einen", 1}, {u"eine", 1}, {u"einer", 1}, {u"ein", 1}, {u"eines", 1}, {u"einem", 1}},
       u"in ", u" Tag", std::make_shared<DEDeadlineFormatParser>(false), U::day, 11},

      {"es weekdays", &es::weekdays(),
       {{u"domingo", 0}, {u"dom", 0}, {u"lunes", 1}, {u"lun", 1}, {u"martes", 2}, {u"mar", 2}, {u"miércoles", 3},
        {u"miercoles", 3}, {u"mie", 3}, {u"jueves", 4}, {u"jue", 4}, {u"viernes", 5}, {u"vier", 5}, {u"vie", 5},
        {u"sábado", 6}, {u"sabado", 6}, {u"sab", 6}},
       u"reunión el ", u" en la oficina", std::make_shared<ESWeekdayParser>(false), U::weekday},
      {"es months", &es::months(),
       {{u"enero", 1}, {u"ene", 1}, {u"ene.", 1}, {u"febrero", 2}, {u"feb", 2}, {u"feb.", 2}, {u"marzo", 3},
        {u"mar", 3}, {u"mar.", 3}, {u"abril", 4}, {u"abr", 4}, {u"abr.", 4}, {u"mayo", 5}, {u"may", 5}, {u"may.", 5},
        {u"junio", 6}, {u"jun", 6}, {u"jun.", 6}, {u"julio", 7}, {u"jul", 7}, {u"jul.", 7}, {u"agosto", 8},
        {u"ago", 8}, {u"ago.", 8}, {u"septiembre", 9}, {u"sep", 9}, {u"sept", 9, true}, {u"sep.", 9}, {u"sept.", 9, true},
        {u"octubre", 10}, {u"oct", 10}, {u"oct.", 10}, {u"noviembre", 11}, {u"nov", 11}, {u"nov.", 11},
        {u"diciembre", 12}, {u"dic", 12}, {u"dic.", 12}},
       u"entrega el 5 de ", u" de 2024", std::make_shared<ESMonthNameLittleEndianParser>(false), U::month},
      {"es articles", es::amountWords().articles, {{u"un", 1}, {u"una", 1}}, u"dentro de ", u" día",
       std::make_shared<ESDeadlineFormatParser>(false), U::day, 11},

      {"fr weekdays", &fr::weekdays(),
       {{u"dimanche", 0}, {u"dim", 0}, {u"lundi", 1}, {u"lun", 1}, {u"mardi", 2}, {u"mar", 2}, {u"mercredi", 3},
        {u"mer", 3}, {u"jeudi", 4}, {u"jeu", 4}, {u"vendredi", 5}, {u"ven", 5}, {u"samedi", 6}, {u"sam", 6}},
       u"réunion ", u" au bureau", std::make_shared<FRWeekdayParser>(false), U::weekday},
      {"fr months", &fr::months(),
       {{u"janvier", 1}, {u"jan", 1}, {u"jan.", 1}, {u"février", 2}, {u"fév", 2}, {u"fév.", 2}, {u"mars", 3},
        {u"mar", 3, true}, {u"mar.", 3, true}, {u"avril", 4}, {u"avr", 4}, {u"avr.", 4}, {u"mai", 5}, {u"juin", 6},
        {u"jun", 6, true}, {u"juillet", 7}, {u"juil", 7}, {u"jul", 7, true}, {u"jul.", 7, true}, {u"août", 8},
        {u"aout", 8}, {u"septembre", 9}, {u"sep", 9, true}, {u"sep.", 9, true}, {u"sept", 9}, {u"sept.", 9},
        {u"octobre", 10}, {u"oct", 10}, {u"oct.", 10}, {u"novembre", 11}, {u"nov", 11}, {u"nov.", 11},
        {u"décembre", 12}, {u"déc", 12}, {u"déc.", 12}, {u"dec", 12, true}, {u"dec.", 12, true}},
       u"rendu le 5 ", u" 2024", std::make_shared<FRMonthNameLittleEndianParser>(false), U::month},
      {"fr numbers", &fr::integerWords(),
       {{u"un", 1}, {u"deux", 2}, {u"trois", 3}, {u"quatre", 4}, {u"cinq", 5}, {u"six", 6}, {u"sept", 7},
        {u"huit", 8}, {u"neuf", 9}, {u"dix", 10}, {u"onze", 11}, {u"douze", 12}, {u"treize", 13}},
       u"dans ", u" jours", std::make_shared<FRDeadlineFormatParser>(false), U::day, 11},
      {"fr articles", fr::amountWords().articles, {{u"une", 1}}, u"dans ", u" semaine",
       std::make_shared<FRDeadlineFormatParser>(false), U::day, 17},
  };
}

TEST(LanguageWordsTest, EveryTableWordIsListedHere) {
  for (const Table& t : tables()) {
    ASSERT_NE(t.engine, nullptr) << t.name;
    for (const auto& [word, value] : t.engine->entries()) {
      const bool listed = std::any_of(t.words.begin(), t.words.end(), [&](const Word& w) { return w.word == word; });
      EXPECT_TRUE(listed) << t.name << ": \"" << platform::toUtf8(word) << "\" has no meaning written in this test";
    }
  }
}

TEST(LanguageWordsTest, EveryWordReadsInEveryLetterCase) {
  const ScopedTimeZone utc("UTC");
  for (const Table& t : tables()) {
    for (const Word& w : t.words) {
      const std::u16string plain = std::u16string(t.before) + std::u16string(w.word) + std::u16string(t.after);
      const std::u16string titled =
          std::u16string(t.before) + capitalised(w.word) + std::u16string(t.after);
      for (const std::u16string& text : {plain, titled, upper(plain)}) {
        const auto results = readAsTheEngineDoes(*t.parser, text, monday());
        const std::string where = t.name + ": \"" + platform::toUtf8(text) + "\"";
        if (w.unread) {
          EXPECT_TRUE(results.empty() || results[0].start().get(t.unit) != w.meaning + t.offset)
              << where << " reads now: take it into the words read";
          continue;
        }
        if (results.empty()) {
          ADD_FAILURE() << where << " reads nothing";
          continue;
        }
        EXPECT_EQ(results[0].start().get(t.unit), std::optional<int64_t>(w.meaning + t.offset)) << where << " reads "
                                                                       << describe(results[0].start().knownValues());
      }
    }
  }
}

// ---- Japanese and Chinese: characters rather than words ----

std::optional<ParsedResult> firstCasual(std::u16string_view text, Date ref = monday()) {
  const auto results = Chrono::casual().parse(text, ref);
  if (results.empty()) return std::nullopt;
  return results.front();
}

std::string day(const std::optional<ParsedResult>& r) {
  if (!r) return "nothing";
  const Date d = r->start().date();
  return iso(d).substr(0, 16);
}

// Each full-width digit, as written in a date entirely in full-width digits: year 201N, day 1N.
TEST(LanguageWordsTest, EveryFullWidthDigitReadsInJapaneseDates) {
  const ScopedTimeZone utc("UTC");
  for (int digit = 0; digit <= 9; ++digit) {
    const char16_t d = static_cast<char16_t>(u'０' + digit);
    const std::u16string text = std::u16string(u"２０１") + d + u"年１月１" + d + u"日に提出";
    const auto r = firstCasual(text);
    EXPECT_EQ(day(r), iso(utcDate(2010 + digit, 1, 10 + digit, 12)).substr(0, 16)) << platform::toUtf8(text);
  }
  EXPECT_EQ(ja::toHalfWidthDigits(u"０１２３４５６７８９"), u"0123456789");
}

// The eras' first years: 昭和 began in 1926, 平成 in 1989.
TEST(LanguageWordsTest, EveryJapaneseEraCountsFromItsFirstYear) {
  const ScopedTimeZone utc("UTC");
  const std::pair<std::u16string_view, std::u16string_view> rows[] = {
      {u"昭和64年1月7日", u"1989-01-07"}, {u"平成31年4月30日", u"2019-04-30"}, {u"平成１２年１月１日", u"2000-01-01"}};
  for (const auto& [text, date] : rows) {
    EXPECT_EQ(day(firstCasual(text)).substr(0, 10), platform::toUtf8(date)) << platform::toUtf8(text);
  }
  for (const auto& [era, value] : ja::eraOffsets().entries()) {
    EXPECT_TRUE(era == u"昭和" || era == u"平成") << platform::toUtf8(era) << " has no first year written here";
  }
}

// Simplified and traditional forms, and Cantonese words, alike. On Friday 15 March 2024 a weekday
// without a word before it is the nearest one (Monday the 18th); "this" is this week's (the 11th).
TEST(LanguageWordsTest, EveryChineseWeekdayFormReadsWithEveryModifier) {
  const ScopedTimeZone utc("UTC");
  const Date friday = utcDate(2024, 3, 15, 10);
  const std::pair<std::u16string_view, int> modifiers[] = {
      {u"", 18}, {u"今", 11}, {u"這", 11}, {u"这", 11}, {u"呢", 11}, {u"上", 4}, {u"下", 18}};
  for (const auto& [modifier, monday] : modifiers) {
    for (std::u16string_view measure : {u"", u"個", u"个"}) {
      if (modifier.empty() && !measure.empty()) continue;
      for (std::u16string_view week : {u"星期", u"禮拜", u"礼拜"}) {
        const std::u16string text = std::u16string(u"开会") + std::u16string(modifier) + std::u16string(measure) +
                                    std::u16string(week) + u"一";
        EXPECT_EQ(day(firstCasual(text, friday)), iso(utcDate(2024, 3, monday, 12)).substr(0, 16))
            << platform::toUtf8(text);
      }
    }
  }
  // Each weekday character, Sunday as 日 and 天; the week runs Sunday to Saturday.
  const std::pair<std::u16string_view, int> weekdays[] = {{u"日", 10}, {u"天", 10}, {u"一", 11}, {u"二", 12},
                                                          {u"三", 13}, {u"四", 14}, {u"五", 15}, {u"六", 16}};
  for (const auto& [character, date] : weekdays) {
    const std::u16string text = u"这个星期" + std::u16string(character);
    EXPECT_EQ(day(firstCasual(text, friday)), iso(utcDate(2024, 3, date, 12)).substr(0, 16)) << platform::toUtf8(text);
  }
  for (const auto& [character, value] : zh::weekdayOffsets().entries()) {
    EXPECT_TRUE(std::any_of(std::begin(weekdays), std::end(weekdays), [&](const auto& w) { return w.first == character; }))
        << platform::toUtf8(character) << " is not read here";
  }
}

TEST(LanguageWordsTest, EveryChineseNumeralAndDayWordReads) {
  const ScopedTimeZone utc("UTC");
  const std::pair<std::u16string_view, std::u16string_view> rows[] = {
      {u"二零二四年三月五日", u"2024-03-05T12:00"},  // 零 zero, 二 two, 四 four
      {u"一月一日", u"2024-01-01T12:00"},           {u"六月七日", u"2024-06-07T12:00"},
      {u"八月九日", u"2024-08-09T12:00"},           {u"十月十日", u"2024-10-10T12:00"},
      {u"十二月卅一日", u"2024-12-31T12:00"},     {u"三月廿日", u"2024-03-20T12:00"},  // 廿 twenty
      {u"三月卅日", u"2024-03-30T12:00"},           // 卅 thirty
      {u"兩天後", u"2024-03-13T12:00"},             {u"两天后", u"2024-03-13T12:00"},
      {u"今天", u"2024-03-11T12:00"},               {u"今日", u"2024-03-11T12:00"},
      {u"明天", u"2024-03-12T12:00"},               {u"聽日", u"2024-03-12T12:00"},
      {u"昨天", u"2024-03-10T12:00"},               {u"尋日", u"2024-03-10T12:00"},
      {u"琴日", u"2024-03-10T12:00"},
      // Parts of the day with a clock time: morning and early morning before noon, afternoon and
      // evening after it.
      {u"明天上午八点", u"2024-03-12T08:00"},       {u"明天上晝八点", u"2024-03-12T08:00"},
      {u"明天早上八点", u"2024-03-12T08:00"},       {u"明天朝早八点", u"2024-03-12T08:00"},
      {u"明天凌晨三点", u"2024-03-12T03:00"},       {u"明天下午三点", u"2024-03-12T15:00"},
      {u"明天下晝三点", u"2024-03-12T15:00"},       {u"明天晏晝三点", u"2024-03-12T15:00"},
      {u"明天晚上八点", u"2024-03-12T20:00"},       {u"明早八点", u"2024-03-12T08:00"},
      {u"明朝八点", u"2024-03-12T08:00"},           {u"明晚八点", u"2024-03-12T20:00"},
  };
  for (const auto& [text, date] : rows) {
    EXPECT_EQ(day(firstCasual(text)), platform::toUtf8(date)) << platform::toUtf8(text);
  }
  // A part of the day alone: its hour lies in that part.
  const std::tuple<std::u16string_view, int, int> parts[] = {
      {u"上午", 5, 12}, {u"上晝", 5, 12}, {u"朝早", 5, 12}, {u"早上", 5, 12}, {u"凌晨", 0, 6},
      {u"中午", 11, 14}, {u"下午", 12, 18}, {u"下晝", 12, 18}, {u"晏晝", 12, 18}, {u"晚上", 18, 24},
      {u"夜晚", 18, 24}, {u"夜", 18, 24}};
  for (const auto& [part, from, to] : parts) {
    const auto r = firstCasual(u"明天" + std::u16string(part));
    ASSERT_TRUE(r) << platform::toUtf8(part);
    EXPECT_EQ(r->start().get(U::day), 12) << platform::toUtf8(part);
    const int64_t hour = r->start().get(U::hour).value_or(-1);
    EXPECT_TRUE(hour >= from && hour < to) << platform::toUtf8(part) << " at " << hour;
  }
  std::u16string numerals = u"零一二兩两三四五六七八九十廿卅";
  for (const auto& [character, value] : zh::numerals().entries()) {
    EXPECT_NE(numerals.find(character), std::u16string::npos) << platform::toUtf8(character) << " is not read here";
  }
}

}  // namespace
}  // namespace zarvo::chrono
