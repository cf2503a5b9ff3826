// The window's Snapshot as the library's snapshot cache keeps it (zarvo/home/snapshot_cache.h), so a
// start can show the last run's lists before the home has been read. The cache's format, location
// and file handling are the library's; this is only the translation.
//
// Threads: any; the functions share no state.
#pragma once

#include "desktop/snapshot.h"
#include "zarvo/home/snapshot_cache.h"

namespace zarvo::desktop {

// The front end's name in the cache's location (snapshotCachePath(home, kSnapshotCacheName)).
inline constexpr std::string_view kSnapshotCacheName = "desktop";

// What the cache keeps of `snapshot`: lists (with their accounts and folds, so a first screen groups
// and folds them as the home does), tasks, counts and the default list. Not the history's last
// change (an undo is offered only from the home's own read) and not the skipped files' count.
CachedView cachedView(const Snapshot& snapshot);
// `view` as a Snapshot, marked provisional.
Snapshot snapshotOf(const CachedView& view);

}  // namespace zarvo::desktop
