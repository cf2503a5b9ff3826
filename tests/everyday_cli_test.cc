// End to end, the things a person meets every day: quick entry read with the settings (and as the
// library reads it with --literal) on real to-do lines, the settings file, confirmations before
// deleting, tag filters, titles that would break the table, and commands and options where a person
// types them.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "zarvo/platform/text.h"
#include "zarvo/testing/cli.h"
#include "zarvo/testing/files.h"
#include "zarvo/testing/paths.h"
#include "zarvo/testing/quick_entry_lines.h"

namespace {

namespace fs = std::filesystem;
using json = nlohmann::ordered_json;
using zarvo::testing::CliHarness;
using zarvo::testing::Outcome;
using zarvo::testing::shellQuoted;
using zarvo::testing::snapshot;
using zarvo::testing::writeFile;

class EverydayCliTest : public zarvo::testing::CliTest {
 protected:
  // Runs zarvo on a terminal (a pseudo-terminal made by script(1)) answering `answer` to its question.
  Outcome onTerminal(const std::vector<std::string>& args, const std::string& answer) {
    const std::string program = CliHarness::commandLine(zarvo::testing::zarvoProgram(), withHome(args));
    return cli_.shell("script -qec " + shellQuoted(program) + " /dev/null", answer + "\n");
  }
};

// The real to-do lines: `quick` reads them as a person means them with the settings' corrections (the
// readings beyond them turned off, as the table was written for the corrections alone; the
// quick-entry corpus covers those) and as the library does with --literal.
TEST_F(EverydayCliTest, QuickReadsTheToDoLinesWithTheSettingsAndLiterally) {
  for (const char* language : {"en", "de", "es", "fr", "ja", "zh"}) {
    writeFile(work_ / (std::string(language) + ".toml"),
              std::string("[quick-entry]\nlanguages = [\"") + language + "\"]\n" +
                  "best-reading = false\nmore-phrases = false\njoin-date-and-time = false\ntimes-ahead = false\n"
                  "all-day = false\nrepetitions = false\nwhole-titles = false\n");
  }
  for (const auto& row : zarvo::testing::kQuickEntryLines) {
    const std::string config = (work_ / (std::string(row.language) + ".toml")).string();
    for (const bool literal : {false, true}) {
      std::vector<std::string> args = {"--config", config, "quick", "--json", "--tz",
                                       zarvo::testing::kQuickEntryLinesZone, "--ref", zarvo::testing::kQuickEntryLinesRef};
      if (literal) args.push_back("--literal");
      args.push_back(row.line);
      const json read = json::parse(ok(args));
      const char* title = literal ? row.literalTitle : row.title;
      const char* due = literal ? row.literalDue : row.due;
      EXPECT_EQ(read["title"], title) << row.line << (literal ? " (literal)" : "");
      EXPECT_EQ(read["dueDate"], due ? json(due) : json(nullptr)) << row.line << (literal ? " (literal)" : "");
    }
  }
  EXPECT_FALSE(fs::exists(home_));
}

TEST_F(EverydayCliTest, SettingsDefaultsFollowTheLocaleAndAddReadsWithThem) {
  // No settings file: every correction on, English and the locale's language.
  const auto quick = [&](const std::string& line, const std::string& environment) {
    return json::parse(ok({"quick", "--json", "--tz", kZone, "--ref", kRef, line}, environment));
  };
  EXPECT_EQ(quick("Zahnarzt morgen um 17 Uhr", "LANG=de_DE.UTF-8")["dueDate"], "2024-03-12T17:00:00.000+01:00");
  EXPECT_TRUE(quick("Zahnarzt morgen um 17 Uhr", "LANG=en_US.UTF-8")["dueDate"].is_null());
  EXPECT_TRUE(quick("do laundry", "LANG=de_DE.UTF-8")["dueDate"].is_null());
  EXPECT_EQ(quick("Report by Friday", "")["dueDate"], "2024-03-15");
  EXPECT_EQ(quick("Report by Friday", "")["allDay"], true);

  // add reads as quick does, and as the library does with --literal.
  const json added = json::parse(ok({"add", "--json", "--tz", kZone, "--ref", kRef, "Report by Friday"}));
  EXPECT_EQ(added[0]["title"], "Report");
  EXPECT_EQ(added[0]["dueDate"], "2024-03-15");
  EXPECT_EQ(added[0]["allDay"], true);
  const json literal = json::parse(ok({"add", "--literal", "--json", "--tz", kZone, "--ref", kRef, "Report by Friday"}));
  EXPECT_EQ(literal[0]["title"], "Report by");
  EXPECT_EQ(literal[0]["dueDate"], "2024-03-08T12:00:00.000+01:00");
}

TEST_F(EverydayCliTest, SettingsFileOverrides) {
  ok({"list-add", "Work"});
  ok({"list-add", "Home"});
  writeSettings("[quick-entry]\nforward-dates = false\n[tasks]\ndefault-list = \"work\"\n");
  const fs::path named = work_ / "named.toml";
  writeFile(named, "[tasks]\ndefault-list = \"Home\"\n[display]\ndate-format = \"%d.%m.%Y\"\n");
  const fs::path option = work_ / "option.toml";
  writeFile(option, "[tasks]\ndefault-list = \"Reminders\"\n");

  // The default file: forward dates off, new tasks to Work.
  json task = json::parse(ok({"add", "--json", "--tz", kZone, "--ref", kRef, "Report by Friday"}))[0];
  EXPECT_EQ(task["dueDate"], "2024-03-08");
  EXPECT_EQ(task["list"], "Work");
  // $ZARVO_CONFIG replaces it (its own defaults for the rest), --config replaces both.
  const std::string env = "ZARVO_CONFIG=" + shellQuoted(named.string());
  task = json::parse(ok({"add", "--json", "--tz", kZone, "--ref", kRef, "Report by Friday"}, env))[0];
  EXPECT_EQ(task["dueDate"], "2024-03-15");
  EXPECT_EQ(task["list"], "Home");
  task = json::parse(ok({"add", "--json", "--config", option.string(), "Plain"}, env))[0];
  EXPECT_EQ(task["list"], "Reminders");
  // A list named in the line or by --list wins over the setting.
  EXPECT_EQ(json::parse(ok({"add", "--json", "Plain #home"}))[0]["list"], "Home");
  EXPECT_EQ(json::parse(ok({"add", "--json", "--list", "home", "Plain"}))[0]["list"], "Home");

  // The date format writes dates beyond next week.
  ok({"add", "--tz", kZone, "--ref", kRef, "Far away 2024-05-02 9:00 #Work"});
  const std::string table = ok({"ls", "--tz", kZone, "--ref", kRef, "Work"}, env);
  EXPECT_NE(table.find("02.05.2024 09:00"), std::string::npos) << table;

  // A default list that does not exist is named with its file.
  writeSettings("[tasks]\ndefault-list = \"Gone\"\n");
  const Outcome gone = zarvo({"add", "Plain"});
  EXPECT_EQ(gone.status, 2);
  EXPECT_NE(gone.err.find("'Gone'"), std::string::npos) << gone.err;
}

TEST_F(EverydayCliTest, BrokenSettingsAreOneErrorNamingFileAndLine) {
  writeSettings("[quick-entry]\nforward-dates = true\nlanguages = [\"en\", \"xx\"]\n");
  const fs::path file = work_ / "config" / "zarvo" / "config.toml";
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"add", "Something"}, {"quick", "Something"}, {"ls"}, {"show", "abc"}}) {
    const Outcome run = zarvo(args);
    EXPECT_EQ(run.status, 2) << join(args);
    EXPECT_EQ(run.err.rfind("zarvo: " + file.string() + ":3: ", 0), 0u) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_EQ(run.out, "");
  }
  EXPECT_FALSE(fs::exists(home_));
  // A file named by --config must exist, and only a regular file is read: a device that never ends,
  // a FIFO nobody writes and a folder are refused at once, by name.
  const fs::path fifo = work_ / "fifo.toml";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  fs::create_directories(work_ / "folder.toml");
  for (const fs::path& named : {work_ / "nowhere.toml", fs::path("/dev/zero"), fifo, work_ / "folder.toml"}) {
    const Outcome refused = zarvo({"--config", named.string(), "quick", "x"});
    EXPECT_EQ(refused.status, 2) << named;
    EXPECT_NE(refused.err.find(named.string() + "'"), std::string::npos) << refused.err;
    EXPECT_EQ(std::count(refused.err.begin(), refused.err.end(), '\n'), 1) << refused.err;
  }
}

