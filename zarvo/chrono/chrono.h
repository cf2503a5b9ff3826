// The date engine's entry point: reads date phrases ("tomorrow at 5pm", "10:30", "7 - 9pm") out of a
// line of text.
//
// A Chrono holds one immutable configuration (ModeOptio) and may be used by any number of threads at
// once. `parse` runs every parser over the text, orders the results by position and passes them through
// the refiners. It never fails: no date found is an empty list.
//
// Positions (`index`, lengths of `text`) are UTF-16 code units of the input; the UTF-8 overloads
// convert first (ill-formed bytes become U+FFFD), so positions still count UTF-16 units.
//
// Each Chrono also carries ReaderOptions (reader_options.h): how it chooses between languages and a
// few opt-in readings. The default options read as the engine-wide settings say.
//
// Bounded work: `parse` reads at most kMaxInputLength code units of its input (the rest is ignored, as
// if the text ended there, so a phrase running across that point is read only up to it) and the cost
// per character stays flat up to that length; every single search also has a work limit (regex.h).
// Pasting a whole document into quick entry therefore costs a bounded, predictable time.
#pragma once

#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "zarvo/chrono/mode_option.h"
#include "zarvo/chrono/options.h"
#include "zarvo/chrono/parsed_result.h"
#include "zarvo/chrono/reader_options.h"
#include "zarvo/chrono/settings.h"
#include "zarvo/platform/clock.h"

namespace zarvo::chrono {

class Chrono : public ChronoSettings {
 public:
  // The most UTF-16 code units of one input `parse` reads (a surrogate pair is never split: the cut
  // falls before it).
  static constexpr size_t kMaxInputLength = 100'000;

  explicit Chrono(ModeOptio modeOption, ReaderOptions options = {});

  const ModeOptio& modeOption() const { return modeOption_; }
  const ReaderOptions& options() const { return options_; }

  // Every parser, then every refiner. With a preferred language (the engine-wide preferredLanguage()
  // under the default options), parsers of English and that language run first, and the other
  // languages only when they found nothing. Results are ordered by index (stable: parser order, then
  // position within one parser's output) before refining. Under LanguageChoice::byEvidence, the
  // results of bestReading(readEachLanguage(...)). Only the languages the options allow run.
  std::vector<ParsedResult> parse(std::u16string_view text, Date refDate, const Options& opt = {}) const;
  std::vector<ParsedResult> parse(std::string_view utf8Text, Date refDate, const Options& opt = {}) const;

  // One language's reading of a whole line: the results of its parsers alone, ordered and refined.
  struct LanguageReading {
    Language language;
    std::vector<ParsedResult> results;
  };
  // The reading of every language the options allow that finds anything, in Language order; a
  // language that finds nothing is left out. Whatever the options' LanguageChoice.
  std::vector<LanguageReading> readEachLanguage(std::u16string_view text, Date refDate, const Options& opt = {}) const;

  // Which of `readings` (of `text`) explains most of it, by the rule of LanguageChoice::byEvidence
  // with `preferred` breaking ties first; nothing when no reading has a result.
  static std::optional<size_t> bestReading(std::span<const LanguageReading> readings, std::u16string_view text,
                                           std::optional<Language> preferred);

  // The date of the first result's start read by the casual configuration, whatever this value's own
  // configuration; nothing when no date is found.
  std::optional<Date> parseDate(std::u16string_view text, Date refDate, const Options& opt = {}) const;
  std::optional<Date> parseDate(std::string_view utf8Text, Date refDate, const Options& opt = {}) const;

  // Chrono(casualModeOption()) and Chrono(baseModeOption(true)), each built once on first use
  // (thread-safe) and shared for the life of the process.
  static const Chrono& casual();
  static const Chrono& strict();

 private:
  struct Run;
  // The parsers' results in `run`'s text for the languages `runs` admits, ordered and refined.
  template <typename Admits>
  std::vector<ParsedResult> read(const Run& run, Admits&& runs) const;
  std::vector<ParsedResult> refined(const Run& run, std::vector<ParsedResult> results) const;
  bool allows(Language language, const Run& run) const;

  ModeOptio modeOption_;
  ReaderOptions options_;
  std::vector<Language> languages_;  // of each parser, in list order
};

}  // namespace zarvo::chrono
