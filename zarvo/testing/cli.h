// Runs the zarvo program of this build as a separate process, the way a person or a script does:
// arguments quoted for the shell, standard input from a string, standard output and error captured,
// and the variables that would make the outcome depend on the caller's environment unset.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <vector>

#include "zarvo/testing/files.h"
#include "zarvo/testing/paths.h"
#include "zarvo/testing/temp_dir.h"

namespace zarvo::testing {

struct Outcome {
  int status = -1;  // the exit status; -1 when the process did not exit normally
  std::string out;
  std::string err;
};

// `arg` as one word for the shell, whatever it holds.
inline std::string shellQuoted(const std::string& arg) {
  std::string out = "'";
  for (char c : arg) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// The program of this build: app/zarvo in the build tree (paths.h).
inline std::filesystem::path zarvoProgram() { return binaryDir() / "app" / "zarvo"; }

class CliHarness {
 public:
  // Fails the calling test unless the program of this build is there to run.
  static void expectProgram() {
    ASSERT_TRUE(std::filesystem::exists(zarvoProgram()))
        << "the zarvo program is not at " << zarvoProgram() << "; build it, or set ZARVO_BINARY_DIR to its build tree";
  }

  // Keeps the input and the captured output as files in `scratch`, an existing folder.
  explicit CliHarness(std::filesystem::path scratch) : scratch_(std::move(scratch)) {}

  // Runs a shell command line with `input` on standard input. TZ (so only --tz decides the zone),
  // NO_COLOR, ZARVO_HOME, ZARVO_CONFIG, ZARVO_LOG_LEVEL, COLUMNS and the locale's language (so messages
  // are English) are unset first, and the settings are looked for in the scratch folder (none are there unless a test writes
  // them); the command line may set its own.
  Outcome shell(const std::string& commandLine, const std::string& input = "") const {
    {
      std::ofstream in(scratch_ / "in", std::ios::binary);
      in << input;
    }
    const std::string command =
        "env -u TZ -u NO_COLOR -u ZARVO_HOME -u ZARVO_CONFIG -u ZARVO_LOG_LEVEL -u COLUMNS -u LC_ALL -u LC_MESSAGES -u LANGUAGE "
        "LANG=C.UTF-8 XDG_CONFIG_HOME=" + shellQuoted((scratch_ / "config").string()) + " " + commandLine + " <" +
                                shellQuoted((scratch_ / "in").string()) + " >" +
                                shellQuoted((scratch_ / "out").string()) + " 2>" +
                                shellQuoted((scratch_ / "err").string());
    Outcome run;
    const int raw = std::system(command.c_str());
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = readFile(scratch_ / "out");
    run.err = readFile(scratch_ / "err");
    return run;
  }

  // The command line that runs `program` with `args`, each quoted.
  static std::string commandLine(const std::filesystem::path& program, const std::vector<std::string>& args) {
    std::string line = shellQuoted(program.string());
    for (const auto& a : args) {
      line += ' ';
      line += shellQuoted(a);
    }
    return line;
  }

  // Runs the program of this build with `args`.
  Outcome zarvo(const std::vector<std::string>& args, const std::string& input = "") const {
    return shell(commandLine(zarvoProgram(), args), input);
  }

 private:
  std::filesystem::path scratch_;
};

// A test of the program on a home of its own: `home_` in the scratch folder `work_`, where the harness
// keeps its files and looks for the settings (under config/).
class CliTest : public ::testing::Test {
 protected:
  void SetUp() override { CliHarness::expectProgram(); }

  // `args` after the test's home and --color never.
  std::vector<std::string> withHome(const std::vector<std::string>& args) const {
    std::vector<std::string> all = {"--home", home_.string(), "--color", "never"};
    all.insert(all.end(), args.begin(), args.end());
    return all;
  }
  // zarvo on the test's home after `environment` (assignments such as "LANG=de_DE.UTF-8"), reading `input`.
  Outcome zarvo(const std::vector<std::string>& args, const std::string& environment = "",
                const std::string& input = "") {
    return cli_.shell(environment + " " + CliHarness::commandLine(zarvoProgram(), withHome(args)), input);
  }

  using json = nlohmann::ordered_json;  // key order is part of the contract

  // The zone and the moment the tests' dates are read in: Monday 2024-03-11 10:00 in Berlin.
  static constexpr const char* kZone = "Europe/Berlin";
  static constexpr const char* kRef = "2024-03-11T10:00";

  // Runs a command that must succeed and say nothing on stderr; its output.
  std::string ok(const std::vector<std::string>& args, const std::string& environment = "") {
    const Outcome run = zarvo(args, environment);
    EXPECT_EQ(run.status, 0) << join(args) << "\n" << run.err;
    EXPECT_EQ(run.err, "") << join(args);
    return run.out;
  }
  // Adds the task `line` describes, read at `ref` in kZone; its short id.
  std::string add(const std::string& line, const std::string& ref = kRef) {
    const json added = json::parse(ok({"add", "--json", "--tz", kZone, "--ref", ref, line}));
    EXPECT_EQ(added.size(), 1u);
    return added.empty() ? std::string() : added[0]["id"].get<std::string>();
  }
  // The open tasks `ls --json ARGS` lists at kRef in kZone.
  json ls(const std::vector<std::string>& args = {}) {
    std::vector<std::string> all = {"ls", "--json", "--tz", kZone, "--ref", kRef};
    all.insert(all.end(), args.begin(), args.end());
    return json::parse(ok(all));
  }
  static std::vector<std::string> titles(const json& tasks) {
    std::vector<std::string> out;
    for (const auto& t : tasks) out.push_back(t["title"]);
    return out;
  }
  static std::set<std::string> titleSet(const json& tasks) {
    const auto v = titles(tasks);
    return {v.begin(), v.end()};
  }
  static std::string join(const std::vector<std::string>& args) {
    std::string s;
    for (const auto& a : args) s += a + " ";
    return s;
  }
  // Writes the settings file the program reads (the harness looks for it under work_/config).
  void writeSettings(const std::string& toml) { writeFile(work_ / "config" / "zarvo" / "config.toml", toml); }

  TempDir tmp_{"zarvo-cli"};
  std::filesystem::path work_ = tmp_.path();
  std::filesystem::path home_ = work_ / "home";
  CliHarness cli_{work_};
};

}  // namespace zarvo::testing