TEST_F(EverydayCliTest, DeletingAsksOnATerminalAndNeedsYesOtherwise) {
  ok({"list-add", "Work"});
  const std::string a = add("Keep me #work");
  const std::string b = add("Keep me too");
  ok({"done", b});
  const auto before = snapshot(home_ / "reminders");

  // Without a terminal and without --yes nothing goes; --dry-run only tells.
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"rm", a}, {"purge"}, {"list-rm", "--force", "Work"}}) {
    const Outcome refused = zarvo(args);
    EXPECT_EQ(refused.status, 2) << join(args);
    EXPECT_NE(refused.err.find("--yes"), std::string::npos) << refused.err;
    std::vector<std::string> dry = args;
    dry.push_back("--dry-run");
    const Outcome told = zarvo(dry);
    EXPECT_EQ(told.status, 0) << join(dry) << told.err;
    EXPECT_NE(told.out.find("Would "), std::string::npos) << told.out;
  }
  EXPECT_EQ(json::parse(ok({"purge", "--dry-run", "--json"}))["wouldPurge"], 1);
  EXPECT_EQ(snapshot(home_ / "reminders"), before);

  // On a terminal: "n" keeps, "y" deletes.
  Outcome asked = onTerminal({"rm", a}, "n");
  EXPECT_NE(asked.out.find("Delete 'Keep me'? [y/N]"), std::string::npos) << asked.out;
  asked = onTerminal({"rm", b, a}, "n");
  for (const std::string& part : {"Delete 2 tasks: 'Keep me too' (" + b.substr(0, 2), "), 'Keep me' (" + a.substr(0, 2)}) {
    EXPECT_NE(asked.out.find(part), std::string::npos) << asked.out;
  }
  EXPECT_EQ(snapshot(home_ / "reminders"), before);
  asked = onTerminal({"purge"}, "y");
  EXPECT_NE(asked.out.find("Purged 1 completed task."), std::string::npos) << asked.out;
  EXPECT_TRUE(ls({"--completed"}).empty());
  ok({"list-rm", "--force", "--yes", "Work"});
  EXPECT_EQ(titleSet(ls()), std::set<std::string>{});
}

TEST_F(EverydayCliTest, TagsFilterAndRemovingAMissingTagIsRefused) {
  const std::string a = add("Call plumber");
  const std::string b = add("Call electrician");
  ok({"add", "--tag", "house", "--tag", "Urgent", "Fix roof"});
  ok({"tag", a, "House"});
  ok({"tag", b, "urgent"});
  EXPECT_EQ(titleSet(ls({"--tag", "HOUSE"})), (std::set<std::string>{"Call plumber", "Fix roof"}));
  EXPECT_EQ(titleSet(ls({"--tag", "house", "--tag", "urgent"})), (std::set<std::string>{"Fix roof"}));
  EXPECT_TRUE(ls({"--tag", "garden"}).empty());

  const auto before = snapshot(home_ / "reminders");
  const Outcome missing = zarvo({"tag", "--remove", a, "house", "garden"});
  EXPECT_EQ(missing.status, 2);
  EXPECT_NE(missing.err.find("has no tag 'garden'"), std::string::npos) << missing.err;
  EXPECT_EQ(snapshot(home_ / "reminders"), before);
  EXPECT_EQ(titleSet(ls({"--tag", "house"})), (std::set<std::string>{"Call plumber", "Fix roof"}));
}

