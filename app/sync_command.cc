// `zarvo sync [ACCOUNT...]`: syncs the home's CalDAV accounts through vdirsyncer, then reads what
// changed into the home. Also the resolver vdirsyncer runs for a task changed on both sides
// (`zarvo sync-conflict LOCAL SERVER`, not meant for people).
#include <fmt/format.h>

#include <algorithm>
#include <filesystem>
#include <iostream>

#include "app/command_error.h"
#include "app/commands.h"
#include "zarvo/platform/notifications.h"
#include "zarvo/platform/text.h"
#include "zarvo/reminders/event_store.h"
#include "zarvo/sync/caldav_accounts.h"
#include "zarvo/sync/conflict_resolution.h"
#include "zarvo/sync/vdirsyncer.h"

namespace zarvo::app {

namespace {

namespace fs = std::filesystem;
using caldav::Account;
using caldav::Accounts;
using caldav::ListChanges;
using caldav::Side;
using caldav::SyncEvent;
using caldav::SyncFailure;
using caldav::SyncOutputReader;
using caldav::Vdirsyncer;

struct SyncOptions {
  std::vector<std::string> accounts;
  bool discover = false, forceDelete = false, json = false;
};

constexpr int kLocal = static_cast<int>(Side::local), kServer = static_cast<int>(Side::server);

std::vector<std::string> pairNames(const std::vector<Account>& accounts, bool meta) {
  std::vector<std::string> out;
  for (const auto& a : accounts) out.push_back(meta ? a.metaPairName() : a.pairName());
  return out;
}

std::string plural(int n, const char* word) { return fmt::format("{} {}{}", n, word, n == 1 ? "" : "s"); }

// What a sync run tells the person as it goes, and the report it ends with.
class SyncPrinter {
 public:
  SyncPrinter(const Accounts& accounts, bool json) : accounts_(accounts), json_(json) {}

  void onEvent(const SyncEvent& event) {
    if (event.kind == SyncEvent::Kind::listStarted && event.list != nullptr) {
      finishList();
      current_ = *event.list;
    } else if (event.list != nullptr && current_ && event.list->account == current_->account &&
               event.list->collection == current_->collection) {
      current_ = *event.list;
    }
    if (event.kind == SyncEvent::Kind::error && !json_) std::cout << "  error: " << event.text << std::endl;
  }

  // Prints the line of the list being synced, once it is done.
  void finishList() {
    if (!current_) return;
    if (!json_) std::cout << "  " << listLine(*current_) << std::endl;
    current_.reset();
  }

  std::string title(const std::string& account, const std::string& collection) const {
    std::string text;
    // A title that cannot be read shows as the folder's name.
    (void)platform::FileSystem::posix()->readFile(accounts_.layout().sourceFolder(account) / collection / "displayname",
                                                  text);
    text = platform::trimmed(std::string_view(text));
    return text.empty() ? collection : text;
  }

  std::string listLine(const ListChanges& c) const {
    std::vector<std::string> parts;
    const auto add = [&](int n, const char* what, const char* where) {
      if (n > 0) parts.push_back(fmt::format("{} {} {}", n, what, where));
    };
    add(c.added[kLocal], "added", "here");
    add(c.updated[kLocal], "updated", "here");
    add(c.deleted[kLocal], "deleted", "here");
    add(c.added[kServer], "added", "on the server");
    add(c.updated[kServer], "updated", "on the server");
    add(c.deleted[kServer], "deleted", "on the server");
    if (!c.conflicts.empty()) parts.push_back(plural(static_cast<int>(c.conflicts.size()), "conflict"));
    std::string line = title(c.account, c.collection) + ": ";
    if (c.failed) return line + "failed";
    if (parts.empty()) return line + "up to date";
    for (size_t i = 0; i < parts.size(); ++i) line += (i == 0 ? "" : ", ") + parts[i];
    return line;
  }

