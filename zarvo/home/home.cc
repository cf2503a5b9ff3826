#include "zarvo/home/home.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <future>
#include <mutex>
#include <utility>

#include "zarvo/home/internal/home_lock.h"
#include "zarvo/home/internal/saving.h"
#include "zarvo/platform/dispatch.h"
#include "zarvo/platform/filesystem.h"
#include "zarvo/platform/log.h"
#include "zarvo/reminders/event_store.h"
#include "zarvo/store/store_error.h"

namespace zarvo {

namespace fs = std::filesystem;

namespace {

const platform::Log& storeLog() {
  static const platform::Log instance("org.zarvo.ZarvoKit", "home");
  return instance;
}

const char* environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? value : nullptr;
}

Error failure(std::errc code, std::string description) {
  return Error(std::make_error_code(code), std::move(description));
}

// Refuses a home that exists but cannot be read, written (when opened to write) and searched, before
// anything touches it.
Error checkUsable(platform::FileSystem& fileSystem, const fs::path& home, HomeAccess access) {
  platform::FileInfo info;
  if (Error e = fileSystem.stat(home, info)) return Error(e, "cannot use home '" + home.string() + "': " + e.message());
  if (!info.exists) return {};
  if (!info.isDirectory) return failure(std::errc::not_a_directory, "home '" + home.string() + "' is not a folder");
  if (::access(home.c_str(), access == HomeAccess::write ? R_OK | W_OK | X_OK : R_OK | X_OK) != 0) {
    const int error = errno;
    return Error(std::error_code(error, std::generic_category()),
                 "cannot use home '" + home.string() + "': " + std::strerror(error));
  }
  return {};
}

// Every folder and file below `folder`, symbolic links aside (their targets may be anywhere), loses the
// group's and others' permission bits; the owner's stay. Answers the number that could not be changed.
int tightenTree(platform::FileSystem& fileSystem, const fs::path& folder, int depth) {
  std::vector<platform::DirectoryEntry> entries;
  if (depth > 8 || fileSystem.listDirectoryWithInfo(folder, entries)) return 0;
  int failed = 0;
  for (const auto& entry : entries) {
    const fs::path path = folder / entry.name;
    fs::path resolved;
    if (!entry.info.exists || fileSystem.resolveLinks(path, resolved) || resolved != path) continue;
    if ((entry.info.mode & 077) != 0 && fileSystem.setPermissions(path, entry.info.mode & 0700)) ++failed;
    if (entry.isDirectory) failed += tightenTree(fileSystem, path, depth + 1);
  }
  return failed;
}

// The marker of a home whose every file has been made private once (see keepPrivate).
constexpr std::string_view kTightenedMarker = ".private";

// The home and what it holds are its user's alone (the history keeps deleted tasks' bytes, the task
// files a person's plans): folders 0700, the home's own files 0600. An existing home is tightened when
// it is opened to write: its own files on every such open (a few stats), everything else in it (task
// files, list names, the history's entries) by one walk that leaves a marker behind, and again when
// the home's folder is found open to others (a copy restored from a backup, a `chmod -R`). A file
// another program makes inside later is private through the home's folders.
void keepPrivate(platform::FileSystem& fileSystem, const fs::path& home) {
  const std::pair<fs::path, uint32_t> kPrivate[] = {
      {home, 0700},
      {home / "reminders", 0700},
      {home / "lock", 0600},
      {home / "records.sqlite", 0600},
      {home / "records.sqlite-wal", 0600},
      {home / "records.sqlite-shm", 0600},
      {home / "reminders.cache", 0600},
      {home / "history", 0700},
      {home / "journal.retired", 0700},  // an older version's undo journal, with deleted tasks' bytes
  };
  bool loosened = false;  // the home's folder was open to others
  for (const auto& [path, mode] : kPrivate) {
    platform::FileInfo info;
    if (fileSystem.stat(path, info) || !info.exists || (info.mode & 0777) == mode) continue;
    if (path == home && (info.mode & 077) != 0) loosened = true;
    if (Error e = fileSystem.setPermissions(path, mode)) {
      // Not fatal: a home on a file system without permissions (or of another owner) still works.
      storeLog().error("Cannot make %{public}@ private: %{public}@", path.string(), e.message());
    }
  }
  platform::FileInfo marker;
  if (fileSystem.stat(home / kTightenedMarker, marker) || (marker.exists && !loosened)) return;
  if (const int failed = tightenTree(fileSystem, home, 0)) {
    // Reported once: the marker is written all the same, so that no later command walks the home again.
    storeLog().error("Cannot make %d files or folders in %{public}@ private", failed, home.string());
  }
  if (Error e = platform::writeFileAtomically(
          fileSystem, home / kTightenedMarker, "Every file here was made private to its owner once; new ones are made so.\n",
          0600)) {
    storeLog().error("Cannot write %{public}@: %{public}@", (home / kTightenedMarker).string(), e.message());
  }
}

// An older zarvo kept its undo journal in "journal/", in a form the history cannot undo safely (its
// entries named files by path and compared no digests). Nothing of it is dropped: the folder is set
// aside once, as "journal.retired" (or "journal.retired.N" when that is taken), and the log says so.
void retireOldJournal(platform::FileSystem& fileSystem, const fs::path& home) {
  const fs::path journal = home / "journal";
  platform::FileInfo info;
  if (fileSystem.stat(journal, info) || !info.exists) return;
  for (int n = 0; n < 100; ++n) {
    const fs::path aside = home / (n == 0 ? std::string("journal.retired") : "journal.retired." + std::to_string(n));
    const Error e = fileSystem.renameNoReplace(journal, aside);
    if (e == std::errc::file_exists) continue;
    if (e) {
      storeLog().error("Cannot set aside the undo journal of an older zarvo, %{public}@: %{public}@", journal.string(),
                       e.message());
      return;
    }
    (void)fileSystem.syncDirectory(home);  // best effort: a journal that comes back is set aside again
    storeLog().notice("The undo journal of an older zarvo cannot be undone by this one; it is kept, unchanged, as "
                      "%{public}@",
                      aside.string());
    return;
  }
}

// Whether this process cannot write `path` (a read-only mount, a folder without write permission).
bool unwritable(const fs::path& path) { return ::access(path.c_str(), W_OK) != 0 && (errno == EROFS || errno == EACCES); }

}  // namespace

