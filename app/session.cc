#include "app/session.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <future>

#include "app/command_error.h"
#include "zarvo/model/tag.h"
#include "zarvo/platform/dispatch.h"

namespace zarvo::app {

namespace fs = std::filesystem;

namespace {

// How long a command waits for the reminders store to answer a fetch or an access request. The
// store answers in well under a second for ten thousand tasks; this only turns a hang into an error.
constexpr auto kStoreAnswerLimit = std::chrono::seconds(120);

std::string systemError(int error) { return std::strerror(error); }

// Refuses a home that exists but cannot be read, written and searched, before anything touches it.
void checkUsable(const fs::path& home) {
  std::error_code ec;
  const fs::file_status status = fs::status(home, ec);
  if (ec && ec != std::errc::no_such_file_or_directory) {
    throw RefusedError("cannot use home '" + home.string() + "': " + ec.message());
  }
  if (!fs::exists(status)) return;
  if (!fs::is_directory(status)) throw RefusedError("home '" + home.string() + "' is not a folder");
  if (::access(home.c_str(), R_OK | W_OK | X_OK) != 0) {
    throw RefusedError("cannot use home '" + home.string() + "': " + systemError(errno));
  }
}

}  // namespace

fs::path homePath(const GlobalOptions& options) {
  if (options.home) {
    if (options.home->empty()) throw UsageError("--home needs a folder");
    return fs::path(*options.home);
  }
  if (const char* home = std::getenv("ZARVO_HOME"); home != nullptr && *home != '\0') return fs::path(home);
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && *xdg != '\0') {
    return fs::path(xdg) / "zarvo";
  }
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
    return fs::path(home) / ".local" / "share" / "zarvo";
  }
  throw UsageError("no home: set HOME, XDG_DATA_HOME or ZARVO_HOME, or pass --home");
}

