// Running another program and reading what it says as it says it.
//
// runProcess starts `program` (looked up on PATH when it has no slash), writes `input` to its standard
// input and closes it, and hands every line the program writes (standard output and standard error
// merged, in the order they arrive, without the line end) to `onLine` on the caller's thread while the
// program runs. It returns when the program has exited and its output is read to the end.
//
// Threads: any thread; `onLine` runs on the caller's. Never throws for the program's own failure:
// the result says how it ended.
#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
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
  bool succeeded() const { return !startError && exitStatus == 0; }
};

struct ProcessOptions {
  // Given to the program on its standard input, which is then closed. Default: nothing (end of file
  // at once), so a program that asks a question reads no answer.
  std::string input;
  // Variables set (or, with an empty optional, unset) in the program's environment; the rest is
  // this process's environment. Default: none.
  std::map<std::string, std::optional<std::string>> environment;
};

ProcessResult runProcess(const std::string& program, const std::vector<std::string>& arguments,
                         const ProcessOptions& options, const std::function<void(std::string_view line)>& onLine);

// The file `program` names on PATH (or `program` itself when it holds a slash and is executable);
// nothing when there is none.
std::optional<std::filesystem::path> findProgram(std::string_view program);

}  // namespace zarvo::platform
