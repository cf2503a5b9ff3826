#include "zarvo/reminders/internal/ical_file.h"

#include <libical/ical.h>
#include <unicode/timezone.h>
#include <unicode/vtzone.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <random>
#include <set>
#include <tuple>
#include <unordered_map>

#include "zarvo/platform/log.h"
#include "zarvo/reminders/store_error.h"

namespace zarvo::reminders::detail {

namespace {

using std::chrono::days;
using std::chrono::sys_days;

const platform::Log& log() {
  static const platform::Log instance("org.zarvo.ZarvoKit", "reminders");
  return instance;
}

std::string upper(std::string out) {
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

// The blanks libical trims from the end of a line and of a property name (C's isspace).
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// The length of the fold at text[i] (CRLF or LF, then a space or tab, which readers remove), or 0.
size_t foldAt(std::string_view text, size_t i) {
  const size_t lineBreak = text.compare(i, 2, "\r\n") == 0 ? 2 : text[i] == '\n' ? 1 : 0;
  if (lineBreak == 0 || i + lineBreak >= text.size()) return 0;
  const char next = text[i + lineBreak];
  return next == ' ' || next == '\t' ? lineBreak + 1 : 0;
}

// A content line (folds and terminator included) as a reader sees it: folds undone, trailing blanks
// and the terminator dropped.
std::string unfold(std::string_view raw) {
  std::string out;
  if (raw.find('\n') + 1 >= raw.size()) {  // one physical line
    out = raw;
  } else {
    for (size_t i = 0; i < raw.size(); ++i) {
      if (const size_t fold = foldAt(raw, i)) {
        i += fold - 1;
      } else {
        out += raw[i];
      }
    }
  }
  while (!out.empty() && isBlank(out.back())) out.pop_back();
  return out;
}

// A content line (folds and terminator included) as one logical line: folds undone, line
// terminators dropped, everything else (trailing blanks too) as written.
std::string logicalLine(std::string_view raw) {
  std::string line;
  for (size_t i = 0; i < raw.size(); ++i) {
    if (const size_t fold = foldAt(raw, i)) {
      i += fold - 1;
    } else if (raw[i] != '\r' && raw[i] != '\n') {
      line += raw[i];
    }
  }
  return line;
}

// Where a logical line's value starts, less one: its first ':' outside a quoted parameter value;
// the line's length when there is none.
size_t valueSeparator(std::string_view line) {
  bool quoted = false;
  size_t at = 0;
  while (at < line.size() && (quoted || line[at] != ':')) {
    if (line[at] == '"') quoted = !quoted;
    ++at;
  }
  return at;
}

// The name of a content line as libical reads it, upper-case: the text before the first ';' or ':'
// once folds are undone, without the blanks before the separator. libical compares names regardless
// of case and ignores those blanks, so "summary :x" is a SUMMARY line. `separator` gets the offset
// of the separator in `raw`, npos when there is none.
std::string nameOf(std::string_view raw, size_t& separator) {
  std::string name;
  separator = raw.find_first_of(";:\n");
  if (separator != std::string_view::npos && raw[separator] != '\n') {  // no fold before the separator
    name.assign(raw, 0, separator);
  } else {
    separator = std::string_view::npos;
    for (size_t i = 0; i < raw.size(); ++i) {
      if (raw[i] == ';' || raw[i] == ':') {
        separator = i;
        break;
      }
      if (const size_t fold = foldAt(raw, i)) {
        i += fold - 1;
      } else {
        name += raw[i];
      }
    }
  }
  while (!name.empty() && isBlank(name.back())) name.pop_back();
  return upper(std::move(name));
}

// The properties the store owns, by libical's kind and name. iCalendar allows each once in a VTODO.
struct OwnedProperty {
  icalproperty_kind kind;
  std::string_view name;
};
constexpr OwnedProperty kOwned[] = {
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
constexpr size_t kOwnedCount = std::size(kOwned);

// The index in kOwned of a property name, or kOwnedCount.
size_t ownedIndex(std::string_view name) {
  for (size_t i = 0; i < kOwnedCount; ++i) {
    if (kOwned[i].name == name) return i;
  }
  return kOwnedCount;
}

bool isUtcZone(std::string_view zone) {
  return zone == "UTC" || zone == "GMT" || zone == "Etc/UTC" || zone == "Etc/GMT" || zone == "Z" ||
         zone == "Etc/Universal" || zone == "Universal" || zone == "Zulu" || zone == "Etc/Zulu";
}

// Frees what libical allocates, when it goes out of scope.
struct ComponentDeleter {
  void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};
struct PropertyDeleter {
  void operator()(icalproperty* p) const { icalproperty_free(p); }
};
using ComponentPtr = std::unique_ptr<icalcomponent, ComponentDeleter>;
using PropertyPtr = std::unique_ptr<icalproperty, PropertyDeleter>;

std::string takeString(char* s) {
  std::string out = s != nullptr ? s : "";
  std::free(s);
  return out;
}

// libical writes "\r\n"; lines we add follow the file's own terminator.
std::string withNewline(std::string text, std::string_view newline) {
  if (newline == "\r\n") return text;
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out += text[i];
  }
  return out;
}

std::string serialize(PropertyPtr p, std::string_view newline) {
  return withNewline(takeString(icalproperty_as_ical_string_r(p.get())), newline);
}

struct icaltimetype utcTime(Date date) {
  auto secs = std::chrono::floor<std::chrono::seconds>(date);
  auto day = std::chrono::floor<days>(secs);
  std::chrono::year_month_day ymd(day);
  std::chrono::hh_mm_ss hms(secs - day);
  struct icaltimetype t = icaltime_null_time();
  t.year = static_cast<int>(ymd.year());
  t.month = static_cast<int>(static_cast<unsigned>(ymd.month()));
  t.day = static_cast<int>(static_cast<unsigned>(ymd.day()));
  t.hour = static_cast<int>(hms.hours().count());
  t.minute = static_cast<int>(hms.minutes().count());
  t.second = static_cast<int>(hms.seconds().count());
  t.zone = icaltimezone_get_utc_timezone();
  return t;
}

std::optional<std::string> tzidOf(icalproperty* p) {
  icalparameter* param = icalproperty_get_first_parameter(p, ICAL_TZID_PARAMETER);
  if (param == nullptr) return std::nullopt;
  const char* tzid = icalparameter_get_tzid(param);
  if (tzid == nullptr) return std::nullopt;
  return std::string(tzid);
}

// A time the reader refuses: one outside what a Date holds. Moving it to the nearest date a Date
// holds would show, and on a rewrite store, another date than the file says; the file is skipped
// instead, with this as the reason, and stays as it is.
struct OutOfRange : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The seconds from the epoch of a civil time read as UTC, in whole seconds (which hold any int year).
std::chrono::sys_seconds civilSeconds(int year, int month, int day, int hour, int minute, int second) {
  const sys_days d = std::chrono::year_month_day(std::chrono::year(year), std::chrono::month(static_cast<unsigned>(month)),
                                                 std::chrono::day(static_cast<unsigned>(day)));
  return d + std::chrono::hours(hour) + std::chrono::minutes(minute) + std::chrono::seconds(second);
}

// Whether a wall-clock time, in any zone (offsets stay within a day), is an instant a Date holds.
bool civilInRange(const struct icaltimetype& t) {
  constexpr auto kLimit = std::chrono::duration_cast<std::chrono::seconds>(Date::duration::max()) - days(1);
  const auto at = civilSeconds(t.year, t.month, t.day, t.hour, t.minute, t.second).time_since_epoch();
  return at < kLimit && at > -kLimit;
}

void requireInRange(const char* property, const struct icaltimetype& t) {
  if (civilInRange(t)) return;
  throw OutOfRange(std::string(property) + " " + std::to_string(t.year) +
                   " is outside the dates the store can hold (1678 to 2261)");
}

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
    ComponentPtr component(icalparser_parse_string(std::string(definition).c_str()));
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

// How a file's TZID reads: as a zone the zone database knows (by its name, or the X-LIC-LOCATION of
// the file's definition), or by the offset rules of the file's own definition.
struct ZoneOfFile {
  std::optional<std::string> known;
  std::string_view definition;  // the file's VTIMEZONE, when the zone is none the database knows
};

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
  return utcTime(Date(at));
}

void warnFloating(const std::string& tzid, const char* property, const std::filesystem::path& path) {
  log().notice("Unknown time zone '%{public}@' in %{public}@ of %{public}@: its time reads as floating", tzid,
               property, path.string());
}

std::optional<Date> instantOf(icalproperty* p, struct icaltimetype t, const char* property, std::string_view fileText,
                              const std::filesystem::path& path) {
  if (icaltime_is_null_time(t) || t.year <= 0) return std::nullopt;
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

// Reads the owned values of a VTODO parsed by libical. Throws OutOfRange.
void readFields(icalcomponent* todo, std::string_view fileText, const std::filesystem::path& path, TodoEntry& entry) {
  TodoFields& f = entry.fields;
  if (icalproperty* p = icalcomponent_get_first_property(todo, ICAL_UID_PROPERTY)) {
    if (const char* uid = icalproperty_get_uid(p); uid != nullptr && *uid != '\0') {
      f.uid = uid;
      f.hasUid = true;
    }
  }
  if (icalproperty* p = icalcomponent_get_first_property(todo, ICAL_SUMMARY_PROPERTY)) {
    if (const char* s = icalproperty_get_summary(p)) f.title = s;
  }
  if (icalproperty* p = icalcomponent_get_first_property(todo, ICAL_DESCRIPTION_PROPERTY)) {
    if (const char* s = icalproperty_get_description(p)) f.notes = std::string(s);
  }
  if (icalproperty* p = icalcomponent_get_first_property(todo, ICAL_PRIORITY_PROPERTY)) {
    int priority = icalproperty_get_priority(p);
    f.priority = priority >= 0 && priority <= 9 ? priority : 0;
  }
  if (icalproperty* p = icalcomponent_get_first_property(todo, ICAL_DUE_PROPERTY)) {
    struct icaltimetype t = icalproperty_get_due(p);
    if (!icaltime_is_null_time(t) && t.year > 0) {
      requireInRange("DUE", t);
      platform::DateComponents c{.year = t.year, .month = t.month, .day = t.day};
      if (!t.is_date) {
        c.hour = t.hour;
        c.minute = t.minute;
        c.second = t.second;
        if (icaltime_is_utc(t)) {
          c.timeZone = "UTC";
        } else if (auto tzid = tzidOf(p)) {
          // A zone the file defines for itself reads as the same instant in UTC; one nobody defines,
          // as floating wall-clock time. Either way the DUE line stays as written until the due date
          // is changed.
          const ZoneOfFile zone = zoneOfFile(*tzid, fileText);
          if (zone.known) {
            c.timeZone = zone.known;
          } else if (auto u = inFileZone(zone.definition, t)) {
            c = platform::DateComponents{.timeZone = "UTC", .year = u->year, .month = u->month, .day = u->day,
                                         .hour = u->hour, .minute = u->minute, .second = u->second};
          } else {
            warnFloating(*tzid, "DUE", path);
          }
        }
      }
      f.due = c;
    }
  }
  if (icalproperty* p = icalcomponent_get_first_property(todo, ICAL_STATUS_PROPERTY)) {
    if (const char* s = icalproperty_get_value_as_string(p)) f.status = upper(s);
  }
  if (icalproperty* p = icalcomponent_get_first_property(todo, ICAL_COMPLETED_PROPERTY)) {
    f.completionDate = instantOf(p, icalproperty_get_completed(p), "COMPLETED", fileText, path);
  }
  f.completed = f.status == "COMPLETED" || (f.status.empty() && f.completionDate.has_value());
  if (icalproperty* p = icalcomponent_get_first_property(todo, ICAL_CREATED_PROPERTY)) {
    f.creationDate = instantOf(p, icalproperty_get_created(p), "CREATED", fileText, path);
  }
  if (icalproperty* p = icalcomponent_get_first_property(todo, ICAL_LASTMODIFIED_PROPERTY)) {
    f.lastModified = instantOf(p, icalproperty_get_lastmodified(p), "LAST-MODIFIED", fileText, path);
  }
  if (icalproperty* p = icalcomponent_get_first_property(todo, ICAL_PERCENTCOMPLETE_PROPERTY)) {
    f.percentComplete = icalproperty_get_percentcomplete(p);
  }
  entry.recurrenceOverride = icalcomponent_get_first_property(todo, ICAL_RECURRENCEID_PROPERTY) != nullptr;
  if (icalproperty* p = icalcomponent_get_first_property(todo, ICAL_DTSTART_PROPERTY)) {
    const char* value = icalproperty_get_value_as_string(p);
    const auto tzid = tzidOf(p);
    f.start = (tzid ? *tzid + ":" : std::string()) + (value != nullptr ? value : "");
  }
  if (icalproperty* p = icalcomponent_get_first_property(todo, ICAL_RRULE_PROPERTY)) {
    if (const char* value = icalproperty_get_value_as_string(p)) f.recurrence = value;
  }

  size_t i = 0;
  for (icalcomponent* a = icalcomponent_get_first_component(todo, ICAL_VALARM_COMPONENT);
       a != nullptr && i < entry.alarmOrigins.size();
       a = icalcomponent_get_next_component(todo, ICAL_VALARM_COMPONENT), ++i) {
    AlarmValue v;
    v.origin = entry.alarmOrigins[i];
    if (icalproperty* p = icalcomponent_get_first_property(a, ICAL_TRIGGER_PROPERTY)) {
      struct icaltriggertype trigger = icalproperty_get_trigger(p);
      if (!icaltime_is_null_time(trigger.time)) {
        v.absolute = instantOf(p, trigger.time, "TRIGGER", fileText, path);
      } else {
        v.relative = std::chrono::seconds(icaldurationtype_as_int(trigger.duration));
      }
    }
    entry.alarms.push_back(std::move(v));
  }
}

// ---- The lines the records own: flag, order and CATEGORIES ----

constexpr std::string_view kFlaggedName = "X-ZARVO-FLAGGED", kOrderName = "X-ZARVO-ORDER";

// The value of a content line as written (folds undone): the text after the first ':' outside quotes.
// A line without one ("CATEGORIES;a,b") reads as libical, and so every client on it, reads it: the
// text after the name and its ';'.
std::string valueOf(std::string_view raw) {
  const std::string line = unfold(raw);
  const size_t separator = valueSeparator(line);
  if (separator < line.size()) return line.substr(separator + 1);
  const size_t semicolon = line.find(';');
  return semicolon < line.size() ? line.substr(semicolon + 1) : std::string();
}

// The texts of a list value ("a,b\,c"): split at unescaped commas, escapes undone, empty ones dropped.
std::vector<std::string> textList(std::string_view value) {
  std::vector<std::string> out(1);
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '\\' && i + 1 < value.size()) {
      const char c = value[++i];
      out.back() += (c == 'n' || c == 'N') ? '\n' : c;
    } else if (value[i] == ',') {
      out.emplace_back();
    } else {
      out.back() += value[i];
    }
  }
  std::erase_if(out, [](const std::string& s) { return s.empty(); });
  return out;
}

std::string escapedList(const std::vector<std::string>& texts) {
  std::string out;
  for (const auto& text : texts) {
    if (!out.empty()) out += ',';
    for (char c : text) {
      if (c == '\\' || c == ',' || c == ';') out += '\\';
      if (c == '\n') {
        out += "\\n";
      } else if (c != '\r') {
        out += c;
      }
    }
  }
  return out;
}

// Reads the record-owned lines of a VTODO. A flag or order line whose value is not one this store
// writes reads as absent (and stays as written until the record sets it).
void readRecordLines(std::string_view fileText, TodoEntry& entry) {
  TodoFields& f = entry.fields;
  for (const PropertyLine& line : entry.lines) {
    const std::string_view raw = fileText.substr(line.begin, line.end - line.begin);
    if (line.name == "CATEGORIES") {
      for (auto& category : textList(valueOf(raw))) f.categories.push_back(std::move(category));
    } else if (line.name == kFlaggedName && !f.flagged) {
      const std::string value = upper(valueOf(raw));
      if (value == "TRUE" || value == "FALSE") f.flagged = value == "TRUE";
    } else if (line.name == kOrderName && !f.order) {
      const std::string value = valueOf(raw);
      int order = 0;
      const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), order);
      if (ec == std::errc() && end == value.data() + value.size() && order >= -32768 && order <= 32767) f.order = order;
    }
  }
}

