// ReaderOptions: how one Chrono value reads, fixed when it is made.
//
// The engine-wide settings (settings.h) are process-wide: a change is seen by every reader. A
// ReaderOptions value belongs to one Chrono instead, so two readers in one process (a desktop app's
// quick-entry field and a thread importing files) read with their own rules at the same time, and
// making one never changes how another reads. The defaults read exactly as the engine-wide settings
// say; every other value is opt-in.
#pragma once

#include <optional>
#include <set>

#include "zarvo/chrono/options.h"

namespace zarvo::chrono {

struct ReaderOptions {
  enum class LanguageChoice {
    // The engine-wide Chrono::preferredLanguage(), read at each parse: absent, every language at once;
    // set, English and that language first and the others only when they find nothing.
    engineSetting,
    // The same two passes with `preferredLanguage` below (absent: every language at once), whatever
    // the engine-wide setting says.
    preferred,
    // Each language reads the whole line on its own, with its parsers alone and every refiner; the
    // reading that explains most of the line wins (Chrono::bestReading): the longest text covered by
    // its phrases, then the most values the phrases state. Ties go to `preferredLanguage`; then, in a
    // line with Han or kana, to Japanese over Chinese when it has kana and Chinese over Japanese when
    // it has none; then to English, then to the others in Language order (Japanese and Chinese last in
    // a line without their script). So "Zahnarzt morgen um 17:00" is German even
    // though English reads "17:00", and "Payer la facture 3/1" is read day first by a French reader.
    byEvidence,
  };
  // Default engineSetting.
  LanguageChoice languageChoice = LanguageChoice::engineSetting;

  // The preferred language of `preferred` and the first tie-breaker of `byEvidence`; unused by
  // engineSetting. Default absent.
  std::optional<Language> preferredLanguage;

  // The languages whose parsers run; absent (the default) runs every language of the configuration.
  std::optional<std::set<Language>> languages;

  // When true, a line holding Han, kana or other CJK characters is also read in Japanese and Chinese,
  // whatever `languages` says. Default false.
  bool cjkByScript = false;

  enum class NumericDateOrder {
    // Each language's slash-date parser reads its own order: month first in English ("3/12" is
    // 12 March), day first in German, Spanish and French ("3/12" is 3 December).
    byLanguage,
    // Every reading of two numbers that could be either order is made day first (or month first).
    // A date that is unambiguous ("25/12", "12/25") keeps its reading.
    dayFirst,
    monthFirst,
  };
  // Default byLanguage.
  NumericDateOrder numericDateOrder = NumericDateOrder::byLanguage;

  // When true, a clock time that names no day, no weekday and no date ("at 9", "15時") and that has
  // already passed at the reference is read on the next day: typed at 14:49, "Standup at 9" is
  // tomorrow at 9:00. A range moves as a whole. Default false: the reference day, past or not.
  bool timesAhead = false;

  // When true, the years Japanese and Chinese dates write short are read as meant: a year of two
  // digits or two numerals ("24年3月5日", "二四年三月五日") is the year ending in them nearest the
  // reference (2024 read in 2026), and an era year ("令和6年", "平成2年", "令和元年") is its Gregorian
  // year, with the era 令和 and one-digit era years that the engine does not read otherwise.
  // Default false: a year stands as written (24年 is the year 24), and only 昭和 and 平成 years of two
  // digits are read as eras.
  bool shortYears = false;

  friend bool operator==(const ReaderOptions&, const ReaderOptions&) = default;
};

}  // namespace zarvo::chrono
