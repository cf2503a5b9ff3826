#include "zarvo/home/home.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <future>

#include "zarvo/home/internal/home_lock.h"
#include "zarvo/testing/files.h"
#include "zarvo/testing/scoped_env.h"
#include "zarvo/testing/temp_dir.h"

namespace zarvo {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using testing::ScopedEnv;
using testing::TempDir;
using testing::writeFile;

TEST(HomeTest, DefaultPathPrefersZarvoHomeThenXdgThenHome) {
  struct Case {
    const char *zarvoHome, *xdg, *home;
    std::optional<fs::path> expected;
  };
  const Case cases[] = {
      {"/z", "/x", "/h", fs::path("/z")},
      {"", "/x", "/h", fs::path("/x/zarvo")},  // empty counts as unset
      {nullptr, nullptr, "/h", fs::path("/h/.local/share/zarvo")},
      {nullptr, nullptr, nullptr, std::nullopt},
  };
  for (const Case& c : cases) {
    ScopedEnv a("ZARVO_HOME", c.zarvoHome), b("XDG_DATA_HOME", c.xdg), h("HOME", c.home);
    EXPECT_EQ(Home::defaultPath(), c.expected) << (c.home ? c.home : "(no HOME)");
  }
}

TEST(HomeTest, WithoutCreationAMissingHomeIsRefusedAndNothingIsMade) {
  TempDir tmp("zarvo-home");
  HomeOptions options;
  options.createIfMissing = false;
  EXPECT_THROW(Home(tmp.path() / "typo" / "home", options), HomeError);
  EXPECT_FALSE(fs::exists(tmp.path() / "typo"));
  // An empty folder is no home either, and stays empty.
  fs::create_directories(tmp.path() / "empty");
  EXPECT_THROW(Home(tmp.path() / "empty", options), HomeError);
  EXPECT_TRUE(fs::is_empty(tmp.path() / "empty"));
}

TEST(HomeTest, UnusableFolderIsRefusedBeforeAnythingIsTouched) {
  TempDir tmp("zarvo-home");
  const fs::path file = tmp.path() / "file";
  writeFile(file, "not a folder");
  EXPECT_THROW(Home{file}, HomeError);
  EXPECT_EQ(readFile(file), "not a folder");
  EXPECT_FALSE(Home::exists(file));

  if (::geteuid() != 0) {  // root may use any folder
    const fs::path locked = tmp.path() / "locked";
    fs::create_directory(locked);
    fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_THROW(Home{locked}, HomeError);
    EXPECT_TRUE(fs::is_empty(locked));
  }
}

TEST(HomeTest, LockIsExclusiveAndWaitsForTheHolder) {
  TempDir tmp("zarvo-home");
  auto first = std::make_unique<detail::HomeLock>(tmp.path() / "lock");
  auto second = std::async(std::launch::async, [&] { return std::make_unique<detail::HomeLock>(tmp.path() / "lock"); });
  EXPECT_EQ(second.wait_for(std::chrono::milliseconds(200)), std::future_status::timeout);
  first.reset();
  ASSERT_EQ(second.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  EXPECT_NE(second.get(), nullptr);
}

// One scenario, because a process's reminders store follows the first home it opens.
TEST(HomeTest, CreatesOnFirstUseReopensAndRefusesANewerRecordsDatabase) {
  TempDir tmp("zarvo-home");
  const fs::path path = tmp.path() / "a" / "b" / "home";
  EXPECT_FALSE(Home::exists(path));
  {
    Home home(path);
    EXPECT_TRUE(fs::is_directory(path / "reminders"));
    EXPECT_TRUE(fs::exists(path / "records.sqlite"));
    ASSERT_EQ(home.io().lists().size(), 1u);
    EXPECT_EQ(home.io().lists()[0]->title(), "Reminders");
    EXPECT_TRUE(home.fetchTasks(std::nullopt, false).empty());
    home.save();
  }
  EXPECT_TRUE(Home::exists(path));
  const auto remindersBefore = testing::snapshot(path / "reminders");
  {
    Home again(path);  // a usable home is opened as it is
    EXPECT_EQ(again.io().lists().size(), 1u);
  }
  EXPECT_EQ(testing::snapshot(path / "reminders"), remindersBefore);

  // A records database from a newer version is refused and left as it was.
  {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((path / "records.sqlite").c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "PRAGMA user_version = 999", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
  }
  const std::string newer = readFile(path / "records.sqlite");
  try {
    Home refused(path);
    ADD_FAILURE() << "a newer records database was opened";
  } catch (const HomeError& e) {
    EXPECT_NE(std::string(e.what()).find("newer"), std::string::npos) << e.what();
  }
  EXPECT_EQ(readFile(path / "records.sqlite"), newer);

  // Another home in the same process is refused.
  EXPECT_THROW(Home{tmp.path() / "other"}, HomeError);
}

}  // namespace
}  // namespace zarvo
