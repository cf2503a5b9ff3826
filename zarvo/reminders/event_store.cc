#include "zarvo/reminders/event_store.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <map>
#include <mutex>
#include <set>
#include <tuple>
#include <unordered_map>
#include <unordered_set>

#include "zarvo/platform/dispatch.h"
#include "zarvo/platform/notifications.h"
#include "zarvo/reminders/internal/backend.h"
#include "zarvo/reminders/internal/commit_plan.h"
#include "zarvo/reminders/internal/file_cache.h"
#include "zarvo/reminders/internal/folder_name.h"
#include "zarvo/reminders/internal/ical_file.h"
#include "zarvo/reminders/internal/parallel.h"
#include "zarvo/reminders/internal/uid_owners.h"
#include "zarvo/reminders/internal/vdir.h"
#include "zarvo/reminders/naming.h"

namespace zarvo::reminders {

namespace fs = std::filesystem;
using platform::FileInfo;
using platform::FileSystem;

namespace {

using detail::Backend;
using detail::fileError;
using detail::PendingWrite;
using detail::readSmallFile;
using detail::trimmedLine;

const platform::Log& log() { return detail::storeLog(); }

platform::SerialQueue& storeQueue() {
  static platform::SerialQueue queue("org.zarvo.reminders.store");
  return queue;
}

std::optional<Date> dueInstant(const platform::DateComponents& c) {
  if (c.timeZone) {
    if (auto cal = platform::DateCalendar::inZone(*c.timeZone)) return cal->date(c);
  }
  return platform::DateCalendar::current().date(c);
}

}  // namespace

void clearSharedFileCache() { detail::FileCache::shared().clear(); }

struct EventStore::Impl {
  EventStore* owner = nullptr;
  EventStoreOptions options;
  std::shared_ptr<FileSystem> fs;

  std::mutex mu;
  bool scanned = false;
  bool fileCacheLoaded = false;
  std::map<std::string, std::shared_ptr<Source>> sources;      // by folder name
  std::map<std::string, std::shared_ptr<Calendar>> calendars;  // by identifier
  std::vector<PendingWrite> pending;
  bool recovered = false;
  std::map<fs::path, std::string> skipped;  // files fetches left out, and why

  std::unique_ptr<FileWatcher> watcher;
  // The next read checks every task file (setCompletedTaskFilesCheckInterval): set when the watcher
  // saw a change and by checkEveryFileAtNextRead.
  std::atomic<bool> checkEveryFileNext{false};

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

  std::string folderOf(const std::shared_ptr<Source>& source) {
    for (const auto& [folder, s] : sources) {
      if (s == source) return folder;
    }
    return {};
  }

  void scanLocked() {
    detail::scanTree(*fs, root(), sources, calendars, options.readOnly);
    scanned = true;
  }

  void ensureScannedLocked() {
    if (!recovered) {
      // Once per handle, before anything is read: what crashed processes left behind. The saved
      // file cache first: its folder states spare listing the folders that hold no leftovers.
      loadFileCacheLocked();
      recovered = true;
      if (!options.readOnly && fs->isReadableAndWritable(root())) detail::recoverLeftovers(*fs, root());
    }
    if (!scanned) scanLocked();
  }

