#include "zarvo/reminders/internal/ical_file.h"

#include <libical/ical.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <string>
#include <vector>

#include "zarvo/platform/date_calendar.h"
#include "zarvo/reminders/internal/ical_alarms.h"
#include "zarvo/reminders/internal/ical_lines.h"
#include "zarvo/reminders/internal/ical_support.h"
#include "zarvo/reminders/internal/ical_zones.h"

// Reading a task file: a scan of its content lines and component tree (which the writer edits by),
// then libical on each VTODO (which gives the values), and a check that the two agree on which
// lines the owned values came from.

namespace zarvo::reminders::detail {

using namespace ical;

namespace {

// The value `read` gives; nothing when it throws OutOfRange, which `f` then records.
template <class Read>
auto keptOrLeftOut(TodoFields& f, Read read) -> decltype(read()) {
  try {
    return read();
  } catch (const OutOfRange& e) {
    f.datesLeftOut.emplace_back(e.what());
    return std::nullopt;
  }
}

// Reads the owned values of a VTODO parsed by libical.
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
    if (!icaltime_is_null_time(t) && !civilInRange(t)) {
      f.datesLeftOut.push_back(leftOutDate("DUE", t));
    } else if (!icaltime_is_null_time(t)) {
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
    f.completionDate =
        keptOrLeftOut(f, [&] { return instantOf(p, icalproperty_get_completed(p), "COMPLETED", fileText, path); });
  }
  f.completed = f.status == "COMPLETED" || (f.status.empty() && f.completionDate.has_value());
  if (icalproperty* p = icalcomponent_get_first_property(todo, ICAL_CREATED_PROPERTY)) {
    f.creationDate = keptOrLeftOut(f, [&] { return instantOf(p, icalproperty_get_created(p), "CREATED", fileText, path); });
  }
  if (icalproperty* p = icalcomponent_get_first_property(todo, ICAL_LASTMODIFIED_PROPERTY)) {
    f.lastModified =
        keptOrLeftOut(f, [&] { return instantOf(p, icalproperty_get_lastmodified(p), "LAST-MODIFIED", fileText, path); });
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

  readAlarms(todo, fileText, path, entry);
}

// Reads the record-owned lines of a VTODO. A flag or order line whose value is not one this store
// writes reads as absent, and is marked dropped: it stays as written when the record sets a value.
void readRecordLines(std::string_view fileText, TodoEntry& entry) {
  TodoFields& f = entry.fields;
  for (PropertyLine& line : entry.lines) {
    const std::string_view raw = fileText.substr(line.begin, line.end - line.begin);
    if (line.name == "CATEGORIES") {
      for (auto& category : textList(valueOf(raw))) f.categories.push_back(std::move(category));
    } else if (line.name == kFlaggedName) {
      const std::string value = upper(valueOf(raw));
      line.dropped = value != "TRUE" && value != "FALSE";
      if (!line.dropped && !f.flagged) f.flagged = value == "TRUE";
    } else if (line.name == kOrderName) {
      const std::string value = valueOf(raw);
      int order = 0;
      const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), order);
      line.dropped = ec != std::errc() || end != value.data() + value.size() || order < -32768 || order > 32767;
      if (!line.dropped && !f.order) f.order = order;
    } else if (line.name == kOrderName && !f.order) {
      const std::string value = valueOf(raw);
      int order = 0;
      const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), order);
      if (ec == std::errc() && end == value.data() + value.size() && order >= -32768 && order <= 32767) {
        f.order = order;
      } else {
        line.dropped = true;
      }
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

const PropertyLine* TodoEntry::taken(std::string_view name) const {
  for (const auto& l : lines) {
    if (l.name == name && !l.dropped) return &l;
  }
  return nullptr;
}

const PropertyLine* TodoEntry::find(std::string_view name) const {
  const PropertyLine* first = nullptr;
  for (const auto& l : lines) {
    if (l.name != name) continue;
    if (!l.dropped) return &l;
    if (first == nullptr) first = &l;
  }
  return first;
}

std::optional<Date> utcDate(int year, int month, int day, int hour, int minute, int second) {
  // The civil arithmetic holds years of std::chrono::year (to 32767), well inside what a Date holds.
  if (year < -30'000 || year > 30'000) return std::nullopt;
  return Date(civilSeconds(year, month, day, hour, minute, second));
}

std::shared_ptr<TodoFile> parseTodoFile(std::filesystem::path path, std::string content,
                                              platform::FileInfo info, std::string& error) {
  (void)utcZone();
  auto file = std::make_shared<TodoFile>();
  file->path = std::move(path);
  file->content = std::move(content);
  file->info = info;
  const std::string_view text = file->content;

  // Split into logical lines (a line starting with a space or tab continues the previous one). A
  // UTF-8 byte order mark, as some Windows programs write, is no part of the first line: the scan
  // starts after it, and since edits splice by offset, a rewrite keeps it as it was.
  std::vector<RawLine> lines;
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  size_t pos = text.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
  bool newlineKnown = false;
  while (pos < text.size()) {
    size_t eol = text.find('\n', pos);
    size_t next = eol == std::string_view::npos ? text.size() : eol + 1;
    size_t contentEnd = eol == std::string_view::npos ? text.size() : eol;
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
    ComponentPtr component = parseComponent(std::string_view(text).substr(entry.begin, entry.end - entry.begin));
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
    readFields(component.get(), text, file->path, entry);
    readRecordLines(text, entry);
    for (const auto& leftOut : entry.fields.datesLeftOut) {
      log().notice("%{public}@ of %{public}@ is outside the years 1 to 9999: the task reads without it", leftOut,
                   file->path.string());
    }
    if (!entry.fields.notes && entry.find("DESCRIPTION")) entry.fields.notes = std::string();
  }
  return file;
}

}  // namespace zarvo::reminders::detail
