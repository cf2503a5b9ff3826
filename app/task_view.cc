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

// The parts of a task's title cell in their order: priority marks before the title, the repeat,
// alarm and flag marks and the tags after it. Titles and tags are given as the task holds them.
enum class TitlePart { prefix, title, repeat, alarm, flag, tag };

template <class Visit>
void forEachTitlePart(const Task& task, const Session* session, std::optional<Date> due, Visit&& visit) {
  // The title as the linked reminder holds it (Task::title() would copy it for every row).
  const auto reminder = task.reminder();
  if (task.isCompleted()) visit(TitlePart::prefix, std::string_view("✓ "));
  if (const int p = task.priority(); p > 0) visit(TitlePart::prefix, std::string(static_cast<size_t>(p), '!') + ' ');
  visit(TitlePart::title, reminder ? std::string_view(reminder->title()) : std::string_view());
  if (task.recurrenceRule()) visit(TitlePart::repeat, std::string_view(" ↻"));
  if (reminder && alarms::hasOwnAlarms(*reminder, due)) visit(TitlePart::alarm, std::string_view(" ⏰"));
  if (task.flagged()) visit(TitlePart::flag, std::string_view(" ⚑"));
  for (const auto& tag : sortedTagTitles(task, session)) visit(TitlePart::tag, std::string_view(tag));
}

// `due` is the task's due date, read once by the caller.
TitleCell titleCell(const Task& task, const Session* session, std::optional<Date> due) {
  TitleCell cell;
  forEachTitlePart(task, session, due, [&](TitlePart part, std::string_view text) {
    switch (part) {
      case TitlePart::prefix: cell.prefix += text; break;
      case TitlePart::title: cell.title = shownText(text); break;
      case TitlePart::repeat: cell.repeat = text; break;
      case TitlePart::alarm: cell.alarm = text; break;
      case TitlePart::flag: cell.flag = text; break;
      case TitlePart::tag: cell.tags.push_back(shownText(text)); break;
    }
  });
  cell.titleColour = task.titleColor();
  return cell;
}

// The title cell without colours and without a width to fit, appended to `out` as fitPlainTo would.
void appendPlainTitle(std::string& out, const Task& task, const Session* session, std::optional<Date> due) {
  forEachTitlePart(task, session, due, [&](TitlePart part, std::string_view text) {
    if (part == TitlePart::tag) out += " +";
    if (part == TitlePart::title || part == TitlePart::tag) {
      appendShownText(out, text);
    } else {
      out += text;
    }
  });
}

Styled decoratedTitle(const Task& task, bool colour, const Session* session) {
  return titleCell(task, session, task.dueDate()).painted(colour);
}

// What every row of the table needs before any row can be written: the columns' widths depend on
// every row's id, due date and list.
struct TableLayout {
  struct Row {
    std::optional<Date> due;
    uint32_t dueBegin, dueEnd;  // in `dues`
    uint32_t list;              // in `lists`
    uint32_t idWidth, dueWidth, listWidth;
  };
  std::vector<std::string> ids;
  std::string dues;  // every row's due date, one after another
  std::vector<std::string> lists;
  std::vector<Row> rows;
  std::string idHeading, dueHeading, listHeading;
  size_t idWidth, dueWidth, listWidth;
  size_t used;        // the columns before the title, with their gaps
  size_t titleWidth;  // 0: titles are not cut

  std::string_view due(const Row& row) const { return std::string_view(dues).substr(row.dueBegin, row.dueEnd - row.dueBegin); }
};

// `dues`: each task's due date as read by the caller, or null to read them here.
TableLayout layoutTable(const std::vector<std::shared_ptr<Task>>& tasks, const ShortIds& ids, const Session& session,
                        Date now, const DateStyle& style, size_t width,
                        const std::vector<std::optional<Date>>* dues = nullptr) {
  if (dues && dues->size() != tasks.size()) dues = nullptr;
  TableLayout t;
  t.idHeading = tr("ID");
  t.dueHeading = tr("DUE");
  t.listHeading = tr("LIST");
  t.idWidth = displayWidth(t.idHeading);
  t.dueWidth = displayWidth(t.dueHeading);
  t.listWidth = displayWidth(t.listHeading);
  const RelativeDue dueOf(now, style);
  // Tasks of one list share its title: look it up once per calendar.
  std::unordered_map<const reminders::Calendar*, uint32_t> listOfCalendar;
  auto listOf = [&](const Task& task) {
    const auto reminder = task.reminder();
    const reminders::Calendar* calendar = reminder ? reminder->calendar().get() : nullptr;
    if (calendar) {
      if (auto it = listOfCalendar.find(calendar); it != listOfCalendar.end()) return it->second;
    }
    const auto at = static_cast<uint32_t>(t.lists.size());
    t.lists.push_back(shownText(session.listTitle(task).value_or("?")));
    if (calendar) listOfCalendar.emplace(calendar, at);
    return at;
  };
  t.ids.reserve(tasks.size());
  t.rows.reserve(tasks.size());
  t.dues.reserve(tasks.size() * 16);
  for (const auto& task : tasks) {
    const size_t at = t.ids.size();
    t.ids.push_back(ids.of(*task, at));
    const auto dueBegin = static_cast<uint32_t>(t.dues.size());
    const std::optional<Date> due = dues ? (*dues)[at] : task->dueDate();
    dueOf.appendTo(t.dues, *task, due);
    TableLayout::Row row{due, dueBegin, static_cast<uint32_t>(t.dues.size()), listOf(*task), 0, 0, 0};
    row.idWidth = static_cast<uint32_t>(displayWidth(t.ids.back()));
    row.dueWidth = static_cast<uint32_t>(displayWidth(t.due(row)));
    row.listWidth = static_cast<uint32_t>(displayWidth(t.lists[row.list]));
    t.idWidth = std::max<size_t>(t.idWidth, row.idWidth);
    t.dueWidth = std::max<size_t>(t.dueWidth, row.dueWidth);
    t.listWidth = std::max<size_t>(t.listWidth, row.listWidth);
    t.rows.push_back(row);
  }
  // The title gets what the other columns leave, but never fewer than 10 columns.
  t.used = t.idWidth + t.dueWidth + t.listWidth + 6;
  t.titleWidth = width == 0 ? 0 : std::max<size_t>(width > t.used ? width - t.used : 0, 10);
  return t;
}

