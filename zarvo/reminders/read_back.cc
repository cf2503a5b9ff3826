#include "zarvo/reminders/internal/read_back.h"

#include <algorithm>
#include <chrono>
#include <set>
#include <tuple>
#include <utility>
#include <vector>

#include "zarvo/reminders/internal/ical_support.h"
#include "zarvo/reminders/store_error.h"

namespace zarvo::reminders::detail {

namespace {

[[noreturn]] void refuse(const std::filesystem::path& path, const std::string& what) {
  throw StoreError(StoreErrorCode::invalid, "Refused to write " + path.string() + ": the new version would " + what +
                                                "; the file was left as it was");
}

std::shared_ptr<TodoFile> parse(const std::filesystem::path& path, std::string content) {
  std::string error;
  auto file = parseTodoFile(path, std::move(content), {}, error);
  if (!file) refuse(path, "not be readable (" + error + ")");
  return file;
}

bool isUtc(const std::optional<std::string>& zone) {
  return zone && (*zone == "UTC" || *zone == "GMT" || *zone == "Etc/UTC" || *zone == "Etc/GMT" || *zone == "Z" ||
                  *zone == "Etc/Universal" || *zone == "Universal" || *zone == "Zulu" || *zone == "Etc/Zulu");
}

// A due date as the file can hold it: a day, or a time to the second in one zone (UTC by any name),
// or floating. Fields a file has no place for (weekday, nanosecond) are not compared.
auto dueKey(const platform::DateComponents& c) {
  const bool timed = c.hour.has_value();
  return std::make_tuple(c.year, c.month, c.day, c.hour, timed ? c.minute.value_or(0) : 0,
                         timed ? c.second.value_or(0) : 0,
                         !timed ? std::optional<std::string>() : isUtc(c.timeZone) ? std::optional<std::string>("UTC")
                                                                                  : c.timeZone);
}

bool sameDue(const std::optional<platform::DateComponents>& a, const std::optional<platform::DateComponents>& b) {
  if (a.has_value() != b.has_value()) return false;
  return !a || dueKey(*a) == dueKey(*b);
}

// Whether `later` is the same kind of due date as `earlier`, moved on. Compared as civil times: a
// field written past its range (month 0) counts as a calendar counts it, as the series moved it.
bool dueMovedOn(const platform::DateComponents& earlier, const platform::DateComponents& later) {
  const auto e = dueKey(earlier), l = dueKey(later);
  auto civil = [](const auto& k) {
    auto field = [](const std::optional<int64_t>& v) { return static_cast<int>(v.value_or(0)); };
    return ical::civilSeconds(field(std::get<0>(k)), field(std::get<1>(k)), field(std::get<2>(k)),
                              field(std::get<3>(k)), static_cast<int>(std::get<4>(k)), static_cast<int>(std::get<5>(k)));
  };
  return std::get<6>(e) == std::get<6>(l) && std::get<3>(e).has_value() == std::get<3>(l).has_value() &&
         civil(l) > civil(e);
}

using AlarmKey = std::tuple<std::optional<std::chrono::sys_seconds>, std::optional<std::chrono::seconds>,
                            std::optional<std::chrono::sys_seconds>, std::optional<std::string>, std::optional<std::string>>;

AlarmKey alarmKey(const AlarmValue& a) {
  auto secondsOf = [](const std::optional<Date>& d) {
    return d ? std::optional(std::chrono::floor<std::chrono::seconds>(*d)) : std::nullopt;
  };
  return {secondsOf(a.absolute), a.relative, secondsOf(a.acknowledged), a.uid, a.snoozeOf};
}

std::multiset<AlarmKey> alarmKeys(const std::vector<AlarmValue>& alarms) {
  std::multiset<AlarmKey> keys;
  for (const auto& a : alarms) keys.insert(alarmKey(a));
  return keys;
}

std::optional<std::chrono::sys_seconds> seconds(const std::optional<Date>& d) {
  if (!d) return std::nullopt;
  return std::chrono::floor<std::chrono::seconds>(*d);
}

// Categories as a file holds them: no empty ones, no carriage returns (iCalendar text has none).
std::set<std::string> asSet(const std::vector<std::string>& v) {
  std::set<std::string> out;
  for (std::string c : v) {
    std::erase(c, '\r');
    if (!c.empty()) out.insert(std::move(c));
  }
  return out;
}

// The rule without its COUNT part: what a completed occurrence leaves of it.
std::string withoutCount(const std::string& rule) {
  std::string out;
  size_t at = 0;
  while (at <= rule.size()) {
    const size_t end = std::min(rule.find(';', at), rule.size());
    const std::string part = rule.substr(at, end - at);
    if (!part.starts_with("COUNT=")) out += part + ";";
    at = end + 1;
  }
  return out;
}

// The start as written after its zone: "TZID:20270104T080000" -> "20270104T080000".
std::string_view startValue(std::string_view start) { return start.substr(start.rfind(':') + 1); }
std::string_view startZone(std::string_view start) {
  const size_t colon = start.rfind(':');
  return colon == std::string_view::npos ? std::string_view() : start.substr(0, colon);
}

// The first value that differs between two reads of a VTODO no edit touched; null when none does.
const char* firstDifference(const TodoEntry& a, const TodoEntry& b) {
  const TodoFields& f = a.fields;
  const TodoFields& g = b.fields;
  if (f.uid != g.uid || f.hasUid != g.hasUid) return "UID";
  if (f.title != g.title) return "title";
  if (f.notes != g.notes) return "notes";
  if (f.priority != g.priority) return "priority";
  if (f.due != g.due) return "due date";
  if (f.completed != g.completed || f.status != g.status || f.percentComplete != g.percentComplete) return "status";
  if (f.completionDate != g.completionDate) return "completion time";
  if (f.creationDate != g.creationDate) return "creation time";
  if (f.start != g.start) return "start";
  if (f.recurrence != g.recurrence) return "recurrence";
  if (alarmKeys(a.alarms) != alarmKeys(b.alarms)) return "alarms";
  if (f.categories != g.categories) return "categories";
  if (f.flagged != g.flagged) return "flag";
  if (f.order != g.order) return "order";
  if (a.recurrenceOverride != b.recurrenceOverride) return "RECURRENCE-ID";
  return nullptr;
}

// The first value of `got` that is not what `want` asked of the VTODO read as `had` (none for a new
// one); null when every value is.
const char* firstMismatch(const TodoEntry* had, const DesiredTodo& want, const TodoEntry& got) {
  const TodoFields& g = got.fields;
  if (!g.hasUid || g.uid != want.uid) return "UID";
  if (g.title != want.title) return "title";
  if (g.notes != want.notes) return "notes";
  if (g.priority != want.priority) return "priority";

  const bool movedOn = had != nullptr && want.completed && !had->fields.completed && !g.completed;
  if (movedOn) {
    // A recurring task completed one occurrence: the series moved on instead.
    const TodoFields& h = had->fields;
    if (h.recurrence.empty() || withoutCount(g.recurrence) != withoutCount(h.recurrence)) return "recurrence";
    if (h.start.empty() != g.start.empty()) return "start";
    if (!h.start.empty() && (startZone(g.start) != startZone(h.start) ||
                             startValue(g.start).size() != startValue(h.start).size() ||
                             startValue(g.start) <= startValue(h.start))) {
      return "start";
    }
    if (h.due.has_value() != g.due.has_value() || (h.due && !dueMovedOn(*h.due, *g.due))) return "due date";
    if (g.completionDate != h.completionDate) return "completion time";
    std::vector<AlarmValue> expected = had->alarms;
    for (const auto& a : want.alarms) {
      if (!a.origin) expected.push_back(a);
    }
    if (alarmKeys(got.alarms) != alarmKeys(expected)) return "alarms";
  } else {
    if (!sameDue(g.due, want.due)) return "due date";
    if (g.completed != want.completed) return "status";
    std::optional<Date> completion = want.completed ? want.completionDate : std::nullopt;
    if (!want.completed && had != nullptr && !had->fields.completed) completion = had->fields.completionDate;
    if (seconds(g.completionDate) != seconds(completion)) return "completion time";
    if (had != nullptr && (g.start != had->fields.start)) return "start";
    if (had != nullptr && (g.recurrence != had->fields.recurrence)) return "recurrence";
    if (had == nullptr && want.recurrence.has_value() == g.recurrence.empty()) return "recurrence";
    if (alarmKeys(got.alarms) != alarmKeys(want.alarms)) return "alarms";
  }
  const TodoFields empty;
  const TodoFields& h = had != nullptr ? had->fields : empty;
  if (asSet(g.categories) != asSet(want.categories ? *want.categories : h.categories)) return "categories";
  if (g.flagged != (want.flagged ? want.flagged : h.flagged)) return "flag";
  if (g.order != (want.order ? want.order : h.order)) return "order";
  return nullptr;
}

void requireOthersKept(const TodoFile& before, const TodoFile& after, size_t skipped, size_t shift,
                       const std::filesystem::path& path) {
  for (size_t i = 0; i < before.todos.size(); ++i) {
    if (i == skipped) continue;
    const size_t j = i > skipped ? i - shift : i;
    if (const char* what = firstDifference(before.todos[i], after.todos[j])) {
      refuse(path, "change the " + std::string(what) + " of another task in it");
    }
  }
}

}  // namespace

std::shared_ptr<TodoFile> readBackEdit(const TodoFile& before, size_t index, const DesiredTodo& want,
                                       const std::filesystem::path& path, std::string content) {
  auto after = parse(path, std::move(content));
  if (after->todos.size() != before.todos.size()) refuse(path, "hold another number of tasks");
  requireOthersKept(before, *after, index, 0, path);
  if (const char* what = firstMismatch(&before.todos[index], want, after->todos[index])) {
    refuse(path, "read back with another " + std::string(what) + " than the change gives");
  }
  return after;
}

std::shared_ptr<TodoFile> readBackNew(const DesiredTodo& want, const std::filesystem::path& path, std::string content) {
  auto after = parse(path, std::move(content));
  if (after->todos.size() != 1) refuse(path, "hold another number of tasks");
  if (const char* what = firstMismatch(nullptr, want, after->todos[0])) {
    refuse(path, "read back with another " + std::string(what) + " than the change gives");
  }
  return after;
}

std::shared_ptr<TodoFile> readBackRemoval(const TodoFile& before, size_t index, const std::filesystem::path& path,
                                          std::string content) {
  auto after = parse(path, std::move(content));
  if (after->todos.size() + 1 != before.todos.size()) refuse(path, "hold another number of tasks");
  requireOthersKept(before, *after, index, 1, path);
  return after;
}

}  // namespace zarvo::reminders::detail
