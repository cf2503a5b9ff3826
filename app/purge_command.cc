// `zarvo purge`: deletes every completed task.
#include <fmt/format.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "app/messages.h"
#include "app/command_error.h"
#include "app/commands.h"
#include "zarvo/platform/dispatch.h"

namespace zarvo::app {

namespace {

struct PurgeOptions {
  bool json = false, yes = false, dryRun = false;
};

int run(const PurgeOptions& o, Program& program) {
  Session session(program.globals);
  const auto completedTasks = session.fetch(std::nullopt, true);
  const size_t completed = completedTasks.size();
  if (o.dryRun) {
    if (o.json) {
      printJson(nlohmann::ordered_json{{"wouldPurge", completed}});
    } else {
      out().line(trnf("Would purge {} completed task.", "Would purge {} completed tasks.", completed, completed));
    }
    return 0;
  }
  if (completed > 0 &&
      !confirmed(trnf("Delete {} completed task", "Delete {} completed tasks", completed, completed), o.yes)) {
    out().line(tr("Nothing purged."));
    return 0;
  }
  if (completed > 0) {
    // The purge answers on the main queue: that it purged, or (the tasks went meanwhile) that there
    // was nothing to purge. Its removals reach the files with the records, in finish().
    auto finished = std::make_shared<std::atomic<bool>>(false);
    session.io().purgeCompleted([finished] { finished->store(true); }, [finished] { finished->store(true); });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    while (!finished->load()) {
      platform::MainQueue::drain();
      if (std::chrono::steady_clock::now() > deadline) throw RefusedError(tr("the purge did not finish"));
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  session.finish(fmt::format("purge ({} task{})", completed, completed == 1 ? "" : "s"));
  if (o.json) {
    printJson(nlohmann::ordered_json{{"purged", completed}});
  } else {
    out().line(completed == 0 ? std::string(tr("Nothing to purge."))
                              : trnf("Purged {} completed task.", "Purged {} completed tasks.", completed, completed));
  }
  return 0;
}

}  // namespace

void registerPurgeCommand(CLI::App& app, Program& program) {
  auto o = std::make_shared<PurgeOptions>();
  CLI::App* command = app.add_subcommand("purge", "Delete every completed task");
  command->add_flag("-y,--yes", o->yes, "Purge without asking (needed when not on a terminal)");
  command->add_flag("--dry-run", o->dryRun, "Only count what would be purged ({\"wouldPurge\": N} with --json)");
  command->add_flag("--json", o->json, "Print {\"purged\": N}");
  command->callback([o, &program] { program.exitCode = run(*o, program); });
}

}  // namespace zarvo::app