TEST_F(EverydayCliTest, TheTableShowsTitlesSafelyAndFitsTheTerminal) {
  ok({"add", "--tz", kZone, "--ref", kRef, "--notes", "x", "Finished yesterday at 9am"});
  ok({"done", ls()[0]["id"]});
  add("Line one\nline two\x1b[31m");
  add("A very long title that will not fit into a narrow terminal at all 明日の会議の準備");

  // Completed tasks are never overdue.
  const std::string completed = ok({"ls", "--completed", "--tz", kZone, "--ref", kRef});
  EXPECT_EQ(completed.find("overdue"), std::string::npos) << completed;
  EXPECT_NE(completed.find("yesterday 09:00"), std::string::npos) << completed;

  const std::string wide = ok({"ls", "--tz", kZone, "--ref", kRef});
  EXPECT_NE(wide.find("Line one\\nline two\\x1B[31m"), std::string::npos) << wide;
  EXPECT_EQ(std::count(wide.begin(), wide.end(), '\n'), 3) << wide;
  EXPECT_NE(wide.find("明日の会議の準備"), std::string::npos) << wide;  // no terminal, no limit

  const std::string narrow = ok({"ls", "--tz", kZone, "--ref", kRef}, "COLUMNS=40");
  std::istringstream lines(narrow);
  for (std::string line; std::getline(lines, line);) {
    EXPECT_LE(zarvo::platform::displayWidth(line), 40u) << line;
  }
  EXPECT_NE(narrow.find("A very lo"), std::string::npos) << narrow;  // its due date (明日) takes a column
  EXPECT_NE(narrow.find("…"), std::string::npos) << narrow;

  // Columns line up by display width, wide list titles and due dates of every length included.
  ok({"list-add", "買い物リスト"});
  ok({"add", "--list", "買い物リスト", "--tz", kZone, "--ref", kRef, "Milk tomorrow 8am"});
  ok({"list-add", "Café"});
  ok({"add", "--list", "Café", "--tz", kZone, "--ref", kRef, "Bread"});
  const std::string aligned = ok({"ls", "--tz", kZone, "--ref", kRef});
  std::istringstream rows(aligned);
  std::vector<size_t> titleColumns;
  for (std::string line; std::getline(rows, line);) {
    for (const char* title : {"TITLE", "Line one", "A very long", "Milk", "Bread"}) {
      if (const size_t at = line.find(title); at != std::string::npos) {
        titleColumns.push_back(zarvo::platform::displayWidth(std::string_view(line).substr(0, at)));
      }
    }
  }
  ASSERT_EQ(titleColumns.size(), 5u) << aligned;
  EXPECT_EQ(std::count(titleColumns.begin(), titleColumns.end(), titleColumns[0]), 5) << aligned;

  // A title's marks and tags come after it, whole, in the plain table.
  ok({"add", "--tag", "home", "--tag", "Q3", "--tz", kZone, "--ref", kRef, "Water plants !!"});
  const std::string marked = ok({"ls", "--tz", kZone, "--ref", kRef});
  const size_t water = marked.find("Water plants");
  ASSERT_NE(water, std::string::npos) << marked;
  const std::string row = marked.substr(water, marked.find('\n', water) - water);
  for (const char* mark : {" ⚑", " +home", " +Q3"}) EXPECT_NE(row.find(mark), std::string::npos) << mark << " in " << row;
  // Every mark, in its place, whether the table is written for a pipe (row by row) or fitted to a
  // terminal wide enough for every title: the two are made apart.
  ok({"add", "--priority", "2", "--remind", "tomorrow 9am", "--tag", "x\x1b[1m", "--tz", kZone, "--ref", kRef,
      "Everything\x1b[2J marked tomorrow 5pm !!"});
  // An alarm at the due itself is no alarm of its own: no mark.
  ok({"add", "--remind", "tomorrow 5pm", "--tz", kZone, "--ref", kRef, "Rings on time tomorrow 5pm"});
  const std::string piped = ok({"ls", "--tz", kZone, "--ref", kRef});
  EXPECT_NE(piped.find("  Rings on time\n"), std::string::npos) << piped;
  EXPECT_EQ(ok({"ls", "--tz", kZone, "--ref", kRef}, "COLUMNS=400"), piped);
  EXPECT_NE(piped.find("!! Everything\\x1B[2J marked ⏰ ⚑ +x\\x1B[1m\n"), std::string::npos) << piped;
  const std::string done = ok({"ls", "--completed", "--tz", kZone, "--ref", kRef});
  EXPECT_EQ(ok({"ls", "--completed", "--tz", kZone, "--ref", kRef}, "COLUMNS=400"), done);
  EXPECT_NE(done.find("  ✓ Finished\n"), std::string::npos) << done;

  // A list title, a bidirectional override and an error quoting what was typed are escaped as well,
  // and the list table still lines up around the escaped title.
  ok({"list-add", "Evil\x1b[2J\u202EList"});
  const std::string lists = ok({"lists"});
  EXPECT_NE(lists.find("Evil\\x1B[2J\\u202EList"), std::string::npos) << lists;
  EXPECT_EQ(lists.find('\x1b'), std::string::npos) << lists;
  const Outcome unknown = zarvo({"show", "\x1b[31mzz"});
  EXPECT_EQ(unknown.err, "zarvo: no task with id '\\x1B[31mzz'\n");
}

