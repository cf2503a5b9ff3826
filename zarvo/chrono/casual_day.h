// What the casual day and part-of-day words of every language mean: tomorrow, yesterday, last night,
// now, and parts of the day with an hour the caller may choose through the options.
//
// All day arithmetic uses the current calendar (wall-clock time kept across DST changes); thread-safe.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "zarvo/chrono/options.h"
#include "zarvo/chrono/parsed_components.h"
#include "zarvo/platform/clock.h"

namespace zarvo::chrono {

// `ref` moved by `days` whole days.
Date daysFrom(Date ref, int64_t days);

// The day "tomorrow" means: the next day, except from 00:00 to 01:59, when it still means the day
// that has just begun.
Date tomorrowFrom(Date ref);

// "last night": implies hour 0 on `start` and returns its day, the day before `ref` once `ref` is
// past 06:59 and `ref`'s own day until then.
Date lastNight(ParsedComponents& start, Date ref);

// "now": implies the hour, minute, second and millisecond of `ref`. The millisecond is the nanoseconds
// of `ref` rounded up to whole milliseconds, or cut to them when `roundUp` is false (a language whose
// "now" names the reference's millisecond as it stands).
void implyNow(ParsedComponents& start, Date ref, bool roundUp = true);

// Assigns the day, month and year of `day`.
void assignDay(ParsedComponents& start, Date day);

// A word naming a part of the day.
struct PartOfDay {
  std::u16string_view word;         // lower case
  OptionType option;                // the option that chooses its hour
  int64_t defaultHour;              // the hour when the option is absent
  std::optional<int64_t> meridiem;  // implied with the hour, when the word states it
};

// The entry of `parts` for the lower-cased `word`, or null.
const PartOfDay* findPartOfDay(std::span<const PartOfDay> parts, std::u16string_view word);

// Implies `part`'s hour (the option's value from `opt`, else its default) and meridiem on `start`.
void implyPartOfDay(ParsedComponents& start, const PartOfDay& part, const Options& opt);

}  // namespace zarvo::chrono
