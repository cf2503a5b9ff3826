#include "app/task_view.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <fmt/format.h>

#include <algorithm>
#include <cstdlib>

#include "app/command_error.h"
#include "app/settings.h"
#include "zarvo/model/tag.h"
#include "zarvo/platform/date_calendar.h"

namespace zarvo::app {

using json = nlohmann::ordered_json;
using platform::Colour;
using platform::DateCalendar;
using platform::SemanticColour;

bool useColour(const std::string& when) {
  if (when == "always") return true;
  if (when == "never") return false;
  if (when != "auto") throw UsageError("--color expects auto, always or never, not '" + when + "'");
  if (const char* noColour = std::getenv("NO_COLOR"); noColour != nullptr && *noColour != '\0') return false;
  if (const char* term = std::getenv("TERM"); term != nullptr && std::string_view(term) == "dumb") return false;
  return ::isatty(STDOUT_FILENO) == 1;
}

std::string paint(std::string_view text, const Colour& colour, bool enabled) {
  if (!enabled || text.empty()) return std::string(text);
  const char* code = nullptr;
  switch (colour.semantic().value_or(SemanticColour::label)) {
    case SemanticColour::label: return std::string(text);
    case SemanticColour::secondaryLabel: code = "2"; break;
    case SemanticColour::tertiaryLabel: code = "90"; break;
    case SemanticColour::systemOrange: code = "38;5;208"; break;
    case SemanticColour::systemRed: code = "31"; break;
  }
  return fmt::format("\x1b[{}m{}\x1b[0m", code, text);
}

std::string highlight(std::string_view text, bool enabled) {
  return enabled ? fmt::format("\x1b[1;4m{}\x1b[0m", text) : fmt::format("[{}]", text);
}

namespace {

std::optional<std::string> isoOrNone(const std::optional<Date>& date) {
  return date ? std::optional<std::string>(platform::isoString(*date)) : std::nullopt;
}

json nullable(const std::optional<std::string>& s) { return s ? json(*s) : json(nullptr); }

bool dueHasTime(const Task& task) {
  auto reminder = task.reminder();
  return reminder && reminder->dueDateComponents() && reminder->dueDateComponents()->hour.has_value();
}

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
  std::string prefix, title, flag;
  std::vector<std::string> tags;
  Colour titleColour;

  std::string plain() const {
    std::string out = prefix + title + flag;
    for (const auto& tag : tags) out += " +" + tag;
    return out;
  }
  std::string painted(bool colour) const {
    std::string out = prefix + paint(title, titleColour, colour);
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
  if (task.flagged()) cell.flag = " ⚑";
  for (const auto& tag : tagTitles(task, session)) cell.tags.push_back(shownText(tag));
  return cell;
}

std::string decoratedTitle(const Task& task, bool colour, const Session* session) {
  return titleCell(task, session).painted(colour);
}

}  // namespace

std::string relativeDue(const Task& task, Date now, const DateStyle& style) {
  const std::optional<Date> due = task.dueDate();
  if (!due) return "";
  const DateCalendar calendar = DateCalendar::current();
  const platform::DateComponents c = calendar.components(*due);
  const std::string time = dueHasTime(task) ? fmt::format(" {:02}:{:02}", *c.hour, *c.minute) : std::string();
  const int64_t days = calendar.daysBetween(now, *due);
  if (days == 0) return "today" + time;
  if (days == 1) return "tomorrow" + time;
  if (days == -1) return "yesterday" + time;
  if (days < 0 && !task.isCompleted()) return fmt::format("{} days overdue", -days);
  static constexpr const char* kWeekdays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  const int dueWeekday = *c.weekday;
  if (days > 0) {
    // Days from the first day of this week to the due day.
    const int64_t fromWeekStart = (calendar.weekday(now) - style.firstWeekday + 7) % 7 + days;
    if (fromWeekStart < 7) return kWeekdays[dueWeekday - 1] + time;
    if (fromWeekStart < 14) return std::string("next ") + kWeekdays[dueWeekday - 1] + time;
  }
  return formatDate(style.dateFormat, *c.year, *c.month, *c.day, dueWeekday) + time;
}

std::string shownText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte == '\n') {
      out += "\\n";
    } else if (byte == '\t') {
      out += "\\t";
    } else if (byte == '\r') {
      out += "\\r";
    } else if (byte < 0x20 || byte == 0x7F) {
      out += fmt::format("\\x{:02X}", byte);
    } else if (byte == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
               static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
      out += fmt::format("\\u{:04X}", static_cast<unsigned char>(text[++i]));
    } else if (text.substr(i, 3) == "\u2028" || text.substr(i, 3) == "\u2029") {
      out += text.substr(i, 3) == "\u2028" ? "\\u2028" : "\\u2029";
      i += 2;
    } else {
      out += static_cast<char>(byte);
    }
  }
  return out;
}

