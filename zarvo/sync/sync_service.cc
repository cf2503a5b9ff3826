#include "zarvo/sync/sync_service.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <mutex>
#include <set>
#include <utility>

#include "zarvo/platform/process.h"
#include "zarvo/platform/text.h"
#include "zarvo/reminders/event_store.h"

namespace zarvo::caldav {

namespace fs = std::filesystem;

namespace {

class SyncCategory : public std::error_category {
 public:
  const char* name() const noexcept override { return "zarvo.sync"; }
  std::string message(int code) const override {
    switch (static_cast<SyncErrc>(code)) {
      case SyncErrc::noAccount: return "no account to sync";
      case SyncErrc::unknownAccount: return "no such account";
      case SyncErrc::invalidAccount: return "the account cannot be used";
      case SyncErrc::credentialsInUrl: return "the server's URL holds a user name or password";
      case SyncErrc::accountExists: return "the account exists";
      case SyncErrc::vdirsyncerMissing: return "vdirsyncer is not installed";
      case SyncErrc::passwordUnavailable: return "the password cannot be had";
      case SyncErrc::busy: return "another sync of the home is running";
      case SyncErrc::unauthorized: return "the server refused the user name or password";
      case SyncErrc::unreachable: return "the server cannot be reached";
      case SyncErrc::timedOut: return "the server did not answer in time";
      case SyncErrc::cancelled: return "the sync was stopped";
      case SyncErrc::emptiedOnServer: return "a list was emptied on the server";
      case SyncErrc::failed: return "vdirsyncer failed";
      case SyncErrc::home: return "the home cannot be used";
      case SyncErrc::files: return "a file of the sync cannot be read or written";
    }
    return "sync error";
  }
};

Error filesProblem(std::string_view what, const fs::path& path, std::error_code ec) {
  return syncError(SyncErrc::files, std::string(what) + " '" + path.string() + "': " + ec.message());
}

// The lock a sync holds on its home's vdirsyncer folder (see sync_service.h): an flock, which goes
// with the process however it ends, on a file made once and never replaced (a lock on a replaced
// file would lock nothing).
class SyncLock {
 public:
  static Expected<std::unique_ptr<SyncLock>> take(platform::FileSystem& files, const fs::path& path) {
    platform::FileInfo info;
    if (auto ec = files.stat(path, info)) return filesProblem("cannot read", path, ec);
    if (!info.exists) {
      if (auto ec = platform::createDirectories(files, path.parent_path())) {
        return filesProblem("cannot create", path.parent_path(), ec);
      }
      fs::path temporary;
      if (auto ec = platform::prepareAtomicWrite(files, path, "", 0600, temporary)) {
        return filesProblem("cannot write", path, ec);
      }
      // Another sync may have made it meanwhile: then its file is the lock.
      const std::error_code made = files.renameNoReplace(temporary, path);
      if (made) {
        (void)files.removeFile(temporary);  // a leftover temporary name is cleaned as any other
        if (made != std::errc::file_exists) return filesProblem("cannot write", path, made);
      }
    }
    // Opened to read: taking a lock writes nothing.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return filesProblem("cannot open", path, std::error_code(errno, std::generic_category()));
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      const int error = errno;
      ::close(fd);
      if (error == EWOULDBLOCK) {
        return syncError(SyncErrc::busy, "another sync of this home is running; nothing was done");
      }
      return filesProblem("cannot lock", path, std::error_code(error, std::generic_category()));
    }
    return std::unique_ptr<SyncLock>(new SyncLock(fd));
  }
  ~SyncLock() { ::close(fd_); }
  SyncLock(const SyncLock&) = delete;
  SyncLock& operator=(const SyncLock&) = delete;

