#include "app/relative_due.h"

#include <fmt/format.h>

#include "app/messages.h"
#include "zarvo/home/settings.h"
#include "zarvo/platform/text.h"

namespace zarvo::app {

namespace {

// The short name of a weekday (1 Sunday ... 7 Saturday) in the person's language.
std::string weekdayName(int weekday) {
  switch (weekday) {
    case 1: return trc("weekday", "Sun");
    case 2: return trc("weekday", "Mon");
    case 3: return trc("weekday", "Tue");
    case 4: return trc("weekday", "Wed");
    case 5: return trc("weekday", "Thu");
    case 6: return trc("weekday", "Fri");
    default: return trc("weekday", "Sat");
  }
}

bool dueHasTime(const Task& task) {
  auto reminder = task.reminder();
  return reminder && reminder->dueDateComponents() && reminder->dueDateComponents()->hour.has_value();
}

}  // namespace

RelativeDue::RelativeDue(Date now, const DateStyle& style)
    : now_(now), style_(style), calendar_(platform::DateCalendar::current()), nowWeekday_(calendar_.weekday(now)) {}

std::string RelativeDue::operator()(const Task& task) const {
  const std::optional<Date> due = task.dueDate();
  if (!due) return "";
  const platform::DateComponents c = calendar_.components(*due);
  std::string time;
  if (dueHasTime(task)) {
    time += ' ';  // (an assignment of " " here trips a false -Wrestrict in GCC 12 at -O3)
    platform::appendZeroPadded(time, *c.hour, 2);
    time += ':';
    platform::appendZeroPadded(time, *c.minute, 2);
  }
  const int64_t days = calendar_.daysBetween(now_, *due);
  if (days == 0) return tr("today") + time;
  if (days == 1) return tr("tomorrow") + time;
  if (days == -1) return tr("yesterday") + time;
  if (days < 0 && !task.isCompleted()) {
    return trnf("{} day overdue", "{} days overdue", static_cast<unsigned long>(-days), -days);
  }
  const int dueWeekday = *c.weekday;
  if (days > 0) {
    // Days from the first day of this week to the due day.
    const int64_t fromWeekStart = (nowWeekday_ - style_.firstWeekday + 7) % 7 + days;
    if (fromWeekStart < 7) return weekdayName(dueWeekday) + time;
    if (fromWeekStart < 14) return trf("next {}", weekdayName(dueWeekday)) + time;
  }
  return formatDate(style_.dateFormat, *c.year, *c.month, *c.day, dueWeekday) + time;
}

std::string relativeDue(const Task& task, Date now, const DateStyle& style) { return RelativeDue(now, style)(task); }

}  // namespace zarvo::app
