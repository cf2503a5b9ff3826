#include "zarvo/reminders/internal/ical_alarms.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <string>

#include "zarvo/reminders/internal/ical_lines.h"
#include "zarvo/reminders/internal/ical_support.h"
#include "zarvo/reminders/internal/ical_zones.h"

namespace zarvo::reminders::detail::ical {
namespace {

std::string acknowledgedLine(Date at, std::string_view newline) {
  return serialize(timeProperty("ACKNOWLEDGED", utcTime(at)), newline);
}

std::string uidLine(const std::string& uid, std::string_view newline) {
  return serialize(PropertyPtr(icalproperty_new_uid(uid.c_str())), newline);
}

// libical 3.0 has no RELTYPE=SNOOZE: the line is written, and recognised, as text.
std::string snoozeLine(const std::string& snoozed, std::string_view newline) {
  return withNewline(fold("RELATED-TO;RELTYPE=SNOOZE:" + escapedList({snoozed})), newline);
}

bool isSnoozeLink(icalproperty* p) {
  std::string head = takeString(icalproperty_as_ical_string_r(p));
  head = upper(head.substr(0, head.find(':')));
  return head.find("RELTYPE=SNOOZE") != std::string::npos;
}

}  // namespace

std::string valarmText(const AlarmValue& alarm, std::string_view newline) {
  ComponentPtr a(icalcomponent_new(ICAL_VALARM_COMPONENT));
  icalcomponent_add_property(a.get(), icalproperty_new_action(ICAL_ACTION_DISPLAY));
  icalcomponent_add_property(a.get(), icalproperty_new_description("Reminder"));
  if (alarm.absolute) {
    icalcomponent_add_property(a.get(), timeProperty("TRIGGER", utcTime(*alarm.absolute), ";VALUE=DATE-TIME").release());
  } else {
    struct icaltriggertype trigger{};
    trigger.time = icaltime_null_time();
    trigger.duration = icaldurationtype_from_int(static_cast<int>(alarm.relative.value_or(std::chrono::seconds(0)).count()));
    icalproperty* p = icalproperty_new_trigger(trigger);
    // An offset counts from DTSTART unless it says otherwise; the store's offsets count from the due.
    icalproperty_add_parameter(p, icalparameter_new_related(ICAL_RELATED_END));
    icalcomponent_add_property(a.get(), p);
  }
  std::string text = withNewline(takeString(icalcomponent_as_ical_string_r(a.get())), newline);
  std::string extra;
  if (alarm.uid) extra += uidLine(*alarm.uid, newline);
  if (alarm.snoozeOf) extra += snoozeLine(*alarm.snoozeOf, newline);
  if (alarm.acknowledged) extra += acknowledgedLine(*alarm.acknowledged, newline);
  const std::string end = "END:VALARM" + std::string(newline);
  text.insert(text.size() - end.size(), extra);
  return text;
}

std::optional<std::string> editedValarm(std::string_view block, const AlarmValue& had, const AlarmValue& want,
                                        std::string_view newline) {
  // An alarm shown already keeps the time it says; a UID once given is its identity for good.
  std::string extra;
  if (want.uid && !had.uid) extra += uidLine(*want.uid, newline);
  if (want.acknowledged && !had.acknowledged) extra += acknowledgedLine(*want.acknowledged, newline);
  if (extra.empty()) return std::nullopt;
  size_t endLine = block.size();
  while (endLine > 0 && (block[endLine - 1] == '\n' || block[endLine - 1] == '\r')) --endLine;
  endLine = endLine == 0 ? std::string_view::npos : block.rfind('\n', endLine - 1);
  endLine = endLine == std::string_view::npos ? 0 : endLine + 1;
  std::string out(block.substr(0, endLine));
  out += extra;
  out += block.substr(endLine);
  return out;
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
        try {
          v.absolute = instantOf(p, trigger.time, "TRIGGER", fileText, path);
        } catch (const OutOfRange& e) {
          entry.fields.datesLeftOut.emplace_back(e.what());  // an alarm that never rings, as without TRIGGER
        }
      } else {
        v.relative = std::chrono::seconds(icaldurationtype_as_int(trigger.duration));
      }
    }
    if (icalproperty* p = icalcomponent_get_first_property(a, ICAL_ACKNOWLEDGED_PROPERTY)) {
      // Not a time the store owns: one outside the kept years still says the alarm was shown.
      try {
        v.acknowledged = instantOf(p, icalproperty_get_acknowledged(p), "ACKNOWLEDGED", fileText, path);
      } catch (const OutOfRange&) {
      }
      if (!v.acknowledged) v.acknowledged = Date::max();
    }
    if (icalproperty* p = icalcomponent_get_first_property(a, ICAL_UID_PROPERTY)) {
      if (const char* uid = icalproperty_get_uid(p)) v.uid = uid;
    }
    for (icalproperty* p = icalcomponent_get_first_property(a, ICAL_RELATEDTO_PROPERTY); p != nullptr;
         p = icalcomponent_get_next_property(a, ICAL_RELATEDTO_PROPERTY)) {
      if (!isSnoozeLink(p)) continue;
      if (const char* related = icalproperty_get_relatedto(p)) v.snoozeOf = related;
    }
    entry.alarms.push_back(std::move(v));
  }
}

}  // namespace zarvo::reminders::detail::ical
