// Clock readings the time-expression parsers of every language share: am/pm markers, and how the end
// of a clock range ("7 - 9pm", "下午三點到五點") is completed once its numbers are read.
//
// Pure functions of their arguments and the current calendar and zone; thread-safe.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "zarvo/chrono/parsed_result.h"

namespace zarvo::chrono {

// 'a' or 'p' for an am/pm marker ("AM", "a", "P.M.", ...) by its first letter in either case; nothing
// for any other text.
std::optional<char16_t> markerLetter(std::u16string_view marker);

// A start clock under an am/pm marker. Nothing for an hour above 12 (the match is rejected). 'a' makes
// 12 into 0 and fixes AM; 'p' adds 12 to every hour but 12 and fixes PM.
struct MarkedHour {
  int64_t hour;
  int64_t meridiem;  // 0 = AM, 1 = PM
};
std::optional<MarkedHour> applyMarker(int64_t hour, char16_t letter);

// The end of `result`'s range, created when absent as a component set read against the start's
// moment, so the end takes the start's day, month and year as implied values.
ParsedComponents& openRangeEnd(ParsedResult& result);

// What a range end states once its parser has read and checked its own numbers.
struct RangeEndClock {
  int64_t hour = 0;    // below 25
  int64_t minute = 0;  // below 60
  // The half of the day the end's own words fix (a part of the day), else nothing. Not a marker: it
  // does not carry over to the start.
  std::optional<int64_t> meridiem;
  // 'a' or 'p' of an am/pm marker written on the end.
  std::optional<char16_t> marker;
};

// Completes the end opened by `openRangeEnd` and appends `endText` (separator and blanks included) to
// the result's text. REQUIRES: `result.end()` is present.
//   - An end hour from 12 on is PM unless the end's words fixed its half of the day.
//   - A marker: 'a' turns 12 into 0 on the next day; 'p' adds 12 to every hour but 12. When the start
//     did not state its half of the day, the marker carries over to it the same way (12am -> 0,
//     1pm -> 13) as an implied meridiem.
//   - An end whose half of the day stays open after a start stated as PM and later on the clock is
//     implied AM ("10pm - 2" ends at 2 at night).
//   - An end that would lie before the start moves to the next day (implied).
// Returns false when the whole match must be rejected: a marker on an end hour above 12.
bool completeRangeEnd(ParsedResult& result, const RangeEndClock& end, std::u16string_view endText);

}  // namespace zarvo::chrono
