// End to end: a task file with a malformed line of a property zarvo writes stays readable through
// every command that rewrites it. Whatever the shape of the line, a command either does what it says
// and leaves a file every later command reads, or refuses, names the file and leaves its bytes alone.
// Never: "Done", then the task gone and "1 task file skipped".
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "zarvo/testing/cli.h"
#include "zarvo/testing/files.h"
#include "zarvo/testing/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using json = nlohmann::json;
using zarvo::testing::CliHarness;
using zarvo::testing::Outcome;
using zarvo::testing::readFile;
using zarvo::testing::TempDir;
using zarvo::testing::writeFile;

// The good line of each property the writer owns, as another client writes it.
const std::map<std::string, std::string> kGoodLines = {
    {"SUMMARY", "SUMMARY:Water the plants"},
    {"DTSTART", "DTSTART:20270104T080000Z"},
    {"DUE", "DUE:20270104T090000Z"},
    {"RRULE", "RRULE:FREQ=WEEKLY;COUNT=10"},
    {"STATUS", "STATUS:NEEDS-ACTION"},
    {"COMPLETED", "COMPLETED:20261201T000000Z"},
    {"CATEGORIES", "CATEGORIES:home,garden"},
    {"X-ZARVO-FLAGGED", "X-ZARVO-FLAGGED:TRUE"},
    {"X-ZARVO-ORDER", "X-ZARVO-ORDER:3"},
};

// Ways a line goes wrong, each made from the good line "NAME:VALUE".
struct Shape {
  const char* name;
  std::string (*make)(const std::string& name, const std::string& value);
};
const Shape kShapes[] = {
    // The shape the fuzzer found: a parameter separator where the colon should be, the name's case off.
    {"semicolon", [](const std::string& n, const std::string& v) {
       return n.substr(0, n.size() - 1) + static_cast<char>(n.back() - 'A' + 'a') + ";" + v;
     }},
    {"empty", [](const std::string& n, const std::string&) { return n + ":"; }},
    {"parameter-without-equals", [](const std::string& n, const std::string& v) { return n + ";X-BROKEN:" + v; }},
    {"blank-before-colon", [](const std::string& n, const std::string& v) { return n + " :" + v; }},
    {"folded-inside-name", [](const std::string& n, const std::string& v) {
       return n.substr(0, 2) + "\r\n " + n.substr(2) + ";" + v;
     }},
};

// The commands that rewrite a task file.
enum class Command { donePlain, doneRecurring, edit, mv, tag };
const Command kCommands[] = {Command::donePlain, Command::doneRecurring, Command::edit, Command::mv, Command::tag};
const char* nameOf(Command c) {
  switch (c) {
    case Command::donePlain: return "done-plain";
    case Command::doneRecurring: return "done-recurring";
    case Command::edit: return "edit";
    case Command::mv: return "mv";
    case Command::tag: return "tag";
  }
  return "?";
}

class MalformedLinesCli : public ::testing::Test {
 protected:
  void SetUp() override {
    CliHarness::expectProgram();
    ASSERT_EQ(zarvo({"list-add", "Errands"}).status, 0);
    for (const auto& entry : fs::recursive_directory_iterator(home_)) {
      if (entry.path().filename() == "displayname" && readFile(entry.path()).starts_with("Reminders")) {
        reminders_ = entry.path().parent_path();
      }
    }
    ASSERT_FALSE(reminders_.empty());
  }

  Outcome zarvo(const std::vector<std::string>& args) {
    std::vector<std::string> all = {"--home", home_.string(), "--color", "never"};
    all.insert(all.end(), args.begin(), args.end());
    return cli_.zarvo(all);
  }

  // Every task, open and done, by UID; `skipped` gets how many task files the reader passed over.
  std::map<std::string, json> tasks(const std::string& when, size_t* skipped = nullptr) {
    std::map<std::string, json> out;
    const Outcome run = zarvo({"ls", "--json"});
    const Outcome done = zarvo({"ls", "--completed", "--json"});
    for (const Outcome* o : {&run, &done}) {
      EXPECT_EQ(o->status, 0) << when << ": " << o->err;
      if (o->status != 0) continue;
      for (const auto& t : json::parse(o->out)) out[t["uid"].get<std::string>()] = t;
    }
    if (skipped != nullptr) {
      const size_t at = run.err.find(" task file");
      *skipped = at == std::string::npos ? 0 : std::stoul(run.err.substr(run.err.rfind(' ', at - 1) + 1));
    }
    return out;
  }

  TempDir tmp_{"zarvo-malformed"};
  fs::path home_ = tmp_.path() / "home";
  fs::path reminders_;
  CliHarness cli_{tmp_.path()};
};

// A task file of `uid` with every good line, the line of `property` replaced by `malformed` (added
// when the task has no such line), and an RRULE only when `recurring`.
std::string taskFile(const std::string& uid, bool recurring, const std::string& property, const std::string& malformed) {
  std::string text = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Other//EN\r\nBEGIN:VTODO\r\nUID:" + uid + "\r\n";
  for (const auto& [name, line] : kGoodLines) {
    if (name == "RRULE" && !recurring && property != "RRULE") continue;
    if (name == "COMPLETED" && property != "COMPLETED") continue;  // an open task has none unless it is the case
    text += (name == property ? malformed : line) + "\r\n";
  }
  return text + "DTSTAMP:20261201T000000Z\r\nEND:VTODO\r\nEND:VCALENDAR\r\n";
}

