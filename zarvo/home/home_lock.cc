#include "zarvo/home/internal/home_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "zarvo/home/home.h"

namespace zarvo::detail {

HomeLock::HomeLock(const std::filesystem::path& path)
    : fd_(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {
  if (fd_ < 0) throw HomeError("cannot lock home: " + path.string() + ": " + std::strerror(errno));
  while (::flock(fd_, LOCK_EX) != 0) {
    if (errno != EINTR) {
      const int error = errno;
      ::close(fd_);
      throw HomeError("cannot lock home: " + path.string() + ": " + std::strerror(error));
    }
  }
}

HomeLock::~HomeLock() { ::close(fd_); }

}  // namespace zarvo::detail