// The store's write observer is set before the home's history exists (the history is armed once the
// home is open): it reaches the history through here.
class Home::HistoryRoute {
 public:
  void attach(History* history) {
    std::lock_guard lock(mu_);
    current_ = history;
  }
  Error beforeWriting(const std::vector<reminders::FileChange>& changes) {
    std::lock_guard lock(mu_);
    return current_ ? current_->beforeWriting(changes) : Error();
  }

 private:
  std::mutex mu_;
  History* current_ = nullptr;
};

namespace {

// The home's own CalendarIO, over its reminders store.
std::unique_ptr<CalendarIO> calendarIOFor(const fs::path& home, const HomeOptions& homeOptions,
                                          const std::shared_ptr<platform::FileSystem>& fileSystem,
                                          const std::shared_ptr<Home::HistoryRoute>& route) {
  reminders::EventStoreOptions options;
  options.root = home / "reminders";
  options.fileSystem = fileSystem;
  options.beforeWriting = [route](const std::vector<reminders::FileChange>& changes) {
    return route->beforeWriting(changes);
  };
  // Reading needs no write access: a reader of a home it cannot change opens the store read-only.
  options.readOnly = homeOptions.access == HomeAccess::read && unwritable(options.root);
  // A program that opens a home often (a command-line one, a process per command) would otherwise
  // read and parse every task file each time.
  options.fileCachePath = home / "reminders.cache";
  options.watchForChanges = homeOptions.watchForChanges;
  // The task files change only in save(), together with the records.
  options.holdCommits = true;
  return CalendarIO::make(std::move(options));
}

// Waits for an answer the reminders store gives on its own thread.
template <class T>
Expected<T> awaitAnswer(std::future<T> future, std::chrono::seconds limit, const std::string& silence) {
  if (future.wait_for(limit) != std::future_status::ready) return failure(std::errc::timed_out, silence);
  return future.get();
}

}  // namespace

