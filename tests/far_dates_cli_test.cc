// End to end: far dates through the built `zarvo`. A date in years 1 to 9999 is kept exactly through
// quick entry, the files, the records and every output; one outside is refused before anything is
// written; a task file another program wrote with such a date still shows; and a records database
// from before dates were kept in microseconds is converted when it is opened.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sqlite3.h>

#include <filesystem>
#include <string>
#include <vector>

#include "zarvo/testing/cli.h"
#include "zarvo/testing/files.h"

namespace {

namespace fs = std::filesystem;
using json = nlohmann::json;
using zarvo::testing::Outcome;
using zarvo::testing::readFile;
using zarvo::testing::snapshot;
using zarvo::testing::writeFile;

class FarDatesCli : public zarvo::testing::CliTest {
 protected:
  Outcome run(std::vector<std::string> args, const std::string& environment = "LANG=en_US.UTF-8") {
    // The commands that read dates read them in UTC against a fixed moment.
    if (args[0] != "rm" && args[0] != "list-rm") args.insert(args.begin() + 1, {"--tz", "UTC", "--ref", "2024-03-11T10:00"});
    return zarvo(args, environment);
  }
  json ok(std::vector<std::string> args, const std::string& environment = "LANG=en_US.UTF-8") {
    const Outcome outcome = run(std::move(args), environment);
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    return outcome.status == 0 ? json::parse(outcome.out) : json();
  }
  // The folder of the default list.
  fs::path listFolder() const {
    for (const auto& entry : fs::recursive_directory_iterator(home_ / "reminders")) {
      if (entry.path().filename() == "displayname") return entry.path().parent_path();
    }
    return {};
  }

  // Integers of one column of the records database, by row.
  std::vector<std::optional<int64_t>> column(const std::string& query) {
    std::vector<std::optional<int64_t>> out;
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open((home_ / "records.sqlite").c_str(), &db), SQLITE_OK);
    sqlite3_stmt* stmt = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db, query.c_str(), -1, &stmt, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    while (stmt != nullptr && sqlite3_step(stmt) == SQLITE_ROW) {
      out.push_back(sqlite3_column_type(stmt, 0) == SQLITE_NULL ? std::nullopt
                                                                 : std::optional(sqlite3_column_int64(stmt, 0)));
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return out;
  }
  void sql(const std::string& statement) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((home_ / "records.sqlite").c_str(), &db), SQLITE_OK);
    char* error = nullptr;
    EXPECT_EQ(sqlite3_exec(db, statement.c_str(), nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
  }
};

// The phrases of far dates as people type them, each in its language: kept exactly, or refused with
// the one message and nothing written. A kept one can be listed, shown, edited and removed, and its
// list removed, as any task.
TEST_F(FarDatesCli, AddKeepsFarDatesExactlyOrRefusesThem) {
  ASSERT_EQ(zarvo({"list-add", "Far"}).status, 0);
  struct Row {
    const char* line;
    const char* language;
    const char* title;
    const char* due;      // nullptr: refused
    const char* refusal;  // the date the message names
  };
  const Row rows[] = {
      {"time capsule in 300 years #Far", "LANG=en_US.UTF-8", "time capsule", "2324-03-11", nullptr},
      {"lunch 9999-12-31 at 12:30 #Far", "LANG=en_US.UTF-8", "lunch", "9999-12-31T12:30:00.000+00:00", nullptr},
      {"end of days 9999-12-31 #Far", "LANG=en_US.UTF-8", "end of days", "9999-12-31", nullptr},
      {"古い約束 0024年3月5日 #Far", "LANG=ja_JP.UTF-8", "古い約束", "0024-03-05", nullptr},
      {"day zero 0000-01-01 #Far", "LANG=en_US.UTF-8", nullptr, nullptr, "0000-01-01"},
      {"Iden 15. März 44 v. Chr. #Far", "LANG=de_DE.UTF-8", nullptr, nullptr, "-0044-03-15"},
      {"time capsule in 8000 years #Far", "LANG=en_US.UTF-8", nullptr, nullptr, "10024-03-11"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    if (!row.due) {
      const auto before = snapshot(home_);
      const Outcome refused = run({"add", "--json", row.line}, row.language);
      EXPECT_EQ(refused.status, 2);
      // The refusal is in the person's language, like every other message.
      EXPECT_EQ(refused.err, std::string(row.language) == "LANG=de_DE.UTF-8"
                                 ? std::string("zarvo: das Datum ") + row.refusal +
                                       " liegt außerhalb der Daten, die zarvo halten kann (Jahre 1 bis 9999)\n"
                                 : std::string("zarvo: the date ") + row.refusal +
                                       " is outside the dates zarvo can keep (years 1 to 9999)\n");
      EXPECT_EQ(refused.out, "");
      EXPECT_EQ(snapshot(home_), before);
      continue;
    }
    const json added = ok({"add", "--json", row.line}, row.language);
    ASSERT_EQ(added.size(), 1u);
    EXPECT_EQ(added[0]["title"], row.title);
    EXPECT_EQ(added[0]["dueDate"], row.due);
    const std::string id = added[0]["id"];

    const Outcome ls = run({"ls", "--json", "Far"});
    EXPECT_EQ(ls.status, 0);
    EXPECT_EQ(ls.err, "");
    const json listed = json::parse(ls.out);
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0]["dueDate"], row.due);
    EXPECT_EQ(ok({"show", "--json", id})[0]["dueDate"], row.due);
    const Outcome shown = run({"show", id});
    EXPECT_NE(shown.out.find(std::string(row.due).substr(0, 10)), std::string::npos) << shown.out;
    EXPECT_EQ(ok({"edit", "--json", id, "--title", "renamed"})[0]["dueDate"], row.due);
    EXPECT_EQ(run({"rm", "--yes", id}).status, 0);
    EXPECT_TRUE(ok({"ls", "--json", "Far"}).empty());
  }
  ASSERT_EQ(ok({"add", "--json", "one more in 300 years #Far"}).size(), 1u);
  const Outcome removed = run({"list-rm", "--yes", "--force", "Far"});
  EXPECT_EQ(removed.status, 0) << removed.err;
}

