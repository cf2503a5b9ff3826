#include "zarvo/home/history.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <set>

#include "zarvo/home/internal/history_entry.h"
#include "zarvo/model/list.h"
#include "zarvo/model/tag.h"
#include "zarvo/platform/log.h"

namespace zarvo {

namespace fs = std::filesystem;
using detail::HistoryEntry;
using detail::TaskState;

namespace {

const platform::Log& historyLog() {
  static const platform::Log instance("org.zarvo.ZarvoKit", "history");
  return instance;
}

// Entry files are "<12 digits>.json"; anything else in the folder is not an entry.
constexpr size_t kNumberDigits = 12;

std::optional<uint64_t> entryNumber(std::string_view name) {
  if (name.size() != kNumberDigits + 5 || !name.ends_with(".json")) return std::nullopt;
  uint64_t number = 0;
  const char* end = name.data() + kNumberDigits;
  const auto [at, error] = std::from_chars(name.data(), end, number);
  if (error != std::errc() || at != end) return std::nullopt;
  return number;
}

std::string stepOf(int64_t n) { return std::to_string(n); }

TaskState stateOf(bool flagged, const std::vector<std::shared_ptr<Tag>>& tags) {
  TaskState state;
  state.flagged = flagged;
  for (const auto& tag : tags) {
    if (auto title = tag->title()) state.tags.push_back(*title);
  }
  std::sort(state.tags.begin(), state.tags.end());
  return state;
}

TaskState currentState(const Task& task) { return stateOf(task.flagged(), task.tags()); }

std::string uidOf(const Task& task) {
  if (auto reminder = task.reminder()) return reminder->calendarItemExternalIdentifier();
  return task.reminderId().value_or("");
}

bool isEmpty(const HistoryEntry& e) {
  return e.files.empty() && e.tasks.empty() && e.listOrderAfter.empty() && e.listOrderBefore.empty() &&
         e.createdTags.empty();
}

std::string sizeText(uint64_t bytes) {
  if (bytes >= (uint64_t{1} << 20)) return std::to_string(bytes >> 20) + " MiB";
  if (bytes >= 1024) return std::to_string(bytes >> 10) + " KiB";
  return std::to_string(bytes) + " bytes";
}

Error historyError(HistoryErrc code, std::string description) {
  return Error(make_error_code(code), std::move(description));
}

}  // namespace

// The change being recorded: its entry as far as it is known, and the records of a save that are
// waiting for the save's files to tell which of them belong to the change.
struct History::Pending {
  std::optional<uint64_t> number;  // the entry's file, once written
  HistoryEntry entry;
  bool dirty = false;              // the entry changed since it was written
  bool inSave = false;
  size_t filesBeforeSave = 0;      // files the store wrote at once, before the save began

  struct Candidate {
    std::string uid;
    std::optional<std::string> file;  // the task's file (relative) before the change
    bool made = false;                // a task the change makes: it has no file yet
    std::optional<TaskState> before, after;
  };
  std::vector<Candidate> candidates;
  std::map<std::string, int64_t> listOrderBefore, listOrderAfter;
  std::set<std::string> changedLists;  // calendar identifiers of lists made, removed or moved
  std::vector<std::string> createdTags;

  // Puts the save's records into the entry: the tasks whose file the change touches or makes, the
  // lists' order when a list the change made, removed or moved is among them, the tags it made.
  void mergeRecords() {
    if (!inSave) return;
    std::set<std::string> touched;
    for (const auto& f : entry.files) touched.insert(f.path);
    std::vector<HistoryEntry::Task> tasks;
    for (const auto& c : candidates) {
      if (c.made || (c.file && touched.contains(*c.file))) tasks.push_back({c.uid, c.before, c.after});
    }
    bool listsChanged = false;
    for (const auto& id : changedLists) {
      // A list a refresh made for a folder another program made is no change of this one.
      const bool made = !listOrderBefore.contains(id);
      if (!made || touched.contains(id)) listsChanged = true;
    }
    const auto before = listsChanged ? listOrderBefore : std::map<std::string, int64_t>();
    const auto after = listsChanged ? listOrderAfter : std::map<std::string, int64_t>();
    const bool hasTasks = !tasks.empty();
    const auto tags = hasTasks ? createdTags : std::vector<std::string>();
    if (entry.listOrderBefore != before || entry.listOrderAfter != after || entry.createdTags != tags ||
        entry.tasks.size() != tasks.size()) {
      dirty = true;
    }
    entry.tasks = std::move(tasks);
    entry.listOrderBefore = before;
    entry.listOrderAfter = after;
    entry.createdTags = tags;
  }
};

struct History::Plan {
  std::vector<reminders::FileRestore> restores;
  std::vector<fs::path> emptiedFolders;
  bool records = false;  // some record is as the change left it
  std::string reverted;  // the first thing the change changed that is as before it again

