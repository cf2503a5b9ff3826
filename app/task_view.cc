#include "app/task_view.h"

#include <fmt/format.h>

#include <algorithm>
#include <unordered_map>

#include "app/command_error.h"
#include "app/messages.h"
#include "zarvo/alarms/alarm_writes.h"
#include "zarvo/platform/date_calendar.h"
#include "zarvo/model/tag.h"
#include "zarvo/platform/text.h"

namespace zarvo::app {

using json = nlohmann::ordered_json;
using platform::Colour;

namespace {

std::optional<std::string> isoOrNone(const std::optional<Date>& date) {
  return date ? std::optional<std::string>(platform::isoString(*date)) : std::nullopt;
}

json nullable(const std::optional<std::string>& s) { return s ? json(*s) : json(nullptr); }

std::vector<std::string> tagTitles(const Task& task) {
  std::vector<std::string> titles;
  for (const auto& tag : task.tags()) {
    if (auto title = tag->title()) titles.push_back(*title);
  }
  std::sort(titles.begin(), titles.end());
  return titles;
}

std::vector<std::string> tagTitles(const Task& task, const Session* session) {
  return session ? session->tagTitles(task) : tagTitles(task);
}

std::string padded(const std::string& text, size_t width) {
  const size_t w = displayWidth(text);
  return w >= width ? text : text + std::string(width - w, ' ');
}

// The title cell: priority marks before the title, flag and tags after it.
struct TitleCell {
  std::string prefix, title, repeat, alarm, flag;
  std::vector<std::string> tags;
  Colour titleColour;