struct RawLine {
  size_t begin, end;
  std::string name;
  std::string value;  // only for BEGIN/END
};

// Marks the owned lines of `entry` that libical dropped, and checks that libical read the same
// lines of each owned property, and as many VALARMs, as the line scan found. libical keeps the file's
// order and, for an owned property, reads one line as one property, or drops it with a "No value
// for NAME property" error in its place.
bool matchLibical(icalcomponent* todo, TodoEntry& entry, std::string& error) {
  std::vector<uint8_t> owner(entry.lines.size());  // each line's index in kOwned
  for (size_t l = 0; l < entry.lines.size(); ++l) owner[l] = static_cast<uint8_t>(ownedIndex(entry.lines[l].name));
  std::array<size_t, kOwnedCount> next{};  // per owned property: where its next line is looked for
  for (icalproperty* p = icalcomponent_get_first_property(todo, ICAL_ANY_PROPERTY); p != nullptr;
       p = icalcomponent_get_next_property(todo, ICAL_ANY_PROPERTY)) {
    const icalproperty_kind kind = icalproperty_isa(p);
    size_t i = 0;
    bool dropped = false;
    if (kind == ICAL_XLICERROR_PROPERTY) {
      constexpr std::string_view kPrefix = "No value for ", kSuffix = " property";
      const char* message = icalproperty_get_xlicerror(p);
      std::string_view m = message != nullptr ? message : "";
      if (!m.starts_with(kPrefix)) continue;
      m.remove_prefix(kPrefix.size());
      i = ownedIndex(m.substr(0, m.find(kSuffix)));
      dropped = true;
    } else {
      while (i < kOwnedCount && kOwned[i].kind != kind) ++i;
    }
    if (i == kOwnedCount) continue;
    size_t& l = next[i];
    while (l < owner.size() && owner[l] != i) ++l;
    if (l == owner.size()) {
      error = "libical reads more " + std::string(kOwned[i].name) + " lines than there are";
      return false;
    }
    entry.lines[l++].dropped = dropped;
  }
  for (size_t i = 0; i < kOwnedCount; ++i) {
    if (std::find(owner.begin() + static_cast<std::ptrdiff_t>(next[i]), owner.end(), i) != owner.end()) {
      error = "libical does not read every " + std::string(kOwned[i].name) + " line";
      return false;
    }
  }
  if (static_cast<size_t>(icalcomponent_count_components(todo, ICAL_VALARM_COMPONENT)) != entry.alarmOrigins.size()) {
    error = "libical reads other VALARMs than there are";
    return false;
  }
  return true;
}

}  // namespace

