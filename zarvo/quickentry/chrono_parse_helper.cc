#include "zarvo/quickentry/chrono_parse_helper.h"

#include <unicode/uchar.h>

#include <algorithm>

#include "zarvo/chrono/calendar_fields.h"
#include "zarvo/chrono/mode_option.h"
#include "zarvo/chrono/refiners/coming_time_refiner.h"
#include "zarvo/chrono/refiners/extract_timezone_abbr_refiner.h"
#include "zarvo/platform/date_calendar.h"
#include "zarvo/platform/text.h"
#include "zarvo/quickentry/reading_corrections.h"
#include "zarvo/quickentry/repetition.h"

namespace zarvo {

namespace quickentry {

namespace {
// Space separators (Zs) are all in the BMP, so testing code units is exact; surrogates are not Zs.
bool isSpaceOrTab(char16_t c) { return c == u'\t' || u_charType(c) == U_SPACE_SEPARATOR; }
}  // namespace

std::u16string trimmedSpacesAndTabs(std::u16string_view text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && isSpaceOrTab(text[begin])) ++begin;
  while (end > begin && isSpaceOrTab(text[end - 1])) --end;
  return std::u16string(text.substr(begin, end - begin));
}

}  // namespace quickentry

namespace {

using chrono::ComponentUnit;
using chrono::Language;
using chrono::ParsedResult;
using platform::Range;

// The casual configuration (or the extended one) narrowed to the parsers `keep` accepts, with the
// capitals-only reading of time-zone abbreviations when asked for.
template <class Keep>
chrono::ModeOptio configuration(const QuickEntryOptions& options, Keep&& keep) {
  chrono::ModeOptio mode = options.extraPhrases ? chrono::extendedCasualModeOption() : chrono::casualModeOption();
  std::erase_if(mode.parsers, [&](const auto& parser) { return !keep(parser->language()); });
  if (options.capitalTimeZonesOnly) {
    for (auto& refiner : mode.refiners) {
      if (dynamic_cast<const chrono::ExtractTimezoneAbbrRefiner*>(refiner.get()) != nullptr) {
        refiner = std::make_shared<chrono::ExtractTimezoneAbbrRefiner>(/*capitalsOnly=*/true);
      }
    }
  }
  return mode;
}

bool reads(const QuickEntryOptions& options, Language language) {
  return language == Language::english || !options.languages || options.languages->contains(language);
}

chrono::ReaderOptions readerOptions(const QuickEntryOptions& options) {
  chrono::ReaderOptions reader;
  if (options.chooseLanguageByEvidence) {
    // The configuration keeps every language: a line in Han or kana is read in Japanese and Chinese
    // whatever the languages are, so the narrowing happens per line.
    reader.languageChoice = chrono::ReaderOptions::LanguageChoice::byEvidence;
    reader.preferredLanguage = options.tieLanguage;
    if (options.languages) {
      reader.languages = *options.languages;
      reader.languages->insert(Language::english);
    }
    reader.cjkByScript = true;
  } else if (!options.setsEngineLanguage) {
    reader.languageChoice = chrono::ReaderOptions::LanguageChoice::preferred;
    reader.preferredLanguage = Language::english;
  }
  reader.numericDateOrder = options.numericDateOrder;
  reader.shortYears = options.shortYears;
  // Times move ahead once the corrections have read them ("at 3" is 15:00 before it is compared with
  // the reference), so the helper applies that rule itself.
  return reader;
}

// What the line says of its due date: the start of the reading, and the phrases that said it.
struct Due {
  chrono::ParsedComponents start;
  std::vector<Range> ranges;  // in line order
  std::u16string phrase;
  bool statesTime = false;
  bool timeOnly = false;  // a clock time alone, naming no day
};

Range rangeOf(const ParsedResult& r) { return Range{r.index(), static_cast<int64_t>(r.text().size())}; }

bool namesADay(const chrono::ParsedComponents& c) {
  return c.isCertain(ComponentUnit::day) || c.isCertain(ComponentUnit::month) ||
         c.isCertain(ComponentUnit::year) || c.isCertain(ComponentUnit::weekday);
}

// A lone date and a lone clock time as one due: the date's day at the time's clock.
std::optional<Due> joined(const std::vector<ParsedResult>& results) {
  if (results.size() != 2) return std::nullopt;
  const auto isTime = [](const ParsedResult& r) {
    return r.start().isCertain(ComponentUnit::hour) && !namesADay(r.start()) && !r.end();
  };
  const auto isDay = [](const ParsedResult& r) { return namesADay(r.start()) && !quickentry::statesTimeOfDay(r); };
  const bool timeFirst = isTime(results[0]) && isDay(results[1]);
  if (!timeFirst && !(isDay(results[0]) && isTime(results[1]))) return std::nullopt;
  const ParsedResult& day = results[timeFirst ? 1 : 0];
  const ParsedResult& time = results[timeFirst ? 0 : 1];
  Due due{day.start(), {rangeOf(results[0]), rangeOf(results[1])}, time.text(), true};
  for (const ComponentUnit unit : {ComponentUnit::hour, ComponentUnit::minute, ComponentUnit::second,
                                   ComponentUnit::millisecond, ComponentUnit::meridiem}) {
    if (time.start().isCertain(unit)) {
      due.start.assign(unit, time.start().get(unit));
    } else {
      due.start.imply(unit, time.start().get(unit));
    }
  }
  return due;
}

// A length counted from now ("in 2 hours", "30 minutes ago", "dentro de 2 horas", "30分後")
// names no day either, but is no clock time.
bool countsFromNow(const ParsedResult& r) {
  for (size_t t = 0; t < chrono::kTagUnitCount; ++t) {
    const auto tag = static_cast<chrono::TagUnit>(t);
    if (!r.tags().contains(tag)) continue;
    const std::string_view name = chrono::name(tag);
    for (const std::string_view counting : {"Deadline", "TimeAgo", "FromNow", "Distance", "RelativeDateFormat", "RelativePeriod"}) {
      if (name.find(counting) != std::string_view::npos) return true;
    }
  }
  return false;
}

Due dueOf(const ParsedResult& last) {
  Due due{last.start(), {rangeOf(last)}, last.text(), quickentry::statesTimeOfDay(last)};
  due.timeOnly = last.start().isCertain(ComponentUnit::hour) && !namesADay(last.start()) && !last.end() &&
                 !countsFromNow(last);
  return due;
}

// `ranges` in order, overlapping ones joined into one.
std::vector<Range> disjoint(std::vector<Range> ranges) {
  std::sort(ranges.begin(), ranges.end(), [](const Range& a, const Range& b) { return a.location < b.location; });
  std::vector<Range> out;
  for (const Range& r : ranges) {
    if (!out.empty() && r.location < out.back().location + out.back().length) {
      const int64_t end = std::max(out.back().location + out.back().length, r.location + r.length);
      out.back().length = end - out.back().location;
    } else {
      out.push_back(r);
    }
  }
  return out;
}

// `text` with the ranges cut out (the part before a cut without a dangling connector, the part after
// it without a leading particle, when cleaning), the remaining parts trimmed and joined by one blank.
std::u16string titleWithout(std::u16string_view text, const std::vector<Range>& cuts, const QuickEntryOptions& o) {
  std::vector<std::u16string_view> parts;
  int64_t from = 0;
  const auto size = static_cast<int64_t>(text.size());
  for (const Range& cut : cuts) {
    parts.push_back(platform::substring(text, from, cut.location - from));
    from = cut.location + cut.length;
  }
  parts.push_back(platform::substring(text, from, size - from));

  if (o.cleanTitles && !cuts.empty()) {
    for (size_t i = 1; i < parts.size(); ++i) parts[i] = quickentry::withoutLeadingParticle(parts[i]);
    std::vector<std::u16string_view> cleaned = parts;
    // With whole titles, only a title that ends at the cut (flag marks and list references aside)
    // has a dangling connector.
    const bool endsAtCut = !quickentry::holdsWords(cleaned.back());
    for (size_t i = 0; i + 1 < cleaned.size(); ++i) {
      if (!o.wholeTitles || (i + 2 == cleaned.size() && endsAtCut)) {
        cleaned[i] = quickentry::withoutDanglingConnector(cleaned[i]);
      }
    }
    // A title that is nothing but the connector keeps it ("by" alone says more than nothing).
    if (std::any_of(cleaned.begin(), cleaned.end(),
                    [](std::u16string_view p) { return !quickentry::trimmedSpacesAndTabs(p).empty(); })) {
      parts = std::move(cleaned);
    }
  }

  std::u16string title;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) title += u' ';
    title += quickentry::trimmedSpacesAndTabs(parts[i]);
  }
  title = quickentry::trimmedSpacesAndTabs(title);
  if (o.cleanTitles) title = quickentry::withSingleBlanks(title);
  return title;
}

