#include "zarvo/reminders/internal/ical_file.h"

#include <libical/ical.h>

#include <algorithm>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "zarvo/platform/date_calendar.h"
#include "zarvo/reminders/internal/ical_alarms.h"
#include "zarvo/reminders/internal/ical_lines.h"
#include "zarvo/reminders/internal/ical_parameters.h"
#include "zarvo/reminders/internal/ical_recurrence.h"
#include "zarvo/reminders/internal/ical_support.h"
#include "zarvo/reminders/internal/ical_zones.h"
#include "zarvo/reminders/store_error.h"

// Rewriting a task file: only the lines of what the store owns are replaced, inserted or removed,
// each spliced in by its byte range; every other byte stays as it was.

namespace zarvo::reminders::detail {

using namespace ical;

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

// The owned lines of one VTODO being rewritten. Each owned property ends with one line the reader
// takes: setting it replaces the line its value was read from and removes the others of its name, and
// finish() removes the others of every property left alone, keeping the line read. A dropped line is
// never the one replaced nor one removed: the reader took nothing from it, so rewriting it as the
// property would give a line its author never wrote (a value run onto a broken line, for one).
class OwnedLines {
 public:
  OwnedLines(Editor& editor, const TodoFile& file, const TodoEntry& entry)
      : editor_(editor), file_(file), entry_(entry) {}

  // Sets property `name` to `p` (null: removes it), at most once per name. The new line keeps the
  // parameters of the line it replaces that still apply to the new value; a new line goes before the
  // first VALARM, or before END:VTODO.
  void set(std::string_view name, PropertyPtr p) {
    const PropertyLine* read = entry_.taken(name);
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
    // The one exception: an empty DESCRIPTION line reads as empty notes, so notes removed take it along.
    if (text.empty() && name == "DESCRIPTION") {
      for (const PropertyLine& line : entry_.lines) {
        if (line.name == name && line.dropped) editor_.replace(line.begin, line.end, "");
      }
    }
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
  // Removes the lines of `name` the reader took but the one read; answers that one.
  const PropertyLine* removeOthers(std::string_view name) {
    const PropertyLine* read = entry_.taken(name);
    for (const PropertyLine& line : entry_.lines) {
      if (line.name == name && &line != read && !line.dropped) editor_.replace(line.begin, line.end, "");
    }
    return read;
  }

  Editor& editor_;
  const TodoFile& file_;
  const TodoEntry& entry_;
  std::vector<std::string_view> done_;
};

// Whether the file holds a DUE the reader left out (outside the kept years).
bool hasDueLeftOut(const TodoFields& fields) {
  return std::any_of(fields.datesLeftOut.begin(), fields.datesLeftOut.end(),
                     [](const std::string& leftOut) { return leftOut.starts_with("DUE "); });
}

PropertyPtr dueProperty(const platform::DateComponents& c, std::string* zoneOut) {
  if (!c.year || !c.month || !c.day) {
    throw StoreError(StoreErrorCode::invalid, "a due date needs a year, a month and a day");
  }
  // The day as a calendar carries it over must lie in the years iCalendar writes: year 0000 or 10000
  // never reaches the file.
  const auto utc = platform::DateCalendar::gregorianUTC();
  const platform::DateComponents read = utc.components(utc.date({.era = c.era, .year = c.year, .month = c.month, .day = c.day}));
  if (!platform::isKeptYear(*read.year)) {
    throw StoreError(StoreErrorCode::invalid, platform::outsideKeptYearsMessage(*read.year, *read.month, *read.day));
  }
  struct icaltimetype t = icaltime_null_time();
  t.year = static_cast<int>(*c.year);
  t.month = static_cast<int>(*c.month);
  t.day = static_cast<int>(*c.day);
  if (!c.hour) {
    t.is_date = 1;
    return timeProperty("DUE", t);
  }
  t.hour = static_cast<int>(*c.hour);
  t.minute = static_cast<int>(c.minute.value_or(0));
  t.second = static_cast<int>(c.second.value_or(0));
  if (!c.timeZone) return timeProperty("DUE", t);
  if (isUtcZone(*c.timeZone)) {
    t.zone = utcZone();
    return timeProperty("DUE", t);
  }
  if (!platform::DateCalendar::isKnownTimeZone(*c.timeZone)) {
    throw StoreError(StoreErrorCode::invalid, "unknown time zone \"" + *c.timeZone + "\" in a due date");
  }
  PropertyPtr p = timeProperty("DUE", t);
  icalproperty_add_parameter(p.get(), icalparameter_new_tzid(c.timeZone->c_str()));
  *zoneOut = *c.timeZone;
  return p;
}

// Rewrites the CATEGORIES lines of `entry` so that one line holds the set `want`: the values kept in
// the order read, then the new ones, on the first CATEGORIES line (its name and parameters as
// written), the others removed. Several CATEGORIES lines, which other clients write or a client
// once left behind, are merged on any rewrite: some readers take only one of them, others fail on
// the second. A single line whose values all stay is kept byte for byte.
void editCategories(Editor& editor, const TodoFile& file, const TodoEntry& entry, const std::vector<std::string>& want) {
  std::vector<const PropertyLine*> lines;
  for (const PropertyLine& line : entry.lines) {
    if (line.name == "CATEGORIES") lines.push_back(&line);
  }
  const std::set<std::string> had(entry.fields.categories.begin(), entry.fields.categories.end());
  const std::set<std::string> wanted(want.begin(), want.end());
  if (had == wanted && lines.size() <= 1) return;
  std::vector<std::string> values;
  std::set<std::string> held;
  for (const auto& v : entry.fields.categories) {
    if (wanted.count(v) != 0 && held.insert(v).second) values.push_back(v);
  }
  for (const auto& v : want) {
    if (held.insert(v).second) values.push_back(v);
  }
  if (lines.empty()) {
    const size_t at = entry.alarmOrigins.empty() ? entry.endLineBegin : entry.alarmOrigins.front()->begin;
    if (!values.empty()) editor.insert(at, withNewline(fold("CATEGORIES:" + escapedList(values)), file.newline));
    return;
  }
  const PropertyLine& first = *lines.front();
  const std::string_view raw = std::string_view(file.content).substr(first.begin, first.end - first.begin);
  editor.replace(first.begin, first.end, values.empty() ? std::string() : withValue(raw, escapedList(values), file.newline));
  for (size_t i = 1; i < lines.size(); ++i) editor.replace(lines[i]->begin, lines[i]->end, "");
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
  } else if (want.due != had.due || (!want.keepsDueLeftOut && hasDueLeftOut(had))) {
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
    // Other clients read PERCENT-COMPLETE:100 as done (todoman shows it as 100%): a completed task
    // says so, and an undone task must not keep it.
    if (want.completed) {
      if (had.percentComplete != 100) owned.set("PERCENT-COMPLETE", PropertyPtr(icalproperty_new_percentcomplete(100)));
    } else if (had.percentComplete == 100) {
      owned.set("PERCENT-COMPLETE", nullptr);
    }
  }
  // The completion time goes with completing and reopening; an open task keeps whatever its file says
  // (another client's completion time under a STATUS that is not COMPLETED) until then.
  const std::optional<Date> completion = want.completed ? want.completionDate : std::nullopt;
  if (completionChanged || (!advanced && want.completed && !sameAbsolute(completion, had.completionDate))) {
    owned.set("COMPLETED", completion ? timeProperty("COMPLETED", utcTime(*completion)) : nullptr);
  }
  const auto recordLine = [&](std::string_view name, std::optional<std::string> value, bool changed) {
    if (value && changed) owned.setLine(name, withNewline(fold(std::string(name) + ":" + *value), nl));
  };
  recordLine(kFlaggedName, want.flagged ? std::optional<std::string>(*want.flagged ? "TRUE" : "FALSE") : std::nullopt,
             want.flagged != had.flagged);
  recordLine(kOrderName, want.order ? std::optional<std::string>(std::to_string(*want.order)) : std::nullopt,
             want.order != had.order);
  if (want.categories) editCategories(editor, file, entry, *want.categories);
  if (want.recurrence && *want.recurrence != had.recurrence) {
    // Written as libical writes the rule, so that it reads back as written. An UNTIL in UTC needs
    // libical's zones.
    (void)utcZone();
    const struct icalrecurrencetype rule = icalrecurrencetype_from_string(want.recurrence->c_str());
    if (rule.freq == ICAL_NO_RECURRENCE) {
      throw StoreError(StoreErrorCode::invalid, "the recurrence rule \"" + *want.recurrence + "\" does not read");
    }
    owned.setLine("RRULE", serialize(PropertyPtr(icalproperty_new_rrule(rule)), nl));
  }
  owned.set("DTSTAMP", timeProperty("DTSTAMP", utcTime(want.now)));
  owned.set("LAST-MODIFIED", timeProperty("LAST-MODIFIED", utcTime(want.now)));

