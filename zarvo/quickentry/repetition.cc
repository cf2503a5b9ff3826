#include "zarvo/quickentry/repetition.h"

#include <unicode/uchar.h>

#include <array>
#include <vector>

#include "zarvo/chrono/word_table.h"
#include "zarvo/platform/date_calendar.h"
#include "zarvo/platform/text.h"

namespace zarvo::quickentry {

namespace {

using chrono::WordTable;

enum Frequency : int64_t { kDaily, kWeekdays, kWeekly, kBiweekly, kMonthly, kYearly };

// Unit words of every language, lower case, blanks single.
const WordTable& units() {
  static const WordTable table{
      // English
      {u"day", kDaily}, {u"days", kDaily}, {u"daily", kDaily}, {u"morning", kDaily}, {u"mornings", kDaily},
      {u"evening", kDaily}, {u"evenings", kDaily}, {u"night", kDaily}, {u"nights", kDaily}, {u"weekday", kWeekdays}, {u"weekdays", kWeekdays},
      {u"workday", kWeekdays}, {u"workdays", kWeekdays}, {u"business day", kWeekdays},
      {u"business days", kWeekdays}, {u"week", kWeekly}, {u"weeks", kWeekly}, {u"weekly", kWeekly},
      {u"biweekly", kBiweekly}, {u"fortnightly", kBiweekly}, {u"month", kMonthly}, {u"months", kMonthly},
      {u"monthly", kMonthly}, {u"year", kYearly}, {u"years", kYearly}, {u"yearly", kYearly}, {u"annually", kYearly},
      // German
      {u"tag", kDaily}, {u"tage", kDaily}, {u"täglich", kDaily}, {u"morgen", kDaily}, {u"abend", kDaily}, {u"werktag", kWeekdays}, {u"werktage", kWeekdays},
      {u"werktags", kWeekdays}, {u"woche", kWeekly}, {u"wochen", kWeekly}, {u"wöchentlich", kWeekly},
      {u"monat", kMonthly}, {u"monate", kMonthly}, {u"monatlich", kMonthly}, {u"jahr", kYearly},
      {u"jahre", kYearly}, {u"jährlich", kYearly},
      // Spanish
      {u"día", kDaily}, {u"días", kDaily}, {u"dia", kDaily}, {u"dias", kDaily}, {u"diariamente", kDaily},
      {u"mañana", kDaily}, {u"mañanas", kDaily}, {u"tarde", kDaily}, {u"tardes", kDaily}, {u"noche", kDaily},
      {u"noches", kDaily},
      {u"a diario", kDaily}, {u"días laborables", kWeekdays}, {u"dias laborables", kWeekdays},
      {u"días hábiles", kWeekdays}, {u"dias habiles", kWeekdays}, {u"semana", kWeekly}, {u"semanas", kWeekly},
      {u"semanalmente", kWeekly}, {u"mes", kMonthly}, {u"meses", kMonthly}, {u"mensualmente", kMonthly},
      {u"año", kYearly}, {u"años", kYearly}, {u"anualmente", kYearly},
      // French
      {u"jour", kDaily}, {u"jours", kDaily}, {u"quotidiennement", kDaily}, {u"matin", kDaily}, {u"matins", kDaily},
      {u"soir", kDaily}, {u"soirs", kDaily}, {u"jours ouvrables", kWeekdays},
      {u"jours ouvrés", kWeekdays}, {u"semaine", kWeekly}, {u"semaines", kWeekly}, {u"mois", kMonthly},
      {u"mensuellement", kMonthly}, {u"an", kYearly}, {u"ans", kYearly}, {u"année", kYearly},
      {u"années", kYearly}, {u"annuellement", kYearly},
      // Japanese
      {u"毎日", kDaily}, {u"毎朝", kDaily}, {u"毎晩", kDaily}, {u"平日", kWeekdays}, {u"毎平日", kWeekdays},
      {u"毎週", kWeekly}, {u"隔週", kBiweekly}, {u"週", kWeekly}, {u"週間", kWeekly}, {u"毎月", kMonthly},
      {u"か月", kMonthly}, {u"ヶ月", kMonthly}, {u"カ月", kMonthly}, {u"毎年", kYearly},
      // Chinese
      {u"每天", kDaily}, {u"每日", kDaily}, {u"每晚", kDaily}, {u"每早", kDaily}, {u"天", kDaily},
      {u"日", kDaily}, {u"工作日", kWeekdays}, {u"每个工作日", kWeekdays}, {u"每個工作日", kWeekdays},
      {u"每周", kWeekly}, {u"每週", kWeekly}, {u"每星期", kWeekly}, {u"每个星期", kWeekly},
      {u"每個星期", kWeekly}, {u"每礼拜", kWeekly}, {u"每禮拜", kWeekly}, {u"周", kWeekly}, {u"星期", kWeekly},
      {u"礼拜", kWeekly}, {u"禮拜", kWeekly}, {u"每月", kMonthly}, {u"每个月", kMonthly}, {u"每個月", kMonthly},
      {u"月", kMonthly}, {u"个月", kMonthly}, {u"個月", kMonthly}, {u"每年", kYearly}, {u"年", kYearly},
  };
  return table;
}

// Words for an interval.
const WordTable& counts() {
  static const WordTable table{
      {u"other", 2}, {u"second", 2}, {u"two", 2},  {u"three", 3}, {u"four", 4},  {u"five", 5}, {u"six", 6},
      {u"zweiten", 2}, {u"zweite", 2}, {u"dritten", 3}, {u"zwei", 2}, {u"drei", 3}, {u"vier", 4}, {u"fünf", 5},
      {u"sechs", 6}, {u"dos", 2}, {u"tres", 3}, {u"cuatro", 4}, {u"cinco", 5}, {u"seis", 6}, {u"deux", 2},
      {u"trois", 3}, {u"quatre", 4}, {u"cinq", 5},
      {u"一", 1}, {u"二", 2}, {u"两", 2}, {u"兩", 2}, {u"三", 3}, {u"四", 4}, {u"五", 5}, {u"六", 6},
  };
  return table;
}

// Weekday words of the languages written with spaces, singular and plural; 0 = Sunday.
const WordTable& latinWeekdays() {
  static const WordTable table{
      {u"sunday", 0}, {u"sundays", 0}, {u"sun", 0}, {u"monday", 1}, {u"mondays", 1}, {u"mon", 1},
      {u"tuesday", 2}, {u"tuesdays", 2}, {u"tue", 2}, {u"tues", 2}, {u"wednesday", 3}, {u"wednesdays", 3},
      {u"wed", 3}, {u"thursday", 4}, {u"thursdays", 4}, {u"thu", 4}, {u"thur", 4}, {u"thurs", 4},
      {u"friday", 5}, {u"fridays", 5}, {u"fri", 5}, {u"saturday", 6}, {u"saturdays", 6}, {u"sat", 6},
      {u"sonntag", 0}, {u"sonntags", 0}, {u"montag", 1}, {u"montags", 1}, {u"dienstag", 2}, {u"dienstags", 2},
      {u"mittwoch", 3}, {u"mittwochs", 3}, {u"donnerstag", 4}, {u"donnerstags", 4}, {u"freitag", 5},
      {u"freitags", 5}, {u"samstag", 6}, {u"samstags", 6},
      {u"domingo", 0}, {u"domingos", 0}, {u"lunes", 1}, {u"martes", 2}, {u"miércoles", 3}, {u"miercoles", 3},
      {u"jueves", 4}, {u"viernes", 5}, {u"sábado", 6}, {u"sábados", 6}, {u"sabado", 6}, {u"sabados", 6},
      {u"dimanche", 0}, {u"dimanches", 0}, {u"lundi", 1}, {u"lundis", 1}, {u"mardi", 2}, {u"mardis", 2},
      {u"mercredi", 3}, {u"mercredis", 3}, {u"jeudi", 4}, {u"jeudis", 4}, {u"vendredi", 5}, {u"vendredis", 5},
      {u"samedi", 6}, {u"samedis", 6},
  };
  return table;
}

const WordTable& japaneseWeekdays() {
  static const WordTable table{{u"日", 0}, {u"月", 1}, {u"火", 2}, {u"水", 3}, {u"木", 4}, {u"金", 5}, {u"土", 6}};
  return table;
}

const WordTable& chineseWeekdays() {
  static const WordTable table{{u"日", 0}, {u"天", 0}, {u"一", 1}, {u"二", 2}, {u"三", 3},
                               {u"四", 4}, {u"五", 5}, {u"六", 6}};
  return table;
}

enum class DayWords { none, latin, japanese, chinese };

// One way of writing a repetition: which groups of `pattern` hold the interval, the unit and the days.
struct Writing {
  std::u16string pattern;
  size_t count = 0;
  size_t unit = 0;
  size_t days = 0;
  DayWords dayWords = DayWords::none;
  int64_t countOffset = 0;  // 每隔一周: "every one week between" is every other week
  std::shared_ptr<const platform::Regex> regex = nullptr;  // `pattern`, compiled once
};

std::u16string latinDayList(std::u16string_view joiners) {
  const std::u16string day = latinWeekdays().alternation();
  return u"(" + day + u"(?:\\s*(?:,|" + std::u16string(joiners) + u")\\s*(?:(?:los|les)\\s+)?" + day + u")*)";
}

const std::vector<Writing>& writings() {
  static const std::vector<Writing> all = [] {
    const std::u16string b = u"(?<![\\w])";
    const std::u16string e = u"(?![\\w])";
    std::vector<Writing> w;
    // English
    w.push_back({b + u"(?:every|each)\\s+(?:(other|second|[0-9]+|two|three|four|five|six)\\s+)?(days?|weekdays?|"
                     u"workdays?|business\\s+days?|weeks?|months?|years?|mornings?|evenings?|nights?)" + e,
                 1, 2});
    w.push_back({b + u"(daily|weekly|biweekly|fortnightly|monthly|yearly|annually)" + e, 0, 1});
    w.push_back({b + u"(?:every|each)\\s+(?:(other|second)\\s+)?" + latinDayList(u"and|&") + e, 1, 0, 2,
                 DayWords::latin});
    w.push_back({b + u"on\\s+((?:sun|mon|tues|wednes|thurs|fri|satur)days(?:\\s*(?:,|and|&)\\s*"
                     u"(?:sun|mon|tues|wednes|thurs|fri|satur)days)*)" + e,
                 0, 0, 1, DayWords::latin});
    // German
    w.push_back({b + u"(?:jeden|jede|jedes|alle)\\s+(?:(zweiten?|dritten|[0-9]+|zwei|drei|vier|fünf|sechs)\\s+)?"
                     u"(tage?|werktage?|wochen?|monate?|jahre?|morgen|abend)" + e,
                 1, 2});
    w.push_back({b + u"(täglich|werktags|wöchentlich|monatlich|jährlich)" + e, 0, 1});
    w.push_back({b + u"(?:jeden|jede)\\s+(?:(zweiten)\\s+)?" + latinDayList(u"und") + e, 1, 0, 2, DayWords::latin});
    w.push_back({b + u"((?:sonn|mon|diens|mittwoch|donners|frei|sams)(?:tag)?s(?:\\s*(?:,|und)\\s*"
                     u"(?:sonn|mon|diens|mittwoch|donners|frei|sams)(?:tag)?s)*)" + e,
                 0, 0, 1, DayWords::latin});
    // Spanish
    w.push_back({b + u"(?:cada|todos\\s+los|todas\\s+las)\\s+(?:([0-9]+|dos|tres|cuatro|cinco|seis)\\s+)?"
                     u"(d[ií]as\\s+(?:laborables|h[áa]biles)|d[ií]as?|semanas?|mes(?:es)?|años?|mañanas?|tardes?|noches?)" + e,
                 1, 2});
    w.push_back({b + u"(diariamente|a\\s+diario|semanalmente|mensualmente|anualmente)" + e, 0, 1});
    w.push_back({b + u"(?:cada|todos\\s+los)\\s+" + latinDayList(u"y") + e, 0, 0, 1, DayWords::latin});
    w.push_back({b + u"los\\s+((?:lunes|martes|mi[ée]rcoles|jueves|viernes|s[áa]bados|domingos)(?:\\s*(?:,|y)\\s*"
                     u"(?:los\\s+)?(?:lunes|martes|mi[ée]rcoles|jueves|viernes|s[áa]bados|domingos))*)" + e,
                 0, 0, 1, DayWords::latin});
    // French
    w.push_back({b + u"(?:tous\\s+les|toutes\\s+les|chaque)\\s+(?:([0-9]+|deux|trois|quatre|cinq|six)\\s+)?"
                     u"(jours\\s+ouvr(?:ables|[ée]s)|jours?|semaines?|mois|ans|ann[ée]es?|matins?|soirs?)" + e,
                 1, 2});
    w.push_back({b + u"(quotidiennement|mensuellement|annuellement)" + e, 0, 1});
    w.push_back({b + u"(?:tous\\s+les|chaque)\\s+" + latinDayList(u"et") + e, 0, 0, 1, DayWords::latin});
    // Japanese
    w.push_back({u"毎週\\s*((?:[月火水木金土日](?:曜日?)?(?:\\s*[、,・と]\\s*)?)+)", 0, 0, 1, DayWords::japanese});
    w.push_back({u"([0-9０-９]+|[一二三四五六七八九十]+)\\s*(日|週間|週|か月|ヶ月|カ月|年)(?:ごと|おき)", 1, 2});
    w.push_back({u"(毎日|毎朝|毎晩|毎平日|平日|毎週|隔週|毎月|毎年)", 0, 1});
    // Chinese
    w.push_back({u"每(?:个|個)?(?:周|週|星期|礼拜|禮拜)((?:[一二三四五六日天](?:\\s*[、,，和及]\\s*)?)+)", 0, 0, 1,
                 DayWords::chinese});
    w.push_back({u"每隔\\s*([0-9]+|[一二三四五六七八九十两兩]+)\\s*(?:个|個)?\\s*(天|日|周|週|星期|礼拜|禮拜|月|年)", 1, 2,
                 0, DayWords::none, 1});
    w.push_back({u"每\\s*([0-9]+|[二三四五六七八九十两兩]+)\\s*(?:个|個)?\\s*(天|日|周|週|星期|礼拜|禮拜|月|年)", 1, 2});
    w.push_back({u"(每个工作日|每個工作日|工作日|每天|每日|每晚|每早|每个星期|每個星期|每星期|每礼拜|每禮拜|每周|每週|"
                 u"每个月|每個月|每月|每年)",
                 0, 1});
    for (Writing& writing : w) writing.regex = platform::Regex::compile(std::u16string_view(writing.pattern));
    return w;
  }();
  return all;
}

// Lower case, each run of blanks one blank.
std::u16string normalized(std::u16string_view text) {
  std::u16string out;
  bool gap = false;
  for (const char16_t c : platform::lowercased(text)) {
    if (u_isUWhiteSpace(c)) {
      gap = !out.empty();
      continue;
    }
    if (gap) out += u' ';
    gap = false;
    out += c;
  }
  return out;
}

std::set<int> weekdaysIn(std::u16string_view text, DayWords words) {
  std::set<int> days;
  if (words == DayWords::latin) {
    std::u16string word;
    const std::u16string lower = platform::lowercased(text);
    for (size_t i = 0; i <= lower.size(); ++i) {
      if (i < lower.size() && u_isalpha(lower[i])) {
        word += lower[i];
        continue;
      }
      if (auto day = latinWeekdays().find(word)) days.insert(static_cast<int>(*day));
      word.clear();
    }
    return days;
  }
  const WordTable& table = words == DayWords::japanese ? japaneseWeekdays() : chineseWeekdays();
  // The 日 of 曜日 ("day of the week") names no Sunday.
  std::u16string characters(text);
  for (const std::u16string_view suffix : {u"曜日", u"曜"}) {
    for (size_t at = characters.find(suffix); at != std::u16string::npos; at = characters.find(suffix)) {
      characters.erase(at, suffix.size());
    }
  }
  for (const char16_t c : characters) {
    if (auto day = table.find(std::u16string_view(&c, 1))) days.insert(static_cast<int>(*day));
  }
  return days;
}

std::optional<int64_t> intervalOf(std::u16string_view text) {
  if (auto digits = platform::toInt(std::u16string(text))) return digits;
  const std::u16string lower = normalized(text);
  if (auto word = counts().find(lower)) return word;
  // Chinese and Japanese numerals of one character beyond the table, and 十.
  if (lower == u"十") return 10;
  return std::nullopt;
}

std::string ruleOf(int64_t frequency, int64_t interval, const std::set<int>& days) {
  static constexpr std::array<const char*, 7> kDays = {"SU", "MO", "TU", "WE", "TH", "FR", "SA"};
  std::string rule;
  switch (frequency) {
    case kDaily: rule = "FREQ=DAILY"; break;
    case kMonthly: rule = "FREQ=MONTHLY"; break;
    case kYearly: rule = "FREQ=YEARLY"; break;
    default: rule = "FREQ=WEEKLY"; break;
  }
  if (interval > 1) rule += ";INTERVAL=" + std::to_string(interval);
  if (!days.empty()) {
    rule += ";BYDAY=";
    bool first = true;
    for (const int day : {1, 2, 3, 4, 5, 6, 0}) {
      if (!days.contains(day)) continue;
      if (!first) rule += ',';
      rule += kDays[static_cast<size_t>(day)];
      first = false;
    }
  }
  return rule;
}

std::optional<Repetition> read(std::u16string_view line, const Writing& writing, const platform::Match& match) {
  const auto group = [&](size_t n) {
    const platform::Range r = match.range(n);
    return r.found() ? platform::substring(line, r.location, r.length) : std::u16string_view();
  };
  int64_t interval = 1;
  if (writing.count != 0 && match.took(writing.count)) {
    const std::optional<int64_t> count = intervalOf(group(writing.count));
    if (!count || *count < 1 || *count > 999) return std::nullopt;
    interval = *count + writing.countOffset;
  }
  Repetition repetition{match.range(), {}, {}};
  int64_t frequency = kWeekly;
  if (writing.days != 0) {
    repetition.weekdays = weekdaysIn(group(writing.days), writing.dayWords);
    if (repetition.weekdays.empty()) return std::nullopt;
  } else {
    const std::optional<int64_t> unit = units().find(normalized(group(writing.unit)));
    if (!unit) return std::nullopt;
    frequency = *unit;
    if (frequency == kBiweekly) interval *= 2;
    if (frequency == kWeekdays) repetition.weekdays = {1, 2, 3, 4, 5};
  }
  repetition.rule = ruleOf(frequency, interval, repetition.weekdays);
  return repetition;
}

}  // namespace

std::optional<Repetition> findRepetition(std::u16string_view line) {
  std::optional<Repetition> best;
  for (const Writing& writing : writings()) {
    if (!writing.regex) continue;
    for (const platform::Match& match : writing.regex->allMatches(line)) {
      std::optional<Repetition> found = read(line, writing, match);
      if (!found) continue;
      const platform::Range r = found->range;
      if (!best || r.location < best->range.location ||
          (r.location == best->range.location && r.length > best->range.length)) {
        best = std::move(found);
      }
      break;
    }
  }
  return best;
}

Date firstOccurrence(Date due, const Repetition& repetition) {
  if (repetition.weekdays.empty()) return due;
  const platform::DateCalendar calendar = platform::DateCalendar::current();
  Date day = due;
  for (int i = 0; i < 7; ++i) {
    if (repetition.weekdays.contains(calendar.weekday(day) - 1)) return day;
    day = calendar.adding(platform::CalendarUnit::day, 1, day);
  }
  return due;
}

}  // namespace zarvo::quickentry
