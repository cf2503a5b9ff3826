// The task-file reader on arbitrary bytes, and edits on whatever it accepts.
//
// A file that parses must describe itself truthfully: every stored offset lies within its content,
// each VTODO starts at its BEGIN line and ends after its END line, its property lines and alarm
// blocks lie inside it in file order, each line starting with the name it is filed under. Two edits
// of every VTODO must give a file that parses again with as many VTODOs: changing the title changes
// nothing else a reader sees, and changing every owned value reads back as written. After an edit
// each owned property has at most one line.
#include <algorithm>
#include <cstdio>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "zarvo/reminders/internal/ical_file.h"
#include "zarvo/reminders/internal/ical_support.h"
#include "zarvo/reminders/internal/read_back.h"
#include "zarvo/reminders/store_error.h"

namespace {

using namespace zarvo::reminders::detail;
using zarvo::Date;
using zarvo::fuzz::check;
using zarvo::platform::DateComponents;

Date gNow;

// The content line at `at` as a reader sees it, upper-case: folds (a line break and a space or tab)
// undone, up to its own line break.
std::string logicalLine(std::string_view content, size_t at) {
  std::string out;
  for (size_t i = at; i < content.size(); ++i) {
    const char c = content[i];
    // Lines end at CRLF or LF; a carriage return alone is part of the line, as the reader takes it.
    if (c == '\n' || content.compare(i, 2, "\r\n") == 0) {
      const size_t next = content.compare(i, 2, "\r\n") == 0 ? i + 2 : i + 1;
      if (next < content.size() && (content[next] == ' ' || content[next] == '\t')) {
        i = next;
        continue;
      }
      if (c == '\n' || next == i + 2) break;
    }
    out += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  }
  return out;
}

// Whether `line` is `name`, blanks, then a separator in `separators`.
bool named(std::string_view line, std::string_view name, std::string_view separators = ";:") {
  if (!line.starts_with(name)) return false;
  const size_t after = line.find_first_not_of(" \t\r\v\f", name.size());
  return after != std::string_view::npos && separators.find(line[after]) != std::string_view::npos;
}

void checkOffsets(const TodoFile& file) {
  const std::string_view content = file.content;
  const size_t size = content.size();
  check(file.firstComponentBegin <= size, "firstComponentBegin past the end");
  check(file.newline == "\r\n" || file.newline == "\n", "a line terminator other than CRLF or LF");
  size_t previousEnd = 0;
  for (const TodoEntry& todo : file.todos) {
    check(todo.begin >= previousEnd, "VTODOs overlap or are out of order");
    check(todo.begin < todo.endLineBegin && todo.endLineBegin < todo.end && todo.end <= size,
          "a VTODO's offsets are out of order or past the end");
    const std::string begin = logicalLine(content, todo.begin);
    check(named(begin, "BEGIN", ":") && begin.substr(begin.find(':') + 1).starts_with("VTODO"),
          "a VTODO does not start at its BEGIN line");
    const std::string end = logicalLine(content, todo.endLineBegin);
    check(named(end, "END", ":") && end.substr(end.find(':') + 1).starts_with("VTODO"),
          "a VTODO's END line is not where it says");
    size_t at = todo.begin;
    for (const PropertyLine& line : todo.lines) {
      check(line.begin >= at && line.begin < line.end && line.end <= todo.endLineBegin,
            "a property line lies outside its VTODO or out of order");
      check(named(logicalLine(content, line.begin), line.name), "a property line does not start with its name");
      at = line.end;
    }
    at = todo.begin;
    for (const auto& origin : todo.alarmOrigins) {
      check(origin != nullptr, "a null alarm origin");
      check(origin->begin >= at && origin->begin < origin->end && origin->end <= todo.endLineBegin,
            "an alarm block lies outside its VTODO or out of order");
      at = origin->end;
    }
    check(todo.alarms.size() <= todo.alarmOrigins.size(), "more alarms than alarm blocks");
    for (const AlarmValue& alarm : todo.alarms) {
      check(std::find(todo.alarmOrigins.begin(), todo.alarmOrigins.end(), alarm.origin) != todo.alarmOrigins.end(),
            "an alarm read from the file without its block");
    }
    previousEnd = todo.end;
  }
}

// Everything as read: an edit from this changes only the time stamps.
DesiredTodo asRead(const TodoEntry& entry) {
  const TodoFields& f = entry.fields;
  DesiredTodo want;
  want.uid = f.hasUid ? f.uid : "fuzz-uid";
  want.title = f.title;
  want.notes = f.notes;
  want.priority = f.priority;
  want.due = f.due;
  want.completed = f.completed;
  want.completionDate = f.completionDate;
  want.alarms = entry.alarms;
  want.now = gNow;
  return want;
}

// What a reader sees of a VTODO, but the time stamps an edit moves.
bool sameSeen(const TodoEntry& a, const TodoEntry& b) {
  const TodoFields& f = a.fields;
  const TodoFields& g = b.fields;
  if (a.alarms.size() != b.alarms.size()) return false;
  for (size_t i = 0; i < a.alarms.size(); ++i) {
    if (a.alarms[i].absolute != b.alarms[i].absolute || a.alarms[i].relative != b.alarms[i].relative) return false;
  }
  return f.uid == g.uid && f.hasUid == g.hasUid && f.title == g.title && f.notes == g.notes &&
         f.priority == g.priority && f.due == g.due && f.completed == g.completed && f.status == g.status &&
         f.completionDate == g.completionDate && f.creationDate == g.creationDate &&
         f.percentComplete == g.percentComplete && a.recurrenceOverride == b.recurrenceOverride;
}

// Edits VTODO `index` of `file` to `want`; the result must parse, keep every other VTODO as it was
// seen, leave each owned property of the edited one at most one line the reader takes, and keep every
// line the reader took no value from as written (but an empty DESCRIPTION of notes removed).
std::shared_ptr<const TodoFile> edit(const TodoFile& file, size_t index, const DesiredTodo& want) {
  std::string error;
  const std::string content = editTodo(file, index, want);
  auto edited = parseTodoFile("fuzz.ics", content, {}, error);
  check(edited != nullptr, "an edit gives a file that does not parse");
  // The check every write passes before it reaches the disk must accept what the writer makes: a
  // refusal here is either a writer's mistake or a check that would refuse a good write.
  try {
    (void)readBackEdit(file, index, want, "fuzz.ics", content);
  } catch (const zarvo::reminders::StoreError& e) {
    std::fprintf(stderr, "%s\n", e.what());
    check(false, "the read-back check refuses an edit");
  }
  check(edited->todos.size() == file.todos.size(), "an edit changes the number of VTODOs");
  checkOffsets(*edited);
  for (size_t i = 0; i < file.todos.size(); ++i) {
    if (i != index) check(sameSeen(edited->todos[i], file.todos[i]), "an edit changes another VTODO");
  }
  static constexpr std::string_view kOwned[] = {"UID",     "SUMMARY",   "DESCRIPTION", "PRIORITY",
                                                "DUE",     "STATUS",    "COMPLETED",   "PERCENT-COMPLETE",
                                                "CREATED", "DTSTAMP",   "LAST-MODIFIED"};
  for (std::string_view name : kOwned) {
    const auto& lines = edited->todos[index].lines;
    check(std::count_if(lines.begin(), lines.end(),
                        [&](const PropertyLine& l) { return l.name == name && !l.dropped; }) <= 1,
          "an edit leaves two lines of an owned property");
  }
  for (const PropertyLine& line : file.todos[index].lines) {
    if (!line.dropped || (line.name == "DESCRIPTION" && !want.notes)) continue;
    const std::string_view raw = std::string_view(file.content).substr(line.begin, line.end - line.begin);
    check(content.find(raw) != std::string::npos, "an edit rewrites a line the reader took no value from");
  }
  return edited;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  zarvo::fuzz::setUpProcess();
  (void)ical::utcZone();
  gNow = zarvo::fuzz::referenceDate();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string content(reinterpret_cast<const char*>(data), size);
  std::string error;
  const auto file = parseTodoFile("fuzz.ics", std::move(content), {}, error);
  if (!file) {
    check(!error.empty(), "a file refused without a reason");
    return 0;
  }
  checkOffsets(*file);

  // Values that need escaping, with a comma, semicolon, backslash, line break and non-ASCII text.
  // (iCalendar text has no carriage returns: a line break is a line feed.)
  static const std::string kTitle = "Fuzz, title; with \\ a\nbreak \xC3\xA4";
  static const std::string kNotes = "Notes; with, \\ and\nlines \xE2\x82\xAC";
  for (size_t i = 0; i < file->todos.size(); ++i) {
    const TodoEntry& todo = file->todos[i];

    DesiredTodo titled = asRead(todo);
    titled.title = kTitle;
    const auto retitled = edit(*file, i, titled);
    TodoEntry expected = todo;
    expected.fields.title = kTitle;
    if (!todo.fields.hasUid) {
      expected.fields.uid = titled.uid;
      expected.fields.hasUid = true;
    }
    check(sameSeen(retitled->todos[i], expected), "a title edit does not read back, or changes more");

    // Every owned value changed; the alarms replaced by one new alarm.
    DesiredTodo changed = titled;
    changed.notes = todo.fields.notes == kNotes ? std::nullopt : std::optional<std::string>(kNotes);
    changed.priority = todo.fields.priority == 9 ? 1 : 9;
    changed.due = DateComponents{.timeZone = "Europe/Berlin", .year = 2027, .month = 3, .day = 28, .hour = 2,
                                 .minute = 30, .second = 0};
    if (todo.fields.due == changed.due) changed.due.reset();
    changed.completed = !todo.fields.completed;
    changed.completionDate = changed.completed ? std::optional<Date>(gNow) : std::nullopt;
    AlarmValue alarm;
    alarm.absolute = gNow + std::chrono::hours(24);
    changed.alarms = {alarm};
    const auto edited = edit(*file, i, changed);
    const TodoFields& back = edited->todos[i].fields;
    check(back.title == kTitle && back.notes == changed.notes && back.priority == changed.priority,
          "an edit of every value does not read back");
    const auto& alarms = edited->todos[i].alarms;
    // Completing a recurring task may complete its current occurrence only: it moves on to the next
    // one and stays open, due where the rule says, keeping the series' alarms.
    if (changed.completed && !back.completed && todo.find("RRULE") != nullptr) {
      check(!back.completionDate, "a recurring task moved on carries a completion time");
      check(alarms.size() >= todo.alarms.size(), "a recurring task moved on lost the series' alarms");
      continue;
    }
    check(back.due == changed.due && back.completed == changed.completed, "an edit of every value does not read back");
    check(back.completionDate == changed.completionDate, "a completion edit does not read back");
    check(alarms.size() == 1 && alarms[0].absolute == changed.alarms[0].absolute,
          "the alarms of an edit do not read back");
  }
  return 0;
}
