#include "zarvo/home/internal/home_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <sstream>
#include <thread>
#include <vector>

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

Expected<std::unique_ptr<HomeLock>> HomeLock::acquire(platform::FileSystem& fileSystem,
                                                      const std::filesystem::path& path, Kind kind,
                                                      std::chrono::milliseconds patience,
                                                      const std::function<void(const std::string&)>& waiting) {
  const auto failed = [&](int error) {
    return Error(std::error_code(error, std::generic_category()),
                 "cannot lock home: " + path.string() + ": " + std::strerror(error));
  };
  // Made through the file system (as every file of a home is); opened below only to be locked.
  platform::FileInfo info;
  Error made = fileSystem.stat(path, info);
  if (!made && !info.exists) {
    std::unique_ptr<platform::WritableFile> file;
    made = fileSystem.newWritableFile(path, 0600, file);
    if (!made) made = file->close();
    if (made == std::errc::file_exists) made = Error();  // another process made it meanwhile
  }
  int fd = made ? -1 : ::open(path.c_str(), O_RDWR | O_CLOEXEC);
  const int openError = made ? made.value() : errno;
  if (fd < 0 && kind == Kind::shared) {
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    const bool unchangeable = openError == EROFS || openError == EACCES;
    if (fd < 0 && unchangeable) return std::unique_ptr<HomeLock>(new HomeLock(-1));  // a home nobody can change
  }
  if (fd < 0) return failed(made ? made.value() : errno);
  const int operation = (kind == Kind::exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB;
  const auto start = std::chrono::steady_clock::now();
  bool told = false;
  while (::flock(fd, operation) != 0) {
    const int error = errno;
    if (error == EINTR) continue;
    if (error != EWOULDBLOCK) {
      ::close(fd);
      return failed(error);
    }
    if (!told && waiting) waiting(describeHolder(fd, kind));
    told = true;
    if (std::chrono::steady_clock::now() - start >= patience) {
      const std::string holder = describeHolder(fd, kind);
      ::close(fd);
      return Error(std::make_error_code(std::errc::device_or_resource_busy),
                   "the home '" + path.parent_path().string() + "' is in use by " + holder +
                       "; gave up waiting for it to finish");
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  markHolder(fd, kind);
  return std::unique_ptr<HomeLock>(new HomeLock(fd));
}

HomeLock::~HomeLock() {
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace zarvo::detail
