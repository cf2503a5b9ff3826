#include "zarvo/reminders/internal/ical_zones.h"

#include <unicode/timezone.h>
#include <unicode/vtzone.h>

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

#include "zarvo/platform/date_calendar.h"
#include "zarvo/reminders/internal/ical_file.h"
#include "zarvo/reminders/internal/ical_lines.h"
#include "zarvo/reminders/internal/ical_support.h"
#include "zarvo/reminders/internal/ical_zones.h"

namespace zarvo::reminders::detail {
namespace ical {

namespace {

// The VTIMEZONE of `fileText` whose TZID is `tzid`, as text; empty when the file defines none.
std::string_view vtimezoneBlock(std::string_view fileText, std::string_view tzid) {
  for (size_t begin = fileText.find("BEGIN:VTIMEZONE"); begin != std::string_view::npos;
       begin = fileText.find("BEGIN:VTIMEZONE", begin + 1)) {
    size_t end = fileText.find("END:VTIMEZONE", begin);
    if (end == std::string_view::npos) return {};
    end = fileText.find('\n', end);
    const std::string_view block = fileText.substr(begin, end == std::string_view::npos ? end : end + 1 - begin);
    for (size_t at = block.find("\nTZID"); at != std::string_view::npos; at = block.find("\nTZID", at + 1)) {
      const size_t colon = block.find(':', at);
      const size_t eol = block.find_first_of("\r\n", at + 1);
      if (colon < eol && block.substr(colon + 1, eol - colon - 1) == tzid) return block;
    }
  }
  return {};
}

// The zones files define for themselves (as Exchange and Outlook write them, with a TZID no zone
// database knows), read by libical from the VTIMEZONE's STANDARD and DAYLIGHT rules. Kept per
// definition text for the process, so each is read once; libical expands a zone's transitions
// lazily, so every use holds the lock.
class FileZones {
 public:
  // Seconds to add to UTC to get `local` in the zone `definition` describes; nothing when libical
  // cannot read it.
  static std::optional<int> utcOffset(std::string_view definition, struct icaltimetype local) {
    static FileZones zones;
    std::lock_guard lock(zones.mu_);
    auto it = zones.zones_.find(std::string(definition));
    if (it == zones.zones_.end()) {
      if (zones.zones_.size() >= 256) zones.zones_.clear();  // many distinct definitions: start over
      it = zones.zones_.emplace(std::string(definition), read(definition)).first;
    }
    if (!it->second) return std::nullopt;
    local.zone = nullptr;
    local.is_date = 0;
    int daylight = 0;
    return icaltimezone_get_utc_offset(it->second.get(), &local, &daylight);
  }

 private:
  struct ZoneDeleter {
    void operator()(icaltimezone* z) const { icaltimezone_free(z, 1); }
  };
  using ZonePtr = std::unique_ptr<icaltimezone, ZoneDeleter>;

  static ZonePtr read(std::string_view definition) {
    ComponentPtr component = parseComponent(definition);
    if (!component || icalcomponent_isa(component.get()) != ICAL_VTIMEZONE_COMPONENT ||
        icalcomponent_get_first_component(component.get(), ICAL_ANY_COMPONENT) == nullptr) {
      return nullptr;
    }
    ZonePtr zone(icaltimezone_new());
    if (!icaltimezone_set_component(zone.get(), component.get())) return nullptr;
    component.release();  // the zone owns it now
    return zone;
  }

