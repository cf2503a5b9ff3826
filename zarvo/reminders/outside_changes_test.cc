// Every kind of change another program makes to the task files is seen by the next read of a new
// process, also when the folder is not listed again because its metadata did not move, and with the
// check of completed tasks' files spaced out (setCompletedTaskFilesCheckInterval): there only an edit
// in place of a completed task's file may wait, and only until the interval is over or a full check
// is asked for.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <map>

#include "zarvo/reminders/event_store.h"
#include "zarvo/reminders/internal/file_cache.h"
#include "zarvo/testing/forwarding_file_system.h"
#include "zarvo/testing/reminders_store.h"

namespace zarvo::reminders::detail {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using testing::TempDir;
using testing::writeFile;

constexpr int64_t kSecond = 1'000'000'000;

// Counts the listings of folders and the stats of task files.
class CountingFileSystem final : public zarvo::testing::ForwardingFileSystem {
 public:
  std::atomic<int> listings{0};
  std::atomic<int> taskStats{0};

  Error listDirectoryWithInfo(const fs::path& p, std::vector<platform::DirectoryEntry>& e) override {
    ++listings;
    return ForwardingFileSystem::listDirectoryWithInfo(p, e);
  }
  Error stat(const fs::path& p, platform::FileInfo& i) override {
    if (p.extension() == ".ics") ++taskStats;
    return ForwardingFileSystem::stat(p, i);
  }
};

// A task file of a fixed size whatever it holds, so that any version of it can be written over
// another in place with the same size.
std::string task(const std::string& uid, const std::string& title, bool completed) {
  std::string text = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//another client//EN\r\nBEGIN:VTODO\r\nUID:" + uid +
                     "\r\nSUMMARY:" + title + "\r\nSTATUS:" +
                     (completed ? "COMPLETED\r\nCOMPLETED:20240101T090000Z" : "NEEDS-ACTION") + "\r\nX-PAD:";
  const std::string end = "\r\nEND:VTODO\r\nEND:VCALENDAR\r\n";
  text.append(200 - text.size() - end.size(), 'x');
  return text + end;
}

// Rewrites `path` in place (same inode), keeping its size and modification time, as an editor that
// writes over a file and a tool that keeps times would: only the ctime moves.
void editInPlace(const fs::path& path, const std::string& text) {
  struct stat before {};
  ASSERT_EQ(::stat(path.c_str(), &before), 0);
  ASSERT_EQ(static_cast<size_t>(before.st_size), text.size()) << "an edit of the same size";
  const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::pwrite(fd, text.data(), text.size(), 0), static_cast<ssize_t>(text.size()));
  ::close(fd);
  const struct timespec times[2] = {before.st_atim, before.st_mtim};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
  struct stat after {};
  ASSERT_EQ(::stat(path.c_str(), &after), 0);
  ASSERT_EQ(after.st_ino, before.st_ino);
}

// A file made beside `path` and renamed over it, as vdir clients write.
void replaceByRename(const fs::path& path, const std::string& text) {
  writeFile(path.parent_path() / "incoming.part", text);
  fs::rename(path.parent_path() / "incoming.part", path);
}

struct Change {
  const char* what;
  std::function<void(const fs::path& folder)> make;
  // What changes in what a new process reads: title by UID ("" for gone).
  std::map<std::string, std::string> changed;
  // An edit in place of a file whose tasks are all completed: what the spaced-out check may delay.
  bool mayWait = false;
};

