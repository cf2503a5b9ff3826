// How the program hands tasks to scripts: the JSON object of one task, as `ls --json`, `show --json`
// and every command's --json print it. Its keys are a contract with scripts: add, never rename.
#pragma once

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <vector>

#include "app/session.h"
#include "zarvo/model/task.h"

namespace zarvo::app {

// The object of one task: {"id", "uid", "title", "notes", "list", "priority", "dueDate",
// "isCompleted", "completionDate", "creationDate", "flagged", "tags", "allDay", "recurrence",
// "alarms"}, keys in that order, absent values null. "alarms" lists each alarm as {"trigger" (an
// offset from the due, "-PT10M", or the moment of an absolute alarm), "at" (when it rings; null for
// an offset without a due), "acknowledged", "snooze"}; dates ISO 8601 with milliseconds and the current zone's offset; an
// all-day due ("allDay": true) is its day alone, "2024-03-12". "recurrence" is the RRULE value. Tags come from
// `session`'s index when given (one look-up for all tasks), else from the task. A task read from a
// file holding a time outside years 1 to 9999 has "datesLeftOut", that file's values.
nlohmann::ordered_json taskJson(const Task& task, const std::string& id, const std::optional<std::string>& list,
                                const Session* session = nullptr);

// The titles of the task's tags in byte order: from `session`'s index when given, else from the task.
std::vector<std::string> sortedTagTitles(const Task& task, const Session* session = nullptr);

}  // namespace zarvo::app
