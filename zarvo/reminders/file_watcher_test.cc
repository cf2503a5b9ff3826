// What the inotify watcher tells a reader that keeps its tasks by file: the task files a burst
// touched, and "everything" for what changes more than one file reads (a list's name, a new list).
#include "zarvo/reminders/file_watcher.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <functional>
#include <mutex>

#include "zarvo/testing/files.h"
#include "zarvo/testing/temp_dir.h"

namespace zarvo::reminders {
namespace {

namespace fs = std::filesystem;

TEST(FileWatcherTest, NamesTheTaskFilesABurstTouched) {
  struct Row {
    const char* name;
    std::function<void(const fs::path& list)> change;
    std::vector<std::string> files;  // names in the list's folder
    bool everything;
  };
  const Row rows[] = {
      {"a file renamed into place",
       [](const fs::path& list) {
         testing::writeFile(list / ".new.ics.part", "BEGIN:VCALENDAR\r\n");
         fs::rename(list / ".new.ics.part", list / "new.ics");
       },
       {"new.ics"}, false},
      {"a file written in place and one removed",
       [](const fs::path& list) {
         testing::writeFile(list / "a.ics", "changed");
         fs::remove(list / "b.ics");
       },
       {"a.ics", "b.ics"}, false},
      {"the list renamed", [](const fs::path& list) { testing::writeFile(list / "displayname", "Chores\n"); }, {}, true},
      {"a list added", [](const fs::path& list) { fs::create_directory(list.parent_path() / "new-list"); }, {}, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    testing::TempDir dir;
    const fs::path root = dir.path() / "reminders";
    const fs::path list = root / "local" / "errands";
    testing::writeFile(list / "displayname", "Errands\n");
    testing::writeFile(list / "a.ics", "a");
    testing::writeFile(list / "b.ics", "b");
    std::mutex mu;
    std::condition_variable heard;
    TreeChanges all;
    auto watcher = makeInotifyChangeWatcher(root, std::chrono::milliseconds(10), [&](TreeChanges changes) {
      std::lock_guard lock(mu);
      all.everything = all.everything || changes.everything;
      all.files.insert(all.files.end(), changes.files.begin(), changes.files.end());
      heard.notify_all();
    });
    row.change(list);
    std::vector<fs::path> expected;
    for (const std::string& name : row.files) expected.push_back(list / name);
    // A slow machine may split one burst in two: gather until what is expected has come.
    std::unique_lock lock(mu);
    heard.wait_for(lock, std::chrono::seconds(30), [&] {
      if (row.everything) return all.everything;
      size_t found = 0;
      for (const fs::path& f : expected) found += std::count(all.files.begin(), all.files.end(), f) > 0;
      return found == expected.size();
    });
    EXPECT_EQ(all.everything, row.everything);
    if (!row.everything) {
      std::sort(all.files.begin(), all.files.end());
      all.files.erase(std::unique(all.files.begin(), all.files.end()), all.files.end());
      EXPECT_EQ(all.files, expected);
    }
  }
}

}  // namespace
}  // namespace zarvo::reminders
