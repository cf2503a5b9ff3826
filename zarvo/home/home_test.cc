#include "zarvo/home/home.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <future>
#include <set>

#include "zarvo/home/internal/home_lock.h"
#include "zarvo/platform/log.h"
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
  EXPECT_EQ(Home::open(tmp.path() / "typo" / "home", options).error(), std::errc::no_such_file_or_directory);
  EXPECT_FALSE(fs::exists(tmp.path() / "typo"));
  // An empty folder is no home either, and stays empty.
  fs::create_directories(tmp.path() / "empty");
  EXPECT_FALSE(Home::open(tmp.path() / "empty", options));
  EXPECT_TRUE(fs::is_empty(tmp.path() / "empty"));
}

TEST(HomeTest, UnusableFolderIsRefusedBeforeAnythingIsTouched) {
  TempDir tmp("zarvo-home");
  const fs::path file = tmp.path() / "file";
  writeFile(file, "not a folder");
  EXPECT_EQ(Home::open(file).error(), std::errc::not_a_directory);
  EXPECT_EQ(readFile(file), "not a folder");
  EXPECT_FALSE(Home::exists(file));

  if (::geteuid() != 0) {  // root may use any folder
    const fs::path locked = tmp.path() / "locked";
    fs::create_directory(locked);
    fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_FALSE(Home::open(locked));
    EXPECT_TRUE(fs::is_empty(locked));
  }
}

TEST(HomeTest, LockIsExclusiveAndWaitsForTheHolder) {
  TempDir tmp("zarvo-home");
  auto& posix = *platform::FileSystem::posix();
  const auto take = [&] {
    return detail::HomeLock::acquire(posix, tmp.path() / "lock", detail::HomeLock::Kind::exclusive, std::chrono::hours(1));
  };
  auto first = take();
  ASSERT_TRUE(first);
  auto second = std::async(std::launch::async, take);
  EXPECT_EQ(second.wait_for(std::chrono::milliseconds(200)), std::future_status::timeout);
  first->reset();
  ASSERT_EQ(second.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  EXPECT_TRUE(second.get());
}

// One scenario, because a process's reminders store follows the first home it opens.
TEST(HomeTest, CreatesOnFirstUseReopensAndRefusesANewerRecordsDatabase) {
  TempDir tmp("zarvo-home");
  const fs::path path = tmp.path() / "a" / "b" / "home";
  EXPECT_FALSE(Home::exists(path));
  {
    auto home = Home::open(path);
    ASSERT_TRUE(home) << home.error().message();
    EXPECT_TRUE(fs::is_directory(path / "reminders"));
    EXPECT_TRUE(fs::exists(path / "records.sqlite"));
    ASSERT_EQ((*home)->io().lists().size(), 1u);
    EXPECT_EQ((*home)->io().lists()[0]->title(), "Reminders");
    EXPECT_TRUE((*home)->fetchTasks(std::nullopt, false)->empty());
    (*home)->save();
  }
  EXPECT_TRUE(Home::exists(path));
  const auto modeOf = [](const fs::path& p) { return fs::status(p).permissions() & fs::perms::all; };
  // Private to its user, and an existing home that is not is made so when opened to write.
  EXPECT_EQ(modeOf(path), fs::perms::owner_all);
  fs::permissions(path, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec | fs::perms::others_read |
                            fs::perms::others_exec);
  fs::permissions(path / "records.sqlite", fs::perms::others_read, fs::perm_options::add);
  // An older version's undo journal is set aside whole, once, and said so.
  fs::create_directory(path / "journal");
  writeFile(path / "journal" / "1.json", "{\"old\": true}");
  fs::create_directory(path / "journal.retired");  // taken: the next free name is used
  fs::permissions(path / "journal", fs::perms::others_read | fs::perms::others_exec, fs::perm_options::add);
  const auto remindersBefore = testing::snapshot(path / "reminders");
  for (int open = 0; open < 2; ++open) {
    platform::ScopedLogCapture logs;
    auto again = Home::open(path);  // a usable home is opened as it is
    ASSERT_TRUE(again);
    EXPECT_EQ((*again)->io().lists().size(), 1u);
    EXPECT_EQ(logs.sink().contains(platform::LogLevel::defaultLevel, "journal.retired.1"), open == 0);
  }
  EXPECT_EQ(modeOf(path), fs::perms::owner_all);
  EXPECT_EQ(modeOf(path / "records.sqlite"), fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_FALSE(fs::exists(path / "journal"));
  EXPECT_EQ(readFile(path / "journal.retired.1" / "1.json"), "{\"old\": true}");
  EXPECT_EQ(testing::snapshot(path / "reminders"), remindersBefore);

  // A records database from a newer version is refused and left as it was.
  {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((path / "records.sqlite").c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "PRAGMA user_version = 999", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
  }
  const std::string newer = readFile(path / "records.sqlite");
  const auto refused = Home::open(path);
  ASSERT_FALSE(refused) << "a newer records database was opened";
  EXPECT_NE(refused.error().message().find("newer"), std::string::npos) << refused.error().message();
  EXPECT_EQ(readFile(path / "records.sqlite"), newer);

}

// A process could open one home only (the first fixed the process's store for good): a second home,
// or a program that used CalendarIO::shared() first, was refused. Each home has its own store now.
TEST(HomeTest, HomesOpenOneAfterAnotherAndSideBySideInOneProcess) {
  TempDir tmp("zarvo-home");
  const fs::path a = tmp.path() / "a", b = tmp.path() / "b";
  const auto titles = [](Home& home) {
    std::set<std::string> out;
    const auto tasks = home.fetchTasks(std::nullopt, false);
    for (const auto& task : tasks.value()) out.insert(task->title().value_or(""));
    return out;
  };
  (void)CalendarIO::shared();  // the process's own store is no home's
  for (const auto& [path, title] : {std::pair(a, "In A"), std::pair(b, "In B")}) {
    auto home = Home::open(path);
    ASSERT_TRUE(home) << home.error().message();
    ASSERT_TRUE((*home)->io().createTask(title));
    (*home)->save("add");
  }
  auto homeA = Home::open(a);
  auto homeB = Home::open(b);
  ASSERT_TRUE(homeA && homeB);
  EXPECT_EQ(titles(**homeA), std::set<std::string>{"In A"});
  EXPECT_EQ(titles(**homeB), std::set<std::string>{"In B"});
  ASSERT_TRUE((*homeA)->io().createTask("Also in A"));
  (*homeA)->save("add more");
  const auto undone = (*homeB)->undoLastChange();  // each home keeps its own history
  ASSERT_TRUE(undone) << undone.error().message();
  EXPECT_EQ(undone->undone, "add");
  EXPECT_TRUE(titles(**homeB).empty());
  EXPECT_EQ(titles(**homeA), (std::set<std::string>{"Also in A", "In A"}));

  // A second Home of one path waits for the first, as another process would.
  HomeOptions impatient;
  impatient.lockPatience = std::chrono::milliseconds(0);
  EXPECT_EQ(Home::open(a, impatient).error(), std::errc::device_or_resource_busy);
}

}  // namespace
}  // namespace zarvo
