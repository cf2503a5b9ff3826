// The lock that makes the processes using one home take turns: readers share it, a writer holds it
// alone. Every opening of a home goes through here, so the policy lives in one place.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "zarvo/platform/error.h"
#include "zarvo/platform/filesystem.h"

namespace zarvo::detail {

// An advisory lock (flock) on `path`, held until destruction and released by the kernel when the
// descriptor closes, also when the process dies. Each holder also marks the file with a record lock of
// the same kind, which lets a waiting process name it (pid and command).
class HomeLock {
 public:
  enum class Kind { shared, exclusive };

  // Takes the lock, making the lock file (0600) through `fileSystem` when it is missing. Waits up to
  // `patience` for the holders that keep it out, calling `waiting` once (with the holder's
  // description) when it has to wait at all. Errors: the file cannot be made, opened or locked (its
  // errno), or the wait runs out (std::errc::device_or_resource_busy); the message names the holder.
  // A shared lock on a home that cannot be written (no lock file can be made there) is granted: nothing
  // can change it.
  static Expected<std::unique_ptr<HomeLock>> acquire(platform::FileSystem& fileSystem, const std::filesystem::path& path,
                                                     Kind kind, std::chrono::milliseconds patience,
                                                     const std::function<void(const std::string& holder)>& waiting = {});
  ~HomeLock();
  HomeLock(const HomeLock&) = delete;
  HomeLock& operator=(const HomeLock&) = delete;

  // "pid 1234 (zarvo edit)" for the process of a holder that keeps `wanted` out; "another holder"
  // when none can be named (one in this process, or one that took the lock without naming itself).
  static std::string describeHolder(int fd, Kind wanted);

 private:
  explicit HomeLock(int fd) : fd_(fd) {}
  int fd_ = -1;
};

}  // namespace zarvo::detail
