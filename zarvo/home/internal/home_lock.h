// The lock that makes the processes using one home take turns. Every opening of a home goes through
// here, so the policy (today: one exclusive holder, waiting without limit) can change in one place.
#pragma once

#include <filesystem>

namespace zarvo::detail {

// An exclusive advisory lock (flock) on `path`, created when missing, held until destruction.
// Released by the kernel when the descriptor closes, also when the process dies.
class HomeLock {
 public:
  // Waits until no other holder is left. Throws HomeError when the file cannot be opened or locked.
  explicit HomeLock(const std::filesystem::path& path);
  ~HomeLock();
  HomeLock(const HomeLock&) = delete;
  HomeLock& operator=(const HomeLock&) = delete;

 private:
  int fd_;
};

}  // namespace zarvo::detail