  bool nothingToDo() const { return restores.empty() && emptiedFolders.empty() && !records; }
};

History::History(fs::path folder, fs::path remindersRoot, std::shared_ptr<platform::FileSystem> fileSystem,
                 HistoryOptions options)
    : folder_(std::move(folder)),
      root_(std::move(remindersRoot)),
      fs_(fileSystem ? std::move(fileSystem) : platform::FileSystem::posix()),
      options_(options) {}

History::~History() = default;

History::Pause::Pause(History& history) : history_(history) {
  std::lock_guard lock(history_.mu_);
  ++history_.paused_;
}

History::Pause::~Pause() {
  std::lock_guard lock(history_.mu_);
  --history_.paused_;
}

// ---- Recording ----

Error History::beforeWriting(const std::vector<reminders::FileChange>& changes) {
  std::lock_guard lock(mu_);
  if (paused_ > 0) return {};
  if (!pending_) pending_ = std::make_unique<Pending>();
  HistoryEntry& entry = pending_->entry;
  for (const auto& change : changes) {
    const std::string relative = change.path.lexically_relative(root_).generic_string();
    if (!detail::isSafeRelativePath(relative)) {
      // Only the store's own files are written through it; nothing else can be put back.
      historyLog().error("Not keeping %{public}@, which is outside the reminders store", change.path.string());
      continue;
    }
    std::optional<std::string> after;
    if (change.after) after = change.folder ? std::string() : detail::digestOf(*change.after);
    auto known = std::find_if(entry.files.begin(), entry.files.end(),
                              [&](const HistoryEntry::File& f) { return f.path == relative; });
    if (known != entry.files.end()) {  // written again in one change: the first "before" stands
      known->after = std::move(after);
      continue;
    }
    HistoryEntry::File file{relative, change.folder, std::nullopt, std::move(after)};
    if (change.folder) {
      platform::FileInfo info;
      if (Error e = fs_->stat(change.path, info)) {
        return historyError(HistoryErrc::cannotRecord, "cannot keep " + change.path.string() + " in the history: " + e.message());
      }
      if (info.exists) file.before = std::string();
    } else {
      std::string bytes;
      if (Error e = fs_->readFile(change.path, bytes); e && e != std::errc::no_such_file_or_directory) {
        return historyError(HistoryErrc::cannotRecord, "cannot keep a copy of " + change.path.string() +
                                                           " in the history: " + e.message());
      } else if (!e) {
        file.before = std::move(bytes);
      }
    }
    entry.files.push_back(std::move(file));
  }
  pending_->dirty = true;
  pending_->mergeRecords();
  return writeOpenEntryLocked();
}

void History::beginSave(std::string_view description, store::ObjectContext& context) {
  {
    std::lock_guard lock(mu_);
    if (paused_ > 0) return;
  }
  // What the save changes is read from the context before the history's lock is taken: a commit
  // holds the context's lock when it calls back into the history, so the two are always taken in
  // that order.
  Pending found;
  const auto fileOf = [&](const Task& task) -> std::optional<std::string> {
    const auto reminder = task.reminder();
    const auto path = reminder ? reminder->filePath() : std::nullopt;
    if (!path) return std::nullopt;
    return path->lexically_relative(root_).generic_string();
  };
  const auto inserted = context.insertedObjects();
  const auto updated = context.updatedObjects();
  const auto deleted = context.deletedObjects();
  std::set<const store::ManagedObject*> isInserted, isDeleted;
  for (const auto& o : inserted) isInserted.insert(o.get());
  for (const auto& o : deleted) isDeleted.insert(o.get());
  bool listChanged = false;
  for (const auto* objects : {&inserted, &updated, &deleted}) {
    for (const auto& object : *objects) {
      if (auto task = std::dynamic_pointer_cast<Task>(object)) {
        Pending::Candidate c{uidOf(*task), fileOf(*task), false, std::nullopt, std::nullopt};
        if (!isInserted.contains(task.get())) c.before = stateOf(task->committedFlagged(), task->committedTags());
        if (!isDeleted.contains(task.get())) c.after = currentState(*task);
        c.made = isInserted.contains(task.get()) && !c.file;
        if (c.before != c.after || c.made || isDeleted.contains(task.get())) found.candidates.push_back(std::move(c));
      } else if (auto list = std::dynamic_pointer_cast<List>(object)) {
        const bool made = isInserted.contains(list.get()), removed = isDeleted.contains(list.get());
        // A list that only got its first place (a refresh numbering a new folder) did not move.
        if (made || removed || (list->committedOrder() != -1 && list->committedOrder() != list->order())) {
          found.changedLists.insert(list->calendarId().value_or(""));
          listChanged = true;
        }
      } else if (auto tag = std::dynamic_pointer_cast<Tag>(object); tag && isInserted.contains(tag.get())) {
        if (auto title = tag->title()) found.createdTags.push_back(*title);
      }
    }
  }
  if (listChanged) {
    std::vector<std::shared_ptr<List>> lists = context.fetch<List>(List::fetchRequest());
    for (const auto& o : deleted) {
      if (auto list = std::dynamic_pointer_cast<List>(o)) lists.push_back(list);
    }
    for (const auto& list : lists) {
      const auto id = list->calendarId();
      if (!id || !detail::isSafeRelativePath(*id)) continue;
      if (!isInserted.contains(list.get())) found.listOrderBefore[*id] = list->committedOrder();
      if (!isDeleted.contains(list.get())) found.listOrderAfter[*id] = list->order();
    }
  }

  std::lock_guard lock(mu_);
  if (paused_ > 0) return;
  if (!pending_) pending_ = std::make_unique<Pending>();
  Pending& p = *pending_;
  p.inSave = true;
  p.filesBeforeSave = p.entry.files.size();
  if (!description.empty() && p.entry.description != description) {
    p.entry.description = std::string(description);
    p.dirty = true;
  }
  for (auto& c : found.candidates) p.candidates.push_back(std::move(c));
  p.changedLists.insert(found.changedLists.begin(), found.changedLists.end());
  for (auto& t : found.createdTags) p.createdTags.push_back(std::move(t));
  for (const auto& [id, order] : found.listOrderBefore) p.listOrderBefore[id] = order;
  for (const auto& [id, order] : found.listOrderAfter) p.listOrderAfter[id] = order;
  p.mergeRecords();
}

Error History::beforeRecordsCommit() {
  std::lock_guard lock(mu_);
  if (paused_ > 0 || !pending_) return {};
  pending_->mergeRecords();
  if (isEmpty(pending_->entry) || (!pending_->dirty && pending_->number)) return {};
  return writeOpenEntryLocked();
}

void History::endSave(bool committed) {
  std::lock_guard lock(mu_);
  if (paused_ > 0 || !pending_) return;
  if (!committed) {
    // The save's files are as they were and its records unsaved: only what the store wrote at once
    // (a list made or removed) stays in the entry.
    Pending& p = *pending_;
    p.entry.files.resize(std::min(p.filesBeforeSave, p.entry.files.size()));
    p.entry.tasks.clear();
    p.entry.listOrderBefore.clear();
    p.entry.listOrderAfter.clear();
    p.entry.createdTags.clear();
    if (p.number) {
      if (isEmpty(p.entry)) {
        dropEntry(folder_, *p.number);
      } else if (Error e = writeOpenEntryLocked()) {
        // The entry still names the save's files; their undo finds them as before and skips them.
        historyLog().error("Cannot rewrite the history entry of a failed save: %{public}@", e.message());
      }
    }
  }
  if (committed && pending_->number) {
    // Best effort: an entry left pending is still undone when its change shows; only one whose
    // files are all as before is then taken for a change that never happened.
    pending_->entry.state = HistoryEntry::State::done;
    if (Error e = writeEntry(folder_, *pending_->number, pending_->entry)) {
      historyLog().error("Cannot mark the history entry of a saved change: %{public}@", e.message());
    }
  }
  pending_.reset();
  if (committed) trim(folder_);
}

Error History::writeOpenEntryLocked() {
  Pending& p = *pending_;
  HistoryEntry& entry = p.entry;
  if (entry.description.empty()) {
    size_t files = 0;
    for (const auto& f : entry.files) files += !f.folder;
    entry.description = "a change of " + stepOf(static_cast<int64_t>(files)) + (files == 1 ? " file" : " files");
  }
  uint64_t size = 0;
  for (const auto& f : entry.files) size += f.before ? f.before->size() : 0;
  entry.size = size;
  const auto refuse = [&](const Error& e, const fs::path& where) {
    return historyError(HistoryErrc::cannotRecord,
                        "cannot keep the history of this change in " + where.string() + ": " + e.message());
  };
  if (Error e = prepareFolder(folder_)) return refuse(e, folder_);
  const bool first = !p.number;
  if (first) {
    const auto numbers = entryNumbers(folder_);
    p.number = numbers.empty() ? 1 : numbers.back() + 1;
  }
  if (Error e = writeEntry(folder_, *p.number, entry)) return refuse(e, entryPath(folder_, *p.number));
  p.dirty = false;
  // A new change ends what can be redone: redoing an older change on top of it would mix the two.
  if (first) dropRedoLocked();
  return {};
}

Error History::prepareFolder(const fs::path& folder) {
  if (Error e = platform::createDirectories(*fs_, folder)) return e;
  return fs_->setPermissions(folder, 0700);
}

void History::dropRedoLocked() {
  const auto numbers = entryNumbers(redoFolder());
  for (const uint64_t number : numbers) dropEntry(redoFolder(), number);
  if (!numbers.empty()) {
    historyLog().info("A new change was made: the %{public}@ undone changes can no longer be redone",
                      stepOf(static_cast<int64_t>(numbers.size())));
  }
}

Error History::writeEntry(const fs::path& folder, uint64_t number, const HistoryEntry& entry) {
  std::string text;
  if (entry.size > options_.maxBytes) {
    // Kept as a note that it happened and cannot be undone, not as copies.
    HistoryEntry note;
    note.state = entry.state;
    note.description = entry.description;
    note.tooLarge = true;
    note.size = entry.size;
    text = detail::encodeEntry(note);
  } else {
    text = detail::encodeEntry(entry);
  }
  return platform::writeFileAtomically(*fs_, entryPath(folder, number), text, 0600);
}

void History::dropEntry(const fs::path& folder, uint64_t number) {
  const fs::path path = entryPath(folder, number);
  if (Error e = fs_->removeFile(path); e && e != std::errc::no_such_file_or_directory) {
    historyLog().error("Cannot remove the history entry %{public}@: %{public}@", path.string(), e.message());
    return;
  }
  // Not durable yet is safe: an entry that comes back after a crash finds its files as before and
  // finishes as undone.
  (void)fs_->syncDirectory(folder);
}

void History::trim(const fs::path& folder) {
  std::vector<platform::DirectoryEntry> entries;
  if (fs_->listDirectoryWithInfo(folder, entries)) return;
  std::vector<std::pair<uint64_t, uint64_t>> found;  // number, size
  for (const auto& e : entries) {
    if (auto n = entryNumber(e.name); n && e.info.isRegular) found.emplace_back(*n, e.info.size);
  }
  std::sort(found.begin(), found.end(), std::greater<>());
  uint64_t bytes = 0;
  size_t kept = 0, dropped = 0;
  for (const auto& [number, size] : found) {
    const bool keep = kept == 0 || (kept < options_.maxEntries && bytes + size <= options_.maxBytes);
    if (keep) {
      ++kept;
      bytes += size;
    } else {
      (void)fs_->removeFile(entryPath(folder, number));  // best effort: the next trim tries again
      ++dropped;
    }
  }
  if (dropped == 0) return;
  (void)fs_->syncDirectory(folder);  // best effort: an entry that comes back is only an older undo
  historyLog().info("The history keeps the last %{public}@ changes, %{public}@ at most: dropped %{public}@ older ones",
                    stepOf(static_cast<int64_t>(options_.maxEntries)), sizeText(options_.maxBytes),
                    stepOf(static_cast<int64_t>(dropped)));
}

void History::removeLeftovers() {
  for (const fs::path& folder : {folder_, redoFolder()}) {
    std::vector<platform::DirectoryEntry> entries;
    if (fs_->listDirectory(folder, entries)) continue;
    for (const auto& e : entries) {
      const auto owner = platform::temporaryFileOwner(e.name);
      if (owner && !platform::processIsAlive(*owner)) (void)fs_->removeFile(folder / e.name);  // retried next time
    }
  }
}

// ---- Reading ----

std::vector<uint64_t> History::entryNumbers(const fs::path& folder) const {
  std::vector<platform::DirectoryEntry> entries;
  std::vector<uint64_t> numbers;
  if (fs_->listDirectory(folder, entries)) return numbers;
  for (const auto& e : entries) {
    if (auto n = entryNumber(e.name)) numbers.push_back(*n);
  }
  std::sort(numbers.begin(), numbers.end());
  return numbers;
}

fs::path History::entryPath(const fs::path& folder, uint64_t number) const {
  std::string name = std::to_string(number);
  name.insert(0, kNumberDigits > name.size() ? kNumberDigits - name.size() : 0, '0');
  return folder / (name + ".json");
}

Expected<HistoryEntry> History::readEntry(const fs::path& folder, uint64_t number) const {
  const fs::path path = entryPath(folder, number);
  const auto unreadable = [&](const std::string& why) {
    return historyError(HistoryErrc::unreadableEntry, "the history entry " + path.string() + " cannot be read: " + why);
  };
  platform::FileInfo info;
  if (Error e = fs_->stat(path, info)) return unreadable(e.message());
  if (!info.isRegular) return unreadable("it is not a regular file");
  // An entry holds at most maxBytes of copies, which base64 makes a third larger.
  if (info.size > options_.maxBytes / 3 * 4 + (uint64_t{1} << 20)) return unreadable("it is too large");
  std::string text;
  if (Error e = fs_->readFile(path, text)) return unreadable(e.message());
  auto entry = detail::decodeEntry(text);
  if (!entry) return unreadable(entry.error().message());
  return entry;
}

Expected<std::vector<std::string>> History::descriptions() const { return descriptionsIn(folder_); }

Expected<std::vector<std::string>> History::redoDescriptions() const { return descriptionsIn(redoFolder()); }

Expected<std::vector<std::string>> History::descriptionsIn(const fs::path& folder) const {
  std::vector<std::string> out;
  const auto numbers = entryNumbers(folder);
  for (auto it = numbers.rbegin(); it != numbers.rend(); ++it) {
    auto entry = readEntry(folder, *it);
    out.push_back(entry ? entry->description : std::string("(unreadable)"));
  }
  return out;
}

Expected<fs::path> History::insideStore(const std::string& relative) const {
  const fs::path path = root_ / relative;
  // The nearest part of the path that exists must lead, links followed, into the store.
  fs::path probe = path;
  for (;;) {
    platform::FileInfo info;
    if (Error e = fs_->stat(probe, info)) return e;
    if (info.exists || probe == root_ || !probe.has_parent_path()) break;
    probe = probe.parent_path();
  }
  fs::path resolvedRoot, resolved;
  if (Error e = fs_->resolveLinks(root_, resolvedRoot)) return e;
  if (Error e = fs_->resolveLinks(probe, resolved)) return e;
  const auto [inRoot, inPath] = std::mismatch(resolvedRoot.begin(), resolvedRoot.end(), resolved.begin(), resolved.end());
  if (inRoot != resolvedRoot.end()) {
    return historyError(HistoryErrc::unreadableEntry, "it names " + path.string() + ", which leads out of the reminders store");
  }
  return path;
}

// ---- Undoing ----

Expected<History::Plan> History::planUndo(const HistoryEntry& entry, const Host& host, std::string_view verb) const {
  Plan plan;
  const std::string cannot = "cannot " + std::string(verb) + " '" + entry.description + "': ";
  const auto changed = [&](const std::string& what) {
    return historyError(HistoryErrc::changedSince, cannot + what + " was changed by another program since; nothing was changed");
  };
  if (entry.tooLarge) {
    return historyError(HistoryErrc::tooLarge, cannot + "it changed " + sizeText(entry.size) +
                                                   ", more than the history keeps (" + sizeText(options_.maxBytes) + ")");
  }
  std::set<std::string> named;
  for (const auto& f : entry.files) named.insert(f.path);
  for (const auto& f : entry.files) {
    auto path = insideStore(f.path);
    if (!path) return historyError(HistoryErrc::unreadableEntry, cannot + path.error().message());
    if (f.folder) {
      if (f.before || !f.after) continue;  // a removed folder comes back with its files
      platform::FileInfo info;
      if (Error e = fs_->stat(*path, info)) return e;
      if (!info.exists) continue;
      if (!info.isDirectory) return changed(path->string());
      std::vector<platform::DirectoryEntry> inside;
      if (Error e = fs_->listDirectory(*path, inside)) return e;
      for (const auto& item : inside) {
        if (platform::isTemporaryFileName(item.name) || named.contains(f.path + "/" + item.name)) continue;
        return historyError(HistoryErrc::changedSince, cannot + "the list folder " + path->string() +
                                                           " holds a file made since (" + item.name + "); nothing was changed");
      }
      plan.emptiedFolders.push_back(*path);
      continue;
    }
    std::optional<std::string> current;
    std::string bytes;
    if (Error e = fs_->readFile(*path, bytes); !e) {
      current = std::move(bytes);
    } else if (e != std::errc::no_such_file_or_directory) {
      // Not a regular file any more (a folder, a FIFO), or unreadable: not what the change left.
      return changed(path->string());
    }
    const bool asBefore = f.before ? current && *current == *f.before : !current;
    if (asBefore) {
      const bool changedIt = f.before.has_value() != f.after.has_value() ||
                             (f.before && f.after && detail::digestOf(*f.before) != *f.after);
      if (changedIt && plan.reverted.empty()) plan.reverted = path->string();
      continue;
    }
    const bool asAfter = f.after ? current && detail::digestOf(*current) == *f.after : !current;
    if (!asAfter) return changed(path->string());
    plan.restores.push_back(reminders::FileRestore{*path, current, f.before});
  }
  if (!entry.tasks.empty()) {
    auto tasks = host.allTasks();
    if (!tasks) return tasks.error();
    std::map<std::string, TaskState> now;
    for (const auto& task : *tasks) now.emplace(uidOf(*task), currentState(*task));
    for (const auto& t : entry.tasks) {
      const auto it = now.find(t.uid);
      const std::optional<TaskState> current = it == now.end() ? std::nullopt : std::optional(it->second);
      if (current == t.before) {
        if (t.before != t.after && plan.reverted.empty()) plan.reverted = "the task " + t.uid;
        continue;
      }
      // A task the change deleted comes back with its file; one it made goes with its file.
      if (current == t.after || (!t.after && !current) || (!current && !t.before)) {
        plan.records = true;
        continue;
      }
      return changed("the task " + t.uid);
    }
  }
  if (!entry.listOrderAfter.empty() || !entry.listOrderBefore.empty()) {
    std::map<std::string, int64_t> now;
    for (const auto& list : host.io.lists()) {
      if (auto id = list->calendarId()) now[*id] = list->order();
    }
    bool asBefore = true, asAfter = true;
    for (const auto& [id, order] : entry.listOrderAfter) {
      const auto it = now.find(id);
      if (it != now.end() && it->second != order) asAfter = false;
    }
    for (const auto& [id, order] : entry.listOrderBefore) {
      const auto it = now.find(id);
      if (it != now.end() && it->second != order) asBefore = false;
    }
    if (!asAfter && !asBefore) return changed("the order of the lists");
    if (!asBefore) plan.records = true;
    if (asBefore && entry.listOrderBefore != entry.listOrderAfter && plan.reverted.empty()) {
      plan.reverted = "the order of the lists";
    }
  }
  if (!entry.createdTags.empty()) plan.records = plan.records || !plan.restores.empty();
  return plan;
}

// What puts back what applying `plan` to `entry` changes: the files as they are now (before the
// plan's restores), the records' states and the lists' order the other way round. The tags the
// change made stay with it, so that undoing a redone change removes them again.
HistoryEntry History::inverseOf(const HistoryEntry& entry, const Plan& plan) const {
  HistoryEntry inverse;
  inverse.description = entry.description;
  std::map<fs::path, const reminders::FileRestore*> restoring;
  for (const auto& r : plan.restores) restoring.emplace(r.path, &r);
  for (const auto& f : entry.files) {
    if (f.folder) {
      // A removed folder comes back with its files; a made one goes once its files have gone.
      if (f.before && !f.after) inverse.files.push_back({f.path, true, std::nullopt, std::string()});
      const bool emptied = std::find(plan.emptiedFolders.begin(), plan.emptiedFolders.end(), root_ / f.path) !=
                           plan.emptiedFolders.end();
      if (emptied) inverse.files.push_back({f.path, true, std::string(), std::nullopt});
      continue;
    }
    const auto it = restoring.find(root_ / f.path);
    if (it == restoring.end()) continue;  // already as before: the plan leaves it alone
    const reminders::FileRestore& r = *it->second;
    std::optional<std::string> after;
    if (r.wanted) after = detail::digestOf(*r.wanted);
    inverse.files.push_back({f.path, false, r.expected, std::move(after)});
    inverse.size += r.expected ? r.expected->size() : 0;
  }
  for (const auto& t : entry.tasks) inverse.tasks.push_back({t.uid, t.after, t.before});
  inverse.listOrderBefore = entry.listOrderAfter;
  inverse.listOrderAfter = entry.listOrderBefore;
  inverse.createdTags = entry.createdTags;
  return inverse;
}

Error History::applyUndo(const HistoryEntry& entry, const Plan& plan, const Host& host, std::string_view verb) {
  // The undo's own writes are not a new change: its inverse is kept by takeBack instead.
  const Pause pause(*this);
  if (!plan.restores.empty() || !plan.emptiedFolders.empty()) {
    try {
      host.io.eventStore().restoreFiles(plan.restores, plan.emptiedFolders);
    } catch (const reminders::StoreError& e) {
      if (e.code() == reminders::StoreErrorCode::conflict) {
        return historyError(HistoryErrc::changedSince, "cannot " + std::string(verb) + " '" + entry.description +
                                                           "': " + e.what() + "; nothing was changed");
      }
      return Error(std::make_error_code(std::errc::io_error), e.what());
    }
  }
  const bool hasRecords = !entry.tasks.empty() || !entry.listOrderBefore.empty() || !entry.createdTags.empty();
  if (!hasRecords || (!plan.records && plan.restores.empty())) return {};
  host.io.loadLists();
  auto tasks = host.allTasks();
  if (!tasks) return tasks.error();
  std::map<std::string, std::shared_ptr<Task>> byUid;
  for (const auto& task : *tasks) byUid.emplace(uidOf(*task), task);
  const auto& context = host.context;
  for (const auto& t : entry.tasks) {
    if (!t.before) {
      // The task the change made went with its file; so goes its record.
      for (const auto& task : context->fetch<Task>(Task::fetchRequest())) {
        if (uidOf(*task) == t.uid) context->deleteObject(task);
      }
      continue;
    }
    const auto it = byUid.find(t.uid);
    if (it == byUid.end()) continue;
    it->second->setFlagged(t.before->flagged);
    std::vector<std::shared_ptr<Tag>> tags;
    for (const auto& title : t.before->tags) tags.push_back(Tag::fetchOrCreate(title, context));
    it->second->setTags(tags);
  }
  std::set<std::string> madeFolders;
  for (const auto& f : entry.files) {
    if (f.folder && !f.before && f.after) madeFolders.insert(f.path);
  }
  for (const auto& list : context->fetch<List>(List::fetchRequest())) {
    const auto id = list->calendarId();
    if (!id) continue;
    if (madeFolders.contains(*id)) {
      context->deleteObject(list);
    } else if (const auto it = entry.listOrderBefore.find(*id); it != entry.listOrderBefore.end()) {
      list->setOrder(static_cast<int16_t>(it->second));
    }
  }
  for (const auto& title : entry.createdTags) {
    if (auto tag = Tag::fetchBy(title, context); tag && tag->tasks().empty()) context->deleteObject(tag);
  }
  if (Error e = host.save()) return e;
  host.io.loadLists();
  return {};
}

Expected<UndoResult> History::undoLast(const Host& host, bool skipChanged) {
  return takeBack(Direction::undo, host, skipChanged);
}

Expected<UndoResult> History::redoLast(const Host& host, bool skipChanged) {
  return takeBack(Direction::redo, host, skipChanged);
}

// Undoing and redoing are one walk: an entry of `from` is undone, and what undoes that again goes
// to `to` first (durably, before any file changes), so each direction feeds the other.
Expected<UndoResult> History::takeBack(Direction direction, const Host& host, bool skipChanged) {
  const bool undo = direction == Direction::undo;
  const fs::path from = undo ? folder_ : redoFolder();
  const fs::path to = undo ? redoFolder() : folder_;
  const std::string_view verb = undo ? "undo" : "redo";
  // An undo cut short kept its inverse before it began: the newest entry of `to`, still pending (a
  // new change in between would have dropped the entry being resumed, see dropRedoLocked).
  const auto keptInverse = [&]() -> std::optional<std::pair<uint64_t, HistoryEntry>> {
    const auto numbers = entryNumbers(to);
    if (numbers.empty()) return std::nullopt;
    auto inverse = readEntry(to, numbers.back());
    if (!inverse || inverse->state != HistoryEntry::State::pending) return std::nullopt;
    return std::pair(numbers.back(), std::move(*inverse));
  };
  const auto finishInverse = [&](uint64_t number, HistoryEntry& inverse) {
    inverse.state = HistoryEntry::State::done;
    if (Error e = writeEntry(to, number, inverse)) {
      historyLog().error("Cannot mark the history entry of a finished %{public}@: %{public}@", std::string(verb),
                         e.message());
    }
    trim(to);
  };
  UndoResult result;
  for (;;) {
    const auto numbers = entryNumbers(from);
    if (numbers.empty()) {
      if (!result.skipped.empty()) return result;
      if (!undo) {
        return historyError(HistoryErrc::nothingToRedo,
                            "nothing to redo: only a change undone since the last new change can be redone");
      }
      return historyError(HistoryErrc::nothingToUndo,
                          "nothing to undo: the history holds no change (it keeps the last " +
                              stepOf(static_cast<int64_t>(options_.maxEntries)) + " changes, " +
                              sizeText(options_.maxBytes) + " at most)");
    }
    const uint64_t number = numbers.back();
    auto entry = readEntry(from, number);
    Expected<Plan> plan = entry ? planUndo(*entry, host, verb) : Expected<Plan>(entry.error());
    if (!plan) {
      const bool skippable = plan.error() == HistoryErrc::changedSince || plan.error() == HistoryErrc::unreadableEntry ||
                             plan.error() == HistoryErrc::tooLarge;
      if (!skipChanged || !skippable) return plan.error();
      result.skipped.push_back((entry ? entry->description : entryPath(from, number).filename().string()) + ": " +
                               plan.error().message());
      dropEntry(from, number);
      continue;
    }
    if (plan->nothingToDo()) {
      using State = HistoryEntry::State;
      if (entry->state == State::pending) {  // its process died before the change was made
        dropEntry(from, number);
        continue;
      }
      if (entry->state == State::done) {  // another program put things back since
        const Error error = historyError(HistoryErrc::changedSince,
                                         "cannot " + std::string(verb) + " '" + entry->description + "': " +
                                             (plan->reverted.empty() ? std::string("what it changed") : plan->reverted) +
                                             " was changed by another program since; nothing was changed");
        if (!skipChanged) return error;
        result.skipped.push_back(entry->description + ": " + error.message());
        dropEntry(from, number);
        continue;
      }
      // An undo that was cut short after putting everything back: its inverse stands.
      if (auto kept = keptInverse()) finishInverse(kept->first, kept->second);
    } else {
      const std::string cannot = "cannot " + std::string(verb) + " '" + entry->description + "': ";
      auto kept = entry->state == HistoryEntry::State::undoing ? keptInverse() : std::nullopt;
      if (!kept) {
        kept.emplace(0, inverseOf(*entry, *plan));
        if (Error e = prepareFolder(to)) return Error(e, cannot + "cannot keep it in " + to.string() + ": " + e.message());
        const auto inverseNumbers = entryNumbers(to);
        kept->first = inverseNumbers.empty() ? 1 : inverseNumbers.back() + 1;
        if (Error e = writeEntry(to, kept->first, kept->second)) {
          return Error(e, cannot + "cannot keep it in " + to.string() + ": " + e.message());
        }
      }
      // Marked first: an undo cut short is then told from a change that another program reverted.
      entry->state = HistoryEntry::State::undoing;
      if (Error e = writeEntry(from, number, *entry)) {
        return Error(e, cannot + "cannot mark its history entry: " + e.message());
      }
      // On failure the inverse stays: it finishes as never made when its files are as before.
      if (Error e = applyUndo(*entry, *plan, host, verb)) return e;
      finishInverse(kept->first, kept->second);
    }
    dropEntry(from, number);
    result.undone = entry->description;
    return result;
  }
}

}  // namespace zarvo
