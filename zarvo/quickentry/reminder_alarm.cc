#include "zarvo/quickentry/reminder_alarm.h"

#include "zarvo/platform/date_calendar.h"

namespace zarvo {

namespace {

Expected<std::shared_ptr<reminders::Alarm>> keptAlarm(Date at) {
  if (!platform::isKeptDate(at)) return Error(std::make_error_code(std::errc::result_out_of_range), platform::outsideKeptYearsMessage(at));
  return reminders::Alarm::alarmWithAbsoluteDate(at);
}

}  // namespace

Expected<std::shared_ptr<reminders::Alarm>> quickEntryAlarm(const QuickTaskParser::TaskDescription::Reminder& reminder,
                                                            bool dueHasTime, Date now) {
  if (reminder.beforeDue) {
    if (dueHasTime) return reminders::Alarm::alarmWithRelativeOffset(-*reminder.beforeDue);
    return keptAlarm(now + *reminder.beforeDue);
  }
  const Date at = reminder.at.value_or(now);
  if (!reminder.atIsDay) return keptAlarm(at);
  const platform::DateCalendar calendar = platform::DateCalendar::current();
  return keptAlarm(calendar.adding(platform::CalendarUnit::hour, 9, calendar.startOfDay(at)));
}

}  // namespace zarvo
