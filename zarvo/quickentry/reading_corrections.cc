#include "zarvo/quickentry/reading_corrections.h"

#include <unicode/uchar.h>

#include <algorithm>
#include <array>

#include "zarvo/chrono/chrono.h"
#include "zarvo/platform/regex.h"
#include "zarvo/platform/text.h"

namespace zarvo::quickentry {

using chrono::ComponentUnit;
using chrono::ParsedComponents;
using chrono::TagUnit;

namespace {

bool isDigit(char16_t c) { return u_isdigit(c); }
bool isBlank(char16_t c) { return c == u'\t' || u_charType(c) == U_SPACE_SEPARATOR; }
bool isDash(char16_t c) { return c == u'-' || c == u'\u2010' || c == u'\u2013' || c == u'\u2014'; }

std::u16string_view trimmedView(std::u16string_view s) {
  while (!s.empty() && (isBlank(s.front()) || s.front() == u'\n')) s.remove_prefix(1);
  while (!s.empty() && (isBlank(s.back()) || s.back() == u'\n')) s.remove_suffix(1);
  return s;
}

// "2024-03-12": four digits, a dash, one or two digits, a dash, one or two digits.
bool isIsoDate(std::u16string_view s) {
  auto run = [&](size_t& at, size_t min, size_t max) {
    size_t n = 0;
    while (at < s.size() && isDigit(s[at]) && n < max) ++at, ++n;
    return n >= min;
  };
  size_t at = 0;
  if (!run(at, 4, 4) || at >= s.size() || s[at++] != u'-') return false;
  if (!run(at, 1, 2) || at >= s.size() || s[at++] != u'-') return false;
  return run(at, 1, 2) && at == s.size();
}

bool isDigitRun(std::u16string_view phrase) {
  bool digit = false;
  for (char16_t c : phrase) {
    if (isDigit(c)) digit = true;
    else if (!isBlank(c) && !isDash(c)) return false;
  }
  return digit && !isIsoDate(phrase);
}

bool gluedToDigits(std::u16string_view text, const chrono::ParsedResult& result) {
  const auto size = static_cast<int64_t>(text.size());
  const int64_t start = result.index();
  const int64_t end = result.endPosition();
  auto digitAt = [&](int64_t i) { return i >= 0 && i < size && isDigit(text[static_cast<size_t>(i)]); };
  auto joinerAt = [&](int64_t i, bool before) {
    if (i < 0 || i >= size) return false;
    const char16_t c = text[static_cast<size_t>(i)];
    return isDash(c) || c == u'/' || c == u'.' || (before && c == u'+');
  };
  if (digitAt(start - 1) || (joinerAt(start - 1, true) && digitAt(start - 2))) return true;
  return digitAt(end) || (joinerAt(end, false) && digitAt(end + 1));
}

bool loneMeridiemLetter(std::u16string_view phrase, const chrono::ParsedResult& result) {
  if (!result.start().isCertain(ComponentUnit::meridiem) || phrase.size() < 3) return false;
  const char16_t last = phrase.back();
  if (last != u'a' && last != u'A' && last != u'p' && last != u'P') return false;
  return isBlank(phrase[phrase.size() - 2]) && isDigit(phrase[phrase.size() - 3]);
}

bool shortForeignWeekday(std::u16string_view phrase, const chrono::ParsedResult& result) {
  const chrono::TagSet& tags = result.tags();
  if (!tags.contains(TagUnit::deWeekdayParser) && !tags.contains(TagUnit::esWeekdayParser) &&
      !tags.contains(TagUnit::frWeekdayParser)) {
    return false;
  }
  if (!phrase.empty() && phrase.back() == u'.') phrase.remove_suffix(1);
  if (phrase.empty() || phrase.size() > 3) return false;
  for (char16_t c : phrase) {
    if (!u_isalpha(c)) return false;
  }
  return true;
}

// Whether the phrase writes its hour the 24-hour way: a leading zero ("05:00") or an hour mark after
// the number ("5h", "5 Uhr", "5時").
bool writtenAs24Hours(std::u16string_view phrase) {
  static const platform::LazyRegex kMarked(u"(^|\\D)0\\d|\\d\\s*(h\\b|uhr\\b)");
  return !kMarked || kMarked->search(phrase);
}

bool moveIntoAfternoon(ParsedComponents& c) {
  const auto hour = c.get(ComponentUnit::hour);
  if (!c.isCertain(ComponentUnit::hour) || c.isCertain(ComponentUnit::meridiem) || !hour || *hour < 1 ||
      *hour > 6) {
    return false;
  }
  c.assign(ComponentUnit::hour, *hour + 12);
  c.imply(ComponentUnit::meridiem, 1);
  return true;
}

}  // namespace

bool isFalseDate(std::u16string_view text, const chrono::ParsedResult& result) {
  const std::u16string_view phrase = trimmedView(result.text());
  return isDigitRun(phrase) || gluedToDigits(text, result) || loneMeridiemLetter(phrase, result) ||
         shortForeignWeekday(phrase, result);
}

chrono::ParsedResult withNumericDateAhead(chrono::ParsedResult result, Date ref) {
  // Day and month of one or two digits, not preceded or followed by a third number.
  static const platform::LazyRegex kWithoutYear(u"(^|[^\\d/.])\\d{1,2}[/.]\\d{1,2}(?![/.]?\\d)");
  chrono::ParsedComponents& start = result.start();
  if (!kWithoutYear || !kWithoutYear->search(result.text()) || !start.isCertain(ComponentUnit::year) ||
      !start.isCertain(ComponentUnit::month) || !start.isCertain(ComponentUnit::day) || !(start.date() < ref)) {
    return result;
  }
  start.assign(ComponentUnit::year, *start.get(ComponentUnit::year) + 1);
  if (result.end() && result.end()->isCertain(ComponentUnit::year)) {
    result.end()->assign(ComponentUnit::year, *result.end()->get(ComponentUnit::year) + 1);
  }
  result.tags().set(TagUnit::forwardDateRefiner);
  return result;
}

chrono::ParsedResult inTheAfternoon(chrono::ParsedResult result) {
  // Only a number is an hour the writer left open; "morning" or "Sat 6pm" said what it meant.
  const std::u16string& phrase = result.text();
  const bool numberWords = result.tags().contains(TagUnit::deClockWordParser);  // "halb vier"
  if ((!numberWords && std::none_of(phrase.begin(), phrase.end(), isDigit)) || writtenAs24Hours(phrase)) {
    return result;
  }
  if (moveIntoAfternoon(result.start()) && result.end()) {
    // "2-4" read as 14:00 to 16:00; an end already past noon ("3 to 11") stays.
    moveIntoAfternoon(*result.end());
  }
  return result;
}

std::u16string_view withoutDanglingConnector(std::u16string_view before) {
  static constexpr std::array<std::u16string_view, 30> kConnectors = {
      u"by",   u"on",  u"at",   u"before", u"due",    u"until",  u"till",      u"from",
      u"for",  u"bis", u"am",   u"um",     u"ab",     u"vor",    u"zum",       u"fällig",
      u"spätestens", u"para", u"el", u"antes", u"hasta", u"del", u"pour", u"le",
      u"avant", u"à",  u"au",   u"jusqu'au", u"d'ici", u"jusqu’au"};
  for (int removed = 0; removed < 2; ++removed) {
    const std::u16string_view trimmed = trimmedView(before);
    size_t wordStart = trimmed.size();
    while (wordStart > 0 && !isBlank(trimmed[wordStart - 1]) && trimmed[wordStart - 1] != u'\n') --wordStart;
    const std::u16string_view word = trimmed.substr(wordStart);
    bool connector = false;
    for (std::u16string_view c : kConnectors) connector = connector || platform::equalsIgnoringCase(word, c);
    if (!connector) break;
    before = trimmed.substr(0, wordStart);
  }
  return before;
}

std::u16string_view withoutLeadingParticle(std::u16string_view after) {
  const std::u16string_view trimmed = trimmedView(after);
  for (std::u16string_view particle : {u"までに", u"まで", u"之前", u"以前"}) {
    if (trimmed.substr(0, particle.size()) == particle) return trimmed.substr(particle.size());
  }
  // "に" before hiragana may begin a word ("にんじん"); before katakana or kanji it is the particle.
  const auto isHiragana = [](char16_t c) { return c >= 0x3040 && c <= 0x309F; };
  if (trimmed.size() >= 2 && trimmed[0] == u'に' && !isHiragana(trimmed[1])) return trimmed.substr(1);
  return after;
}

bool statesTimeOfDay(const chrono::ParsedResult& result) {
  const ParsedComponents& start = result.start();
  if (start.isCertain(ComponentUnit::hour)) return true;
  if (start.impliedValues().get(ComponentUnit::hour) != chrono::Chrono::defaultImpliedHour() ||
      start.impliedValues().get(ComponentUnit::minute) != chrono::Chrono::defaultImpliedMinute()) {
    return true;
  }
  // Words that name noon imply the engine's default hour, and still state a time.
  const std::u16string lower = platform::lowercased(result.text());
  for (const std::u16string_view noon : {u"noon", u"mittag", u"mediod", u"midi", u"昼", u"午"}) {
    if (lower.find(noon) != std::u16string::npos) return true;
  }
  return false;
}

bool holdsWords(std::u16string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'#') {
      while (i + 1 < text.size() && (u_isalnum(text[i + 1]) || text[i + 1] == u'_')) ++i;
    } else if (text[i] == u'{') {
      while (i + 1 < text.size() && text[i + 1] != u'}') ++i;
    } else if (u_isalnum(text[i])) {
      return true;
    }
  }
  return false;
}

