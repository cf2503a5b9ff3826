#include "zarvo/alarms/alarm_writes.h"

#include <charconv>
#include <vector>

#include "zarvo/platform/date_calendar.h"

namespace zarvo::alarms {
namespace {

struct Choice {
  int count = 0;
  char unit = 0;  // 'm', 'h', 'd'; 0 for "tomorrow"
};

std::optional<Choice> readChoice(std::string_view text) {
  if (text == "tomorrow") return Choice{};
  if (text.size() < 2) return std::nullopt;
  Choice c;
  c.unit = text.back();
  const std::string_view digits = text.substr(0, text.size() - 1);
  auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), c.count);
  if (ec != std::errc() || end != digits.data() + digits.size() || c.count < 1 || c.count > 999) return std::nullopt;
  if (c.unit != 'm' && c.unit != 'h' && c.unit != 'd') return std::nullopt;
  return c;
}

std::vector<std::shared_ptr<reminders::Alarm>> withTrigger(const reminders::Reminder& reminder) {
  std::vector<std::shared_ptr<reminders::Alarm>> out;
  for (const auto& a : reminder.alarms()) {
    if (a->absoluteDate() || a->relativeOffset()) out.push_back(a);
  }
  return out;
}

}  // namespace

std::optional<Date> snoozeUntil(std::string_view choice, Date now) {
  std::optional<Choice> c = readChoice(choice);
  if (!c) return std::nullopt;
  const platform::DateCalendar calendar = platform::DateCalendar::current();
  switch (c->unit) {
    case 'm':
      return now + std::chrono::minutes(c->count);
    case 'h':
      return now + std::chrono::hours(c->count);
    case 'd':
      // Days of the calendar: the same hour after a change of daylight saving time.
      return calendar.adding(platform::CalendarUnit::day, c->count, now);
    default:
      return calendar.adding(platform::CalendarUnit::hour, 9,
                             calendar.startOfDay(calendar.adding(platform::CalendarUnit::day, 1, now)));
  }
}

std::string snoozeLabel(std::string_view choice) {
  std::optional<Choice> c = readChoice(choice);
  if (!c) return std::string(choice);
  if (c->unit == 0) return "Snooze until tomorrow";
  const char* unit = c->unit == 'm' ? " minute" : c->unit == 'h' ? " hour" : " day";
  return "Snooze " + std::to_string(c->count) + unit + (c->count == 1 ? "" : "s");
}

std::optional<std::chrono::seconds> choiceLength(std::string_view choice) {
  std::optional<Choice> c = readChoice(choice);
  if (!c || c->unit == 0) return std::nullopt;
  const int64_t unit = c->unit == 'm' ? 60 : c->unit == 'h' ? 3600 : 86400;
  return std::chrono::seconds(c->count * unit);
}

size_t clearAlarms(reminders::Reminder& reminder) {
  const auto alarms = reminder.alarms();  // a snapshot: removing changes the reminder's own list
  for (const auto& a : alarms) reminder.removeAlarm(a);
  return alarms.size();
}

std::string durationText(std::chrono::seconds offset) {
  int64_t s = offset.count();
  std::string out = s < 0 ? "-P" : "P";
  if (s < 0) s = -s;
  const int64_t days = s / 86400, hours = s / 3600 % 24, minutes = s / 60 % 60, seconds = s % 60;
  if (days > 0) out += std::to_string(days) + "D";
  if (hours > 0 || minutes > 0 || seconds > 0 || days == 0) out += "T";
  if (hours > 0) out += std::to_string(hours) + "H";
  if (minutes > 0) out += std::to_string(minutes) + "M";
  if (seconds > 0 || (days == 0 && hours == 0 && minutes == 0)) out += std::to_string(seconds) + "S";
  return out;
}

std::vector<AlarmView> alarmViews(const reminders::Reminder& reminder, std::optional<Date> due) {
  std::vector<AlarmView> out;
  for (const auto& a : reminder.alarms()) {
    AlarmView v;
    if (a->absoluteDate()) {
      v.at = *a->absoluteDate();
      v.trigger = platform::isoString(*v.at);
    } else if (a->relativeOffset()) {
      v.trigger = durationText(*a->relativeOffset());
      if (due) v.at = *due + *a->relativeOffset();
    } else {
      continue;  // no trigger: never rings
    }
    v.acknowledged = a->acknowledged().has_value();
    v.snooze = a->snoozeOf().has_value();
    out.push_back(std::move(v));
  }
  return out;
}

bool hasOwnAlarms(const reminders::Reminder& reminder, std::optional<Date> due) {
  for (const auto& a : reminder.alarms()) {
    if (a->relativeOffset() ? a->relativeOffset()->count() != 0 : a->absoluteDate() && a->absoluteDate() != due) {
      return true;
    }
  }
  return false;
}

std::shared_ptr<reminders::Alarm> alarmAt(const reminders::Reminder& reminder, size_t index) {
  auto alarms = withTrigger(reminder);
  return index < alarms.size() ? alarms[index] : nullptr;
}

bool acknowledgeAlarm(reminders::Reminder& reminder, size_t index, Date at) {
  std::shared_ptr<reminders::Alarm> alarm = alarmAt(reminder, index);
  if (!alarm || alarm->acknowledged()) return false;
  reminder.replaceAlarm(alarm, alarm->acknowledgedCopy(at));
  return true;
}

bool snoozeAlarm(reminders::Reminder& reminder, size_t index, Date now, Date until) {
  std::shared_ptr<reminders::Alarm> shown = alarmAt(reminder, index);
  if (!shown) return false;
  // A snooze of a snooze stays related to the first alarm (acknowledged when it was snoozed): other
  // clients follow one link, never a chain.
  std::string firstUid;
  if (shown->snoozeOf()) {
    firstUid = *shown->snoozeOf();
  } else {
    std::shared_ptr<reminders::Alarm> acknowledged = shown->acknowledgedCopy(now, true);
    reminder.replaceAlarm(shown, acknowledged);
    firstUid = *acknowledged->uid();
  }
  std::vector<std::shared_ptr<reminders::Alarm>> earlier;
  for (const auto& a : reminder.alarms()) {
    if (a->snoozeOf() == firstUid) earlier.push_back(a);
  }
  for (const auto& a : earlier) reminder.removeAlarm(a);
  reminder.addAlarm(reminders::Alarm::snoozeAlarm(until, firstUid));
  return true;
}

}  // namespace zarvo::alarms
