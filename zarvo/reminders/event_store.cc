#include "zarvo/sync/reminders/event_store.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <map>
#include <mutex>
#include <set>
#include <thread>
#include <unordered_map>

#include "zarvo/platform/dispatch.h"
#include "zarvo/platform/log.h"
#include "zarvo/platform/notifications.h"
#include "zarvo/sync/reminders/file_cache.h"
#include "zarvo/sync/reminders/ical_file.h"

namespace zarvo::reminders {

namespace fs = std::filesystem;
using platform::FileInfo;
using platform::FileSystem;

namespace detail {

// The one place that reaches into the records' private state.
class Backend {
 public:
  static std::string& identifier(Calendar& c) { return c.identifier_; }
  static void setFromDisk(Calendar& c, std::string title, std::optional<Color> color,
                          std::shared_ptr<Source> source, bool writable) {
    // A title or colour changed in memory and not saved yet is the caller's; keep it.
    if (c.title_ == c.savedTitle_) c.title_ = title;
    if (c.color_ == c.savedColor_) c.color_ = color;
    c.savedTitle_ = std::move(title);
    c.savedColor_ = color;
    c.source_ = std::move(source);
    c.writable_ = writable;
    c.saved_ = true;
  }
  static bool saved(const Calendar& c) { return c.saved_; }
  static void markSaved(Calendar& c) {
    c.saved_ = true;
    c.savedTitle_ = c.title_;
    c.savedColor_ = c.color_;
  }
  static bool titleChanged(const Calendar& c) { return c.title_ != c.savedTitle_; }
  static bool colorChanged(const Calendar& c) { return c.color_ != c.savedColor_; }

  static std::shared_ptr<Reminder> makeReminder(const std::shared_ptr<const TodoFile>& file, size_t index,
                                                std::shared_ptr<Calendar> calendar) {
    const TodoEntry& entry = file->todos[index];
    const TodoFields& f = entry.fields;
    // A VTODO without UID still needs an identity: its file name, written as UID on the next save.
    auto r = std::make_shared<Reminder>(f.hasUid ? f.uid : file->path.stem().string());
    r->calendar_ = std::move(calendar);
    r->title_ = f.title;
    r->notes_ = f.notes;
    r->priority_ = f.priority;
    r->due_ = f.due;
    r->completed_ = f.completed;
    r->completionDate_ = f.completionDate;
    r->creationDate_ = f.creationDate;
    r->lastModified_ = f.lastModified;
    for (const AlarmValue& v : entry.alarms) {
      auto alarm = std::make_shared<Alarm>();
      alarm->absoluteDate_ = v.absolute;
      alarm->relativeOffset_ = v.relative;
      alarm->origin_ = v.origin;
      r->alarms_.push_back(std::move(alarm));
    }
    r->origin_ = file;
    r->originTodo_ = index;
    return r;
  }

  static DesiredTodo desired(const Reminder& r) {
    DesiredTodo want;
    want.uid = r.uid_;
    want.title = r.title_;
    want.notes = r.notes_;
    want.priority = r.priority_;
    want.due = r.due_;
    want.completed = r.completed_;
    want.completionDate = r.completionDate_;
    for (const auto& a : r.alarms_) want.alarms.push_back(AlarmValue{a->absoluteDate_, a->relativeOffset_, a->origin_});
    want.now = platform::Clock::currentNow();
    return want;
  }

  // After a commit: the reminder now stands for the file version just written.
  static void rebase(Reminder& r, std::shared_ptr<const TodoFile> file, size_t index) {
    const TodoEntry& entry = file->todos.at(index);
    r.creationDate_ = entry.fields.creationDate;
    r.lastModified_ = entry.fields.lastModified;
    for (size_t i = 0; i < r.alarms_.size() && i < entry.alarmOrigins.size(); ++i) {
      r.alarms_[i]->origin_ = entry.alarmOrigins[i];
    }
    r.origin_ = std::move(file);
    r.originTodo_ = index;
  }
  static void forgetOrigin(Reminder& r) { r.origin_.reset(); }