TEST_F(MalformedLinesCli, EveryCommandLeavesATaskWithAMalformedOwnedLineReadableOrRefusesAndKeepsTheFile) {
  struct Case {
    std::string label, uid;
    Command command;
    fs::path file;
    std::string bytes;
  };
  std::vector<Case> cases;
  for (const auto& [property, good] : kGoodLines) {
    const std::string value = good.substr(good.find(':') + 1);
    for (const Shape& shape : kShapes) {
      for (Command command : kCommands) {
        Case c;
        c.label = property + " " + shape.name + " " + nameOf(command);
        c.uid = "case-" + std::to_string(cases.size());
        c.command = command;
        c.file = reminders_ / (c.uid + ".ics");
        c.bytes = taskFile(c.uid, command == Command::doneRecurring, property, shape.make(property, value));
        writeFile(c.file, c.bytes);
        cases.push_back(std::move(c));
      }
    }
  }
  size_t unreadable = 0;  // files the reader refuses from the start
  const auto before = tasks("before", &unreadable);

  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    const auto listed = before.find(c.uid);
    Outcome run;
    switch (c.command) {
      case Command::donePlain:
      case Command::doneRecurring: run = zarvo({"done", c.uid}); break;
      case Command::edit: run = zarvo({"edit", c.uid, "--title", "Renamed", "--flag", "--due", "2027-02-01 10:00"}); break;
      case Command::mv: run = zarvo({"mv", c.uid, "Errands"}); break;
      case Command::tag: run = zarvo({"tag", c.uid, "urgent"}); break;
    }
    if (listed == before.end()) {
      // The reader refused the file: no command may touch it.
      EXPECT_NE(run.status, 0);
      EXPECT_EQ(readFile(c.file), c.bytes);
      continue;
    }
    if (run.status != 0) {
      // A refusal names the file and keeps it as it was.
      EXPECT_NE(run.err.find(c.file.filename().string()), std::string::npos) << run.err;
      EXPECT_EQ(readFile(c.file), c.bytes);
      continue;
    }
    size_t skipped = 0;
    const auto after = tasks(c.label, &skipped);
    EXPECT_EQ(skipped, unreadable) << "a command left a file the reader skips";
    const auto it = after.find(c.uid);
    ASSERT_NE(it, after.end()) << "the task is gone after a command that succeeded: " << run.out << run.err;
    const json& task = it->second;
    const json& was = listed->second;
    switch (c.command) {
      case Command::donePlain:
      case Command::doneRecurring:
        // Completed, or (a series: the RRULE rows make every task one) open at a later occurrence: due
        // later, or still without a due date.
        if (!task["isCompleted"].get<bool>()) {
          ASSERT_EQ(task["dueDate"].is_string(), was["dueDate"].is_string()) << task.dump();
          if (was["dueDate"].is_string()) {
            EXPECT_GT(task["dueDate"].get<std::string>(), was["dueDate"].get<std::string>());
          }
        }
        break;
      case Command::edit:
        EXPECT_EQ(task["title"], "Renamed");
        EXPECT_EQ(task["flagged"], true);
        EXPECT_EQ(task["dueDate"].get<std::string>().substr(0, 16), "2027-02-01T10:00");
        break;
      case Command::mv: EXPECT_EQ(task["list"], "Errands"); break;
      case Command::tag: {
        const auto& tags = task["tags"];
        EXPECT_NE(std::find(tags.begin(), tags.end(), "urgent"), tags.end()) << tags.dump();
        break;
      }
    }
  }
}

// The fuzzer's finding, exactly: completing the weekly series moves its start and due date a week on,
// on lines every reader takes.
TEST_F(MalformedLinesCli, CompletingASeriesWhoseStartLineHasASemicolonForAColonMovesItOnAWeek) {
  const fs::path file = reminders_ / "edge.ics";
  writeFile(file,
            "BEGIN:VCALENDAR\r\nVERSINO:2.0\r\nPRODID:-//x/@/EN\r\nBEGIN:VTODO\r\nUID:edge-rrule\r\n"
            "SUMMARY:Edge: recurring weekly task\r\nDTSTARt;20270104T080000Z\r\nDUE:20270104T090000Z\r\n"
            "RRULE:FREQ=WEEKLY;COUNT=10\r\nDTSTAMP:20261201T000000Z\r\nEND:VTODO\r\nEND:VCALENDAR\r\n");
  size_t skipped = 0;
  ASSERT_EQ(tasks("before", &skipped).count("edge-rrule"), 1u);
  ASSERT_EQ(skipped, 0u);
  const Outcome done = zarvo({"done", "edge-rrule"});
  ASSERT_EQ(done.status, 0) << done.err;
  const auto after = tasks("after", &skipped);
  ASSERT_EQ(after.count("edge-rrule"), 1u);
  EXPECT_EQ(skipped, 0u);
  EXPECT_FALSE(after.at("edge-rrule")["isCompleted"].get<bool>());
  const std::string text = readFile(file);
  EXPECT_NE(text.find("\r\nDTSTART:20270111T080000Z\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\r\nDUE:20270111T090000Z\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\r\nRRULE:FREQ=WEEKLY;COUNT=9\r\n"), std::string::npos) << text;
}

}  // namespace
