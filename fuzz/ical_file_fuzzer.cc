// The task-file reader on arbitrary bytes, and the title edit on whatever it accepts.
//
// A file that parses must describe itself truthfully: every stored offset lies within its content,
// each VTODO starts at its BEGIN line and ends after its END line, its property lines and alarm
// blocks lie inside it in file order. Changing the title of any VTODO must give a file that parses
// again, with as many VTODOs, and reads back the new title.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "zarvo/reminders/internal/ical_file.h"

namespace {

using namespace zarvo::reminders::detail;
using zarvo::fuzz::check;

zarvo::Date gNow;

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  return std::equal(prefix.begin(), prefix.end(), text.begin(), [](char p, char t) {
    return p == ((t >= 'a' && t <= 'z') ? static_cast<char>(t - 'a' + 'A') : t);
  });
}

void checkOffsets(const TodoFile& file) {
  const std::string& content = file.content;
  const size_t size = content.size();
  check(file.firstComponentBegin <= size, "firstComponentBegin past the end");
  check(file.newline == "\r\n" || file.newline == "\n", "a line terminator other than CRLF or LF");
  size_t previousEnd = 0;
  for (const TodoEntry& todo : file.todos) {
    check(todo.begin >= previousEnd, "VTODOs overlap or are out of order");
    check(todo.begin < todo.endLineBegin && todo.endLineBegin < todo.end && todo.end <= size,
          "a VTODO's offsets are out of order or past the end");
    check(startsWithIgnoringCase(std::string_view(content).substr(todo.begin), "BEGIN:VTODO"),
          "a VTODO does not start at its BEGIN line");
    check(startsWithIgnoringCase(std::string_view(content).substr(todo.endLineBegin), "END:VTODO"),
          "a VTODO's END line is not where it says");
    size_t at = todo.begin;
    for (const PropertyLine& line : todo.lines) {
      check(line.begin >= at && line.begin < line.end && line.end <= todo.endLineBegin,
            "a property line lies outside its VTODO or out of order");
      check(startsWithIgnoringCase(std::string_view(content).substr(line.begin), line.name),
            "a property line does not start with its name");
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

// The store's title edit: everything as read, only the title new.
DesiredTodo titleChange(const TodoEntry& entry, std::string title) {
  const TodoFields& f = entry.fields;
  DesiredTodo want;
  want.uid = f.hasUid ? f.uid : "fuzz-uid";
  want.title = std::move(title);
  want.notes = f.notes;
  want.priority = f.priority;
  want.due = f.due;
  want.completed = f.completed;
  want.completionDate = f.completionDate;
  want.alarms = entry.alarms;
  want.now = gNow;
  return want;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  zarvo::fuzz::setUpProcess();
  prepareParser();
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

  // A title that needs escaping, with a comma, semicolon, backslash, line break and non-ASCII text.
  static const std::string kTitle = "Fuzz, title; with \\ a\nbreak \xC3\xA4";
  for (size_t i = 0; i < file->todos.size(); ++i) {
    const std::string edited = editTodo(*file, i, titleChange(file->todos[i], kTitle));
    std::string again;
    const auto reparsed = parseTodoFile("fuzz.ics", edited, {}, again);
    check(reparsed != nullptr, "a title edit gives a file that does not parse");
    check(reparsed->todos.size() == file->todos.size(), "a title edit changes the number of VTODOs");
    checkOffsets(*reparsed);
    check(reparsed->todos[i].fields.title == kTitle, "a title edit does not read back");
  }
  return 0;
}
