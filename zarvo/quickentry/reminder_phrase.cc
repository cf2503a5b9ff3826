#include "zarvo/quickentry/reminder_phrase.h"

#include <string>
#include <vector>

#include "zarvo/chrono/word_table.h"
#include "zarvo/platform/text.h"

namespace zarvo::quickentry {

namespace {

using chrono::AlternationStyle;
using chrono::WordTable;

// The words that ask for a reminder, each language's.
const WordTable& askWords() {
  static const WordTable table({{u"remind me", 0}, {u"erinnere mich", 0}, {u"erinner mich", 0},
                                {u"recuérdame", 0}, {u"recuerdame", 0}, {u"rappelle-moi", 0}, {u"rappelle moi", 0}},
                               {.suffix = {}, .blank = u"[\\s-]+", .escapeMetacharacters = false});
  return table;
}

// Units of a length, in seconds.
const WordTable& units() {
  static const WordTable table{
      {u"m", 60}, {u"min", 60}, {u"mins", 60}, {u"minute", 60}, {u"minutes", 60}, {u"minuten", 60},
      {u"minuto", 60}, {u"minutos", 60}, {u"分", 60}, {u"分钟", 60}, {u"分鐘", 60},
      {u"h", 3600}, {u"hr", 3600}, {u"hrs", 3600}, {u"hour", 3600}, {u"hours", 3600}, {u"std", 3600},
      {u"stunde", 3600}, {u"stunden", 3600}, {u"hora", 3600}, {u"horas", 3600}, {u"heure", 3600},
      {u"heures", 3600}, {u"時間", 3600}, {u"小时", 3600}, {u"小時", 3600}, {u"个小时", 3600}, {u"個小時", 3600},
      {u"d", 86400}, {u"day", 86400}, {u"days", 86400}, {u"tag", 86400}, {u"tage", 86400}, {u"tagen", 86400},
      {u"día", 86400}, {u"días", 86400}, {u"dia", 86400}, {u"dias", 86400}, {u"jour", 86400},
      {u"jours", 86400}, {u"日", 86400}, {u"天", 86400},
      {u"w", 604800}, {u"week", 604800}, {u"weeks", 604800}, {u"woche", 604800}, {u"wochen", 604800},
      {u"semana", 604800}, {u"semanas", 604800}, {u"semaine", 604800}, {u"semaines", 604800},
      {u"週間", 604800}, {u"周", 604800}, {u"星期", 604800},
  };
  return table;
}

// Counts written as words.
const WordTable& counts() {
  static const WordTable table{
      {u"a", 1}, {u"an", 1}, {u"one", 1}, {u"two", 2}, {u"three", 3}, {u"ein", 1}, {u"eine", 1}, {u"einen", 1},
      {u"zwei", 2}, {u"drei", 3}, {u"un", 1}, {u"una", 1}, {u"dos", 2}, {u"tres", 3}, {u"une", 1}, {u"deux", 2},
      {u"trois", 3}, {u"一", 1}, {u"两", 2}, {u"兩", 2}, {u"二", 2}, {u"三", 3},
  };
  return table;
}

// The words that say "before", and the prepositions a moment may start with.
const WordTable& beforeWords() {
  static const WordTable table({{u"before", 0}, {u"beforehand", 0}, {u"early", 0}, {u"earlier", 0},
                                {u"ahead", 0}, {u"in advance", 0}, {u"vorher", 0}, {u"davor", 0},
                                {u"früher", 0}, {u"im voraus", 0}, {u"antes", 0}, {u"avant", 0},
                                {u"plus tôt", 0}, {u"à l'avance", 0}, {u"en avance", 0}},
                               {.suffix = {}, .blank = u"\\s+", .escapeMetacharacters = false});
  return table;
}
const WordTable& prepositions() {
  static const WordTable table({{u"at", 0}, {u"on", 0}, {u"um", 0}, {u"am", 0}, {u"gegen", 0}, {u"a las", 0},
                                {u"a la", 0}, {u"el", 0}, {u"à", 0}, {u"le", 0}, {u"vers", 0}},
                               {.suffix = {}, .blank = u"\\s+", .escapeMetacharacters = false});
  return table;
}

// One way of asking: which groups hold the count and the unit (0: it names no length).
struct Writing {
  std::u16string pattern;
  size_t count = 0;
  size_t unit = 0;
  std::shared_ptr<const platform::Regex> regex = nullptr;
  bool momentFollows = true;   // without a length: ReminderPhrase::momentFollows
  bool momentPrecedes = false;
  size_t ask = 1;              // without a length: the group of the asking words
};

const std::vector<Writing>& writings() {
  static const std::vector<Writing> all = [] {
    const std::u16string b = u"(?<![\\w])";
    const std::u16string e = u"(?![\\w])";
    const std::u16string ask = askWords().alternation();
    std::vector<Writing> w;
    // "remind me 1h before", "erinnere mich eine Stunde vorher", "recuérdame 2 horas antes"
    w.push_back({b + ask + u"\\s+([0-9]+|" + counts().alternation(AlternationStyle{{}, u"\\s+", false}) +
                     u")\\s*(" + units().alternation() + u")\\s+" + beforeWords().alternation() + e,
                 1, 2});
    // The polite ways of asking belong to the phrase, so none of them is left in the title:
    // "リマインドしてください", "リマインドして下さい", "リマインドしてね", "リマインドお願いします",
    // "请提醒我", "提醒我一下".
    const std::u16string jaAsk = u"リマインド(?:して(?:ください|下さい)?ね?|する|を?お願い(?:します|いたします)?)?";
    const std::u16string please = u"(?:[请請]\\s*)?";
    const std::u16string zhAsk = please + u"提醒我?(?:一下)?";
    // "1時間前にリマインド", "提前1小时提醒我", "1小时前提醒我"
    w.push_back({u"([0-9]+)\\s*(分|時間|日|週間)前に?\\s*" + jaAsk, 1, 2});
    w.push_back({please + u"提前\\s*([0-9]+|[一两兩二三])\\s*(分钟|分鐘|个小时|個小時|小时|小時|天|周|星期)\\s*" + zhAsk, 1, 2});
    w.push_back({u"([0-9]+|[一两兩二三])\\s*(分钟|分鐘|个小时|個小時|小时|小時|天|周|星期)前\\s*" + zhAsk, 1, 2});
    // "remind me at 9am", "remind me tomorrow 9am", "erinnere mich um 9": the moment follows.
    w.push_back({b + u"(" + ask + u")(?:\\s+" + prepositions().alternation() + u")?\\s+", 0, 0});
    // "明日9時にリマインド", "9時にリマインドして": the moment comes first.
    w.push_back({u"\\s*に?\\s*(" + jaAsk + u")", 0, 0, nullptr, false, true});
    // "明天下午3点提醒我", "提醒我明天9点开会": the moment before or after.
    w.push_back({u"(" + zhAsk + u")\\s*", 0, 0, nullptr, true, true});
    for (Writing& writing : w) writing.regex = platform::Regex::compile(std::u16string_view(writing.pattern));
    return w;
  }();
  return all;
}

// Lower case, each run of blanks one blank: as the tables hold their words.
std::u16string key(std::u16string_view text) { return chrono::phraseKey(text); }

}  // namespace

std::optional<ReminderPhrase> findReminderPhrase(std::u16string_view line) {
  std::optional<ReminderPhrase> best;
  for (const Writing& writing : writings()) {
    if (!writing.regex) continue;
    const std::optional<platform::Match> match = writing.regex->firstMatch(line);
    if (!match) continue;
    ReminderPhrase found{match->range(), std::nullopt, 0, true, false};
    if (writing.unit != 0) {
      const auto group = [&](size_t n) {
        const platform::Range r = match->range(n);
        return platform::substring(line, r.location, r.length);
      };
      const std::u16string count = key(group(writing.count));
      std::optional<int64_t> n = counts().find(count);
      if (!n) n = platform::toInt(std::u16string_view(count));
      const std::optional<int64_t> unit = units().find(key(group(writing.unit)));
      if (!n || !unit || *n < 1 || *n > 999) return std::nullopt;
      found.beforeDue = std::chrono::seconds(*n * *unit);
    } else {
      found.askEnd = match->range(writing.ask).end();
      found.momentFollows = writing.momentFollows;
      found.momentPrecedes = writing.momentPrecedes;
    }
    // The first phrase of the line; a length before the due rather than a moment where both start.
    if (!best || found.range.location < best->range.location) best = std::move(found);
  }
  return best;
}

}  // namespace zarvo::quickentry
