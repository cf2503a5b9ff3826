// `zarvo undo`: reverts the last change made through zarvo (from the home's history), again and again.
// `zarvo undo --skip`: drops the newest changes that cannot be undone, saying which, and undoes the
// one before them. `zarvo undo ID...`: marks completed tasks open again.
// `zarvo redo [--skip]`: makes the change undone last again, until a new change is made. The two are
// registered together: redo exists only as undo's counterpart.
#include <fmt/format.h>

#include "app/messages.h"
#include "app/commands.h"
#include "app/task_view.h"

namespace zarvo::app {

namespace {

struct UndoOptions : CompletionOptions {
  bool skip = false;
};

void printTakenBack(const UndoResult& result, bool redo, bool json) {
  if (json) {
    printJson(nlohmann::ordered_json{
        {redo ? "redone" : "undone",
         result.undone.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(result.undone)},
        {"skipped", result.skipped}});
    return;
  }
  for (const auto& skipped : result.skipped) out().line(trf("Skipped: {}", shownText(skipped)));
  if (result.undone.empty()) {
    out().line((redo ? tr("Nothing left to redo.") : tr("Nothing left to undo.")));
  } else {
    out().line((redo ? trf("Redid: {}", shownText(result.undone)) : trf("Undid: {}", shownText(result.undone))));
  }
}

}  // namespace

void registerUndoCommand(CLI::App& app, Program& program) {
  auto o = std::make_shared<UndoOptions>();
  CLI::App* command = app.add_subcommand(
      "undo", "Revert the last change made through zarvo; with IDs, mark completed tasks open again");
  command->add_option("ID", o->ids, "Task ids to reopen (a unique prefix is enough)");
  command->add_flag("--skip", o->skip,
                    "Drop the newest changes that cannot be undone (another program changed what they did) and "
                    "undo the one before them");
  command->add_flag("--json", o->json,
                    "Print the tasks as JSON (with IDs), or {\"undone\": WHAT, \"skipped\": [WHAT: WHY...]}");
  command->callback([o, &program] {
    if (!o->ids.empty()) {
      if (o->skip) throw UsageError(tr("--skip undoes the last change, not tasks by ID"));
      program.exitCode = setCompletion(program, o->ids, false, o->json);
      return;
    }
    Session session(program.globals, HomeUse::changeExisting);
    printTakenBack(session.undo(o->skip), false, o->json);
    program.exitCode = 0;
  });

  auto r = std::make_shared<UndoOptions>();
  CLI::App* redo = app.add_subcommand("redo", "Make the change undone last again (until a new change is made)");
  redo->add_flag("--skip", r->skip,
                 "Drop the newest undone changes that cannot be redone (another program changed what they undid) "
                 "and redo the one before them");
  redo->add_flag("--json", r->json, "Print {\"redone\": WHAT, \"skipped\": [WHAT: WHY...]}");
  redo->callback([r, &program] {
    Session session(program.globals, HomeUse::changeExisting);
    printTakenBack(session.redo(r->skip), true, r->json);
    program.exitCode = 0;
  });
}

}  // namespace zarvo::app
