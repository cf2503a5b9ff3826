// Another program writing a task file at every moment of a commit: its bytes are never lost. The
// other version always has the length of the one read and the same modification time, so only a check
// of the contents can tell them apart.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "zarvo/reminders/event_store.h"
#include "zarvo/testing/forwarding_file_system.h"
#include "zarvo/testing/reminders_store.h"

namespace zarvo::reminders {
namespace {

namespace fs = std::filesystem;
using testing::otherClientTask;
using testing::readFile;
using testing::snapshot;
using testing::TempDir;
using testing::writeFile;

// How the other program writes.
enum class Writer {
  atomic,   // a new file renamed over the old one, as todoman and vdirsyncer write
  inPlace,  // the same file truncated and written again, as an editor saving in place does
  remover,  // the file removed
};

const char* name(Writer w) {
  switch (w) {
    case Writer::atomic: return "atomic";
    case Writer::inPlace: return "in place";
    case Writer::remover: return "remover";
  }
  return "?";
}

// Writes `bytes` to `path` as `writer` does, then gives the file its modification time from before.
void write(Writer writer, const fs::path& path, const std::string& bytes) {
  struct stat before {};
  ASSERT_EQ(::stat(path.c_str(), &before), 0) << path;
  switch (writer) {
    case Writer::remover:
      fs::remove(path);
      return;
    case Writer::atomic: {
      const fs::path other = path.parent_path() / ".other-program.tmp";
      writeFile(other, bytes);
      fs::rename(other, path);
      break;
    }
    case Writer::inPlace: {
      const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC);
      ASSERT_GE(fd, 0);
      ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
      ::close(fd);
      break;
    }
  }
  const struct timespec times[2] = {before.st_atim, before.st_mtim};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

// A file system that can neither swap two files nor rename without replacing (many FUSE and network
// file systems).
class WithoutExchange final : public zarvo::testing::ForwardingFileSystem {
 public:
  Error renameNoReplace(const fs::path&, const fs::path&) override {
    return std::make_error_code(std::errc::not_supported);
  }
  Error exchange(const fs::path&, const fs::path&) override {
    return std::make_error_code(std::errc::not_supported);
  }
};

// What the store is doing when the other program writes.
enum class Operation { edit, remove, move };

const char* name(Operation o) {
  switch (o) {
    case Operation::edit: return "edit";
    case Operation::remove: return "remove";
    case Operation::move: return "move";
  }
  return "?";
}

// When the other program writes: after the task was read and before the commit began, or in the
// instant before the commit swaps, renames or removes the file (after every check made before it).
enum class Moment { beforeCommit, beforeSwap };

class RacingWritersTest : public ::testing::Test {
 protected:
  void SetUp() override { open(platform::FileSystem::posix(), "store"); }

  // A new store under the temporary folder's `name`, on `base`.
  void open(std::shared_ptr<platform::FileSystem> base, const std::string& name) {
    store_.reset();
    root_ = tmp_.path() / name;
    faulty_ = std::make_shared<platform::FaultInjectingFileSystem>(std::move(base));
    auto options = testing::optionsFor(root_);
    options.fileSystem = faulty_;
    store_ = std::make_unique<EventStore>(options);
    testing::createStore(*store_);
    calendar_ = store_->defaultCalendarForNewReminders();
    ASSERT_NE(calendar_, nullptr);
    other_ = Calendar::calendarForEntityType(EntityType::reminder, *store_);
    other_->setTitle("Other");
    store_->saveCalendar(other_, true);
    dir_ = root_ / calendar_->calendarIdentifier();
  }

  std::shared_ptr<Reminder> reread(const std::string& uid) {
    clearSharedFileCache();
    store_->reset();
    return store_->reminderWithExternalIdentifier(uid);
  }

  // The store's side of the race: `operation` on `r`, saved at once.
  void perform(Operation operation, const std::shared_ptr<Reminder>& r) {
    switch (operation) {
      case Operation::edit:
        r->setTitle("Water the garden");
        store_->saveReminder(r, true);
        break;
      case Operation::remove: store_->removeReminder(r, true); break;
      case Operation::move:
        r->setCalendar(store_->calendarWithIdentifier(other_->calendarIdentifier()));
        store_->saveReminder(r, true);
        break;
    }
  }

  // Every file below the root holding `bytes`.
  std::vector<std::string> holding(const std::string& bytes) {
    std::vector<std::string> out;
    for (const auto& [path, content] : snapshot(root_)) {
      if (content == bytes) out.push_back(path);
    }
    return out;
  }

