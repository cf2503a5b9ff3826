// Engine-wide settings: process-wide values that callers set before parsing and that the engine only
// reads. `Chrono` inherits them, so they read as `Chrono::defaultImpliedHour()`.
//
// Each value is atomic, so setting one while another thread parses is not a data race; a parse that
// overlaps a change may see either value.
#pragma once

#include <cstdint>
#include <optional>

#include "zarvo/chrono/options.h"

namespace zarvo::chrono {

class ChronoSettings {
 public:
  // Time of day implied where a phrase states none. Initially 12:00:00.000.
  static int64_t defaultImpliedHour();
  static void setDefaultImpliedHour(int64_t hour);
  static int64_t defaultImpliedMinute();
  static void setDefaultImpliedMinute(int64_t minute);
  static int64_t defaultImpliedSecond();
  static void setDefaultImpliedSecond(int64_t second);
  static int64_t defaultImpliedMillisecond();
  static void setDefaultImpliedMillisecond(int64_t millisecond);

  // When true, instants before 1900 (UTC) come out 6 minutes later. Initially false.
  static bool sixMinutesFixBefore1900();
  static void setSixMinutesFixBefore1900(bool on);

  // Narrows the first parsing pass to English and this language. Initially absent.
  static std::optional<Language> preferredLanguage();
  static void setPreferredLanguage(std::optional<Language> language);

  // When true (initially), each parser first checks its prefilter (prefilter.h) and skips texts its
  // pattern cannot match. Results are the same either way; off is for measuring and for tests.
  static bool prefilterEnabled();
  static void setPrefilterEnabled(bool on);
};

}  // namespace zarvo::chrono
