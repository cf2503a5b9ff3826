#include "zarvo/home/internal/home_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <sstream>
#include <thread>
#include <vector>

#include "zarvo/home/home.h"

namespace zarvo::detail {

namespace {

// The first words of a process's command line: "zarvo edit", not its arguments (which may be private).
// Best effort and never throws: the holder may exit while it is read (the read then fails with
// ESRCH), and a waiter must not fail for want of a name.
std::string commandOf(pid_t pid) {
  std::string all;
  const int fd = ::open(("/proc/" + std::to_string(pid) + "/cmdline").c_str(), O_RDONLY | O_CLOEXEC);
  if (fd >= 0) {
    char buffer[4096];
    ssize_t n = 0;
    while (all.size() < 64 * 1024 && (n = ::read(fd, buffer, sizeof buffer)) > 0) {
      all.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
  }
  std::vector<std::string> words;
  std::string word;
  for (char c : all) {
    if (c != '\0') {
      word += c;
    } else if (!word.empty()) {
      words.push_back(std::move(word));
      word.clear();
    }
  }
  if (words.empty()) return {};
  std::string out = std::filesystem::path(words[0]).filename().string();
  // The program, then its first word that is not an option (the command).
  for (size_t i = 1; i < words.size(); ++i) {
    if (words[i].starts_with("-")) {
      if (words[i] == "--home") ++i;
      continue;
    }
    out += " " + words[i];
    break;
  }
  return out;
}

void markHolder(int fd, HomeLock::Kind kind) {
  struct flock mark {};
  mark.l_type = kind == HomeLock::Kind::exclusive ? F_WRLCK : F_RDLCK;
  mark.l_whence = SEEK_SET;
  mark.l_len = 1;
  ::fcntl(fd, F_SETLK, &mark);  // only a name tag: the flock above is the lock
}

}  // namespace

std::string HomeLock::describeHolder(int fd, Kind wanted) {
  struct flock probe {};
  probe.l_type = wanted == Kind::exclusive ? F_WRLCK : F_RDLCK;
  probe.l_whence = SEEK_SET;
  probe.l_len = 1;
  if (::fcntl(fd, F_GETLK, &probe) != 0 || probe.l_type == F_UNLCK) return "another holder";
  const std::string command = commandOf(probe.l_pid);
  return "pid " + std::to_string(probe.l_pid) + (command.empty() ? std::string() : " (" + command + ")");
}

HomeLock::HomeLock(const std::filesystem::path& path)
    : HomeLock(path, Kind::exclusive, std::chrono::hours(24 * 365)) {}

HomeLock::HomeLock(const std::filesystem::path& path, Kind kind, std::chrono::milliseconds patience,
                   const std::function<void(const std::string&)>& waiting) {
  fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd_ < 0 && kind == Kind::shared) {
    const int error = errno;
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0 && (error == EROFS || error == EACCES)) return;  // a home nobody can change
  }
  if (fd_ < 0) throw HomeError("cannot lock home: " + path.string() + ": " + std::strerror(errno));
  const int operation = (kind == Kind::exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB;
  const auto start = std::chrono::steady_clock::now();
  bool told = false;
  while (::flock(fd_, operation) != 0) {
    const int error = errno;
    if (error == EINTR) continue;
    if (error != EWOULDBLOCK) {
      ::close(fd_);
      throw HomeError("cannot lock home: " + path.string() + ": " + std::strerror(error));
    }
    if (!told && waiting) waiting(describeHolder(fd_, kind));
    told = true;
    if (std::chrono::steady_clock::now() - start >= patience) {
      const std::string holder = describeHolder(fd_, kind);
      ::close(fd_);
      throw HomeError("the home '" + path.parent_path().string() + "' is in use by " + holder +
                      "; gave up waiting for it to finish");
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  markHolder(fd_, kind);
}

HomeLock::~HomeLock() {
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace zarvo::detail