// Every command that quotes a title, a tag or a list title back escapes it: a title that carries a
// terminal command (OSC, CSI, BEL) or a bidirectional override reaches no terminal raw, in any command.
TEST_F(EverydayCliTest, NoCommandWritesATitlesControlCharactersRaw) {
  const std::string evil = "Evil \x1b]0;pwned\x07 \x1b[31mred\u202Etxt";
  ok({"list-add", evil});
  const std::string id = add(evil + " tomorrow 9am");
  const std::string other = add("Plain");
  const std::vector<std::vector<std::string>> commands = {
      {"quick", evil + " tomorrow"},
      {"show", id},
      {"ls"},
      {"ls", "--all"},
      {"lists"},
      {"tag", id, evil},
      {"mv", id, evil},
      {"snooze", id, "1d"},
      {"remind", id, "10m"},
      {"edit", id, "--title", evil + " again"},
      {"done", id},
      {"done", id},
      {"undo", id},
      {"undo", id},
      {"undo"},
      {"list-edit", evil, "--color", "red"},
      {"rm", id, other},
      {"rm", "--yes", id},
      {"list-add", evil + " 2"},
      {"list-default", evil},
      {"list-default", "Reminders"},
      {"list-rm", "--dry-run", evil},
      {"list-rm", evil},
  };
  for (const auto& args : commands) {
    const Outcome o = zarvo(args);
    for (const std::string& text : {o.out, o.err}) {
      EXPECT_EQ(text.find('\x1b'), std::string::npos) << args[0] << ": " << text;
      EXPECT_EQ(text.find('\x07'), std::string::npos) << args[0] << ": " << text;
      EXPECT_EQ(text.find("\u202E"), std::string::npos) << args[0] << ": " << text;
    }
  }
}

TEST_F(EverydayCliTest, CommandsAndGlobalOptionsWhereAPersonTypesThem) {
  ok({"list-add", "Work"});
  const Outcome unknown = zarvo({"frobnicate", "now"});
  EXPECT_EQ(unknown.status, 2);
  EXPECT_EQ(unknown.err, "zarvo: unknown command 'frobnicate' (see zarvo --help)\n");
  // A near miss is named, for commands and for options.
  const struct {
    std::vector<std::string> args;
    std::string meant;
  } typos[] = {{{"lsit"}, "'ls'"}, {{"ls", "Wrok"}, "'Work'"}, {{"add", "--list", "Wrk", "X"}, "'Work'"}, {{"lists-add", "X"}, "'list-add'"}, {{"ls", "--flaged"}, "'--flagged'"},
               {{"ls", "--sort=title", "--hoem", "x"}, "'--home'"}, {{"edit", "x", "--tilte", "y"}, "'--title'"}};
  for (const auto& typo : typos) {
    const Outcome run = zarvo(typo.args);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("; did you mean " + typo.meant + "?"), std::string::npos) << join(typo.args) << run.err;
  }
  // The commands' options before the command, as people type them.
  const std::string id = add("Before the command tomorrow");
  EXPECT_EQ(json::parse(ok({"--json", "done", id}))[0]["isCompleted"], true);
  const json listed = json::parse(ok({"--tz", kZone, "--json", "--ref=" + std::string(kRef), "ls", "--completed"}));
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0]["dueDate"], "2024-03-12");

  // Global options after the command.
  const Outcome after = cli_.shell(CliHarness::commandLine(
      zarvo::testing::zarvoProgram(), {"add", "Late options", "--home", home_.string(), "--color", "never"}));
  EXPECT_EQ(after.status, 0) << after.err;
  EXPECT_EQ(titleSet(ls()), (std::set<std::string>{"Late options"}));

  // Where there is no home yet (a new machine, a mistyped folder) a command that shows shows nothing,
  // says why on stderr, succeeds, and leaves nothing behind.
  const fs::path typo = work_ / "hoem";
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"ls", "--home", typo.string()}, {"--home", typo.string(), "lists"}, {"--home", typo.string()}}) {
    const Outcome read = cli_.shell(CliHarness::commandLine(zarvo::testing::zarvoProgram(), args));
    EXPECT_EQ(read.status, 0) << join(args) << read.err;
    EXPECT_EQ(read.err, "zarvo: no home at '" + typo.string() + "' yet (a command that adds something makes it)\n");
    EXPECT_NE(read.out.find("No "), std::string::npos) << read.out;
  }
  EXPECT_EQ(cli_.shell(CliHarness::commandLine(zarvo::testing::zarvoProgram(), {"--json", "--home", typo.string()})).out,
            "{\n  \"overdue\": [],\n  \"today\": [],\n  \"flagged\": []\n}\n");
  EXPECT_FALSE(fs::exists(typo));
}