// A reference date outside the kept years is refused by every command that reads one.
TEST_F(FarDatesCli, ReferenceDatesOutsideTheKeptYearsAreRefused) {
  for (const char* command : {"parse", "quick", "add"}) {
    SCOPED_TRACE(command);
    const Outcome refused = zarvo({command, "--tz", "UTC", "--ref", "0000-01-01", "tomorrow"});
    EXPECT_EQ(refused.status, 2);
    EXPECT_EQ(refused.err, "zarvo: the date 0000-01-01 is outside the dates zarvo can keep (years 1 to 9999)\n");
  }
  EXPECT_FALSE(fs::exists(home_));
  const json read = json::parse(zarvo({"quick", "--json", "--tz", "UTC", "--ref", "0001-01-01T10:00", "tomorrow"}).out);
  EXPECT_EQ(read["dueDate"], "0001-01-02");
}

// Another program's file with a due date in year 0000: the task is listed, shown (saying what was
// left out), edited and removed; the line stays as written until the due date is set.
TEST_F(FarDatesCli, ATaskFileWithAYearZeroDueStillShows) {
  ASSERT_EQ(zarvo({"list-default", "Reminders"}).status, 0);  // makes the home
  const fs::path file = listFolder() / "other.ics";
  writeFile(file,
            "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Other//EN\r\nBEGIN:VTODO\r\nUID:other\r\n"
            "SUMMARY:Written elsewhere\r\nDUE;VALUE=DATE:00000101\r\nEND:VTODO\r\nEND:VCALENDAR\r\n");
  const Outcome ls = run({"ls", "--json"});
  ASSERT_EQ(ls.status, 0);
  const json listed = json::parse(ls.out);
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0]["title"], "Written elsewhere");
  EXPECT_TRUE(listed[0]["dueDate"].is_null());
  EXPECT_EQ(listed[0]["datesLeftOut"], json::array({"DUE 0000-01-01"}));
  EXPECT_EQ(ls.err,
            "zarvo: 1 task holds a date outside the dates zarvo can keep (years 1 to 9999), shown without it; "
            "'zarvo show ID' names it\n");
  const std::string id = listed[0]["id"];
  const Outcome shown = run({"show", id});
  EXPECT_NE(shown.out.find("left out   DUE 0000-01-01"), std::string::npos) << shown.out;

  ok({"edit", "--json", id, "--title", "Renamed here"});
  EXPECT_NE(readFile(file).find("DUE;VALUE=DATE:00000101\r\n"), std::string::npos);
  EXPECT_EQ(ok({"edit", "--json", id, "--due", "2024-03-12 9:00"})[0]["dueDate"], "2024-03-12T09:00:00.000+00:00");
  EXPECT_EQ(readFile(file).find("00000101"), std::string::npos);
  EXPECT_EQ(run({"rm", "--yes", id}).status, 0);
  EXPECT_FALSE(fs::exists(file));
}

