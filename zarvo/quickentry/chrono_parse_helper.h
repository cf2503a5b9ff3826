// ChronoParseHelper: quick entry's adapter to the date engine. It reads one line with the casual
// configuration, cuts the last date phrase out of it and hands back the rest as a title, with the
// phrase's date and the phrase itself.
//
// Positions are UTF-16 code units throughout, so the phrase cut out is exactly the engine's `text`,
// also after characters outside the Basic Multilingual Plane.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "zarvo/chrono/chrono.h"
#include "zarvo/platform/clock.h"
#include "zarvo/platform/regex.h"
#include "zarvo/quickentry/quick_entry_options.h"

namespace zarvo {

// What the helper found in a line. Shared, mutable (all three fields are settable).
class ChronoParseItem {
 public:
  ChronoParseItem(std::u16string title, Date dueDate, std::u16string parsedDateString)
      : title_(std::move(title)), dueDate_(dueDate), parsedDateString_(std::move(parsedDateString)) {}

  // The line without the date phrase: both sides trimmed of spaces and tabs, joined by one space,
  // trimmed again.
  const std::u16string& title() const { return title_; }
  void setTitle(std::u16string title) { title_ = std::move(title); }
  // The instant of the phrase's start.
  Date dueDate() const { return dueDate_; }
  void setDueDate(Date dueDate) { dueDate_ = dueDate; }
  // The phrase exactly as it stood in the line.
  const std::u16string& parsedDateString() const { return parsedDateString_; }
  void setParsedDateString(std::u16string text) { parsedDateString_ = std::move(text); }

  // True when the line names a day without a time of day and the options ask for all-day dues:
  // `dueDate` is then the start of that day. Default false.
  bool isAllDay() const { return allDay_; }
  void setAllDay(bool allDay) { allDay_ = allDay; }
  // True when the phrase states a clock time and names no day ("at 9am", "um 15 Uhr", "下午3点"):
  // the day of `dueDate` is the one the reading chose (today, or the next day under timesAhead).
  // Default false.
  bool namesTimeOnly() const { return timeOnly_; }
  void setNamesTimeOnly(bool timeOnly) { timeOnly_ = timeOnly; }
  // The recurrence rule (an RRULE value such as "FREQ=WEEKLY;BYDAY=MO") of the line's repetition
  // phrase; none by default.
  const std::optional<std::string>& recurrenceRule() const { return recurrenceRule_; }
  void setRecurrenceRule(std::optional<std::string> rule) { recurrenceRule_ = std::move(rule); }
  // Where every phrase taken out of the line stood in it (UTF-16 code units), in line order: the
  // date phrase's range alone, unless the options join a date and a time or read a repetition. Empty
  // for an item made by hand.
  const std::vector<platform::Range>& ranges() const { return ranges_; }
  void setRanges(std::vector<platform::Range> ranges) { ranges_ = std::move(ranges); }

 private:
  std::u16string title_;
  Date dueDate_;
  std::u16string parsedDateString_;
  bool allDay_ = false;
  bool timeOnly_ = false;
  std::optional<std::string> recurrenceRule_;
  std::vector<platform::Range> ranges_;
};

class ChronoParseHelper {
 public:
  // Builds a casual-configuration Chrono (the extended one with `options.extraPhrases`) and, unless
  // `options.setsEngineLanguage` is false, sets the engine-wide preferred language to English (again,
  // for every user of the engine, on every construction).
  //
  // `clock` supplies the reference date of each parse; null (the default) reads the process clock
  // (platform::Clock::current()) at each call, so a clock installed later is seen. `options` turns on
  // the corrections and readings of quick_entry_options.h; the default reads every line exactly as
  // the engine does.
  explicit ChronoParseHelper(std::shared_ptr<const platform::Clock> clock = nullptr, QuickEntryOptions options = {});

  // The last date phrase of `text` and the text without it; null when the engine finds no date (and,
  // with `repetitions`, the line has no repetition phrase). Never throws. Keeps no state between
  // calls: may be called from several threads at once.
  std::shared_ptr<ChronoParseItem> parse(std::u16string_view text) const;
  // UTF-8 convenience; ill-formed bytes become U+FFFD before parsing.
  std::shared_ptr<ChronoParseItem> parse(std::string_view utf8Text) const;

  const QuickEntryOptions& options() const { return options_; }

  // What the helper reads in `text` against `ref`: the engine's results with the options' languages,
  // guards and corrections, in position order (repetition phrases are not taken out). `opt` adds to
  // the engine options the helper passes itself (forwardDate with `forwardDates`). parse() takes its
  // date from these. Thread-safe, as parse().
  std::vector<chrono::ParsedResult> results(std::u16string_view text, Date ref, const chrono::Options& opt = {}) const;

 private:
  // What the engine reads in `text` with the options' languages, guards and corrections.
  std::vector<chrono::ParsedResult> read(std::u16string_view text, Date ref, const chrono::Options& opt) const;
  // The same, each language reading on its own (chooseLanguageByEvidence): the best reading once
  // guarded and corrected.
  std::vector<chrono::ParsedResult> readBest(std::u16string_view text, Date ref, const chrono::Options& opt) const;
  // `results` with the options' guards and corrections applied.
  std::vector<chrono::ParsedResult> corrected(std::u16string_view text, std::vector<chrono::ParsedResult> results,
                                              Date ref) const;

  QuickEntryOptions options_;
  chrono::Chrono chrono_;
  // The languages other than English alone, for a second pass after the guard dropped every
  // reading of the first; null without the guard or without other languages.
  std::optional<chrono::Chrono> otherLanguages_;
  std::shared_ptr<const platform::Clock> clock_;
};

namespace quickentry {
// `text` without the spaces and tabs at both ends (Unicode space separators and U+0009). Line
// breaks are not trimmed: a title may end in one.
std::u16string trimmedSpacesAndTabs(std::u16string_view text);
}  // namespace quickentry

}  // namespace zarvo
