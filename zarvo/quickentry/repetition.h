// Repetition phrases of a quick-entry line, in the six languages quick entry reads, as an iCalendar
// recurrence rule: "every day", "every weekday", "every 2 weeks", "every Monday and Thursday",
// "every morning", "jeden Montag", "alle zwei Wochen", "täglich", "jeden Abend", "cada lunes",
// "todos los días", "todas las mañanas", "tous les lundis", "chaque soir",
// "toutes les semaines", "毎週月曜日", "毎日", "隔週", "每周一", "每天", "每两周", "工作日".
//
// Pure functions over tables built once per process; thread-safe.
#pragma once

#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "zarvo/platform/clock.h"
#include "zarvo/platform/regex.h"

namespace zarvo::quickentry {

struct Repetition {
  // Where the phrase stands in the line, in UTF-16 code units.
  platform::Range range;
  // The rule as an RRULE value: "FREQ=DAILY", "FREQ=WEEKLY;INTERVAL=2", "FREQ=WEEKLY;BYDAY=MO,TH",
  // "FREQ=WEEKLY;BYDAY=MO,TU,WE,TH,FR" (weekdays), "FREQ=MONTHLY", "FREQ=YEARLY".
  std::string rule;
  // The days the rule names, 0 = Sunday ... 6 = Saturday; empty when it names none.
  std::set<int> weekdays;
};

// The first repetition phrase of `line` (the leftmost; the longest of those starting there), in any
// of the languages; nothing when the line has none. An interval of one is left out of the rule, and
// an interval that does not read ("every 0 days") is no repetition.
std::optional<Repetition> findRepetition(std::u16string_view line);

// The first moment from `due` on, at its time of day, that falls on one of `repetition`'s weekdays
// (`due` itself when it does, or when the rule names none). Current calendar and zone.
Date firstOccurrence(Date due, const Repetition& repetition);

}  // namespace zarvo::quickentry