// Lists get a colour when made, and a new title or colour later, which undo takes back.
TEST_F(EverydayCliTest, ListsAreColouredAndRenamed) {
  EXPECT_EQ(json::parse(ok({"list-add", "--json", "--color", "Blue", "Work"}))["color"], "#007AFF");
  ok({"list-add", "Home"});
  const json renamed = json::parse(ok({"list-edit", "work", "--title", "Office", "--color", "#a1b2c3", "--json"}));
  EXPECT_EQ(renamed["title"], "Office");
  EXPECT_EQ(renamed["color"], "#A1B2C3");
  // --color never after the command is still the program's.
  EXPECT_EQ(ok({"list-edit", "Office", "--title", "Office 2", "--color", "never"}), "Changed list Office 2\n");
  for (const auto& [args, message] : std::vector<std::pair<std::vector<std::string>, std::string>>{
           {{"list-edit", "Office 2", "--title", "home"}, "a list named 'home' exists already"},
           {{"list-edit", "Office 2", "--color", "pink"}, "unknown colour 'pink' (use #RRGGBB or red, orange"},
           {{"list-add", "--color", "#12345", "Garden"}, "unknown colour '#12345'"},
           {{"list-edit", "Office 2"}, "nothing to change"},
           {{"list-edit", "Ofice 3", "--title", "X"}, "no list named 'Ofice 3'; did you mean 'Office 2'?"}}) {
    const Outcome refused = zarvo(args);
    EXPECT_EQ(refused.status, 2) << join(args);
    EXPECT_NE(refused.err.find(message), std::string::npos) << refused.err;
  }
  ok({"undo"});
  ok({"undo"});
  const json lists = json::parse(ok({"lists", "--json"}));
  ASSERT_EQ(lists.size(), 3u);
  EXPECT_EQ(lists[1]["title"], "Work");
  EXPECT_EQ(lists[1]["color"], "#007AFF");
}

// New lists get folders named after them ("local/work", never a UUID), unique in their account; the
// local account has a plain name, which `lists` shows once lists live in more than one account, also
// for a home made when it was called "On My Computer".
TEST_F(EverydayCliTest, ListFoldersAreNamedAfterTheListsAndTheLocalAccountPlainly) {
  ok({"list-add", "Work"});
  ok({"list-add", "Einkäufe"});
  fs::create_directories(home_ / "reminders" / "local" / "home");  // another program's, without a title file
  ok({"list-add", "Home!"});
  ok({"list-edit", "Work", "--title", "Office"});
  std::set<std::string> ids;
  for (const auto& l : json::parse(ok({"lists", "--json"}))) ids.insert(l["id"]);
  EXPECT_EQ(ids, (std::set<std::string>{"local/reminders", "local/work", "local/einkaufe", "local/home", "local/home-2"}));
  EXPECT_EQ(zarvo::testing::readFile(home_ / "reminders" / "local" / "home-2" / "displayname"), "Home!\n");
  EXPECT_EQ(ok({"lists"}).find("["), std::string::npos) << "one account: no account named";

  const fs::path source = home_ / "reminders" / "local" / ".source";
  EXPECT_EQ(zarvo::testing::readFile(source), "identifier=local\ntitle=This computer\ntype=0\n");
  writeFile(source, "identifier=local\ntitle=On My Computer\ntype=0\n");
  writeFile(home_ / "reminders" / "phone" / ".source", "identifier=phone\ntitle=Phone\ntype=0\n");
  writeFile(home_ / "reminders" / "phone" / "calls" / "displayname", "Calls\n");
  const std::string lists = ok({"lists"});
  const size_t office = lists.find("● Office ");
  ASSERT_NE(office, std::string::npos) << lists;
  EXPECT_EQ(lists.substr(office, lists.find('\n', office) - office).substr(lists.find(" open", office) - office),
            " open  [This computer]")
      << lists;
  EXPECT_NE(lists.find("0 open  [Phone]\n"), std::string::npos) << lists;
  EXPECT_NE(lists.find("0 open  [This computer]  (default)\n"), std::string::npos) << lists;
}

// What people read follows their language (LANGUAGE, LC_ALL, LC_MESSAGES, LANG, as gettext reads
// them, also where that locale is not installed): headings, due dates, messages and errors. JSON is
// the same in every language, and a language without a catalogue, or LANGUAGE under the C locale,
// gives English.
TEST_F(EverydayCliTest, MessagesAndDueDatesFollowTheLanguageAndJsonDoesNot) {
  const std::string id = add("Call mom tomorrow at 5pm");
  add("Pay rent on March 15");
  add("Water plants on March 19");
  const std::vector<std::string> listing = {"ls", "--tz", kZone, "--ref", kRef};
  const std::string json = ok({"ls", "--json", "--tz", kZone, "--ref", kRef});
  struct Case {
    const char* environment;
    std::vector<std::string> listed;  // in `ls`
    std::string overdue, noTasks, priority, noList;
  } cases[] = {
      {"LANG=de_DE.UTF-8", {"FÄLLIG", "morgen 17:00", "  Fr  ", "nächsten Di  "}, "2 Tage überfällig", "Keine Aufgaben.",
       "Priorität  keine", "keine Liste namens 'Nope'"},
      {"LC_ALL=es_ES.UTF-8", {"VENCE", "mañana 17:00", "  vie.  ", "próximo mar.  "}, "2 días de retraso", "No hay tareas.",
       "prioridad  ninguna", "no hay ninguna lista llamada 'Nope'"},
      {"LC_MESSAGES=fr_FR.UTF-8", {"ÉCHÉANCE", "demain 17:00", "  ven.  ", "mar. prochain  "}, "2 jours de retard",
       "Aucune tâche.", "priorité   aucune", "aucune liste nommée 'Nope'"},
      {"LANGUAGE=ja", {"期限", "明日 17:00", "  金曜  ", "来週の火曜  "}, "2日超過", "タスクはありません。",
       "優先度     なし", "'Nope' という名前のリストはありません"},
      {"LANG=zh_CN.UTF-8", {"截止", "明天 17:00", "  周五  ", "下周二  "}, "逾期 2 天", "没有任务。", "优先级     无",
       "没有名为 'Nope' 的列表"},
      {"LANG=pt_BR.UTF-8", {"DUE", "tomorrow 17:00", "  Fri  ", "next Tue  "}, "2 days overdue", "No tasks.",
       "priority   none", "no list named 'Nope'"},
      {"LC_ALL=C LANGUAGE=de", {"DUE", "tomorrow 17:00", "  Fri  ", "next Tue  "}, "2 days overdue", "No tasks.",
       "priority   none", "no list named 'Nope'"},
  };
  for (const auto& c : cases) {
    const std::string listed = ok(listing, c.environment);
    for (const auto& part : c.listed) EXPECT_NE(listed.find(part), std::string::npos) << c.environment << ": " << part << "\n" << listed;
    const std::string later = ok({"ls", "--tz", kZone, "--ref", "2024-03-14T10:00"}, c.environment);
    EXPECT_NE(later.find(c.overdue), std::string::npos) << c.environment << "\n" << later;
    EXPECT_EQ(ok({"ls", "--flagged"}, c.environment), c.noTasks + "\n") << c.environment;
    const std::string shown = ok({"show", id}, c.environment);
    EXPECT_NE(shown.find("  " + c.priority + "\n"), std::string::npos) << c.environment << "\n" << shown;
    const Outcome refused = zarvo({"ls", "Nope"}, c.environment);
    EXPECT_EQ(refused.status, 2) << c.environment;
    EXPECT_EQ(refused.err, "zarvo: " + c.noList + "\n") << c.environment;
    EXPECT_EQ(ok({"ls", "--json", "--tz", kZone, "--ref", kRef}, c.environment), json) << c.environment;
  }
}