bool isLoneMonthName(std::u16string_view text, const chrono::ParsedResult& result) {
  const ParsedComponents& start = result.start();
  if (!result.tags().contains(TagUnit::enMonthNameParser) || start.isCertain(ComponentUnit::year) ||
      start.isCertain(ComponentUnit::day) || start.isCertain(ComponentUnit::hour)) {
    return false;
  }
  size_t end = static_cast<size_t>(std::clamp<int64_t>(result.index(), 0, static_cast<int64_t>(text.size())));
  while (end > 0 && isBlank(text[end - 1])) --end;
  size_t begin = end;
  while (begin > 0 && u_isalpha(text[begin - 1])) --begin;
  const std::u16string_view word = text.substr(begin, end - begin);
  for (std::u16string_view preposition :
       {u"in", u"by", u"until", u"till", u"before", u"after", u"from", u"since", u"during", u"of"}) {
    if (platform::equalsIgnoringCase(word, preposition)) return false;
  }
  return true;
}

bool phraseInsideTitle(std::u16string_view before, std::u16string_view after) {
  // "明日の会議", "明天的会议": the phrase names what follows it.
  if (after.size() > 1 && (after[0] == u'の' || after[0] == u'的') && holdsWords(after.substr(1))) return true;
  return withoutDanglingConnector(before).size() != before.size() && holdsWords(after);
}

std::u16string withSingleBlanks(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  bool blank = false;
  for (char16_t c : text) {
    if (isBlank(c)) {
      if (!blank) out += u' ';
      blank = true;
    } else {
      out += c;
      blank = false;
    }
  }
  return out;
}

}  // namespace zarvo::quickentry