 private:
  explicit SyncLock(int fd) : fd_(fd) {}
  int fd_;
};

// vdirsyncer's folder holds the sync status (task names, list names) and the conflict copies:
// folders 0700 and files 0600, whatever made them and whenever.
void keepPrivate(platform::FileSystem& files, const fs::path& folder) {
  std::vector<platform::DirectoryEntry> entries;
  if (files.listDirectoryWithInfo(folder, entries)) return;
  for (const auto& entry : entries) {
    const fs::path path = folder / entry.name;
    if (entry.isDirectory) {
      keepPrivate(files, path);
      if ((entry.info.mode & 077) != 0) (void)files.setPermissions(path, 0700);  // best effort, as any chmod of a file we own
    } else if (entry.isRegular && (entry.info.mode & 077) != 0) {
      (void)files.setPermissions(path, 0600);
    }
  }
  platform::FileInfo self;
  if (!files.stat(folder, self) && (self.mode & 077) != 0) (void)files.setPermissions(folder, 0700);
}

std::vector<std::string> pairsOf(const std::vector<Account>& accounts, bool meta) {
  std::vector<std::string> out;
  for (const auto& a : accounts) out.push_back(meta ? a.metaPairName() : a.pairName());
  return out;
}

std::vector<std::string> namesOf(const std::vector<Account>& accounts) { return pairsOf(accounts, false); }

std::string whereIs(const Account& account) { return account.name + " at " + urlWithoutCredentials(account.url); }

// The accounts an error is about: those it names (by a list "NAME/..." or a storage "NAME_remote"),
// else all of them.
std::string whoIn(const std::vector<Account>& accounts, const std::vector<std::string>& errors) {
  std::string named, all;
  for (const auto& a : accounts) {
    all += (all.empty() ? "" : ", ") + whereIs(a);
    const bool mentioned = std::any_of(errors.begin(), errors.end(), [&](const std::string& e) {
      return e.find(a.name + "/") != std::string::npos || e.find(a.remoteStorageName()) != std::string::npos;
    });
    if (mentioned) named += (named.empty() ? "" : ", ") + whereIs(a);
  }
  return named.empty() ? all : named;
}

std::string secondsText(std::chrono::milliseconds d) {
  const auto s = std::chrono::duration_cast<std::chrono::seconds>(d).count();
  return s >= 1 ? std::to_string(s) + " s" : std::to_string(d.count()) + " ms";
}

// Why a run failed, for a person: the server, what happened, what it means here. Success when it
// did not.
Error failureOf(const SyncReport& report, const VdirsyncerRun& run, const std::vector<Account>& accounts,
                     const Vdirsyncer& vdirsyncer, const NetworkTimeouts& timeouts, const std::string& lastWords) {
  const std::string kept = "; nothing here was lost";
  const std::string who = whoIn(accounts, report.errors);
  const std::string said = report.errors.empty() ? std::string() : " (" + report.errors.front() + ")";
  if (run.process.interrupted == platform::ProcessResult::Interruption::stopped) {
    return syncError(SyncErrc::cancelled, "the sync was stopped; what was synced before is kept" + kept.substr(1));
  }
  if (run.process.interrupted == platform::ProcessResult::Interruption::silent) {
    return syncError(SyncErrc::timedOut, "the server (" + who + ") did not answer: vdirsyncer said nothing for " +
                                              secondsText(vdirsyncer.silenceLimit()) + " and was stopped" + kept);
  }
  switch (report.failure) {
    case SyncFailure::unauthorized:
      return syncError(SyncErrc::unauthorized,
                        "the server refused the user name or password (" + who + ")" + kept +
                            "; check the user name and where the password comes from");
    case SyncFailure::unreachable:
      return syncError(SyncErrc::unreachable,
                        "cannot reach the server (" + who + ")" + said + kept + "; sync again when it can be reached");
    case SyncFailure::timedOut:
      return syncError(SyncErrc::timedOut, "the server (" + who + ") did not answer within " +
                                                secondsText(timeouts.idle) + said + kept);
    case SyncFailure::dropped:
      return syncError(SyncErrc::failed, "the server (" + who + ") closed the connection before its answer was complete" +
                                              said + kept + "; sync again to pick up where this sync stopped");
    case SyncFailure::needsDiscovery:
    case SyncFailure::other:
      return syncError(SyncErrc::failed, "syncing with the server (" + who + ") failed: " +
                                              (report.errors.empty() ? std::string("vdirsyncer gave no reason")
                                                                     : report.errors.front()) +
                                              kept);
    case SyncFailure::none: break;
  }
  if (run.process.startError) {
    return syncError(SyncErrc::failed, "cannot run vdirsyncer: " + *run.process.startError + kept);
  }
  // vdirsyncer ends with status 1 when it left an emptied list alone; that is reported on its own.
  if (!report.emptied.empty() && report.errors.empty() && run.process.exitStatus == 1) return {};
  if (!run.process.succeeded()) {
    const std::string how = run.process.exitStatus ? "with status " + std::to_string(*run.process.exitStatus)
                                                   : std::string("by a signal");
    return syncError(SyncErrc::failed, "vdirsyncer ended " + how + " while syncing with the server (" + who + ")" +
                                            (lastWords.empty() ? std::string(" without saying why")
                                                               : "; the last it said: " + lastWords) +
                                            kept);
  }
  return {};
}

// What runs again after a cut. When the plan synced and every error was a cut naming a list of the
// sync, only those lists: the others are done, and a list vdirsyncer leaves alone on purpose (one
// emptied on one side) would end the run the same way again, cutting the lists that ran beside it.
// Else the whole plan.
std::vector<VdirsyncerStep> retryPlan(const std::vector<VdirsyncerStep>& plan, const SyncReport& report) {
  const auto sync = std::find_if(plan.begin(), plan.end(),
                                 [](const VdirsyncerStep& s) { return s.command == VdirsyncerStep::Command::sync; });
  if (sync == plan.end()) return plan;
  std::set<std::string> pairs;
  for (const auto& p : sync->pairs) pairs.insert(p.substr(0, p.find('/')));
  const bool onlyCutLists = std::all_of(report.errors.begin(), report.errors.end(), [](const std::string& e) {
    return failureOfError(e) == SyncFailure::dropped && e.find(" occurred for ") != std::string::npos;
  });
  std::vector<std::string> failed;
  for (const auto& list : report.lists) {
    if (!list.failed) continue;
    if (!pairs.contains(list.account)) return plan;
    failed.push_back(list.account + "/" + list.collection);
  }
  if (!onlyCutLists || failed.empty()) return plan;
  return {VdirsyncerStep{VdirsyncerStep::Command::sync, failed, sync->forceDelete}};
}

bool sameCalendar(const std::shared_ptr<List>& list, const std::string& identifier) {
  const auto calendar = list->calendar();
  return calendar && calendar->calendarIdentifier() == identifier;
}

std::string sourceIdOf(const std::shared_ptr<List>& list) {
  const auto calendar = list->calendar();
  return calendar && calendar->source() ? calendar->source()->sourceIdentifier() : std::string();
}

bool isLocal(const std::shared_ptr<List>& list) {
  const auto calendar = list->calendar();
  return calendar && calendar->source() && calendar->source()->sourceType() == reminders::SourceType::local;
}

std::optional<std::string> uidOf(const Task& task) {
  if (const auto reminder = task.reminder()) return reminder->calendarItemExternalIdentifier();
  return std::nullopt;
}

}  // namespace