const PropertyLine* TodoEntry::find(std::string_view name) const {
  const PropertyLine* first = nullptr;
  for (const auto& l : lines) {
    if (l.name != name) continue;
    if (!l.dropped) return &l;
    if (first == nullptr) first = &l;
  }
  return first;
}

void prepareParser() {
  static std::once_flag once;
  std::call_once(once, [] { icaltimezone_get_utc_timezone(); });
}

std::optional<Date> utcDate(int year, int month, int day, int hour, int minute, int second) {
  const std::chrono::sys_seconds at = civilSeconds(year, month, day, hour, minute, second);
  constexpr auto kLimit = std::chrono::duration_cast<std::chrono::seconds>(Date::duration::max());
  if (at.time_since_epoch() >= kLimit || at.time_since_epoch() <= -kLimit) return std::nullopt;
  return Date(at);
}

std::shared_ptr<TodoFile> parseTodoFile(std::filesystem::path path, std::string content,
                                              platform::FileInfo info, std::string& error) {
  prepareParser();
  auto file = std::make_shared<TodoFile>();
  file->path = std::move(path);
  file->content = std::move(content);
  file->info = info;
  const std::string& text = file->content;

  // Split into logical lines (a line starting with a space or tab continues the previous one). A
  // UTF-8 byte order mark, as some Windows programs write, is no part of the first line: the scan
  // starts after it, and since edits splice by offset, a rewrite keeps it as it was.
  std::vector<RawLine> lines;
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  size_t pos = text.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
  bool newlineKnown = false;
  while (pos < text.size()) {
    size_t eol = text.find('\n', pos);
    size_t next = eol == std::string::npos ? text.size() : eol + 1;
    size_t contentEnd = eol == std::string::npos ? text.size() : eol;
    if (contentEnd > pos && text[contentEnd - 1] == '\r') --contentEnd;
    if (!newlineKnown && eol != std::string::npos) {
      file->newline = (eol > 0 && text[eol - 1] == '\r') ? "\r\n" : "\n";
      newlineKnown = true;
    }
    std::string_view physical(text.data() + pos, contentEnd - pos);
    if (!physical.empty() && (physical[0] == ' ' || physical[0] == '\t')) {
      if (lines.empty()) {
        error = "a continuation line opens the file";
        return nullptr;
      }
      lines.back().end = next;
    } else if (!physical.empty()) {  // blank lines carry nothing; they stay as bytes between content lines
      lines.push_back(RawLine{pos, next, {}, {}});
    }
    pos = next;
  }
  // Names are read once the lines are whole: a fold may fall inside a name or before its separator.
  for (RawLine& line : lines) {
    const std::string_view raw(text.data() + line.begin, line.end - line.begin);
    size_t separator = 0;
    line.name = nameOf(raw, separator);
    if (separator == std::string_view::npos || line.name.empty()) {
      const size_t shown = std::min<size_t>(raw.find_first_of("\r\n"), 40);
      error = "not a content line: \"" + std::string(raw.substr(0, shown)) + "\"";
      return nullptr;
    }
    if ((line.name == "BEGIN" || line.name == "END") && raw[separator] == ':') {
      line.value = upper(unfold(raw.substr(separator + 1)));
    }
  }

  // Walk the component tree.
  std::vector<std::string> stack;
  TodoEntry* todo = nullptr;
  size_t alarmBegin = 0;
  bool sawCalendar = false;
  size_t vtimezoneBegin = 0;
  for (const RawLine& line : lines) {
    if (line.name == "BEGIN") {
      if (line.value.empty()) {
        error = "BEGIN without a component name";
        return nullptr;
      }
      if (stack.empty()) {
        if (line.value != "VCALENDAR" || sawCalendar) {
          error = "the file does not hold exactly one VCALENDAR";
          return nullptr;
        }
        sawCalendar = true;
      } else if (stack.size() == 1) {
        if (file->firstComponentBegin == 0) file->firstComponentBegin = line.begin;
        if (line.value == "VTODO") {
          file->todos.emplace_back();
          todo = &file->todos.back();
          todo->begin = line.begin;
        } else if (line.value == "VTIMEZONE") {
          vtimezoneBegin = line.begin;
        }
      } else if (todo != nullptr && stack.size() == 2 && line.value == "VALARM") {
        alarmBegin = line.begin;
      }
      stack.push_back(line.value);
      continue;
    }
    if (line.name == "END") {
      if (stack.empty() || stack.back() != line.value) {
        error = "END:" + line.value + " does not close " + (stack.empty() ? "anything" : "BEGIN:" + stack.back());
        return nullptr;
      }
      stack.pop_back();
      if (stack.size() == 1 && line.value == "VTODO" && todo != nullptr) {
        todo->endLineBegin = line.begin;
        todo->end = line.end;
        todo = nullptr;
      } else if (todo != nullptr && stack.size() == 2 && line.value == "VALARM") {
        todo->alarmOrigins.push_back(std::make_shared<AlarmOrigin>(AlarmOrigin{alarmBegin, line.end}));
      } else if (stack.size() == 1 && line.value == "VTIMEZONE") {
        // Record the TZID of this VTIMEZONE (found among its lines below).
        std::string_view block(text.data() + vtimezoneBegin, line.end - vtimezoneBegin);
        size_t at = block.find("TZID");
        while (at != std::string_view::npos && at > 0 && block[at - 1] != '\n') at = block.find("TZID", at + 1);
        if (at != std::string_view::npos) {
          size_t colon = block.find(':', at);
          size_t eol = block.find_first_of("\r\n", colon);
          if (colon != std::string_view::npos) file->timezoneIds.emplace_back(block.substr(colon + 1, eol - colon - 1));
        }
      }
      continue;
    }
    if (stack.empty()) {
      error = "a property outside VCALENDAR";
      return nullptr;
    }
    if (todo != nullptr && stack.size() == 2) {
      todo->lines.push_back(PropertyLine{line.name, line.begin, line.end});
    }
  }
  if (!stack.empty() || !sawCalendar) {
    error = stack.empty() ? "no VCALENDAR" : "BEGIN:" + stack.back() + " is never closed";
    return nullptr;
  }

  for (TodoEntry& entry : file->todos) {
    std::string slice(text, entry.begin, entry.end - entry.begin);
    ComponentPtr component(icalparser_parse_string(slice.c_str()));
    if (!component || icalcomponent_isa(component.get()) != ICAL_VTODO_COMPONENT) {
      error = "libical cannot read the VTODO";
      return nullptr;
    }
    // A property with an empty value ("DESCRIPTION:") is legal text that libical drops with an
    // error; every other error means a value we cannot trust.
    for (icalproperty* e = icalcomponent_get_first_property(component.get(), ICAL_XLICERROR_PROPERTY);
         e != nullptr; e = icalcomponent_get_next_property(component.get(), ICAL_XLICERROR_PROPERTY)) {
      const char* message = icalproperty_get_xlicerror(e);
      if (message != nullptr && std::strncmp(message, "No value for ", 13) == 0) continue;
      error = std::string("libical: ") + (message != nullptr ? message : "malformed value");
      return nullptr;
    }
    if (!matchLibical(component.get(), entry, error)) return nullptr;
    try {
      readFields(component.get(), text, file->path, entry);
      readRecordLines(text, entry);
    } catch (const OutOfRange& e) {
      error = e.what();
      return nullptr;
    }
    if (!entry.fields.notes && entry.find("DESCRIPTION")) entry.fields.notes = std::string();
  }
  return file;
}

