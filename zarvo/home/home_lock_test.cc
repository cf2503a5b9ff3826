// Regression tests: a process that keeps the home too long never hangs the others, and is named.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

#include "zarvo/home/home.h"
#include "zarvo/home/internal/home_lock.h"
#include "zarvo/testing/temp_dir.h"

namespace zarvo {
namespace {

using detail::HomeLock;
using Kind = HomeLock::Kind;
using std::chrono::milliseconds;
using testing::TempDir;

TEST(HomeLockTest, ReadersShareAWriterWaitsAndGivesUpNamingTheHolder) {
  TempDir tmp("zarvo-lock");
  const auto path = tmp.path() / "lock";
  {
    HomeLock reader(path, Kind::shared, milliseconds(100));
    HomeLock another(path, Kind::shared, milliseconds(100));  // readers share
    EXPECT_THROW(HomeLock(path, Kind::exclusive, milliseconds(100)), HomeError);
  }

  // A holder in another process (a suspended command, say) is named when the wait runs out.
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t holder = ::fork();
  if (holder == 0) {
    HomeLock held(path, Kind::exclusive, milliseconds(1000));
    (void)!::write(ready[1], "x", 1);
    ::sleep(30);
    ::_exit(0);
  }
  char byte;
  ASSERT_EQ(::read(ready[0], &byte, 1), 1);
  std::string told;
  const auto start = std::chrono::steady_clock::now();
  try {
    HomeLock reader(path, Kind::shared, milliseconds(300), [&](const std::string& who) { told = who; });
    ADD_FAILURE() << "the lock was taken while another process held it";
  } catch (const HomeError& e) {
    EXPECT_NE(std::string(e.what()).find("pid " + std::to_string(holder)), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find("home_tests"), std::string::npos) << e.what();  // its command
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_NE(told.find(std::to_string(holder)), std::string::npos) << told;
  ::kill(holder, SIGKILL);
  ::waitpid(holder, nullptr, 0);
  HomeLock after(path, Kind::exclusive, milliseconds(1000));  // the kernel released it with the process
}

}  // namespace
}  // namespace zarvo