const std::vector<Change>& changes() {
  static const std::vector<Change> all{
      {"a new open task", [](const fs::path& f) { writeFile(f / "new-e.ics", task("new-e", "New E", false)); },
       {{"new-e", "New E"}}},
      {"a new completed task", [](const fs::path& f) { writeFile(f / "new-f.ics", task("new-f", "New F", true)); },
       {{"new-f", "New F (done)"}}},
      {"an open task's file deleted", [](const fs::path& f) { fs::remove(f / "open-a.ics"); }, {{"open-a", ""}}},
      {"a completed task's file deleted", [](const fs::path& f) { fs::remove(f / "done-c.ics"); }, {{"done-c", ""}}},
      {"a completed task's file renamed and reopened",
       [](const fs::path& f) {
         fs::rename(f / "done-d.ics", f / "zz-moved.ics");
         editInPlace(f / "zz-moved.ics", task("done-d", "Moved D", false));
       },
       {{"done-d", "Moved D"}}},
      {"an open task edited in place",
       [](const fs::path& f) { editInPlace(f / "open-b.ics", task("open-b", "Open X", false)); },
       {{"open-b", "Open X"}}},
      {"an open task completed in place",
       [](const fs::path& f) { editInPlace(f / "open-b.ics", task("open-b", "Open B", true)); },
       {{"open-b", "Open B (done)"}}},
      {"a completed task reopened in place",
       [](const fs::path& f) { editInPlace(f / "done-c.ics", task("done-c", "Reopened C", false)); },
       {{"done-c", "Reopened C"}}, true},
      {"a completed task replaced by a rename, reopened",
       [](const fs::path& f) { replaceByRename(f / "done-d.ics", task("done-d", "Reopened D", false)); },
       {{"done-d", "Reopened D"}}},
      {"an open task written with a clock far ahead",
       [](const fs::path& f) {
         replaceByRename(f / "open-a.ics", task("open-a", "Open Later", false));
         const struct timespec future[2] = {{4102444800, 0}, {4102444800, 0}};  // 2100-01-01
         ASSERT_EQ(::utimensat(AT_FDCWD, (f / "open-a.ics").c_str(), future, 0), 0);
       },
       {{"open-a", "Open Later"}}},
      {"a completed task edited in place with a clock far behind",
       [](const fs::path& f) {
         editInPlace(f / "done-d.ics", task("done-d", "Done Y", true));
         const struct timespec past[2] = {{86400, 0}, {86400, 0}};  // 1970-01-02
         ASSERT_EQ(::utimensat(AT_FDCWD, (f / "done-d.ics").c_str(), past, 0), 0);
       },
       {{"done-d", "Done Y (done)"}}, true},
  };
  return all;
}

const std::map<std::string, std::string> kBefore{
    {"open-a", "Open A"}, {"open-b", "Open B"}, {"done-c", "Done C (done)"}, {"done-d", "Done D (done)"}};

std::map<std::string, std::string> after(const Change& change) {
  std::map<std::string, std::string> titles = kBefore;
  for (const auto& [uid, title] : change.changed) {
    if (title.empty()) {
      titles.erase(uid);
    } else {
      titles[uid] = title;
    }
  }
  return titles;
}

// Parameters: the change (its index in changes()), and whether completed tasks' files are checked
// only once an hour.
class OutsideChangesTest : public ::testing::TestWithParam<std::tuple<size_t, bool>> {
 protected:
  void SetUp() override {
    clearSharedFileCache();
    {
      EventStore store(options());
      testing::createStore(store);
      folder_ = root() / store.defaultCalendarForNewReminders()->calendarIdentifier();
    }
    writeFile(folder_ / "open-a.ics", task("open-a", "Open A", false));
    writeFile(folder_ / "open-b.ics", task("open-b", "Open B", false));
    writeFile(folder_ / "done-c.ics", task("done-c", "Done C", true));
    writeFile(folder_ / "done-d.ics", task("done-d", "Done D", true));
    if (spacedOut()) setCompletedTaskFilesCheckInterval(std::chrono::hours(1));
    settle();
  }
  void TearDown() override {
    setCompletedTaskFilesCheckInterval(std::chrono::seconds(0));
    FileCache::setClockForTesting(nullptr);
    clearSharedFileCache();
  }

  bool spacedOut() const { return std::get<1>(GetParam()); }
  const Change& change() const { return changes()[std::get<0>(GetParam())]; }
  fs::path root() const { return dir_.path() / "reminders"; }
  EventStoreOptions options() {
    EventStoreOptions o = testing::optionsFor(root());
    o.fileCachePath = dir_.path() / "files.cache";
    o.fileSystem = fs_;
    return o;
  }

  // The clock set past the folder's last change by more than the settling time, then a process that
  // records the folder as it is: the next one need not list it.
  void settle() {
    struct stat st {};
    ASSERT_EQ(::stat(folder_.c_str(), &st), 0);
    now_ = st.st_ctim.tv_sec * kSecond + st.st_ctim.tv_nsec + 2 * kSecond;
    FileCache::setClockForTesting([this] { return now_.load(); });
    read();
    fs_->listings = 0;
    read();
    ASSERT_EQ(fs_->listings, 0) << "a settled folder is not listed again";
  }

