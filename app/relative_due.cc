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
  std::string out;
  appendTo(out, task);
  return out;
}

void RelativeDue::appendTo(std::string& out, const Task& task) const { appendTo(out, task, task.dueDate()); }

void RelativeDue::appendTo(std::string& out, const Task& task, std::optional<Date> due) const {
  if (!due) return;
  const platform::DateComponents c = calendar_.components(*due);
  const auto appendTime = [&] {
    if (!dueHasTime(task)) return;
    out += ' ';
    platform::appendZeroPadded(out, *c.hour, 2);
    out += ':';
    platform::appendZeroPadded(out, *c.minute, 2);
  };
  const int64_t days = calendar_.daysBetween(now_, *due);
  if (days == 0 || days == 1 || days == -1) {
    out += days == 0 ? tr("today") : days == 1 ? tr("tomorrow") : tr("yesterday");
    appendTime();
    return;
  }
  if (days < 0 && !task.isCompleted()) {
    out += trnf("{} day overdue", "{} days overdue", static_cast<unsigned long>(-days), -days);
    return;
  }
  const int dueWeekday = *c.weekday;
  if (days > 0) {
    // Days from the first day of this week to the due day.
    const int64_t fromWeekStart = (nowWeekday_ - style_.firstWeekday + 7) % 7 + days;
    if (fromWeekStart < 7) {
      out += weekdayName(dueWeekday);
      appendTime();
      return;
    }
    if (fromWeekStart < 14) {
      out += trf("next {}", weekdayName(dueWeekday));
      appendTime();
      return;
    }
  }
  // Tasks in due order come day by day: a day's date is formatted once for all its tasks.
  if (writtenDay_ != days) {
    written_ = formatDate(style_.dateFormat, *c.year, *c.month, *c.day, dueWeekday);
    writtenDay_ = days;
  }
  out += written_;
  appendTime();
}

std::string relativeDue(const Task& task, Date now, const DateStyle& style) { return RelativeDue(now, style)(task); }

}  // namespace zarvo::app