namespace {

// Line edits on one file version: replacements of byte ranges, applied from the back.
class Editor {
 public:
  explicit Editor(const TodoFile& file) : file_(file) {}
  void replace(size_t begin, size_t end, std::string text) { edits_.push_back({begin, end, std::move(text)}); }
  void insert(size_t at, std::string text) { replace(at, at, std::move(text)); }
  std::string apply() const {
    auto edits = edits_;
    // An insertion at the start of a replaced range goes first; equal edits keep their order.
    std::stable_sort(edits.begin(), edits.end(),
                     [](const Edit& a, const Edit& b) { return std::tie(a.begin, a.end) < std::tie(b.begin, b.end); });
    std::string out;
    out.reserve(file_.content.size() + 512);
    size_t pos = 0;
    for (const Edit& e : edits) {
      out.append(file_.content, pos, e.begin - pos);
      out += e.text;
      pos = e.end;
    }
    out.append(file_.content, pos, std::string::npos);
    return out;
  }

 private:
  struct Edit {
    size_t begin, end;
    std::string text;
  };
  const TodoFile& file_;
  std::vector<Edit> edits_;
};

// Whether `parameter` has the form NAME=VALUE with a name of letters, digits and dashes.
bool wellFormedParameter(std::string_view parameter) {
  const size_t equals = parameter.find('=');
  if (equals == 0 || equals == std::string_view::npos) return false;
  return std::all_of(parameter.begin(), parameter.begin() + static_cast<std::ptrdiff_t>(equals),
                     [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '-'; });
}

// The well-formed parameters of a content line, each as written ("LANGUAGE=de", "X-FOO=\"a;b\""),
// folds undone; malformed ones (";;", "X-A") are left behind with the old line. None when the
// parameters do not end at a colon outside quotes (an unclosed quote): such a line's parameters cannot
// be told from its value, and carried onto a new line they would swallow it.
std::vector<std::string> parametersOf(std::string_view raw) {
  std::string line = logicalLine(raw);
  std::vector<std::string> out;
  size_t i = line.find_first_of(";:");
  while (i < line.size() && line[i] == ';') {
    std::string parameter;
    bool quoted = false;
    for (++i; i < line.size() && (quoted || (line[i] != ';' && line[i] != ':')); ++i) {
      if (line[i] == '"') quoted = !quoted;
      parameter += line[i];
    }
    if (wellFormedParameter(parameter)) out.push_back(std::move(parameter));
  }
  if (i >= line.size()) return {};
  return out;
}

// Whether a parameter of the line an owned property was read from still applies to a new value of
// it. VALUE and TZID describe the value, and the new value brings its own; ALTREP points to another
// form of the old text. Everything else (LANGUAGE, other clients' X- parameters) is about the
// property and stays, byte for byte.
bool parameterStillApplies(std::string_view property, std::string_view parameter) {
  const std::string name = upper(std::string(parameter.substr(0, parameter.find('='))));
  if (name == "VALUE" || name == "TZID") return false;
  return name != "ALTREP" || (property != "SUMMARY" && property != "DESCRIPTION");
}

// The value of one content line as libical reads it; nothing when it cannot read the line.
std::optional<std::string> readValue(std::string_view line) {
  PropertyPtr p(icalproperty_new_from_string(logicalLine(line).c_str()));
  if (!p) return std::nullopt;
  const char* value = icalproperty_get_value_as_string(p.get());
  return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
}

// One logical line folded as iCalendar asks: at most 75 octets a line, never inside a UTF-8
// sequence; continuation lines start with a space.
std::string fold(std::string_view line) {
  std::string out;
  size_t width = 0;
  for (size_t i = 0; i < line.size();) {
    size_t length = 1;
    while (i + length < line.size() && (static_cast<unsigned char>(line[i + length]) & 0xC0) == 0x80) ++length;
    if (width + length > 75) {
      out += "\r\n ";
      width = 1;
    }
    out.append(line, i, length);
    width += length;
    i += length;
  }
  return out + "\r\n";
}

// `serialized` (one line as libical writes it) with `parameters` added after its own.
std::string withParameters(std::string_view serialized, const std::vector<std::string>& parameters) {
  std::string line = logicalLine(serialized);
  std::string added;
  for (const auto& p : parameters) added += ";" + p;
  line.insert(valueSeparator(line), added);
  return fold(line);
}

// The owned lines of one VTODO being rewritten. Each owned property ends with one line: setting it
// replaces the line its value was read from and removes the others of its name, and finish() removes
// the others of every property left alone, keeping the line read.
class OwnedLines {
 public:
  OwnedLines(Editor& editor, const TodoFile& file, const TodoEntry& entry)
      : editor_(editor), file_(file), entry_(entry) {}

