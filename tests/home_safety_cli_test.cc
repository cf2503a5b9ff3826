// End to end: what the built `zarvo` does with a home it may only read, and with tasks other
// clients wrote.
#include <gtest/gtest.h>
#include <unistd.h>

#include <nlohmann/json.hpp>
#include <sqlite3.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "zarvo/testing/cli.h"
#include "zarvo/testing/files.h"

namespace {

namespace fs = std::filesystem;
using json = nlohmann::json;
using zarvo::testing::CliHarness;
using zarvo::testing::Outcome;
using zarvo::testing::snapshot;

class HomeSafetyCli : public zarvo::testing::CliTest {
 protected:
  // Runs zarvo as a user who cannot change the home: this user once the home's write bits are off,
  // or, for root (whom permission bits do not stop), the unprivileged user nobody.
  Outcome asReader(const std::vector<std::string>& args) {
    const std::string program = CliHarness::commandLine(zarvo::testing::zarvoProgram(), withHome(args));
    if (::geteuid() != 0) return cli_.shell(program);
    return cli_.shell("setpriv --reuid=65534 --regid=65534 --clear-groups " + program);
  }

  // Takes every write permission away from the home, leaving it readable by everyone.
  void makeReadOnly() {
    fs::permissions(tmp_.path(), fs::perms(0755));
    for (const auto& entry : fs::recursive_directory_iterator(home_)) {
      fs::permissions(entry.path(), entry.is_directory() ? fs::perms(0555) : fs::perms(0444));
    }
    fs::permissions(home_, fs::perms(0555));
  }
};

TEST_F(HomeSafetyCli, AHomeThatCannotBeWrittenIsStillReadAndWritersSayWhy) {
  ASSERT_EQ(zarvo({"add", "Call mum"}).status, 0);
  ASSERT_EQ(zarvo({"list-add", "Errands"}).status, 0);
  ASSERT_EQ(zarvo({"add", "Buy milk #Errands"}).status, 0);
  makeReadOnly();
  const auto before = snapshot(home_);

  const Outcome ls = asReader({"ls", "--json"});
  ASSERT_EQ(ls.status, 0) << ls.err;
  std::set<std::string> titles;
  for (const auto& task : json::parse(ls.out)) titles.insert(task["title"].get<std::string>());
  EXPECT_EQ(titles, (std::set<std::string>{"Call mum", "Buy milk"}));
  for (const auto& reader : {std::vector<std::string>{"lists"}, {"ls", "Errands"}}) {
    const Outcome run = asReader(reader);
    EXPECT_EQ(run.status, 0) << reader[0] << ": " << run.err;
  }

  for (const auto& writer : {std::vector<std::string>{"add", "More"}, {"list-add", "New"}}) {
    const Outcome run = asReader(writer);
    EXPECT_EQ(run.status, 1) << writer[0];
    EXPECT_NE(run.err.find(home_.string()), std::string::npos) << run.err;
  }
  EXPECT_EQ(snapshot(home_), before);
  fs::permissions(home_, fs::perms(0755));
  for (const auto& entry : fs::recursive_directory_iterator(home_)) {
    fs::permissions(entry.path(), entry.is_directory() ? fs::perms(0755) : fs::perms(0644));
  }
}

// Another client's recurring task: done completes today's occurrence and the task comes back due at
// the next one, still a single task with its rule and alarm.
TEST_F(HomeSafetyCli, DoneOnARecurringTaskCompletesOneOccurrence) {
  ASSERT_EQ(zarvo({"list-default", "Reminders"}).status, 0);  // makes the home
  fs::path list;
  for (const auto& entry : fs::recursive_directory_iterator(home_ / "reminders")) {
    if (entry.path().filename() == "displayname") list = entry.path().parent_path();
  }
  ASSERT_FALSE(list.empty());
  zarvo::testing::writeFile(list / "plants.ics",
                            "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Other//EN\r\nBEGIN:VTODO\r\nUID:plants\r\n"
                            "SUMMARY:Water the plants\r\nDUE;TZID=Europe/Berlin:20240311T090000\r\n"
                            "RRULE:FREQ=WEEKLY;COUNT=10\r\nBEGIN:VALARM\r\nACTION:DISPLAY\r\nTRIGGER:-PT15M\r\n"
                            "END:VALARM\r\nEND:VTODO\r\nEND:VCALENDAR\r\n");
  const json before = json::parse(zarvo({"ls", "--json", "--tz", "Europe/Berlin"}).out);
  ASSERT_EQ(before.size(), 1u);
  const Outcome done = zarvo({"done", "--json", before[0]["id"].get<std::string>()});
  ASSERT_EQ(done.status, 0) << done.err;
  EXPECT_FALSE(json::parse(done.out)[0]["isCompleted"].get<bool>()) << done.out;

  const json after = json::parse(zarvo({"ls", "--json", "--tz", "Europe/Berlin"}).out);
  ASSERT_EQ(after.size(), 1u);
  EXPECT_EQ(after[0]["dueDate"], "2024-03-18T09:00:00.000+01:00");
  EXPECT_TRUE(json::parse(zarvo({"ls", "--json", "--completed"}).out).empty());
  const std::string file = zarvo::testing::readFile(list / "plants.ics");
  EXPECT_NE(file.find("RRULE:FREQ=WEEKLY;COUNT=9\r\n"), std::string::npos) << file;
  EXPECT_NE(file.find("TRIGGER:-PT15M"), std::string::npos) << file;
}

// The records of tasks another program deleted go once a command reads the lists and finds the
// files gone, whether it changes anything or only reads.
TEST_F(HomeSafetyCli, RecordsOfTasksDeletedElsewhereGoWhenAReadFindsThemGone) {
  ASSERT_EQ(zarvo({"add", "Keep"}).status, 0);
  ASSERT_EQ(zarvo({"add", "Doomed"}).status, 0);
  ASSERT_EQ(zarvo({"ls"}).status, 0);  // the file cache now knows both files
  auto taskRecords = [&] {
    sqlite3* db = nullptr;
    int count = -1;
    if (sqlite3_open_v2((home_ / "records.sqlite").c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
      sqlite3_exec(db, "SELECT count(*) FROM \"Task\"", [](void* out, int, char** values, char**) {
        *static_cast<int*>(out) = std::atoi(values[0]);
        return 0;
      }, &count, nullptr);
    }
    sqlite3_close(db);
    return count;
  };
  ASSERT_EQ(taskRecords(), 2);
  for (const auto& entry : fs::recursive_directory_iterator(home_ / "reminders")) {
    if (entry.path().extension() == ".ics" && zarvo::testing::readFile(entry.path()).find("Doomed") != std::string::npos) {
      fs::remove(entry.path());
      break;
    }
  }
  const Outcome ls = zarvo({"ls"});
  ASSERT_EQ(ls.status, 0) << ls.err;
  EXPECT_EQ(taskRecords(), 1);
}

}  // namespace
