// `zarvo __complete lists|ids`: what shell completion offers, for the scripts in completions/. Lists:
// each list's title, in the lists' order. Ids: each open task's id, a tab, its title. One per line,
// newlines in titles shown as spaces. Reads the home shared with other readers, creates nothing, and
// prints nothing (rc 0) when there is no home yet, so completing on a new machine stays quiet.
#include "app/commands.h"
#include "app/task_ids.h"

namespace zarvo::app {

namespace {

std::string oneLine(std::string text) {
  for (char& c : text) {
    if (c == '\n' || c == '\r' || c == '\t') c = ' ';
  }
  return text;
}

int run(const std::string& what, Program& program) {
  if (!Session::exists(program.globals)) return 0;
  Session session(program.globals, HomeUse::readOnly);
  if (what == "lists") {
    for (const auto& list : session.lists()) out().line(oneLine(list->title()));
    return 0;
  }
  const auto tasks = session.fetch(std::nullopt, false);
  std::vector<std::shared_ptr<Task>> open;
  for (const auto& task : tasks) {
    if (!task->completed()) open.push_back(task);
  }
  const ShortIds ids(open);
  for (const auto& task : open) out().line(ids.of(*task) + Styled::separator() + oneLine(task->title().value_or("")));
  return 0;
}

}  // namespace

void registerCompleteCommand(CLI::App& app, Program& program) {
  auto what = std::make_shared<std::string>();
  CLI::App* command = app.add_subcommand("__complete", "What shell completion offers: list titles or task ids");
  command->group("");  // for the completion scripts, not in --help
  command->add_option("WHAT", *what, "lists or ids")->required()->check(CLI::IsMember({"lists", "ids"}));
  command->callback([what, &program] { program.exitCode = run(*what, program); });
}

}  // namespace zarvo::app