std::optional<fs::path> Home::defaultPath() {
  if (const char* home = environment("ZARVO_HOME")) return fs::path(home);
  if (const char* xdg = environment("XDG_DATA_HOME")) return fs::path(xdg) / "zarvo";
  if (const char* home = environment("HOME")) return fs::path(home) / ".local" / "share" / "zarvo";
  return std::nullopt;
}

bool Home::exists(const fs::path& path) {
  std::error_code ec;
  if (!fs::is_directory(path / "reminders", ec) || !fs::exists(path / "records.sqlite", ec)) return false;
  // A home this user may only read is still a home: readers open it read-only, writers are refused
  // when they open it, naming the home.
  return reminders::EventStore::authorizationStatusForEntityType(reminders::EntityType::reminder,
                                                                 path / "reminders") ==
             reminders::AuthorizationStatus::authorized ||
         ::access((path / "reminders").c_str(), R_OK | X_OK) == 0;
}

std::shared_ptr<platform::FileSystem> HomeOptions::fileSystemOrDefault() const {
  return fileSystem ? fileSystem : platform::FileSystem::posix();
}

Expected<std::unique_ptr<Home>> Home::open(fs::path path, HomeOptions options) {
  std::shared_ptr<platform::FileSystem> fileSystem = options.fileSystemOrDefault();
  if (Error e = checkUsable(*fileSystem, path, options.access)) return e;
  if (!options.createIfMissing && !exists(path)) {
    return failure(std::errc::no_such_file_or_directory,
                   "no home at '" + path.string() + "' (a command that adds something makes it)");
  }
  platform::FileInfo info;
  if (Error e = fileSystem->stat(path, info); !e && !info.exists) {
    e = platform::createDirectories(*fileSystem, path);
    if (!e) e = fileSystem->setPermissions(path, 0700);
    if (e) return Error(e, "cannot create home '" + path.string() + "': " + e.message());
  }
  auto lock = detail::HomeLock::acquire(
      *fileSystem, path / "lock",
      options.access == HomeAccess::write ? detail::HomeLock::Kind::exclusive : detail::HomeLock::Kind::shared,
      options.lockPatience, options.whileWaiting);
  if (!lock) return lock.error();
  auto route = std::make_shared<HistoryRoute>();
  auto io = calendarIOFor(path, options, fileSystem, route);
  std::unique_ptr<Home> home(new Home(std::move(path), std::move(options), std::move(fileSystem), std::move(*lock),
                                      std::move(route), std::move(io)));
  if (Error e = home->openStores()) return e;
  return home;
}

Home::Home(fs::path path, HomeOptions options, std::shared_ptr<platform::FileSystem> fileSystem,
           std::unique_ptr<detail::HomeLock> lock, std::shared_ptr<HistoryRoute> route,
           std::unique_ptr<CalendarIO> io)
    : path_(std::move(path)),
      options_(std::move(options)),
      fileSystem_(std::move(fileSystem)),
      lock_(std::move(lock)),
      route_(std::move(route)),
      ownedIo_(std::move(io)),
      io_(*ownedIo_) {}

Error Home::openStores() {
  using reminders::AuthorizationStatus;
  if (io_.authorizationStatus() == AuthorizationStatus::notDetermined) {
    auto answer = std::make_shared<std::promise<std::pair<bool, std::string>>>();
    io_.requestAccess([answer](bool granted, std::optional<reminders::StoreError> error) {
      answer->set_value({granted, error ? error->localizedDescription() : std::string()});
    });
    const auto reply = awaitAnswer(answer->get_future(), options_.storeAnswerLimit,
                                   "the reminders store did not answer the access request");
    if (!reply) return reply.error();
    if (const auto& [granted, message] = *reply; !granted) {
      return failure(std::errc::permission_denied, "access to the reminders store in '" + path_.string() +
                                                       "' was refused" + (message.empty() ? std::string() : ": " + message));
    }
  }
  if (!io_.isAuthorized()) {
    return failure(std::errc::permission_denied,
                   "access to the reminders store in '" + (path_ / "reminders").string() + "' is denied");
  }
  try {
    const fs::path records = path_ / "records.sqlite";
    // A reader of a home it cannot write reads the records as they are; its own (a refresh's) are
    // dropped at save, and the next process that can write makes them.
    const bool readOnly = options_.access == HomeAccess::read && fs::exists(records) &&
                          (unwritable(path_) || unwritable(records));
    context_ = openObjectContext(records.string(), readOnly);
  } catch (const store::StoreError& e) {
    return failure(std::errc::io_error, std::string("cannot open the records database: ") + e.what());
  }
  if (options_.access == HomeAccess::write) {
    retireOldJournal(*fileSystem_, path_);
    keepPrivate(*fileSystem_, path_);
  }
  io_.setManagedContext(context_);
  io_.setCarriesRecordFields(true);
  io_.loadLists();
  if (auto calendar = io_.eventStore().defaultCalendarForNewReminders()) {
    io_.setDefaultList(calendar->calendarIdentifier(), std::nullopt);
  }
  if (options_.access == HomeAccess::write && options_.keepHistory) {
    // Armed once the home is open: making it, and the store's cleaning up after crashed processes
    // when it first reads, are no changes to undo.
    history_ = std::make_unique<History>(path_ / "history", path_ / "reminders", fileSystem_, options_.history);
    history_->removeLeftovers();
    route_->attach(history_.get());
  }
  return {};
}

