// Settling a task that was changed on this machine and on the server between two syncs.
//
// The rule: the version changed last wins (LAST-MODIFIED, else DTSTAMP, compared as UTC times); when
// the times are equal or either cannot be read, the server's version wins, so that every machine
// settles the same conflict the same way. Nothing is lost: the losing version is written, byte for
// byte, to a file of its own in the conflicts folder, and the sync reports where.
//
// A task deleted on one side and changed on the other is no conflict: vdirsyncer copies the changed
// version back, so the change survives.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "zarvo/sync/sync_error.h"
#include "zarvo/sync/vdirsyncer.h"

namespace zarvo::caldav {

// Which side wins between two versions of one task file, by the rule above.
Side conflictWinner(std::string_view local, std::string_view server);

// The resolver vdirsyncer runs: `local` and `server` hold the two versions. Writes the winner into
// both files (vdirsyncer takes it when the two are equal), keeps the loser in `conflictsDirectory`
// and says what it did. A `files` failure when a file cannot be read or written; then vdirsyncer
// reports the conflict and changes nothing.
Expected<ConflictNote> resolveConflictFiles(const std::filesystem::path& local, const std::filesystem::path& server,
                                  const std::filesystem::path& conflictsDirectory);

}  // namespace zarvo::caldav