size_t terminalWidth() {
  winsize size{};
  if (::isatty(STDOUT_FILENO) == 1 && ::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) {
    return size.ws_col;
  }
  if (const char* columns = std::getenv("COLUMNS")) {
    if (const auto value = platform::toInt(std::string_view(columns)); value && *value > 0) {
      return static_cast<size_t>(*value);
    }
  }
  return 0;
}

json taskJson(const Task& task, const std::string& id, const std::optional<std::string>& list,
              const Session* session) {
  json out = json::object();
  out["id"] = id;
  out["uid"] = uidOf(task);
  out["title"] = nullable(task.title());
  out["notes"] = nullable(task.notes());
  out["list"] = nullable(list);
  out["priority"] = task.priority();
  out["dueDate"] = nullable(isoOrNone(task.dueDate()));
  out["isCompleted"] = task.isCompleted();
  out["completionDate"] = nullable(isoOrNone(task.completionDate()));
  out["creationDate"] = nullable(isoOrNone(task.creationDate()));
  out["flagged"] = task.flagged();
  out["tags"] = tagTitles(task, session);
  return out;
}

std::string taskTable(const std::vector<std::shared_ptr<Task>>& tasks, const ShortIds& ids, const Session& session,
                      Date now, bool colour, const DateStyle& style, size_t width) {
  if (tasks.empty()) return "No tasks.\n";
  struct Row {
    std::string id, due, list;
    TitleCell title;
    Colour dueColour;
  };
  std::vector<Row> rows;
  rows.reserve(tasks.size());
  size_t idWidth = 2, dueWidth = 3, listWidth = 4;
  for (const auto& task : tasks) {
    TitleCell title = titleCell(*task, &session);
    // The due date takes the title's colour, which costs a count of days: ask for it once.
    const Colour dueColour = task->isCompleted() ? Colour::tertiaryLabel() : title.titleColour;
    Row row{ids.of(*task), relativeDue(*task, now, style), shownText(session.listTitle(*task).value_or("?")),
            std::move(title), dueColour};
    idWidth = std::max(idWidth, displayWidth(row.id));
    dueWidth = std::max(dueWidth, displayWidth(row.due));
    listWidth = std::max(listWidth, displayWidth(row.list));
    rows.push_back(std::move(row));
  }
  // The title gets what the other columns leave, but never fewer than 10 columns.
  const size_t used = idWidth + dueWidth + listWidth + 6;
  const size_t titleWidth = width == 0 ? 0 : std::max<size_t>(width > used ? width - used : 0, 10);
  std::string out = paint(fmt::format("{}  {}  {}  TITLE", padded("ID", idWidth), padded("DUE", dueWidth),
                                      padded("LIST", listWidth)),
                          Colour::secondaryLabel(), colour);
  out += '\n';
  for (const Row& row : rows) {
    out += paint(padded(row.id, idWidth), Colour::tertiaryLabel(), colour);
    out += "  ";
    out += paint(padded(row.due, dueWidth), row.dueColour, colour);
    out += "  ";
    out += padded(row.list, listWidth);
    out += "  ";
    out += row.title.fitted(titleWidth, colour);
    out += '\n';
  }
  return out;
}

std::string taskDetails(const Task& task, const std::string& id, const std::optional<std::string>& list, Date now,
                        bool colour, const DateStyle& style) {
  std::string out = fmt::format("{}  {}\n", paint(id, Colour::tertiaryLabel(), colour), decoratedTitle(task, colour, nullptr));
  auto line = [&](std::string_view label, const std::string& value) {
    if (!value.empty()) out += fmt::format("  {:<10} {}\n", label, value);
  };
  line("list", shownText(list.value_or("?")));
  if (auto due = task.dueDate()) {
    line("due", paint(relativeDue(task, now, style), task.titleColor(), colour) + "  (" + platform::isoString(*due) + ")");
  }
  static constexpr const char* kPriorities[] = {"none", "low", "medium", "high"};
  line("priority", kPriorities[std::clamp(task.priority(), 0, 3)]);
  line("flagged", task.flagged() ? "yes" : "");
  std::string tags;
  for (const auto& tag : tagTitles(task)) tags += (tags.empty() ? "" : ", ") + shownText(tag);
  line("tags", tags);
  if (auto completion = task.completionDate(); task.isCompleted() && completion) {
    line("completed", platform::isoString(*completion));
  }
  if (auto created = task.creationDate()) line("created", platform::isoString(*created));
  line("uid", uidOf(task));
  if (auto notes = task.notes(); notes && !notes->empty()) {
    out += "  notes\n";
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