  // Sets property `name` to `p` (null: removes it), at most once per name. The new line keeps the
  // parameters of the line it replaces that still apply to the new value; a new line goes before the
  // first VALARM, or before END:VTODO.
  void set(std::string_view name, PropertyPtr p) {
    const PropertyLine* read = entry_.find(name);
    std::string text;
    if (p) {
      text = takeString(icalproperty_as_ical_string_r(p.get()));
      if (read != nullptr) {
        std::vector<std::string> kept;
        for (auto& parameter : parametersOf(std::string_view(file_.content).substr(read->begin, read->end - read->begin))) {
          if (parameterStillApplies(name, parameter)) kept.push_back(std::move(parameter));
        }
        if (!kept.empty()) {
          // Parameter texts libical reads otherwise than written (a backslash before a quote) could move
          // where the value starts: the kept parameters go only where the value still reads the same.
          std::string withKept = withParameters(text, kept);
          if (readValue(withKept) == readValue(text)) text = std::move(withKept);
        }
      }
      text = withNewline(std::move(text), file_.newline);
    }
    setLine(name, std::move(text));
  }

  // Sets property `name` to the content line `text` as it is (empty: removes it).
  void setLine(std::string_view name, std::string text) {
    done_.emplace_back(name);
    const PropertyLine* read = removeOthers(name);
    if (read != nullptr) {
      editor_.replace(read->begin, read->end, std::move(text));
    } else if (!text.empty()) {
      size_t at = entry_.alarmOrigins.empty() ? entry_.endLineBegin : entry_.alarmOrigins.front()->begin;
      editor_.insert(at, std::move(text));
    }
  }

  void finish() {
    for (const OwnedProperty& owned : kOwned) {
      if (std::find(done_.begin(), done_.end(), owned.name) == done_.end()) removeOthers(owned.name);
    }
  }

 private:
  // Removes the lines of `name` but the one read; answers that one.
  const PropertyLine* removeOthers(std::string_view name) {
    const PropertyLine* read = entry_.find(name);
    for (const PropertyLine& line : entry_.lines) {
      if (line.name == name && &line != read) editor_.replace(line.begin, line.end, "");
    }
    return read;
  }

