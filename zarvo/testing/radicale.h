// A Radicale CalDAV server for one test, on 127.0.0.1 at a free port, with its storage in a temporary
// folder and one user. The test starts it, may stop it early, and the destructor stops it (by its
// process id, never by name) whatever happened in between, so a failing test leaves no server behind.
#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <thread>

#include "zarvo/testing/files.h"
#include "zarvo/testing/temp_dir.h"

extern char** environ;

namespace zarvo::testing {

// Whether the CalDAV end-to-end tests can run here: Radicale and vdirsyncer are installed.
inline bool caldavToolsInstalled() {
  return std::system("command -v radicale >/dev/null 2>&1 && command -v vdirsyncer >/dev/null 2>&1") == 0;
}

// The installed vdirsyncer again, behind an interpreter that counts its starts, for tests of how
// often a sync starts it: `folder`/vdirsyncer, whose starts countedStarts(folder) tells. Nothing
// when vdirsyncer is missing or no Python script.
inline std::optional<std::filesystem::path> countingVdirsyncer(const std::filesystem::path& folder) {
  std::string real;
  if (std::FILE* found = ::popen("command -v vdirsyncer", "r")) {
    char line[4096];
    if (std::fgets(line, sizeof line, found) != nullptr) real = line;
    ::pclose(found);
  }
  while (!real.empty() && (real.back() == '\n' || real.back() == '\r')) real.pop_back();
  if (real.empty()) return std::nullopt;
  const std::string script = readFile(real);
  if (!script.starts_with("#!") || script.substr(0, script.find('\n')).find("python") == std::string::npos) {
    return std::nullopt;
  }
  const std::string interpreter = script.substr(2, script.find('\n') - 2);
  const auto executable = [](const std::filesystem::path& path, const std::string& text) {
    writeFile(path, text);
    ::chmod(path.c_str(), 0700);
  };
  executable(folder / "python", "#!/bin/sh\necho start >> '" + (folder / "starts").string() + "'\nexec " +
                                    interpreter + " \"$@\"\n");
  executable(folder / "vdirsyncer", "#!" + (folder / "python").string() + "\n" + script.substr(script.find('\n') + 1));
  return folder / "vdirsyncer";
}

inline size_t countedStarts(const std::filesystem::path& folder) {
  std::error_code ec;
  if (!std::filesystem::exists(folder / "starts", ec)) return 0;
  const std::string text = readFile(folder / "starts");
  return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
}

class RadicaleServer {
 public:
  static constexpr const char* kUser = "alice";
  static constexpr const char* kPassword = "correct horse";

  RadicaleServer() : folder_("zarvo-radicale") {}
  // A failing test shows what the server logged: a dropped connection is explained there, not here.
  ~RadicaleServer() {
    stop();
    if (::testing::Test::HasFailure()) std::fprintf(stderr, "radicale's log:\n%s\n", readFile(folder_.path() / "log").c_str());
  }
  RadicaleServer(const RadicaleServer&) = delete;
  RadicaleServer& operator=(const RadicaleServer&) = delete;

  // Starts the server and waits until it accepts connections; false (with the server's log in the
  // test's output) when it does not within 20 s.
  bool start() {
    port_ = freePort();
    writeFile(folder_.path() / "users", std::string(kUser) + ":" + kPassword + "\n");
    writeFile(folder_.path() / "config",
              "[server]\nhosts = 127.0.0.1:" + std::to_string(port_) +
                  "\n[auth]\ntype = htpasswd\nhtpasswd_filename = " + folder_.file("users") +
                  "\nhtpasswd_encryption = plain\n[storage]\nfilesystem_folder = " + folder_.file("storage") +
                  "\n[rights]\ntype = owner_only\n[logging]\nlevel = info\n");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, folder_.file("log").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    std::string program = "radicale", option = "--config", config = folder_.file("config");
    char* argv[] = {program.data(), option.data(), config.data(), nullptr};
    const int spawned = ::posix_spawnp(&pid_, "radicale", &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
      pid_ = -1;
      ADD_FAILURE() << "cannot start radicale: " << std::strerror(spawned);
      return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
      if (accepts()) return true;
      if (int status; ::waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ADD_FAILURE() << "radicale did not start on port " << port_ << ":\n" << readFile(folder_.path() / "log");
    stop();
    return false;
  }

  // The folder of user kUser's collections on the server's disk, one folder per list.
  std::filesystem::path collectionsFolder() const { return folder_.path() / "storage" / "collection-root" / kUser; }

  // Stops the server (SIGTERM, then SIGKILL after 10 s) and waits for it to go.
  void stop() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    int status = 0;
    while (::waitpid(pid_, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > deadline) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, &status, 0);
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    pid_ = -1;
  }

  std::string url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }
  int port() const { return port_; }

 private:
  // A port nothing listens on now: the kernel's pick for a socket bound to port 0.
  static int freePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
  }

  bool accepts() const {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port_));
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
  }

  TempDir folder_;
  pid_t pid_ = -1;
  int port_ = 0;
};

}  // namespace zarvo::testing
