#include "zarvo/reminders/internal/uid_owners.h"

#include <algorithm>
#include <vector>

#include "zarvo/reminders/internal/backend.h"
#include "zarvo/reminders/internal/file_cache.h"
#include "zarvo/reminders/internal/folder_name.h"
#include "zarvo/reminders/internal/vdir.h"
#include "zarvo/reminders/naming.h"

namespace zarvo::reminders::detail {

namespace fs = std::filesystem;

std::string uidKnownBy(const TodoEntry& todo, const fs::path& file) {
  return todo.fields.hasUid ? todo.fields.uid : file.stem().string();
}

namespace {

// Of `uids`, those that a task file of `calendars` (one account's, in identifier order) read before
// `file` holds: the files of the calendars before `calendar`, then those of its own folder whose
// names sort before `file`'s.
//
// A file named after the UIDs it holds (as this store and sync programs name them) is looked for
// only under that name in the calendars before its own: a copy under another name is checked when
// it is read itself. Any other file is checked against every file read before it; of those, a file
// is parsed only when its bytes hold the start of one of the UIDs (or no UID at all, when it is known
// by its name): reading bytes is cheap, parsing is not.
std::set<std::string> heldBefore(platform::FileSystem& fs, const fs::path& root,
                                 const std::vector<std::shared_ptr<Calendar>>& calendars,
                                 const std::string& calendar, const fs::path& file, const std::set<std::string>& uids) {
  const bool named = std::all_of(uids.begin(), uids.end(),
                                 [&](const std::string& uid) { return detail::fileNameForUid(uid) == file.filename(); });
  std::vector<std::string> needles;
  for (const std::string& uid : uids) {
    // Up to the first character a writer escapes, and short enough not to be folded.
    needles.push_back(uid.substr(0, std::min<size_t>(uid.find_first_of(",;\\\n"), 16)));
  }
  std::set<std::string> held;
  const auto holds = [&](const fs::path& path) {
    const std::shared_ptr<const detail::TodoFile> other = detail::loadFile(fs, path);
    if (!other) return;
    for (const auto& todo : other->todos) {
      if (!todo.recurrenceOverride && uids.contains(uidKnownBy(todo, path))) held.insert(uidKnownBy(todo, path));
    }
  };
  if (named) {
    for (const auto& c : calendars) {
      if (c->calendarIdentifier() >= calendar) break;
      const fs::path path = root / c->calendarIdentifier() / file.filename();
      platform::FileInfo info;
      if (!fs.stat(path, info) && info.exists) holds(path);
    }
    return held;
  }
  for (const auto& c : calendars) {
    if (c->calendarIdentifier() > calendar) break;
    const fs::path dir = root / c->calendarIdentifier();
    std::vector<platform::DirectoryEntry> entries;
    if (fs.listDirectory(dir, entries)) continue;
    for (const auto& entry : entries) {
      if (entry.isDirectory || !detail::isTaskFileName(entry.name)) continue;
      if (c->calendarIdentifier() == calendar && entry.name >= file.filename().string()) continue;
      const fs::path path = dir / entry.name;
      std::string bytes;
      if (fs.readFile(path, bytes)) continue;
      const bool knownByName = bytes.find("UID") == std::string::npos;
      if (!knownByName && std::none_of(needles.begin(), needles.end(),
                                 [&](const std::string& n) { return bytes.find(n) != std::string::npos; })) {
        continue;
      }
      holds(path);
    }
  }
  return held;
}

}  // namespace

std::set<std::string> uidsHeldBefore(platform::FileSystem& fs, const fs::path& root,
                                     const std::map<std::string, std::shared_ptr<Calendar>>& calendars,
                                     const std::string& calendar, const fs::path& path, const TodoFile& file) {
  std::set<std::string> uids;
  for (const auto& todo : file.todos) {
    if (!todo.recurrenceOverride) uids.insert(uidKnownBy(todo, path));
  }
  const auto own = calendars.find(calendar);
  if (own == calendars.end()) return {};
  std::vector<std::shared_ptr<Calendar>> account;  // one account's lists, in identifier order
  for (const auto& [id, c] : calendars) {
    if (c->source() == own->second->source()) account.push_back(c);
  }
  return heldBefore(fs, root, account, calendar, path, uids);
}

}  // namespace zarvo::reminders::detail
