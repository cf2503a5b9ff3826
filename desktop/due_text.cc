#include "desktop/due_text.h"

#include <QCoreApplication>

#include <chrono>

#include "zarvo/platform/clock.h"

namespace zarvo::desktop {

QDateTime libraryNow() {
  const auto since = platform::Clock::currentNow().time_since_epoch();
  return QDateTime::fromMSecsSinceEpoch(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

QString dueText(const QDateTime& due, bool allDay, const QDateTime& now, const QLocale& locale) {
  const QDateTime local = due.toLocalTime();
  const qint64 days = now.toLocalTime().date().daysTo(local.date());
  QString day;
  if (days == 0) {
    day = QCoreApplication::translate("DueText", "today");
  } else if (days == 1) {
    day = QCoreApplication::translate("DueText", "tomorrow");
  } else if (days == -1) {
    day = QCoreApplication::translate("DueText", "yesterday");
  } else if (days > 1 && days < 7) {
    day = locale.dayName(local.date().dayOfWeek(), QLocale::ShortFormat);
    // A one-character short name (Japanese 日, 金) reads as a word of its own ("day", "gold"): the
    // long name (日曜日) is what a person writes there.
    if (day.size() == 1) day = locale.dayName(local.date().dayOfWeek(), QLocale::LongFormat);
  } else {
    day = locale.toString(local.date(), QLocale::ShortFormat);
  }
  if (allDay) return day;
  return day + QLatin1Char(' ') + locale.toString(local.time(), QStringLiteral("HH:mm"));
}

bool isOverdue(const QDateTime& due, bool allDay, const QDateTime& now) {
  if (allDay) return due.toLocalTime().date() < now.toLocalTime().date();
  return due <= now;
}

}  // namespace zarvo::desktop
