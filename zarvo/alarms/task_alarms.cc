#include "zarvo/alarms/task_alarms.h"

#include <libical/ical.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <memory>

#include "zarvo/platform/date_calendar.h"

namespace zarvo::alarms {
namespace {

struct ComponentDeleter {
  void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};
using ComponentPtr = std::unique_ptr<icalcomponent, ComponentDeleter>;

std::string takeString(char* s) {
  std::string out = s ? s : "";
  std::free(s);
  return out;
}

// The instant of an iCalendar time: UTC as written, a TZID's zone when the calendar knows it, else
// the current zone (floating times, and zones nobody defines, as the store reads them). A date
// without a time is its midnight.
std::optional<Date> instantOf(icalproperty* p, struct icaltimetype t) {
  if (icaltime_is_null_time(t) || !icaltime_is_valid_time(t)) return std::nullopt;
  platform::DateCalendar calendar = platform::DateCalendar::current();
  if (icaltime_is_utc(t)) {
    calendar = platform::DateCalendar::gregorianUTC();
  } else if (icalparameter* tz = icalproperty_get_first_parameter(p, ICAL_TZID_PARAMETER)) {
    if (const char* id = icalparameter_get_tzid(tz)) {
      if (auto zoned = platform::DateCalendar::inZone(id)) calendar = *zoned;
    }
  }
  platform::DateComponents c;
  c.year = t.year;
  c.month = t.month;
  c.day = t.day;
  c.hour = t.is_date ? 0 : t.hour;
  c.minute = t.is_date ? 0 : t.minute;
  c.second = t.is_date ? 0 : t.second;
  return calendar.date(c);
}

bool isSnoozeLink(icalproperty* p) {
  // libical 3.0 has no enum value for RELTYPE=SNOOZE: look at the parameter as written.
  std::string text = takeString(icalproperty_as_ical_string_r(p));
  std::string head = text.substr(0, text.find(':'));
  std::transform(head.begin(), head.end(), head.begin(), [](unsigned char ch) { return std::toupper(ch); });
  return head.find("RELTYPE=SNOOZE") != std::string::npos;
}

AlarmTrigger readAlarm(icalcomponent* valarm, icalproperty* trigger, bool hasStart) {
  AlarmTrigger a;
  struct icaltriggertype t = icalproperty_get_trigger(trigger);
  if (!icaltime_is_null_time(t.time)) {
    a.anchor = AlarmAnchor::absolute;
    a.absolute = instantOf(trigger, t.time);
  } else {
    a.offset = std::chrono::seconds(icaldurationtype_as_int(t.duration));
    // RELATED defaults to START; a task without DTSTART has only its due to count from (as the
    // reminders store reads such offsets).
    bool toEnd = false;
    if (icalparameter* r = icalproperty_get_first_parameter(trigger, ICAL_RELATED_PARAMETER)) {
      toEnd = icalparameter_get_related(r) == ICAL_RELATED_END;
    }
    a.anchor = (!toEnd && hasStart) ? AlarmAnchor::start : AlarmAnchor::due;
  }
  if (icalproperty* ack = icalcomponent_get_first_property(valarm, ICAL_ACKNOWLEDGED_PROPERTY)) {
    a.acknowledged = instantOf(ack, icalproperty_get_acknowledged(ack));
    // An ACKNOWLEDGED we cannot read still says the alarm was shown.
    if (!a.acknowledged) a.acknowledged = Date::max();
  }
  if (icalproperty* uid = icalcomponent_get_first_property(valarm, ICAL_UID_PROPERTY)) {
    if (const char* v = icalproperty_get_uid(uid)) a.uid = v;
  }
  for (icalproperty* rel = icalcomponent_get_first_property(valarm, ICAL_RELATEDTO_PROPERTY); rel != nullptr;
       rel = icalcomponent_get_next_property(valarm, ICAL_RELATEDTO_PROPERTY)) {
    if (!isSnoozeLink(rel)) continue;
    if (const char* v = icalproperty_get_relatedto(rel)) a.snoozeOf = v;
  }
  return a;
}

// Whether the text names a VALARM, in any letter case (iCalendar names are case-insensitive).
bool mentionsAlarm(std::string_view text) {
  constexpr std::string_view kName = "VALARM";
  for (size_t at = text.find_first_of("vV"); at != std::string_view::npos; at = text.find_first_of("vV", at + 1)) {
    if (text.size() - at < kName.size()) return false;
    bool same = true;
    for (size_t i = 0; i < kName.size() && same; ++i) same = std::toupper(static_cast<unsigned char>(text[at + i])) == kName[i];
    if (same) return true;
  }
  return false;
}

}  // namespace

bool readAlarmDetails(std::string_view icsText, std::string_view uid, TaskAlarms& into) {
  ComponentPtr root(icalparser_parse_string(std::string(icsText).c_str()));
  if (!root) return false;
  icalcomponent* todo = nullptr;
  auto matches = [&](icalcomponent* c) {
    const char* u = icalcomponent_get_uid(c);
    // An override of one occurrence (RECURRENCE-ID) shares the series' UID; the series is the task.
    return u != nullptr && uid == u && icalcomponent_get_first_property(c, ICAL_RECURRENCEID_PROPERTY) == nullptr;
  };
  if (icalcomponent_isa(root.get()) == ICAL_VTODO_COMPONENT) {
    if (matches(root.get())) todo = root.get();
  } else {
    for (icalcomponent* c = icalcomponent_get_first_component(root.get(), ICAL_VTODO_COMPONENT); c != nullptr;
         c = icalcomponent_get_next_component(root.get(), ICAL_VTODO_COMPONENT)) {
      if (matches(c)) {
        todo = c;
        break;
      }
    }
  }
  if (todo == nullptr) return false;
  std::optional<Date> start;
  if (icalproperty* p = icalcomponent_get_first_property(todo, ICAL_DTSTART_PROPERTY)) {
    start = instantOf(p, icalproperty_get_dtstart(p));
  }
  std::vector<AlarmTrigger> alarms;
  for (icalcomponent* a = icalcomponent_get_first_component(todo, ICAL_VALARM_COMPONENT); a != nullptr;
       a = icalcomponent_get_next_component(todo, ICAL_VALARM_COMPONENT)) {
    if (icalproperty* trigger = icalcomponent_get_first_property(a, ICAL_TRIGGER_PROPERTY)) {
      alarms.push_back(readAlarm(a, trigger, start.has_value()));
    }
  }
  into.start = start;
  into.alarms = std::move(alarms);
  return true;
}

TaskAlarms taskAlarmsOf(const reminders::Reminder& reminder) {
  TaskAlarms out;
  out.taskUid = reminder.calendarItemExternalIdentifier();
  out.title = reminder.title();
  if (reminder.calendar()) out.list = reminder.calendar()->title();
  if (const auto& c = reminder.dueDateComponents()) {
    out.dueHasTime = c->hour.has_value();
    // As Task::dueDate: the components in their zone (the current one when they name none); a zone
    // nobody knows gives no instant.
    if (c->year && c->month && c->day && (!c->timeZone || platform::DateCalendar::isKnownTimeZone(*c->timeZone))) {
      out.due = platform::DateCalendar::current().date(*c);
    }
  }
  // The file is read again for what the store's alarms lack (RELATED, ACKNOWLEDGED, links, alarms
  // the store does not show), but only when it holds an alarm at all: most tasks have none.
  if (std::optional<reminders::Reminder::FileVersion> file = reminder.fileVersion(); file && mentionsAlarm(file->content)) {
    if (readAlarmDetails(file->content, out.taskUid, out)) return out;
  }
  for (const auto& alarm : reminder.alarms()) {
    AlarmTrigger a;
    if (alarm->absoluteDate()) {
      a.anchor = AlarmAnchor::absolute;
      a.absolute = alarm->absoluteDate();
    } else {
      a.offset = alarm->relativeOffset().value_or(std::chrono::seconds(0));
    }
    out.alarms.push_back(std::move(a));
  }
  return out;
}

std::optional<TaskAlarms> taskAlarmsOf(const Task& task) {
  std::shared_ptr<reminders::Reminder> reminder = task.reminder();
  if (!reminder) return std::nullopt;
  TaskAlarms out = taskAlarmsOf(*reminder);
  out.due = task.dueDate();
  return out;
}

}  // namespace zarvo::alarms
