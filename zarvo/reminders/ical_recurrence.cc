#include "zarvo/reminders/internal/ical_recurrence.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>

#include "zarvo/reminders/internal/ical_lines.h"
#include "zarvo/reminders/internal/ical_parameters.h"
#include "zarvo/reminders/internal/ical_support.h"

namespace zarvo::reminders::detail::ical {

namespace {

struct IteratorDeleter {
  void operator()(icalrecur_iterator* it) const { icalrecur_iterator_free(it); }
};

// A wall-clock time as iCalendar writes a value of its kind: a date, a floating or zoned time, or UTC.
std::string icalValue(const struct icaltimetype& t) {
  char text[32];
  if (t.is_date) {
    std::snprintf(text, sizeof text, "%04d%02d%02d", t.year, t.month, t.day);
  } else {
    std::snprintf(text, sizeof text, "%04d%02d%02dT%02d%02d%02d%s", t.year, t.month, t.day, t.hour, t.minute,
                  t.second, icaltime_is_utc(t) ? "Z" : "");
  }
  return text;
}

// The line of `name` libical read `property` from: among the lines of that name, the one alone that
// reads with the same value (dropped lines, such as an empty "DTSTART:", read with none). Null when
// no line, or more than one, does: then no line can be edited as the property.
const PropertyLine* lineReadAs(const TodoFile& file, const TodoEntry& entry, std::string_view name,
                               icalproperty* property) {
  const char* wanted = icalproperty_get_value_as_string(property);
  if (wanted == nullptr) return nullptr;
  const PropertyLine* found = nullptr;
  for (const PropertyLine& line : entry.lines) {
    if (line.name != name) continue;
    if (readValue(std::string_view(file.content).substr(line.begin, line.end - line.begin)) != wanted) continue;
    if (found != nullptr) return nullptr;
    found = &line;
  }
  return found;
}

// The TZID of one content line as libical reads it.
std::optional<std::string> zoneOfLine(std::string_view line) {
  ComponentPtr calendar = parseComponent("BEGIN:VCALENDAR\r\n" + logicalLine(line) + "\r\nEND:VCALENDAR\r\n");
  icalproperty* p = calendar ? icalcomponent_get_first_property(calendar.get(), ICAL_ANY_PROPERTY) : nullptr;
  return p != nullptr ? tzidOf(p) : std::nullopt;
}

// `t` moved by `by` on the wall clock, keeping its kind.
struct icaltimetype shifted(struct icaltimetype t, std::chrono::seconds by) {
  const auto at = civilSeconds(t.year, t.month, t.day, t.hour, t.minute, t.second) + by;
  const auto day = std::chrono::floor<std::chrono::days>(at);
  const std::chrono::year_month_day ymd(day);
  const std::chrono::hh_mm_ss hms(at - day);
  t.year = static_cast<int>(ymd.year());
  t.month = static_cast<int>(static_cast<unsigned>(ymd.month()));
  t.day = static_cast<int>(static_cast<unsigned>(ymd.day()));
  if (!t.is_date) {
    t.hour = static_cast<int>(hms.hours().count());
    t.minute = static_cast<int>(hms.minutes().count());
    t.second = static_cast<int>(hms.seconds().count());
  }
  return t;
}

std::chrono::seconds wallClockBetween(const struct icaltimetype& from, const struct icaltimetype& to) {
  return civilSeconds(to.year, to.month, to.day, to.hour, to.minute, to.second) -
         civilSeconds(from.year, from.month, from.day, from.hour, from.minute, from.second);
}

// The RRULE line with COUNT set to `count`, the rest as written.
std::string withCount(std::string_view raw, int count, std::string_view newline) {
  std::string line = logicalLine(raw);
  const std::string upperLine = upper(line);
  for (size_t at = upperLine.find("COUNT="); at != std::string::npos; at = upperLine.find("COUNT=", at + 1)) {
    if (at == 0 || (line[at - 1] != ':' && line[at - 1] != ';')) continue;
    size_t end = at + 6;
    while (end < line.size() && line[end] >= '0' && line[end] <= '9') ++end;
    line.replace(at + 6, end - at - 6, std::to_string(count));
    break;
  }
  return withNewline(fold(line), newline);
}

}  // namespace

// The new lines (by the line they replace) that complete the current occurrence of `entry`'s series
// and make the next one current; nothing when the task does not recur or has no next occurrence.
std::optional<std::vector<std::pair<const PropertyLine*, std::string>>> nextOccurrence(const TodoFile& file,
                                                                                        const TodoEntry& entry) {
  const PropertyLine* ruleLine = entry.find("RRULE");
  if (ruleLine == nullptr) return std::nullopt;
  ComponentPtr todo = parseComponent(std::string_view(file.content).substr(entry.begin, entry.end - entry.begin));
  if (!todo || icalcomponent_count_properties(todo.get(), ICAL_RRULE_PROPERTY) != 1 ||
      icalcomponent_count_properties(todo.get(), ICAL_DTSTART_PROPERTY) > 1) {
    return std::nullopt;
  }
  icalproperty* dtstart = icalcomponent_get_first_property(todo.get(), ICAL_DTSTART_PROPERTY);
  icalproperty* due = icalcomponent_get_first_property(todo.get(), ICAL_DUE_PROPERTY);
  const struct icalrecurrencetype rule =
      icalproperty_get_rrule(icalcomponent_get_first_property(todo.get(), ICAL_RRULE_PROPERTY));
  if (rule.freq == ICAL_NO_RECURRENCE || (dtstart == nullptr && due == nullptr)) return std::nullopt;
  // The lines the rule and the start were read from; a series whose lines cannot be told is completed
  // as a whole rather than edited at a line libical did not read.
  ruleLine = lineReadAs(file, entry, "RRULE", icalcomponent_get_first_property(todo.get(), ICAL_RRULE_PROPERTY));
  const PropertyLine* startLine = dtstart != nullptr ? lineReadAs(file, entry, "DTSTART", dtstart) : nullptr;
  if (ruleLine == nullptr || (dtstart != nullptr && startLine == nullptr)) return std::nullopt;
  const struct icaltimetype anchor = dtstart != nullptr ? icalproperty_get_dtstart(dtstart) : icalproperty_get_due(due);
  if (icaltime_is_null_time(anchor) || anchor.year <= 0 || !civilInRange(anchor)) return std::nullopt;

  std::vector<struct icaltimetype> excluded;
  for (icalproperty* p = icalcomponent_get_first_property(todo.get(), ICAL_EXDATE_PROPERTY); p != nullptr;
       p = icalcomponent_get_next_property(todo.get(), ICAL_EXDATE_PROPERTY)) {
    excluded.push_back(icalproperty_get_exdate(p));
  }
  auto isExcluded = [&](const struct icaltimetype& t) {
    return std::any_of(excluded.begin(), excluded.end(), [&](const struct icaltimetype& x) {
      return x.is_date || t.is_date ? icaltime_compare_date_only(x, t) == 0 : icaltime_compare(x, t) == 0;
    });
  };
  std::unique_ptr<icalrecur_iterator, IteratorDeleter> it(icalrecur_iterator_new(rule, anchor));
  if (!it) return std::nullopt;
  std::optional<struct icaltimetype> next;
  int passed = 0;  // occurrences of the rule after the current one, up to the next one kept
  for (int step = 0; step < 10'000 && !next; ++step) {
    const struct icaltimetype t = icalrecur_iterator_next(it.get());
    if (icaltime_is_null_time(t)) break;
    if (icaltime_compare(t, anchor) <= 0) continue;
    ++passed;
    if (!isExcluded(t)) next = t;
  }
  if (!next || !civilInRange(*next)) return std::nullopt;

  std::vector<std::pair<const PropertyLine*, std::string>> lines;
  bool misread = false;
  // The new value must start where libical starts it: a parameter text it reads otherwise than
  // written (an unquoted TZID holding a colon) would move the zone or swallow part of the value. Such
  // a series is completed as a whole instead.
  auto replace = [&](const PropertyLine* line, const struct icaltimetype& t) {
    if (line != nullptr) {
      const std::string_view raw(file.content.data() + line->begin, line->end - line->begin);
      std::string text = withValue(raw, icalValue(t), file.newline);
      misread = misread || readValue(text) != icalValue(t) || zoneOfLine(text) != zoneOfLine(raw);
      lines.emplace_back(line, std::move(text));
    }
  };
  if (dtstart != nullptr) replace(startLine, *next);
  if (due != nullptr) {
    const struct icaltimetype dueTime = icalproperty_get_due(due);
    replace(entry.find("DUE"), dtstart != nullptr ? shifted(dueTime, wallClockBetween(anchor, *next)) : *next);
  }
  if (misread) return std::nullopt;
  if (rule.count > 0) {
    const std::string_view raw(file.content.data() + ruleLine->begin, ruleLine->end - ruleLine->begin);
    lines.emplace_back(ruleLine, withCount(raw, rule.count - passed, file.newline));
  }
  return lines;
}

}  // namespace zarvo::reminders::detail::ical