const std::error_category& syncCategory() noexcept {
  static const SyncCategory category;
  return category;
}

SyncService::SyncService(SyncHome& home, SyncServiceOptions options)
    : home_(home),
      options_(std::move(options)),
      layout_(AccountsLayout::forHome(home.path())),
      accounts_(layout_, options_.fileSystem) {
  if (!options_.fileSystem) options_.fileSystem = platform::FileSystem::posix();
}

Error SyncService::addAccount(const Account& account, bool uploadLocalLists) {
  if (auto status = accounts_.check(account); !status.ok()) return status;
  Error added;
  Error opened = home_.update([&](CalendarIO&, const std::vector<std::shared_ptr<Task>>&) {
    added = accounts_.add(account);
    if (added.ok() && uploadLocalLists) added = accounts_.setUploadPending(account.name, true);
  });
  return opened.ok() ? added : opened;
}

Expected<size_t> SyncService::removeAccount(std::string_view name, bool deleteLocalLists) {
  if (!accounts_.find(name)) return syncError(SyncErrc::unknownAccount, "there is no account named '" + std::string(name) + "'");
  auto lock = SyncLock::take(*options_.fileSystem, layout_.lockFile());
  if (!lock) return lock.error();
  size_t removed = 0;
  if (deleteLocalLists) {
    // Through the store, so the lists' records and tasks go with their files.
    Error status = home_.update([&](CalendarIO& io, const std::vector<std::shared_ptr<Task>>&) {
      for (const auto& list : io.lists()) {
        if (sourceIdOf(list) != name) continue;
        io.remove(list);
        ++removed;
      }
    });
    if (!status.ok()) return status;
  }
  if (auto status = accounts_.remove(name); !status.ok()) return status;
  if (deleteLocalLists) {
    auto& files = *options_.fileSystem;
    const fs::path folder = layout_.sourceFolder(name);
    if (auto ec = files.removeFile(folder / ".source"); ec && ec != std::errc::no_such_file_or_directory) {
      return filesProblem("cannot remove", folder / ".source", ec);
    }
    // Only when nothing else is left in it: another program's files there are not ours to delete.
    (void)files.removeDirectory(folder);
  }
  return removed;
}