  // Title by UID of every task a new process reads (open and completed), then its file cache saved.
  // `refresh` first asks the handle to check every file.
  std::map<std::string, std::string> read(bool refresh = false) {
    clearSharedFileCache();
    EventStore store(options());
    if (refresh) store.checkEveryFileAtNextRead();
    std::map<std::string, std::string> titles;
    for (bool completed : {false, true}) {
      const Predicate p = completed ? store.predicateForCompletedReminders({}, {}, {})
                                    : store.predicateForIncompleteReminders({}, {}, {});
      for (const auto& r : store.remindersMatchingPredicate(p)) {
        titles[r->calendarItemExternalIdentifier()] = r->title() + (r->isCompleted() ? " (done)" : "");
      }
    }
    store.saveFileCache();
    return titles;
  }

  TempDir dir_;
  std::shared_ptr<CountingFileSystem> fs_ = std::make_shared<CountingFileSystem>();
  fs::path folder_;
  std::atomic<int64_t> now_{0};
};

TEST_P(OutsideChangesTest, IsSeenByTheNextProcess) {
  ASSERT_EQ(read(), kBefore);
  change().make(folder_);
  if (spacedOut() && change().mayWait) {
    // Until every file is checked again, the old version may still show; no longer than that.
    (void)read();
    now_ += std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::hours(1)).count();
  }
  EXPECT_EQ(read(), after(change()));
  // And by the process after it, which reads only the files of open tasks that check recorded.
  EXPECT_EQ(read(), after(change()));
}

// What may wait is seen at once when a full check is asked for, and when the clock went back.
TEST_P(OutsideChangesTest, IsSeenAtOnceOnRefresh) {
  change().make(folder_);
  EXPECT_EQ(read(/*refresh=*/true), after(change()));
}

TEST_P(OutsideChangesTest, IsSeenAtOnceWithTheClockSetBack) {
  change().make(folder_);
  now_ -= kSecond;
  EXPECT_EQ(read(), after(change()));
}

// The same folder, whatever the change (the tests below make none of their own).
class SettledFolderTest : public OutsideChangesTest {};

TEST_P(SettledFolderTest, SpacedOutChecksOnlyTheFilesOfOpenTasks) {
  fs_->taskStats = 0;
  (void)read();
  EXPECT_EQ(fs_->taskStats, 2 * (spacedOut() ? 2 : 4)) << "two fetches: open and completed tasks";
}

// A folder that holds a temporary file of a live process is recorded as holding leftovers, so the
// clean-up of every new handle still lists it and removes the file once its process is gone.
TEST_P(SettledFolderTest, AFolderWithLeftoversIsStillListedForTheCleanUp) {
  writeFile(folder_ / (".zarvo-tmp-" + std::to_string(::getpid()) + "-0-1-x.tmp"), "being written");
  settle();
  const auto state = FileCache::shared().folderState(folder_, [&] {
    platform::FileInfo info;
    EXPECT_FALSE(platform::FileSystem::posix()->stat(folder_, info));
    return info;
  }());
  ASSERT_TRUE(state);
  EXPECT_TRUE(state->leftovers);
}

// The open tasks a new process reads, and the names of the files it left out; its cache saved.
std::pair<std::map<std::string, std::string>, std::vector<std::string>> openTasks(EventStore& store) {
  std::map<std::string, std::string> titles;
  for (const auto& r : store.remindersMatchingPredicate(store.predicateForIncompleteReminders({}, {}, {}))) {
    titles[r->calendarItemExternalIdentifier()] = r->title();
  }
  std::vector<std::string> skipped;
  for (const auto& file : store.skippedFiles()) skipped.push_back(file.path.filename().string());
  store.saveFileCache();
  return {titles, skipped};
}