  owned.finish();

  // Alarms: the blocks of removed alarms go, kept ones stay byte for byte (but for an ACKNOWLEDGED or
  // UID line added), new ones are appended. A series moved on keeps its alarms: they belong to every
  // occurrence.
  for (size_t i = 0; i < entry.alarmOrigins.size(); ++i) {
    const auto& origin = entry.alarmOrigins[i];
    auto kept = std::find_if(want.alarms.begin(), want.alarms.end(), [&](const AlarmValue& a) { return a.origin == origin; });
    if (kept == want.alarms.end()) {
      if (!advanced) editor.replace(origin->begin, origin->end, "");
      continue;
    }
    if (i >= entry.alarms.size()) continue;
    const std::string_view block = std::string_view(file.content).substr(origin->begin, origin->end - origin->begin);
    if (auto edited = editedValarm(block, entry.alarms[i], *kept, nl)) editor.replace(origin->begin, origin->end, *edited);
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
      serialize(timeProperty("CREATED", utcTime(want.now)), "\r\n") +
      "END:VTODO\r\nEND:VCALENDAR\r\n";
  std::string error;
  auto file = parseTodoFile({}, std::move(skeleton), {}, error);
  return editTodo(*file, 0, want);
}

std::string removeTodo(const TodoFile& file, size_t index) {
  const TodoEntry& entry = file.todos.at(index);
  std::string out(file.content.substr(0, entry.begin));
  out += file.content.substr(entry.end);
  return out;
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

}  // namespace zarvo::reminders::detail
