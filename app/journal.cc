#include "app/journal.h"

#include <fmt/format.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>

#include "app/command_error.h"
#include "app/task_ids.h"
#include "zarvo/model/tag.h"
#include "zarvo/platform/filesystem.h"

namespace zarvo::app {

namespace fs = std::filesystem;
using json = nlohmann::json;

namespace {

constexpr size_t kKeptEntries = 50;

fs::path journalFolder(const Session& session) { return session.home() / "journal"; }
fs::path remindersRoot(const Session& session) { return session.home() / "reminders"; }

std::optional<std::string> readIfPresent(const fs::path& path) {
  std::string content;
  if (platform::FileSystem::posix()->readFile(path, content)) return std::nullopt;
  return content;
}

// Size and 64-bit FNV-1a of the bytes: enough to tell that another program rewrote a file.
std::string digest(const std::string& bytes) {
  uint64_t hash = 1469598103934665603ull;
  for (unsigned char c : bytes) hash = (hash ^ c) * 1099511628211ull;
  return fmt::format("{}:{:016x}", bytes.size(), hash);
}

std::string base64(const std::string& bytes) {
  static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  uint32_t buffer = 0;
  int bits = 0;
  for (unsigned char c : bytes) {
    buffer = (buffer << 8) | c;
    bits += 8;
    while (bits >= 6) out += kAlphabet[(buffer >> (bits -= 6)) & 0x3F];
  }
  if (bits > 0) out += kAlphabet[(buffer << (6 - bits)) & 0x3F];
  while (out.size() % 4 != 0) out += '=';
  return out;
}

std::optional<std::string> fromBase64(const std::string& text) {
  std::string out;
  uint32_t buffer = 0;
  int bits = 0;
  for (char c : text) {
    int value;
    if (c >= 'A' && c <= 'Z') value = c - 'A';
    else if (c >= 'a' && c <= 'z') value = c - 'a' + 26;
    else if (c >= '0' && c <= '9') value = c - '0' + 52;
    else if (c == '+') value = 62;
    else if (c == '/') value = 63;
    else if (c == '=') break;
    else return std::nullopt;
    buffer = (buffer << 6) | static_cast<uint32_t>(value);
    bits += 6;
    if (bits >= 8) out += static_cast<char>((buffer >> (bits -= 8)) & 0xFF);
  }
  return out;
}

TaskState stateOf(const Task& task) {
  TaskState state;
  state.flagged = task.flagged();
  for (const auto& tag : task.tags()) {
    if (auto title = tag->title()) state.tags.push_back(*title);
  }
  std::sort(state.tags.begin(), state.tags.end());
  return state;
}

json stateJson(const std::optional<TaskState>& state) {
  if (!state) return nullptr;
  return json{{"flagged", state->flagged}, {"tags", state->tags}};
}

std::optional<TaskState> stateFrom(const json& j) {
  if (j.is_null()) return std::nullopt;
  return TaskState{j.at("flagged").get<bool>(), j.at("tags").get<std::vector<std::string>>()};
}

json entryJson(const JournalEntry& e) {
  json files = json::array();
  for (const auto& f : e.files) {
    files.push_back({{"path", f.path},
                     {"before", f.before ? json(base64(*f.before)) : json(nullptr)},
                     {"after", f.after ? json(*f.after) : json(nullptr)}});
  }
  json records = json::array();
  for (const auto& r : e.records) {
    records.push_back({{"uid", r.uid}, {"before", stateJson(r.before)}, {"after", stateJson(r.after)}});
  }
  return json{{"description", e.description}, {"files", files},           {"records", records},
              {"createdFolders", e.createdFolders}, {"listOrderBefore", e.listOrderBefore},
              {"listOrderAfter", e.listOrderAfter}};
}

JournalEntry entryFrom(const json& j) {
  JournalEntry e;
  e.description = j.at("description").get<std::string>();
  for (const auto& f : j.at("files")) {
    JournalEntry::File file{f.at("path").get<std::string>(), std::nullopt, std::nullopt};
    if (!f.at("before").is_null()) {
      file.before = fromBase64(f.at("before").get<std::string>());
      if (!file.before) throw std::runtime_error("damaged contents");
    }
    if (!f.at("after").is_null()) file.after = f.at("after").get<std::string>();
    e.files.push_back(std::move(file));
  }
  for (const auto& r : j.at("records")) {
    e.records.push_back({r.at("uid").get<std::string>(), stateFrom(r.at("before")), stateFrom(r.at("after"))});
  }
  e.createdFolders = j.at("createdFolders").get<std::vector<std::string>>();
  e.listOrderBefore = j.at("listOrderBefore").get<std::map<std::string, int>>();
  e.listOrderAfter = j.at("listOrderAfter").get<std::map<std::string, int>>();
  return e;
}

// The journal's entry files, oldest first.
std::vector<fs::path> entryFiles(const fs::path& folder) {
  std::vector<fs::path> files;
  std::error_code ec;
  for (const auto& item : fs::directory_iterator(folder, ec)) {
    if (item.path().extension() == ".json") files.push_back(item.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

std::map<std::string, int> listOrder(const Session& session) {
  std::map<std::string, int> order;
  for (const auto& list : session.lists()) {
    if (auto id = list->calendarId()) order[*id] = list->order();
  }
  return order;
}

void writeEntry(const fs::path& folder, const JournalEntry& entry) {
  auto fileSystem = platform::FileSystem::posix();
  if (auto e = platform::createDirectories(*fileSystem, folder)) {
    throw RefusedError("cannot keep the undo journal in " + folder.string() + ": " + e.message());
  }
  const std::vector<fs::path> files = entryFiles(folder);
  uint64_t next = 1;
  if (!files.empty()) next = std::stoull(files.back().stem().string()) + 1;
  const fs::path path = folder / fmt::format("{:012}.json", next);
  if (auto e = platform::writeFileAtomically(*fileSystem, path, entryJson(entry).dump())) {
    throw RefusedError("cannot write the undo journal " + path.string() + ": " + e.message());
  }
  // Trimming the oldest entries is housekeeping: one that cannot be removed now is tried again with
  // the next entry, and the new entry is written either way.
  for (size_t i = 0; i + kKeptEntries < files.size() + 1; ++i) (void)fileSystem->removeFile(files[i]);
}

}  // namespace

ChangeRecorder::ChangeRecorder(Session& session, std::string description) : session_(session) {
  entry_.description = std::move(description);
}

void ChangeRecorder::keep(const fs::path& path, const std::function<std::optional<std::string>()>& before) {
  const std::string relative = path.lexically_relative(remindersRoot(session_)).string();
  for (const auto& f : entry_.files) {
    if (f.path == relative) return;  // the first look is the one before the change
  }
  entry_.files.push_back({relative, before(), std::nullopt});
}

void ChangeRecorder::file(const fs::path& path) {
  keep(path, [&] { return readIfPresent(path); });
}

void ChangeRecorder::task(const std::shared_ptr<Task>& task) {
  if (auto reminder = task->reminder()) {
    // The bytes as read: saving refuses to overwrite a file that no longer holds them.
    if (auto version = reminder->fileVersion()) keep(version->path, [&] { return version->content; });
  }
  entry_.records.push_back({uidOf(*task), stateOf(*task), std::nullopt});
  tasks_.push_back(task);
}

void ChangeRecorder::listFolder(const std::string& calendarIdentifier) {
  std::error_code ec;
  for (const auto& item : fs::directory_iterator(remindersRoot(session_) / calendarIdentifier, ec)) {
    if (item.is_regular_file(ec)) file(item.path());
  }
  // Removing or adding a list may choose another default list.
  file(remindersRoot(session_) / ".default-calendar");
}

void ChangeRecorder::defaultList() { file(remindersRoot(session_) / ".default-calendar"); }

void ChangeRecorder::listOrder() {
  entry_.listOrderBefore = app::listOrder(session_);
  order_ = true;
}

void ChangeRecorder::added(const std::shared_ptr<Task>& task) {
  entry_.records.push_back({uidOf(*task), std::nullopt, std::nullopt});
  tasks_.push_back(task);
}

namespace {

std::set<std::string> fileNames(const fs::path& folder) {
  std::set<std::string> names;
  std::vector<platform::DirectoryEntry> entries;
  if (platform::FileSystem::posix()->listDirectory(folder, entries)) return names;
  for (const auto& e : entries) names.insert(e.name);
  return names;
}

}  // namespace

void ChangeRecorder::addedListFolder(const std::string& calendarIdentifier) {
  entry_.createdFolders.push_back(calendarIdentifier);
  watched_[calendarIdentifier];  // it held nothing before
}

void ChangeRecorder::commit() {
  // Where the tasks are now: an edit rewrites in place, a move or an add writes a file the change
  // made. The store never writes a task over another file, so a path first seen here held nothing
  // before, and the folder need not be listed before and after to find it.
  for (const auto& task : tasks_) {
    if (auto reminder = task->reminder()) {
      if (auto version = reminder->fileVersion()) keep(version->path, [] { return std::nullopt; });
    }
  }
  const fs::path root = remindersRoot(session_);
  for (const auto& [folder, before] : watched_) {
    for (const auto& name : fileNames(root / folder)) {
      if (!before.contains(name)) entry_.files.push_back({(fs::path(folder) / name).string(), std::nullopt, std::nullopt});
    }
  }
  for (auto& f : entry_.files) {
    const auto now = readIfPresent(root / f.path);
    f.after = now ? std::optional<std::string>(digest(*now)) : std::nullopt;
  }
  // Drop files the change did not touch (a list folder's other files, an unchanged default).
  std::erase_if(entry_.files, [](const JournalEntry::File& f) {
    return f.before.has_value() == f.after.has_value() && (!f.before || digest(*f.before) == *f.after);
  });
  // A deleted task has left its context (once saved) and its file.
  std::set<const Task*> gone;
  for (const auto& task : tasks_) {
    const auto reminder = task->reminder();
    const auto version = reminder ? reminder->fileVersion() : std::nullopt;
    if (task->isDeleted() || !task->managedObjectContext() || !version || !fs::exists(version->path)) {
      gone.insert(task.get());
    }
  }
  for (size_t i = 0; i < entry_.records.size(); ++i) {
    const auto& task = tasks_[i];
    if (!gone.contains(task.get())) entry_.records[i].after = stateOf(*task);
  }
  if (order_) entry_.listOrderAfter = app::listOrder(session_);
  writeEntry(journalFolder(session_), entry_);
}

std::string undoLastChange(Session& session) {
  const std::vector<fs::path> files = entryFiles(journalFolder(session));
  if (files.empty()) throw UsageError("nothing to undo: no change made through zarvo is left in the journal");
  const fs::path last = files.back();
  JournalEntry entry;
  try {
    std::ifstream in(last, std::ios::binary);
    entry = entryFrom(json::parse(in));
  } catch (const std::exception& e) {
    throw RefusedError("the undo journal entry " + last.string() + " cannot be read: " + e.what());
  }
  const auto refuse = [&](const std::string& why) {
    throw RefusedError(fmt::format("cannot undo '{}': {}; nothing was changed", entry.description, why));
  };

  // Everything the change left must still be as it left it.
  const fs::path root = remindersRoot(session);
  for (const auto& f : entry.files) {
    const auto now = readIfPresent(root / f.path);
    const std::optional<std::string> nowDigest = now ? std::optional<std::string>(digest(*now)) : std::nullopt;
    if (nowDigest != f.after) refuse(fmt::format("{} was changed by another program since", (root / f.path).string()));
  }
  std::map<std::string, std::shared_ptr<Task>> byUid;
  for (const auto& task : session.allTasks()) byUid[uidOf(*task)] = task;
  for (const auto& r : entry.records) {
    if (!r.after) continue;
    const auto it = byUid.find(r.uid);
    if (it == byUid.end() || stateOf(*it->second) != *r.after) {
      refuse(fmt::format("the task {} was changed by another program since", r.uid));
    }
  }
  for (const auto& folder : entry.createdFolders) {
    for (const auto& name : fileNames(root / folder)) {
      const std::string path = (fs::path(folder) / name).string();
      if (std::none_of(entry.files.begin(), entry.files.end(), [&](const auto& f) { return f.path == path; })) {
        refuse(fmt::format("the list folder {} holds a file made since ({})", (root / folder).string(), name));
      }
    }
  }
  if (!entry.listOrderAfter.empty() && listOrder(session) != entry.listOrderAfter) {
    refuse("the order of the lists was changed since");
  }

  // Files first, byte for byte; then the records, on the store as the files now say.
  auto fileSystem = platform::FileSystem::posix();
  for (const auto& f : entry.files) {
    const fs::path path = root / f.path;
    std::error_code e;
    if (f.before) {
      e = platform::createDirectories(*fileSystem, path.parent_path());
      if (!e) e = platform::writeFileAtomically(*fileSystem, path, *f.before);
    } else if (fs::exists(path)) {
      e = fileSystem->removeFile(path);
    }
    if (e) throw RefusedError(fmt::format("undo stopped at {}: {}", path.string(), e.message()));
  }
  for (const auto& folder : entry.createdFolders) {
    std::error_code ec;
    fs::remove(root / folder, ec);  // only when empty: files of other programs stay
  }

  session.io().loadLists();
  byUid.clear();
  for (const auto& task : session.allTasks()) byUid[uidOf(*task)] = task;
  const auto context = session.context();
  for (const auto& r : entry.records) {
    if (!r.before) {
      // The task the change made is gone with its file; so goes its record.
      for (const auto& task : context->fetch<Task>(Task::fetchRequest())) {
        if (task->reminderId() == r.uid) context->deleteObject(task);
      }
      continue;
    }
    const auto it = byUid.find(r.uid);
    if (it == byUid.end()) continue;
    it->second->setFlagged(r.before->flagged);
    std::vector<std::shared_ptr<Tag>> tags;
    for (const auto& title : r.before->tags) tags.push_back(Tag::fetchOrCreate(title, context));
    it->second->setTags(tags);
  }
  for (const auto& folder : entry.createdFolders) {
    for (const auto& list : context->fetch<List>(List::fetchRequest())) {
      if (list->calendarId() == folder && !fs::exists(root / folder)) context->deleteObject(list);
    }
  }
  if (!entry.listOrderBefore.empty()) {
    for (const auto& list : context->fetch<List>(List::fetchRequest())) {
      if (auto id = list->calendarId(); id && entry.listOrderBefore.contains(*id)) {
        list->setOrder(static_cast<int16_t>(entry.listOrderBefore.at(*id)));
      }
    }
  }
  session.finish();
  session.io().loadLists();
  // The change is undone; an entry left behind would be undone a second time by the next undo.
  if (auto e = platform::FileSystem::posix()->removeFile(last)) {
    throw RefusedError("undid \"" + entry.description + "\", but cannot remove its journal entry " + last.string() +
                       ": " + e.message() + "; remove it before the next undo");
  }
  return entry.description;
}

}  // namespace zarvo::app
