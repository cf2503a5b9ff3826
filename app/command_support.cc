#include <unistd.h>

#include <algorithm>
#include <iostream>

#include "app/messages.h"
#include "app/command_error.h"
#include "app/commands.h"
#include "app/task_ids.h"
#include "app/task_json.h"
#include "app/task_view.h"
#include "zarvo/platform/text.h"

namespace zarvo::app {

std::string joinedText(const std::vector<std::string>& words, const std::string& what) {
  std::string joined;
  for (const std::string& word : words) {
    if (!joined.empty()) joined += ' ';
    joined += word;
  }
  if (!platform::toUtf16(joined)) throw UsageError(trf("{} is not valid UTF-8", what));
  return joined;
}

std::string checkedTagTitle(const std::string& tag) {
  std::string title = platform::trimmed(std::string_view(tag));
  if (!title.empty() && title.front() == '+') title.erase(0, 1);
  // Tags are looked up with a LIKE pattern, where "*" and "?" are wildcards: such a title would
  // name other tags.
  if (title.empty() || title.find_first_of("*?") != std::string::npos || !platform::toUtf16(title)) {
    throw UsageError(trf("invalid tag '{}' (needs text, without * or ?)", tag));
  }
  return title;
}

bool confirmed(const std::string& what, bool yes) {
  if (yes) return true;
  if (::isatty(STDIN_FILENO) != 1) {
    throw UsageError(trf("{} needs --yes when not asked on a terminal (or --dry-run to see what it would do)", what));
  }
  // "[y/N]" and the answers in the person's language; "y" and "yes" are understood in every one.
  err().prompt(trf("{}? [y/N] ", what));
  std::string answer;
  if (!std::getline(std::cin, answer)) return false;
  answer = platform::lowercased(platform::trimmed(std::string_view(answer)));
  return answer == "y" || answer == "yes" || answer == platform::lowercased(std::string_view(trc("answer", "y"))) ||
         answer == platform::lowercased(std::string_view(trc("answer", "yes")));
}

std::optional<std::string> closestWord(std::string_view typed, const std::vector<std::string>& words) {
  std::optional<std::string> best;
  size_t bestDistance = std::min<size_t>(3, typed.size());
  for (const std::string& word : words) {
    // Optimal string alignment distance over three rows.
    std::vector<size_t> before(word.size() + 1), previous(word.size() + 1), current(word.size() + 1);
    for (size_t j = 0; j <= word.size(); ++j) previous[j] = j;
    for (size_t i = 1; i <= typed.size(); ++i) {
      current[0] = i;
      for (size_t j = 1; j <= word.size(); ++j) {
        const size_t cost = typed[i - 1] == word[j - 1] ? 0 : 1;
        current[j] = std::min({previous[j] + 1, current[j - 1] + 1, previous[j - 1] + cost});
        if (i > 1 && j > 1 && typed[i - 1] == word[j - 2] && typed[i - 2] == word[j - 1]) {
          current[j] = std::min(current[j], before[j - 2] + 1);
        }
      }
      before.swap(previous);
      previous.swap(current);
    }
    if (previous[word.size()] < bestDistance) {
      bestDistance = previous[word.size()];
      best = word;
    }
  }
  return best;
}

std::string checkedListTitle(const std::string& typed) {
  std::string title = platform::trimmed(std::string_view(typed));
  if (title.empty()) throw UsageError(tr("a list needs a title"));
  if (title.find_first_of("\r\n") != std::string::npos) throw UsageError(tr("a list title is one line"));
  return title;
}

platform::RGBA checkedColour(const std::string& typed) {
  if (auto colour = platform::colourNamed(typed)) return *colour;
  std::string names;
  for (const auto& colour : platform::listColours()) names += (names.empty() ? "" : ", ") + std::string(colour.name);
  throw UsageError(trf("unknown colour '{}' (use #RRGGBB or {})", typed, names));
}

bool isOutputColourChoice(const std::string& value) { return value == "auto" || value == "always" || value == "never"; }

namespace {
JsonStyle gJsonStyle = JsonStyle::indented;
}  // namespace

void setJsonStyle(JsonStyle style) { gJsonStyle = style; }

void printJson(const nlohmann::ordered_json& document) {
  constexpr auto replace = nlohmann::ordered_json::error_handler_t::replace;
  if (gJsonStyle == JsonStyle::indented) {
    out().json(document.dump(2, ' ', false, replace));
  } else if (document.is_array()) {
    for (const auto& element : document) out().json(element.dump(-1, ' ', false, replace));
  } else {
    out().json(document.dump(-1, ' ', false, replace));
  }
}

std::vector<std::shared_ptr<Task>> resolveTasks(Session& session, const std::vector<std::string>& ids) {
  if (ids.empty()) throw UsageError(tr("missing task ID"));
  const std::vector<std::shared_ptr<Task>> all = session.allTasks();
  std::vector<std::shared_ptr<Task>> out;
  for (const std::string& id : ids) {
    auto task = resolveTask(id, all);
    if (std::find(out.begin(), out.end(), task) == out.end()) out.push_back(std::move(task));
  }
  return out;
}

nlohmann::ordered_json tasksJson(const std::vector<std::shared_ptr<Task>>& tasks, const Session& session) {
  const ShortIds ids(tasks);
  nlohmann::ordered_json out = nlohmann::ordered_json::array();
  for (const auto& task : tasks) out.push_back(taskJson(*task, ids.of(*task), session.listTitle(*task), &session));
  return out;
}

std::map<std::string, size_t> openTaskCounts(Session& session) {
  std::map<std::string, size_t> open;
  for (const auto& task : session.fetch(std::nullopt, false)) ++open[task->calendarId()];
  return open;
}

nlohmann::ordered_json listJson(const List& list, bool isDefault, size_t openTasks) {
  const auto calendar = list.calendar();
  nlohmann::ordered_json item;
  item["title"] = list.title();
  item["id"] = calendar ? calendar->calendarIdentifier() : std::string();
  item["color"] = calendar && calendar->color() ? nlohmann::ordered_json(calendar->color()->hex())
                                                : nlohmann::ordered_json(nullptr);
  item["default"] = isDefault;
  item["openTasks"] = openTasks;
  return item;
}

nlohmann::ordered_json listsJson(const std::vector<std::shared_ptr<List>>& lists,
                                 const std::shared_ptr<List>& defaultList,
                                 const std::map<std::string, size_t>& openTasks) {
  nlohmann::ordered_json out = nlohmann::ordered_json::array();
  for (const auto& list : lists) {
    size_t open = 0;
    if (const auto calendar = list->calendar()) {
      if (const auto it = openTasks.find(calendar->calendarIdentifier()); it != openTasks.end()) open = it->second;
    }
    out.push_back(listJson(*list, list == defaultList, open));
  }
  return out;
}

}  // namespace zarvo::app
