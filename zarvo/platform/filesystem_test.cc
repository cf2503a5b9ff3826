#include "zarvo/platform/filesystem.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <set>

#include "zarvo/testing/temp_dir.h"

namespace zarvo::platform {
namespace {

namespace fs = std::filesystem;

class FileSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    faulty_ = std::make_shared<FaultInjectingFileSystem>(FileSystem::posix());
  }

  std::string read(const fs::path& p) {
    std::string s;
    EXPECT_FALSE(FileSystem::posix()->readFile(p, s));
    return s;
  }
  std::set<std::string> names() {
    std::vector<DirectoryEntry> entries;
    EXPECT_FALSE(FileSystem::posix()->listDirectory(dir_, entries));
    std::set<std::string> out;
    for (auto& e : entries) out.insert(e.name);
    return out;
  }

  testing::TempDir tmp_{"zarvo-fs"};
  fs::path dir_ = tmp_.path();
  std::shared_ptr<FaultInjectingFileSystem> faulty_;
};

TEST_F(FileSystemTest, AtomicWriteReplacesAndKeepsRequestedMode) {
  auto target = dir_ / "a.ics";
  ASSERT_FALSE(writeFileAtomically(*faulty_, target, "old", 0600));
  ASSERT_FALSE(writeFileAtomically(*faulty_, target, "new contents", 0600));
  EXPECT_EQ(read(target), "new contents");
  FileInfo info;
  ASSERT_FALSE(faulty_->stat(target, info));
  EXPECT_EQ(info.mode & 0777, 0600u);
  EXPECT_EQ(names(), std::set<std::string>{"a.ics"});  // no temporary left behind
}

// What the stores make is their user's alone, whatever the umask lets through: a new file 0600, a
// new folder 0700. An existing folder keeps its bits.
TEST_F(FileSystemTest, NewFilesAndFoldersArePrivateToTheirOwner) {
  const mode_t old = ::umask(0);
  ASSERT_FALSE(writeFileAtomically(*faulty_, dir_ / "task.ics", "x"));
  ASSERT_FALSE(createDirectories(*faulty_, dir_ / "source" / "list"));
  fs::permissions(dir_ / "source", fs::perms(0755));
  ASSERT_FALSE(faulty_->createDirectory(dir_ / "source"));
  ::umask(old);
  FileInfo file, folder, parent, existing;
  ASSERT_FALSE(faulty_->stat(dir_ / "task.ics", file));
  ASSERT_FALSE(faulty_->stat(dir_ / "source" / "list", folder));
  ASSERT_FALSE(faulty_->stat(dir_ / "source", existing));
  EXPECT_EQ(file.mode & 0777, 0600u);
  EXPECT_EQ(folder.mode & 0777, 0700u);
  EXPECT_EQ(existing.mode & 0777, 0755u);
}

TEST_F(FileSystemTest, WriteFailingHalfWayLeavesOldContentsAndNoTemporary) {
  auto target = dir_ / "a.ics";
  ASSERT_FALSE(writeFileAtomically(*faulty_, target, "original"));
  faulty_->failWritesAfter(5);
  auto e = writeFileAtomically(*faulty_, target, std::string(100, 'x'));
  EXPECT_EQ(e, std::errc::no_space_on_device);
  EXPECT_EQ(faulty_->bytesWritten(), 5u);
  EXPECT_EQ(read(target), "original");
  EXPECT_EQ(names(), std::set<std::string>{"a.ics"});
}

TEST_F(FileSystemTest, DiskFullFailedRenameOrSyncAndReadOnlyFolderChangeNothing) {
  auto target = dir_ / "a.ics";
  ASSERT_FALSE(writeFileAtomically(*faulty_, target, "original"));

  faulty_->setDiskFull(true);
  EXPECT_EQ(writeFileAtomically(*faulty_, target, "x"), std::errc::no_space_on_device);
  faulty_->clearFaults();

  faulty_->failRenames(true);
  EXPECT_EQ(writeFileAtomically(*faulty_, target, "x"), std::errc::io_error);
  faulty_->clearFaults();

  // Unsynced data must never replace the old file: a crash could leave it empty.
  faulty_->failSyncs(true);
  EXPECT_EQ(writeFileAtomically(*faulty_, target, "x"), std::errc::io_error);
  EXPECT_EQ(faulty_->renames(), 1);  // the first write's only
  faulty_->clearFaults();

  faulty_->setReadOnly(dir_);
  EXPECT_EQ(writeFileAtomically(*faulty_, target, "x"), std::errc::read_only_file_system);
  EXPECT_EQ(faulty_->removeFile(target), std::errc::read_only_file_system);
  EXPECT_FALSE(faulty_->isReadableAndWritable(dir_));
  faulty_->clearFaults();

  EXPECT_EQ(read(target), "original");
  EXPECT_EQ(names(), std::set<std::string>{"a.ics"});
}

TEST_F(FileSystemTest, StatOfMissingPathIsNotAnErrorAndVersionChangesOnRewrite) {
  FileInfo info;
  EXPECT_FALSE(faulty_->stat(dir_ / "missing", info));
  EXPECT_FALSE(info.exists);
  auto target = dir_ / "a";
  ASSERT_FALSE(writeFileAtomically(*faulty_, target, "one"));
  FileInfo first, second;
  ASSERT_FALSE(faulty_->stat(target, first));
  ASSERT_FALSE(writeFileAtomically(*faulty_, target, "two"));
  ASSERT_FALSE(faulty_->stat(target, second));
  EXPECT_FALSE(first.sameVersion(second));  // a new inode even when size and mtime tick collide
  ASSERT_FALSE(createDirectories(*faulty_, dir_ / "x" / "y" / "z"));
  ASSERT_FALSE(faulty_->stat(dir_ / "x" / "y" / "z", info));
  EXPECT_TRUE(info.isDirectory);
}

}  // namespace
}  // namespace zarvo::platform