// The due of a day-only reading under allDayDates: the day's start, or the default time on it.
Date dayOnly(const chrono::ParsedComponents& start, const QuickEntryOptions& o) {
  const chrono::CalendarFields day = chrono::calendarFields(start.date());
  const auto time = o.defaultTime.value_or(QuickEntryOptions::TimeOfDay{0, 0});
  return platform::DateCalendar::current().date(
      {.year = day.year, .month = day.month, .day = day.day, .hour = time.hour, .minute = time.minute});
}

}  // namespace

ChronoParseHelper::ChronoParseHelper(std::shared_ptr<const platform::Clock> clock, QuickEntryOptions options)
    : options_(std::move(options)),
      chrono_(configuration(options_,
                            [&](Language language) {
                              return options_.chooseLanguageByEvidence || reads(options_, language);
                            }),
              readerOptions(options_)),
      clock_(std::move(clock)) {
  if (options_.falseDateGuard && !options_.chooseLanguageByEvidence) {
    chrono::ModeOptio others = configuration(
        options_, [&](Language language) { return language != Language::english && reads(options_, language); });
    if (!others.parsers.empty()) otherLanguages_.emplace(std::move(others), readerOptions(options_));
  }
  if (options_.setsEngineLanguage) chrono::Chrono::setPreferredLanguage(chrono::Language::english);
}

