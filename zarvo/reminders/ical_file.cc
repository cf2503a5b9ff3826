#include "zarvo/reminders/internal/ical_file.h"

#include <libical/ical.h>
#include <unicode/timezone.h>
#include <unicode/vtzone.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <random>
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

std::string upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
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

std::optional<Date> instantOf(icalproperty* p, struct icaltimetype t) {
  if (icaltime_is_null_time(t) || t.year <= 0) return std::nullopt;
  if (t.is_date) return utcDate(t.year, t.month, t.day, 0, 0, 0);
  if (icaltime_is_utc(t)) return utcDate(t.year, t.month, t.day, t.hour, t.minute, t.second);
  platform::DateComponents c{.year = t.year, .month = t.month, .day = t.day, .hour = t.hour,
                             .minute = t.minute, .second = t.second};
  if (auto tzid = tzidOf(p)) {
    if (auto zone = resolveTzid(*tzid)) {
      if (auto cal = platform::DateCalendar::inZone(*zone)) return cal->date(c);
    }
  }
  return platform::DateCalendar::current().date(c);
}

// Reads the owned values of a VTODO parsed by libical.
void readFields(icalcomponent* todo, std::string_view fileText, TodoEntry& entry) {
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
      platform::DateComponents c{.year = t.year, .month = t.month, .day = t.day};
      if (!t.is_date) {
        c.hour = t.hour;
        c.minute = t.minute;
        c.second = t.second;
        if (icaltime_is_utc(t)) {
          c.timeZone = "UTC";
        } else if (auto tzid = tzidOf(p)) {
          // An unknown zone reads as floating wall-clock time; the DUE line itself stays as written
          // until the due date is changed.
          c.timeZone = resolveTzid(*tzid, fileText);
        }
      }
      f.due = c;
    }
  }
  if (icalproperty* p = icalcomponent_get_first_property(todo, ICAL_STATUS_PROPERTY)) {
    if (const char* s = icalproperty_get_value_as_string(p)) f.status = upper(s);
  }
  if (icalproperty* p = icalcomponent_get_first_property(todo, ICAL_COMPLETED_PROPERTY)) {
    f.completionDate = instantOf(p, icalproperty_get_completed(p));
  }
  f.completed = f.status == "COMPLETED" || (f.status.empty() && f.completionDate.has_value());
  if (icalproperty* p = icalcomponent_get_first_property(todo, ICAL_CREATED_PROPERTY)) {
    f.creationDate = instantOf(p, icalproperty_get_created(p));
  }
  if (icalproperty* p = icalcomponent_get_first_property(todo, ICAL_LASTMODIFIED_PROPERTY)) {
    f.lastModified = instantOf(p, icalproperty_get_lastmodified(p));
  }
  if (icalproperty* p = icalcomponent_get_first_property(todo, ICAL_PERCENTCOMPLETE_PROPERTY)) {
    f.percentComplete = icalproperty_get_percentcomplete(p);
  }
  entry.recurrenceOverride = icalcomponent_get_first_property(todo, ICAL_RECURRENCEID_PROPERTY) != nullptr;

  size_t i = 0;
  for (icalcomponent* a = icalcomponent_get_first_component(todo, ICAL_VALARM_COMPONENT);
       a != nullptr && i < entry.alarmOrigins.size();
       a = icalcomponent_get_next_component(todo, ICAL_VALARM_COMPONENT), ++i) {
    AlarmValue v;
    v.origin = entry.alarmOrigins[i];
    if (icalproperty* p = icalcomponent_get_first_property(a, ICAL_TRIGGER_PROPERTY)) {
      struct icaltriggertype trigger = icalproperty_get_trigger(p);
      if (!icaltime_is_null_time(trigger.time)) {
        v.absolute = instantOf(p, trigger.time);
      } else {
        v.relative = std::chrono::seconds(icaldurationtype_as_int(trigger.duration));
      }
    }
    entry.alarms.push_back(std::move(v));
  }
}

struct RawLine {
  size_t begin, end;
  std::string_view text;  // the first physical line without terminator (enough for BEGIN/END)
  std::string name;
  std::string value;  // only for BEGIN/END
};

}  // namespace

const PropertyLine* TodoEntry::find(std::string_view name) const {
  for (const auto& l : lines) {
    if (l.name == name) return &l;
  }
  return nullptr;
}

void prepareParser() {
  static std::once_flag once;
  std::call_once(once, [] { icaltimezone_get_utc_timezone(); });
}

Date utcDate(int year, int month, int day, int hour, int minute, int second) {
  using std::chrono::seconds;
  sys_days d = std::chrono::year_month_day(std::chrono::year(year), std::chrono::month(static_cast<unsigned>(month)),
                                           std::chrono::day(static_cast<unsigned>(day)));
  // Whole seconds hold any int year; a Date's nanoseconds only about 1677-09-21 to 2262-04-11.
  const std::chrono::sys_seconds at = d + std::chrono::hours(hour) + std::chrono::minutes(minute) + seconds(second);
  constexpr seconds kLimit = std::chrono::duration_cast<seconds>(Date::duration::max());
  if (at.time_since_epoch() >= kLimit) return Date::max();
  if (at.time_since_epoch() <= -kLimit) return Date::min();
  return Date(at);
}

