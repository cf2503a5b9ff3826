// The alarm a quick-entry line's "remind me" phrase asks for (QuickEntryOptions::reminders), for every
// front end that writes it: `zarvo add`, `zarvo quick` and the desktop's quick entry alike.
//
// A length ("remind me 1h before") before a due with a time is an alarm relative to the due, so it
// follows the due when any client moves it; without such a due it rings that long after `now`. A
// moment ("remind me tomorrow at 9") rings there, a day alone ("remind me Friday") at 09:00 of it.
#pragma once

#include <memory>

#include "zarvo/reminders/records.h"
#include "zarvo/platform/error.h"
#include "zarvo/quickentry/quick_task_parser.h"

namespace zarvo {

// The alarm, or an error saying the moment lies outside the years the library keeps
// (platform::isKeptDate).
Expected<std::shared_ptr<reminders::Alarm>> quickEntryAlarm(const QuickTaskParser::TaskDescription::Reminder& reminder,
                                                            bool dueHasTime, Date now);

}  // namespace zarvo
