// The reminders a person asks for on the command line (`zarvo add --remind`, `zarvo remind`), read
// into alarms of a task.
//
// "10m", "1h", "2d" ring that long before the task's due when it has one with a time: an alarm
// relative to the due, which follows the due when any client moves it. Without such a due they ring
// that long from now. Any other text is a date phrase, read as --due reads it ("09:00", "tomorrow
// 9am", "fri 17:30"), and rings at that moment, absolute; a day without a time rings at 09:00.
#pragma once

#include <string>
#include <vector>

#include "zarvo/model/task.h"
#include "zarvo/quickentry/chrono_parse_helper.h"
#include "zarvo/quickentry/quick_task_parser.h"

namespace zarvo::app {

// The alarm `text` asks for at `now` on a task whose due has a time (`dueHasTime`) or not; throws
// UsageError naming the text when it reads as neither a length nor a date phrase alone.
std::shared_ptr<reminders::Alarm> reminderAlarm(const std::string& text, bool dueHasTime, Date now,
                                                const ChronoParseHelper& dates);

// The alarm a quick-entry line's "remind me" phrase asks for, read as --remind reads the same words: a
// length before a due with a time is relative to the due, without one it counts from `now`; a moment
// rings there, a day alone at 09:00.
std::shared_ptr<reminders::Alarm> quickEntryAlarm(const TaskDescription::Reminder& reminder, bool dueHasTime, Date now);

// Adds the alarm of each text to the task's reminder. Every text is read before any alarm is added.
void addReminders(Task& task, const std::vector<std::string>& texts, Date now, const ChronoParseHelper& dates);

}  // namespace zarvo::app
