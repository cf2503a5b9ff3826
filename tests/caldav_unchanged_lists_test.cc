// End to end, against a Radicale server on 127.0.0.1: `zarvo sync` leaves to vdirsyncer only the lists
// that changed on one side since their last sync, and still sees every kind of change: a change on
// the server, a task file edited in place here, a file replaced under the same name with its old
// time, a list made on another machine, and a list a failed sync left behind.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "zarvo/home/home_sync.h"
#include "zarvo/sync/sync_service.h"
#include "zarvo/testing/cli.h"
#include "zarvo/testing/files.h"
#include "zarvo/testing/radicale.h"
#include "zarvo/testing/temp_dir.h"

namespace {

namespace fs = std::filesystem;
namespace caldav = zarvo::caldav;
using json = nlohmann::json;
using zarvo::testing::CliHarness;
using zarvo::testing::Outcome;
using zarvo::testing::RadicaleServer;
using zarvo::testing::TempDir;

class UnchangedListsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CliHarness::expectProgram();
    if (!zarvo::testing::caldavToolsInstalled()) {
      if (std::getenv("ZARVO_REQUIRE_CALDAV") != nullptr) FAIL() << "radicale and vdirsyncer are needed";
      GTEST_SKIP() << "radicale or vdirsyncer is not installed (scripts/bootstrap installs them)";
    }
    ASSERT_TRUE(server_.start());
    for (const char* name : {"A", "B"}) {
      ok(name, {"account", "add", "dav", server_.url(), "--user", RadicaleServer::kUser, "--password-env",
                "DAV_PASSWORD", "--no-upload"});
    }
    // One task in the account's list, known to both homes; then each home's next sync finds nothing to do.
    sync("A");
    ok("A", {"add", "Water plants"});
    for (const char* name : {"A", "B", "A", "B"}) sync(name);
  }

  fs::path home(const std::string& name) const { return scratch_.path() / name; }

  Outcome zarvo(const std::string& name, const std::vector<std::string>& args) {
    std::vector<std::string> all = {"--home", home(name).string(), "--color", "never"};
    all.insert(all.end(), args.begin(), args.end());
    return cli_.shell("DAV_PASSWORD=" + zarvo::testing::shellQuoted(RadicaleServer::kPassword) + " " +
                      CliHarness::commandLine(zarvo::testing::zarvoProgram(), all));
  }

  std::string ok(const std::string& name, const std::vector<std::string>& args) {
    const Outcome run = zarvo(name, args);
    EXPECT_EQ(run.status, 0) << name << ": " << args.front() << "\n" << run.out << run.err;
    return run.out;
  }

  std::string sync(const std::string& name) { return ok(name, {"sync"}); }

  std::vector<std::string> titles(const std::string& name) {
    std::vector<std::string> out;
    for (const auto& t : json::parse(ok(name, {"ls", "--json"}))) out.push_back(t["title"]);
    std::sort(out.begin(), out.end());
    return out;
  }

  // The one task file of the synced lists of `name`.
  fs::path taskFile(const std::string& name) {
    std::vector<fs::path> found;
    for (const auto& e : fs::recursive_directory_iterator(home(name) / "reminders" / "dav")) {
      if (e.path().extension() == ".ics") found.push_back(e.path());
    }
    EXPECT_EQ(found.size(), 1u);
    return found.empty() ? fs::path() : found.front();
  }

  RadicaleServer server_;
  TempDir scratch_;
  CliHarness cli_{scratch_.path()};
};

// vdirsyncer rewrites a list's status whenever it syncs the list.
std::vector<std::string> statusStamps(const fs::path& home) {
  std::vector<std::string> out;
  for (const auto& e : fs::recursive_directory_iterator(home / "vdirsyncer" / "status")) {
    if (e.path().extension() != ".items") continue;
    struct stat s {};
    if (::stat(e.path().c_str(), &s) != 0) continue;
    out.push_back(e.path().filename().string() + " " + std::to_string(s.st_ino) + " " +
                  std::to_string(s.st_mtim.tv_sec) + "." + std::to_string(s.st_mtim.tv_nsec));
  }
  std::sort(out.begin(), out.end());
  return out;
}

TEST_F(UnchangedListsTest, AListThatChangedOnNeitherSideIsToldUpToDateWithoutSyncingIt) {
  const auto before = statusStamps(home("A"));
  ASSERT_FALSE(before.empty());
  const std::string quiet = sync("A");
  EXPECT_NE(quiet.find("dav: up to date"), std::string::npos) << quiet;
  EXPECT_NE(quiet.find("Synced dav (1 list, 0 changes)"), std::string::npos) << quiet;
  EXPECT_EQ(statusStamps(home("A")), before);
}