  std::mutex mu_;
  std::map<std::string, ZonePtr> zones_;
};

}  // namespace

ZoneOfFile zoneOfFile(const std::string& tzid, std::string_view fileText) {
  ZoneOfFile zone;
  const std::string_view definition = vtimezoneBlock(fileText, tzid);
  zone.known = resolveTzid(tzid, definition);
  if (!zone.known) zone.definition = definition;
  return zone;
}

// The UTC time of a wall-clock time in a zone the file defines; nothing when its definition is unreadable.
std::optional<struct icaltimetype> inFileZone(std::string_view definition, struct icaltimetype t) {
  if (definition.empty()) return std::nullopt;
  const std::optional<int> offset = FileZones::utcOffset(definition, t);
  if (!offset) return std::nullopt;
  const auto at = civilSeconds(t.year, t.month, t.day, t.hour, t.minute, t.second) - std::chrono::seconds(*offset);
  // Within a day of the kept years' ends, UTC may lie beyond them: such a time reads as floating.
  if (!platform::isKeptYear(platform::DateCalendar::gregorianUTC().component(platform::CalendarUnit::year, Date(at)))) {
    return std::nullopt;
  }
  return utcTime(Date(at));
}

void warnFloating(const std::string& tzid, const char* property, const std::filesystem::path& path) {
  log().notice("Unknown time zone '%{public}@' in %{public}@ of %{public}@: its time reads as floating", tzid,
               property, path.string());
}

std::optional<Date> instantOf(icalproperty* p, struct icaltimetype t, const char* property, std::string_view fileText,
                              const std::filesystem::path& path) {
  if (icaltime_is_null_time(t)) return std::nullopt;
  requireInRange(property, t);
  if (t.is_date) return utcDate(t.year, t.month, t.day, 0, 0, 0);
  if (icaltime_is_utc(t)) return utcDate(t.year, t.month, t.day, t.hour, t.minute, t.second);
  platform::DateComponents c{.year = t.year, .month = t.month, .day = t.day, .hour = t.hour,
                             .minute = t.minute, .second = t.second};
  if (auto tzid = tzidOf(p)) {
    const ZoneOfFile zone = zoneOfFile(*tzid, fileText);
    if (zone.known) {
      if (auto cal = platform::DateCalendar::inZone(*zone.known)) return cal->date(c);
    }
    if (auto u = inFileZone(zone.definition, t)) return utcDate(u->year, u->month, u->day, u->hour, u->minute, u->second);
    warnFloating(*tzid, property, path);
  }
  return platform::DateCalendar::current().date(c);
}

std::string vtimezoneFor(const std::string& zone, std::string_view newline) {
  static std::mutex mu;
  static std::map<std::string, std::string> cache;
  std::lock_guard lock(mu);
  auto it = cache.find(zone);
  if (it == cache.end()) {
    std::string text;
    std::unique_ptr<icu::VTimeZone> vtz(icu::VTimeZone::createVTimeZoneByID(icu::UnicodeString::fromUTF8(zone)));
    if (vtz) {
      icu::UnicodeString out;
      UErrorCode status = U_ZERO_ERROR;
      vtz->write(946684800000.0 /* 2000-01-01 */, out, status);
      if (U_SUCCESS(status)) out.toUTF8String(text);
    }
    if (!text.empty() && text.back() != '\n') text += "\r\n";
    it = cache.emplace(zone, std::move(text)).first;
  }
  return withNewline(it->second, newline);
}

}  // namespace ical

std::optional<std::string> resolveTzid(std::string_view tzid, std::string_view vtimezoneText) {
  auto known = [](std::string_view z) { return !z.empty() && platform::DateCalendar::isKnownTimeZone(z); };
  // What the name alone says is the same for every file, so it is worked out once per process; what a
  // file's definition says is that file's, so an unknown name never hides a zone a later file defines.
  static std::mutex mu;
  static std::unordered_map<std::string, std::optional<std::string>> byName;
  const std::string id(tzid);
  std::optional<std::string> zone;
  bool cached = false;
  {
    std::lock_guard lock(mu);
    if (auto it = byName.find(id); it != byName.end()) {
      zone = it->second;
      cached = true;
    }
  }
  if (!cached) {
    if (known(id)) {
      zone = id;
    } else {
      // Prefixed names: try the last two, then three, path segments.
      for (int segments = 2; segments <= 3 && !zone; ++segments) {
        size_t at = id.size();
        for (int s = 0; s < segments && at != std::string::npos && at > 0; ++s) at = id.rfind('/', at - 1);
        if (at != std::string::npos && at + 1 < id.size() && known(id.substr(at + 1))) zone = id.substr(at + 1);
      }
      if (!zone) {
        icu::UnicodeString windows;
        UErrorCode status = U_ZERO_ERROR;
        icu::TimeZone::getIDForWindowsID(icu::UnicodeString::fromUTF8(id), nullptr, windows, status);
        if (U_SUCCESS(status) && !windows.isEmpty()) {
          std::string s;
          windows.toUTF8String(s);
          zone = s;
        }
      }
    }
    std::lock_guard lock(mu);
    byName.emplace(id, zone);
  }
  if (!zone && !vtimezoneText.empty()) {
    if (size_t at = vtimezoneText.find("X-LIC-LOCATION:"); at != std::string_view::npos) {
      const size_t eol = vtimezoneText.find_first_of("\r\n", at);
      std::string location(vtimezoneText.substr(at + 15, eol - at - 15));
      if (known(location)) zone = location;
    }
  }
  return zone;
}

}  // namespace zarvo::reminders::detail