  void loadFileCacheLocked() {
    if (fileCacheLoaded || options.fileCachePath.empty()) return;
    fileCacheLoaded = true;
    std::string why;
    if (!detail::FileCache::shared().load(*fs, options.fileCachePath, root(), why)) {
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
    for (const PendingWrite& op : pending) pendingUids.insert(op.reminder->calendarItemExternalIdentifier());

    // Calendars load on up to four threads (cold reads parse in parallel; warm ones stat in
    // parallel); their results join in identifier order. libical is set up by the first file parsed
    // (utcZone), not here: a read that takes every file from the saved copy parses none.
    // Cleared before the folders are read: a change announced while they are read checks them again.
    const bool checkEveryFile = checkEveryFileNext.exchange(false);
    if (checkEveryFile) log().debug("Checking every task file at this read");
    std::vector<std::vector<std::shared_ptr<Reminder>>> parts(selected.size());
    std::vector<detail::FolderReport> reports(selected.size());
    auto& cache = detail::FileCache::shared();
    std::vector<std::string> folders;
    std::vector<uint64_t> changes;  // of each folder's entries, before it is read
    folders.reserve(selected.size());
    for (const auto& c : selected) {
      folders.push_back((root() / c->calendarIdentifier()).native());
      changes.push_back(cache.changesOf(folders.back()));
    }
    detail::forEachIndexInParallel(selected.size(), 4, [&](size_t c) {
      detail::loadCalendarFolder(*fs, root(), selected[c], completed, pendingUids, checkEveryFile,
                                 /*allowPartial=*/true, parts[c], reports[c]);
    });
    // Which files repeat another's UID was decided before, and holds while every folder's files are
    // the same (its key): then the folders may have skipped their files of completed tasks.
    // Otherwise every UID is compared, so the folders that skipped some are read whole.
    auto keysOf = [&]() -> std::optional<std::vector<detail::FileCache::FolderKey>> {
      std::vector<detail::FileCache::FolderKey> keys;
      for (const auto& report : reports) {
        if (!report.key) return std::nullopt;
        keys.push_back(*report.key);
      }
      return keys;
    };
    const auto keys = keysOf();
    auto verdict = keys ? cache.duplicateVerdict(folders, *keys) : std::nullopt;
    if (!verdict) {
      std::vector<size_t> partial;
      for (size_t c = 0; c < selected.size(); ++c) {
        if (reports[c].partial) partial.push_back(c);
      }
      detail::forEachIndexInParallel(partial.size(), 4, [&](size_t k) {
        const size_t c = partial[k];
        parts[c].clear();
        const uint64_t made = reports[c].changes;
        reports[c] = detail::FolderReport{};
        reports[c].changes = made;
        detail::loadCalendarFolder(*fs, root(), selected[c], completed, pendingUids, checkEveryFile,
                                   /*allowPartial=*/false, parts[c], reports[c]);
      });
    }
    std::vector<std::shared_ptr<Reminder>> found;
    for (auto& part : parts) {
      found.insert(found.end(), std::make_move_iterator(part.begin()), std::make_move_iterator(part.end()));
    }
    if (verdict) {
      applyVerdictLocked(reports, *verdict, found);
    } else {
      auto losers = dropDuplicatesLocked(selected, reports, found);
      if (auto now = keysOf()) {
        for (size_t c = 0; c < selected.size(); ++c) changes[c] += reports[c].changes;
        cache.setDuplicateVerdict({std::move(folders), std::move(*now), std::move(losers), {}}, changes);
      }
    }
    if (pending.empty()) return found;

    std::set<std::string> selectedIds;
    for (const auto& c : selected) selectedIds.insert(c->calendarIdentifier());
    std::map<std::string, const PendingWrite*> latest;
    for (const PendingWrite& op : pending) latest[op.reminder->calendarItemExternalIdentifier()] = &op;
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

  // One task, one file: of the files of one account that hold the same UID, the first read (calendar
  // identifier, then file name) is the task; the others are left out and reported. Records find
  // tasks by UID and account, so two files would otherwise be two rows of one record, and a change
  // meant for one would land on the other.
  // Answers the losers, for FileCache::setDuplicateVerdict.
  std::vector<detail::FileCache::DuplicateVerdict::Loser> dropDuplicatesLocked(
      const std::vector<std::shared_ptr<Calendar>>& selected, const std::vector<detail::FolderReport>& reports,
      std::vector<std::shared_ptr<Reminder>>& found) {
    std::vector<detail::FileCache::DuplicateVerdict::Loser> verdict;
    // By account, then UID: the file that holds it first (its calendar's place in `selected`, and its
    // own in that folder). The UIDs stay in `reports` meanwhile.
    using FileAt = std::pair<size_t, size_t>;
    std::unordered_map<const Source*, std::unordered_map<std::string_view, FileAt>> first;
    std::unordered_set<const detail::TodoFile*> losers;
    // Room for every UID at once: tens of thousands of them would otherwise rehash the table again
    // and again.
    std::unordered_map<const Source*, size_t> uidsOfSource;
    for (size_t c = 0; c < selected.size(); ++c) uidsOfSource[selected[c]->source().get()] += reports[c].uids.size();
    for (const auto& [source, count] : uidsOfSource) first[source].reserve(count);
    for (size_t c = 0; c < selected.size(); ++c) {
      for (const auto& [file, why] : reports[c].unreadable) noteSkippedLocked(file, why);
      auto& firstOfSource = first[selected[c]->source().get()];
      for (const auto& [uid, f] : reports[c].uids) {
        auto [it, inserted] = firstOfSource.try_emplace(uid, FileAt{c, f});
        if (!inserted && it->second != FileAt{c, f}) {
          if (const auto* made = reports[c].madeFrom[f]) losers.insert(made);
          std::string why = "holds the task " + std::string(uid) + " that " +
                            (*reports[it->second.first].names)[it->second.second] + " holds already";
          noteSkippedLocked(reports[c].dir / (*reports[c].names)[f], why);
          verdict.push_back({c, (*reports[c].names)[f], std::move(why)});
        }
      }
    }
    if (!losers.empty()) {
      std::erase_if(found, [&](const std::shared_ptr<Reminder>& r) { return losers.contains(Backend::origin(*r).get()); });
    }
    return verdict;
  }

  // Leaves out what a recorded verdict says repeats another file's task, as dropDuplicatesLocked did
  // when it was recorded (the same files, so the same reasons).
  void applyVerdictLocked(const std::vector<detail::FolderReport>& reports,
                          const std::vector<detail::FileCache::DuplicateVerdict::Loser>& verdict,
                          std::vector<std::shared_ptr<Reminder>>& found) {
    for (const auto& report : reports) {
      for (const auto& [file, why] : report.unreadable) noteSkippedLocked(file, why);
    }
    std::unordered_set<const detail::TodoFile*> losers;
    for (const auto& loser : verdict) {
      if (loser.folder >= reports.size() || !reports[loser.folder].names) continue;
      const detail::FolderReport& report = reports[loser.folder];
      noteSkippedLocked(report.dir / loser.name, loser.why);
      const auto& names = *report.names;
      const auto it = std::lower_bound(names.begin(), names.end(), loser.name);
      if (it == names.end() || *it != loser.name) continue;  // not read: it holds only completed tasks
      if (const auto* made = report.madeFrom[static_cast<size_t>(it - names.begin())]) losers.insert(made);
    }
    if (!losers.empty()) {
      std::erase_if(found, [&](const std::shared_ptr<Reminder>& r) { return losers.contains(Backend::origin(*r).get()); });
    }
  }

  void noteSkippedLocked(const fs::path& file, const std::string& why) {
    auto [it, inserted] = skipped.try_emplace(file, why);
    if (inserted && why.starts_with("holds")) {
      log().error("Skipping %{public}@, which %{public}@", file.string(), why);
    }
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

  void addPending(PendingWrite op) {
    // The latest write of a task wins, whichever object (fetched once or twice) it came through.
    const std::string& uid = op.reminder->calendarItemExternalIdentifier();
    std::erase_if(pending, [&](const PendingWrite& o) {
      return o.reminder == op.reminder || o.reminder->calendarItemExternalIdentifier() == uid;
    });
    if (op.remove && !Backend::origin(*op.reminder)) return;  // never written: nothing to remove
    pending.push_back(std::move(op));
  }

  // With holdCommits, only commitWith() writes. Answers whether anything reached the disk, so that a
  // commit that wrote nothing announces nothing.
  bool commitLocked() {
    if (options.holdCommits || pending.empty()) return false;
    detail::commitPending(*fs, root(), pending, {}, options.beforeWriting);
    return true;
  }

  void announceLocked(const std::vector<FileChange>& changes) { detail::announceWrite(options.beforeWriting, changes); }

  // The change of a metadata file that writeMetadata(path, value) makes; nothing when it makes none.
  std::optional<FileChange> metadataChange(const fs::path& path, const std::optional<std::string>& value) {
    if (value) return FileChange{path, *value + "\n", false};
    FileInfo info;
    // A file that cannot be looked at may be there: its removal is announced all the same.
    if (!fs->stat(path, info).ok()) return FileChange{path, std::nullopt, false};
    if (!info.exists) return std::nullopt;
    return FileChange{path, std::nullopt, false};
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
    writeMetadata(dir / ".source", "identifier=local\ntitle=" + std::string(kLocalSourceTitle) + "\ntype=0");
    auto source = std::make_shared<Source>("local", std::string(kLocalSourceTitle), SourceType::local);
    sources["local"] = source;
    return source;
  }

  // A folder name after `title` that no entry of the account folder has (nor a calendar this handle
  // knows there, made by a write not yet seen on disk).
  std::string readableFolderLocked(const std::string& sourceFolder, const std::string& title) {
    std::set<std::string> taken;
    std::vector<platform::DirectoryEntry> entries;
    if (auto e = fs->listDirectory(root() / sourceFolder, entries); e && e != std::errc::no_such_file_or_directory) {
      throw fileError(e, "list", root() / sourceFolder);
    }
    for (const auto& entry : entries) taken.insert(entry.name);
    for (const auto& [id, c] : calendars) {
      if (id.starts_with(sourceFolder + "/")) taken.insert(id.substr(sourceFolder.size() + 1));
    }
    return detail::folderNameForTitle(title, taken);
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
      if (readableFolderNames()) identifier = readableFolderLocked(folder, calendar->title());
      const fs::path dir = root() / folder / identifier;
      if (options.beforeWriting) {
        std::vector<FileChange> changes{FileChange{dir, std::string(), true}, *metadataChange(dir / "displayname", calendar->title())};
        if (calendar->color()) changes.push_back(*metadataChange(dir / "color", calendar->color()->hex()));
        announceLocked(changes);
      }
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
    const auto color = calendar->color() ? std::optional(calendar->color()->hex()) : std::nullopt;
    if (options.beforeWriting) {
      std::vector<FileChange> changes;
      if (Backend::titleChanged(*calendar)) changes.push_back(*metadataChange(dir / "displayname", calendar->title()));
      if (Backend::colorChanged(*calendar)) {
        if (auto change = metadataChange(dir / "color", color)) changes.push_back(*change);
      }
      announceLocked(changes);
    }
    if (Backend::titleChanged(*calendar)) writeMetadata(dir / "displayname", calendar->title());
    if (Backend::colorChanged(*calendar)) writeMetadata(dir / "color", color);
    Backend::markSaved(*calendar);
  }

  void removeCalendarLocked(const std::shared_ptr<Calendar>& calendar) {
    if (!Backend::saved(*calendar)) {
      throw StoreError(StoreErrorCode::notFound, "Calendar '" + calendar->title() + "' was never saved");
    }
    const fs::path dir = root() / calendar->calendarIdentifier();
    FileInfo info;
    if (auto e = fs->stat(dir, info)) throw fileError(e, "read", dir);
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
    // Everything is checked before anything goes: a folder that also holds files that are not
    // readable tasks (damaged task files, events, anything else) would stay behind without its
    // title and come back as a list named after the folder, so the removal is refused whole.
    std::vector<fs::path> tasks;
    std::vector<std::string> others;
    for (const auto& entry : entries) {
      if (entry.name == "displayname" || entry.name == "color") continue;
      std::shared_ptr<const detail::TodoFile> file;
      if (!entry.isDirectory && detail::isTaskFileName(entry.name)) file = detail::loadFile(*fs, dir / entry.name);
      if (file && !file->todos.empty()) {
        tasks.push_back(dir / entry.name);
      } else {
        others.push_back(entry.name);
      }
    }
    if (!others.empty()) {
      std::sort(others.begin(), others.end());
      std::string names;
      for (size_t i = 0; i < others.size() && i < 3; ++i) names += (i > 0 ? ", " : "") + others[i];
      if (others.size() > 3) names += ", ...";
      throw StoreError(StoreErrorCode::conflict,
                       "Calendar '" + calendar->title() + "' (" + calendar->calendarIdentifier() + ") also holds " +
                           std::to_string(others.size()) + (others.size() == 1 ? " file" : " files") +
                           " that " + (others.size() == 1 ? "is" : "are") + " not a readable task (" + names +
                           "); nothing was removed");
    }
    const bool wasDefault =
        trimmedLine(readSmallFile(*fs, root() / ".default-calendar")) == calendar->calendarIdentifier();
    if (options.beforeWriting) {
      std::vector<FileChange> changes;
      for (const auto& task : tasks) changes.push_back(FileChange{task, std::nullopt, false});
      for (const char* name : {"displayname", "color"}) {
        if (auto change = metadataChange(dir / name, std::nullopt)) changes.push_back(*change);
      }
      changes.push_back(FileChange{dir, std::nullopt, true});
      if (wasDefault) changes.push_back(FileChange{root() / ".default-calendar", std::nullopt, false});
      announceLocked(changes);
    }
    for (const auto& task : tasks) {
      if (auto e = fs->removeFile(task)) throw fileError(e, "remove", task);
      detail::FileCache::shared().erase(task);
    }
    writeMetadata(dir / "displayname", std::nullopt);
    writeMetadata(dir / "color", std::nullopt);
    if (auto e = fs->removeDirectory(dir)) {
      log().error("Calendar folder %{public}@ could not be removed: %{public}@", dir.string(), e.message());
    }
    // The tasks are gone already; a failed sync only leaves the removal less durable across a crash.
    detail::logFailure(fs->syncDirectory(dir.parent_path()), "sync", dir.parent_path());
    calendars.erase(calendar->calendarIdentifier());
    std::erase_if(pending, [&](const PendingWrite& op) { return op.reminder->calendar() == calendar; });
    if (wasDefault) {
      // A default naming a calendar that is gone reads as none.
      detail::logFailure(fs->removeFile(root() / ".default-calendar"), "remove", root() / ".default-calendar");
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
AuthorizationStatus statusOf(FileSystem& fs, EntityType type, const fs::path& root, bool readOnly = false) {
  if (type != EntityType::reminder) return AuthorizationStatus::denied;
  FileInfo info;
  if (fs.stat(root, info) || !info.exists) return AuthorizationStatus::notDetermined;
  if (!info.isDirectory) return AuthorizationStatus::denied;
  if (fs.isReadableAndWritable(root)) return AuthorizationStatus::authorized;
  std::vector<platform::DirectoryEntry> entries;
  return readOnly && !fs.listDirectory(root, entries) ? AuthorizationStatus::authorized : AuthorizationStatus::denied;
}
}  // namespace

EventStore::EventStore(EventStoreOptions options) : impl_(std::make_shared<Impl>()) {
  impl_->owner = this;
  if (options.root.empty()) options.root = defaultRoot();
  impl_->fs = options.fileSystem ? options.fileSystem : FileSystem::posix();
  impl_->options = std::move(options);
  if (impl_->options.watchForChanges) {
    const FileWatcherFactory& make = impl_->options.fileWatcher ? impl_->options.fileWatcher : makeInotifyWatcher;
    impl_->watcher = make(impl_->options.root, impl_->options.coalescingDelay, [this] {
      impl_->checkEveryFileNext = true;
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
  return statusOf(*impl_->fs, type, impl_->root(), impl_->options.readOnly);
}

void EventStore::requestAccessToEntityType(EntityType type,
                                           std::function<void(bool, std::optional<StoreError>)> completion) {
  storeQueue().async([impl = impl_, type, completion = std::move(completion)] {
    if (type != EntityType::reminder) {
      completion(false, std::nullopt);
      return;
    }
    const bool readOnly = impl->options.readOnly;
    if (!readOnly && statusOf(*impl->fs, type, impl->root()) == AuthorizationStatus::notDetermined) {
      try {
        impl->createRoot();
      } catch (const StoreError& e) {
        log().error("Cannot create the reminders store: %{public}@", e.localizedDescription());
        completion(false, e);
        return;
      }
    }
    completion(statusOf(*impl->fs, type, impl->root(), readOnly) == AuthorizationStatus::authorized, std::nullopt);
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
  auto it = impl_->calendars.find(trimmedLine(readSmallFile(*impl_->fs, impl_->root() / ".default-calendar")));
  return it == impl_->calendars.end() ? nullptr : it->second;
}

void EventStore::setDefaultCalendarForNewReminders(const std::shared_ptr<Calendar>& calendar) {
  {
    std::lock_guard lock(impl_->mu);
    if (!calendar || !Backend::saved(*calendar)) {
      throw StoreError(StoreErrorCode::invalid, "Only a saved calendar can be the default");
    }
    const fs::path file = impl_->root() / ".default-calendar";
    impl_->announceLocked({*impl_->metadataChange(file, calendar->calendarIdentifier())});
    impl_->writeMetadata(file, calendar->calendarIdentifier());
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
    detail::validateForSave(*reminder);
    impl_->addPending(PendingWrite{false, reminder});
    if (!commit || !impl_->commitLocked()) return;
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
    impl_->addPending(PendingWrite{true, reminder});
    if (!commit || !impl_->commitLocked()) return;
  }
  impl_->changed();
}

void EventStore::commit() {
  {
    std::lock_guard lock(impl_->mu);
    if (!impl_->commitLocked()) return;
  }
  impl_->changed();
}

void EventStore::commitWith(const std::function<void()>& alongside) {
  bool wrote = false;
  {
    std::lock_guard lock(impl_->mu);
    wrote = !impl_->pending.empty();
    detail::commitPending(*impl_->fs, impl_->root(), impl_->pending, alongside, impl_->options.beforeWriting);
  }
  if (wrote) impl_->changed();
}

void EventStore::restoreFiles(const std::vector<FileRestore>& files, const std::vector<fs::path>& emptiedFolders,
                              const std::function<void()>& alongside) {
  {
    std::lock_guard lock(impl_->mu);
    if (impl_->options.readOnly) throw StoreError(StoreErrorCode::readOnly, "The reminders store is open only to read");
    detail::restoreFiles(*impl_->fs, impl_->root(), files, emptiedFolders, alongside);
    impl_->calendars.clear();
    impl_->sources.clear();
    impl_->scanned = false;
  }
  impl_->changed();
}

std::vector<SkippedFile> EventStore::skippedFiles() const {
  std::lock_guard lock(impl_->mu);
  std::vector<SkippedFile> out;
  for (const auto& [path, why] : impl_->skipped) out.push_back(SkippedFile{path, why});
  return out;
}

bool EventStore::foundFilesGone() const { return detail::FileCache::shared().filesFoundGone() > 0; }

void EventStore::refreshSourcesIfNecessary() {
  std::lock_guard lock(impl_->mu);
  impl_->scanLocked();
}

void EventStore::checkEveryFileAtNextRead() { impl_->checkEveryFileNext = true; }

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

std::vector<std::shared_ptr<Reminder>> EventStore::remindersInFiles(const std::vector<fs::path>& files) {
  std::lock_guard lock(impl_->mu);
  impl_->ensureScannedLocked();
  std::vector<std::shared_ptr<Reminder>> out;
  for (const fs::path& path : files) {
    const std::string identifier = path.parent_path().lexically_relative(impl_->root()).generic_string();
    auto calendar = impl_->calendars.find(identifier);
    if (calendar == impl_->calendars.end() || !detail::isTaskFileName(path.filename().string())) continue;
    const std::shared_ptr<const detail::TodoFile> file = detail::loadFile(*impl_->fs, path);
    if (!file) continue;
    // One UID, one file, as a full read has it.
    const std::set<std::string> taken =
        detail::uidsHeldBefore(*impl_->fs, impl_->root(), impl_->calendars, identifier, path, *file);
    for (const auto& uid : taken) impl_->noteSkippedLocked(path, "holds the task " + uid + " that another file holds already");
    for (size_t i = 0; i < file->todos.size(); ++i) {
      if (file->todos[i].recurrenceOverride || taken.contains(detail::uidKnownBy(file->todos[i], path))) continue;
      out.push_back(detail::Backend::makeReminder(file, i, calendar->second));
    }
  }
  return out;
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
  if (auto e = detail::FileCache::shared().save(*impl_->fs, path, impl_->root())) {
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
