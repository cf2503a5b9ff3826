#include "zarvo/reminders/internal/vdir.h"

#include <algorithm>
#include <atomic>
#include <chrono>

#include "zarvo/reminders/internal/backend.h"
#include "zarvo/reminders/internal/commit_plan.h"
#include "zarvo/reminders/internal/file_cache.h"
#include "zarvo/reminders/internal/parallel.h"

namespace zarvo::reminders::detail {

namespace fs = std::filesystem;
using platform::FileInfo;
using platform::FileSystem;

const platform::Log& storeLog() {
  static const platform::Log instance("org.zarvo.ZarvoKit", "reminders");
  return instance;
}

StoreError fileError(Error e, const std::string& what, const fs::path& path) {
  StoreErrorCode code = StoreErrorCode::io;
  if (e == std::errc::read_only_file_system || e == std::errc::permission_denied ||
      e == std::errc::operation_not_permitted) {
    code = StoreErrorCode::readOnly;
  } else if (e == std::errc::no_such_file_or_directory) {
    code = StoreErrorCode::notFound;
  }
  return StoreError(code, "Cannot " + what + " " + path.string() + ": " + e.message());
}

void logFailure(Error e, std::string_view what, const fs::path& path) {
  if (e.ok()) return;
  storeLog().error("Could not %{public}@ %{public}@: %{public}@", std::string(what), path.string(), e.message());
}

std::string trimmedLine(const std::string& text) {
  size_t end = text.find_first_of("\r\n");
  std::string line = text.substr(0, end);
  while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.pop_back();
  size_t start = line.find_first_not_of(" \t");
  return start == std::string::npos ? std::string() : line.substr(start);
}

std::string readSmallFile(FileSystem& fs, const fs::path& path) {
  std::string text;
  if (fs.readFile(path, text)) return {};
  return text;
}

bool isTaskFileName(std::string_view name) {
  return name.size() > 4 && name.ends_with(".ics") && !platform::isTemporaryFileName(name);
}

std::shared_ptr<const TodoFile> loadFile(FileSystem& fs, const fs::path& path, const FileInfo& before, bool* stored) {
  if (!before.exists) return nullptr;
  FileCache& cache = FileCache::shared();
  const std::string key = path.string();
  if (auto hit = cache.find(path, before)) {
    if (!hit->summary) return hit->file;
    if (auto file = cache.decode(path, *hit)) return file;
    // The saved copy did not give the entry back intact: the file itself is read below.
  }
  std::string content;
  FileInfo after;
  if (auto e = fs.readFileWithInfo(path, content, after)) {
    storeLog().error("Cannot read %{public}@: %{public}@", key, e.message());
    return nullptr;
  }
  std::string error;
  auto file = parseTodoFile(path, std::move(content), after, error);
  if (!file) storeLog().error("Skipping %{public}@, which does not parse: %{public}@", key, error);
  // Cache only a version whose metadata did not move while it was read.
  if (before.sameVersion(after)) {
    cache.store(path, FileCache::Entry{after, file, nullptr});
    if (stored) *stored = true;
  }
  return file;
}

std::shared_ptr<const TodoFile> loadFile(FileSystem& fs, const fs::path& path) {
  FileInfo before;
  if (fs.stat(path, before)) return nullptr;
  return loadFile(fs, path, before);
}

SourceDescription readSourceFile(const std::string& folder, const std::string& text) {
  SourceDescription source{folder, folder, SourceType::local};
  for (size_t pos = 0; pos < text.size();) {
    size_t eol = text.find('\n', pos);
    std::string line = trimmedLine(text.substr(pos, eol == std::string::npos ? std::string::npos : eol - pos));
    pos = eol == std::string::npos ? text.size() : eol + 1;
    size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    std::string key = line.substr(0, eq), value = line.substr(eq + 1);
    if (key == "identifier" && !value.empty()) source.identifier = value;
    if (key == "title" && !value.empty()) source.title = value;
    if (key == "type") {
      source.type = value == "2" ? SourceType::calDAV : value == "1" ? SourceType::exchange : SourceType::local;
    }
  }
  return source;
}

void scanTree(FileSystem& fs, const fs::path& root, std::map<std::string, std::shared_ptr<Source>>& sources,
              std::map<std::string, std::shared_ptr<Calendar>>& calendars, bool readOnly) {
  std::vector<platform::DirectoryEntry> top;
  std::set<std::string> seenCalendars;
  std::map<std::string, std::shared_ptr<Source>> freshSources;
  if (auto e = fs.listDirectory(root, top); e && e != std::errc::no_such_file_or_directory) {
    storeLog().error("Cannot list %{public}@: %{public}@", root.string(), e.message());
  }
  std::sort(top.begin(), top.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
  for (const auto& s : top) {
    if (!s.isDirectory || s.name.starts_with('.')) continue;
    const fs::path sourceDir = root / s.name;
    const SourceDescription described = readSourceFile(s.name, readSmallFile(fs, sourceDir / ".source"));
    auto existing = sources.find(s.name);
    std::shared_ptr<Source> source =
        existing != sources.end() && existing->second->sourceIdentifier() == described.identifier &&
                existing->second->title() == described.title && existing->second->sourceType() == described.type
            ? existing->second
            : std::make_shared<Source>(described.identifier, described.title, described.type);
    freshSources[s.name] = source;

    std::vector<platform::DirectoryEntry> collections;
    // A source folder that cannot be listed shows no lists until it can; the others still do.
    if (auto e = fs.listDirectory(sourceDir, collections)) logFailure(e, "list", sourceDir);
    for (const auto& c : collections) {
      if (!c.isDirectory || c.name.starts_with('.')) continue;
      const fs::path dir = sourceDir / c.name;
      const std::string id = s.name + "/" + c.name;
      std::string displayName = trimmedLine(readSmallFile(fs, dir / "displayname"));
      auto color = Color::fromHex(trimmedLine(readSmallFile(fs, dir / "color")));
      auto& calendar = calendars[id];
      if (!calendar) calendar = std::make_shared<Calendar>(id, EntityType::reminder);
      Backend::setFromDisk(*calendar, displayName.empty() ? c.name : displayName, color, source,
                           !readOnly && fs.isReadableAndWritable(dir));
      seenCalendars.insert(id);
    }
  }
  sources = std::move(freshSources);
  std::erase_if(calendars, [&](const auto& kv) { return !seenCalendars.contains(kv.first); });
}

namespace {

// Whether every task of a cached file is completed (as its summary or its parse says).
bool onlyCompleted(const FileCache::Entry& entry) {
  auto all = [](const auto& todos, auto completed) {
    return !todos.empty() && std::all_of(todos.begin(), todos.end(), completed);
  };
  if (entry.summary) return all(entry.summary->todos, [](const auto& t) { return t.completed; });
  if (entry.file) return all(entry.file->todos, [](const auto& t) { return t.fields.completed; });
  return false;
}

// How a folder's task files were found.
enum class Found {
  notFromState,  // the state does not hold or a file went away meanwhile: the folder is to be listed
  allChecked,    // every file of the state, each stat'ed
  allKnown,      // every file of the state; those that hold only completed tasks were not stat'ed
  attention,     // only the files of the state's attention list, each stat'ed
};

// The folder's task files from its state, when the folder is unchanged since a complete read: their
// names, each file's metadata (stat'ed, or the cached one for a file that need not be), and the
// cached entries of the files whose version is the same; the others go to `misses`. With `openOnly`,
// while the check of every file is not due, only the files of the state's attention list: the others
// hold only completed tasks, which the caller does not want, and are not looked at at all.
Found filesFromState(FileSystem& fs, const fs::path& dir, const FileInfo& dirInfo, bool checkEveryFile, bool openOnly,
                     std::shared_ptr<const std::vector<std::string>>& names, std::vector<FileInfo>& infos,
                     std::vector<FileCache::Entry>& found, std::vector<size_t>& misses, int64_t& checkedAt,
                     std::optional<FileCache::FolderState>& state) {
  FileCache& cache = FileCache::shared();
  state = cache.folderState(dir, dirInfo);
  if (!state) return Found::notFromState;
  const int64_t interval = std::chrono::duration_cast<std::chrono::nanoseconds>(completedTaskFilesCheckInterval()).count();
  const int64_t now = FileCache::nowNs();
  // A clock that went back since the last full check makes the check due.
  const bool checkAll = checkEveryFile || interval <= 0 || now < state->checkedAllAtNs ||
                        now - state->checkedAllAtNs >= interval;
  checkedAt = now;
  if (!checkAll && openOnly && state->attention) {
    const std::vector<std::string>& list = *state->attention;
    cache.entriesOf(dir, list, found, /*all=*/false);
    infos.assign(list.size(), FileInfo{});
    std::vector<size_t> every(list.size());
    for (size_t i = 0; i < every.size(); ++i) every[i] = i;
    if (fs.statEntries(dir, list, every, infos)) return Found::notFromState;
    for (size_t i = 0; i < list.size(); ++i) {
      if (!infos[i].exists || !infos[i].isRegular) return Found::notFromState;
      if (!found[i].info.exists || !found[i].info.sameVersion(infos[i])) {
        found[i] = FileCache::Entry{};
        misses.push_back(i);
      }
    }
    names = state->attention;
    return Found::attention;
  }
  const std::vector<std::string>& list = *state->names;
  cache.entriesOf(dir, list, found);
  std::vector<size_t> which;
  which.reserve(list.size());
  infos.assign(list.size(), FileInfo{});
  for (size_t i = 0; i < list.size(); ++i) {
    if (checkAll || !found[i].info.exists || !onlyCompleted(found[i])) {
      which.push_back(i);
    } else {
      infos[i] = found[i].info;
    }
  }
  if (fs.statEntries(dir, list, which, infos)) return Found::notFromState;
  for (size_t i : which) {
    // Gone, or no longer a file: the folder changed after its metadata was taken.
    if (!infos[i].exists || !infos[i].isRegular) return Found::notFromState;
    if (!found[i].info.exists || !found[i].info.sameVersion(infos[i])) {
      found[i] = FileCache::Entry{};
      misses.push_back(i);
    }
  }
  names = state->names.list();
  // The time of the check is recorded once the files that changed have been read (with the list of
  // files that need attention); spacing checks out only matters with an interval.
  return checkAll && interval > 0 ? Found::allChecked : Found::allKnown;
}

bool isLeftoverName(std::string_view name) {
  return platform::temporaryFileOwner(name).has_value() || oldVersionOwner(name).has_value();
}

}  // namespace

void loadCalendarFolder(FileSystem& fs, const fs::path& root, const std::shared_ptr<Calendar>& calendar,
                        std::optional<bool> completed, const std::set<std::string>& skipUids, bool checkEveryFile,
                        bool allowPartial, std::vector<std::shared_ptr<Reminder>>& out, FolderReport& report) {
  // A folder unchanged since a complete read is not listed again: its names come from its state and
  // each file is stat'ed (see FileCache). Otherwise it is listed with each file's metadata. Every
  // file is looked up in the cache; the files that changed are read and parsed; the reminders are
  // made. A path is built only for a file that has to be read or reported: ten thousand of them cost
  // more than the look-ups.
  const fs::path dir = root / calendar->calendarIdentifier();
  FileCache& cache = FileCache::shared();
  const int64_t listedAt = FileCache::nowNs();
  FileInfo dirInfo;
  if (fs.stat(dir, dirInfo) || !dirInfo.exists) dirInfo = FileInfo{};
  std::shared_ptr<const std::vector<std::string>> sharedNames;
  std::vector<FileInfo> infos;
  std::vector<FileCache::Entry> found;
  std::vector<size_t> misses;
  int64_t checkedAt = listedAt;
  std::optional<FileCache::FolderState> state;
  const bool openOnly = allowPartial && completed == false;
  Found how = dirInfo.exists ? filesFromState(fs, dir, dirInfo, checkEveryFile, openOnly, sharedNames, infos, found,
                                              misses, checkedAt, state)
                             : Found::notFromState;
  if (how == Found::notFromState) {
    misses.clear();
    checkedAt = listedAt;
    std::vector<platform::DirectoryEntry> entries;
    if (auto e = fs.listDirectoryWithInfo(dir, entries)) {
      if (e != std::errc::no_such_file_or_directory) {
        storeLog().error("Cannot list %{public}@: %{public}@", dir.string(), e.message());
      }
      return;
    }
    // In file-name order. Positions are sorted rather than the entries, which are costlier to move.
    std::vector<size_t> order;
    order.reserve(entries.size());
    bool leftovers = false;
    for (size_t i = 0; i < entries.size(); ++i) {
      if (entries[i].isRegular && isTaskFileName(entries[i].name)) {
        order.push_back(i);
      } else {
        leftovers = leftovers || isLeftoverName(entries[i].name);
      }
    }
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return entries[a].name < entries[b].name; });
    auto names = std::make_shared<std::vector<std::string>>();
    names->reserve(order.size());
    infos.reserve(order.size());
    for (size_t i : order) {
      names->push_back(std::move(entries[i].name));
      infos.push_back(entries[i].info);
    }
    found.assign(names->size(), FileCache::Entry{});
    if (cache.lookUpFolder(dir, *names, infos, found, misses)) ++report.changes;
    sharedNames = names;
    if (dirInfo.exists &&
        cache.setFolderState(dir, FileCache::FolderState{dirInfo, sharedNames, leftovers, listedAt, nullptr}, listedAt)) {
      how = Found::allChecked;
    }
  }
  const std::vector<std::string>& names = *sharedNames;
  // Files not cached (all of them, the first time a large folder is read) are read and parsed on
  // several threads; each fills its own slot.
  std::atomic<uint64_t> stores{0};
  auto readMiss = [&](size_t k) {
    const size_t i = misses[k];
    bool stored = false;
    found[i] = FileCache::Entry{infos[i], loadFile(fs, dir / names[i], infos[i], &stored), nullptr};
    if (stored) ++stores;
  };
  forEachIndexInParallel(misses.size(), misses.size() < 32 ? 1 : 4, readMiss);
  report.partial = how == Found::attention;
  // The folder's key for a duplicate verdict: its state, and its attention list's files as found now.
  if (how == Found::attention) {
    report.key = FileCache::FolderKey{dirInfo, state->checkedAllAtNs, FileCache::fingerprint(names, infos)};
  } else if (how == Found::allChecked) {
    // Every file was checked and is known now: which of them a later read of open tasks must look at.
    auto attention = std::make_shared<std::vector<std::string>>();
    std::vector<FileInfo> attentionInfos;
    for (size_t f = 0; f < found.size(); ++f) {
      if (onlyCompleted(found[f])) continue;
      attention->push_back(names[f]);
      attentionInfos.push_back(infos[f]);
    }
    report.key = FileCache::FolderKey{dirInfo, checkedAt, FileCache::fingerprint(*attention, attentionInfos)};
    cache.setAttention(dir, dirInfo, checkedAt, std::move(attention));
  } else if (how == Found::allKnown && state->attention) {
    // The state's attention list, with the versions found now (both lists are sorted).
    std::vector<FileInfo> attentionInfos;
    size_t f = 0;
    for (const auto& name : *state->attention) {
      while (f < names.size() && names[f] < name) ++f;
      if (f == names.size() || names[f] != name) break;
      attentionInfos.push_back(infos[f]);
    }
    if (attentionInfos.size() == state->attention->size()) {
      report.key = FileCache::FolderKey{dirInfo, state->checkedAllAtNs, FileCache::fingerprint(*state->attention, attentionInfos)};
    }
  }
  auto wanted = [&](bool isCompleted, std::string_view uid) {
    return (!completed || isCompleted == *completed) && (skipUids.empty() || !skipUids.contains(std::string(uid)));
  };
  // A VTODO without UID is known by its file name. The UIDs point into the entries the report keeps.
  auto uidOf = [&](bool hasUid, const std::string& uid, size_t f) -> std::string_view {
    return hasUid ? std::string_view(uid) : std::string_view(report.madeUids.emplace_back(fs::path(names[f]).stem().string()));
  };
  // Known from the saved copy's index: a file is decoded only when a reminder is made of it.
  auto needed = [&](const FileCache::Summary& summary, size_t f) {
    for (const auto& todo : summary.todos) {
      if (todo.recurrenceOverride || (completed && todo.completed != *completed)) continue;
      if (todo.hasUid ? wanted(todo.completed, todo.uid) : wanted(todo.completed, fs::path(names[f]).stem().string())) {
        return true;
      }
    }
    return false;
  };
  // The files needed are decoded together first: entries that lie close in the copy take one read.
  std::vector<size_t> toDecode;
  std::vector<bool> isNeeded(found.size());
  for (size_t f = 0; f < found.size(); ++f) {
    if (!found[f].summary || !needed(*found[f].summary, f)) continue;
    toDecode.push_back(f);
    isNeeded[f] = true;
  }
  cache.decodeAll(dir.native(), names, found, toDecode);
  out.reserve(out.size() + found.size());
  report.madeFrom.assign(found.size(), nullptr);
  for (size_t f = 0; f < found.size(); ++f) {
    FileCache::Entry& entry = found[f];
    if (entry.summary) {
      if (!isNeeded[f]) {
        for (const auto& todo : entry.summary->todos) {
          if (!todo.recurrenceOverride) report.uids.emplace_back(uidOf(todo.hasUid, todo.uid, f), f);
        }
        continue;
      }
      // The file itself is read only when the copy did not give the entry back intact.
      if (!entry.file) {
        bool stored = false;
        entry.file = loadFile(fs, dir / names[f], entry.info, &stored);
        if (stored) ++stores;
      }
      entry.summary.reset();
    }
    const std::shared_ptr<const TodoFile>& file = entry.file;
    if (!file) {
      report.unreadable.emplace_back(dir / names[f], "cannot be read or does not parse");
      continue;
    }
    for (size_t i = 0; i < file->todos.size(); ++i) {
      const auto& todo = file->todos[i];
      if (todo.recurrenceOverride) continue;
      const std::string_view uid = uidOf(todo.fields.hasUid, todo.fields.uid, f);
      if (wanted(todo.fields.completed, uid)) {
        out.push_back(Backend::makeReminder(file, i, calendar));
        report.madeFrom[f] = file.get();
      }
      report.uids.emplace_back(uid, f);
    }
  }
  report.changes += stores.load();
  report.dir = dir;
  report.names = std::move(sharedNames);
  report.entries = std::move(found);
}

}  // namespace zarvo::reminders::detail
