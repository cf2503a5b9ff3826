// Internal: the time zones of task files. A TZID reads as a zone the zone database knows (its name,
// a prefixed or Windows name, or the X-LIC-LOCATION of the file's VTIMEZONE), else by the offset
// rules of the file's own VTIMEZONE, else as floating time with a logged notice. Definitions read
// from files are kept per process (bounded); every function may be called from any thread.
#pragma once

#include <libical/ical.h>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "zarvo/platform/clock.h"

namespace zarvo::reminders::detail::ical {

// How a file's TZID reads.
struct ZoneOfFile {
  std::optional<std::string> known;  // a zone the database knows
  std::string_view definition;       // else the file's VTIMEZONE (empty when it has none)
};
// `fileText` must outlive the answer.
ZoneOfFile zoneOfFile(const std::string& tzid, std::string_view fileText);

// The UTC time of a wall-clock time in a zone the file defines; nothing when its definition is unreadable.
std::optional<struct icaltimetype> inFileZone(std::string_view definition, struct icaltimetype t);

// Logs that `property` of `path` names a zone nobody defines.
void warnFloating(const std::string& tzid, const char* property, const std::filesystem::path& path);

// The instant of time `t` of property `p` (a date reads as its midnight in UTC; a zoned time in its
// zone; a floating one in the process zone); nothing for a null time. Throws OutOfRange for a time
// outside the years a task can keep (year 0000 included).
std::optional<Date> instantOf(icalproperty* p, struct icaltimetype t, const char* property, std::string_view fileText,
                              const std::filesystem::path& path);

// A VTIMEZONE for IANA zone `zone` as ICU describes it, lines ending in `newline`; empty when ICU
// cannot. Made once per zone and process.
std::string vtimezoneFor(const std::string& zone, std::string_view newline);

}  // namespace zarvo::reminders::detail::ical
