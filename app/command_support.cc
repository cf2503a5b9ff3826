#include <algorithm>

#include "app/command_error.h"
#include "app/commands.h"
#include "app/task_ids.h"
#include "app/task_view.h"
#include "zarvo/platform/text.h"

namespace zarvo::app {

std::string joinedText(const std::vector<std::string>& words, const std::string& what) {
  std::string joined;
  for (const std::string& word : words) {
    if (!joined.empty()) joined += ' ';
    joined += word;
  }
  if (!platform::toUtf16(joined)) throw UsageError(what + " is not valid UTF-8");
  return joined;
}

void printJson(const nlohmann::ordered_json& document) {
  std::cout << document.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
}

std::vector<std::shared_ptr<Task>> resolveTasks(Session& session, const std::vector<std::string>& ids) {
  if (ids.empty()) throw UsageError("missing task ID");
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

}  // namespace zarvo::app
