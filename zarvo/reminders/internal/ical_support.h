// Internal: what every part of the task-file reader and writer shares about libical — handles that
// free what it allocates, the properties the store owns, and the conversions between its times and
// the store's instants. Pure functions and constants; every one may be called from any thread: those
// that hand text or times to libical set up its process-wide state first (utcZone).
#pragma once

#include <libical/ical.h>

#include <chrono>
#include <iterator>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "zarvo/platform/clock.h"
#include "zarvo/platform/log.h"

namespace zarvo::reminders::detail::ical {

// The store's log (subsystem "reminders").
const platform::Log& log();

// The properties the store owns, by libical's kind and name. iCalendar allows each once in a VTODO.
struct OwnedProperty {
  icalproperty_kind kind;
  std::string_view name;
};
inline constexpr OwnedProperty kOwned[] = {
    {ICAL_UID_PROPERTY, "UID"},
    {ICAL_SUMMARY_PROPERTY, "SUMMARY"},
    {ICAL_DESCRIPTION_PROPERTY, "DESCRIPTION"},
    {ICAL_PRIORITY_PROPERTY, "PRIORITY"},
    {ICAL_DUE_PROPERTY, "DUE"},
    {ICAL_STATUS_PROPERTY, "STATUS"},
    {ICAL_COMPLETED_PROPERTY, "COMPLETED"},
    {ICAL_PERCENTCOMPLETE_PROPERTY, "PERCENT-COMPLETE"},
    {ICAL_CREATED_PROPERTY, "CREATED"},
    {ICAL_DTSTAMP_PROPERTY, "DTSTAMP"},
    {ICAL_LASTMODIFIED_PROPERTY, "LAST-MODIFIED"},
};
inline constexpr size_t kOwnedCount = std::size(kOwned);

// The index in kOwned of a property name, or kOwnedCount.
size_t ownedIndex(std::string_view name);

// The lines the records own besides CATEGORIES: the flag and the order.
inline constexpr std::string_view kFlaggedName = "X-ZARVO-FLAGGED", kOrderName = "X-ZARVO-ORDER";

// Whether a zone name means UTC.
bool isUtcZone(std::string_view zone);

// libical's UTC zone. libical reads the system's list of zones the first time it needs one (any time
// it parses, say "DUE:20240603T170000Z"): about 1.6 million instructions, a quarter of a command on a
// small home. The first call does that once for the process, from any thread, others waiting for it;
// a process that parses and writes no task file (every file from the saved copy) never does.
icaltimezone* utcZone();

// Frees what libical allocates, when it goes out of scope.
struct ComponentDeleter {
  void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};
struct PropertyDeleter {
  void operator()(icalproperty* p) const { icalproperty_free(p); }
};
using ComponentPtr = std::unique_ptr<icalcomponent, ComponentDeleter>;
using PropertyPtr = std::unique_ptr<icalproperty, PropertyDeleter>;

// The component libical reads from `text`, as icalparser_parse_string reads it (up to a NUL byte,
// malformed data reported as X-LIC-ERROR properties), but in time linear in the text's length:
// libical's own string reader scans the rest of a line for its end once per 1 KB it hands over, so a
// line of n bytes took time in n squared (16 MB: minutes, under the home's lock). Null when libical
// reads no component.
ComponentPtr parseComponent(std::string_view text);

// Takes ownership of a string libical allocated for the caller; null reads as empty.
std::string takeString(char* s);
// One property as a content line, ending in `newline`.
std::string serialize(PropertyPtr p, std::string_view newline);

// An instant as a UTC time, to the second. Throws StoreError (invalid) for an instant outside the
// years a task can keep, which no file may be given.
struct icaltimetype utcTime(Date date);
// A property `name` holding time `t` (a date, a UTC or a floating time, as `t` says), after
// `parameters` (";VALUE=DATE-TIME"). Made from its text: libical 3.0's value constructors turn a time
// past year 3000 into a null one, while its parser reads, and its writer writes, every year to 9999.
PropertyPtr timeProperty(std::string_view name, const struct icaltimetype& t, std::string_view parameters = {});
// The TZID parameter of a property; nothing without one.
std::optional<std::string> tzidOf(icalproperty* p);

// Whether two instants are the same to the second (a file holds no finer time), or both absent.
bool sameAbsolute(const std::optional<Date>& a, const std::optional<Date>& b);

// A time the reader does not take: one outside the years a task can keep (1 to 9999; another
// program may write year 0000, or a month 13 of 9999 that carries into 10000). Moving it to the
// nearest kept date would show, and on a rewrite store, another date than the file says. The reader
// leaves that one value out instead and says so (TodoFields::datesLeftOut): the task still shows, and
// its line stays as written until the value is set.
struct OutOfRange : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The seconds from the epoch of a civil time read as UTC, in whole seconds (which hold any int year).
// Fields past their range, as another program may write them and libical hands them on (month 0 or
// 13, day 0 or 32), carry over as a calendar counts them: month 0 is the December before.
std::chrono::sys_seconds civilSeconds(int year, int month, int day, int hour, int minute, int second);
// Whether a wall-clock time, its fields carried over, lies in the years a task can keep.
bool civilInRange(const struct icaltimetype& t);
// "DUE 0000-01-01": a property and the day of its time as read (fields not carried), for datesLeftOut.
std::string leftOutDate(const char* property, const struct icaltimetype& t);
// Throws OutOfRange, naming `property`, unless civilInRange(t).
void requireInRange(const char* property, const struct icaltimetype& t);

}  // namespace zarvo::reminders::detail::ical
