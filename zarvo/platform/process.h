// Running another program and reading what it says as it says it.
//
// runProcess starts `program` (looked up on PATH when it has no slash), writes `input` to its standard
// input and closes it, and hands every line the program writes (standard output and standard error
// merged, in the order they arrive, without the line end) to `onLine` on the caller's thread while the
// program runs. It returns when the program has exited and its output is read to the end.
//
// A run can be cut short, by the caller (`ProcessOptions::stop`) or because the program fell silent
// (`ProcessOptions::silenceLimit`): the program then gets SIGTERM, and SIGKILL two seconds later if it
// is still there, and the result says why it ended.
//
// Threads: any thread; `onLine` runs on the caller's. `ProcessOptions::stop` may be requested from
// any thread. Never throws for the program's own failure: the result says how it ended.
#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <chrono>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace zarvo::platform {

struct ProcessResult {
  // The program could not be started (not found, not executable): `startError` says why, no line was
  // read and `exitStatus` is absent.
  std::optional<std::string> startError;
  // The exit status; absent when the program was ended by a signal.
  std::optional<int> exitStatus;
  // Why the run was cut short, when it was: the program was then ended (see above) and its exit
  // status, if any, is the one it had after being told to stop.
  enum class Interruption { stopped, silent };
  std::optional<Interruption> interrupted;
  bool succeeded() const { return !startError && !interrupted && exitStatus == 0; }
};

struct ProcessOptions {
  // Given to the program on its standard input, which is then closed. Default: nothing (end of file
  // at once), so a program that asks a question reads no answer.
  std::string input;
  // Variables set (or, with an empty optional, unset) in the program's environment; the rest is
  // this process's environment. Default: none.
  std::map<std::string, std::optional<std::string>> environment;
  // When a stop is requested, the program is ended and the result says `stopped`. Default: none.
  std::stop_token stop;
  // The program is ended, and the result says `silent`, when it writes no line for this long.
  // Default: none (it may be silent for ever).
  std::optional<std::chrono::milliseconds> silenceLimit;
  // The file mode creation mask the program starts with (e.g. 077: what it creates is private).
  // Default: none, the program inherits this process's. Setting it runs the program through
  // /bin/sh, so it must then be found on PATH (or be a path) before the run starts.
  std::optional<unsigned> fileModeMask;
};

ProcessResult runProcess(const std::string& program, const std::vector<std::string>& arguments,
                         const ProcessOptions& options, const std::function<void(std::string_view line)>& onLine);

// The file `program` names on PATH (or `program` itself when it holds a slash and is executable);
// nothing when there is none.
std::optional<std::filesystem::path> findProgram(std::string_view program);

}  // namespace zarvo::platform