std::shared_ptr<const TodoFile> parseTodoFile(std::filesystem::path path, std::string content,
                                              platform::FileInfo info, std::string& error) {
  prepareParser();
  auto file = std::make_shared<TodoFile>();
  file->path = std::move(path);
  file->content = std::move(content);
  file->info = info;
  const std::string& text = file->content;

  // Split into logical lines (a line starting with a space or tab continues the previous one).
  std::vector<RawLine> lines;
  size_t pos = 0;
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
    } else if (physical.empty()) {
      // Blank lines carry nothing; they stay in place as bytes between content lines.
    } else {
      size_t nameEnd = physical.find_first_of(";:");
      if (nameEnd == std::string_view::npos || nameEnd == 0) {
        error = "not a content line: \"" + std::string(physical.substr(0, 40)) + "\"";
        return nullptr;
      }
      RawLine line{pos, next, physical, upper(physical.substr(0, nameEnd)), {}};
      if ((line.name == "BEGIN" || line.name == "END") && physical[nameEnd] == ':') {
        line.value = upper(physical.substr(nameEnd + 1));
      }
      lines.push_back(std::move(line));
    }
    pos = next;
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
    readFields(component.get(), text, entry);
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

// Sets (or with an empty `text`, removes) the first `name` line of `entry`; a new line goes before
// the first VALARM, or before END:VTODO.
void setLine(Editor& editor, const TodoEntry& entry, std::string_view name, std::string text) {
  if (const PropertyLine* line = entry.find(name)) {
    editor.replace(line->begin, line->end, std::move(text));
  } else if (!text.empty()) {
    size_t at = entry.alarmOrigins.empty() ? entry.endLineBegin : entry.alarmOrigins.front()->begin;
    editor.insert(at, std::move(text));
  }
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

}  // namespace

std::string editTodo(const TodoFile& file, size_t index, const DesiredTodo& want) {
  const TodoEntry& entry = file.todos.at(index);
  const TodoFields& had = entry.fields;
  const std::string& nl = file.newline;
  Editor editor(file);

  if (!had.hasUid) setLine(editor, entry, "UID", serialize(PropertyPtr(icalproperty_new_uid(want.uid.c_str())), nl));
  if (want.title != had.title || (!entry.find("SUMMARY") && !want.title.empty())) {
    setLine(editor, entry, "SUMMARY",
            want.title.empty() ? "" : serialize(PropertyPtr(icalproperty_new_summary(want.title.c_str())), nl));
  }
  if (want.notes != had.notes) {
    setLine(editor, entry, "DESCRIPTION",
            want.notes ? serialize(PropertyPtr(icalproperty_new_description(want.notes->c_str())), nl) : "");
  }
  if (want.priority != had.priority) {
    if (want.priority < 0 || want.priority > 9) {
      throw StoreError(StoreErrorCode::invalid, "priority " + std::to_string(want.priority) + " is outside 0...9");
    }
    setLine(editor, entry, "PRIORITY",
            want.priority == 0 ? "" : serialize(PropertyPtr(icalproperty_new_priority(want.priority)), nl));
  }
  if (want.due != had.due) {
    std::string zone;
    std::string line = want.due ? serialize(dueProperty(*want.due, &zone), nl) : "";
    setLine(editor, entry, "DUE", std::move(line));
    if (!zone.empty() &&
        std::find(file.timezoneIds.begin(), file.timezoneIds.end(), zone) == file.timezoneIds.end()) {
      std::string vtimezone = vtimezoneFor(zone, nl);
      if (vtimezone.empty()) {
        throw StoreError(StoreErrorCode::invalid, "no time zone definition for \"" + zone + "\"");
      }
      editor.insert(file.firstComponentBegin, std::move(vtimezone));
    }
  }
  const bool completionChanged = want.completed != had.completed;
  if (completionChanged) {
    setLine(editor, entry, "STATUS",
            serialize(PropertyPtr(icalproperty_new_status(want.completed ? ICAL_STATUS_COMPLETED
                                                                         : ICAL_STATUS_NEEDSACTION)),
                      nl));
    // Other clients read PERCENT-COMPLETE:100 as done; an undone task must not keep it.
    if (!want.completed && had.percentComplete == 100) setLine(editor, entry, "PERCENT-COMPLETE", "");
  }
  const std::optional<Date> completion = want.completed ? want.completionDate : std::nullopt;
  if (completionChanged || !sameAbsolute(completion, had.completionDate)) {
    setLine(editor, entry, "COMPLETED",
            completion ? serialize(PropertyPtr(icalproperty_new_completed(utcTime(*completion))), nl) : "");
  }
  setLine(editor, entry, "DTSTAMP", serialize(PropertyPtr(icalproperty_new_dtstamp(utcTime(want.now))), nl));
  setLine(editor, entry, "LAST-MODIFIED",
          serialize(PropertyPtr(icalproperty_new_lastmodified(utcTime(want.now))), nl));

  // Alarms: the blocks of removed alarms go, kept ones stay byte for byte, new ones are appended.
  for (const auto& origin : entry.alarmOrigins) {
    bool kept = std::any_of(want.alarms.begin(), want.alarms.end(),
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
  static std::mutex mu;
  static std::unordered_map<std::string, std::optional<std::string>> cache;
  {
    std::lock_guard lock(mu);
    if (auto it = cache.find(std::string(tzid)); it != cache.end()) return it->second;
  }
  std::optional<std::string> zone;
  auto known = [](std::string_view z) { return !z.empty() && platform::DateCalendar::isKnownTimeZone(z); };
  std::string id(tzid);
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
    if (!zone && !vtimezoneText.empty()) {
      size_t at = vtimezoneText.find("X-LIC-LOCATION:");
      if (at != std::string_view::npos) {
        size_t eol = vtimezoneText.find_first_of("\r\n", at);
        std::string location(vtimezoneText.substr(at + 15, eol - at - 15));
        if (known(location)) zone = location;
      }
    }
    if (!zone) log().notice("Unknown time zone '%{public}@': its times read as floating", id);
  }
  std::lock_guard lock(mu);
  return cache.emplace(id, zone).first->second;
}

}  // namespace zarvo::reminders::detail
