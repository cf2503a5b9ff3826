// The snapshot cache: what a front end last showed of a home (its lists, counts and the first rows of
// each of its views), kept between runs so that the next start can show the person's lists before
// the home has been read. Reading a home of 10,000 tasks takes seconds; this file, milliseconds.
//
// It is only ever a copy. A file that is missing, damaged, cut short, of another version or written
// for another home reads as none, never as an error and never as a partial view; a file that cannot
// be written costs the next start its head start and nothing else. What it shows must be replaced by
// the home's own read as soon as that arrives.
//
// The file is private to the user (0600: it holds task titles), lives in the user's cache folder,
// one per front end and home, and is read and written only through the platform::FileSystem given
// (a home's HomeOptions::fileSystemOrDefault(), so faults injected into a home reach it too), a
// write replacing the file atomically.
//
// Threads: any; the functions share no state.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "zarvo/platform/colour.h"
#include "zarvo/platform/error.h"
#include "zarvo/platform/filesystem.h"

namespace zarvo {

struct CachedList {
  std::string id;  // calendar identifier
  std::string title;
  platform::Colour colour;
  int64_t openCount = 0;
  std::string countTitle;  // the localized "task_count" text
  // The title of the account (source) the list belongs to; empty for this computer's own lists. With
  // `collapsed` (List::collapsed), a first screen groups and folds the lists as the home does.
  std::string account;
  bool collapsed = false;
  friend bool operator==(const CachedList&, const CachedList&) = default;
};

struct CachedTask {
  std::string uid;  // external identifier
  std::string title;
  std::string listId;
  platform::Colour titleColour;
  platform::Colour listColour;
  std::optional<int64_t> dueMilliseconds;  // since the Unix epoch
  bool allDay = false;
  bool flagged = false;
  int priority = 0;
  std::vector<std::string> tags;
  // Which of the smart lists Today, Upcoming and Top held the task when it was cached.
  bool today = false, upcoming = false, top = false;
  friend bool operator==(const CachedTask&, const CachedTask&) = default;
};

struct CachedView {
  std::vector<CachedList> lists;  // in the order shown
  std::vector<CachedTask> tasks;  // in the order shown
  std::string defaultListId;
  // Open tasks of the smart lists Today, Upcoming, Flagged, Top and All.
  std::array<int64_t, 5> smartCounts{};
  friend bool operator==(const CachedView&, const CachedView&) = default;
};

// What a first screen can show of `view`: its lists and counts, and of the tasks (in their order) only
// those among the first `rowsPerEntry` of some entry a sidebar shows (each smart list, each list). A
// start reads and shows this much, not a whole home's tasks; the home's read brings the rest.
CachedView firstScreens(const CachedView& view, size_t rowsPerEntry);

// The file's bytes, bound to `home` (its absolute, normalised path): a file copied from another
// home's cache, or left there under a colliding name, is not shown for this one.
std::string encodeCachedView(const CachedView& view, const std::filesystem::path& home);
// The view that encodeCachedView of this version wrote for `home`; none for anything else.
std::optional<CachedView> decodeCachedView(std::string_view bytes, const std::filesystem::path& home);

// Where `frontEnd` ("desktop") keeps its view of `home`:
// <cache>/zarvo/<frontEnd>/<hash of the home's absolute path>.snapshot, with <cache> $XDG_CACHE_HOME,
// else $HOME/.cache (empty variables count as unset). None when neither is set.
std::optional<std::filesystem::path> snapshotCachePath(const std::filesystem::path& home, std::string_view frontEnd);

// The view kept at `path` for `home`; none when the file is missing, unreadable or not such a view.
std::optional<CachedView> loadCachedView(platform::FileSystem& fs, const std::filesystem::path& path,
                                         const std::filesystem::path& home);
// Replaces the file at `path` (making its folders) with `view`, atomically.
[[nodiscard]] Error storeCachedView(platform::FileSystem& fs, const std::filesystem::path& path,
                                    const std::filesystem::path& home, const CachedView& view);

}  // namespace zarvo