std::vector<ParsedResult> ChronoParseHelper::corrected(std::u16string_view text, std::vector<ParsedResult> results,
                                                       Date ref) const {
  if (options_.falseDateGuard) {
    std::erase_if(results, [&](const auto& r) { return quickentry::isFalseDate(text, r); });
  }
  if (options_.wholeTitles) {
    std::erase_if(results, [&](const auto& r) { return quickentry::isLoneMonthName(text, r); });
  }
  for (auto& result : results) {
    if (options_.afternoonSmallHours) result = quickentry::inTheAfternoon(std::move(result));
    if (options_.forwardDates) result = quickentry::withNumericDateAhead(std::move(result), ref);
  }
  if (options_.timesAhead) {
    static const chrono::ComingTimeRefiner kComingTimes;
    results = kComingTimes.refine(text, std::move(results), {});
  }
  return results;
}

std::vector<ParsedResult> ChronoParseHelper::results(std::u16string_view text, Date ref,
                                                     const chrono::Options& extra) const {
  chrono::Options opt = extra;
  if (options_.forwardDates) opt[chrono::OptionType::forwardDate] = 1;
  return options_.chooseLanguageByEvidence ? readBest(text, ref, opt) : read(text, ref, opt);
}

std::vector<ParsedResult> ChronoParseHelper::read(std::u16string_view text, Date ref, const chrono::Options& opt) const {
  std::vector<ParsedResult> results = chrono_.parse(text, ref, opt);
  const bool found = !results.empty();
  results = corrected(text, std::move(results), ref);
  // The engine tries the other languages only when English finds nothing; a dropped English reading
  // ("9 a" in "de 9 a 11") must not keep them from being tried.
  if (options_.falseDateGuard && found && results.empty() && otherLanguages_) {
    results = corrected(text, otherLanguages_->parse(text, ref, opt), ref);
  }
  return results;
}

