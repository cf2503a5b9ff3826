// How the program shows tasks: the JSON objects of `ls` and `show` and the readable table, with due
// dates relative to now (app/relative_due.h), painted and escaped as app/terminal_text.h says.
#pragma once

#include <nlohmann/json.hpp>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/session.h"
#include "app/relative_due.h"
#include "app/task_ids.h"
#include "app/terminal_text.h"
#include "zarvo/model/task.h"
#include "zarvo/platform/text.h"

namespace zarvo::app {

// The object of one task: {"id", "uid", "title", "notes", "list", "priority", "dueDate",
// "isCompleted", "completionDate", "creationDate", "flagged", "tags", "allDay", "recurrence",
// "alarms"}, keys in that order, absent values null. "alarms" lists each alarm as {"trigger" (an
// offset from the due, "-PT10M", or the moment of an absolute alarm), "at" (when it rings; null for
// an offset without a due), "acknowledged", "snooze"}; dates ISO 8601 with milliseconds and the current zone's offset; an
// all-day due ("allDay": true) is its day alone, "2024-03-12". "recurrence" is the RRULE value. Tags come from
// `session`'s index when given (one look-up for all tasks), else from the task.
nlohmann::ordered_json taskJson(const Task& task, const std::string& id, const std::optional<std::string>& list,
                                const Session* session = nullptr);

// The readable table of `tasks`, one line per task under a header line; "No tasks." when empty. A
// task with an alarm at another moment than its due (alarms::hasOwnAlarms) is marked "⏰". With a
// `width` other than 0 every line fits in that many columns: titles are cut with "…" (whole grapheme
// clusters), then their flag and tags.
std::string taskTable(const std::vector<std::shared_ptr<Task>>& tasks, const ShortIds& ids, const Session& session,
                      Date now, bool colour, const DateStyle& style = {}, size_t width = 0);

// A few lines describing one task in full, one "alarm" line per alarm.
std::string taskDetails(const Task& task, const std::string& id, const std::optional<std::string>& list, Date now,
                        bool colour, const DateStyle& style = {});

// Columns a UTF-8 text takes on a terminal, by grapheme cluster (wide East Asian characters and emoji
// count two, combining marks none).
using platform::displayWidth;

}  // namespace zarvo::app
