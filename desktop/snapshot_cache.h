// The last Snapshot of a home, kept between runs so that the window can show the person's lists
// before the home has been read (reading a home of 10,000 tasks takes seconds; this file, tens of
// milliseconds). What it shows is marked provisional and is replaced by the home's own read.
//
// The file is private to the user (it holds task titles), lives in the user's cache folder, one per
// home, and is written atomically through platform::FileSystem. It is only ever a copy: a file that
// is missing, damaged, truncated or of another version is ignored, never trusted.
//
// Threads: any; the functions share no state.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "desktop/snapshot.h"
#include "zarvo/platform/error.h"
#include "zarvo/platform/filesystem.h"

namespace zarvo::desktop {

// The snapshot as bytes: lists, tasks, counts and the default list. Not the history's last change
// (an undo is offered only from the home's own read) and not the skipped files' count.
std::string encodeSnapshot(const Snapshot& snapshot);
// The snapshot `bytes` encode, marked provisional; none for anything encodeSnapshot of this version
// did not write.
std::optional<Snapshot> decodeSnapshot(std::string_view bytes);

// What a first screen can show of `snapshot`: its lists and counts, and of the tasks (in their order)
// only those among the first `rowsPerEntry` of some sidebar entry (a smart list or a list). A start
// reads and shows this much, not a whole home's tasks; the home's read brings the rest.
Snapshot firstScreens(const Snapshot& snapshot, size_t rowsPerEntry);

// Where the snapshot of `home` is kept: <cache>/zarvo/desktop/<hash of the home's absolute path>,
// with <cache> $XDG_CACHE_HOME, else ~/.cache. None when neither is set.
std::optional<std::filesystem::path> snapshotCachePath(const std::filesystem::path& home);

// Reads the file at `path`; none when it is missing or unreadable as a snapshot.
std::optional<Snapshot> loadSnapshot(platform::FileSystem& fs, const std::filesystem::path& path);
// Replaces the file at `path` (making its folder) with `bytes` from encodeSnapshot.
[[nodiscard]] Error storeSnapshot(platform::FileSystem& fs, const std::filesystem::path& path, std::string_view bytes);

}  // namespace zarvo::desktop