Home::~Home() {
  route_->attach(nullptr);
  // Work queued for the main thread (refresh announcements) is run while the home's CalendarIO
  // still lives, so nothing of this home is pending when it closes.
  platform::MainQueue::drain();
  // Closing the database folds its write-ahead log back into the file while the home is still
  // locked; unsaved changes (after an error) are dropped with it.
  if (context_) {
    io_.setManagedContext(nullptr);
    context_->close();
  }
  // The CalendarIO waits for its background work, then goes before the lock is released.
  ownedIo_.reset();
  platform::MainQueue::drain();
}

Expected<std::vector<std::shared_ptr<Task>>> Home::fetchTasks(
    const std::optional<std::vector<std::shared_ptr<List>>>& lists, bool completedOnly) {
  auto answer = std::make_shared<std::promise<std::vector<std::shared_ptr<Task>>>>();
  io_.fetch(lists, completedOnly, [answer](const CalendarIO::TaskArray& tasks) { answer->set_value(tasks); });
  auto fetched = awaitAnswer(answer->get_future(), options_.storeAnswerLimit, "the reminders store did not answer");
  if (!fetched) return fetched.error();
  std::vector<std::shared_ptr<Task>> tasks = std::move(*fetched);
  // A fresh cache answers with every task it holds; keep only the lists asked for.
  if (lists) {
    std::vector<std::string> ids;
    for (const auto& list : *lists) {
      if (auto calendar = list->calendar()) ids.push_back(calendar->calendarIdentifier());
    }
    std::erase_if(tasks, [&](const std::shared_ptr<Task>& task) {
      return std::find(ids.begin(), ids.end(), task->calendarId()) == ids.end();
    });
  }
  return tasks;
}

// Records and files change together. The order:
// 1. The records' transaction opens and takes their rows (prepareSave): a records database that is
//    locked by another process, full, or in conflict fails here, before any task file changes.
// 2. The task files are put in place, their previous versions kept aside (commitWith).
// 3. The records commit, inside commitWith: when that fails, every task file gets its previous
//    version back; when step 2 fails, the records' transaction rolls back.
// 4. The previous versions go.
// Files before records, because the files are the master copy and the side a refresh repairs: a crash
// between 2 and 3 leaves task files ahead of their records, and the next refresh gives a file without
// a record a new one (and a record whose file is gone is pruned), never a task shown twice or lost.
void saveTogether(CalendarIO& io, store::ObjectContext& context, History* history, std::string_view description,
                  const std::function<void()>& atRecordsCommit) {
  // Pruning reads every task and record, so it runs only in a process whose reads found task files
  // gone (a reader's prune is as best effort as the rest of its save).
  if (io.eventStore().foundFilesGone()) io.pruneOrphanedTasks();
  if (history) history->beginSave(description, context);
  bool committed = false;
  try {
    auto records = context.prepareSave();
    io.eventStore().commitWith([&] {
      // The history hears of the files before they change (the store's write observer); the
      // records' part of the change is kept before they commit.
      if (history) {
        if (Error e = history->beforeRecordsCommit()) throw reminders::StoreError(reminders::StoreErrorCode::io, e.message());
      }
      if (atRecordsCommit) atRecordsCommit();
      records->commit();
    });
    committed = true;
  } catch (...) {
    if (history) history->endSave(false);
    throw;
  }
  if (history) history->endSave(committed);
}