 private:
  const Accounts& accounts_;
  bool json_;
  std::optional<ListChanges> current_;
};

// Why a run failed, for a person; empty when it did not.
std::string failureMessage(const caldav::SyncReport& report, const platform::ProcessResult& process,
                           const std::vector<Account>& accounts) {
  std::string who;
  for (const auto& a : accounts) who += (who.empty() ? "" : ", ") + a.name + " at " + a.url;
  const std::string kept = "; nothing here was lost";
  switch (report.failure) {
    case SyncFailure::unauthorized:
      return "the server refused the user name or password (" + who + ")" + kept +
             "; check the password source with 'zarvo account ls'";
    case SyncFailure::unreachable:
      return "cannot reach the server (" + who + ")" + kept + "; sync again when it can be reached";
    case SyncFailure::needsDiscovery:
    case SyncFailure::other:
      return (report.errors.empty() ? std::string("vdirsyncer failed (see above)") : report.errors.front()) + kept;
    case SyncFailure::none: break;
  }
  if (process.startError) return "cannot run vdirsyncer: " + *process.startError;
  if (!process.succeeded()) return "vdirsyncer failed (see above)" + kept;
  return "";
}

nlohmann::ordered_json sideJson(const std::array<int, 2>& counts) {
  return {{"here", counts[kLocal]}, {"server", counts[kServer]}};
}

int run(const SyncOptions& o, Program& program) {
  const fs::path home = fs::absolute(homePath(program.globals));
  Accounts accounts(caldav::AccountsLayout::forHome(home));
  std::vector<Account> chosen = accounts.list();
  for (const auto& name : o.accounts) {
    if (!accounts.find(name)) throw UsageError("there is no account named '" + name + "'");
  }
  if (!o.accounts.empty()) {
    std::erase_if(chosen, [&](const Account& a) { return std::find(o.accounts.begin(), o.accounts.end(), a.name) == o.accounts.end(); });
  }
  if (chosen.empty()) {
    throw UsageError("no account to sync; add one with 'zarvo account add NAME URL --user USER --password-env VARIABLE'");
  }
  const auto vdirsyncer = Vdirsyncer::find();
  if (!vdirsyncer) throw RefusedError(Vdirsyncer::installHint());
  for (const auto& a : chosen) {
    if (auto problem = caldav::passwordProblem(a.password)) throw RefusedError("cannot sync " + a.name + ": " + *problem);
  }

  // The home stays locked while vdirsyncer changes its files, so no other zarvo command writes then.
  Session session(program.globals);
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  accounts.writeConfig({ec ? std::string("zarvo") : self.string(), "--home", home.string(), "sync-conflict"});
  const Vdirsyncer v(*vdirsyncer, accounts.layout().configFile());
  SyncPrinter printer(accounts, o.json);
  const auto onEvent = [&](const SyncEvent& event) { printer.onEvent(event); };

  // Lists are discovered on first use, when lists were added or removed here since, and on request.
  std::vector<Account> firstUse, toDiscover;
  for (const auto& a : chosen) {
    const auto seen = accounts.discoveredCollections(a.name);
    if (!seen) firstUse.push_back(a);
    if (o.discover || !seen || *seen != accounts.localCollections(a.name)) toDiscover.push_back(a);
  }
  SyncOutputReader discoverReader(chosen);
  platform::ProcessResult process;
  const auto discover = [&](const std::vector<Account>& which) {
    if (which.empty()) return true;
    if (!o.json) std::cout << "Finding the lists of " << pairNames(which, false).front()
                           << (which.size() > 1 ? " and others" : "") << "..." << std::endl;
    process = v.discover(pairNames(which, false), discoverReader, onEvent);
    if (process.succeeded()) process = v.discover(pairNames(which, true), discoverReader, onEvent);
    if (!process.succeeded() || discoverReader.report().failure != SyncFailure::none) return false;
    for (const auto& a : which) accounts.setDiscoveredCollections(a.name, accounts.localCollections(a.name));
    return true;
  };
  bool ok = discover(toDiscover);

  // An account with no list anywhere gets one, named after the account (a title no local list has).
  if (ok) {
    std::vector<Account> created;
    auto& store = session.io().eventStore();
    for (const auto& a : firstUse) {
      if (!accounts.localCollections(a.name).empty()) continue;
      const auto sources = store.sources();
      const auto source = std::find_if(sources.begin(), sources.end(), [&](const auto& s) { return s->sourceIdentifier() == a.name; });
      if (source == sources.end()) continue;
      auto calendar = reminders::Calendar::calendarForEntityType(reminders::EntityType::reminder, store);
      calendar->setTitle(a.name);
      calendar->setSource(*source);
      store.saveCalendar(calendar, true);
      created.push_back(a);
    }
    ok = discover(created);
  }

  caldav::SyncReport report = discoverReader.report();
  if (ok) {
    // Titles and colours first, so that lists new here are shown by their titles as they sync.
    SyncOutputReader metaReader(chosen);
    process = v.metasync(pairNames(chosen, true), metaReader, {});
    SyncOutputReader reader(chosen);
    if (metaReader.report().failure != SyncFailure::needsDiscovery) {
      process = v.sync(pairNames(chosen, false), reader, onEvent);
    }
    // vdirsyncer asks for a new discovery when the configuration changed (the home moved, the
    // password changed); one more try after it.
    bool rediscovered = true;
    if (metaReader.report().failure == SyncFailure::needsDiscovery ||
        reader.report().failure == SyncFailure::needsDiscovery) {
      printer.finishList();
      rediscovered = discover(chosen);
      if (rediscovered) {
        metaReader = SyncOutputReader(chosen);
        process = v.metasync(pairNames(chosen, true), metaReader, {});
        reader = SyncOutputReader(chosen);
        process = v.sync(pairNames(chosen, false), reader, onEvent);
      }
    }
    printer.finishList();
    // A list emptied here was emptied by the person (its folder is here): vdirsyncer is told to
    // empty it on the server too. One emptied on the server is emptied here only when asked.
    std::vector<std::string> emptiedHere;
    std::string emptiedThere;
    for (const auto& e : reader.report().emptied) {
      if (e.side == Side::local || o.forceDelete) {
        emptiedHere.push_back(e.account + "/" + e.collection);
      } else if (emptiedThere.empty()) {
        emptiedThere = printer.title(e.account, e.collection);
      }
    }
    if (rediscovered && !emptiedHere.empty()) {
      SyncOutputReader forced(chosen);
      process = v.sync(emptiedHere, forced, onEvent, true);
      printer.finishList();
      caldav::SyncReport merged = reader.report();
      for (const auto& c : forced.report().lists) {
        auto same = std::find_if(merged.lists.begin(), merged.lists.end(), [&](const ListChanges& m) {
          return m.account == c.account && m.collection == c.collection;
        });
        if (same != merged.lists.end()) *same = c;
      }
      merged.errors.insert(merged.errors.end(), forced.report().errors.begin(), forced.report().errors.end());
      if (merged.failure == SyncFailure::none) merged.failure = forced.report().failure;
      reader = SyncOutputReader(chosen);
      report = merged;
    } else {
      report = reader.report();
    }
    if (!emptiedThere.empty() && report.failure == SyncFailure::none) {
      report.failure = SyncFailure::other;
      report.errors.insert(report.errors.begin(),
                           "the list '" + emptiedThere + "' has no task left on the server, so nothing of it was synced; "
                           "if it was emptied on purpose, 'zarvo sync --force-delete' empties it here too");
    }
    if (rediscovered) {
      for (const auto& error : metaReader.report().errors) report.errors.push_back(error);
      if (report.failure == SyncFailure::none) report.failure = metaReader.report().failure;
    } else {
      report = discoverReader.report();
    }
  }
  const std::string failure = failureMessage(report, process, chosen);

  // Whatever vdirsyncer changed is read now, as if another program had changed the files.
  auto& store = session.io().eventStore();
  platform::NotificationCenter::defaultCenter().post(std::string(reminders::kEventStoreChangedNotification), &store);
  session.allTasks();
  std::string newDefault;
  if (failure.empty() && !firstUse.empty()) {
    // New tasks go to the synced account from its first sync on, unless they already go to one.
    const auto current = session.io().defaultList();
    const auto calendar = current ? current->calendar() : nullptr;
    if (!calendar || !calendar->source() || calendar->source()->sourceType() != reminders::SourceType::calDAV) {
      std::shared_ptr<List> pick;
      for (const auto& list : session.lists()) {
        const auto c = list->calendar();
        if (!c || !c->source() || c->source()->sourceIdentifier() != firstUse.front().name) continue;
        if (!pick || (current && list->title() == current->title())) pick = list;
      }
      if (pick) {
        store.setDefaultCalendarForNewReminders(pick->calendar());
        session.io().setDefaultList(pick);
        newDefault = pick->title() + " (" + firstUse.front().name + ")";
      }
    }
  }
  session.finish();

  if (o.json) {
    nlohmann::ordered_json lists = nlohmann::ordered_json::array();
    for (const auto& c : report.lists) {
      lists.push_back({{"account", c.account},
                       {"list", printer.title(c.account, c.collection)},
                       {"folder", c.collection},
                       {"added", sideJson(c.added)},
                       {"updated", sideJson(c.updated)},
                       {"deleted", sideJson(c.deleted)},
                       {"conflicts", c.conflicts.size()},
                       {"failed", c.failed}});
    }
    nlohmann::ordered_json conflicts = nlohmann::ordered_json::array();
    for (const auto& n : report.conflictNotes) {
      conflicts.push_back({{"uid", n.uid}, {"kept", n.kept == Side::local ? "here" : "server"}, {"keptTitle", n.keptTitle},
                           {"otherTitle", n.otherTitle}, {"savedAt", n.savedAt}});
    }
    printJson({{"lists", lists}, {"conflicts", conflicts}, {"errors", report.errors},
               {"defaultList", newDefault.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(newDefault)}});
  } else {
    for (const auto& n : report.conflictNotes) {
      std::cout << fmt::format("Conflict: '{}' was changed here and on the server; kept {} version ('{}', changed "
                               "last), the other ('{}') is saved in {}\n",
                               n.keptTitle, n.kept == Side::local ? "this machine's" : "the server's", n.keptTitle,
                               n.otherTitle, n.savedAt);
    }
    if (!newDefault.empty()) std::cout << "New tasks now go to " << newDefault << "\n";
    if (failure.empty()) {
      int changes = 0;
      for (const auto& c : report.lists) changes += c.total();
      std::cout << fmt::format("Synced {} ({}, {})\n", pairNames(chosen, false).size() == 1 ? chosen.front().name
                                                                                              : plural(static_cast<int>(chosen.size()), "account"),
                               plural(static_cast<int>(report.lists.size()), "list"), plural(changes, "change"));
    }
  }
  if (!failure.empty()) throw RefusedError("sync failed: " + failure);
  return 0;
}

// vdirsyncer's conflict command: two files, made equal; the note goes back through vdirsyncer's output.
int resolve(const std::vector<std::string>& files, Program& program) {
  if (files.size() != 2) throw UsageError("sync-conflict takes the two versions' files");
  const auto layout = caldav::AccountsLayout::forHome(homePath(program.globals));
  try {
    const auto note = caldav::resolveConflictFiles(files[0], files[1], layout.conflictsDirectory());
    std::cout << caldav::conflictNoteLine(note) << std::endl;
  } catch (const caldav::AccountError& e) {
    throw RefusedError(e.what());
  }
  return 0;
}

}  // namespace

void registerSyncCommand(CLI::App& app, Program& program) {
  auto o = std::make_shared<SyncOptions>();
  CLI::App* sync = app.add_subcommand("sync", "Sync the CalDAV accounts (all, or those named) through vdirsyncer");
  sync->add_option("ACCOUNT", o->accounts, "Accounts to sync (default: every account)");
  sync->add_flag("--discover", o->discover, "Look for lists added or removed on the server first");
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