// An exclusive advisory lock on <home>/lock, held for the session's life; released when the
// descriptor closes (also when the process dies).
class Session::Lock {
 public:
  explicit Lock(const fs::path& path) : fd_(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {
    if (fd_ < 0) throw RefusedError("cannot lock home: " + path.string() + ": " + systemError(errno));
    while (::flock(fd_, LOCK_EX) != 0) {
      if (errno != EINTR) {
        const int error = errno;
        ::close(fd_);
        throw RefusedError("cannot lock home: " + path.string() + ": " + systemError(error));
      }
    }
  }
  ~Lock() { ::close(fd_); }
  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;

 private:
  int fd_;
};

bool Session::exists(const GlobalOptions& options) {
  const fs::path home = homePath(options);
  std::error_code ec;
  return fs::is_directory(home / "reminders", ec) && fs::exists(home / "records.sqlite", ec) &&
         reminders::EventStore::authorizationStatusForEntityType(reminders::EntityType::reminder,
                                                                 home / "reminders") ==
             reminders::AuthorizationStatus::authorized;
}

namespace {

CalendarIO& configuredCalendarIO(const fs::path& home) {
  reminders::EventStoreOptions options;
  options.root = home / "reminders";
  // Each command is a new process: without this copy of the parsed task files, every command would
  // read and parse all of them again.
  options.fileCachePath = home / "reminders.cache";
  // A command lives for a moment and holds the home's lock: nobody else of ours writes meanwhile,
  // and a change by another program is seen by the next command.
  options.watchForChanges = false;
  CalendarIO::configureShared(options);
  return CalendarIO::shared();
}

}  // namespace

Session::Session(const GlobalOptions& options)
    : home_(homePath(options)),
      lock_([&] {
        checkUsable(home_);
        std::error_code ec;
        fs::create_directories(home_, ec);
        if (ec) throw RefusedError("cannot create home '" + home_.string() + "': " + ec.message());
        return std::make_unique<Lock>(home_ / "lock");
      }()),
      io_(configuredCalendarIO(home_)) {
  using reminders::AuthorizationStatus;
  if (io_.eventStore().root() != home_ / "reminders") {
    throw RefusedError("the reminders store is already open elsewhere in this process");
  }
  if (io_.authorizationStatus() == AuthorizationStatus::notDetermined) {
    auto answer = std::make_shared<std::promise<std::pair<bool, std::string>>>();
    io_.requestAccess([answer](bool granted, std::optional<reminders::StoreError> error) {
      answer->set_value({granted, error ? error->localizedDescription() : std::string()});
    });
    auto future = answer->get_future();
    if (future.wait_for(kStoreAnswerLimit) != std::future_status::ready) {
      throw RefusedError("the reminders store did not answer the access request");
    }
    const auto [granted, message] = future.get();
    if (!granted) {
      throw RefusedError("access to the reminders store in '" + home_.string() + "' was refused" +
                         (message.empty() ? std::string() : ": " + message));
    }
  }
  if (!io_.isAuthorized()) {
    throw RefusedError("access to the reminders store in '" + (home_ / "reminders").string() + "' is denied");
  }
  try {
    context_ = openObjectContext((home_ / "records.sqlite").string());
  } catch (const store::StoreError& e) {
    throw RefusedError(std::string("cannot open the records database: ") + e.what());
  }
  io_.setManagedContext(context_);
  io_.loadLists();
  if (auto calendar = io_.eventStore().defaultCalendarForNewReminders()) {
    io_.setDefaultList(calendar->calendarIdentifier(), std::nullopt);
  }
}

Session::~Session() {
  // Work queued for the main thread (refresh announcements) refers to the shared CalendarIO only;
  // running it here keeps nothing pending when the process leaves.
  platform::MainQueue::drain();
  // Closing the database folds its write-ahead log back into the file while the home is still
  // locked; unsaved changes (after an error) are dropped with it.
  if (context_) {
    io_.setManagedContext(nullptr);
    context_->close();
  }
}

std::shared_ptr<List> Session::requireList(const std::string& title) const {
  if (auto list = io_.list(title)) return list;
  throw UsageError("no list named '" + title + "'");
}

std::vector<std::shared_ptr<Task>> Session::fetch(const std::optional<std::vector<std::shared_ptr<List>>>& lists,
                                                  bool completedOnly) {
  auto answer = std::make_shared<std::promise<std::vector<std::shared_ptr<Task>>>>();
  io_.fetch(lists, completedOnly, [answer](const CalendarIO::TaskArray& tasks) { answer->set_value(tasks); });
  auto future = answer->get_future();
  if (future.wait_for(kStoreAnswerLimit) != std::future_status::ready) {
    throw RefusedError("the reminders store did not answer");
  }
  std::vector<std::shared_ptr<Task>> tasks = future.get();
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

std::vector<std::shared_ptr<Task>> Session::allTasks() {
  // Incomplete tasks are read last, so they carry the reminders of the store's latest state: they
  // are the ones most commands change.
  std::vector<std::shared_ptr<Task>> completed = fetch(std::nullopt, true);
  std::vector<std::shared_ptr<Task>> tasks = fetch(std::nullopt, false);
  tasks.insert(tasks.end(), completed.begin(), completed.end());
  return tasks;
}

std::optional<std::string> Session::listTitle(const Task& task) const {
  const std::string id = task.calendarId();
  for (const auto& list : io_.lists()) {
    if (auto calendar = list->calendar(); calendar && calendar->calendarIdentifier() == id) return list->title();
  }
  if (auto reminder = task.reminder(); reminder && reminder->calendar()) return reminder->calendar()->title();
  return std::nullopt;
}

std::vector<std::string> Session::tagTitles(const Task& task) const {
  // Loading each task's tags is a query per task; there are few tags, so read them from the tags.
  if (!tagIndex_) {
    tagIndex_.emplace();
    for (const auto& tag : context_->fetch<Tag>(Tag::fetchRequest())) {
      const auto title = tag->title();
      if (!title) continue;
      for (const auto& tagged : tag->tasks()) (*tagIndex_)[tagged.get()].push_back(*title);
    }
    for (auto& [_, titles] : *tagIndex_) std::sort(titles.begin(), titles.end());
  }
  const auto it = tagIndex_->find(&task);
  return it == tagIndex_->end() ? std::vector<std::string>() : it->second;
}

void Session::finish() {
  io_.commit();
  if (context_->hasChanges()) context_->save();
  platform::MainQueue::drain();
  io_.eventStore().saveFileCache();
}

}  // namespace zarvo::app
