#include "app/task_view.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <fmt/format.h>

#include <algorithm>
#include <cstdlib>
#include <unordered_map>

#include "app/command_error.h"
#include "zarvo/home/settings.h"
#include "zarvo/model/tag.h"
#include "zarvo/platform/date_calendar.h"
#include "zarvo/platform/text.h"

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

namespace {

// What writing due dates relative to one moment needs, computed once for all of them.
class DueWriter {
 public:
  DueWriter(Date now, const DateStyle& style)
      : now_(now), style_(style), calendar_(DateCalendar::current()), nowWeekday_(calendar_.weekday(now)) {}

  std::string operator()(const Task& task) const {
    const std::optional<Date> due = task.dueDate();
    if (!due) return "";
    const platform::DateComponents c = calendar_.components(*due);
    std::string time;
    if (dueHasTime(task)) {
      time = " ";
      platform::appendZeroPadded(time, *c.hour, 2);
      time += ':';
      platform::appendZeroPadded(time, *c.minute, 2);
    }
    const int64_t days = calendar_.daysBetween(now_, *due);
    if (days == 0) return "today" + time;
    if (days == 1) return "tomorrow" + time;
    if (days == -1) return "yesterday" + time;
    if (days < 0 && !task.isCompleted()) return fmt::format("{} days overdue", -days);
    static constexpr const char* kWeekdays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    const int dueWeekday = *c.weekday;
    if (days > 0) {
      // Days from the first day of this week to the due day.
      const int64_t fromWeekStart = (nowWeekday_ - style_.firstWeekday + 7) % 7 + days;
      if (fromWeekStart < 7) return kWeekdays[dueWeekday - 1] + time;
      if (fromWeekStart < 14) return std::string("next ") + kWeekdays[dueWeekday - 1] + time;
    }
    return formatDate(style_.dateFormat, *c.year, *c.month, *c.day, dueWeekday) + time;
  }

 private:
  Date now_;
  const DateStyle& style_;
  DateCalendar calendar_;
  int nowWeekday_;
};

// Whether shownText would change anything in `text`: a control character, DEL, or the lead byte of
// a C1 control or of U+2028/U+2029. Most titles have none and are shown as they are.
bool mayNeedEscaping(std::string_view text) {
  for (const char ch : text) {
    const auto byte = static_cast<unsigned char>(ch);
    if (byte < 0x20 || byte == 0x7F || byte == 0xC2 || byte == 0xE2) return true;
  }
  return false;
}

}  // namespace

std::string relativeDue(const Task& task, Date now, const DateStyle& style) { return DueWriter(now, style)(task); }

std::string shownText(std::string_view text) {
  if (!mayNeedEscaping(text)) return std::string(text);
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
    size_t idWidth, dueWidth, listWidth;  // measured once, for the column widths and the padding
    TitleCell title;
    Colour dueColour;
  };
  const DueWriter dueOf(now, style);
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
  size_t idWidth = 2, dueWidth = 3, listWidth = 4;
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
  std::string out = paint(fmt::format("{}  {}  {}  TITLE", padded("ID", idWidth), padded("DUE", dueWidth),
                                      padded("LIST", listWidth)),
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