std::vector<ParsedResult> ChronoParseHelper::readBest(std::u16string_view text, Date ref,
                                                      const chrono::Options& opt) const {
  std::vector<chrono::Chrono::LanguageReading> readings = chrono_.readEachLanguage(text, ref, opt);
  for (auto& reading : readings) reading.results = corrected(text, std::move(reading.results), ref);
  const std::optional<size_t> best = chrono::Chrono::bestReading(readings, text, options_.tieLanguage);
  return best ? std::move(readings[*best].results) : std::vector<ParsedResult>{};
}

std::shared_ptr<ChronoParseItem> ChronoParseHelper::parse(std::u16string_view text) const {
  const Date ref = clock_ ? clock_->now() : platform::Clock::currentNow();

  // A repetition phrase is taken out first and the rest is read. The phrase is replaced by as many
  // object replacement characters, which keeps positions and, being neither blank nor a word
  // character, cannot join a phrase of the engine.
  const std::optional<quickentry::Repetition> repetition =
      options_.repetitions ? quickentry::findRepetition(text) : std::nullopt;
  std::u16string masked;
  std::u16string_view reading = text;
  if (repetition) {
    masked.assign(text);
    std::fill_n(masked.begin() + repetition->range.location, repetition->range.length, u'\uFFFC');
    reading = masked;
  }

  const std::vector<ParsedResult> results = this->results(reading, ref);
  std::optional<Due> due;
  if (options_.joinDateAndTime) due = joined(results);
  // Results come ordered by position; only the last phrase leaves the title.
  if (!due && !results.empty()) due = dueOf(results.back());
  if (!due && !repetition) return nullptr;
  if (!due) due = Due{chrono::ParsedComponents(std::nullopt, ref), {}, {}, false};

  Date date = due->start.date();
  const bool allDay = options_.allDayDates && !due->statesTime && !options_.defaultTime;
  if (options_.allDayDates && !due->statesTime) date = dayOnly(due->start, options_);
  std::vector<Range> cuts = due->ranges;
  std::u16string phrase = due->phrase;
  if (repetition) {
    date = quickentry::firstOccurrence(date, *repetition);
    cuts.push_back(repetition->range);
    if (phrase.empty()) {
      phrase = platform::substring(text, repetition->range.location, repetition->range.length);
    }
  }
  cuts = disjoint(std::move(cuts));

  // With whole titles, a phrase between a connector and more words stays in the title.
  std::vector<Range> removed;
  for (const Range& cut : cuts) {
    const auto size = static_cast<int64_t>(text.size());
    const bool inside = options_.wholeTitles && options_.cleanTitles &&
                        quickentry::phraseInsideTitle(platform::substring(text, 0, cut.location),
                                                      platform::substring(text, cut.location + cut.length,
                                                                          size - cut.location - cut.length));
    if (!inside) removed.push_back(cut);
  }

  auto item = std::make_shared<ChronoParseItem>(titleWithout(text, removed, options_), date, std::move(phrase));
  item->setAllDay(allDay);
  item->setNamesTimeOnly(due->timeOnly && !repetition);
  if (repetition) item->setRecurrenceRule(repetition->rule);
  item->setRanges(std::move(cuts));
  return item;
}

std::shared_ptr<ChronoParseItem> ChronoParseHelper::parse(std::string_view utf8Text) const {
  return parse(std::u16string_view(platform::utf16(utf8Text)));
}

}  // namespace zarvo
