// How a due date reads in the task list: relative to now, in the interface's language.
#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace zarvo::desktop {

// "today 17:00", "tomorrow 17:00", "yesterday 09:30", the weekday within the coming week ("Fri
// 17:00"), else the date in the locale's short format with the time. A due day (`allDay`) is written
// without a time ("tomorrow", "Fri").
QString dueText(const QDateTime& due, bool allDay, const QDateTime& now, const QLocale& locale = QLocale());

// Past due: a time that has passed, or a day before today (a task due today is not late before
// the day is over).
bool isOverdue(const QDateTime& due, bool allDay, const QDateTime& now);

}  // namespace zarvo::desktop