// A file that repeats the UID of a file read before it (here one of a completed task, which a read
// of open tasks skips) stays left out in the processes that reuse the verdict, and shows as soon as
// it holds a task of its own.
TEST_P(SettledFolderTest, ARepeatedUidStaysLeftOutUntilItIsEditedAway) {
  writeFile(folder_ / "aa-first.ics", task("open-a", "First A", true));
  settle();
  const std::map<std::string, std::string> onlyB{{"open-b", "Open B"}};
  for (int process = 0; process < 2; ++process) {
    clearSharedFileCache();
    EventStore store(options());
    const auto [titles, skipped] = openTasks(store);
    EXPECT_EQ(titles, onlyB) << process;
    EXPECT_EQ(skipped, std::vector<std::string>{"open-a.ics"}) << process;
  }
  editInPlace(folder_ / "open-a.ics", task("open-z", "Open Z", false));
  clearSharedFileCache();
  EventStore store(options());
  const std::map<std::string, std::string> both{{"open-b", "Open B"}, {"open-z", "Open Z"}};
  EXPECT_EQ(openTasks(store).first, both);
}

// The same within one long-lived process: the repeat goes away by an edit in place of the completed
// task's file, which the full check asked for sees; the verdict made before it no longer holds.
TEST_P(SettledFolderTest, ARepeatEditedAwayInPlaceIsSeenByTheNextFullCheck) {
  writeFile(folder_ / "aa-first.ics", task("open-a", "First A", true));
  settle();
  clearSharedFileCache();
  EventStore store(options());
  const std::map<std::string, std::string> onlyB{{"open-b", "Open B"}};
  ASSERT_EQ(openTasks(store).first, onlyB);
  ASSERT_EQ(openTasks(store).first, onlyB);
  editInPlace(folder_ / "aa-first.ics", task("done-q", "First Q", true));
  store.checkEveryFileAtNextRead();
  const std::map<std::string, std::string> both{{"open-a", "Open A"}, {"open-b", "Open B"}};
  EXPECT_EQ(openTasks(store).first, both);
  EXPECT_EQ(openTasks(store).first, both);
}

INSTANTIATE_TEST_SUITE_P(CheckIntervals, SettledFolderTest, ::testing::Combine(::testing::Values(size_t{0}), ::testing::Bool()),
                         [](const auto& info) { return std::get<1>(info.param) ? "SpacedOut" : "EveryRead"; });

INSTANTIATE_TEST_SUITE_P(Kinds, OutsideChangesTest,
                         ::testing::Combine(::testing::Range(size_t{0}, changes().size()), ::testing::Bool()),
                         [](const auto& info) {
                           std::string name = changes()[std::get<0>(info.param)].what;
                           std::erase_if(name, [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); });
                           return name + (std::get<1>(info.param) ? "_SpacedOut" : "_EveryRead");
                         });

}  // namespace
}  // namespace zarvo::reminders::detail

namespace zarvo::reminders::detail {
namespace {

TEST(FolderState, IsKeptOnlyForAFolderThatSettledBeforeItWasListed) {
  FileCache cache;
  platform::FileInfo dir;
  dir.exists = dir.isDirectory = true;
  dir.changedNs = 100 * kSecond;
  auto names = std::make_shared<const std::vector<std::string>>(std::vector<std::string>{"a.ics"});
  // Changed less than the settling time before the listing: an entry made later in the same step of
  // the clock would leave the folder's times as they are.
  EXPECT_FALSE(cache.setFolderState("/r/s/c", {dir, names, false, 0, nullptr}, dir.changedNs + FileCache::kSettledNs));
  EXPECT_FALSE(cache.folderState("/r/s/c", dir));
  EXPECT_TRUE(cache.setFolderState("/r/s/c", {dir, names, false, 0, nullptr}, dir.changedNs + FileCache::kSettledNs + 1));
  ASSERT_TRUE(cache.folderState("/r/s/c", dir));
  platform::FileInfo moved = dir;
  moved.changedNs += 1;
  EXPECT_FALSE(cache.folderState("/r/s/c", moved));
  // A file of the folder removed or added by this process: the folder is listed again.
  cache.erase("/r/s/c/a.ics");
  EXPECT_FALSE(cache.folderState("/r/s/c", dir));
  ASSERT_TRUE(cache.setFolderState("/r/s/c", {dir, names, false, 0, nullptr}, 200 * kSecond));
  cache.store("/r/s/c/b.ics", FileCache::Entry{});
  EXPECT_FALSE(cache.folderState("/r/s/c", dir));
}

}  // namespace
}  // namespace zarvo::reminders::detail
