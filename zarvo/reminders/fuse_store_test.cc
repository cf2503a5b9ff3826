// The store on a file system that cannot swap two files atomically: a FUSE mount (bindfs) of a
// temporary folder, as a home on a network drive is. Every race the store guards against on a local
// disk, run again there: no other program's bytes may be lost.
//
// Skips only when /dev/fuse cannot be opened (a container without it); a missing bindfs is a failure
// (scripts/bootstrap installs it).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>

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

// Another program replacing a file the way most do: a new file renamed over it.
void replaceAtomically(const fs::path& path, const std::string& text) {
  const fs::path temporary = path.parent_path() / "other-program.tmp";
  writeFile(temporary, text);
  fs::rename(temporary, path);
}

class FuseStoreTest : public testing::SharedFilesTest {
 protected:
  void SetUp() override {
    const int fuse = ::open("/dev/fuse", O_RDWR | O_CLOEXEC);
    if (fuse < 0) GTEST_SKIP() << "/dev/fuse is not available here";
    ::close(fuse);
    ASSERT_EQ(std::system("command -v bindfs >/dev/null"), 0) << "bindfs is missing: run scripts/bootstrap";
    fs::create_directories(backing_);
    fs::create_directories(mount_);
    ASSERT_EQ(std::system(("bindfs " + backing_.string() + " " + mount_.string()).c_str()), 0);
    mounted_ = true;
    root_ = mount_ / "store";
    SharedFilesTest::SetUp();
  }

  void TearDown() override {
    store_.reset();
    clearSharedFileCache();
    if (mounted_) {
      const std::string unmount = "fusermount -u " + mount_.string() + " 2>/dev/null || fusermount3 -u " + mount_.string();
      EXPECT_EQ(std::system(unmount.c_str()), 0);
    }
  }

  // No file but task files and the list's own: nothing left aside, nothing half-written.
  void expectNoLeftovers() {
    for (const auto& [path, bytes] : snapshot(dir_)) {
      EXPECT_EQ(path.find(".zarvo-"), std::string::npos) << path;
    }
  }

  fs::path backing_ = tmp_.path() / "backing";
  fs::path mount_ = tmp_.path() / "mount";
  bool mounted_ = false;
};

TEST_F(FuseStoreTest, TheMountCannotSwapFilesSoTheStoreMovesThePreviousVersionAsideAndEditsStillLand) {
  writeFile(dir_ / "a.ics", otherClientTask("a", "Before"));
  writeFile(dir_ / "b.ics", otherClientTask("b", "Other"));
  EXPECT_NE(platform::FileSystem::posix()->exchange(dir_ / "a.ics", dir_ / "b.ics"), Error());
  auto a = reread("a");
  ASSERT_NE(a, nullptr);
  a->setTitle("After");
  store_->saveReminder(a, true);
  EXPECT_NE(readFile(dir_ / "a.ics").find("SUMMARY:After"), std::string::npos);
  a->setTitle("Again");  // the second rewrite goes by renames from the start
  store_->saveReminder(a, true);
  EXPECT_NE(readFile(dir_ / "a.ics").find("SUMMARY:Again"), std::string::npos);
  store_->removeReminder(store_->reminderWithExternalIdentifier("b"), true);
  EXPECT_FALSE(fs::exists(dir_ / "b.ics"));
  expectNoLeftovers();
}

TEST_F(FuseStoreTest, AnotherProgramsWriteInTheInstantBeforeAnEditOrARemovalIsKept) {
  writeFile(dir_ / "a.ics", otherClientTask("a", "Theirs before"));
  writeFile(dir_ / "b.ics", otherClientTask("b", "To remove"));
  auto a = reread("a");
  auto b = store_->reminderWithExternalIdentifier("b");
  ASSERT_TRUE(a && b);

  const std::string theirs = otherClientTask("a", "Theirs after");
  faulty_->beforeNextReplace([&] { replaceAtomically(dir_ / "a.ics", theirs); });
  a->setTitle("Mine");
  EXPECT_EQ(failureOf([&] { store_->saveReminder(a, true); }), StoreErrorCode::conflict);
  EXPECT_EQ(readFile(dir_ / "a.ics"), theirs);

  const std::string theirsB = otherClientTask("b", "Edited meanwhile");
  faulty_->beforeNextReplace([&] { replaceAtomically(dir_ / "b.ics", theirsB); });
  EXPECT_EQ(failureOf([&] { store_->removeReminder(b, true); }), StoreErrorCode::conflict);
  EXPECT_EQ(readFile(dir_ / "b.ics"), theirsB);
  expectNoLeftovers();
}

TEST_F(FuseStoreTest, AFileAnotherProgramMakesWhileTheNameIsFreeIsKept) {
  writeFile(dir_ / "a.ics", otherClientTask("a", "Before"));
  auto a = reread("a");
  ASSERT_NE(a, nullptr);
  a->setTitle("Mine");
  store_->saveReminder(a, true);  // the first rewrite finds out that the mount cannot swap
  a->setTitle("Mine again");
  // The first rename moves the file aside; the other program writes before the second puts ours in.
  const std::string theirs = otherClientTask("a", "Made anew");
  faulty_->beforeNextReplace([&] { faulty_->beforeNextReplace([&] { writeFile(dir_ / "a.ics", theirs); }); });
  EXPECT_EQ(failureOf([&] { store_->saveReminder(a, true); }), StoreErrorCode::conflict);
  EXPECT_EQ(readFile(dir_ / "a.ics"), theirs);
  expectNoLeftovers();
}

TEST_F(FuseStoreTest, AnInPlaceWriterHoldingTheFileOpenAcrossTheEditKeepsItsBytes) {
  expectAnInPlaceWriterAcrossTheRewriteKeepsItsBytes();
}

// A move to another list on the mount, while another program holds the task file open to write and
// writes only after the move is done: its bytes land in a file that stays (a conflict copy beside the
// old list's file), not in the removed previous version.
TEST_F(FuseStoreTest, AWriterHoldingTheFileOpenAcrossAMoveKeepsItsBytes) {
  auto other = Calendar::calendarForEntityType(EntityType::reminder, *store_);
  other->setTitle("Other");
  store_->saveCalendar(other, true);
  const std::string ours = otherClientTask("moved", "Title one");
  const std::string theirs = otherClientTask("moved", "Title two");
  writeFile(dir_ / "moved.ics", ours);
  auto r = reread("moved");
  ASSERT_NE(r, nullptr);
  const int fd = ::open((dir_ / "moved.ics").c_str(), O_WRONLY);
  ASSERT_GE(fd, 0);
  r->setCalendar(store_->calendarWithIdentifier(other->calendarIdentifier()));
  store_->saveReminder(r, true);
  ASSERT_EQ(::pwrite(fd, theirs.data(), theirs.size(), 0), static_cast<ssize_t>(theirs.size()));
  ::close(fd);
  EXPECT_EQ(snapshot(root_ / other->calendarIdentifier()).size(), 2u) << "the task and the list's name";
  std::vector<std::string> kept;
  for (const auto& [path, bytes] : snapshot(root_)) {
    if (bytes == theirs) kept.push_back(path);
  }
  EXPECT_EQ(kept.size(), 1u) << "their bytes went into a removed file";
  expectNoLeftovers();
}

}  // namespace
}  // namespace zarvo::reminders
