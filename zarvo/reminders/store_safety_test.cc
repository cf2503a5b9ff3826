// Regression tests: what the store must never do to the files it shares with other programs.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "zarvo/platform/notifications.h"
#include "zarvo/reminders/event_store.h"
#include "zarvo/testing/reminders_store.h"

namespace zarvo::reminders {
namespace {

namespace fs = std::filesystem;
using testing::otherClientTask;
using testing::readFile;
using testing::snapshot;
using testing::TempDir;
using testing::writeFile;

// A pid no process has: one of a child that has exited and been reaped.
long deadPid() {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ::waitpid(child, nullptr, 0);
  return child;
}

class StoreSafetyTest : public testing::SharedFilesTest {
 protected:
  // Every task a fresh handle reads from the files alone.
  std::vector<std::shared_ptr<Reminder>> readBack() {
    clearSharedFileCache();
    auto other = open();
    auto all = other->remindersMatchingPredicate(other->predicateForIncompleteReminders({}, {}, {}));
    auto done = other->remindersMatchingPredicate(other->predicateForCompletedReminders({}, {}, {}));
    all.insert(all.end(), done.begin(), done.end());
    return all;
  }
};

// A file another program changed since it was read (here keeping its length) is refused before
// anything is written: not even swapped out and back, so a program watching it sees no change and
// the message says when the change happened.
TEST_F(StoreSafetyTest, AChangeSinceTheReadIsRefusedBeforeAnythingIsWritten) {
  for (const bool removal : {false, true}) {
    SCOPED_TRACE(removal ? "removal" : "edit");
    writeFile(dir_ / "a.ics", otherClientTask("a", "Before"));
    auto a = reread("a");
    ASSERT_TRUE(a);
    const std::string theirs = otherClientTask("a", "Theirs");
    writeFile(dir_ / "a.ics", theirs);
    platform::FileInfo before, after;
    ASSERT_FALSE(platform::FileSystem::posix()->stat(dir_ / "a.ics", before));
    a->setTitle("Mine");
    EXPECT_EQ(failureOf([&] { removal ? store_->removeReminder(a, true) : store_->saveReminder(a, true); }),
              StoreErrorCode::conflict);
    EXPECT_NE(message_.find("changed by another program since it was read"), std::string::npos) << message_;
    EXPECT_EQ(readFile(dir_ / "a.ics"), theirs);
    ASSERT_FALSE(platform::FileSystem::posix()->stat(dir_ / "a.ics", after));
    EXPECT_TRUE(before.sameVersion(after));
  }
}

// (Rewrites and removals racing another program: racing_writers_test.cc.)
TEST_F(StoreSafetyTest, ANewFileNeverTakesTheNameOfOneMadeMeanwhile) {
  auto fresh = Reminder::reminderWithEventStore(*store_);
  fresh->setCalendar(calendar_);
  fresh->setTitle("New");
  const std::string name = fresh->calendarItemExternalIdentifier() + ".ics";
  const std::string squatter = otherClientTask("someone-else", "Squatter");
  faulty_->beforeNextReplace([&] { writeFile(dir_ / name, squatter); });
  store_->saveReminder(fresh, true);
  EXPECT_EQ(readFile(dir_ / name), squatter);
  EXPECT_EQ(readBack().size(), 2u);  // the squatter and the new task
  for (const auto& [path, bytes] : snapshot(dir_)) EXPECT_EQ(path.find(".zarvo-"), std::string::npos) << path;
}

TEST_F(StoreSafetyTest, CrashLeftoversAreNeverTaskFilesAndAreCleanedUpOnceTheirProcessIsGone) {
  const long dead = deadPid();
  const std::string gone = std::to_string(dead);
  const std::string alive = std::to_string(::getpid());
  // A temporary file as an older version named them (ending in .ics), one of today, one of a live
  // process, and the previous versions of two moves a crash interrupted: one whose copy made it to
  // its new list, one whose copy did not.
  writeFile(dir_ / (".zarvo-tmp-" + gone + "-0-1-x.ics"), otherClientTask("x", "Half"));
  writeFile(dir_ / (".zarvo-tmp-" + gone + "-1-2-y.tmp"), otherClientTask("y", "Half"));
  writeFile(dir_ / (".zarvo-tmp-" + alive + "-2-3-z.tmp"), otherClientTask("z", "Being written"));
  writeFile(dir_ / (".zarvo-old-" + gone + "-3-moved.ics.tmp"), otherClientTask("moved", "Old copy"));
  writeFile(root_ / "local" / "other" / "moved.ics", otherClientTask("moved", "New copy"));
  writeFile(dir_ / (".zarvo-old-" + gone + "-4-stuck.ics.tmp"), otherClientTask("stuck", "Only copy"));

  auto fresh = open();
  auto all = fresh->remindersMatchingPredicate(fresh->predicateForIncompleteReminders({}, {}, {}));
  std::map<std::string, std::string> titles;
  for (const auto& r : all) titles[r->calendarItemExternalIdentifier()] = r->title();
  EXPECT_EQ(titles, (std::map<std::string, std::string>{{"moved", "New copy"}, {"stuck", "Only copy"}}));
  EXPECT_EQ(snapshot(dir_).size(), 3u);  // displayname, stuck.ics, the live process's file
  EXPECT_EQ(readFile(dir_ / "stuck.ics"), otherClientTask("stuck", "Only copy"));
  EXPECT_TRUE(fs::exists(dir_ / (".zarvo-tmp-" + alive + "-2-3-z.tmp")));

  // What the store writes itself never ends in .ics before it is in place.
  fs::path temporary;
  ASSERT_FALSE(platform::prepareAtomicWrite(*faulty_, dir_ / "t.ics", "x", std::nullopt, temporary));
  EXPECT_NE(temporary.extension(), ".ics");
  EXPECT_TRUE(platform::isTemporaryFileName(temporary.filename().string()));
}

// A process that crashed mid-move, mid-write and mid-cache-save, whose pid a live process holds
// now (here: this one, with another start time): its leftovers are told from the live process's by
// the start time in their names, and cleaned; the half-done move is put back.
TEST_F(StoreSafetyTest, LeftoversOfACrashedProcessWhosePidWasReusedAreCleaned) {
  const platform::ProcessIdentity self = platform::currentProcess();
  ASSERT_TRUE(self.startTime.has_value());
  const std::string reused = platform::ownerTag({self.pid, *self.startTime + 1});
  const std::string live = platform::ownerTag(self);
  writeFile(dir_ / (".zarvo-tmp-" + reused + "-0-1-x.tmp"), otherClientTask("x", "Half written"));
  writeFile(dir_ / (".zarvo-old-" + reused + "-1-moving.ics.tmp"), otherClientTask("moving", "Only copy"));
  writeFile(dir_ / (".zarvo-tmp-" + live + "-2-3-z.tmp"), otherClientTask("z", "Being written"));
  const fs::path cache = tmp_.path() / "reminders.cache";
  writeFile(fs::path(cache.string() + ".tmp-" + reused), "stale");
  writeFile(fs::path(cache.string() + ".tmp-" + platform::ownerTag({deadPid(), 5})), "stale");
  writeFile(fs::path(cache.string() + ".tmp-" + std::to_string(deadPid())), "stale");  // named by older versions

  auto options = testing::optionsFor(root_);
  options.fileSystem = faulty_;
  options.fileCachePath = cache;
  EventStore fresh(options);
  auto all = fresh.remindersMatchingPredicate(fresh.predicateForIncompleteReminders({}, {}, {}));
  ASSERT_EQ(all.size(), 1u);
  EXPECT_EQ(all[0]->title(), "Only copy");
  EXPECT_EQ(readFile(dir_ / "moving.ics"), otherClientTask("moving", "Only copy"));
  EXPECT_FALSE(fs::exists(dir_ / (".zarvo-tmp-" + reused + "-0-1-x.tmp")));
  EXPECT_TRUE(fs::exists(dir_ / (".zarvo-tmp-" + live + "-2-3-z.tmp")));
  fresh.saveFileCache();
  for (const auto& [path, bytes] : snapshot(tmp_.path())) {
    EXPECT_EQ(path.find("reminders.cache.tmp-"), std::string::npos) << path;
  }
}

TEST_F(StoreSafetyTest, TwoFilesWithOneUidAreOneTaskAndTheOtherIsReported) {
  writeFile(dir_ / "1.ics", otherClientTask("same", "First"));
  writeFile(dir_ / "2.ics", otherClientTask("same", "Second"));
  writeFile(dir_ / "bad.ics", "\xEF\xBB\xBFnot a calendar\r\n");
  auto all = store_->remindersMatchingPredicate(store_->predicateForIncompleteReminders({}, {}, {}));
  ASSERT_EQ(all.size(), 1u);
  EXPECT_EQ(all[0]->title(), "First");
  const auto skipped = store_->skippedFiles();
  ASSERT_EQ(skipped.size(), 2u);
  EXPECT_EQ(skipped[0].path.filename(), "2.ics");
  EXPECT_NE(skipped[0].reason.find("1.ics"), std::string::npos) << skipped[0].reason;
  EXPECT_EQ(skipped[1].path.filename(), "bad.ics");

  // A change and a removal both land on the file shown.
  all[0]->setTitle("Changed");
  store_->saveReminder(all[0], true);
  EXPECT_NE(readFile(dir_ / "1.ics").find("SUMMARY:Changed"), std::string::npos);
  EXPECT_EQ(readFile(dir_ / "2.ics"), otherClientTask("same", "Second"));
}

TEST_F(StoreSafetyTest, AnInPlaceWriterHoldingTheFileOpenAcrossTheSwapKeepsItsBytes) {
  expectAnInPlaceWriterAcrossTheRewriteKeepsItsBytes();
}

// A task file and a list folder the store makes are its user's alone, even under a permissive umask.
TEST_F(StoreSafetyTest, NewTaskFilesAndListFoldersArePrivateToTheirOwner) {
  const mode_t mask = ::umask(0);
  auto r = Reminder::reminderWithEventStore(*store_);
  r->setCalendar(calendar_);
  r->setTitle("Private");
  store_->saveReminder(r, true);
  auto list = Calendar::calendarForEntityType(EntityType::reminder, *store_);
  list->setTitle("Also private");
  list->setSource(calendar_->source());
  store_->saveCalendar(list, true);
  ::umask(mask);
  EXPECT_EQ(fs::status(dir_ / (r->calendarItemExternalIdentifier() + ".ics")).permissions() & fs::perms::all,
            fs::perms(0600));
  EXPECT_EQ(fs::status(root_ / list->calendarIdentifier()).permissions() & fs::perms::all, fs::perms(0700));
}

TEST_F(StoreSafetyTest, RewritingKeepsPermissionsAndSymbolicLinks) {
  const mode_t mask = ::umask(022);
  writeFile(dir_ / "shared.ics", otherClientTask("shared", "Group writable"));
  fs::permissions(dir_ / "shared.ics", fs::perms(0664));
  writeFile(tmp_.path() / "elsewhere" / "real.ics", otherClientTask("linked", "Linked"));
  fs::create_symlink(tmp_.path() / "elsewhere" / "real.ics", dir_ / "linked.ics");
  for (const std::string uid : {"shared", "linked"}) {
    auto r = reread(uid);
    ASSERT_NE(r, nullptr) << uid;
    r->setTitle("Edited");
    store_->saveReminder(r, true);
  }
  ::umask(mask);
  struct stat st {};
  ASSERT_EQ(::stat((dir_ / "shared.ics").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0664u);
  EXPECT_TRUE(fs::is_symlink(dir_ / "linked.ics"));
  EXPECT_NE(readFile(tmp_.path() / "elsewhere" / "real.ics").find("SUMMARY:Edited"), std::string::npos);
}

TEST_F(StoreSafetyTest, HeldCommitsReachTheDiskOnlyWithWhatGoesAlongside) {
  writeFile(dir_ / "edit.ics", otherClientTask("edit", "Before"));
  writeFile(dir_ / "gone.ics", otherClientTask("gone", "Doomed"));
  auto held = open(/*hold=*/true);
  auto edit = held->reminderWithExternalIdentifier("edit");
  auto gone = held->reminderWithExternalIdentifier("gone");
  ASSERT_TRUE(edit && gone);
  edit->setTitle("After");
  held->saveReminder(edit, true);
  held->removeReminder(gone, true);
  auto added = Reminder::reminderWithEventStore(*held);
  added->setCalendar(held->calendarWithIdentifier(calendar_->calendarIdentifier()));
  added->setTitle("Added");
  held->saveReminder(added, true);
  held->commit();
  const auto before = snapshot(root_);
  EXPECT_EQ(readBack().size(), 2u);  // nothing on disk yet

  // The change alongside fails: every file as it was.
  EXPECT_THROW(held->commitWith([] { throw std::runtime_error("records refused"); }), std::runtime_error);
  EXPECT_EQ(snapshot(root_), before);
  // It succeeds: all of it is there.
  bool ran = false;
  held->commitWith([&] { ran = true; });
  EXPECT_TRUE(ran);
  std::set<std::string> titles;
  for (const auto& r : readBack()) titles.insert(r->title());
  EXPECT_EQ(titles, (std::set<std::string>{"After", "Added"}));
}

TEST_F(StoreSafetyTest, AHeldCommitAnnouncesOnlyWhatReachedTheDisk) {
  auto held = open(/*hold=*/true);
  int announced = 0;
  auto registration = platform::NotificationCenter::defaultCenter().addObserver(
      std::string(kEventStoreChangedNotification), held.get(), [&](const platform::Notification&) { ++announced; });
  auto added = Reminder::reminderWithEventStore(*held);
  added->setCalendar(held->calendarWithIdentifier(calendar_->calendarIdentifier()));
  added->setTitle("Added");
  held->saveReminder(added, true);
  held->commit();
  EXPECT_EQ(announced, 0);  // held: nothing on disk, nothing to announce
  held->commitWith([] {});
  EXPECT_EQ(announced, 1);
  held->commitWith([] {});
  EXPECT_EQ(announced, 1);  // nothing was pending
}

TEST_F(StoreSafetyTest, AHugeTaskFileDoesNotMakeTheSavedCacheHuge) {
  writeFile(dir_ / "huge.ics", otherClientTask("huge", "Long notes", "DESCRIPTION:" + std::string(3 << 19, 'x') + "\r\n"));
  writeFile(dir_ / "small.ics", otherClientTask("small", "Short"));
  auto options = testing::optionsFor(root_);
  options.fileCachePath = tmp_.path() / "cache";
  for (int process = 0; process < 2; ++process) {
    clearSharedFileCache();
    EventStore store(options);
    auto all = store.remindersMatchingPredicate(store.predicateForIncompleteReminders({}, {}, {}));
    std::set<std::string> titles;
    for (const auto& r : all) titles.insert(r->title());
    EXPECT_EQ(titles, (std::set<std::string>{"Long notes", "Short"})) << "process " << process;
    store.saveFileCache();
    EXPECT_LT(fs::file_size(options.fileCachePath), 64u << 10) << "process " << process;
  }
}

TEST_F(StoreSafetyTest, FilesThatNeverEndAreNotRead) {
  std::string bytes;
  EXPECT_EQ(faulty_->readFile("/dev/zero", bytes), std::errc::invalid_argument);
  ASSERT_EQ(::mkfifo((tmp_.path() / "fifo").c_str(), 0600), 0);
  EXPECT_EQ(faulty_->readFile(tmp_.path() / "fifo", bytes), std::errc::invalid_argument);  // does not wait
  // Named as task files they are skipped; as the file cache, ignored.
  fs::create_symlink("/dev/zero", dir_ / "zero.ics");
  fs::create_symlink(tmp_.path() / "fifo", dir_ / "fifo.ics");
  auto options = testing::optionsFor(root_);
  options.fileCachePath = tmp_.path() / "cache";
  fs::create_symlink("/dev/zero", options.fileCachePath);
  EventStore cached(options);
  EXPECT_TRUE(cached.remindersMatchingPredicate(cached.predicateForIncompleteReminders({}, {}, {})).empty());
}

}  // namespace
}  // namespace zarvo::reminders
