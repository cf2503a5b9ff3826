// `zarvo sync [ACCOUNT...]`: syncs the home's CalDAV accounts (caldav::SyncService) and says what
// happened. Also the resolver vdirsyncer runs for a task changed on both sides
// (`zarvo sync-conflict LOCAL SERVER`, not meant for people).
#include <fmt/format.h>

#include <filesystem>
#include <iostream>

#include "app/messages.h"
#include "app/terminal_text.h"
#include "app/command_error.h"
#include "app/commands.h"
#include "zarvo/home/home_sync.h"
#include "zarvo/sync/conflict_resolution.h"
#include "zarvo/sync/sync_service.h"

namespace zarvo::app {

namespace {

namespace fs = std::filesystem;
using caldav::ListSummary;
using caldav::Side;
using caldav::SyncErrc;

constexpr int kLocal = static_cast<int>(Side::local), kServer = static_cast<int>(Side::server);

struct SyncOptions {
  std::vector<std::string> accounts;
  bool discover = false, forceDelete = false, json = false;
};

std::string listLine(const ListSummary& list) {
  const auto& c = list.changes;
  std::vector<std::string> parts;
  const auto add = [&](int n, const char* what) {
    if (n > 0) parts.push_back(fmt::format(fmt::runtime(what), n));
  };
  add(c.added[kLocal], tr("{} added here"));
  add(c.updated[kLocal], tr("{} updated here"));
  add(c.deleted[kLocal], tr("{} deleted here"));
  add(c.added[kServer], tr("{} added on the server"));
  add(c.updated[kServer], tr("{} updated on the server"));
  add(c.deleted[kServer], tr("{} deleted on the server"));
  if (!c.conflicts.empty()) parts.push_back(trnf("{} conflict", "{} conflicts", c.conflicts.size(), c.conflicts.size()));
  if (c.failed) return trf("{}: failed", shownText(list.title));
  if (parts.empty()) return trf("{}: up to date", shownText(list.title));
  std::string changes;
  for (size_t i = 0; i < parts.size(); ++i) changes += (i == 0 ? "" : tr(", ")) + parts[i];
  return shownText(list.title) + ": " + changes;
}

std::string uploadLine(const caldav::UploadedList& list) {
  std::string line = trnf("{}: {} task to upload to {}", "{}: {} tasks to upload to {}", list.tasks,
                          shownText(list.title), list.tasks, list.account);
  if (list.joined) line += trf(" (joining its list {})", shownText(list.title));
  if (list.alreadyThere > 0) line += trf(", {} already there kept here", list.alreadyThere);
  return line;
}

nlohmann::ordered_json sideJson(const std::array<int, 2>& counts) {
  return {{"here", counts[kLocal]}, {"server", counts[kServer]}};
}

// What a person is told to do about a failure, beyond what the library says.
std::string adviceFor(const Error& status) {
  if (status == SyncErrc::unauthorized) return tr(" ('zarvo account ls' shows where it comes from)");
  if (status == SyncErrc::emptiedOnServer) {
    return tr("; if it was emptied on purpose, 'zarvo sync --force-delete' empties it here too");
  }
  if (status == SyncErrc::credentialsInUrl) {
    return " ('zarvo account rm', then 'zarvo account add' with --user and one of --password-file, "
           "--password-command or --password-env)";
  }
  return "";
}

int run(const SyncOptions& o, Program& program) {
  SyncHomeAt home(fs::absolute(homePath(program.globals)), waitingHomeOptions());
  caldav::SyncService service(home, syncServiceOptions(home.path(), program.settings()));
  caldav::SyncRequest request;
  request.accounts = o.accounts;
  request.forceDelete = o.forceDelete;
  // --discover is kept for scripts: every sync looks for lists made or removed on either side now.
  return syncAndPrint(service, request, o.json);
}

// vdirsyncer's conflict command: two files, made equal; the note goes back through vdirsyncer's output.
int resolve(const std::vector<std::string>& files, Program& program) {
  if (files.size() != 2) throw UsageError("sync-conflict takes the two versions' files");
  const auto layout = caldav::AccountsLayout::forHome(homePath(program.globals));
  const auto note = caldav::resolveConflictFiles(files[0], files[1], layout.conflictsDirectory());
  if (!note) throw RefusedError(note.error().message());
  // A machine line of tab-separated fields (none holds a tab); the tabs stay tabs for the reader.
  const std::string line = caldav::conflictNoteLine(*note);
  Styled fields;
  for (size_t start = 0, tab = 0; tab != std::string::npos; start = tab + 1) {
    tab = line.find('\t', start);
    if (start > 0) fields += Styled::separator();
    fields += line.substr(start, tab == std::string::npos ? std::string::npos : tab - start);
  }
  out().line(fields);
  out().flush();
  return 0;
}

}  // namespace

HomeOptions waitingHomeOptions() {
  HomeOptions options;
  options.whileWaiting = [](const std::string& holder) {
    err().line("zarvo: " + trf("waiting for {} to finish with the home...", holder));
  };
  return options;
}

caldav::SyncServiceOptions syncServiceOptions(const fs::path& home, const Settings& settings) {
  caldav::SyncServiceOptions options = settings.syncServiceOptions();
  // This program settles conflicts (sync-conflict above), found by the path it was started from.
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  options.conflictResolver = {ec ? std::string("zarvo") : self.string(), "--home", fs::absolute(home).string(),
                              "sync-conflict"};
  return options;
}

int syncAndPrint(caldav::SyncService& service, const caldav::SyncRequest& request, bool json,
                 nlohmann::ordered_json* into) {
  caldav::SyncProgress progress;
  if (!json) {
    progress.findingLists = [](const std::vector<std::string>& accounts) {
      out().line(accounts.size() > 1 ? trf("Finding the lists of {} and others...", accounts.front())
                                     : trf("Finding the lists of {}...", accounts.front()));
      out().flush();
    };
    // Each line as it happens: a sync can take long.
    const auto say = [](const std::string& text) {
      out().line("  " + text);
      out().flush();
    };
    progress.listUploaded = [say](const caldav::UploadedList& list) { say(uploadLine(list)); };
    progress.listSynced = [say](const ListSummary& list) { say(listLine(list)); };
    progress.problem = [say](const std::string& error) { say(trf("error: {}", error)); };
    progress.retrying = [say](int) {
      say(tr("the server closed the connection before its answer was complete; trying again..."));
    };
  }
  const caldav::SyncResult result = service.sync(request, progress);
  if (result.status == SyncErrc::noAccount) {
    throw UsageError(tr("no account to sync; add one with 'zarvo account add NAME URL --user USER --password-env VARIABLE'"));
  }
  if (result.status == SyncErrc::unknownAccount) throw UsageError(result.status.message());

  if (json) {
    nlohmann::ordered_json lists = nlohmann::ordered_json::array();
    for (const auto& l : result.lists) {
      const auto& c = l.changes;
      lists.push_back({{"account", c.account},
                       {"list", l.title},
                       {"folder", c.collection},
                       {"added", sideJson(c.added)},
                       {"updated", sideJson(c.updated)},
                       {"deleted", sideJson(c.deleted)},
                       {"conflicts", c.conflicts.size()},
                       {"failed", c.failed}});
    }
    nlohmann::ordered_json conflicts = nlohmann::ordered_json::array();
    for (const auto& n : result.conflicts) {
      conflicts.push_back({{"uid", n.uid}, {"kept", n.kept == Side::local ? "here" : "server"}, {"keptTitle", n.keptTitle},
                           {"otherTitle", n.otherTitle}, {"savedAt", n.savedAt}});
    }
    nlohmann::ordered_json uploads = nlohmann::ordered_json::array();
    for (const auto& u : result.uploads) {
      uploads.push_back({{"account", u.account}, {"list", u.title}, {"tasks", u.tasks},
                         {"alreadyThere", u.alreadyThere}, {"joined", u.joined}});
    }
    nlohmann::ordered_json document = {
        {"lists", lists}, {"conflicts", conflicts}, {"uploads", uploads}, {"errors", result.errors},
        {"defaultList", result.newDefaultList ? nlohmann::ordered_json(*result.newDefaultList) : nlohmann::ordered_json()}};
    if (into != nullptr) {
      *into = std::move(document);
    } else {
      printJson(document);
    }
  } else {
    for (const auto& n : result.conflicts) {
      out().line(n.kept == Side::local
                        ? trf("Conflict: '{}' was changed here and on the server; kept this machine's version ('{}', "
                              "changed last), the other ('{}') is saved in {}",
                              n.keptTitle, n.keptTitle, n.otherTitle, n.savedAt)
                        : trf("Conflict: '{}' was changed here and on the server; kept the server's version ('{}', "
                              "changed last), the other ('{}') is saved in {}",
                              n.keptTitle, n.keptTitle, n.otherTitle, n.savedAt));
    }
    if (result.newDefaultList) out().line(trf("New tasks now go to {}", *result.newDefaultList));
    if (result.status.ok()) {
      size_t changes = 0;
      for (const auto& l : result.lists) changes += static_cast<size_t>(l.changes.total());
      const std::string accounts =
          result.accounts.size() == 1 ? result.accounts.front()
                                      : trnf("{} account", "{} accounts", result.accounts.size(), result.accounts.size());
      out().line(trf("Synced {} ({}, {})", accounts, trnf("{} list", "{} lists", result.lists.size(), result.lists.size()),
                     trnf("{} change", "{} changes", changes, changes)));
    }
  }
  if (result.status == SyncErrc::vdirsyncerMissing) throw RefusedError(result.status.message());
  if (!result.status.ok()) throw RefusedError(trf("sync failed: {}", result.status.message()) + adviceFor(result.status));
  return 0;
}

void registerSyncCommand(CLI::App& app, Program& program) {
  auto o = std::make_shared<SyncOptions>();
  CLI::App* sync = app.add_subcommand("sync", "Sync the CalDAV accounts (all, or those named) through vdirsyncer");
  sync->add_option("ACCOUNT", o->accounts, "Accounts to sync (default: every account)");
  sync->add_flag("--discover", o->discover, "Kept for scripts: every sync looks for new and removed lists");
  sync->add_flag("--force-delete", o->forceDelete, "Empty here the lists that were emptied on the server");
  sync->add_flag("--json", o->json, "Print what changed as JSON");
  sync->callback([o, &program] { program.exitCode = run(*o, program); });

  auto files = std::make_shared<std::vector<std::string>>();
  CLI::App* resolver = app.add_subcommand("sync-conflict", "");
  resolver->group("");  // run by vdirsyncer, not by people
  resolver->add_option("FILES", *files)->expected(2);
  resolver->callback([files, &program] { program.exitCode = resolve(*files, program); });
}

}  // namespace zarvo::app
