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
// Bounded work: `parse` reads at most kMaxInputLength code units of its input (the rest is ignored, as
// if the text ended there, so a phrase running across that point is read only up to it) and the cost
// per character stays flat up to that length; every single search also has a work limit (regex.h).
// Pasting a whole document into quick entry therefore costs a bounded, predictable time.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "zarvo/chrono/mode_option.h"
#include "zarvo/chrono/options.h"
#include "zarvo/chrono/parsed_result.h"
#include "zarvo/chrono/settings.h"
#include "zarvo/platform/clock.h"

namespace zarvo::chrono {

class Chrono : public ChronoSettings {
 public:
  // The most UTF-16 code units of one input `parse` reads (a surrogate pair is never split: the cut
  // falls before it).
  static constexpr size_t kMaxInputLength = 100'000;

  explicit Chrono(ModeOptio modeOption) : modeOption_(std::move(modeOption)) {}

  const ModeOptio& modeOption() const { return modeOption_; }

  // Every parser, then every refiner. With a preferredLanguage() set, parsers of English and that
  // language run first, and the other languages only when they found nothing. Results are ordered by
  // index (stable: parser order, then position within one parser's output) before refining.
  std::vector<ParsedResult> parse(std::u16string_view text, Date refDate, const Options& opt = {}) const;
  std::vector<ParsedResult> parse(std::string_view utf8Text, Date refDate, const Options& opt = {}) const;

  // The date of the first result's start read by the casual configuration, whatever this value's own
  // configuration; nothing when no date is found.
  std::optional<Date> parseDate(std::u16string_view text, Date refDate, const Options& opt = {}) const;
  std::optional<Date> parseDate(std::string_view utf8Text, Date refDate, const Options& opt = {}) const;

  // Chrono(casualModeOption()) and Chrono(baseModeOption(true)), each built once on first use
  // (thread-safe) and shared for the life of the process.
  static const Chrono& casual();
  static const Chrono& strict();

 private:
  ModeOptio modeOption_;
};

}  // namespace zarvo::chrono