  Editor& editor_;
  const TodoFile& file_;
  const TodoEntry& entry_;
  std::vector<std::string_view> done_;
};

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

PropertyPtr dueProperty(const platform::DateComponents& c, std::string* zoneOut) {
  if (!c.year || !c.month || !c.day) {
    throw StoreError(StoreErrorCode::invalid, "a due date needs a year, a month and a day");
  }
  struct icaltimetype t = icaltime_null_time();
  t.year = static_cast<int>(*c.year);
  t.month = static_cast<int>(*c.month);
  t.day = static_cast<int>(*c.day);
  if (!c.hour) {
    t.is_date = 1;
    return PropertyPtr(icalproperty_new_due(t));
  }
  t.hour = static_cast<int>(*c.hour);
  t.minute = static_cast<int>(c.minute.value_or(0));
  t.second = static_cast<int>(c.second.value_or(0));
  if (!c.timeZone) return PropertyPtr(icalproperty_new_due(t));
  if (isUtcZone(*c.timeZone)) {
    t.zone = icaltimezone_get_utc_timezone();
    return PropertyPtr(icalproperty_new_due(t));
  }
  if (!platform::DateCalendar::isKnownTimeZone(*c.timeZone)) {
    throw StoreError(StoreErrorCode::invalid, "unknown time zone \"" + *c.timeZone + "\" in a due date");
  }
  PropertyPtr p(icalproperty_new_due(t));
  icalproperty_add_parameter(p.get(), icalparameter_new_tzid(c.timeZone->c_str()));
  *zoneOut = *c.timeZone;
  return p;
}

std::string valarmText(const AlarmValue& alarm, std::string_view newline) {
  ComponentPtr a(icalcomponent_new(ICAL_VALARM_COMPONENT));
  icalcomponent_add_property(a.get(), icalproperty_new_action(ICAL_ACTION_DISPLAY));
  icalcomponent_add_property(a.get(), icalproperty_new_description("Reminder"));
  struct icaltriggertype trigger{};
  trigger.time = icaltime_null_time();
  trigger.duration = icaldurationtype_null_duration();
  if (alarm.absolute) {
    trigger.time = utcTime(*alarm.absolute);
  } else {
    trigger.duration = icaldurationtype_from_int(static_cast<int>(alarm.relative.value_or(std::chrono::seconds(0)).count()));
  }
  icalproperty* p = icalproperty_new_trigger(trigger);
  if (alarm.absolute) icalproperty_add_parameter(p, icalparameter_new_value(ICAL_VALUE_DATETIME));
  icalcomponent_add_property(a.get(), p);
  return withNewline(takeString(icalcomponent_as_ical_string_r(a.get())), newline);
}

bool sameAbsolute(const std::optional<Date>& a, const std::optional<Date>& b) {
  if (a.has_value() != b.has_value()) return false;
  if (!a) return true;
  return std::chrono::floor<std::chrono::seconds>(*a) == std::chrono::floor<std::chrono::seconds>(*b);
}

// ---- Completing one occurrence of a recurring task ----
//
// A task with an RRULE stands for a series. Completing it completes the current occurrence only:
// its DTSTART (or, without one, its DUE, which CalDAV task clients anchor a task's series on) moves
// to the next occurrence of the rule, DUE moves with it by the same wall-clock amount, COUNT shrinks
// by the occurrences passed, and the task stays open. That is how the CalDAV task clients other
// programs share these files with complete a recurring task, and it keeps one file one task: no copy
// is made that other clients would show as a second task, and every client reading the file sees
// the next occurrence as the open task. The series' alarms stay. When the rule has no occurrence
// after the current one (COUNT or UNTIL reached), or it cannot be read, the task completes as a
// whole.

struct IteratorDeleter {
  void operator()(icalrecur_iterator* it) const { icalrecur_iterator_free(it); }
};

// A wall-clock time as iCalendar writes a value of its kind: a date, a floating or zoned time, or UTC.
std::string icalValue(const struct icaltimetype& t) {
  char text[32];
  if (t.is_date) {
    std::snprintf(text, sizeof text, "%04d%02d%02d", t.year, t.month, t.day);
  } else {
    std::snprintf(text, sizeof text, "%04d%02d%02dT%02d%02d%02d%s", t.year, t.month, t.day, t.hour, t.minute,
                  t.second, icaltime_is_utc(t) ? "Z" : "");
  }
  return text;
}

// The content line `raw` with its value replaced by `value`: the name and every parameter stay as written.
// A line without a value separator ("DTSTART;20270104T080000Z") has nothing that reads as a parameter:
// libical takes what follows the name as the value. Splicing the new value onto it would run the two
// together, so such a line is written anew as a proper line of its name.
std::string withValue(std::string_view raw, std::string_view value, std::string_view newline) {
  std::string line = logicalLine(raw);
  const size_t separator = valueSeparator(line);
  if (separator < line.size()) {
    line.resize(separator + 1);
  } else {
    size_t nameEnd = 0;
    line = nameOf(raw, nameEnd) + ":";
  }
  line += value;
  return withNewline(fold(line), newline);
}

// The line of `name` libical read `property` from: among the lines of that name, the one alone that
// reads with the same value (dropped lines, such as an empty "DTSTART:", read with none). Null when
// no line, or more than one, does: then no line can be edited as the property.
const PropertyLine* lineReadAs(const TodoFile& file, const TodoEntry& entry, std::string_view name,
                               icalproperty* property) {
  const char* wanted = icalproperty_get_value_as_string(property);
  if (wanted == nullptr) return nullptr;
  const PropertyLine* found = nullptr;
  for (const PropertyLine& line : entry.lines) {
    if (line.name != name) continue;
    if (readValue(std::string_view(file.content).substr(line.begin, line.end - line.begin)) != wanted) continue;
    if (found != nullptr) return nullptr;
    found = &line;
  }
  return found;
}

// `t` moved by `by` on the wall clock, keeping its kind.
struct icaltimetype shifted(struct icaltimetype t, std::chrono::seconds by) {
  const auto at = civilSeconds(t.year, t.month, t.day, t.hour, t.minute, t.second) + by;
  const auto day = std::chrono::floor<days>(at);
  const std::chrono::year_month_day ymd(day);
  const std::chrono::hh_mm_ss hms(at - day);
  t.year = static_cast<int>(ymd.year());
  t.month = static_cast<int>(static_cast<unsigned>(ymd.month()));
  t.day = static_cast<int>(static_cast<unsigned>(ymd.day()));
  if (!t.is_date) {
    t.hour = static_cast<int>(hms.hours().count());
    t.minute = static_cast<int>(hms.minutes().count());
    t.second = static_cast<int>(hms.seconds().count());
  }
  return t;
}

std::chrono::seconds wallClockBetween(const struct icaltimetype& from, const struct icaltimetype& to) {
  return civilSeconds(to.year, to.month, to.day, to.hour, to.minute, to.second) -
         civilSeconds(from.year, from.month, from.day, from.hour, from.minute, from.second);
}

// The RRULE line with COUNT set to `count`, the rest as written.
std::string withCount(std::string_view raw, int count, std::string_view newline) {
  std::string line = logicalLine(raw);
  const std::string upperLine = upper(line);
  for (size_t at = upperLine.find("COUNT="); at != std::string::npos; at = upperLine.find("COUNT=", at + 1)) {
    if (at == 0 || (line[at - 1] != ':' && line[at - 1] != ';')) continue;
    size_t end = at + 6;
    while (end < line.size() && line[end] >= '0' && line[end] <= '9') ++end;
    line.replace(at + 6, end - at - 6, std::to_string(count));
    break;
  }
  return withNewline(fold(line), newline);
}

// The new lines (by the line they replace) that complete the current occurrence of `entry`'s series
// and make the next one current; nothing when the task does not recur or has no next occurrence.
std::optional<std::vector<std::pair<const PropertyLine*, std::string>>> nextOccurrence(const TodoFile& file,
                                                                                        const TodoEntry& entry) {
  const PropertyLine* ruleLine = entry.find("RRULE");
  if (ruleLine == nullptr) return std::nullopt;
  const std::string slice(file.content, entry.begin, entry.end - entry.begin);
  ComponentPtr todo(icalparser_parse_string(slice.c_str()));
  if (!todo || icalcomponent_count_properties(todo.get(), ICAL_RRULE_PROPERTY) != 1 ||
      icalcomponent_count_properties(todo.get(), ICAL_DTSTART_PROPERTY) > 1) {
    return std::nullopt;
  }
  icalproperty* dtstart = icalcomponent_get_first_property(todo.get(), ICAL_DTSTART_PROPERTY);
  icalproperty* due = icalcomponent_get_first_property(todo.get(), ICAL_DUE_PROPERTY);
  const struct icalrecurrencetype rule =
      icalproperty_get_rrule(icalcomponent_get_first_property(todo.get(), ICAL_RRULE_PROPERTY));
  if (rule.freq == ICAL_NO_RECURRENCE || (dtstart == nullptr && due == nullptr)) return std::nullopt;
  // The lines the rule and the start were read from; a series whose lines cannot be told is completed
  // as a whole rather than edited at a line libical did not read.
  ruleLine = lineReadAs(file, entry, "RRULE", icalcomponent_get_first_property(todo.get(), ICAL_RRULE_PROPERTY));
  const PropertyLine* startLine = dtstart != nullptr ? lineReadAs(file, entry, "DTSTART", dtstart) : nullptr;
  if (ruleLine == nullptr || (dtstart != nullptr && startLine == nullptr)) return std::nullopt;
  const struct icaltimetype anchor = dtstart != nullptr ? icalproperty_get_dtstart(dtstart) : icalproperty_get_due(due);
  if (icaltime_is_null_time(anchor) || anchor.year <= 0 || !civilInRange(anchor)) return std::nullopt;

  std::vector<struct icaltimetype> excluded;
  for (icalproperty* p = icalcomponent_get_first_property(todo.get(), ICAL_EXDATE_PROPERTY); p != nullptr;
       p = icalcomponent_get_next_property(todo.get(), ICAL_EXDATE_PROPERTY)) {
    excluded.push_back(icalproperty_get_exdate(p));
  }
  auto isExcluded = [&](const struct icaltimetype& t) {
    return std::any_of(excluded.begin(), excluded.end(), [&](const struct icaltimetype& x) {
      return x.is_date || t.is_date ? icaltime_compare_date_only(x, t) == 0 : icaltime_compare(x, t) == 0;
    });
  };
  std::unique_ptr<icalrecur_iterator, IteratorDeleter> it(icalrecur_iterator_new(rule, anchor));
  if (!it) return std::nullopt;
  std::optional<struct icaltimetype> next;
  int passed = 0;  // occurrences of the rule after the current one, up to the next one kept
  for (int step = 0; step < 10'000 && !next; ++step) {
    const struct icaltimetype t = icalrecur_iterator_next(it.get());
    if (icaltime_is_null_time(t)) break;
    if (icaltime_compare(t, anchor) <= 0) continue;
    ++passed;
    if (!isExcluded(t)) next = t;
  }
  if (!next || !civilInRange(*next)) return std::nullopt;

  std::vector<std::pair<const PropertyLine*, std::string>> lines;
  auto replace = [&](const PropertyLine* line, const struct icaltimetype& t) {
    if (line != nullptr) {
      const std::string_view raw(file.content.data() + line->begin, line->end - line->begin);
      lines.emplace_back(line, withValue(raw, icalValue(t), file.newline));
    }
  };
  if (dtstart != nullptr) replace(startLine, *next);
  if (due != nullptr) {
    const struct icaltimetype dueTime = icalproperty_get_due(due);
    replace(entry.find("DUE"), dtstart != nullptr ? shifted(dueTime, wallClockBetween(anchor, *next)) : *next);
  }
  if (rule.count > 0) {
    const std::string_view raw(file.content.data() + ruleLine->begin, ruleLine->end - ruleLine->begin);
    lines.emplace_back(ruleLine, withCount(raw, rule.count - passed, file.newline));
  }
  return lines;
}

}  // namespace

