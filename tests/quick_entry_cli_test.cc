// End to end: `zarvo add` with the settings' defaults stores what quick entry reads, as a person
// means it: all-day dues, repetitions that `done` moves on, list references that name no list, and
// lines of each language from the quick-entry corpus.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "zarvo/testing/cli.h"

namespace {

using json = nlohmann::ordered_json;
using zarvo::testing::CliHarness;
using zarvo::testing::Outcome;

class QuickEntryCliTest : public zarvo::testing::CliTest {
 protected:
  std::string ok(const std::vector<std::string>& args, const std::string& environment = "") {
    const Outcome run = zarvo(args, environment);
    EXPECT_EQ(run.status, 0) << run.err;
    return run.out;
  }
  // Sunday 2026-12-06 14:50 in Berlin, as the corpus is read.
  json add(const std::string& line, const std::string& environment = "", std::vector<std::string> more = {}) {
    std::vector<std::string> args = {"add", "--json", "--tz", "Europe/Berlin", "--ref", "2026-12-06T14:50"};
    args.insert(args.end(), more.begin(), more.end());
    args.push_back(line);
    return json::parse(ok(args, environment))[0];
  }
};

TEST_F(QuickEntryCliTest, AllDayDuesAndRepetitionsAreStoredAndShown) {
  const json trash = add("Müll rausbringen jeden Montag", "LANG=de_DE.UTF-8");
  EXPECT_EQ(trash["title"], "Müll rausbringen");
  EXPECT_EQ(trash["dueDate"], "2026-12-07");
  EXPECT_EQ(trash["allDay"], true);
  EXPECT_EQ(trash["recurrence"], "FREQ=WEEKLY;BYDAY=MO");
  const std::string shown = ok({"show", "--tz", "Europe/Berlin", trash["id"]});
  EXPECT_NE(shown.find("(2026-12-07, all day)"), std::string::npos) << shown;
  EXPECT_NE(shown.find("repeats    FREQ=WEEKLY;BYDAY=MO"), std::string::npos) << shown;

  // done moves a repeating task to its next occurrence and keeps it open.
  ok({"done", trash["id"]});
  const json moved = json::parse(ok({"show", "--json", "--tz", "Europe/Berlin", trash["id"]}))[0];
  EXPECT_EQ(moved["dueDate"], "2026-12-14");
  EXPECT_EQ(moved["isCompleted"], false);
  EXPECT_EQ(moved["recurrence"], "FREQ=WEEKLY;BYDAY=MO");

  const json standup = add("Team standup every weekday at 9:30");
  EXPECT_EQ(standup["dueDate"], "2026-12-07T09:30:00.000+01:00");
  EXPECT_EQ(standup["allDay"], false);
  const std::string table = ok({"ls", "--tz", "Europe/Berlin", "--ref", "2026-12-06T14:50"});
  EXPECT_NE(table.find("Team standup ↻"), std::string::npos) << table;
}

TEST_F(QuickEntryCliTest, AReferenceToNoListStaysInTheTitleOrMakesTheList) {
  ok({"list-add", "Work"});
  EXPECT_EQ(add("Review PR #123 tomorrow #Work")["list"], "Work");
  const Outcome unknown = zarvo({"add", "--json", "Buy paper #xmas"});
  EXPECT_EQ(unknown.status, 0);
  EXPECT_EQ(json::parse(unknown.out)[0]["title"], "Buy paper #xmas");
  EXPECT_NE(unknown.err.find("no list named '#xmas'"), std::string::npos) << unknown.err;
  const json made = add("Buy tape #xmas", "", {"--create-list"});
  EXPECT_EQ(made["list"], "xmas");
  EXPECT_EQ(made["title"], "Buy tape");
}

// A line of each language of the corpus, through add and what is stored.
TEST_F(QuickEntryCliTest, LinesOfEveryLanguageAreStoredAsMeant) {
  struct Row {
    const char* lang;
    const char* line;
    const char* title;
    const char* due;
  };
  for (const Row& row : {
           Row{"en_US", "Call mom tomorrow at 5pm", "Call mom", "2026-12-07T17:00:00.000+01:00"},
           Row{"de_DE", "Zahnarzt morgen um 17:00", "Zahnarzt", "2026-12-07T17:00:00.000+01:00"},
           Row{"es_ES", "Ir al médico pasado mañana", "Ir al médico", "2026-12-08"},
           Row{"fr_FR", "Payer la facture 3/1", "Payer la facture", "2027-01-03"},
           Row{"ja_JP", "明日の午後3時に会議", "会議", "2026-12-07T15:00:00.000+01:00"},
           Row{"zh_CN", "周五晚上7点半 聚餐", "聚餐", "2026-12-11T19:30:00.000+01:00"},
       }) {
    const json task = add(row.line, std::string("LANG=") + row.lang + ".UTF-8");
    EXPECT_EQ(task["title"], row.title) << row.line;
    EXPECT_EQ(task["dueDate"], row.due) << row.line;
  }
  // --literal reads as the library does: English first, the date at noon.
  const json literal = add("Zahnarzt morgen um 17:00", "LANG=de_DE.UTF-8", {"--literal"});
  EXPECT_EQ(literal["dueDate"], "2026-12-06T17:00:00.000+01:00");
}

}  // namespace
