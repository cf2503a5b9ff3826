// Internal: completing one occurrence of a recurring task.
//
// A task with an RRULE stands for a series. Completing it completes the current occurrence only:
// its DTSTART (or, without one, its DUE, which CalDAV task clients anchor a task's series on) moves
// to the next occurrence of the rule, DUE moves with it by the same wall-clock amount, COUNT shrinks
// by the occurrences passed, and the task stays open. That is how the CalDAV task clients other
// programs share these files with complete a recurring task, and it keeps one file one task: no copy
// is made that other clients would show as a second task, and every client reading the file sees
// the next occurrence as the open task. The series' alarms stay. When the rule has no occurrence
// after the current one (COUNT or UNTIL reached), or it cannot be read, or the lines its values were
// read from cannot be told, the task completes as a whole. Callable from any thread.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "zarvo/reminders/internal/ical_file.h"

namespace zarvo::reminders::detail::ical {

// The new lines (each with the line it replaces) that complete the current occurrence of `entry`'s
// series and make the next one current; nothing when the series completes as a whole.
std::optional<std::vector<std::pair<const PropertyLine*, std::string>>> nextOccurrence(const TodoFile& file,
                                                                                        const TodoEntry& entry);

}  // namespace zarvo::reminders::detail::ical