namespace {

// Rewrites the CATEGORIES lines of `entry` so that together they hold the set `want`: a line whose
// values all stay is kept byte for byte, one that loses values is rewritten (name and parameters as
// written) or removed, and the values no line holds go on one new line.
void editCategories(Editor& editor, const TodoFile& file, const TodoEntry& entry, const std::vector<std::string>& want) {
  const std::set<std::string> had(entry.fields.categories.begin(), entry.fields.categories.end());
  const std::set<std::string> wanted(want.begin(), want.end());
  if (had == wanted) return;
  std::set<std::string> held;
  size_t insertAt = entry.alarmOrigins.empty() ? entry.endLineBegin : entry.alarmOrigins.front()->begin;
  for (const PropertyLine& line : entry.lines) {
    if (line.name != "CATEGORIES") continue;
    const std::string_view raw = std::string_view(file.content).substr(line.begin, line.end - line.begin);
    const std::vector<std::string> values = textList(valueOf(raw));
    std::vector<std::string> kept;
    for (const auto& v : values) {
      if (wanted.count(v) != 0 && held.insert(v).second) kept.push_back(v);
    }
    if (kept.size() == values.size()) continue;
    editor.replace(line.begin, line.end, kept.empty() ? std::string() : withValue(raw, escapedList(kept), file.newline));
  }
  std::vector<std::string> added;
  for (const auto& v : want) {
    if (held.insert(v).second) added.push_back(v);
  }
  if (!added.empty()) editor.insert(insertAt, withNewline(fold("CATEGORIES:" + escapedList(added)), file.newline));
}

}  // namespace

