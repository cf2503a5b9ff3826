#include "zarvo/sync/vdirsyncer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "zarvo/testing/files.h"
#include "zarvo/testing/radicale.h"
#include "zarvo/testing/scoped_env.h"
#include "zarvo/testing/temp_dir.h"

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
      {"error: Unknown error occurred: Timeout on reading data from socket", SyncFailure::timedOut},
      {"error: Unknown error occurred: Connection timeout to host http://10.255.255.1:5232/", SyncFailure::unreachable},
      {"error: Unknown error occurred for work/l: Server disconnected", SyncFailure::dropped},
      {"error: Unknown error occurred for work/l: <RawResponseMessage(version=HttpVersion(major=1, minor=0), code=207, "
       "reason=None, headers=<CIMultiDictProxy()>, raw_headers=(), should_close=True, compression=None, upgrade=False, "
       "chunked=False)>",
       SyncFailure::dropped},
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

// An executable script at `path`.
// A task file named after its UID, as vdirsyncer's folder storage names what it writes.
void writeTask(const std::filesystem::path& folder, const std::string& uid) {
  testing::writeFile(folder / (uid + ".ics"), "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//t//EN\r\nBEGIN:VTODO\r\nUID:" + uid +
                                                  "\r\nSUMMARY:t\r\nEND:VTODO\r\nEND:VCALENDAR\r\n");
}

void writeScript(const std::filesystem::path& path, const std::string& text) {
  testing::writeFile(path, text);
  ::chmod(path.c_str(), 0700);
}

// Without vdirsyncer's Python (a program that is no Python script), each step is a process of its
// own, in order, and a failed discover ends the plan.
TEST(VdirsyncerRunTest, StepByStepAFailedDiscoverEndsThePlan) {
  testing::TempDir dir;
  const auto log = dir.path() / "log";
  const auto fake = dir.path() / "vdirsyncer";
  writeScript(fake, "#!/bin/sh\nshift 2\necho \"$*\" >> '" + log.string() + "'\n"
                    "case \"$1\" in discover) [ -e '" + (dir.path() / "fail").string() + "' ] && exit 1;; esac\n"
                    "case \"$1\" in sync) echo 'Syncing work/a'; echo 'Copying (uploading) item u to work_remote/a';; esac\n");
  const Vdirsyncer vdirsyncer(fake, dir.path() / "config");
  const std::vector<VdirsyncerStep> plan = {{VdirsyncerStep::Command::discover, {"work", "work_meta"}},
                                            {VdirsyncerStep::Command::metasync, {"work_meta"}},
                                            {VdirsyncerStep::Command::sync, {"work/a"}, true}};
  SyncOutputReader reader(twoAccounts());
  const VdirsyncerRun run = vdirsyncer.run(plan, reader, {});
  EXPECT_TRUE(run.completed);
  EXPECT_TRUE(run.process.succeeded());
  EXPECT_EQ(testing::readFile(log), "discover work work_meta\nmetasync work_meta\nsync --force-delete work/a\n");
  ASSERT_EQ(reader.report().lists.size(), 1u);
  EXPECT_EQ(reader.report().lists[0].added[sideIndex(Side::server)], 1);

  testing::writeFile(dir.path() / "fail", "");
  testing::writeFile(log, "");
  SyncOutputReader failing(twoAccounts());
  const VdirsyncerRun stopped = vdirsyncer.run(plan, failing, {});
  EXPECT_FALSE(stopped.completed);
  EXPECT_EQ(stopped.process.exitStatus, 1);
  EXPECT_EQ(testing::readFile(log), "discover work work_meta\n");
}

// Two folders of this machine standing in for a server ("here" and "there"), paired as "work" (the
// tasks) and "work_meta" (the names) with the lists "a" and "b", each holding one task here.
void writeFolderPair(const testing::TempDir& dir) {
  const auto storage = [&](const char* name, const char* folder) {
    return std::string("[storage ") + name + "]\ntype = \"filesystem\"\npath = \"" + dir.file(folder) +
           "/\"\nfileext = \".ics\"\n";
  };
  const std::string sides = "a = \"work_local\"\nb = \"work_remote\"\ncollections = [\"from a\", \"from b\"]\n";
  testing::writeFile(dir.path() / "config", "[general]\nstatus_path = \"" + dir.file("status") + "/\"\n[pair work]\n" +
                                                sides + "[pair work_meta]\n" + sides +
                                                "metadata = [\"displayname\"]\n" + storage("work_local", "here") +
                                                storage("work_remote", "there"));
  for (const char* list : {"a", "b"}) {
    testing::writeFile(dir.path() / "here" / list / "displayname", list);
    writeTask(dir.path() / "here" / list, list);
  }
  ::mkdir(dir.file("there").c_str(), 0700);
}