Expected<std::vector<LocalList>> SyncService::localLists() {
  std::vector<LocalList> out;
  Error status = home_.update([&](CalendarIO& io, const std::vector<std::shared_ptr<Task>>& tasks) {
    for (const auto& list : io.lists()) {
      if (!isLocal(list)) continue;
      LocalList local{list->title(), 0, 0};
      const std::string id = list->calendar()->calendarIdentifier();
      for (const auto& task : tasks) {
        if (task->calendarId() != id) continue;
        ++(task->isCompleted() ? local.completedTasks : local.openTasks);
      }
      out.push_back(std::move(local));
    }
  });
  if (!status.ok()) return status;
  return out;
}

namespace {

// One sync: the steps of sync_service.h, with what they share.
class SyncRun {
 public:
  SyncRun(SyncHome& home, const SyncServiceOptions& options, const Accounts& accounts, const SyncProgress& progress,
          std::stop_token stop)
      : home_(home), options_(options), accounts_(accounts), progress_(progress), stop_(std::move(stop)) {}

  SyncResult run(const SyncRequest& request);

 private:
  Error choose(const SyncRequest& request);
  Error prepare();
  void upload(CalendarIO& io, const std::vector<std::shared_ptr<Task>>& tasks, const Account& account);
  VdirsyncerRun runVdirsyncer(const std::vector<VdirsyncerStep>& steps);
  void tellFinished(const ListChanges& changes);
  void tellRemaining();
  Error refresh(bool succeeded);
  std::string title(const ListChanges& changes) const;
  std::string problemText(const SyncEvent& event) const;

  SyncHome& home_;
  const SyncServiceOptions& options_;
  const Accounts& accounts_;
  const SyncProgress& progress_;
  std::stop_token stop_;

