#include "zarvo/platform/process.h"

#include <gtest/gtest.h>

#include <chrono>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "zarvo/testing/scoped_env.h"

namespace zarvo::platform {
namespace {

struct Ran {
  ProcessResult result;
  std::vector<std::string> lines;
};

Ran sh(const std::string& script, ProcessOptions options = {}) {
  Ran run;
  run.result = runProcess("sh", {"-c", script}, options, [&](std::string_view line) { run.lines.emplace_back(line); });
  return run;
}

TEST(ProcessTest, LinesOfBothStreamsArriveInOrderWithoutLineEnds) {
  const Ran run = sh("echo one; echo two >&2; printf 'three\\r\\nlast-without-end'");
  ASSERT_TRUE(run.result.succeeded());
  EXPECT_EQ(run.lines, (std::vector<std::string>{"one", "two", "three", "last-without-end"}));
}

TEST(ProcessTest, ExitStatusAndSignalAreTold) {
  EXPECT_EQ(sh("exit 3").result.exitStatus, 3);
  const Ran killed = sh("kill -9 $$");
  EXPECT_FALSE(killed.result.exitStatus.has_value());
  EXPECT_FALSE(killed.result.succeeded());
}

TEST(ProcessTest, InputLargerThanAPipeIsFedWhileOutputIsRead) {
  // The program echoes its input back: feeding all of it before reading would fill both pipes.
  ProcessOptions options;
  for (int i = 0; i < 50000; ++i) options.input += "line " + std::to_string(i) + "\n";
  const Ran run = sh("cat", options);
  ASSERT_TRUE(run.result.succeeded());
  ASSERT_EQ(run.lines.size(), 50000u);
  EXPECT_EQ(run.lines.back(), "line 49999");
}

TEST(ProcessTest, AProgramThatStopsReadingEarlyDoesNotStopUs) {
  ProcessOptions options;
  options.input.assign(1 << 20, 'y');
  const Ran run = sh("head -c 1 >/dev/null; echo done", options);
  EXPECT_EQ(run.lines, (std::vector<std::string>{"done"}));
}

TEST(ProcessTest, EnvironmentChangesReachTheProgramOnly) {
  zarvo::testing::ScopedEnv keep("ZARVO_PROCESS_TEST_KEEP", "kept"), drop("ZARVO_PROCESS_TEST_DROP", "dropped");
  ProcessOptions options;
  options.environment["ZARVO_PROCESS_TEST_SET"] = "set";
  options.environment["ZARVO_PROCESS_TEST_DROP"] = std::nullopt;
  const Ran run = sh("echo \"$ZARVO_PROCESS_TEST_KEEP/$ZARVO_PROCESS_TEST_SET/${ZARVO_PROCESS_TEST_DROP-unset}\"", options);
  EXPECT_EQ(run.lines, (std::vector<std::string>{"kept/set/unset"}));
  EXPECT_STREQ(std::getenv("ZARVO_PROCESS_TEST_DROP"), "dropped");
}

TEST(ProcessTest, AMissingProgramIsAStartErrorNotAnExitStatus) {
  Ran run;
  run.result = runProcess("zarvo-no-such-program", {}, {}, [&](std::string_view l) { run.lines.emplace_back(l); });
  ASSERT_TRUE(run.result.startError.has_value());
  EXPECT_FALSE(run.result.exitStatus.has_value());
  EXPECT_TRUE(run.lines.empty());
  EXPECT_FALSE(findProgram("zarvo-no-such-program").has_value());
  EXPECT_TRUE(findProgram("sh").has_value());
}

// A run cut short ends the program, also one that ignores SIGTERM, and says why; the lines it wrote
// before are still read.
TEST(ProcessTest, AStopOrASilenceEndsTheProgramAndSaysWhy) {
  std::stop_source stopper;
  ProcessOptions stopped;
  stopped.stop = stopper.get_token();
  std::jthread requester([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    stopper.request_stop();
  });
  const Ran first = sh("echo started; exec sleep 300", stopped);
  EXPECT_EQ(first.result.interrupted, ProcessResult::Interruption::stopped);
  EXPECT_FALSE(first.result.succeeded());
  EXPECT_EQ(first.lines, (std::vector<std::string>{"started"}));

  ProcessOptions quiet;
  quiet.silenceLimit = std::chrono::milliseconds(300);
  // Lines keep it alive; then it falls silent and ignores the polite signal.
  const Ran second = sh("for i in 1 2 3; do echo $i; sleep 0.1; done; trap '' TERM; exec sleep 300", quiet);
  EXPECT_EQ(second.result.interrupted, ProcessResult::Interruption::silent);
  EXPECT_FALSE(second.result.exitStatus.has_value());  // killed
  EXPECT_EQ(second.lines, (std::vector<std::string>{"1", "2", "3"}));

  const Ran talkative = sh("echo fine", quiet);
  EXPECT_TRUE(talkative.result.succeeded());
}

TEST(ProcessTest, AFileModeMaskIsTheProgramsAndAMissingProgramStillFailsToStart) {
  ProcessOptions options;
  options.fileModeMask = 077;
  EXPECT_EQ(sh("umask", options).lines, (std::vector<std::string>{"0077"}));
  const ProcessResult missing = runProcess("zarvo-no-such-program", {}, options, {});
  EXPECT_TRUE(missing.startError.has_value());
}

}  // namespace
}  // namespace zarvo::platform