// TAB after a command offers the home's list titles or its open tasks' ids, in bash (with the
// bash-completion package, as a person's shell has it) and fish, asked of zarvo with the --home on the
// line; a title with a space or a glob character stays one word.
TEST_F(EverydayCliTest, CompletionOffersListTitlesAndOpenTaskIds) {
  ok({"list-add", "Home Office"});
  const std::string open = add("Fix the *glob* {Home Office}");
  ok({"done", add("Already done")});
  EXPECT_EQ(ok({"__complete", "ids"}), open + "\tFix the *glob*\n");
  const std::string source = zarvo::testing::sourceDir().string();
  // Each entry the words of a line typed up to the TAB (as the shell splits them, quotes kept; the
  // last one being typed); prints what the completion offers, "|" after each, a line per entry.
  const std::vector<std::string> head = {shellQuoted(zarvo::testing::zarvoProgram().string()), "--home", shellQuoted(home_.string())};
  const auto bash = [&](const std::vector<std::vector<std::string>>& typed) {
    std::string script = "source /usr/share/bash-completion/bash_completion; source " + shellQuoted(source + "/completions/zarvo.bash") +
                         "\nc() { COMP_WORDS=(\"$@\"); COMP_CWORD=$(($# - 1)); COMP_LINE=\"$*\"; COMP_POINT=${#COMP_LINE};"
                         " COMPREPLY=(); _zarvo; printf '%s|' \"${COMPREPLY[@]}\"; echo; }\n";
    for (const auto& words : typed) {
      script += "c";
      for (const auto& w : head) script.append(" ").append(shellQuoted(w));
      for (const auto& w : words) script.append(" ").append(shellQuoted(w));
      script += "\n";
    }
    return cli_.shell("bash", script);
  };
  const Outcome offered = bash({{"list-rm", ""}, {"list-rm", "Home\\ O"}, {"done", ""}, {"mv", open, ""}, {"add", "--list", "Ho"},
                                {"edit", "--title", "x", ""}});
  std::string expected = "Reminders|Home\\ Office|\nHome\\ Office|\n";
  expected.append(open).append("|\nReminders|Home\\ Office|\nHome\\ Office|\n").append(open).append("|\n");
  EXPECT_EQ(offered.out, expected)
      << offered.err;
  // fish asks the zarvo on PATH, as it would in a person's shell.
  const Outcome fish = cli_.shell("PATH=" + shellQuoted(zarvo::testing::zarvoProgram().parent_path().string()) + ":\"$PATH\" fish -c " + shellQuoted("source " + shellQuoted(source + "/completions/zarvo.fish") +
                                                           "; complete -C" + shellQuoted("zarvo --home " + home_.string() + " done ")),
                                  "");
  EXPECT_EQ(fish.out, open + "\tFix the *glob*\n") << fish.err;
}

// zarvo alone: what needs doing now, overdue first, each task once, in the sections the settings name.
TEST_F(EverydayCliTest, ZarvoAloneShowsOverdueTodayAndFlagged) {
  auto report = [&](const std::vector<std::string>& more = {}, const std::string& environment = "") {
    std::vector<std::string> args{"--tz", kZone, "--ref", kRef};
    args.insert(args.end(), more.begin(), more.end());
    return ok(args, environment);
  };
  add("Dentist next week");
  EXPECT_EQ(report(), "Nothing overdue, due today or flagged.\n1 open task in all: zarvo ls\n");
  add("Pay rent yesterday");
  add("Call mum today 18:00 !!");
  add("Water plants today");
  add("Plan trip !!");
  add("Buy milk");
  EXPECT_EQ(report(), ok({"report", "--tz", kZone, "--ref", kRef}));
  const std::string shown = report();
  std::vector<std::string> lines;
  std::istringstream in(shown);
  for (std::string line; std::getline(in, line);) {
    const size_t gap = line.rfind("  ");  // a row's title follows its last gap; a heading has none
    lines.push_back(gap == std::string::npos ? line : line.substr(gap + 2));
  }
  EXPECT_EQ(lines, (std::vector<std::string>{"Overdue (1)", "Pay rent", "", "Today (2)", "Water plants", "Call mum \u2691", "",
                                             "Flagged (1)", "Plan trip \u2691"}))
      << shown;

  const json sections = json::parse(ok({"--json", "--tz", kZone, "--ref", kRef}));
  EXPECT_EQ(sections.size(), 3u);
  EXPECT_EQ(titleSet(sections["today"]), (std::set<std::string>{"Call mum", "Water plants"}));

  // The report setting chooses the sections and their order; a task shows in the first that takes it.
  const fs::path config = work_ / "report.toml";
  writeFile(config, "[display]\nreport = [\"flagged\", \"no-due\", \"today\"]\n");
  const json chosen = json::parse(ok({"--json", "--config", config.string(), "--tz", kZone, "--ref", kRef}));
  EXPECT_EQ(titleSet(chosen["flagged"]), (std::set<std::string>{"Call mum", "Plan trip"}));
  EXPECT_EQ(titleSet(chosen["no-due"]), (std::set<std::string>{"Buy milk"}));
  EXPECT_EQ(titleSet(chosen["today"]), (std::set<std::string>{"Pay rent", "Water plants"}));
  EXPECT_FALSE(chosen.contains("overdue"));

  // --json-lines: a task per line for ls, one line for the report's object.
  std::istringstream rows(ok({"--json-lines", "ls"}));
  std::set<std::string> perLine;
  for (std::string line; std::getline(rows, line);) perLine.insert(json::parse(line)["title"]);
  EXPECT_EQ(perLine.size(), 6u);
  const std::string oneLine = ok({"--tz", kZone, "--ref", kRef, "--json-lines"});
  EXPECT_EQ(std::count(oneLine.begin(), oneLine.end(), '\n'), 1) << oneLine;
  EXPECT_EQ(json::parse(oneLine), sections);
}