  static const std::shared_ptr<const TodoFile>& origin(const Reminder& r) { return r.origin_; }
  static size_t originTodo(const Reminder& r) { return r.originTodo_; }
};

}  // namespace detail

namespace {

using detail::Backend;
using detail::TodoFile;

const platform::Log& log() {
  static const platform::Log instance("org.zarvo.ZarvoKit", "reminders");
  return instance;
}

platform::SerialQueue& storeQueue() {
  static platform::SerialQueue queue("org.zarvo.reminders.store");
  return queue;
}

StoreError fileError(std::error_code e, const std::string& what, const fs::path& path) {
  StoreErrorCode code = StoreErrorCode::io;
  if (e == std::errc::read_only_file_system || e == std::errc::permission_denied ||
      e == std::errc::operation_not_permitted) {
    code = StoreErrorCode::readOnly;
  } else if (e == std::errc::no_such_file_or_directory) {
    code = StoreErrorCode::notFound;
  }
  return StoreError(code, "Cannot " + what + " " + path.string() + ": " + e.message());
}

std::string trimmedLine(const std::string& text) {
  size_t end = text.find_first_of("\r\n");
  std::string line = text.substr(0, end);
  while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.pop_back();
  size_t start = line.find_first_not_of(" \t");
  return start == std::string::npos ? std::string() : line.substr(start);
}

using detail::FileCache;

FileCache& fileCache() { return FileCache::shared(); }

// Reads one task file through the cache. `before` is the file's metadata as just listed. Null when
// missing or unparsable (logged once per version).
std::shared_ptr<const TodoFile> loadFile(FileSystem& fs, const fs::path& path, const FileInfo& before) {
  if (!before.exists) return nullptr;
  const std::string key = path.string();
  if (auto hit = fileCache().find(path, before)) return hit->file;
  std::string content;
  FileInfo after;
  if (auto e = fs.readFileWithInfo(path, content, after)) {
    log().error("Cannot read %{public}@: %{public}@", key, e.message());
    return nullptr;
  }
  std::string error;
  auto file = detail::parseTodoFile(path, std::move(content), after, error);
  if (!file) log().error("Skipping %{public}@, which does not parse: %{public}@", key, error);
  // Cache only a version whose metadata did not move while it was read.
  if (before.sameVersion(after)) fileCache().store(path, FileCache::Entry{after, file});
  return file;
}

std::shared_ptr<const TodoFile> loadFile(FileSystem& fs, const fs::path& path) {
  FileInfo before;
  if (fs.stat(path, before)) return nullptr;
  return loadFile(fs, path, before);
}

bool isTaskFileName(std::string_view name) {
  return name.size() > 4 && name.ends_with(".ics") && !platform::isTemporaryFileName(name);
}

std::optional<Date> dueInstant(const platform::DateComponents& c) {
  if (c.timeZone) {
    if (auto cal = platform::DateCalendar::inZone(*c.timeZone)) return cal->date(c);
  }
  return platform::DateCalendar::current().date(c);
}

// Watches the tree with inotify and calls `announce` once per quiet-terminated burst of changes.
class Watcher {
 public:
  Watcher(fs::path root, std::chrono::milliseconds delay, std::function<void()> announce)
      : root_(std::move(root)), delay_(delay), announce_(std::move(announce)) {
    inotify_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    wake_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (inotify_ < 0 || wake_ < 0) {
      log().error("Cannot watch %{public}@ for changes", root_.string());
      return;
    }
    addTree(root_, 0);
    thread_ = std::thread([this] { run(); });
  }
  ~Watcher() {
    stopping_ = true;
    trigger();
    if (thread_.joinable()) thread_.join();
    if (inotify_ >= 0) ::close(inotify_);
    if (wake_ >= 0) ::close(wake_);
  }
  // Announces a change made by this process (coalesced with the file events it causes).
  void trigger() {
    if (wake_ < 0) return;
    uint64_t one = 1;
    [[maybe_unused]] auto n = ::write(wake_, &one, sizeof one);
  }

 private:
  static constexpr uint32_t kMask = IN_CREATE | IN_DELETE | IN_MODIFY | IN_MOVED_FROM | IN_MOVED_TO |
                                    IN_CLOSE_WRITE | IN_ATTRIB | IN_DELETE_SELF | IN_ONLYDIR;

  void addTree(const fs::path& dir, int depth) {
    int wd = ::inotify_add_watch(inotify_, dir.c_str(), kMask);
    if (wd < 0) return;
    watches_[wd] = {dir, depth};
    if (depth >= 2) return;
    std::error_code e;
    for (const auto& entry : fs::directory_iterator(dir, e)) {
      if (entry.is_directory(e)) addTree(entry.path(), depth + 1);
    }
  }

  // Reads what is waiting; true when anything was.
  bool drain() {
    bool any = false;
    uint64_t count = 0;
    while (::read(wake_, &count, sizeof count) > 0) any = true;
    alignas(inotify_event) char buffer[8192];
    while (true) {
      ssize_t n = ::read(inotify_, buffer, sizeof buffer);
      if (n <= 0) break;
      any = true;
      for (ssize_t at = 0; at < n;) {
        const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
        auto it = watches_.find(event->wd);
        if (it != watches_.end()) {
          if ((event->mask & IN_ISDIR) && (event->mask & (IN_CREATE | IN_MOVED_TO)) && event->len > 0 &&
              it->second.depth < 2) {
            addTree(it->second.path / event->name, it->second.depth + 1);
          }
          if (event->mask & IN_IGNORED) watches_.erase(it);
        }
        at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      }
    }
    // The root may have been created after the handle (requestAccess).
    if (watches_.empty()) addTree(root_, 0);
    return any;
  }

  void run() {
    pollfd fds[2] = {{inotify_, POLLIN, 0}, {wake_, POLLIN, 0}};
    while (!stopping_) {
      if (::poll(fds, 2, -1) < 0 && errno != EINTR) return;
      if (stopping_) return;
      if (!drain()) continue;
      // Coalesce: wait for the tree to stay quiet for `delay_`, but announce within a second.
      auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
      while (!stopping_ && std::chrono::steady_clock::now() < deadline) {
        int ready = ::poll(fds, 2, static_cast<int>(delay_.count()));
        if (ready <= 0 || !drain()) break;
      }
      if (stopping_) return;
      announce_();
    }
  }

  struct Watch {
    fs::path path;
    int depth;
  };
  fs::path root_;
  std::chrono::milliseconds delay_;
  std::function<void()> announce_;
  int inotify_ = -1;
  int wake_ = -1;
  std::atomic<bool> stopping_{false};
  std::map<int, Watch> watches_;  // touched by the watcher thread only (and the constructor)
  std::thread thread_;
};

}  // namespace

void clearSharedFileCache() { fileCache().clear(); }

struct EventStore::Impl {
  EventStore* owner = nullptr;
  EventStoreOptions options;
  std::shared_ptr<FileSystem> fs;

