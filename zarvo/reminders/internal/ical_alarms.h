// Internal: a task's alarms (VALARM blocks). The reader takes each block's trigger, absolute or
// relative to the due date, its ACKNOWLEDGED, UID and snooze link; the writer keeps the blocks of
// kept alarms byte for byte (adding only a missing ACKNOWLEDGED or UID line) and writes new ones as
// DISPLAY alarms with an absolute UTC trigger. Callable from any thread.
#pragma once

#include <libical/ical.h>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "zarvo/reminders/internal/ical_file.h"

namespace zarvo::reminders::detail::ical {

// Fills entry.alarms from the VALARMs libical read of `todo`, one per block of entry.alarmOrigins
// (the line scan found the same number). A trigger outside the kept years is left out (datesLeftOut).
void readAlarms(icalcomponent* todo, std::string_view fileText, const std::filesystem::path& path, TodoEntry& entry);

// A new VALARM block for `alarm`, lines ending in `newline`.
std::string valarmText(const AlarmValue& alarm, std::string_view newline);

// The block `block` of alarm `had` as `want` says, when only its ACKNOWLEDGED or UID changed: the
// missing lines go before END:VALARM and every line written stays as it is. Nothing when the block
// needs no change. REQUIRES: `block` ends with its END:VALARM line.
std::optional<std::string> editedValarm(std::string_view block, const AlarmValue& had, const AlarmValue& want,
                                        std::string_view newline);

}  // namespace zarvo::reminders::detail::ical