void Home::save(std::string_view description) {
  try {
    saveTogether(io_, *context_, history_.get(), description);
  } catch (const store::StoreError& e) {
    if (options_.access == HomeAccess::write) throw;
    // A reader's records are only those its refresh made; the next process makes them again.
    storeLog().error("Cannot save the records while reading: %{public}@", e.what());
    context_->rollback();
  } catch (const reminders::StoreError& e) {
    if (options_.access == HomeAccess::write) throw;
    storeLog().error("Cannot save while reading: %{public}@", e.what());
  }
  platform::MainQueue::drain();
  io_.eventStore().saveFileCache();
}

std::vector<reminders::SkippedFile> Home::skippedFiles() const { return io_.eventStore().skippedFiles(); }

Expected<Home::ListRemoval> Home::listRemovalOf(const std::shared_ptr<List>& list) {
  auto completed = fetchTasks(std::vector<std::shared_ptr<List>>{list}, true);
  if (!completed) return completed.error();
  auto open = fetchTasks(std::vector<std::shared_ptr<List>>{list}, false);
  if (!open) return open.error();
  return ListRemoval{open->size(), completed->size()};
}

Expected<Home::ListRemoval> Home::removeList(const std::shared_ptr<List>& list, std::string_view description) {
  auto completed = fetchTasks(std::vector<std::shared_ptr<List>>{list}, true);
  if (!completed) return completed.error();
  // Read last, so that the cache the removal clears holds this list's open tasks: removing the list
  // deletes the records of the cached tasks only.
  auto open = fetchTasks(std::vector<std::shared_ptr<List>>{list}, false);
  if (!open) return open.error();
  // The completed ones' records would outlive their tasks otherwise; their deletion is saved in the
  // same save as the list's removal, so it happens only together with it.
  for (const auto& task : *completed) context_->deleteObject(task);
  const std::string title = list->title();
  io_.remove(list);
  save(description.empty() ? "list-rm '" + title + "'" : description);
  return ListRemoval{open->size(), completed->size()};
}

Error saveReportingErrors(const std::function<void()>& save) {
  try {
    save();
    return {};
  } catch (const zarvo::StoreError& e) {
    return Error(std::make_error_code(std::errc::io_error), e.what());
  }
}

History::Host Home::historyHost() {
  return History::Host{io_, context_,
                       [this]() -> Expected<std::vector<std::shared_ptr<Task>>> {
                         // Completed ones first: the incomplete ones, read last, carry the store's latest state.
                         auto tasks = fetchTasks(std::nullopt, true);
                         if (!tasks) return tasks;
                         auto open = fetchTasks(std::nullopt, false);
                         if (!open) return open;
                         tasks->insert(tasks->end(), open->begin(), open->end());
                         return tasks;
                       },
                       [this]() { return saveReportingErrors([this] { save(); }); }};
}

Error Home::noHistory() const {
  return Error(std::make_error_code(std::errc::read_only_file_system),
               options_.access == HomeAccess::read ? "the home is open only to read" : "the home keeps no history here");
}

Expected<UndoResult> Home::undoLastChange(bool skipChanged) {
  if (!history_) return noHistory();
  return history_->undoLast(historyHost(), skipChanged);
}

Expected<UndoResult> Home::redoLastChange(bool skipChanged) {
  if (!history_) return noHistory();
  return history_->redoLast(historyHost(), skipChanged);
}

Home::HistoryDescriptions Home::historyDescriptions() const {
  // A home opened to read keeps no History of its own: one made here only reads.
  std::unique_ptr<History> reader;
  const History* history = history_.get();
  if (!history) {
    reader = std::make_unique<History>(path_ / "history", path_ / "reminders", fileSystem_, options_.history);
    history = reader.get();
  }
  HistoryDescriptions out;
  if (auto undoable = history->descriptions()) out.undoable = std::move(*undoable);
  if (auto redoable = history->redoDescriptions()) out.redoable = std::move(*redoable);
  return out;
}

}  // namespace zarvo
