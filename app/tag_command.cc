// `zarvo tag ID TAG...`: adds tags to a task, or removes them with --remove.
#include <fmt/format.h>

#include <algorithm>

#include "app/messages.h"
#include "app/terminal_text.h"
#include "app/command_error.h"
#include "app/commands.h"
#include "app/task_ids.h"
#include "zarvo/model/tag.h"
#include "zarvo/platform/text.h"

namespace zarvo::app {

namespace {

struct TagOptions {
  std::string id;
  std::vector<std::string> tags;
  bool remove = false, json = false;
};

int run(const TagOptions& o, Program& program) {
  std::vector<std::string> titles;
  for (const auto& tag : o.tags) titles.push_back(checkedTagTitle(tag));

  Session session(program.globals);
  auto task = resolveTasks(session, {o.id}).front();
  std::vector<std::shared_ptr<Tag>> tags = task->tags();
  for (const auto& title : titles) {
    if (o.remove) {
      // A tag the task lacks is a mistake (a typo, the wrong task): nothing changes.
      if (std::erase_if(tags, [&](const std::shared_ptr<Tag>& tag) {
            return platform::equalsIgnoringCase(std::string_view(tag->title().value_or("")), std::string_view(title));
          }) == 0) {
        throw UsageError(trf("task {} has no tag '{}'", ShortIds({task}).of(*task), title));
      }
    } else if (auto tag = Tag::fetchOrCreate(title, session.context());
               std::find(tags.begin(), tags.end(), tag) == tags.end()) {
      tags.push_back(std::move(tag));
    }
  }
  task->setTags(tags);
  session.io().save(task, true);  // the tags travel in the task's file
  session.finish((o.remove ? "tag --remove " : "tag ") + ShortIds({task}).of(*task));

  if (o.json) {
    printJson(tasksJson({task}, session));
  } else {
    std::string shown;
    for (const auto& tag : task->tags()) shown += " +" + tag->title().value_or("");
    out().line(trf("Tagged {}: {}{}", ShortIds({task}).of(*task), task->title().value_or(""),
                   shown.empty() ? " " + std::string(tr("(no tags)")) : shown));
  }
  return 0;
}

}  // namespace

void registerTagCommand(CLI::App& app, Program& program) {
  auto o = std::make_shared<TagOptions>();
  CLI::App* command = app.add_subcommand("tag", "Add tags to a task (or remove them with --remove)");
  command->add_option("ID", o->id, "Task id (a unique prefix is enough)")->required();
  command->add_option("TAG", o->tags, "Tags (any letter case finds an existing tag)")->required();
  command->add_flag("--remove", o->remove, "Remove the tags instead");
  command->add_flag("--json", o->json, "Print the task as JSON");
  command->callback([o, &program] { program.exitCode = run(*o, program); });
}

}  // namespace zarvo::app
