// How the program shows tasks: the JSON objects of `ls` and `show`, relative due dates, colours and
// the readable table.
#pragma once

#include <nlohmann/json.hpp>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/session.h"
#include "app/task_ids.h"
#include "zarvo/model/task.h"
#include "zarvo/platform/colour.h"
#include "zarvo/platform/text.h"

namespace zarvo::app {

// Whether to paint with ANSI colours: "always", "never", or "auto" — only when standard output is a
// terminal, NO_COLOR is unset or empty, and TERM is not "dumb". UsageError for another value.
bool useColour(const std::string& when);

// `text` wrapped in the ANSI sequence of `colour` when `enabled` (the label colour paints nothing).
std::string paint(std::string_view text, const platform::Colour& colour, bool enabled);
// `text` in bold and underlined when `enabled`, else between brackets, so the mark survives a pipe.
std::string highlight(std::string_view text, bool enabled);

// How dates are written: the format of a date beyond next week (zarvo/home/settings.h: formatDate) and the first
// day of the week (1 = Sunday ... 7 = Saturday), which decides what "next Mon" is.
struct DateStyle {
  std::string dateFormat = "%Y-%m-%d";
  int firstWeekday = 2;
};

// The due date relative to `now`: "today 17:00", "tomorrow 17:00", "Fri 09:30" (later this week),
// "next Tue 08:00" (in the next week), "2024-04-02 08:00" (later, in `style`'s format),
// "yesterday 17:00", "3 days overdue"; no time for a due date without one. A completed task is never
// overdue: its earlier due dates are written as dates. "" without a due date.
std::string relativeDue(const Task& task, Date now, const DateStyle& style = {});

// `text` as it may be shown on a terminal: control characters (C0, DEL, C1) and the line and
// paragraph separators escaped ("\n", "\t", "\r", "\x1B", "\u2028"), so a title cannot break a
// line of a table or send the terminal a command.
std::string shownText(std::string_view text);

// The columns of the terminal on standard output, else $COLUMNS when it is a number, else 0 (no
// limit: output for a pipe or a file keeps whole lines).
size_t terminalWidth();

// The object of one task: {"id", "uid", "title", "notes", "list", "priority", "dueDate",
// "isCompleted", "completionDate", "creationDate", "flagged", "tags"}, keys in that order, absent
// values null, dates ISO 8601 with milliseconds and the current zone's offset. Tags come from
// `session`'s index when given (one look-up for all tasks), else from the task.
nlohmann::ordered_json taskJson(const Task& task, const std::string& id, const std::optional<std::string>& list,
                                const Session* session = nullptr);

// The readable table of `tasks`, one line per task under a header line; "No tasks." when empty. With a
// `width` other than 0 every line fits in that many columns: titles are cut with "…" (whole grapheme
// clusters), then their flag and tags.
std::string taskTable(const std::vector<std::shared_ptr<Task>>& tasks, const ShortIds& ids, const Session& session,
                      Date now, bool colour, const DateStyle& style = {}, size_t width = 0);

// A few lines describing one task in full.
std::string taskDetails(const Task& task, const std::string& id, const std::optional<std::string>& list, Date now,
                        bool colour, const DateStyle& style = {});

// Columns a UTF-8 text takes on a terminal, by grapheme cluster (wide East Asian characters and emoji
// count two, combining marks none).
using platform::displayWidth;

}  // namespace zarvo::app
