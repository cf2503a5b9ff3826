// End to end: runs the built `zarvo parse` and checks its output, its JSON contract and its exit codes.
// The contract is checked on the library's readings (--literal); the settings' reading on its own.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "zarvo/testing/cli.h"
#include "zarvo/testing/temp_dir.h"

namespace {

using json = nlohmann::ordered_json;

using zarvo::testing::CliHarness;
using zarvo::testing::Outcome;
using zarvo::testing::TempDir;

class ParseCliTest : public ::testing::Test {
 protected:
  void SetUp() override { CliHarness::expectProgram(); }

  // Runs zarvo with `args`, feeding `input` on stdin, with TZ unset so only --tz decides the zone.
  Outcome zarvo(const std::vector<std::string>& args, const std::string& input = "") {
    return cli_.zarvo(args, input);
  }

  static const std::vector<std::string>& berlin() {
    static const std::vector<std::string> args = {"parse", "--json", "--literal", "--tz", "Europe/Berlin", "--ref",
                                                  "2024-03-11T10:00"};
    return args;
  }
  static std::vector<std::string> with(std::vector<std::string> base, std::initializer_list<std::string> more) {
    base.insert(base.end(), more);
    return base;
  }

  TempDir work_{"zarvo-cli"};
  CliHarness cli_{work_.path()};
};

TEST_F(ParseCliTest, JsonContract) {
  const Outcome run = zarvo(with(berlin(), {"call mom tomorrow at 5pm"}));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(run.err.empty());
  const json doc = json::parse(run.out);
  EXPECT_EQ(doc["ref"], "2024-03-11T10:00:00.000+01:00");
  ASSERT_EQ(doc["results"].size(), 1u);
  const json& r = doc["results"][0];
  // Keys in contract order.
  std::vector<std::string> keys;
  for (const auto& [k, v] : r.items()) keys.push_back(k);
  EXPECT_EQ(keys, (std::vector<std::string>{"index", "text", "tags", "start", "end"}));
  EXPECT_EQ(r["index"], 9);
  EXPECT_EQ(r["text"], "tomorrow at 5pm");
  EXPECT_EQ(r["tags"], json::parse(R"(["enCasualDateParser","enTimeExpressionParser","enMergeDateAndTimeRefiner"])"));
  EXPECT_EQ(r["start"]["known"].dump(),
            R"({"year":2024,"month":3,"day":12,"hour":17,"minute":0,"second":0,"meridiem":1})");
  EXPECT_EQ(r["start"]["implied"].dump(), R"({"millisecond":0})");
  EXPECT_EQ(r["start"]["date"], "2024-03-12T17:00:00.000+01:00");
  EXPECT_TRUE(r["end"].is_null());
}

TEST_F(ParseCliTest, RangeOffsetAndUtf16Index) {
  // U+1F600 counts two UTF-16 units, "é" one.
  const Outcome run = zarvo(with(berlin(), {"caf\xC3\xA9 \xF0\x9F\x98\x80 7 - 9pm EST"}));
  ASSERT_EQ(run.status, 0) << run.err;
  const json r = json::parse(run.out)["results"][0];
  EXPECT_EQ(r["index"], 8);
  EXPECT_EQ(r["text"], "7 - 9pm EST");
  EXPECT_EQ(r["start"]["known"]["timeZoneOffset"], -300);
  EXPECT_EQ(r["end"]["known"]["hour"], 21);
  EXPECT_EQ(r["end"]["known"]["timeZoneOffset"], -300);
  // 21:00 at UTC-5 is 03:00 the next day in Berlin.
  EXPECT_EQ(r["end"]["date"], "2024-03-12T03:00:00.000+01:00");
}

TEST_F(ParseCliTest, ReferenceIsWallClockInTheZoneAcrossDst) {
  const Outcome run = zarvo({"parse", "--json", "--literal", "--tz", "America/New_York", "--ref", "2024-03-09 12:00",
                             "tomorrow at 9am"});
  ASSERT_EQ(run.status, 0) << run.err;
  const json doc = json::parse(run.out);
  EXPECT_EQ(doc["ref"], "2024-03-09T12:00:00.000-05:00");
  EXPECT_EQ(doc["results"][0]["start"]["date"], "2024-03-10T09:00:00.000-04:00");
}

TEST_F(ParseCliTest, StrictOptionsAndLanguage) {
  EXPECT_EQ(json::parse(zarvo(with(berlin(), {"at 2400"})).out)["results"].size(), 1u);
  EXPECT_EQ(json::parse(zarvo(with(berlin(), {"--strict", "at 2400"})).out)["results"].size(), 0u);
  EXPECT_EQ(json::parse(zarvo(with(berlin(), {"--strict", "tomorrow"})).out)["results"].size(), 0u);

  const json evening = json::parse(zarvo(with(berlin(), {"--option", "evening=20", "this evening"})).out);
  EXPECT_EQ(evening["results"][0]["start"]["implied"]["hour"], 20);
  const Outcome lang = zarvo(with(berlin(), {"--lang", "english", "today"}));
  EXPECT_EQ(lang.status, 0) << lang.err;
}

TEST_F(ParseCliTest, JapaneseAndChineseLanguages) {
  // --lang ja: Japanese parsers run in the first pass and read the era year.
  const Outcome ja = zarvo(with(berlin(), {"--lang", "ja", "平成28年12月25日"}));
  ASSERT_EQ(ja.status, 0) << ja.err;
  const json jr = json::parse(ja.out)["results"];
  ASSERT_EQ(jr.size(), 1u);
  EXPECT_EQ(jr[0]["text"], "平成28年12月25日");
  EXPECT_EQ(jr[0]["tags"], json::parse(R"(["jpStandardParser"])"));
  EXPECT_EQ(jr[0]["start"]["date"], "2016-12-25T12:00:00.000+01:00");

  // --lang zh: the Japanese parsers wait for a second pass that never comes, so the Chinese date
  // reader alone reads the same text, from the digits before 年.
  const json zr = json::parse(zarvo(with(berlin(), {"--lang", "zh", "平成28年12月25日"})).out)["results"];
  ASSERT_EQ(zr.size(), 1u);
  EXPECT_EQ(zr[0]["index"], 2);
  EXPECT_EQ(zr[0]["tags"], json::parse(R"(["zhHantDateParser"])"));
  EXPECT_EQ(zr[0]["start"]["known"]["year"], 28);

  // Indexes are UTF-16 code units: the emoji counts two.
  const json tr = json::parse(zarvo(with(berlin(), {"--lang", "chinese", "\xF0\x9F\x93\x9D交報告 明天下午3點"})).out)["results"];
  ASSERT_EQ(tr.size(), 1u);
  EXPECT_EQ(tr[0]["index"], 6);
  EXPECT_EQ(tr[0]["text"], "明天下午3點");
  EXPECT_EQ(tr[0]["start"]["date"], "2024-03-12T15:00:00.000+01:00");
}

TEST_F(ParseCliTest, ReadableSummaryHasOneLinePerResult) {
  const Outcome run = zarvo({"parse", "--literal", "--tz", "UTC", "--ref", "2024-03-11", "lunch at noon, gym 6pm"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("\"at noon\""), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("2024-03-11T18:00:00.000+00:00"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("stated:"), std::string::npos);
  EXPECT_NE(run.out.find("implied:"), std::string::npos);
  // The reference line plus two results.
  EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 3);
}

TEST_F(ParseCliTest, BatchPrintsOneDocumentPerLineInOrder) {
  const Outcome run = zarvo({"parse", "--batch", "--literal", "--tz", "UTC", "--ref", "2024-03-11T08:00"},
                            "call mom tomorrow at 5pm\nbuy milk\r\n\nstandup 9:15\n");
  ASSERT_EQ(run.status, 0) << run.err;
  std::istringstream lines(run.out);
  std::vector<json> docs;
  for (std::string line; std::getline(lines, line);) docs.push_back(json::parse(line));
  ASSERT_EQ(docs.size(), 4u);
  EXPECT_EQ(docs[0]["results"][0]["start"]["date"], "2024-03-12T17:00:00.000+00:00");
  EXPECT_TRUE(docs[1]["results"].empty());
  EXPECT_TRUE(docs[2]["results"].empty());
  // Without --lang every language runs; the Chinese time pattern also takes the blank before a clock,
  // and its longer reading wins.
  EXPECT_EQ(docs[3]["results"][0]["text"], " 9:15");
  EXPECT_EQ(docs[3]["results"][0]["start"]["date"], "2024-03-11T09:15:00.000+00:00");
  for (const json& d : docs) EXPECT_EQ(d["ref"], "2024-03-11T08:00:00.000+00:00");
}

// Without --literal the line is read as quick entry reads it with the settings: the language that
// explains the line, the extra phrases, clock times ahead; --lang adds a language and wins ties.
TEST_F(ParseCliTest, ReadsWithTheSettingsByDefault) {
  const auto read = [&](std::vector<std::string> args) {
    const std::vector<std::string> base = {"parse", "--json", "--tz", "Europe/Berlin", "--ref", "2024-03-11T14:49"};
    args.insert(args.begin(), base.begin(), base.end());
    const Outcome run = zarvo(args);
    EXPECT_EQ(run.status, 0) << run.err;
    return json::parse(run.out)["results"];
  };
  const json german = read({"--lang", "de", "Zahnarzt morgen um 17:00"});
  ASSERT_EQ(german.size(), 1u);
  EXPECT_EQ(german[0]["text"], "morgen um 17:00");
  EXPECT_EQ(german[0]["start"]["date"], "2024-03-12T17:00:00.000+01:00");
  // The library prefers English when told to, and English finds the clock time.
  EXPECT_EQ(read({"--literal", "--lang", "en", "Zahnarzt morgen um 17:00"})[0]["text"], "17:00");

  EXPECT_EQ(read({"Standup at 9"})[0]["start"]["date"], "2024-03-12T09:00:00.000+01:00");
  EXPECT_EQ(read({"--literal", "Standup at 9"})[0]["start"]["date"], "2024-03-11T09:00:00.000+01:00");
  const json extra = read({"dentist the day after tomorrow"});
  ASSERT_EQ(extra.size(), 1u);
  EXPECT_EQ(extra[0]["tags"], json::parse(R"(["enRelativeDayParser"])"));
  // A line of CJK script is read in Japanese and Chinese whatever the locale.
  EXPECT_EQ(read({"明日の午後3時に会議"})[0]["start"]["date"], "2024-03-12T15:00:00.000+01:00");
  // The false-date guard of the settings: no date in a telephone number.
  EXPECT_TRUE(read({"Call Dave 555-1234"}).empty());
}

struct BadInput {
  std::vector<std::string> args;
  std::string input;
};

TEST_F(ParseCliTest, BadInputIsOneLineOnStderrAndExitTwo) {
  for (const BadInput& bad : std::vector<BadInput>{
           {{"parse", "--bogus", "x"}, ""},
           {{"parse", "--tz", "Mars/Olympus_Mons", "x"}, ""},
           {{"parse", "--ref", "2024-13-01", "x"}, ""},
           {{"parse", "--ref", "2024-02-30T10:00", "x"}, ""},
           {{"parse", "--ref", "2024-03-11T25:00", "x"}, ""},
           {{"parse", "--ref", "next tuesday", "x"}, ""},
           {{"parse", "--option", "Morning=7", "x"}, ""},
           {{"parse", "--option", "morning=seven", "x"}, ""},
           {{"parse", "--option", "morning", "x"}, ""},
           {{"parse", "--lang", "klingon", "x"}, ""},
           {{"parse", "\xff\xfe at 5pm"}, ""},
           {{"parse", "--batch"}, "fine at 5\n\xc3\x28\n"},
           {{"parse"}, ""},
           {{"frobnicate"}, ""},
       }) {
    std::string shown;
    for (const auto& a : bad.args) {
      shown += a;
      shown += ' ';
    }
    const Outcome run = zarvo(bad.args, bad.input);
    EXPECT_EQ(run.status, 2) << shown;
    EXPECT_EQ(run.err.rfind("zarvo: ", 0), 0u) << shown << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << shown << run.err;
  }
}

TEST_F(ParseCliTest, HelpExitsZero) {
  for (const auto& args : std::vector<std::vector<std::string>>{{"--help"}, {"parse", "--help"}}) {
    const Outcome run = zarvo(args);
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("Usage"), std::string::npos);
  }
}

}  // namespace