// The library leaves every list to vdirsyncer unless asked to skip; the zarvo program asks.
TEST_F(UnchangedListsTest, TheLibrarySkipsUnchangedListsOnlyWhenAsked) {
  ::setenv("DAV_PASSWORD", RadicaleServer::kPassword, 1);
  zarvo::SyncHomeAt homeA(home("A"));
  caldav::SyncServiceOptions plain;
  plain.conflictResolver = {zarvo::testing::zarvoProgram().string(), "--home", home("A").string(), "sync-conflict"};
  const auto before = statusStamps(home("A"));
  caldav::SyncService byDefault(homeA, plain);
  ASSERT_TRUE(byDefault.sync({}).status.ok());
  const auto synced = statusStamps(home("A"));
  EXPECT_NE(synced, before);

  caldav::SyncServiceOptions skipping = plain;
  skipping.skipUnchangedLists = true;
  caldav::SyncService asked(homeA, skipping);
  const caldav::SyncResult quiet = asked.sync({});
  ASSERT_TRUE(quiet.status.ok()) << quiet.status.message();
  ASSERT_EQ(quiet.lists.size(), 1u);
  EXPECT_EQ(quiet.lists[0].changes.total(), 0);
  EXPECT_FALSE(quiet.lists[0].changes.failed);
  EXPECT_EQ(statusStamps(home("A")), synced);
}

TEST_F(UnchangedListsTest, AChangeOnTheServerArrives) {
  const std::string id = json::parse(ok("B", {"ls", "--json"}))[0]["id"];
  ok("B", {"edit", id, "--title", "Water the plants"});
  sync("B");
  const std::string arrived = sync("A");
  EXPECT_NE(arrived.find("1 updated here"), std::string::npos) << arrived;
  EXPECT_EQ(titles("A"), std::vector<std::string>{"Water the plants"});
}

// Another program writing a task file in place: same name, same inode.
TEST_F(UnchangedListsTest, AFileEditedInPlaceHereIsSent) {
  const fs::path file = taskFile("A");
  std::string text = zarvo::testing::readFile(file);
  const size_t at = text.find("SUMMARY:Water plants");
  ASSERT_NE(at, std::string::npos) << text;
  text.replace(at, 20, "SUMMARY:Water the garden");
  zarvo::testing::writeFile(file, text);
  const std::string sent = sync("A");
  EXPECT_NE(sent.find("1 updated on the server"), std::string::npos) << sent;
  sync("B");
  EXPECT_EQ(titles("B"), std::vector<std::string>{"Water the garden"});
}

// A copy that keeps the old file's time (cp -p, rsync -t, a restore) over the same name, same length:
// only the inode tells.
TEST_F(UnchangedListsTest, AFileReplacedWithItsOldTimeAndLengthIsSent) {
  const fs::path file = taskFile("A");
  struct stat old {};
  ASSERT_EQ(::stat(file.c_str(), &old), 0);
  std::string text = zarvo::testing::readFile(file);
  const size_t at = text.find("SUMMARY:Water plants");
  ASSERT_NE(at, std::string::npos);
  text.replace(at, 20, "SUMMARY:Water plantz");
  const fs::path copy = file.string() + ".copy";
  zarvo::testing::writeFile(copy, text);
  const timespec times[2] = {old.st_atim, old.st_mtim};
  ASSERT_EQ(::utimensat(AT_FDCWD, copy.c_str(), times, 0), 0);
  fs::rename(copy, file);
  const std::string sent = sync("A");
  EXPECT_NE(sent.find("1 updated on the server"), std::string::npos) << sent;
  sync("B");
  EXPECT_EQ(titles("B"), std::vector<std::string>{"Water plantz"});
}

TEST_F(UnchangedListsTest, AListMadeOnAnotherMachineArrivesWithAPlainSync) {
  ok("B", {"list-add", "Errands"});
  ok("B", {"add", "Buy stamps #Errands"});
  sync("B");
  const std::string arrived = sync("A");
  EXPECT_NE(arrived.find("Errands: 1 added here"), std::string::npos) << arrived;
  EXPECT_EQ(titles("A"), (std::vector<std::string>{"Buy stamps", "Water plants"}));
}

// A list vdirsyncer held back (emptied on the server) is held back again on the next sync, not told
// up to date: a failed sync leaves nothing to skip by.
TEST_F(UnchangedListsTest, AListASyncFailedOnIsSyncedAgainNextTime) {
  ok("A", {"rm", "--yes", json::parse(ok("A", {"ls", "--json"}))[0]["id"]});
  sync("A");
  for (int attempt = 0; attempt < 2; ++attempt) {
    const Outcome heldBack = zarvo("B", {"sync"});
    EXPECT_EQ(heldBack.status, 1) << "attempt " << attempt << ": " << heldBack.out;
    EXPECT_NE(heldBack.err.find("has no task left on the server"), std::string::npos) << heldBack.err;
  }
  ok("B", {"sync", "--force-delete"});
  EXPECT_TRUE(titles("B").empty());
}

}  // namespace
