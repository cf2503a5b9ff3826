#include "app/task_view.h"

#include <fmt/format.h>

#include <algorithm>
#include <unordered_map>

#include "app/command_error.h"
#include "app/messages.h"
#include "app/task_json.h"
#include "zarvo/alarms/alarm_writes.h"
#include "zarvo/platform/date_calendar.h"
#include "zarvo/model/tag.h"
#include "zarvo/platform/text.h"

namespace zarvo::app {

using platform::Colour;

namespace {

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
  Styled painted(bool colour) const {
    Styled out;
    paintTo(out, colour);
    return out;
  }
  void paintTo(Styled& out, bool colour) const {
    // Without colours every part is plain text, appended as it is.
    const auto add = [&](std::string_view text, const Colour& with) {
      if (colour) {
        out += paint(text, with, true);
      } else {
        out += text;
      }
    };
    out += prefix;
    add(title, titleColour);
    if (!repeat.empty()) add(repeat, Colour::secondaryLabel());
    if (!alarm.empty()) add(alarm, Colour::secondaryLabel());
    if (!flag.empty()) add(flag, Colour::systemOrange());
    for (const auto& tag : tags) add(" +" + tag, Colour::secondaryLabel());
  }
  size_t plainSize() const {
    size_t size = prefix.size() + title.size() + repeat.size() + alarm.size() + flag.size();
    for (const auto& tag : tags) size += 2 + tag.size();
    return size;
  }
  // fitted(width, false) as text, appended to `out`.
  void fitPlainTo(std::string& out, size_t width) const {
    if (width != 0 && displayWidth(plain()) > width) {
      out += fitted(width, false).plain();
      return;
    }
    out += prefix;
    out += title;
    out += repeat;
    out += alarm;
    out += flag;
    for (const auto& tag : tags) {
      out += " +";
      out += tag;
    }
  }
  // The cell in at most `width` columns: the title is cut first, then the whole cell.
  void fitTo(Styled& out, size_t width, bool colour) const {
    if (width == 0 || displayWidth(plain()) <= width) {
      paintTo(out, colour);
    } else {
      out += fitted(width, colour);
    }
  }
  Styled fitted(size_t width, bool colour) const {
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
  for (const auto& tag : sortedTagTitles(task, session)) cell.tags.push_back(shownText(tag));
  return cell;
}

Styled decoratedTitle(const Task& task, bool colour, const Session* session) {
  return titleCell(task, session).painted(colour);
}

}  // namespace

Lines taskTable(const std::vector<std::shared_ptr<Task>>& tasks, const ShortIds& ids, const Session& session,
                      Date now, bool colour, const DateStyle& style, size_t width) {
  if (tasks.empty()) return {tr("No tasks.")};
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
  Lines lines{paint(fmt::format("{}  {}  {}  {}", padded(idHeading, idWidth), padded(dueHeading, dueWidth),
                                padded(listHeading, listWidth), tr("TITLE")),
                    Colour::secondaryLabel(), colour)};
  if (!colour) {
    // Without colours a row is one run of plain text: built in one string, with room for it made once.
    std::string line;
    auto cell = [&](const std::string& text, size_t textWidth, size_t columnWidth) {
      line += text;
      line.append(columnWidth - std::min(textWidth, columnWidth), ' ');
      line += "  ";
    };
    for (const Row& row : rows) {
      line.clear();
      line.reserve(used + row.id.size() + row.due.size() + row.list.size() + row.title.plainSize() + 8);
      cell(row.id, row.idWidth, idWidth);
      cell(row.due, row.dueWidth, dueWidth);
      cell(row.list, row.listWidth, listWidth);
      row.title.fitPlainTo(line, titleWidth);
      lines.emplace_back(std::move(line));
      line = std::string();
    }
    return lines;
  }
  Styled out;
  // A cell followed by the blanks that fill its column, painted together.
  auto cell = [&](const std::string& text, size_t columnWidth, const Colour& paintWith) {
    out += paint(padded(text, columnWidth), paintWith, true);
  };
  for (const Row& row : rows) {
    cell(row.id, idWidth, Colour::tertiaryLabel());
    out += "  ";
    cell(row.due, dueWidth, row.dueColour);
    out += "  ";
    cell(row.list, listWidth, Colour::label());
    out += "  ";
    row.title.fitTo(out, titleWidth, true);
    lines.push_back(std::move(out));
    out = Styled();
  }
  return lines;
}

Lines taskDetails(const Task& task, const std::string& id, const std::optional<std::string>& list, Date now,
                        bool colour, const DateStyle& style) {
  Lines out{paint(id, Colour::tertiaryLabel(), colour) + "  " + decoratedTitle(task, colour, nullptr)};
  // Labels are padded to ten columns as the terminal shows them (a Japanese label is twice as wide).
  auto line = [&](std::string_view label, const Styled& value) {
    if (value.plain().empty()) return;
    const size_t shown = displayWidth(label);
    out.push_back("  " + std::string(label) + std::string(shown < 10 ? 10 - shown : 0, ' ') + " " + value);
  };
  line(tr("list"), shownText(list.value_or("?")));
  if (auto due = task.dueDate()) {
    const std::string iso = platform::isoString(*due);
    line(tr("due"), paint(relativeDue(task, now, style), task.titleColor(), colour) + "  (" +
                        (task.isAllDay() ? trf("{}, all day", platform::isoDayString(*due)) : iso) + ")");
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
  for (const auto& tag : sortedTagTitles(task)) tags += (tags.empty() ? "" : ", ") + shownText(tag);
  line(tr("tags"), tags);
  if (auto completion = task.completionDate(); task.isCompleted() && completion) {
    line(tr("completed"), platform::isoString(*completion));
  }
  if (auto created = task.creationDate()) line(tr("created"), platform::isoString(*created));
  if (const auto r = task.reminder()) {
    for (const std::string& leftOut : r->datesLeftOut()) {
      line(tr("left out"), shownText(leftOut) + "  " +
                               tr("(outside the dates zarvo can keep, years 1 to 9999; the file keeps it)"));
    }
  }
  line(tr("uid"), uidOf(task));
  if (auto notes = task.notes(); notes && !notes->empty()) {
    out.push_back(std::string("  ") + tr("notes"));
    size_t start = 0;
    while (start <= notes->size()) {
      const size_t end = notes->find('\n', start);
      out.push_back("    " + paint(shownText(notes->substr(start, end == std::string::npos ? std::string::npos : end - start)),
                                    task.notesColor(), colour));
      if (end == std::string::npos) break;
      start = end + 1;
    }
  }
  return out;
}

}  // namespace zarvo::app
