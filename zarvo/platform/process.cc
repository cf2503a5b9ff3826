#include "zarvo/platform/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <mutex>

extern char** environ;

namespace zarvo::platform {

namespace {

// Closes a descriptor once, however the function leaves.
class Descriptor {
 public:
  explicit Descriptor(int fd = -1) : fd_(fd) {}
  ~Descriptor() { reset(); }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  void reset(int fd = -1) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
  }

 private:
  int fd_;
};

bool makePipe(Descriptor& read, Descriptor& write) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return false;
  read.reset(fds[0]);
  write.reset(fds[1]);
  return true;
}

std::vector<std::string> environmentFor(const std::map<std::string, std::optional<std::string>>& changes) {
  std::vector<std::string> out;
  for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
    const std::string_view text(*entry);
    const std::string name(text.substr(0, text.find('=')));
    if (!changes.contains(name)) out.emplace_back(text);
  }
  for (const auto& [name, value] : changes) {
    if (value) out.push_back(name + "=" + *value);
  }
  return out;
}

std::vector<char*> pointers(std::vector<std::string>& strings) {
  std::vector<char*> out;
  for (auto& s : strings) out.push_back(s.data());
  out.push_back(nullptr);
  return out;
}

}  // namespace

std::optional<std::filesystem::path> findProgram(std::string_view program) {
  if (program.empty()) return std::nullopt;
  if (program.find('/') != std::string_view::npos) {
    const std::string path(program);
    if (::access(path.c_str(), X_OK) == 0) return std::filesystem::path(path);
    return std::nullopt;
  }
  const char* path = std::getenv("PATH");
  std::string_view dirs = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
  while (true) {
    const size_t colon = dirs.find(':');
    const std::string dir(dirs.substr(0, colon));
    const std::filesystem::path candidate = std::filesystem::path(dir.empty() ? "." : dir) / std::string(program);
    std::error_code ec;
    if (std::filesystem::is_regular_file(candidate, ec) && ::access(candidate.c_str(), X_OK) == 0) return candidate;
    if (colon == std::string_view::npos) break;
    dirs.remove_prefix(colon + 1);
  }
  return std::nullopt;
}

ProcessResult runProcess(const std::string& program, const std::vector<std::string>& arguments,
                         const ProcessOptions& options, const std::function<void(std::string_view line)>& onLine) {
  // A program that exits before reading all of its input must not take this process with it.
  static std::once_flag ignorePipeSignal;
  std::call_once(ignorePipeSignal, [] { ::signal(SIGPIPE, SIG_IGN); });

  ProcessResult result;
  Descriptor inRead, inWrite, outRead, outWrite;
  if (!makePipe(inRead, inWrite) || !makePipe(outRead, outWrite)) {
    result.startError = std::string("cannot make a pipe: ") + std::strerror(errno);
    return result;
  }

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, inRead.get(), STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, outWrite.get(), STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, outWrite.get(), STDERR_FILENO);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  // The program gets the default for the signal this process ignores.
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);

  std::vector<std::string> argv = {program};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  std::vector<std::string> envp = environmentFor(options.environment);
  std::vector<char*> argvPointers = pointers(argv);
  std::vector<char*> envpPointers = pointers(envp);
  pid_t pid = -1;
  const int spawned = ::posix_spawnp(&pid, program.c_str(), &actions, &attributes, argvPointers.data(),
                                     envpPointers.data());
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  inRead.reset();
  outWrite.reset();
  if (spawned != 0) {
    result.startError = program + ": " + std::strerror(spawned);
    return result;
  }

  // Feed the input while reading the output, so neither side can fill a pipe and wait for the other.
  ::fcntl(inWrite.get(), F_SETFL, O_NONBLOCK);
  std::string_view pending = options.input;
  if (pending.empty()) inWrite.reset();
  std::string partial;
  char buffer[8192];
  while (outRead.get() >= 0) {
    pollfd fds[2] = {{outRead.get(), POLLIN, 0}, {inWrite.get(), POLLOUT, 0}};
    const nfds_t count = inWrite.get() >= 0 ? 2 : 1;
    if (::poll(fds, count, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (count == 2 && fds[1].revents != 0) {
      const ssize_t n = ::write(inWrite.get(), pending.data(), pending.size());
      if (n > 0) pending.remove_prefix(static_cast<size_t>(n));
      if (pending.empty() || (n < 0 && errno != EAGAIN && errno != EINTR)) inWrite.reset();
    }
    if (fds[0].revents != 0) {
      const ssize_t n = ::read(outRead.get(), buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        outRead.reset();
        break;
      }
      partial.append(buffer, static_cast<size_t>(n));
      size_t start = 0;
      for (size_t end; (end = partial.find('\n', start)) != std::string::npos; start = end + 1) {
        std::string_view line(partial.data() + start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (onLine) onLine(line);
      }
      partial.erase(0, start);
    }
  }
  if (!partial.empty() && onLine) onLine(partial);
  inWrite.reset();

  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status)) result.exitStatus = WEXITSTATUS(status);
  return result;
}

}  // namespace zarvo::platform
