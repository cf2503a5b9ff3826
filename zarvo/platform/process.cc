#include "zarvo/platform/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>

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
  std::vector<std::string> argv = {program};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  if (options.fileModeMask) {
    // posix_spawn cannot set the mask; a shell sets it and then becomes the program.
    const auto resolved = findProgram(program);
    if (!resolved) {
      result.startError = program + ": " + std::strerror(ENOENT);
      return result;
    }
    char script[64];
    std::snprintf(script, sizeof script, "umask %03o && exec \"$0\" \"$@\"", *options.fileModeMask & 0777u);
    argv.erase(argv.begin());
    argv.insert(argv.begin(), {"/bin/sh", "-c", script, resolved->string()});
  }

  Descriptor inRead, inWrite, outRead, outWrite, wakeRead, wakeWrite;
  if (!makePipe(inRead, inWrite) || !makePipe(outRead, outWrite) || !makePipe(wakeRead, wakeWrite)) {
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

  std::vector<std::string> envp = environmentFor(options.environment);
  std::vector<char*> argvPointers = pointers(argv);
  std::vector<char*> envpPointers = pointers(envp);
  pid_t pid = -1;
  const int spawned = ::posix_spawnp(&pid, argv.front().c_str(), &actions, &attributes, argvPointers.data(),
                                     envpPointers.data());
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  inRead.reset();
  outWrite.reset();
  if (spawned != 0) {
    result.startError = program + ": " + std::strerror(spawned);
    return result;
  }

  // A stop request from another thread wakes the poll below at once.
  ::fcntl(wakeWrite.get(), F_SETFL, O_NONBLOCK);
  const int wakeFd = wakeWrite.get();
  std::stop_callback wake(options.stop, [wakeFd] {
    const char byte = 1;
    (void)!::write(wakeFd, &byte, 1);  // a full pipe already holds a wake-up
  });

  using Clock = std::chrono::steady_clock;
  auto lastLine = Clock::now();
  std::optional<Clock::time_point> killAt;  // set once the program was told to stop
  bool killed = false;
  const auto interrupt = [&](ProcessResult::Interruption why) {
    if (result.interrupted) return;
    result.interrupted = why;
    ::kill(pid, SIGTERM);
    killAt = Clock::now() + std::chrono::seconds(2);
  };

  // Feed the input while reading the output, so neither side can fill a pipe and wait for the other.
  ::fcntl(inWrite.get(), F_SETFL, O_NONBLOCK);
  std::string_view pending = options.input;
  if (pending.empty()) inWrite.reset();
  std::string partial;
  char buffer[8192];
  while (outRead.get() >= 0 && !killed) {
    if (options.stop.stop_requested()) interrupt(ProcessResult::Interruption::stopped);
    const auto now = Clock::now();
    if (options.silenceLimit && now - lastLine >= *options.silenceLimit) {
      interrupt(ProcessResult::Interruption::silent);
    }
    if (killAt && now >= *killAt) {
      // Whatever still holds the output open (a child of the program) is not waited for.
      ::kill(pid, SIGKILL);
      killed = true;
      break;
    }
    // Wake up for the next deadline: the silence limit, or the kill after a stop.
    int timeout = -1;
    const auto until = [&](Clock::time_point at) {
      const auto left = std::chrono::ceil<std::chrono::milliseconds>(at - now).count();
      const int ms = static_cast<int>(std::clamp<long long>(left, 0, 60'000));
      timeout = timeout < 0 ? ms : std::min(timeout, ms);
    };
    if (killAt) {
      until(*killAt);
    } else if (options.silenceLimit) {
      until(lastLine + *options.silenceLimit);
    }
    pollfd fds[3] = {{outRead.get(), POLLIN, 0}, {wakeRead.get(), POLLIN, 0}, {inWrite.get(), POLLOUT, 0}};
    const nfds_t count = inWrite.get() >= 0 ? 3 : 2;
    if (::poll(fds, count, timeout) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (fds[1].revents != 0) {
      char drained[16];
      (void)!::read(wakeRead.get(), drained, sizeof drained);  // only the wake-up matters
    }
    if (count == 3 && fds[2].revents != 0) {
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
        lastLine = Clock::now();
        if (onLine) onLine(line);
      }
      partial.erase(0, start);
    }
  }
  if (!partial.empty() && onLine && !killed) onLine(partial);
  inWrite.reset();

  int status = 0;
  while (true) {
    // A program told to stop that closed its output but lingers is killed at the deadline too.
    const pid_t done = ::waitpid(pid, &status, killAt && !killed ? WNOHANG : 0);
    if (done == pid) break;
    if (done < 0) {
      if (errno == EINTR) continue;
      return result;
    }
    if (Clock::now() >= *killAt) {
      ::kill(pid, SIGKILL);
      killed = true;
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }
  if (WIFEXITED(status)) result.exitStatus = WEXITSTATUS(status);
  return result;
}

}  // namespace zarvo::platform