  std::mutex mu;
  bool scanned = false;
  bool fileCacheLoaded = false;
  std::map<std::string, std::shared_ptr<Source>> sources;      // by folder name
  std::map<std::string, std::shared_ptr<Calendar>> calendars;  // by identifier
  struct Op {
    bool remove;
    std::shared_ptr<Reminder> reminder;
  };
  std::vector<Op> pending;

  std::unique_ptr<Watcher> watcher;

  const fs::path& root() const { return options.root; }

  // Posts the store-changed notification (through the watcher, which coalesces it with the file
  // events of the same change). Never called with `mu` held.
  void changed() {
    if (watcher) {
      watcher->trigger();
    } else {
      platform::NotificationCenter::defaultCenter().post(std::string(kEventStoreChangedNotification), owner);
    }
  }

  std::string readSmallFile(const fs::path& path) {
    std::string text;
    if (fs->readFile(path, text)) return {};
    return text;
  }

  std::string folderOf(const std::shared_ptr<Source>& source) {
    for (const auto& [folder, s] : sources) {
      if (s == source) return folder;
    }
    return {};
  }

  void scanLocked() {
    std::vector<platform::DirectoryEntry> top;
    std::set<std::string> seenCalendars;
    std::map<std::string, std::shared_ptr<Source>> freshSources;
    if (auto e = fs->listDirectory(root(), top); e && e != std::errc::no_such_file_or_directory) {
      log().error("Cannot list %{public}@: %{public}@", root().string(), e.message());
    }
    std::sort(top.begin(), top.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    for (const auto& s : top) {
      if (!s.isDirectory || s.name.starts_with('.')) continue;
      const fs::path sourceDir = root() / s.name;
      std::string identifier = s.name, title = s.name;
      SourceType type = SourceType::local;
      std::string meta = readSmallFile(sourceDir / ".source");
      for (size_t pos = 0; pos < meta.size();) {
        size_t eol = meta.find('\n', pos);
        std::string line = trimmedLine(meta.substr(pos, eol == std::string::npos ? std::string::npos : eol - pos));
        pos = eol == std::string::npos ? meta.size() : eol + 1;
        size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        if (key == "identifier" && !value.empty()) identifier = value;
        if (key == "title" && !value.empty()) title = value;
        if (key == "type") type = value == "2" ? SourceType::calDAV : value == "1" ? SourceType::exchange : SourceType::local;
      }
      auto existing = sources.find(s.name);
      std::shared_ptr<Source> source =
          existing != sources.end() && existing->second->sourceIdentifier() == identifier &&
                  existing->second->title() == title && existing->second->sourceType() == type
              ? existing->second
              : std::make_shared<Source>(identifier, title, type);
      freshSources[s.name] = source;

      std::vector<platform::DirectoryEntry> collections;
      fs->listDirectory(sourceDir, collections);
      for (const auto& c : collections) {
        if (!c.isDirectory || c.name.starts_with('.')) continue;
        const fs::path dir = sourceDir / c.name;
        const std::string id = s.name + "/" + c.name;
        std::string displayName = trimmedLine(readSmallFile(dir / "displayname"));
        auto color = Color::fromHex(trimmedLine(readSmallFile(dir / "color")));
        auto& calendar = calendars[id];
        if (!calendar) calendar = std::make_shared<Calendar>(id, EntityType::reminder);
        Backend::setFromDisk(*calendar, displayName.empty() ? c.name : displayName, color, source,
                             fs->isReadableAndWritable(dir));
        seenCalendars.insert(id);
      }
    }
    sources = std::move(freshSources);
    std::erase_if(calendars, [&](const auto& kv) { return !seenCalendars.contains(kv.first); });
    scanned = true;
  }

  void ensureScannedLocked() {
    if (!scanned) scanLocked();
  }

  void loadFileCacheLocked() {
    if (fileCacheLoaded || options.fileCachePath.empty()) return;
    fileCacheLoaded = true;
    std::string why;
    if (!fileCache().load(*fs, options.fileCachePath, root(), why)) {
      log().debug("Not using the file cache %{public}@: %{public}@", options.fileCachePath.string(), why);
    }
  }

  // The reminders of this handle's view (disk plus pending writes) in the given calendars (empty:
  // all), optionally only completed or only incomplete ones; ordered by calendar identifier, then
  // file name, then position in the file.
  std::vector<std::shared_ptr<Reminder>> collectLocked(const std::vector<std::string>& calendarIds,
                                                       std::optional<bool> completed) {
    ensureScannedLocked();
    loadFileCacheLocked();
    std::vector<std::shared_ptr<Calendar>> selected;  // in identifier order
    if (calendarIds.empty()) {
      for (const auto& [id, c] : calendars) selected.push_back(c);
    } else {
      std::set<std::string> wanted(calendarIds.begin(), calendarIds.end());
      for (const auto& id : wanted) {
        if (auto it = calendars.find(id); it != calendars.end()) selected.push_back(it->second);
      }
    }

    std::set<std::string> pendingUids;
    for (const Op& op : pending) pendingUids.insert(op.reminder->calendarItemExternalIdentifier());

    // One calendar folder: list it with each file's metadata, look every file up in the cache
    // (one lock for the folder), read and parse the files that changed, make the reminders.
    struct Job {
      fs::path path;
      FileInfo info;
      std::shared_ptr<const TodoFile> file;
    };
    auto loadCalendar = [&](const std::shared_ptr<Calendar>& calendar, std::vector<std::shared_ptr<Reminder>>& out) {
      const fs::path dir = root() / calendar->calendarIdentifier();
      std::vector<platform::DirectoryEntry> entries;
      if (auto e = fs->listDirectoryWithInfo(dir, entries)) {
        if (e != std::errc::no_such_file_or_directory) {
          log().error("Cannot list %{public}@: %{public}@", dir.string(), e.message());
        }
        return;
      }
      std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
      std::vector<Job> jobs;
      jobs.reserve(entries.size());
      std::vector<std::string> names;
      std::vector<FileInfo> infos;
      for (auto& entry : entries) {
        if (!entry.isRegular || !isTaskFileName(entry.name)) continue;
        jobs.push_back(Job{dir / entry.name, entry.info, nullptr});
        names.push_back(std::move(entry.name));
        infos.push_back(entry.info);
      }
      std::vector<std::shared_ptr<const TodoFile>> files(jobs.size());
      std::vector<size_t> misses;
      fileCache().lookUpFolder(dir, names, infos, files, misses);
      for (size_t i = 0; i < jobs.size(); ++i) jobs[i].file = std::move(files[i]);
      for (size_t i : misses) jobs[i].file = loadFile(*fs, jobs[i].path, jobs[i].info);
      out.reserve(jobs.size());
      for (const Job& job : jobs) {
        if (!job.file) continue;
        for (size_t i = 0; i < job.file->todos.size(); ++i) {
          const auto& todo = job.file->todos[i];
          if (todo.recurrenceOverride || (completed && todo.fields.completed != *completed)) continue;
          if (!pendingUids.empty()) {
            const std::string uid = todo.fields.hasUid ? todo.fields.uid : job.path.stem().string();
            if (pendingUids.contains(uid)) continue;
          }
          out.push_back(Backend::makeReminder(job.file, i, calendar));
        }
      }
    };

    // Calendars load on up to four threads (cold reads parse in parallel; warm ones stat in
    // parallel); their results join in identifier order.
    detail::prepareParser();
    std::vector<std::vector<std::shared_ptr<Reminder>>> parts(selected.size());
    std::atomic<size_t> next{0};
    auto work = [&] {
      for (size_t c; (c = next.fetch_add(1)) < selected.size();) loadCalendar(selected[c], parts[c]);
    };
    const size_t threads = std::min<size_t>({std::max(1u, std::thread::hardware_concurrency()), 4, selected.size()});
    {
      std::vector<std::jthread> workers;
      for (size_t t = 1; t < threads; ++t) workers.emplace_back(work);
      work();
    }
    std::vector<std::shared_ptr<Reminder>> found;
    for (auto& part : parts) {
      found.insert(found.end(), std::make_move_iterator(part.begin()), std::make_move_iterator(part.end()));
    }
    if (pending.empty()) return found;

    std::set<std::string> selectedIds;
    for (const auto& c : selected) selectedIds.insert(c->calendarIdentifier());
    std::map<std::string, const Op*> latest;
    for (const Op& op : pending) latest[op.reminder->calendarItemExternalIdentifier()] = &op;
    for (const auto& [uid, op] : latest) {
      const auto& r = op->reminder;
      if (op->remove || !r->calendar() || !selectedIds.contains(r->calendar()->calendarIdentifier())) continue;
      if (completed && r->isCompleted() != *completed) continue;
      found.push_back(r);
    }
    auto key = [](const std::shared_ptr<Reminder>& r) {
      const auto& origin = Backend::origin(*r);
      return std::make_tuple(r->calendar()->calendarIdentifier(),
                             origin ? origin->path.filename().string()
                                    : detail::fileNameForUid(r->calendarItemExternalIdentifier()),
                             Backend::originTodo(*r));
    };
    std::stable_sort(found.begin(), found.end(), [&](const auto& a, const auto& b) { return key(a) < key(b); });
    return found;
  }

  std::vector<std::shared_ptr<Reminder>> matching(const Predicate& p) {
    std::vector<std::shared_ptr<Reminder>> found;
    {
      std::lock_guard lock(mu);
      found = collectLocked(p.calendarIdentifiers, p.completed);
    }
    if (!p.starting && !p.ending) return found;
    std::erase_if(found, [&](const std::shared_ptr<Reminder>& r) {
      std::optional<Date> when;
      if (p.completed) {
        when = r->completionDate();
      } else if (r->dueDateComponents()) {
        when = dueInstant(*r->dueDateComponents());
      }
      return !when || (p.starting && *when < *p.starting) || (p.ending && *when > *p.ending);
    });
    return found;
  }

  void checkUnchanged(const TodoFile& origin) {
    std::string current;
    if (auto e = fs->readFile(origin.path, current)) {
      if (e == std::errc::no_such_file_or_directory) {
        throw StoreError(StoreErrorCode::conflict,
                         origin.path.string() + " was removed by another program since it was read");
      }
      throw fileError(e, "read", origin.path);
    }
    if (current != origin.content) {
      throw StoreError(StoreErrorCode::conflict,
                       origin.path.string() + " was changed by another program since it was read");
    }
  }

  fs::path freePath(const fs::path& dir, const std::string& name, const std::set<fs::path>& taken) {
    fs::path path = dir / name;
    const std::string stem = fs::path(name).stem().string();
    for (int n = 2;; ++n) {
      FileInfo info;
      fs->stat(path, info);
      if (!info.exists && !taken.contains(path)) return path;
      path = dir / (stem + "-" + std::to_string(n) + ".ics");
    }
  }

  void validate(const Reminder& r) {
    const auto& calendar = r.calendar();
    if (!calendar) {
      throw StoreError(StoreErrorCode::invalid,
                       "Reminder " + r.calendarItemExternalIdentifier() + " has no calendar");
    }
    if (!Backend::saved(*calendar) || calendar->entityType() != EntityType::reminder) {
      throw StoreError(StoreErrorCode::invalid,
                       "Calendar '" + calendar->title() + "' is not a saved reminder calendar");
    }
    if (!calendar->allowsContentModifications()) {
      throw StoreError(StoreErrorCode::readOnly, "Calendar '" + calendar->title() + "' (" +
                                                     calendar->calendarIdentifier() + ") is read-only");
    }
    if (r.priority() < 0 || r.priority() > 9) {
      throw StoreError(StoreErrorCode::invalid, "Reminder '" + r.title() + "': priority " +
                                                    std::to_string(r.priority()) + " is outside 0...9");
    }
    if (const auto& due = r.dueDateComponents()) {
      if (!due->year || !due->month || !due->day) {
        throw StoreError(StoreErrorCode::invalid, "Reminder '" + r.title() + "': a due date needs a year, month and day");
      }
      if (due->timeZone && !platform::DateCalendar::isKnownTimeZone(*due->timeZone)) {
        throw StoreError(StoreErrorCode::invalid, "Reminder '" + r.title() + "': unknown time zone " + *due->timeZone);
      }
    }
  }

  void addPending(Op op) {
    // The latest write of a task wins, whichever object (fetched once or twice) it came through.
    const std::string& uid = op.reminder->calendarItemExternalIdentifier();
    std::erase_if(pending, [&](const Op& o) {
      return o.reminder == op.reminder || o.reminder->calendarItemExternalIdentifier() == uid;
    });
    if (op.remove && !Backend::origin(*op.reminder)) return;  // never written: nothing to remove
    pending.push_back(std::move(op));
  }

  struct Plan {
    std::shared_ptr<Reminder> reminder;
    bool remove = false;
    std::shared_ptr<const TodoFile> origin;
    fs::path writePath;  // empty: nothing to write
    std::string content;
    std::optional<uint32_t> mode;
    fs::path removePath;  // empty: nothing to remove
    fs::path temporary;
    bool done = false;
  };

  // Applies the pending writes: all temporary files first, then the renames and removals, undone
  // if one of them fails. Throws with nothing changed.
  void commitLocked() {
    if (pending.empty()) return;
    std::vector<Plan> plans;
    std::set<fs::path> written;
    const std::vector<Op> ops = pending;  // a conflict drops its op from `pending` below
    for (const Op& op : ops) {
      Plan plan;
      plan.reminder = op.reminder;
      plan.remove = op.remove;
      plan.origin = Backend::origin(*op.reminder);
      const Reminder& r = *op.reminder;
      if (plan.origin) {
        try {
          checkUnchanged(*plan.origin);
        } catch (const StoreError& e) {
          // Retrying cannot succeed: the write is dropped, the caller re-reads the reminder.
          if (e.code() == StoreErrorCode::conflict) {
            std::erase_if(pending, [&](const Op& o) { return o.reminder == op.reminder; });
          }
          throw;
        }
        plan.mode = plan.origin->info.mode;
      }
      if (op.remove) {
        if (plan.origin->todos.size() > 1) {
          plan.writePath = plan.origin->path;
          plan.content = detail::removeTodo(*plan.origin, Backend::originTodo(r));
        } else {
          plan.removePath = plan.origin->path;
        }
      } else {
        validate(r);
        const fs::path dir = root() / r.calendar()->calendarIdentifier();
        const auto want = Backend::desired(r);
        if (plan.origin) {
          plan.content = detail::editTodo(*plan.origin, Backend::originTodo(r), want);
          if (plan.origin->path.parent_path() == dir) {
            plan.writePath = plan.origin->path;
          } else {
            if (plan.origin->todos.size() > 1) {
              throw StoreError(StoreErrorCode::invalid, "Cannot move one of several tasks of " +
                                                            plan.origin->path.string() + " to another calendar");
            }
            plan.writePath = freePath(dir, plan.origin->path.filename().string(), written);
            plan.removePath = plan.origin->path;
          }
        } else {
          plan.content = detail::newTodoFile(want);
          plan.writePath = freePath(dir, detail::fileNameForUid(r.calendarItemExternalIdentifier()), written);
        }
      }
      if (!plan.writePath.empty() && !written.insert(plan.writePath).second) {
        std::erase_if(pending, [&](const Op& o) { return o.reminder == op.reminder; });
        throw StoreError(StoreErrorCode::conflict,
                         "Several pending changes rewrite " + plan.writePath.string() +
                             "; the later one was dropped, commit it on its own");
      }
      plans.push_back(std::move(plan));
    }

    auto discardTemporaries = [&] {
      for (Plan& p : plans) {
        if (!p.temporary.empty() && !p.done) fs->removeFile(p.temporary);
      }
    };
    for (Plan& p : plans) {
      if (p.writePath.empty()) continue;
      if (auto e = platform::prepareAtomicWrite(*fs, p.writePath, p.content, p.mode, p.temporary)) {
        p.temporary.clear();
        discardTemporaries();
        throw fileError(e, "write", p.writePath);
      }
    }
    for (size_t i = 0; i < plans.size(); ++i) {
      Plan& p = plans[i];
      std::error_code e;
      fs::path failed;
      if (!p.writePath.empty()) {
        e = fs->rename(p.temporary, p.writePath);
        failed = p.writePath;
      }
      if (!e && !p.removePath.empty()) {
        e = fs->removeFile(p.removePath);
        failed = p.removePath;
        if (e && !p.writePath.empty()) {
          // The moved copy exists but the original could not go: take the copy back.
          fs->removeFile(p.writePath);
        }
      }
      if (e) {
        rollback(plans, i);
        discardTemporaries();
        throw fileError(e, p.remove ? "remove" : "write", failed);
      }
      p.done = true;
    }
    std::set<fs::path> dirs;
    for (const Plan& p : plans) {
      if (!p.writePath.empty()) dirs.insert(p.writePath.parent_path());
      if (!p.removePath.empty()) dirs.insert(p.removePath.parent_path());
    }
    for (const auto& d : dirs) fs->syncDirectory(d);

    for (Plan& p : plans) {
      if (!p.removePath.empty()) fileCache().erase(p.removePath);
      if (p.writePath.empty()) {
        Backend::forgetOrigin(*p.reminder);
        continue;
      }
      FileInfo info;
      fs->stat(p.writePath, info);
      std::string error;
      auto file = detail::parseTodoFile(p.writePath, p.content, info, error);
      if (!file) {
        log().error("Wrote %{public}@ but cannot read it back: %{public}@", p.writePath.string(), error);
        continue;
      }
      fileCache().store(p.writePath, FileCache::Entry{info, file});
      if (p.remove) {
        Backend::forgetOrigin(*p.reminder);
      } else {
        Backend::rebase(*p.reminder, file, p.origin ? Backend::originTodo(*p.reminder) : 0);
      }
    }
    pending.clear();
  }

  // Undoes plans [0, failedAt) (and the half-done one) so every file has its old contents again.
  void rollback(std::vector<Plan>& plans, size_t failedAt) {
    for (size_t i = 0; i < failedAt; ++i) {
      Plan& p = plans[i];
      if (p.origin) {
        if (!p.writePath.empty() && p.writePath != p.origin->path) fs->removeFile(p.writePath);
        if (auto e = platform::writeFileAtomically(*fs, p.origin->path, p.origin->content, p.origin->info.mode)) {
          log().error("Could not restore %{public}@ after a failed commit: %{public}@",
                      p.origin->path.string(), e.message());
        }
      } else if (!p.writePath.empty()) {
        fs->removeFile(p.writePath);
      }
    }
  }

  void writeMetadata(const fs::path& path, const std::optional<std::string>& value) {
    if (!value) {
      if (auto e = fs->removeFile(path); e && e != std::errc::no_such_file_or_directory) {
        throw fileError(e, "remove", path);
      }
      return;
    }
    if (auto e = platform::writeFileAtomically(*fs, path, *value + "\n")) throw fileError(e, "write", path);
  }

  std::shared_ptr<Source> localSourceLocked() {
    for (const auto& [folder, s] : sources) {
      if (s->sourceType() == SourceType::local) return s;
    }
    if (!sources.empty()) return sources.begin()->second;
    const fs::path dir = root() / "local";
    if (auto e = platform::createDirectories(*fs, dir)) throw fileError(e, "create", dir);
    writeMetadata(dir / ".source", "identifier=local\ntitle=On My Computer\ntype=0");
    auto source = std::make_shared<Source>("local", "On My Computer", SourceType::local);
    sources["local"] = source;
    return source;
  }

  void saveCalendarLocked(const std::shared_ptr<Calendar>& calendar) {
    ensureScannedLocked();
    if (calendar->entityType() != EntityType::reminder) {
      throw StoreError(StoreErrorCode::invalid, "Calendar '" + calendar->title() + "' is not a reminder calendar");
    }
    if (!Backend::saved(*calendar)) {
      auto source = calendar->source() ? calendar->source() : localSourceLocked();
      const std::string folder = folderOf(source);
      if (folder.empty()) {
        throw StoreError(StoreErrorCode::notFound, "Source '" + source->title() + "' of calendar '" +
                                                       calendar->title() + "' is not in the store");
      }
      std::string& identifier = Backend::identifier(*calendar);
      const fs::path dir = root() / folder / identifier;
      if (auto e = platform::createDirectories(*fs, dir)) throw fileError(e, "create", dir);
      writeMetadata(dir / "displayname", calendar->title());
      if (calendar->color()) writeMetadata(dir / "color", calendar->color()->hex());
      identifier = folder + "/" + identifier;
      calendar->setSource(source);
      Backend::markSaved(*calendar);
      calendars[identifier] = calendar;
      return;
    }
    const fs::path dir = root() / calendar->calendarIdentifier();
    if (!calendar->allowsContentModifications() || !fs->isReadableAndWritable(dir)) {
      throw StoreError(StoreErrorCode::readOnly, "Calendar '" + calendar->title() + "' (" +
                                                     calendar->calendarIdentifier() + ") is read-only");
    }
    if (Backend::titleChanged(*calendar)) writeMetadata(dir / "displayname", calendar->title());
    if (Backend::colorChanged(*calendar)) {
      writeMetadata(dir / "color", calendar->color() ? std::optional(calendar->color()->hex()) : std::nullopt);
    }
    Backend::markSaved(*calendar);
  }

  void removeCalendarLocked(const std::shared_ptr<Calendar>& calendar) {
    if (!Backend::saved(*calendar)) {
      throw StoreError(StoreErrorCode::notFound, "Calendar '" + calendar->title() + "' was never saved");
    }
    const fs::path dir = root() / calendar->calendarIdentifier();
    FileInfo info;
    fs->stat(dir, info);
    if (!info.exists) {
      throw StoreError(StoreErrorCode::notFound, "Calendar '" + calendar->title() + "' (" +
                                                     calendar->calendarIdentifier() + ") no longer exists");
    }
    if (!fs->isReadableAndWritable(dir)) {
      throw StoreError(StoreErrorCode::readOnly, "Calendar '" + calendar->title() + "' (" +
                                                     calendar->calendarIdentifier() + ") is read-only");
    }
    std::vector<platform::DirectoryEntry> entries;
    if (auto e = fs->listDirectory(dir, entries)) throw fileError(e, "list", dir);
    for (const auto& entry : entries) {
      if (entry.isDirectory || !isTaskFileName(entry.name)) continue;
      auto file = loadFile(*fs, dir / entry.name);
      if (!file || file->todos.empty()) continue;  // not ours to delete: events, unreadable files
      if (auto e = fs->removeFile(dir / entry.name)) throw fileError(e, "remove", dir / entry.name);
      fileCache().erase(dir / entry.name);
    }
    writeMetadata(dir / "displayname", std::nullopt);
    writeMetadata(dir / "color", std::nullopt);
    if (auto e = fs->removeDirectory(dir)) {
      log().notice("Calendar folder %{public}@ keeps files that are not tasks", dir.string());
    }
    fs->syncDirectory(dir.parent_path());
    calendars.erase(calendar->calendarIdentifier());
    std::erase_if(pending, [&](const Op& op) { return op.reminder->calendar() == calendar; });
    if (trimmedLine(readSmallFile(root() / ".default-calendar")) == calendar->calendarIdentifier()) {
      fs->removeFile(root() / ".default-calendar");
    }
  }

  // Makes the root with a local source and a default calendar "Reminders".
  void createRoot() {
    std::lock_guard lock(mu);
    if (auto e = platform::createDirectories(*fs, root())) throw fileError(e, "create", root());
    scanLocked();
    auto calendar = std::make_shared<Calendar>(detail::newUid(), EntityType::reminder);
    calendar->setTitle("Reminders");
    calendar->setSource(localSourceLocked());
    saveCalendarLocked(calendar);
    writeMetadata(root() / ".default-calendar", calendar->calendarIdentifier());
  }
};

fs::path EventStore::defaultRoot() {
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && *xdg != '\0') {
    return fs::path(xdg) / "zarvo" / "reminders";
  }
  const char* home = std::getenv("HOME");
  return fs::path(home != nullptr ? home : ".") / ".local" / "share" / "zarvo" / "reminders";
}

namespace {
AuthorizationStatus statusOf(FileSystem& fs, EntityType type, const fs::path& root) {
  if (type != EntityType::reminder) return AuthorizationStatus::denied;
  FileInfo info;
  if (fs.stat(root, info) || !info.exists) return AuthorizationStatus::notDetermined;
  return info.isDirectory && fs.isReadableAndWritable(root) ? AuthorizationStatus::authorized
                                                            : AuthorizationStatus::denied;
}
}  // namespace

EventStore::EventStore(EventStoreOptions options) : impl_(std::make_shared<Impl>()) {
  impl_->owner = this;
  if (options.root.empty()) options.root = defaultRoot();
  impl_->fs = options.fileSystem ? options.fileSystem : FileSystem::posix();
  impl_->options = std::move(options);
  if (impl_->options.watchForChanges) {
    impl_->watcher = std::make_unique<Watcher>(impl_->options.root, impl_->options.coalescingDelay, [this] {
      platform::NotificationCenter::defaultCenter().post(std::string(kEventStoreChangedNotification), this);
    });
  }
}

EventStore::~EventStore() {
  impl_->watcher.reset();  // no announcement names this handle after it is gone
  impl_->owner = nullptr;
}

AuthorizationStatus EventStore::authorizationStatusForEntityType(EntityType type, const fs::path& root) {
  return statusOf(*FileSystem::posix(), type, root);
}

AuthorizationStatus EventStore::authorizationStatus(EntityType type) const {
  return statusOf(*impl_->fs, type, impl_->root());
}

void EventStore::requestAccessToEntityType(EntityType type,
                                           std::function<void(bool, std::optional<StoreError>)> completion) {
  storeQueue().async([impl = impl_, type, completion = std::move(completion)] {
    if (type != EntityType::reminder) {
      completion(false, std::nullopt);
      return;
    }
    if (statusOf(*impl->fs, type, impl->root()) == AuthorizationStatus::notDetermined) {
      try {
        impl->createRoot();
      } catch (const StoreError& e) {
        log().error("Cannot create the reminders store: %{public}@", e.localizedDescription());
        completion(false, e);
        return;
      }
    }
    completion(statusOf(*impl->fs, type, impl->root()) == AuthorizationStatus::authorized, std::nullopt);
  });
}

const fs::path& EventStore::root() const { return impl_->root(); }

std::vector<std::shared_ptr<Source>> EventStore::sources() {
  std::lock_guard lock(impl_->mu);
  impl_->ensureScannedLocked();
  std::vector<std::shared_ptr<Source>> out;
  for (const auto& [folder, s] : impl_->sources) out.push_back(s);
  return out;
}

std::vector<std::shared_ptr<Calendar>> EventStore::calendarsForEntityType(EntityType type) {
  if (type != EntityType::reminder) return {};
  std::lock_guard lock(impl_->mu);
  impl_->ensureScannedLocked();
  std::vector<std::shared_ptr<Calendar>> out;
  for (const auto& [id, c] : impl_->calendars) out.push_back(c);
  return out;
}

std::shared_ptr<Calendar> EventStore::calendarWithIdentifier(std::string_view identifier) {
  std::lock_guard lock(impl_->mu);
  impl_->ensureScannedLocked();
  auto it = impl_->calendars.find(std::string(identifier));
  return it == impl_->calendars.end() ? nullptr : it->second;
}

std::shared_ptr<Calendar> EventStore::defaultCalendarForNewReminders() {
  std::lock_guard lock(impl_->mu);
  impl_->ensureScannedLocked();
  auto it = impl_->calendars.find(trimmedLine(impl_->readSmallFile(impl_->root() / ".default-calendar")));
  return it == impl_->calendars.end() ? nullptr : it->second;
}

void EventStore::setDefaultCalendarForNewReminders(const std::shared_ptr<Calendar>& calendar) {
  {
    std::lock_guard lock(impl_->mu);
    if (!calendar || !Backend::saved(*calendar)) {
      throw StoreError(StoreErrorCode::invalid, "Only a saved calendar can be the default");
    }
    impl_->writeMetadata(impl_->root() / ".default-calendar", calendar->calendarIdentifier());
  }
  impl_->changed();
}

void EventStore::saveCalendar(const std::shared_ptr<Calendar>& calendar, bool) {
  {
    std::lock_guard lock(impl_->mu);
    impl_->saveCalendarLocked(calendar);
  }
  impl_->changed();
}

void EventStore::removeCalendar(const std::shared_ptr<Calendar>& calendar, bool) {
  {
    std::lock_guard lock(impl_->mu);
    impl_->removeCalendarLocked(calendar);
  }
  impl_->changed();
}

void EventStore::saveReminder(const std::shared_ptr<Reminder>& reminder, bool commit) {
  {
    std::lock_guard lock(impl_->mu);
    impl_->validate(*reminder);
    impl_->addPending(Impl::Op{false, reminder});
    if (!commit) return;
    impl_->commitLocked();
  }
  impl_->changed();
}

void EventStore::removeReminder(const std::shared_ptr<Reminder>& reminder, bool commit) {
  {
    std::lock_guard lock(impl_->mu);
    if (reminder->calendar() && !reminder->calendar()->allowsContentModifications()) {
      throw StoreError(StoreErrorCode::readOnly, "Calendar '" + reminder->calendar()->title() + "' (" +
                                                     reminder->calendar()->calendarIdentifier() + ") is read-only");
    }
    impl_->addPending(Impl::Op{true, reminder});
    if (!commit) return;
    impl_->commitLocked();
  }
  impl_->changed();
}

void EventStore::commit() {
  {
    std::lock_guard lock(impl_->mu);
    if (impl_->pending.empty()) return;
    impl_->commitLocked();
  }
  impl_->changed();
}

void EventStore::refreshSourcesIfNecessary() {
  std::lock_guard lock(impl_->mu);
  impl_->scanLocked();
}

void EventStore::reset() {
  std::lock_guard lock(impl_->mu);
  impl_->calendars.clear();
  impl_->sources.clear();
  impl_->pending.clear();
  impl_->scanned = false;
}

namespace {
std::vector<std::string> identifiersOf(const std::vector<std::shared_ptr<Calendar>>& calendars) {
  std::vector<std::string> ids;
  for (const auto& c : calendars) {
    if (c) ids.push_back(c->calendarIdentifier());
  }
  return ids;
}
}  // namespace

Predicate EventStore::predicateForIncompleteReminders(std::optional<Date> dueStarting, std::optional<Date> dueEnding,
                                                      const std::vector<std::shared_ptr<Calendar>>& calendars) const {
  return Predicate{false, dueStarting, dueEnding, identifiersOf(calendars)};
}

Predicate EventStore::predicateForCompletedReminders(std::optional<Date> completionStarting,
                                                     std::optional<Date> completionEnding,
                                                     const std::vector<std::shared_ptr<Calendar>>& calendars) const {
  return Predicate{true, completionStarting, completionEnding, identifiersOf(calendars)};
}

void EventStore::fetchRemindersMatchingPredicate(
    const Predicate& predicate, std::function<void(std::vector<std::shared_ptr<Reminder>>)> completion) {
  storeQueue().async([impl = impl_, predicate, completion = std::move(completion)] {
    completion(impl->matching(predicate));
  });
}

std::vector<std::shared_ptr<Reminder>> EventStore::remindersMatchingPredicate(const Predicate& predicate) {
  return impl_->matching(predicate);
}

void EventStore::saveFileCache() {
  const fs::path& path = impl_->options.fileCachePath;
  if (path.empty()) return;
  {
    // A handle that never fetched has not merged the saved copy into memory; writing now would
    // replace that copy with the few files it wrote. The copy on disk stays valid without them.
    std::lock_guard lock(impl_->mu);
    if (!impl_->fileCacheLoaded) return;
  }
  if (auto e = fileCache().save(*impl_->fs, path, impl_->root())) {
    log().error("Cannot save the file cache %{public}@: %{public}@", path.string(), e.message());
  }
}

std::shared_ptr<Reminder> EventStore::reminderWithExternalIdentifier(std::string_view uid) {
  std::lock_guard lock(impl_->mu);
  for (auto& r : impl_->collectLocked({}, std::nullopt)) {
    if (r->calendarItemExternalIdentifier() == uid) return r;
  }
  return nullptr;
}

}  // namespace zarvo::reminders