  void expectNoTemporaries() {
    for (const auto& [path, bytes] : snapshot(root_)) {
      EXPECT_EQ(path.find(".zarvo-"), std::string::npos) << path;
      EXPECT_EQ(path.find(".other-program"), std::string::npos) << path;
    }
  }

  TempDir tmp_;
  fs::path root_;
  fs::path dir_;
  std::shared_ptr<platform::FaultInjectingFileSystem> faulty_;
  std::unique_ptr<EventStore> store_;
  std::shared_ptr<Calendar> calendar_;
  std::shared_ptr<Calendar> other_;
};

TEST_F(RacingWritersTest, EveryCheckOfEveryOperationKeepsAnotherProgramsWrite) {
  const std::string mine = otherClientTask("t", "Water the plants");
  const std::string theirs = otherClientTask("t", "Water the PLANTS");  // the same length
  ASSERT_EQ(mine.size(), theirs.size());
  for (const bool exchange : {true, false}) {
   if (!exchange) open(std::make_shared<WithoutExchange>(), "without-exchange");
   for (const Operation operation : {Operation::edit, Operation::remove, Operation::move}) {
    // Without an atomic swap the previous version is renamed aside and compared: a write in the
    // instant before that rename is found all the same.
    for (const Moment moment : {Moment::beforeCommit, Moment::beforeSwap}) {
      for (const Writer writer : {Writer::atomic, Writer::inPlace, Writer::remover}) {
        SCOPED_TRACE(std::string(exchange ? "" : "without exchange, ") + name(operation) + ", " +
                     (moment == Moment::beforeCommit ? "before the commit" : "before the swap") + ", " + name(writer));
        fs::remove_all(dir_);
        fs::remove_all(root_ / other_->calendarIdentifier());
        writeFile(dir_ / "displayname", "Reminders");
        writeFile(root_ / other_->calendarIdentifier() / "displayname", "Other");
        writeFile(dir_ / "t.ics", mine);
        auto r = reread("t");
        ASSERT_NE(r, nullptr);

        auto theyWrite = [&] { write(writer, dir_ / "t.ics", theirs); };
        if (moment == Moment::beforeCommit) {
          theyWrite();
        } else {
          faulty_->beforeNextReplace(theyWrite);
        }
        std::string message;
        EXPECT_EQ(testing::failureOf(
                      [&] { perform(operation, r); },
                      message),
                  StoreErrorCode::conflict);
        faulty_->beforeNextReplace(nullptr);
        EXPECT_EQ(snapshot(root_ / other_->calendarIdentifier()).size(), 1u) << "the task moved anyway";
        if (writer == Writer::remover) {
          EXPECT_TRUE(holding(mine).empty()) << "a removed file came back";
        } else {
          EXPECT_EQ(holding(theirs), std::vector<std::string>{fs::relative(dir_ / "t.ics", root_).string()});
          EXPECT_TRUE(holding(mine).empty());
        }
        expectNoTemporaries();
      }
    }
   }
  }
}

// A commit of several files that fails part-way puts back what it did. Another program writing one of
// those files in the meantime keeps its bytes: beside the file when the previous version goes back in
// place, in place when the store's own new file would have gone.
TEST_F(RacingWritersTest, UndoingAFailedCommitKeepsAnotherProgramsWrite) {
  for (const Writer writer : {Writer::atomic, Writer::inPlace}) {
    SCOPED_TRACE(name(writer));
    fs::remove_all(dir_);
    writeFile(dir_ / "displayname", "Reminders");
    const std::string a = otherClientTask("a", "First task"), b = otherClientTask("b", "Second task");
    writeFile(dir_ / "a.ics", a);
    writeFile(dir_ / "b.ics", b);
    auto ra = reread("a");
    auto rb = store_->reminderWithExternalIdentifier("b");
    auto created = Reminder::reminderWithEventStore(*store_);
    created->setCalendar(calendar_);
    created->setTitle("Brand new");
    ra->setTitle("First task edited");
    store_->saveReminder(created, false);
    store_->saveReminder(ra, false);
    store_->saveReminder(rb, false);
    const fs::path createdFile = dir_ / (created->calendarItemExternalIdentifier() + ".ics");

    // The new file and a.ics are in place when b.ics's swap fails; the other program has just
    // rewritten both, keeping their lengths, and rewrites a.ics again as the undo swaps it back.
    std::string theirsA, theirsCreated;
    faulty_->beforeNextReplace([&] {    // creating the new file
      faulty_->beforeNextReplace([&] {  // swapping a.ics
        faulty_->beforeNextReplace([&] {  // swapping b.ics, which fails
          faulty_->failRenamesAfter(0);
          theirsCreated = readFile(createdFile);
          theirsCreated.replace(theirsCreated.find("Brand new"), 9, "BRAND NEW");
          write(writer, createdFile, theirsCreated);
          faulty_->beforeNextReplace([&] {  // the undo swapping a.ics back
            theirsA = readFile(dir_ / "a.ics");
            theirsA.replace(theirsA.find("First task edited"), 17, "FIRST TASK EDITED");
            write(writer, dir_ / "a.ics", theirsA);
          });
        });
      });
    });
    EXPECT_THROW(store_->commit(), StoreError);
    faulty_->clearFaults();
    faulty_->beforeNextReplace(nullptr);
    ASSERT_FALSE(theirsA.empty());
    EXPECT_EQ(readFile(dir_ / "a.ics"), a) << "the previous version is back in place";
    EXPECT_EQ(holding(theirsA).size(), 1u) << "their version of a.ics is kept beside it";
    EXPECT_EQ(readFile(createdFile), theirsCreated) << "their version of the new file stays";
    EXPECT_EQ(readFile(dir_ / "b.ics"), b);
  }
}

// A move takes the previous version aside before its copy appears in the other list. Another reader
// opening the store at that moment (another zarvo, or this process's next handle) must leave the
// version aside alone while its owner lives: putting it back would leave the task in both lists.
TEST_F(RacingWritersTest, AMoveInProgressIsLeftToTheProcessMakingIt) {
  writeFile(dir_ / "t.ics", otherClientTask("t", "Water the plants"));
  auto r = reread("t");
  ASSERT_NE(r, nullptr);
  std::map<std::string, std::string> seenMeanwhile;
  faulty_->beforeNextReplace([&] {    // the previous version goes aside
    faulty_->beforeNextReplace([&] {  // the copy goes in place in the other list
      clearSharedFileCache();
      EventStore reader(testing::optionsFor(root_));
      for (const auto& t : reader.remindersMatchingPredicate(reader.predicateForIncompleteReminders({}, {}, {}))) {
        seenMeanwhile[t->calendarItemExternalIdentifier()] = t->calendar()->title();
      }
    });
  });
  r->setCalendar(store_->calendarWithIdentifier(other_->calendarIdentifier()));
  store_->saveReminder(r, true);

  EXPECT_TRUE(seenMeanwhile.empty()) << "a reader saw the task mid-move in " << seenMeanwhile.begin()->second;
  clearSharedFileCache();
  EventStore after(testing::optionsFor(root_));
  const auto all = after.remindersMatchingPredicate(after.predicateForIncompleteReminders({}, {}, {}));
  ASSERT_EQ(all.size(), 1u) << "the task is in both lists";
  EXPECT_EQ(all[0]->calendar()->title(), "Other");
  expectNoTemporaries();
}

// Another program that opened the task file to write before the commit, and writes through that
// descriptor only after the commit is done (an editor saving in place, a sync tool mid-write): the
// previous version it holds is never removed, so its bytes land in a file that stays.
TEST_F(RacingWritersTest, AWriterHoldingTheFileOpenNeverWritesIntoARemovedFile) {
  const std::string mine = otherClientTask("t", "Water the plants");
  const std::string theirs = otherClientTask("t", "Water the PLANTS");  // the same length
  for (const bool exchange : {true, false}) {
    if (!exchange) open(std::make_shared<WithoutExchange>(), "without-exchange-open");
    for (const Operation operation : {Operation::edit, Operation::remove, Operation::move}) {
      SCOPED_TRACE(std::string(exchange ? "" : "without exchange, ") + name(operation));
      fs::remove_all(dir_);
      fs::remove_all(root_ / other_->calendarIdentifier());
      writeFile(dir_ / "displayname", "Reminders");
      writeFile(root_ / other_->calendarIdentifier() / "displayname", "Other");
      writeFile(dir_ / "t.ics", mine);
      auto r = reread("t");
      ASSERT_NE(r, nullptr);
      const int fd = ::open((dir_ / "t.ics").c_str(), O_WRONLY);
      ASSERT_GE(fd, 0);
      perform(operation, r);
      ASSERT_EQ(::pwrite(fd, theirs.data(), theirs.size(), 0), static_cast<ssize_t>(theirs.size()));
      ::close(fd);
      EXPECT_EQ(holding(theirs).size(), 1u) << "their bytes went into a removed file";
      expectNoTemporaries();
    }
  }
}

}  // namespace
}  // namespace zarvo::reminders
