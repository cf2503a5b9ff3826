// How a due date reads in the task list: relative to now, in the interface's language.
#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace zarvo::desktop {

// The library's clock (platform::Clock::current()) as a QDateTime: the app's "now" is the instant the
// quick-entry parser reads dates from, so that a preview and a row never disagree about today.
QDateTime libraryNow();

// "today 17:00", "tomorrow 17:00", "yesterday 09:30", the weekday within the coming week ("Fri
// 17:00"), else the date in the locale's short format with the time. A due day (`allDay`) is written
// without a time ("tomorrow", "Fri").
QString dueText(const QDateTime& due, bool allDay, const QDateTime& now, const QLocale& locale = QLocale());

// Past due: a time that has passed, or a day before today (a task due today is not late before
// the day is over).
bool isOverdue(const QDateTime& due, bool allDay, const QDateTime& now);

}  // namespace zarvo::desktop
