#include "app/messages.h"
#include "app/reminder_times.h"

#include "app/command_error.h"
#include "app/date_options.h"
#include "zarvo/alarms/alarm_writes.h"
#include "zarvo/platform/date_calendar.h"
#include "zarvo/platform/text.h"
#include "zarvo/quickentry/reminder_alarm.h"

namespace zarvo::app {

namespace {

std::shared_ptr<reminders::Alarm> keptAlarm(Date at) {
  requireKeptDate(at);
  return reminders::Alarm::alarmWithAbsoluteDate(at);
}

// A moment's alarm; a day alone rings at 09:00.
std::shared_ptr<reminders::Alarm> momentAlarm(Date at, bool isDay) {
  if (!isDay) return keptAlarm(at);
  const platform::DateCalendar calendar = platform::DateCalendar::current();
  return keptAlarm(calendar.adding(platform::CalendarUnit::hour, 9, calendar.startOfDay(at)));
}

}  // namespace

std::shared_ptr<reminders::Alarm> reminderAlarm(const std::string& text, bool dueHasTime, Date now,
                                                const ChronoParseHelper& dates) {
  const std::string trimmed = platform::trimmed(std::string_view(text));
  if (const auto length = alarms::choiceLength(trimmed)) {
    if (dueHasTime) return reminders::Alarm::alarmWithRelativeOffset(-*length);
    return keptAlarm(now + *length);
  }
  if (!platform::toUtf16(trimmed)) throw UsageError(trf("the reminder '{}' is not valid UTF-8", text));
  const auto item = trimmed.empty() ? nullptr : dates.parse(std::string_view(trimmed));
  // The phrase must be the whole text: "call at 9" names a time, but not as a reminder's.
  if (!item || !platform::trimmed(std::string_view(platform::toUtf8(item->title()))).empty()) {
    throw UsageError(trf("no time found in the reminder '{}': give a length before the due (10m, 1h, 2d) or a time (09:00, tomorrow 9am)",
                         text));
  }
  return momentAlarm(item->dueDate(), item->isAllDay());
}

std::shared_ptr<reminders::Alarm> quickEntryAlarm(const TaskDescription::Reminder& reminder, bool dueHasTime, Date now) {
  auto alarm = zarvo::quickEntryAlarm(reminder, dueHasTime, now);
  if (!alarm.hasValue()) throw UsageError(alarm.error().message());
  return alarm.value();
}

void addReminders(Task& task, const std::vector<std::string>& texts, Date now, const ChronoParseHelper& dates) {
  std::vector<std::shared_ptr<reminders::Alarm>> wanted;
  const bool dueHasTime = task.dueDate() && !task.isAllDay();
  for (const std::string& text : texts) wanted.push_back(reminderAlarm(text, dueHasTime, now, dates));
  const auto reminder = task.reminder();
  if (!reminder) return;
  for (auto& alarm : wanted) reminder->addAlarm(std::move(alarm));
}

}  // namespace zarvo::app
