#include "zarvo/sync/vdirsyncer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zarvo::caldav {
namespace {

std::vector<Account> twoAccounts() {
  return {Account{"work", "https://a/", "me", {}}, Account{"work-2", "https://b/", "me", {}}};
}

SyncReport readAll(const std::vector<std::string>& lines) {
  SyncOutputReader reader(twoAccounts());
  for (const auto& line : lines) reader.read(line);
  return reader.report();
}

int sideIndex(Side side) { return static_cast<int>(side); }

// Lines as vdirsyncer 0.19 prints them.
TEST(SyncOutputTest, ChangesAreCountedPerListAndSide) {
  const SyncReport report = readAll({
      "Syncing work/3f2a-list",
      "Copying (uploading) item abc@host to work_remote/3f2a-list",
      "Copying (uploading) item def to work_remote/3f2a-list",
      "Copying (updating) item ghi to work_local/3f2a-list",
      "Deleting item jkl from work_local/3f2a-list",
      "Syncing work-2/inbox",
      "Copying (uploading) item to me to work-2_local/inbox",
      "Deleting item x from work-2_remote/inbox",
      "Doing conflict resolution for item y...",
      "Metasyncing work_meta/3f2a-list",
  });
  ASSERT_EQ(report.lists.size(), 2u);
  const ListChanges& work = report.lists[0];
  EXPECT_EQ(work.account, "work");
  EXPECT_EQ(work.collection, "3f2a-list");
  EXPECT_EQ(work.added[sideIndex(Side::server)], 2);
  EXPECT_EQ(work.added[sideIndex(Side::local)], 0);
  EXPECT_EQ(work.updated[sideIndex(Side::local)], 1);
  EXPECT_EQ(work.deleted[sideIndex(Side::local)], 1);
  const ListChanges& home = report.lists[1];
  // The account whose name is a prefix of a storage name must not swallow the other's lines.
  EXPECT_EQ(home.account, "work-2");
  EXPECT_EQ(home.added[sideIndex(Side::local)], 1);
  EXPECT_EQ(home.deleted[sideIndex(Side::server)], 1);
  EXPECT_EQ(home.conflicts, (std::vector<std::string>{"y"}));
  EXPECT_EQ(report.failure, SyncFailure::none);
}

TEST(SyncOutputTest, ErrorsSayWhatKindOfFailureTheyAre) {
  struct Case {
    const char* line;
    SyncFailure failure;
  };
  const Case cases[] = {
      {"error: Unknown error occurred: 401, message='Unauthorized', url=URL('http://127.0.0.1:5299/')",
       SyncFailure::unauthorized},
      {"error: Unknown error occurred for work/l: 403, message='Forbidden', url=URL('http://h/')", SyncFailure::unauthorized},
      {"error: Unknown error occurred for work/l: Cannot connect to host 127.0.0.1:5299 ssl:default "
       "[Connect call failed ('127.0.0.1', 5299)]",
       SyncFailure::unreachable},
      {"critical: Detected change in config file, please run `vdirsyncer discover work`.", SyncFailure::needsDiscovery},
      {"critical: Please run `vdirsyncer discover work`  before synchronization.", SyncFailure::needsDiscovery},
      {"error: Unknown error occurred for work/l: something else", SyncFailure::other},
  };
  for (const auto& c : cases) {
    SyncOutputReader reader(twoAccounts());
    const SyncEvent event = reader.read(c.line);
    EXPECT_EQ(event.kind, SyncEvent::Kind::error) << c.line;
    EXPECT_EQ(reader.report().failure, c.failure) << c.line;
    ASSERT_EQ(reader.report().errors.size(), 1u);
  }
}

TEST(SyncOutputTest, AFailedListIsMarkedAndAdviceAboutDebuggingIsDropped) {
  const SyncReport report = readAll({
      "Syncing work/a",
      "error: Unknown error occurred for work/a: 401, message='Unauthorized', url=URL('http://h/')",
      "error: Use `-vdebug` to see the full traceback.",
      "error: Unknown error occurred for work/b: something else",
  });
  ASSERT_EQ(report.lists.size(), 2u);
  EXPECT_TRUE(report.lists[0].failed);
  EXPECT_TRUE(report.lists[1].failed);
  EXPECT_EQ(report.errors.size(), 2u);
  // A later failure of another kind does not hide the first one's meaning.
  EXPECT_EQ(report.failure, SyncFailure::unauthorized);
}

TEST(SyncOutputTest, AnEmptiedListIsNoErrorButSaysWhichSideWasEmptied) {
  const SyncReport report = readAll({
      "Syncing work/a",
      "error: work/a: Storage \"work_local/a\" was completely emptied. If you want to delete ALL entries on BOTH "
      "sides, then use `vdirsyncer sync --force-delete work/a`. Otherwise delete the files for work/a in your status "
      "directory.",
      "Syncing work-2/b",
      "error: work-2/b: Storage \"work-2_remote/b\" was completely emptied. If you want to delete ALL entries on "
      "BOTH sides, then use `vdirsyncer sync --force-delete work-2/b`.",
  });
  EXPECT_TRUE(report.errors.empty());
  EXPECT_EQ(report.failure, SyncFailure::none);
  ASSERT_EQ(report.emptied.size(), 2u);
  EXPECT_EQ(report.emptied[0].collection, "a");
  EXPECT_EQ(report.emptied[0].side, Side::local);
  EXPECT_EQ(report.emptied[1].account, "work-2");
  EXPECT_EQ(report.emptied[1].side, Side::server);
}

TEST(SyncOutputTest, ResolverNotesComeBackAsTheyWereWrittenEvenWithTabsInTitles) {
  const ConflictNote note{"uid@host", Side::local, "Buy\tmilk", "Buy\noat milk", "/h/conflicts/x.ics"};
  const SyncReport report = readAll({conflictNoteLine(note)});
  ASSERT_EQ(report.conflictNotes.size(), 1u);
  const ConflictNote& back = report.conflictNotes[0];
  EXPECT_EQ(back.uid, "uid@host");
  EXPECT_EQ(back.kept, Side::local);
  EXPECT_EQ(back.keptTitle, "Buy milk");
  EXPECT_EQ(back.otherTitle, "Buy oat milk");
  EXPECT_EQ(back.savedAt, "/h/conflicts/x.ics");
}

}  // namespace
}  // namespace zarvo::caldav
