// The snapshot cache is only ever a copy: it reads back exactly as written for the home it was
// written for, anything else reads as none (never a crash, never a partial view), and a file system
// that fails leaves the last good file where it was.
#include "zarvo/home/snapshot_cache.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>
#include <random>
#include <vector>

#include "zarvo/testing/scoped_env.h"
#include "zarvo/testing/temp_dir.h"

namespace zarvo {
namespace {

namespace fs = std::filesystem;
using testing::ScopedEnv;

CachedView sampleView() {
  CachedView view;
  view.lists.push_back({"local/a", "Work", platform::Colour::rgb({0, 122, 255, 200}), 3, "3 tasks", "", false});
  view.lists.push_back({"local/b", "K\u00fcche", platform::Colour::label(), 1, "1 Aufgabe", "", false});
  view.lists.push_back({"dav/shared", "Shared", platform::Colour::systemOrange(), 0, "0 tasks", "dav", true});
  view.lists.push_back({"dav/home", "Home", platform::Colour::systemOrange(), 0, "0 tasks", "dav", false});
  for (int i = 0; i < 4; ++i) {
    CachedTask task;
    task.uid = task.title = "w" + std::to_string(i);
    task.listId = "local/a";
    view.tasks.push_back(task);
  }
  view.tasks[1].dueMilliseconds = -1'765'000'000'123;  // before 1970 too
  view.tasks[1].allDay = view.tasks[1].flagged = view.tasks[1].top = true;
  view.tasks[1].priority = 3;
  view.tasks[1].tags = {"errand", "zuhause \u00e4", ""};
  view.tasks[2].titleColour = platform::Colour::systemRed();
  view.tasks[2].listColour = platform::Colour::rgb({255, 0, 1, 255});
  view.tasks[2].today = view.tasks[3].upcoming = true;
  view.tasks[3].title = "\U0001F389 party";
  view.defaultListId = "local/a";
  view.smartCounts = {1, 2, 3, 4, int64_t{1} << 40};
  return view;
}

TEST(SnapshotCacheTest, ReadsBackAsWrittenForItsHomeOnly) {
  const CachedView view = sampleView();
  const std::string bytes = encodeCachedView(view, "/home/a/tasks");
  EXPECT_EQ(decodeCachedView(bytes, "/home/a/tasks"), view);
  EXPECT_EQ(decodeCachedView(bytes, "/home/a/tasks/./"), view);  // the same home, written otherwise
  EXPECT_FALSE(decodeCachedView(bytes, "/home/b/tasks"));
  EXPECT_EQ(decodeCachedView(encodeCachedView({}, "/h"), "/h"), CachedView{});
}

TEST(SnapshotCacheTest, AnythingElseReadsAsNone) {
  const std::string bytes = encodeCachedView(sampleView(), "/h");
  for (size_t cut = 0; cut < bytes.size(); ++cut) EXPECT_FALSE(decodeCachedView(bytes.substr(0, cut), "/h")) << cut;
  EXPECT_FALSE(decodeCachedView(bytes + "x", "/h"));
  std::string otherVersion = bytes;
  ++otherVersion[std::string_view("zarvo snapshot cache\n").size()];
  EXPECT_FALSE(decodeCachedView(otherVersion, "/h"));
  // The first version kept no list's account or fold, and would show every list unfolded and
  // ungrouped: its files (that of an empty view is these bytes) read as none, and are written anew.
  std::string firstVersion = encodeCachedView({}, "/h");
  firstVersion.replace(std::string_view("zarvo snapshot cache\n").size(), 4, std::string("\1\0\0\0", 4));
  EXPECT_FALSE(decodeCachedView(firstVersion, "/h"));

  // Damage anywhere: a view or none, never a read past the end (the asan build checks) or a count
  // believed beyond what the bytes can hold.
  std::mt19937 random(27);
  for (int round = 0; round < 5000; ++round) {
    std::string damaged = bytes;
    for (int flips = 1 + int(random() % 3); flips > 0; --flips) damaged[random() % damaged.size()] = char(random());
    if (const auto view = decodeCachedView(damaged, "/h")) {
      EXPECT_LE(view->tasks.size(), 4u);
    }
  }
}

TEST(SnapshotCacheTest, AFirstScreenKeepsTheFirstRowsOfEveryEntry) {
  CachedView view = sampleView();
  CachedTask kitchen, top, flagged;
  kitchen.uid = "k";
  kitchen.listId = "local/b";
  top.uid = "t";
  flagged.uid = "f";
  top.listId = flagged.listId = "local/a";
  top.top = flagged.flagged = true;
  view.tasks.insert(view.tasks.end(), {kitchen, top, flagged});
  // Two rows per entry: w0 and w1 for Work and All, w2 first of Today, w3 first of Upcoming, k first
  // of Küche, t second of Top, f second of Flagged (after w1).
  const CachedView first = firstScreens(view, 2);
  std::vector<std::string> kept;
  for (const auto& task : first.tasks) kept.push_back(task.uid);
  EXPECT_EQ(kept, (std::vector<std::string>{"w0", "w1", "w2", "w3", "k", "t", "f"}));
  EXPECT_EQ(first.lists, view.lists);
  EXPECT_EQ(first.smartCounts, view.smartCounts);
  EXPECT_EQ(firstScreens(view, 1).tasks.size(), 5u);  // w0, w1 (Top and Flagged), w2, w3, k
  view.tasks[3].upcoming = false;
  EXPECT_EQ(firstScreens(view, 2).tasks.size(), 6u);  // w3 is now third of Work and of All
}

TEST(SnapshotCacheTest, KeptPerFrontEndAndHomeInTheUsersCache) {
  ScopedEnv xdg("XDG_CACHE_HOME", "/c"), user("HOME", "/u");
  const auto path = snapshotCachePath("/h/one", "desktop");
  ASSERT_TRUE(path);
  EXPECT_EQ(path->parent_path(), fs::path("/c/zarvo/desktop"));
  EXPECT_EQ(path->extension(), ".snapshot");
  EXPECT_EQ(snapshotCachePath("/h/one/", "desktop"), path);
  EXPECT_NE(snapshotCachePath("/h/two", "desktop"), path);
  {
    ScopedEnv emptyXdg("XDG_CACHE_HOME", "");
    EXPECT_EQ(snapshotCachePath("/h/one", "desktop")->parent_path(), fs::path("/u/.cache/zarvo/desktop"));
    ScopedEnv noUser("HOME", nullptr);
    EXPECT_FALSE(snapshotCachePath("/h/one", "desktop"));
  }
}

TEST(SnapshotCacheTest, StoresPrivatelyAndAFailingFileSystemLosesNothing) {
  testing::TempDir dir("snapshot-cache");
  const fs::path file = dir.path() / "cache" / "zarvo" / "x.snapshot";
  auto posix = platform::FileSystem::posix();
  EXPECT_FALSE(loadCachedView(*posix, file, "/h"));  // missing: none, not an error

  const CachedView first = sampleView();
  ASSERT_FALSE(storeCachedView(*posix, file, "/h", first));
  struct stat info {};
  ASSERT_EQ(::stat(file.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  EXPECT_EQ(loadCachedView(*posix, file, "/h"), first);

  // Each way a write can fail: an error, and the last good view still reads back whole.
  CachedView second = first;
  second.tasks.pop_back();
  const std::function<void(platform::FaultInjectingFileSystem&)> faults[] = {
      [](auto& f) { f.setDiskFull(true); },
      [](auto& f) { f.failWritesAfter(10); },
      [](auto& f) { f.failRenames(true); },
      [&](auto& f) { f.setReadOnly(file.parent_path()); },
  };
  for (const auto& fault : faults) {
    platform::FaultInjectingFileSystem failing(posix);
    fault(failing);
    EXPECT_TRUE(storeCachedView(failing, file, "/h", second));
    EXPECT_EQ(loadCachedView(*posix, file, "/h"), first);
  }
  platform::FaultInjectingFileSystem readOnly(posix);
  readOnly.setReadOnly(dir.path());
  EXPECT_TRUE(storeCachedView(readOnly, dir.path() / "elsewhere" / "x.snapshot", "/h", second));
  EXPECT_FALSE(fs::exists(dir.path() / "elsewhere"));
  std::vector<fs::path> left;  // no temporary file
  for (const auto& entry : fs::directory_iterator(file.parent_path())) left.push_back(entry.path());
  EXPECT_EQ(left, std::vector<fs::path>{file});
}

}  // namespace
}  // namespace zarvo