// With vdirsyncer's Python, the whole plan costs one start of the interpreter, and each list's end
// is told as it comes.
TEST(VdirsyncerRunTest, APlanRunsInOneProcessAndTellsWhenEachListIsDone) {
  testing::TempDir dir;
  const auto counted = testing::countingVdirsyncer(dir.path());
  if (!counted) GTEST_SKIP() << "vdirsyncer (a Python script) is not installed (scripts/bootstrap installs it)";
  writeFolderPair(dir);

  const Vdirsyncer vdirsyncer(*counted, dir.path() / "config");
  SyncOutputReader reader({Account{"work", "https://a/", "me", {}}});
  std::vector<std::string> finished;
  const VdirsyncerRun run = vdirsyncer.run({{VdirsyncerStep::Command::discover, {"work", "work_meta"}},
                                            {VdirsyncerStep::Command::metasync, {"work_meta"}},
                                            {VdirsyncerStep::Command::sync, {"work"}}},
                                           reader, [&](const SyncEvent& event) {
                                             if (event.kind == SyncEvent::Kind::listFinished) {
                                               finished.push_back(event.list->collection);
                                             }
                                           });
  EXPECT_TRUE(run.completed);
  EXPECT_TRUE(run.process.succeeded());
  EXPECT_EQ(testing::countedStarts(dir.path()), 1u);
  std::sort(finished.begin(), finished.end());
  EXPECT_EQ(finished, (std::vector<std::string>{"a", "b"}));
  ASSERT_EQ(reader.report().lists.size(), 2u);
  EXPECT_EQ(reader.report().lists[0].added[sideIndex(Side::server)], 1);
  EXPECT_EQ(testing::readFile(dir.path() / "there" / "b" / "displayname"), "b");
  // What vdirsyncer made is the user's alone.
  struct stat made {};
  ASSERT_EQ(::stat((dir.path() / "there" / "a").c_str(), &made), 0);
  EXPECT_EQ(made.st_mode & 077, 0u);
}

// vdirsyncer syncs its lists at once and, as soon as one fails, closes the connection they share and
// drops the others where they stand. A list it refuses on purpose (all its tasks gone on one side)
// must not cut a list still waiting for its answers: that list is finished, and the step still ends
// as failed. The server's slowness is played by a hook that makes listing "b" here wait.
TEST(VdirsyncerRunTest, AFailingListDoesNotCutTheListsSyncingBesideIt) {
  testing::TempDir dir;
  const auto counted = testing::countingVdirsyncer(dir.path());
  if (!counted) GTEST_SKIP() << "vdirsyncer (a Python script) is not installed (scripts/bootstrap installs it)";
  writeFolderPair(dir);
  const Vdirsyncer vdirsyncer(*counted, dir.path() / "config");
  SyncOutputReader first({Account{"work", "https://a/", "me", {}}});
  ASSERT_TRUE(vdirsyncer.run({{VdirsyncerStep::Command::discover, {"work"}}, {VdirsyncerStep::Command::sync, {"work"}}},
                             first, {})
                  .process.succeeded());

  std::filesystem::remove(dir.path() / "there" / "a" / "a.ics");
  writeTask(dir.path() / "here" / "b", "late");
  testing::writeFile(dir.path() / "hook" / "sitecustomize.py",
                     "import asyncio\n"
                     "from vdirsyncer.storage.filesystem import FilesystemStorage\n"
                     "listed = FilesystemStorage.list\n"
                     "async def slowly(self):\n"
                     "    if self.path.rstrip('/').endswith('/here/b'):\n"
                     "        await asyncio.sleep(1)\n"
                     "    async for item in listed(self):\n"
                     "        yield item\n"
                     "FilesystemStorage.list = slowly\n");
  const testing::ScopedEnv hook("PYTHONPATH", dir.file("hook").c_str());
  SyncOutputReader reader({Account{"work", "https://a/", "me", {}}});
  const VdirsyncerRun run = vdirsyncer.run({{VdirsyncerStep::Command::sync, {"work"}}}, reader, {});

  EXPECT_TRUE(run.completed);
  EXPECT_EQ(run.process.exitStatus, 1);
  ASSERT_EQ(reader.report().emptied.size(), 1u);
  EXPECT_EQ(reader.report().emptied[0].collection, "a");
  EXPECT_TRUE(reader.report().errors.empty()) << reader.report().errors.front();
  EXPECT_TRUE(std::filesystem::exists(dir.path() / "there" / "b" / "late.ics"));
}

}  // namespace
}  // namespace zarvo::caldav
