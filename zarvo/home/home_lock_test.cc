// Regression tests: a process that keeps the home too long never hangs the others, and is named.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>

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
  auto& posix = *platform::FileSystem::posix();
  const auto take = [&](Kind kind, milliseconds patience, const std::function<void(const std::string&)>& told = {}) {
    return HomeLock::acquire(posix, path, kind, patience, told);
  };
  {
    auto reader = take(Kind::shared, milliseconds(100));
    auto another = take(Kind::shared, milliseconds(100));  // readers share
    EXPECT_TRUE(reader && another);
    EXPECT_EQ(take(Kind::exclusive, milliseconds(100)).error(), std::errc::device_or_resource_busy);
  }
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u) << "the lock file is private";

  // A holder in another process (a suspended command, say) is named when the wait runs out.
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t holder = ::fork();
  if (holder == 0) {
    auto held = take(Kind::exclusive, milliseconds(1000));
    (void)!::write(ready[1], "x", 1);
    ::sleep(30);
    ::_exit(0);
  }
  char byte;
  ASSERT_EQ(::read(ready[0], &byte, 1), 1);
  std::string told;
  const auto refused = take(Kind::shared, milliseconds(300), [&](const std::string& who) { told = who; });
  ASSERT_FALSE(refused) << "the lock was taken while another process held it";
  const std::string message = refused.error().message();
  EXPECT_NE(message.find("pid " + std::to_string(holder)), std::string::npos) << message;
  EXPECT_NE(message.find("home_tests"), std::string::npos) << message;  // its command
  EXPECT_NE(told.find(std::to_string(holder)), std::string::npos) << told;
  ::kill(holder, SIGKILL);
  ::waitpid(holder, nullptr, 0);
  EXPECT_TRUE(take(Kind::exclusive, milliseconds(1000)));  // the kernel released it with the process
}

}  // namespace
}  // namespace zarvo
