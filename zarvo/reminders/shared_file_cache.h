// The process-wide cache of parsed task files that every EventStore handle of a process shares (so
// that reading a store again parses only the files that changed).
#pragma once

namespace zarvo::reminders {

// Drops the cache: the next fetch of any handle reads and parses every file again. For a
// long-running program that reads the store now and then and need not keep every file it parsed in
// between (and for tests of cold reads). Any thread.
void clearSharedFileCache();

}  // namespace zarvo::reminders
