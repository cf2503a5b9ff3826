// End to end: the task file the fuzzer found (a start line with a semicolon for its colon) stays
// readable through `zarvo done`. Never: "Done", then the task gone and "1 task file skipped". The
// writer's table of malformed lines of every owned property, through every operation that rewrites a
// file, is zarvo/reminders/malformed_lines_test.cc.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "zarvo/testing/cli.h"
#include "zarvo/testing/files.h"

namespace {

namespace fs = std::filesystem;
using json = nlohmann::json;
using zarvo::testing::CliHarness;
using zarvo::testing::Outcome;
using zarvo::testing::readFile;
using zarvo::testing::writeFile;

class MalformedLinesCli : public zarvo::testing::CliTest {
 protected:
  void SetUp() override {
    CliHarness::expectProgram();
    ASSERT_EQ(zarvo({"list-add", "Errands"}).status, 0);  // makes the home
    for (const auto& entry : fs::recursive_directory_iterator(home_)) {
      if (entry.path().filename() == "displayname" && readFile(entry.path()).starts_with("Reminders")) {
        reminders_ = entry.path().parent_path();
      }
    }
    ASSERT_FALSE(reminders_.empty());
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

  fs::path reminders_;
};

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