std::string tableHeading(const TableLayout& t) {
  return fmt::format("{}  {}  {}  {}", padded(t.idHeading, t.idWidth), padded(t.dueHeading, t.dueWidth),
                     padded(t.listHeading, t.listWidth), tr("TITLE"));
}

// Row `i` of the table without colours, appended to `line`.
void appendPlainRow(std::string& line, const TableLayout& t, size_t i, const Task& task, const Session& session) {
  const TableLayout::Row& row = t.rows[i];
  auto cell = [&](std::string_view text, size_t textWidth, size_t columnWidth) {
    line += text;
    line.append(columnWidth - std::min(textWidth, columnWidth), ' ');
    line += "  ";
  };
  cell(t.ids[i], row.idWidth, t.idWidth);
  cell(t.due(row), row.dueWidth, t.dueWidth);
  cell(t.lists[row.list], row.listWidth, t.listWidth);
  if (t.titleWidth == 0) {
    appendPlainTitle(line, task, &session, row.due);
  } else {
    titleCell(task, &session, row.due).fitPlainTo(line, t.titleWidth);
  }
}

}  // namespace

Lines taskTable(const std::vector<std::shared_ptr<Task>>& tasks, const ShortIds& ids, const Session& session,
                      Date now, bool colour, const DateStyle& style, size_t width) {
  if (tasks.empty()) return {tr("No tasks.")};
  const TableLayout t = layoutTable(tasks, ids, session, now, style, width);
  Lines lines;
  lines.reserve(tasks.size() + 1);
  lines.push_back(paint(tableHeading(t), Colour::secondaryLabel(), colour));
  if (!colour) {
    for (size_t i = 0; i < tasks.size(); ++i) {
      std::string line;
      appendPlainRow(line, t, i, *tasks[i], session);
      lines.emplace_back(std::move(line));
    }
    return lines;
  }
  Styled out;
  // A cell followed by the blanks that fill its column, painted together.
  auto cell = [&](std::string_view text, size_t columnWidth, const Colour& paintWith) {
    out += paint(padded(std::string(text), columnWidth), paintWith, true);
  };
  for (size_t i = 0; i < tasks.size(); ++i) {
    const TableLayout::Row& row = t.rows[i];
    const TitleCell title = titleCell(*tasks[i], &session, row.due);
    cell(t.ids[i], t.idWidth, Colour::tertiaryLabel());
    out += "  ";
    // The due date takes the title's colour.
    cell(t.due(row), t.dueWidth, tasks[i]->isCompleted() ? Colour::tertiaryLabel() : title.titleColour);
    out += "  ";
    cell(t.lists[row.list], t.listWidth, Colour::label());
    out += "  ";
    title.fitTo(out, t.titleWidth, true);
    lines.push_back(std::move(out));
    out = Styled();
  }
  return lines;
}

void writeTaskTable(Output& output, const std::vector<std::shared_ptr<Task>>& tasks, const ShortIds& ids,
                    const Session& session, Date now, bool colour, const DateStyle& style, size_t width,
                    const std::vector<std::optional<Date>>* dues) {
  if (colour || tasks.empty()) {
    output.lines(taskTable(tasks, ids, session, now, colour, style, width));
    return;
  }
  const TableLayout t = layoutTable(tasks, ids, session, now, style, width, dues);
  // The rows go out in blocks as they are made: no line of ten thousand is kept.
  std::string block = tableHeading(t);
  block += '\n';
  for (size_t i = 0; i < tasks.size(); ++i) {
    appendPlainRow(block, t, i, *tasks[i], session);
    block += '\n';
    if (block.size() >= 64 * 1024) {
      output.plainLines(block);
      block.clear();
    }
  }
  output.plainLines(block);
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