std::string editTodo(const TodoFile& file, size_t index, const DesiredTodo& want) {
  const TodoEntry& entry = file.todos.at(index);
  const TodoFields& had = entry.fields;
  const std::string& nl = file.newline;
  Editor editor(file);
  OwnedLines owned(editor, file, entry);

  if (!had.hasUid) owned.set("UID", PropertyPtr(icalproperty_new_uid(want.uid.c_str())));
  if (want.title != had.title || (!entry.find("SUMMARY") && !want.title.empty())) {
    owned.set("SUMMARY", want.title.empty() ? nullptr : PropertyPtr(icalproperty_new_summary(want.title.c_str())));
  }
  if (want.notes != had.notes) {
    owned.set("DESCRIPTION", want.notes ? PropertyPtr(icalproperty_new_description(want.notes->c_str())) : nullptr);
  }
  if (want.priority != had.priority) {
    if (want.priority < 0 || want.priority > 9) {
      throw StoreError(StoreErrorCode::invalid, "priority " + std::to_string(want.priority) + " is outside 0...9");
    }
    owned.set("PRIORITY", want.priority == 0 ? nullptr : PropertyPtr(icalproperty_new_priority(want.priority)));
  }
  // Completing a recurring task moves it to its next occurrence instead (see nextOccurrence).
  const auto advanced = want.completed && !had.completed ? nextOccurrence(file, entry) : std::nullopt;
  if (advanced) {
    for (const auto& [line, text] : *advanced) {
      if (line->name == "DUE") {
        owned.setLine("DUE", text);
      } else {
        editor.replace(line->begin, line->end, text);
      }
    }
  } else if (want.due != had.due) {
    std::string zone;
    owned.set("DUE", want.due ? dueProperty(*want.due, &zone) : nullptr);
    if (!zone.empty() &&
        std::find(file.timezoneIds.begin(), file.timezoneIds.end(), zone) == file.timezoneIds.end()) {
      std::string vtimezone = vtimezoneFor(zone, nl);
      if (vtimezone.empty()) {
        throw StoreError(StoreErrorCode::invalid, "no time zone definition for \"" + zone + "\"");
      }
      editor.insert(file.firstComponentBegin, std::move(vtimezone));
    }
  }
  const bool completionChanged = !advanced && want.completed != had.completed;
  if (completionChanged) {
    owned.set("STATUS",
              PropertyPtr(icalproperty_new_status(want.completed ? ICAL_STATUS_COMPLETED : ICAL_STATUS_NEEDSACTION)));
    // Other clients read PERCENT-COMPLETE:100 as done; an undone task must not keep it.
    if (!want.completed && had.percentComplete == 100) owned.set("PERCENT-COMPLETE", nullptr);
  }
  // The completion time goes with completing and reopening; an open task keeps whatever its file says
  // (another client's completion time under a STATUS that is not COMPLETED) until then.
  const std::optional<Date> completion = want.completed ? want.completionDate : std::nullopt;
  if (completionChanged || (!advanced && want.completed && !sameAbsolute(completion, had.completionDate))) {
    owned.set("COMPLETED", completion ? PropertyPtr(icalproperty_new_completed(utcTime(*completion))) : nullptr);
  }
  const auto recordLine = [&](std::string_view name, std::optional<std::string> value, bool changed) {
    if (value && changed) owned.setLine(name, withNewline(fold(std::string(name) + ":" + *value), nl));
  };
  recordLine(kFlaggedName, want.flagged ? std::optional<std::string>(*want.flagged ? "TRUE" : "FALSE") : std::nullopt,
             want.flagged != had.flagged);
  recordLine(kOrderName, want.order ? std::optional<std::string>(std::to_string(*want.order)) : std::nullopt,
             want.order != had.order);
  if (want.categories) editCategories(editor, file, entry, *want.categories);
  owned.set("DTSTAMP", PropertyPtr(icalproperty_new_dtstamp(utcTime(want.now))));
  owned.set("LAST-MODIFIED", PropertyPtr(icalproperty_new_lastmodified(utcTime(want.now))));

  owned.finish();

  // Alarms: the blocks of removed alarms go, kept ones stay byte for byte, new ones are appended. A
  // series moved on keeps its alarms: they belong to every occurrence.
  for (const auto& origin : entry.alarmOrigins) {
    bool kept = advanced || std::any_of(want.alarms.begin(), want.alarms.end(),
                                        [&](const AlarmValue& a) { return a.origin == origin; });
    if (!kept) editor.replace(origin->begin, origin->end, "");
  }
  for (const AlarmValue& alarm : want.alarms) {
    if (!alarm.origin) editor.insert(entry.endLineBegin, valarmText(alarm, nl));
  }
  return editor.apply();
}

std::string newTodoFile(const DesiredTodo& want) {
  std::string skeleton =
      "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//ZarvoKit//ZarvoKit//EN\r\nBEGIN:VTODO\r\n" +
      serialize(PropertyPtr(icalproperty_new_uid(want.uid.c_str())), "\r\n") +
      serialize(PropertyPtr(icalproperty_new_created(utcTime(want.now))), "\r\n") +
      "END:VTODO\r\nEND:VCALENDAR\r\n";
  std::string error;
  auto file = parseTodoFile({}, std::move(skeleton), {}, error);
  return editTodo(*file, 0, want);
}

std::string removeTodo(const TodoFile& file, size_t index) {
  const TodoEntry& entry = file.todos.at(index);
  return file.content.substr(0, entry.begin) + file.content.substr(entry.end);
}

std::string fileNameForUid(std::string_view uid) {
  std::string name;
  for (char c : uid) {
    const bool safe = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                      c == '@' || c == '.' || c == '_' || c == '+' || c == '-';
    name += safe ? c : '_';
    if (name.size() >= 200) break;
  }
  if (name.empty()) name = newUid();
  if (name.front() == '.') name.insert(name.begin(), '_');
  return name + ".ics";
}

std::string newUid() {
  thread_local std::mt19937_64 random{std::random_device{}()};
  static constexpr char hex[] = "0123456789ABCDEF";
  std::string out;
  for (int i = 0; i < 32; ++i) {
    if (i == 8 || i == 12 || i == 16 || i == 20) out += '-';
    out += hex[random() % 16];
  }
  return out;
}

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
