// The lock that makes the processes using one home take turns: readers share it, a writer holds it
// alone. Every opening of a home goes through here, so the policy lives in one place.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>

namespace zarvo::detail {

// An advisory lock (flock) on `path`, created when missing, held until destruction and released by
// the kernel when the descriptor closes, also when the process dies. Each holder also marks the file
// with a record lock of the same kind, which lets a waiting process name it (pid and command).
class HomeLock {
 public:
  enum class Kind { shared, exclusive };

  // Waits up to `patience` for the holders that keep it out, calling `waiting` once (with the
  // holder's description) when it has to wait at all. Throws HomeError when the file cannot be opened
  // or locked, or when the wait runs out; the message names the holder. A shared lock on a home that
  // cannot be written (no lock file can be made there) is taken as granted: nothing can change it.
  HomeLock(const std::filesystem::path& path, Kind kind, std::chrono::milliseconds patience,
           const std::function<void(const std::string& holder)>& waiting = {});
  // Exclusive, waiting without limit.
  explicit HomeLock(const std::filesystem::path& path);
  ~HomeLock();
  HomeLock(const HomeLock&) = delete;
  HomeLock& operator=(const HomeLock&) = delete;

  // "pid 1234 (zarvo edit)" for the process of a holder that keeps `wanted` out; "another holder"
  // when none can be named (one in this process, or one that took the lock without naming itself).
  static std::string describeHolder(int fd, Kind wanted);

 private:
  int fd_ = -1;
};

}  // namespace zarvo::detail