// Removing the due of a task whose due was left out removes that line, and nothing else.
TEST_F(FarDatesCli, NoDueRemovesADueLeftOut) {
  ASSERT_EQ(zarvo({"list-default", "Reminders"}).status, 0);  // makes the home
  const fs::path file = listFolder() / "other.ics";
  writeFile(file,
            "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Other//EN\r\nBEGIN:VTODO\r\nUID:other\r\n"
            "SUMMARY:Written elsewhere\r\nDUE;VALUE=DATE:00000101\r\n"
            "DESCRIPTION:kept\r\nEND:VTODO\r\nEND:VCALENDAR\r\n");
  const json listed = ok({"ls", "--json"});
  ASSERT_EQ(listed.size(), 1u);
  const json edited = ok({"edit", "--json", listed[0]["id"], "--no-due"});
  EXPECT_TRUE(edited[0]["dueDate"].is_null());
  EXPECT_FALSE(edited[0].contains("datesLeftOut")) << edited;
  const std::string text = readFile(file);
  EXPECT_EQ(text.find("DUE"), std::string::npos) << text;
  EXPECT_NE(text.find("DESCRIPTION:kept\r\n"), std::string::npos) << text;
  EXPECT_EQ(run({"ls"}).err, "");
}

// `quick` previews a line `add` would refuse: it shows what it read, says why add refuses it, and
// makes nothing; the refusal speaks the person's language.
TEST_F(FarDatesCli, QuickSaysWhenAddWouldRefuseTheDate) {
  const Outcome english = run({"quick", "day zero 0000-01-01"});
  EXPECT_EQ(english.status, 0);
  EXPECT_NE(english.out.find("day zero"), std::string::npos) << english.out;
  EXPECT_EQ(english.err,
            "zarvo: the date 0000-01-01 is outside the dates zarvo can keep (years 1 to 9999); add refuses this line\n");
  const Outcome japanese = run({"quick", "--json", "day zero 0000-01-01"}, "LANG=ja_JP.UTF-8");
  EXPECT_EQ(japanese.status, 0);
  EXPECT_EQ(json::parse(japanese.out)["title"], "day zero");
  EXPECT_NE(japanese.err.find("日付 0000-01-01"), std::string::npos) << japanese.err;
  EXPECT_EQ(run({"quick", "lunch 9999-12-31"}).err, "");
  EXPECT_FALSE(fs::exists(home_));
}

// A home whose records database holds nanoseconds (as every version before microseconds wrote it):
// the first command converts it, and every date means the same instant after.
TEST_F(FarDatesCli, RecordsOfAnOlderVersionAreConvertedOnOpening) {
  ASSERT_EQ(zarvo({"add", "first"}).status, 0);
  ASSERT_EQ(zarvo({"add", "second !!"}).status, 0);
  const auto micros = column("SELECT timestamp FROM Task ORDER BY z_pk");
  ASSERT_EQ(micros.size(), 2u);
  sql("UPDATE Task SET timestamp = timestamp * 1000 + 999; UPDATE List SET timestamp = timestamp * 1000; "
      "PRAGMA user_version = 1");
  const Outcome ls = zarvo({"ls", "--json"});
  ASSERT_EQ(ls.status, 0) << ls.err;
  EXPECT_EQ(json::parse(ls.out).size(), 2u);
  EXPECT_EQ(column("SELECT timestamp FROM Task ORDER BY z_pk"), micros);
  EXPECT_EQ(column("PRAGMA user_version"), std::vector<std::optional<int64_t>>{2});
  EXPECT_EQ(column("SELECT count(*) FROM Task WHERE flagged = 1"), std::vector<std::optional<int64_t>>{1});
}

}  // namespace
