// How the program shows tasks to people: the readable table of `ls` and the report, and the details
// of one task, with due dates relative to now (app/relative_due.h), painted as app/output.h says and
// written through its writer. (Scripts get app/task_json.h.)
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/session.h"
#include "app/relative_due.h"
#include "app/task_ids.h"
#include "app/output.h"
#include "app/terminal_text.h"
#include "zarvo/model/task.h"
#include "zarvo/platform/text.h"

namespace zarvo::app {

// The readable table of `tasks`, one line per task under a header line; "No tasks." when empty. A
// task with an alarm at another moment than its due (alarms::hasOwnAlarms) is marked "⏰". With a
// `width` other than 0 every line fits in that many columns: titles are cut with "…" (whole grapheme
// clusters), then their flag and tags.
Lines taskTable(const std::vector<std::shared_ptr<Task>>& tasks, const ShortIds& ids, const Session& session,
                Date now, bool colour, const DateStyle& style = {}, size_t width = 0);
// The same table written to `output`, as output.lines(taskTable(...)) writes it. Without colours
// the rows are written as they are made, with no object per line: a listing of thousands of tasks.
// `dues`, when given, holds each task's due date as the caller just read it (as long as `tasks`).
void writeTaskTable(Output& output, const std::vector<std::shared_ptr<Task>>& tasks, const ShortIds& ids,
                    const Session& session, Date now, bool colour, const DateStyle& style = {}, size_t width = 0,
                    const std::vector<std::optional<Date>>* dues = nullptr);

// A few lines describing one task in full, one "alarm" line per alarm.
Lines taskDetails(const Task& task, const std::string& id, const std::optional<std::string>& list, Date now,
                  bool colour, const DateStyle& style = {});

// Columns a UTF-8 text takes on a terminal, by grapheme cluster (wide East Asian characters and emoji
// count two, combining marks none).
using platform::displayWidth;

}  // namespace zarvo::app
