#include "zarvo/reminders/internal/ical_alarms.h"

#include <chrono>
#include <string>

#include "zarvo/reminders/internal/ical_lines.h"
#include "zarvo/reminders/internal/ical_support.h"
#include "zarvo/reminders/internal/ical_zones.h"

namespace zarvo::reminders::detail::ical {

std::string valarmText(const AlarmValue& alarm, std::string_view newline) {
  ComponentPtr a(icalcomponent_new(ICAL_VALARM_COMPONENT));
  icalcomponent_add_property(a.get(), icalproperty_new_action(ICAL_ACTION_DISPLAY));
  icalcomponent_add_property(a.get(), icalproperty_new_description("Reminder"));
  struct icaltriggertype trigger{};
  trigger.time = icaltime_null_time();
  trigger.duration = icaldurationtype_null_duration();
  if (alarm.absolute) {
    trigger.time = utcTime(*alarm.absolute);
  } else {
    trigger.duration = icaldurationtype_from_int(static_cast<int>(alarm.relative.value_or(std::chrono::seconds(0)).count()));
  }
  icalproperty* p = icalproperty_new_trigger(trigger);
  if (alarm.absolute) icalproperty_add_parameter(p, icalparameter_new_value(ICAL_VALUE_DATETIME));
  icalcomponent_add_property(a.get(), p);
  return withNewline(takeString(icalcomponent_as_ical_string_r(a.get())), newline);
}

void readAlarms(icalcomponent* todo, std::string_view fileText, const std::filesystem::path& path, TodoEntry& entry) {
  size_t i = 0;
  for (icalcomponent* a = icalcomponent_get_first_component(todo, ICAL_VALARM_COMPONENT);
       a != nullptr && i < entry.alarmOrigins.size();
       a = icalcomponent_get_next_component(todo, ICAL_VALARM_COMPONENT), ++i) {
    AlarmValue v;
    v.origin = entry.alarmOrigins[i];
    if (icalproperty* p = icalcomponent_get_first_property(a, ICAL_TRIGGER_PROPERTY)) {
      struct icaltriggertype trigger = icalproperty_get_trigger(p);
      if (!icaltime_is_null_time(trigger.time)) {
        v.absolute = instantOf(p, trigger.time, "TRIGGER", fileText, path);
      } else {
        v.relative = std::chrono::seconds(icaldurationtype_as_int(trigger.duration));
      }
    }
    entry.alarms.push_back(std::move(v));
  }
}

}  // namespace zarvo::reminders::detail::ical