// Each kind of change made through zarvo is undone, newest first, and redone; files come back byte
// for byte, flags and tags and the list order with them.
TEST_F(EverydayCliTest, UndoRevertsEveryKindOfChangeNewestFirst) {
  ok({"list-add", "Work"});
  const auto empty = snapshot(home_ / "reminders");
  const std::string id = json::parse(ok({"add", "--json", "--flag", "--tag", "t1", "Buy milk #work"}))[0]["id"];
  const auto added = snapshot(home_ / "reminders");
  const json shown = json::parse(ok({"show", "--json", id}));

  const auto undo = [&](const std::string& what) {
    const std::string out = ok({"undo"});
    EXPECT_EQ(out.rfind("Undid: " + what, 0), 0u) << out;
  };
  const std::vector<std::pair<std::vector<std::string>, std::string>> changes = {
      {{"tag", id, "t2"}, "tag"},
      {{"tag", "--remove", id, "t1"}, "tag --remove"},
      {{"edit", id, "--title", "Buy oat milk", "--priority", "2", "--unflag", "--due", "tomorrow"}, "edit"},
      {{"done", id}, "done"},
      {{"mv", id, "Reminders"}, "mv"},
      {{"rm", "--yes", id}, "rm"},
      {{"list-mv", "Work", "--above", "Reminders"}, "list-mv"},
      {{"list-default", "Work"}, "list-default"},
      {{"list-rm", "--force", "--yes", "Work"}, "list-rm"},
  };
  for (const auto& [args, what] : changes) {
    ok(args);
    const auto changed = snapshot(home_ / "reminders");
    const std::string changedLists = ok({"lists", "--json"});
    undo(what);
    EXPECT_EQ(snapshot(home_ / "reminders"), added) << what;
    EXPECT_EQ(json::parse(ok({"show", "--json", id})), shown) << what;
    EXPECT_EQ(json::parse(ok({"lists", "--json"}))[0]["title"], "Reminders") << what;
    // redo makes the change again, and it is undone again like any other.
    const std::string redone = ok({"redo"});
    EXPECT_EQ(redone.rfind("Redid: " + what, 0), 0u) << redone;
    EXPECT_EQ(snapshot(home_ / "reminders"), changed) << what;
    EXPECT_EQ(ok({"lists", "--json"}), changedLists) << what;
    undo(what);
  }

  // `undo ID` still reopens a task, and is itself a change that `undo` reverts.
  ok({"done", id});
  ok({"undo", id});
  EXPECT_FALSE(json::parse(ok({"show", "--json", id}))[0]["isCompleted"].get<bool>());
  undo("reopen " + id);
  EXPECT_TRUE(json::parse(ok({"show", "--json", id}))[0]["isCompleted"].get<bool>());

  // Several in a row come back in reverse order, purge included.
  ok({"purge", "--yes"});
  ok({"list-add", "Later"});
  undo("list-add 'Later'");
  undo("purge (1 task)");
  undo("done");
  EXPECT_EQ(snapshot(home_ / "reminders"), added);
  undo("add 'Buy milk'");
  EXPECT_EQ(snapshot(home_ / "reminders"), empty);
  undo("list-add 'Work'");
  EXPECT_EQ(json::parse(ok({"lists", "--json"})).size(), 1u);
  const Outcome nothing = zarvo({"undo"});
  EXPECT_EQ(nothing.status, 2);
  EXPECT_NE(nothing.err.find("nothing to undo"), std::string::npos) << nothing.err;

  // A new change after an undo ends what can be redone, and redo says so.
  ok({"add", "Something else"});
  const Outcome stale = zarvo({"redo"});
  EXPECT_EQ(stale.status, 2);
  EXPECT_NE(stale.err.find("nothing to redo: only a change undone since the last new change can be redone"),
            std::string::npos)
      << stale.err;
}