  std::vector<Account> chosen_;
  std::vector<Account> firstUse_;
  std::optional<Vdirsyncer> vdirsyncer_;
  std::optional<SyncOutputReader> reader_;
  std::set<std::pair<std::string, std::string>> told_;  // lists already given to listSynced
  std::vector<std::string> uploadedFrom_;               // calendars of local lists moved out
  bool retryLeft_ = false;  // the run under way may be tried again
  std::string lastWords_;  // the last line vdirsyncer wrote that was no change, list or error
  SyncResult result_;
};

Error SyncRun::choose(const SyncRequest& request) {
  chosen_ = accounts_.list();
  for (const auto& name : request.accounts) {
    if (!accounts_.find(name)) return syncError(SyncErrc::unknownAccount, "there is no account named '" + name + "'");
  }
  if (!request.accounts.empty()) {
    std::erase_if(chosen_, [&](const Account& a) {
      return std::find(request.accounts.begin(), request.accounts.end(), a.name) == request.accounts.end();
    });
  }
  result_.accounts = namesOf(chosen_);
  if (chosen_.empty()) return syncError(SyncErrc::noAccount, "there is no account to sync");
  for (const auto& a : chosen_) {
    if (urlHasCredentials(a.url)) {
      return syncError(SyncErrc::credentialsInUrl,
                        "cannot sync " + a.name + ": its server's URL holds a user name or password, which would be "
                        "stored; remove the account and add it again with the URL alone");
    }
  }
  fs::path program = options_.vdirsyncer;
  if (program.empty()) {
    const auto found = Vdirsyncer::find();
    if (!found) return syncError(SyncErrc::vdirsyncerMissing, Vdirsyncer::installHint());
    program = *found;
  }
  for (const auto& a : chosen_) {
    if (auto problem = passwordProblem(a.password)) {
      return syncError(SyncErrc::passwordUnavailable, "cannot sync " + a.name + ": " + *problem);
    }
  }
  vdirsyncer_.emplace(program, accounts_.layout().configFile(), options_.timeouts, options_.skipUnchangedLists);
  reader_.emplace(chosen_);
  for (const auto& a : chosen_) {
    if (!accounts_.discoveredCollections(a.name)) firstUse_.push_back(a);
  }
  return {};
}

std::string SyncRun::title(const ListChanges& changes) const {
  std::string text;
  if (options_.fileSystem->readFile(accounts_.layout().sourceFolder(changes.account) / changes.collection / "displayname",
                                    text)) {
    return changes.collection;
  }
  text = platform::trimmed(std::string_view(text));
  return text.empty() ? changes.collection : text;
}

// vdirsyncer's error line with the server (and the list, when it names one) it is about: many of its
// lines ("Unknown error occurred: Timeout on reading data from socket") name neither.
std::string SyncRun::problemText(const SyncEvent& event) const {
  std::string text;
  if (event.list != nullptr) text.append("'").append(title(*event.list)).append("' of ");
  return text.append(whoIn(chosen_, {event.text})).append(": ").append(event.text);
}

void SyncRun::tellFinished(const ListChanges& changes) {
  // A failed list of a run that may be tried again is told after the last try.
  if (changes.failed && retryLeft_) return;
  // A list emptied on one side is told once its fate is known (after the run that empties the other).
  for (const auto& e : reader_->report().emptied) {
    if (e.account == changes.account && e.collection == changes.collection) return;
  }
  if (!told_.insert({changes.account, changes.collection}).second) return;
  if (progress_.listSynced) progress_.listSynced(ListSummary{changes, title(changes)});
}

void SyncRun::tellRemaining() {
  for (const auto& changes : reader_->report().lists) {
    if (!told_.insert({changes.account, changes.collection}).second) continue;
    if (progress_.listSynced) progress_.listSynced(ListSummary{changes, title(changes)});
  }
}

VdirsyncerRun SyncRun::runVdirsyncer(const std::vector<VdirsyncerStep>& steps) {
  std::vector<VdirsyncerStep> plan = steps;
  for (int attempt = 0;; ++attempt) {
    retryLeft_ = attempt < options_.retriesAfterACut;
    std::vector<std::string> held;  // the errors of a run that may be tried again
    const auto onEvent = [&](const SyncEvent& event) {
      if (event.kind == SyncEvent::Kind::listFinished && event.list != nullptr) tellFinished(*event.list);
      if (event.kind == SyncEvent::Kind::error && progress_.problem) {
        if (retryLeft_) {
          held.push_back(problemText(event));
        } else {
          progress_.problem(problemText(event));
        }
      }
      if (event.kind == SyncEvent::Kind::note && !platform::trimmed(std::string_view(event.text)).empty()) {
        lastWords_ = platform::trimmed(std::string_view(event.text));
      }
    };
    VdirsyncerRun run = vdirsyncer_->run(plan, *reader_, onEvent, stop_);
    keepPrivate(*options_.fileSystem, accounts_.layout().directory);
    const bool cut = std::any_of(reader_->report().errors.begin(), reader_->report().errors.end(),
                                 [](const std::string& e) { return failureOfError(e) == SyncFailure::dropped; });
    if (!retryLeft_ || !cut || stop_.stop_requested() || run.process.interrupted) {
      retryLeft_ = false;
      for (const auto& error : held) progress_.problem(error);
      for (const auto& changes : reader_->report().lists) {
        if (changes.failed) tellFinished(changes);
      }
      return run;
    }
    plan = retryPlan(plan, reader_->report());
    reader_->forgetErrors();
    if (progress_.retrying) progress_.retrying(attempt + 1);
    std::mutex pausing;
    std::condition_variable_any woken;
    std::unique_lock lock(pausing);
    woken.wait_for(lock, stop_, options_.retryPause, [] { return false; });
  }
}

// Moves this machine's local lists into `account` (see sync_service.h, step 2).
void SyncRun::upload(CalendarIO& io, const std::vector<std::shared_ptr<Task>>& tasks, const Account& account) {
  auto& store = io.eventStore();
  std::shared_ptr<reminders::Source> source;
  for (const auto& s : store.sources()) {
    if (s->sourceIdentifier() == account.name) source = s;
  }
  if (!source) return;
  // One task, one file per account: a UID the account holds already is not moved in again.
  std::set<std::string> uidsThere;
  for (const auto& task : tasks) {
    if (task->reminder() && task->reminder()->calendar() && task->reminder()->calendar()->source() &&
        task->reminder()->calendar()->source()->sourceIdentifier() == account.name) {
      if (auto uid = uidOf(*task)) uidsThere.insert(*uid);
    }
  }
  const auto defaultList = io.defaultList();
  const auto lists = io.lists();
  for (const auto& local : lists) {
    if (!isLocal(local)) continue;
    const std::string localId = local->calendar()->calendarIdentifier();
    UploadedList report{account.name, local->title(), 0, 0, false};
    std::shared_ptr<List> target;
    for (const auto& list : io.lists()) {
      if (sourceIdOf(list) == account.name && platform::equalsIgnoringCase(list->title(), local->title())) target = list;
    }
    report.joined = target != nullptr;
    if (!target) {
      auto calendar = reminders::Calendar::calendarForEntityType(reminders::EntityType::reminder, store);
      calendar->setTitle(local->title());
      calendar->setColor(local->calendar()->color());
      calendar->setSource(source);
      store.saveCalendar(calendar, true);
      io.loadLists();
      for (const auto& list : io.lists()) {
        if (sameCalendar(list, calendar->calendarIdentifier())) target = list;
      }
      if (!target) continue;
      target->setOrder(local->order());  // it takes the place of the list it replaces
    }
    for (const auto& task : tasks) {
      if (task->calendarId() != localId) continue;
      const auto uid = uidOf(*task);
      if (uid && uidsThere.contains(*uid)) {
        ++report.alreadyThere;
        continue;
      }
      io.move(task, target);
      if (uid) uidsThere.insert(*uid);
      ++report.tasks;
    }
    if (report.alreadyThere == 0) uploadedFrom_.push_back(localId);
    if (defaultList == local) {
      // New tasks keep going where the person's tasks now are.
      store.setDefaultCalendarForNewReminders(target->calendar());
      io.setDefaultList(target);
    }
    result_.uploads.push_back(report);
  }
}

Error SyncRun::prepare() {
  std::vector<Account> preparing;
  for (const auto& a : chosen_) {
    const bool first = std::any_of(firstUse_.begin(), firstUse_.end(), [&](const Account& f) { return f.name == a.name; });
    if (first || accounts_.uploadPending(a.name)) preparing.push_back(a);
  }
  if (preparing.empty()) return {};
  if (!firstUse_.empty() && progress_.findingLists) progress_.findingLists(namesOf(firstUse_));
  // The server's lists, with their titles, before anything here is matched against them.
  std::vector<std::string> pairs = pairsOf(preparing, false), meta = pairsOf(preparing, true);
  std::vector<std::string> both = pairs;
  both.insert(both.end(), meta.begin(), meta.end());
  const VdirsyncerRun found = runVdirsyncer({{VdirsyncerStep::Command::discover, both},
                                             {VdirsyncerStep::Command::metasync, meta}});
  if (auto status = failureOf(reader_->report(), found, chosen_, *vdirsyncer_, options_.timeouts, lastWords_); !status.ok()) {
    return status;
  }
  Error status = home_.update([&](CalendarIO& io, const std::vector<std::shared_ptr<Task>>& tasks) {
    for (const auto& a : preparing) {
      if (accounts_.uploadPending(a.name)) upload(io, tasks, a);
      if (!accounts_.localCollections(a.name).empty()) continue;
      // An account with no list anywhere gets one, named after it.
      for (const auto& source : io.eventStore().sources()) {
        if (source->sourceIdentifier() != a.name) continue;
        auto calendar = reminders::Calendar::calendarForEntityType(reminders::EntityType::reminder, io.eventStore());
        calendar->setTitle(a.name);
        calendar->setSource(source);
        io.eventStore().saveCalendar(calendar, true);
      }
    }
  });
  if (!status.ok()) return status;
  for (const auto& list : result_.uploads) {
    if (progress_.listUploaded) progress_.listUploaded(list);
  }
  for (const auto& a : preparing) {
    if (auto s = accounts_.setDiscoveredCollections(a.name, accounts_.localCollections(a.name)); !s.ok()) return s;
    if (auto s = accounts_.setUploadPending(a.name, false); !s.ok()) return s;
  }
  return {};
}

Error SyncRun::refresh(bool succeeded) {
  return home_.update([&](CalendarIO& io, const std::vector<std::shared_ptr<Task>>& tasks) {
    if (succeeded && !firstUse_.empty()) {
      // New tasks go to the synced account from its first sync on, unless they already go to one.
      const auto current = io.defaultList();
      const auto calendar = current ? current->calendar() : nullptr;
      if (!calendar || !calendar->source() || calendar->source()->sourceType() != reminders::SourceType::calDAV) {
        std::shared_ptr<List> pick;
        for (const auto& list : io.lists()) {
          if (sourceIdOf(list) != firstUse_.front().name) continue;
          if (!pick || (current && list->title() == current->title())) pick = list;
        }
        if (pick) {
          io.eventStore().setDefaultCalendarForNewReminders(pick->calendar());
          io.setDefaultList(pick);
          result_.newDefaultList = pick->title() + " (" + firstUse_.front().name + ")";
        }
      }
    }
    // Local lists whose tasks all moved into an account go: the account's list took their place.
    for (const auto& id : uploadedFrom_) {
      const bool holdsTasks = std::any_of(tasks.begin(), tasks.end(), [&](const auto& t) { return t->calendarId() == id; });
      if (holdsTasks) continue;
      for (const auto& list : io.lists()) {
        if (sameCalendar(list, id) && list != io.defaultList()) io.remove(list);
      }
    }
  });
}

SyncResult SyncRun::run(const SyncRequest& request) {
  if (auto status = choose(request); !status.ok()) {
    result_.status = status;
    return std::move(result_);
  }
  auto lock = SyncLock::take(*options_.fileSystem, accounts_.layout().lockFile());
  if (!lock) {
    result_.status = lock.error();
    return std::move(result_);
  }
  std::vector<std::string> resolver = options_.conflictResolver;
  if (resolver.empty()) {
    if (const auto zarvo = platform::findProgram("zarvo")) {
      resolver = {zarvo->string(), "--home", fs::absolute(home_.path()).string(), "sync-conflict"};
    }
  }
  if (auto status = accounts_.writeConfig(resolver); !status.ok()) {
    result_.status = status;
    return std::move(result_);
  }

  Error status = prepare();
  if (status.ok() && stop_.stop_requested()) {
    status = syncError(SyncErrc::cancelled, "the sync was stopped; what was synced before is kept");
  }
  if (status.ok()) {
    std::vector<std::string> pairs = pairsOf(chosen_, false), meta = pairsOf(chosen_, true);
    std::vector<std::string> both = pairs;
    both.insert(both.end(), meta.begin(), meta.end());
    // Titles and colours before tasks, so that lists new here have their titles as they sync.
    VdirsyncerRun run = runVdirsyncer({{VdirsyncerStep::Command::discover, both},
                                       {VdirsyncerStep::Command::metasync, meta},
                                       {VdirsyncerStep::Command::sync, pairs}});
    // A list emptied here was emptied by the person (its folder is here): vdirsyncer is told to
    // empty it on the server too. One emptied on the server is emptied here only when asked.
    std::vector<std::string> emptied;
    std::optional<ListChanges> emptiedThere;
    for (const auto& e : reader_->report().emptied) {
      if (e.side == Side::local || request.forceDelete) {
        emptied.push_back(e.account + "/" + e.collection);
      } else if (!emptiedThere) {
        emptiedThere = ListChanges{e.account, e.collection, {}, {}, {}, {}, false};
      }
    }
    status = failureOf(reader_->report(), run, chosen_, *vdirsyncer_, options_.timeouts, lastWords_);
    if (run.completed && !emptied.empty() && !stop_.stop_requested()) {
      run = runVdirsyncer({{VdirsyncerStep::Command::sync, emptied, true}});
      if (status.ok()) status = failureOf(reader_->report(), run, chosen_, *vdirsyncer_, options_.timeouts, lastWords_);
    }
    if (status.ok() && emptiedThere) {
      status = syncError(SyncErrc::emptiedOnServer,
                          "the list '" + title(*emptiedThere) + "' of " + emptiedThere->account +
                              " has no task left on the server, so nothing of it was synced and nothing here was "
                              "lost (a sync with forceDelete empties it here too)");
    }
  }
  tellRemaining();

  // Whatever vdirsyncer changed is read now, as if another program had changed the files.
  Error refreshed = refresh(status.ok());
  result_.status = status.ok() ? refreshed : status;
  const SyncReport& report = reader_->report();
  for (const auto& changes : report.lists) result_.lists.push_back(ListSummary{changes, title(changes)});
  result_.conflicts = report.conflictNotes;
  result_.errors = report.errors;
  return std::move(result_);
}

}  // namespace

SyncResult SyncService::sync(const SyncRequest& request, const SyncProgress& progress, std::stop_token stop) {
  return SyncRun(home_, options_, accounts_, progress, std::move(stop)).run(request);
}

}  // namespace zarvo::caldav
