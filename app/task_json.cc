#include "app/task_json.h"

#include <algorithm>

#include "app/task_ids.h"
#include "zarvo/alarms/alarm_writes.h"
#include "zarvo/platform/date_calendar.h"
#include "zarvo/model/tag.h"

namespace zarvo::app {

using json = nlohmann::ordered_json;

namespace {

std::optional<std::string> isoOrNone(const std::optional<Date>& date) {
  return date ? std::optional<std::string>(platform::isoString(*date)) : std::nullopt;
}

json nullable(const std::optional<std::string>& s) { return s ? json(*s) : json(nullptr); }

std::vector<std::string> taskTagTitles(const Task& task) {
  std::vector<std::string> titles;
  for (const auto& tag : task.tags()) {
    if (auto title = tag->title()) titles.push_back(*title);
  }
  std::sort(titles.begin(), titles.end());
  return titles;
}


}  // namespace

std::vector<std::string> sortedTagTitles(const Task& task, const Session* session) {
  return session ? session->tagTitles(task) : taskTagTitles(task);
}

json taskJson(const Task& task, const std::string& id, const std::optional<std::string>& list,
              const Session* session) {
  json out = json::object();
  out["id"] = id;
  out["uid"] = uidOf(task);
  out["title"] = nullable(task.title());
  out["notes"] = nullable(task.notes());
  out["list"] = nullable(list);
  out["priority"] = task.priority();
  // An all-day due is a day, written as one; a timed one an instant.
  const std::optional<Date> due = task.dueDate();
  out["dueDate"] = !due ? json(nullptr) : task.isAllDay() ? json(platform::isoDayString(*due))
                                                          : json(platform::isoString(*due));
  out["isCompleted"] = task.isCompleted();
  out["completionDate"] = nullable(isoOrNone(task.completionDate()));
  out["creationDate"] = nullable(isoOrNone(task.creationDate()));
  out["flagged"] = task.flagged();
  out["tags"] = sortedTagTitles(task, session);
  out["allDay"] = task.isAllDay();
  out["recurrence"] = nullable(task.recurrenceRule());
  json alarmList = json::array();
  if (const auto r = task.reminder()) {
    for (const alarms::AlarmView& a : alarms::alarmViews(*r, task.dueDate())) {
      alarmList.push_back({{"trigger", a.trigger}, {"at", nullable(isoOrNone(a.at))},
                           {"acknowledged", a.acknowledged}, {"snooze", a.snooze}});
    }
  }
  out["alarms"] = std::move(alarmList);
  // Only for a file holding a time outside years 1 to 9999, which the task shows without.
  if (const auto r = task.reminder(); r && !r->datesLeftOut().empty()) out["datesLeftOut"] = r->datesLeftOut();
  return out;
}

}  // namespace zarvo::app