// An undo that would overwrite or remove what another program has written since the change is
// refused, names the file, and leaves the home as it was (journal included), however often it is tried.
TEST_F(EverydayCliTest, UndoOfAChangeAnotherProgramOverwroteIsRefused) {
  const auto taskFile = [&] {
    for (const auto& entry : fs::recursive_directory_iterator(home_ / "reminders")) {
      if (entry.path().extension() == ".ics") return entry.path();
    }
    return fs::path();
  };
  struct Case {
    const char* name;
    std::vector<std::string> change;  // {} : the add itself is the change to undo
    std::string undone;
    void (*interfere)(const fs::path& file, const std::string& before);
  };
  const std::vector<Case> cases = {
      {"the task rewritten after an edit", {"edit", "ID", "--title", "Call the plumber"}, "edit ID",
       [](const fs::path& file, const std::string&) {
         std::string text = zarvo::testing::readFile(file);
         text.insert(text.find("END:VTODO"), "X-OTHER:theirs\r\n");
         writeFile(file, text);
       }},
      {"the added task deleted", {}, "add 'Call plumber'",
       [](const fs::path& file, const std::string&) { fs::remove(file); }},
      {"a file written where the deleted task was", {"rm", "--yes", "ID"}, "rm ID",
       [](const fs::path& file, const std::string& before) { writeFile(file, before + "\r\n"); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(home_);
    const std::string id = add("Call plumber");
    const fs::path file = taskFile();
    ASSERT_FALSE(file.empty());
    const std::string before = zarvo::testing::readFile(file);
    std::vector<std::string> change = c.change;
    for (auto& arg : change) {
      if (arg == "ID") arg = id;
    }
    if (!change.empty()) ok(change);
    c.interfere(file, before);
    const auto interfered = snapshot(home_);

    std::string undone = c.undone;
    if (const auto at = undone.find("ID"); at != std::string::npos) undone.replace(at, 2, id);
    for (int attempt = 0; attempt < 2; ++attempt) {
      const Outcome refused = zarvo({"undo"});
      EXPECT_EQ(refused.status, 1);
      EXPECT_NE(refused.err.find("cannot undo '" + undone + "'"), std::string::npos) << refused.err;
      EXPECT_NE(refused.err.find(file.string() + " was changed by another program since"), std::string::npos)
          << refused.err;
      EXPECT_EQ(snapshot(home_), interfered);
    }
    // --skip drops it, says so, and goes on to the changes before it; the other program's file stays.
    const std::string theirs = zarvo::testing::readFile(file);
    const std::string skipped = ok({"undo", "--skip"});
    EXPECT_EQ(skipped.rfind("Skipped: " + undone + ": cannot undo", 0), 0u) << skipped;
    EXPECT_EQ(zarvo::testing::readFile(file), theirs);
  }

  // Where there is no home there is nothing to undo, and none is made.
  const fs::path typo = work_ / "hoem";
  const Outcome none = cli_.shell(CliHarness::commandLine(zarvo::testing::zarvoProgram(), {"undo", "--home", typo.string()}));
  EXPECT_EQ(none.status, 1);
  EXPECT_FALSE(fs::exists(typo));
}

// Listings read from the top: the highest priority first, tasks without a due date after the dated
// ones; the overdue, this-week and undated filters; snooze moves a due date later and undo takes it
// back. The reference is Monday 2024-03-11 10:00.
TEST_F(EverydayCliTest, ListingsReadAsPeopleReadThemAndSnoozeMovesTheDueDate) {
  add("Alpha tomorrow at 5pm");
  ok({"add", "--priority", "3", "Bravo"});
  const std::string c = add("Charlie yesterday at 9am");
  add("Delta sunday at 8am");
  add("Echo next tuesday at 9am");
  ok({"edit", ls({"--search", "Alpha"})[0]["id"], "--priority", "2"});
  ok({"edit", c, "--priority", "1"});
  auto inOrder = [](const json& tasks) {
    std::string out;
    for (const auto& t : tasks) out += std::string(t["title"]).substr(0, 1);
    return out;
  };
  const struct {
    std::vector<std::string> args;
    std::string titles;
  } listings[] = {
      {{}, "CADEB"},
      {{"--desc"}, "EDACB"},
      {{"--sort", "priority", "--priority", ">=", "1"}, "BAC"},
      {{"--sort", "priority", "--priority", ">=", "1", "--desc"}, "CAB"},
      {{"--overdue"}, "C"},
      {{"--week"}, "AD"},  // Monday to Sunday: not Sunday the 10th, not Tuesday the 19th
      {{"--no-due"}, "B"},
  };
  for (const auto& listing : listings) {
    EXPECT_EQ(inOrder(ls(listing.args)), listing.titles) << join(listing.args);
  }
  writeSettings("[display]\nweek-starts-on = \"sunday\"\n");
  EXPECT_EQ(inOrder(ls({"--week"})), "CA");  // Sunday the 10th to Saturday the 16th
  writeSettings("");

  // Each step counts from the later of the due day and today, keeping the time of day.
  const struct {
    std::string when, due;
  } snoozes[] = {
      {"1d", "2024-03-12T09:00"},                // overdue since yesterday: tomorrow, not today
      {"fri", "2024-03-15T09:00"},
      {"2h", "2024-03-15T11:00"},
      {"tomorrow", "2024-03-16T11:00"},          // the day after the due day
      {"2W", "2024-03-30T11:00"},
      {"march 20 at 3pm", "2024-03-20T15:00"},   // a phrase: its own time
  };
  auto dueOf = [&] { return std::string(ls({"--search", "Charlie"})[0]["dueDate"]).substr(0, 16); };
  for (const auto& snooze : snoozes) {
    ok({"snooze", "--tz", kZone, "--ref", kRef, c.substr(0, 4), snooze.when});
    EXPECT_EQ(dueOf(), snooze.due) << snooze.when;
  }
  const Outcome bad = zarvo({"snooze", "--tz", kZone, "--ref", kRef, c, "someday"});
  EXPECT_EQ(bad.status, 2);
  EXPECT_NE(bad.err.find("no date found in 'someday'"), std::string::npos) << bad.err;
  EXPECT_EQ(ok({"undo"}), "Undid: snooze " + c + "\n");
  EXPECT_EQ(dueOf(), "2024-03-30T11:00");
}

}  // namespace