  std::string plain() const {
    std::string out = prefix + title + repeat + alarm + flag;
    for (const auto& tag : tags) out += " +" + tag;
    return out;
  }
  std::string painted(bool colour) const {
    std::string out = prefix + paint(title, titleColour, colour);
    if (!repeat.empty()) out += paint(repeat, Colour::secondaryLabel(), colour);
    if (!alarm.empty()) out += paint(alarm, Colour::secondaryLabel(), colour);
    if (!flag.empty()) out += paint(flag, Colour::systemOrange(), colour);
    for (const auto& tag : tags) out += paint(" +" + tag, Colour::secondaryLabel(), colour);
    return out;
  }
  // The cell in at most `width` columns: the title is cut first, then the whole cell.
  std::string fitted(size_t width, bool colour) const {
    if (width == 0 || displayWidth(plain()) <= width) return painted(colour);
    TitleCell cut = *this;
    cut.title.clear();
    const size_t decorations = displayWidth(cut.plain());
    if (decorations + 2 <= width) {
      cut.title = platform::truncatedToWidth(title, width - decorations);
      return cut.painted(colour);
    }
    return platform::truncatedToWidth(plain(), width);
  }
};

TitleCell titleCell(const Task& task, const Session* session) {
  TitleCell cell;
  if (task.isCompleted()) cell.prefix += "✓ ";
  if (const int p = task.priority(); p > 0) cell.prefix += std::string(static_cast<size_t>(p), '!') + ' ';
  cell.title = shownText(task.title().value_or(""));
  cell.titleColour = task.titleColor();
  if (task.recurrenceRule()) cell.repeat = " ↻";
  if (const auto r = task.reminder(); r && alarms::hasOwnAlarms(*r, task.dueDate())) cell.alarm = " ⏰";
  if (task.flagged()) cell.flag = " ⚑";
  for (const auto& tag : tagTitles(task, session)) cell.tags.push_back(shownText(tag));
  return cell;
}

std::string decoratedTitle(const Task& task, bool colour, const Session* session) {
  return titleCell(task, session).painted(colour);
}

}  // namespace

json taskJson(const Task& task, const std::string& id, const std::optional<std::string>& list,
              const Session* session) {
  json out = json::object();
  out["id"] = id;
  out["uid"] = uidOf(task);
  out["title"] = nullable(task.title());
  out["notes"] = nullable(task.notes());
  out["list"] = nullable(list);
  out["priority"] = task.priority();
  // An all-day due is a day, written as one; a timed one an instant.
  const std::optional<Date> due = task.dueDate();
  out["dueDate"] = !due ? json(nullptr) : task.isAllDay() ? json(platform::isoString(*due).substr(0, 10))
                                                          : json(platform::isoString(*due));
  out["isCompleted"] = task.isCompleted();
  out["completionDate"] = nullable(isoOrNone(task.completionDate()));
  out["creationDate"] = nullable(isoOrNone(task.creationDate()));
  out["flagged"] = task.flagged();
  out["tags"] = tagTitles(task, session);
  out["allDay"] = task.isAllDay();
  out["recurrence"] = nullable(task.recurrenceRule());
  json alarmList = json::array();
  if (const auto r = task.reminder()) {
    for (const alarms::AlarmView& a : alarms::alarmViews(*r, task.dueDate())) {
      alarmList.push_back({{"trigger", a.trigger}, {"at", nullable(isoOrNone(a.at))},
                           {"acknowledged", a.acknowledged}, {"snooze", a.snooze}});
    }
  }
  out["alarms"] = std::move(alarmList);
  return out;
}

std::string taskTable(const std::vector<std::shared_ptr<Task>>& tasks, const ShortIds& ids, const Session& session,
                      Date now, bool colour, const DateStyle& style, size_t width) {
  if (tasks.empty()) return std::string(tr("No tasks.")) + "\n";
  struct Row {
    std::string id, due, list;
    size_t idWidth, dueWidth, listWidth;  // measured once, for the column widths and the padding
    TitleCell title;
    Colour dueColour;
  };
  const RelativeDue dueOf(now, style);
  // Tasks of one list share its title: look it up once per calendar.
  std::unordered_map<const reminders::Calendar*, std::string> listTitles;
  auto listOf = [&](const Task& task) {
    const auto reminder = task.reminder();
    const reminders::Calendar* calendar = reminder ? reminder->calendar().get() : nullptr;
    if (!calendar) return shownText(session.listTitle(task).value_or("?"));
    auto [it, inserted] = listTitles.try_emplace(calendar);
    if (inserted) it->second = shownText(session.listTitle(task).value_or("?"));
    return it->second;
  };
  std::vector<Row> rows;
  rows.reserve(tasks.size());
  const std::string idHeading = tr("ID"), dueHeading = tr("DUE"), listHeading = tr("LIST");
  size_t idWidth = displayWidth(idHeading), dueWidth = displayWidth(dueHeading), listWidth = displayWidth(listHeading);
  for (const auto& task : tasks) {
    TitleCell title = titleCell(*task, &session);
    // The due date takes the title's colour, which costs a count of days: ask for it once.
    const Colour dueColour = task->isCompleted() ? Colour::tertiaryLabel() : title.titleColour;
    Row row{ids.of(*task), dueOf(*task), listOf(*task), 0, 0, 0, std::move(title), dueColour};
    row.idWidth = displayWidth(row.id);
    row.dueWidth = displayWidth(row.due);
    row.listWidth = displayWidth(row.list);
    idWidth = std::max(idWidth, row.idWidth);
    dueWidth = std::max(dueWidth, row.dueWidth);
    listWidth = std::max(listWidth, row.listWidth);
    rows.push_back(std::move(row));
  }
  // The title gets what the other columns leave, but never fewer than 10 columns.
  const size_t used = idWidth + dueWidth + listWidth + 6;
  const size_t titleWidth = width == 0 ? 0 : std::max<size_t>(width > used ? width - used : 0, 10);
  std::string out = paint(fmt::format("{}  {}  {}  {}", padded(idHeading, idWidth), padded(dueHeading, dueWidth),
                                      padded(listHeading, listWidth), tr("TITLE")),
                          Colour::secondaryLabel(), colour);
  out += '\n';
  // A cell followed by the blanks that fill its column; colour, when painted, covers both.
  auto cell = [&](const std::string& text, size_t textWidth, size_t columnWidth, const Colour& paintWith) {
    if (colour) {
      out += paint(padded(text, columnWidth), paintWith, true);
    } else {
      out += text;
      if (textWidth < columnWidth) out.append(columnWidth - textWidth, ' ');
    }
  };
  for (const Row& row : rows) {
    cell(row.id, row.idWidth, idWidth, Colour::tertiaryLabel());
    out += "  ";
    cell(row.due, row.dueWidth, dueWidth, row.dueColour);
    out += "  ";
    cell(row.list, row.listWidth, listWidth, Colour::label());
    out += "  ";
    out += row.title.fitted(titleWidth, colour);
    out += '\n';
  }
  return out;
}

std::string taskDetails(const Task& task, const std::string& id, const std::optional<std::string>& list, Date now,
                        bool colour, const DateStyle& style) {
  std::string out = fmt::format("{}  {}\n", paint(id, Colour::tertiaryLabel(), colour), decoratedTitle(task, colour, nullptr));
  // Labels are padded to ten columns as the terminal shows them (a Japanese label is twice as wide).
  auto line = [&](std::string_view label, const std::string& value) {
    if (value.empty()) return;
    out += "  ";
    out += label;
    const size_t shown = displayWidth(label);
    out.append(shown < 10 ? 10 - shown : 0, ' ');
    out += ' ';
    out += value;
    out += '\n';
  };
  line(tr("list"), shownText(list.value_or("?")));
  if (auto due = task.dueDate()) {
    const std::string iso = platform::isoString(*due);
    line(tr("due"), paint(relativeDue(task, now, style), task.titleColor(), colour) + "  (" +
                        (task.isAllDay() ? trf("{}, all day", iso.substr(0, 10)) : iso) + ")");
  }
  if (auto rule = task.recurrenceRule()) line(tr("repeats"), shownText(*rule));
  const char* const priorities[] = {trc("priority", "none"), trc("priority", "low"), trc("priority", "medium"),
                                    trc("priority", "high")};
  line(tr("priority"), priorities[std::clamp(task.priority(), 0, 3)]);
  line(tr("flagged"), task.flagged() ? tr("yes") : "");
  if (const auto r = task.reminder()) {
    for (const alarms::AlarmView& a : alarms::alarmViews(*r, task.dueDate())) {
      std::string text = a.at ? platform::isoString(*a.at) : std::string(tr("(no due to count from)"));
      if (a.trigger.front() == '-' || a.trigger.front() == 'P') text += "  " + trf("({} from the due)", a.trigger);
      if (a.snooze) text += std::string("  ") + tr("snoozed");
      if (a.acknowledged) text += std::string("  ") + tr("shown");
      line(tr("alarm"), text);
    }
  }
  std::string tags;
  for (const auto& tag : tagTitles(task)) tags += (tags.empty() ? "" : ", ") + shownText(tag);
  line(tr("tags"), tags);
  if (auto completion = task.completionDate(); task.isCompleted() && completion) {
    line(tr("completed"), platform::isoString(*completion));
  }
  if (auto created = task.creationDate()) line(tr("created"), platform::isoString(*created));
  line(tr("uid"), uidOf(task));
  if (auto notes = task.notes(); notes && !notes->empty()) {
    out += std::string("  ") + tr("notes") + "\n";
    size_t start = 0;
    while (start <= notes->size()) {
      const size_t end = notes->find('\n', start);
      out += "    " + paint(shownText(notes->substr(start, end == std::string::npos ? std::string::npos : end - start)),
                            task.notesColor(), colour) + '\n';
      if (end == std::string::npos) break;
      start = end + 1;
    }
  }
  return out;
}

}  // namespace zarvo::app
