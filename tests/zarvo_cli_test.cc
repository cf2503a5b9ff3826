// End to end: the built `zarvo` on a temporary home — adding, listing with every filter and sort,
// completing, editing, moving, deleting, purging; bad input of every command; todoman reading and
// writing the same home; two processes adding at once.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "zarvo/model/item.h"
#include "zarvo/model/task.h"
#include "zarvo/platform/text.h"
#include "zarvo/testing/cli.h"
#include "zarvo/testing/files.h"
#include "zarvo/testing/todoman.h"

namespace {

namespace fs = std::filesystem;

using zarvo::testing::CliHarness;
using zarvo::testing::Outcome;
using zarvo::testing::readFile;
using zarvo::testing::snapshot;
using zarvo::testing::shellQuoted;

class ZarvoCliTest : public zarvo::testing::CliTest {
 protected:
  // Runs a shell command line with zarvo's output captured; TZ unset, so only --tz decides.
  Outcome shell(const std::string& commandLine, const std::string& input = "") { return cli_.shell(commandLine, input); }

  std::string commandLine(const std::vector<std::string>& args) const {
    return CliHarness::commandLine(binary_, withHome(args));
  }

  json show(const std::string& id) { return json::parse(ok({"show", "--json", "--tz", kZone, "--ref", kRef, id})); }

  // A todoman configuration reading every list of the home.
  fs::path todomanConfig() {
    const fs::path config = work_ / "todoman.py";
    zarvo::testing::writeTodomanConfig(config, home_ / "reminders", work_ / "todoman-cache.sqlite3");
    return config;
  }
  Outcome todoman(const std::string& arguments) {
    return shell("TZ=Europe/Berlin todoman --color never -c " + shellQuoted(todomanConfig().string()) + " " + arguments);
  }

  fs::path binary_ = zarvo::testing::zarvoProgram();
};

TEST_F(ZarvoCliTest, FirstUseCreatesTheHomeWithAReminderList) {
  // Commands that only read make no home.
  for (const std::vector<std::string>& readOnly :
       std::vector<std::vector<std::string>>{{"lists"}, {"ls"}, {"show", "abc"}, {"quick", "x"}}) {
    const Outcome run = zarvo(readOnly);
    // Listings show nothing and succeed; show has no task to show.
    if (readOnly[0] != "quick") {
      EXPECT_EQ(run.status, readOnly[0] == "show" ? 1 : 0) << join(readOnly);
      EXPECT_NE(run.err.find("no home at '" + home_.string() + "'"), std::string::npos) << run.err;
    }
    EXPECT_FALSE(fs::exists(home_)) << join(readOnly);
  }

  ok({"list-add", "Work"});
  const json lists = json::parse(ok({"lists", "--json"}));
  ASSERT_EQ(lists.size(), 2u);
  EXPECT_EQ(lists[0]["title"], "Reminders");
  EXPECT_EQ(lists[0]["default"], true);
  EXPECT_TRUE(fs::is_directory(home_ / "reminders"));
  EXPECT_TRUE(fs::exists(home_ / "records.sqlite"));

  // Without --home: ZARVO_HOME, else XDG_DATA_HOME/zarvo.
  const fs::path xdg = work_ / "xdg";
  EXPECT_EQ(shell("XDG_DATA_HOME=" + shellQuoted(xdg.string()) + " " + shellQuoted(binary_.string()) + " add x").status, 0);
  EXPECT_TRUE(fs::is_directory(xdg / "zarvo" / "reminders"));
  const fs::path own = work_ / "own";
  EXPECT_EQ(shell("XDG_DATA_HOME=" + shellQuoted(xdg.string()) + " ZARVO_HOME=" + shellQuoted(own.string()) + " " +
                  shellQuoted(binary_.string()) + " add x")
                .status,
            0);
  EXPECT_TRUE(fs::exists(own / "records.sqlite"));
}

TEST_F(ZarvoCliTest, AddReadsDateListAndFlagAndEchoesThePhrase) {
  ok({"list-add", "Family"});
  const Outcome run = zarvo({"add", "--tz", kZone, "--ref", kRef, "Call mom tomorrow at 5pm #family !!"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("Call mom [tomorrow at 5pm] #family !!\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("tomorrow 17:00"), std::string::npos) << run.out;

  const json tasks = ls();
  ASSERT_EQ(tasks.size(), 1u);
  const json& t = tasks[0];
  std::vector<std::string> keys;
  for (const auto& [k, v] : t.items()) keys.push_back(k);
  EXPECT_EQ(keys, (std::vector<std::string>{"id", "uid", "title", "notes", "list", "priority", "dueDate",
                                            "isCompleted", "completionDate", "creationDate", "flagged", "tags",
                                            "allDay", "recurrence", "alarms"}));
  EXPECT_EQ(t["title"], "Call mom");
  EXPECT_EQ(t["list"], "Family");
  EXPECT_EQ(t["flagged"], true);
  EXPECT_EQ(t["dueDate"], "2024-03-12T17:00:00.000+01:00");
  EXPECT_EQ(t["priority"], 0);
  EXPECT_TRUE(t["notes"].is_null());
  EXPECT_TRUE(t["completionDate"].is_null());
  EXPECT_EQ(t["id"].get<std::string>().size(), 7u);

  // show prints the same object; a prefix of the id or of the uid names the task.
  const std::string id = t["id"];
  EXPECT_EQ(show(id.substr(0, 4)), json::array({t}));
  EXPECT_EQ(show(t["uid"].get<std::string>().substr(0, 12))[0]["id"], id);

  // An unknown list reference goes to the default list, said so on stderr, and stays in the title.
  const Outcome unknown = zarvo({"add", "--tz", kZone, "--ref", kRef, "Water plants #garden"});
  EXPECT_NE(unknown.err.find("no list named '#garden'; added to Reminders"), std::string::npos) << unknown.err;
  EXPECT_EQ(titleSet(ls({"Reminders"})), (std::set<std::string>{"Water plants #garden"}));
}

TEST_F(ZarvoCliTest, FiltersAndSorts) {
  ok({"list-add", "Work"});
  // Reference: Monday 2024-03-11 10:00 in Berlin.
  const std::string overdue = add("File taxes today at 9am #work", "2024-03-08T08:00");
  add("Standup today at 9:30 #work");
  add("Dentist tomorrow at 8am !!");
  add("Read a book");
  const std::string report = add("Quarterly report today at noon #work", "2024-03-25T08:00");
  ok({"edit", report, "--priority", "3"});
  ok({"edit", overdue, "--priority", "2", "--notes", "Zürich office café receipts"});

  EXPECT_EQ(titleSet(ls({"--today"})), (std::set<std::string>{"File taxes", "Standup"}));
  EXPECT_EQ(titleSet(ls({"--upcoming"})), (std::set<std::string>{"Dentist", "Quarterly report"}));
  EXPECT_EQ(titleSet(ls({"--flagged"})), (std::set<std::string>{"Dentist"}));
  EXPECT_EQ(titleSet(ls({"--top"})), (std::set<std::string>{"Quarterly report"}));
  EXPECT_EQ(titleSet(ls({"--priority", ">=", "2"})), (std::set<std::string>{"File taxes", "Quarterly report"}));
  EXPECT_EQ(titleSet(ls({"--priority", "<1"})), (std::set<std::string>{"Standup", "Dentist", "Read a book"}));
  EXPECT_EQ(titleSet(ls({"--search", "CAFE"})), (std::set<std::string>{"File taxes"}));
  EXPECT_EQ(titleSet(ls({"--search", "report"})), (std::set<std::string>{"Quarterly report"}));
  EXPECT_EQ(titleSet(ls({"work", "--today"})), (std::set<std::string>{"File taxes", "Standup"}));
  EXPECT_EQ(titleSet(ls({"Reminders"})), (std::set<std::string>{"Dentist", "Read a book"}));

  EXPECT_EQ(titles(ls({"--sort", "title"})),
            (std::vector<std::string>{"Dentist", "File taxes", "Quarterly report", "Read a book", "Standup"}));
  EXPECT_EQ(titles(ls({"--sort", "title", "--desc"})),
            (std::vector<std::string>{"Standup", "Read a book", "Quarterly report", "File taxes", "Dentist"}));
  // A task without due date comes after the dated ones; the highest priority comes first.
  EXPECT_EQ(titles(ls({"--sort", "due"})),
            (std::vector<std::string>{"File taxes", "Standup", "Dentist", "Quarterly report", "Read a book"}));
  EXPECT_EQ(titles(ls({"--sort", "priority"}))[0], "Quarterly report");
  EXPECT_EQ(titles(ls({"--sort", "priority"}))[1], "File taxes");
  const auto overdueFirst = titles(ls({"--sort", "overdue"}));
  EXPECT_EQ(std::set<std::string>(overdueFirst.begin(), overdueFirst.begin() + 2),
            (std::set<std::string>{"File taxes", "Standup"}));

  // The readable table: relative due dates, no colour when asked for none.
  const std::string table = ok({"ls", "--tz", kZone, "--ref", kRef, "--sort", "due"});
  EXPECT_NE(table.find("3 days overdue"), std::string::npos) << table;
  EXPECT_NE(table.find("today 09:30"), std::string::npos) << table;
  EXPECT_NE(table.find("tomorrow 08:00"), std::string::npos) << table;
  EXPECT_NE(table.find("2024-03-25 12:00"), std::string::npos) << table;
  EXPECT_EQ(table.find('\x1b'), std::string::npos);
}

// Creation dates have whole seconds in the files, hence the pauses.
TEST_F(ZarvoCliTest, SortByCreationDate) {
  for (const char* title : {"First", "Second", "Third"}) {
    add(title);
    ::usleep(1'100'000);
  }
  EXPECT_EQ(titles(ls({"--sort", "created"})), (std::vector<std::string>{"First", "Second", "Third"}));
  EXPECT_EQ(titles(ls({"--sort", "created", "--desc"})), (std::vector<std::string>{"Third", "Second", "First"}));
}

TEST_F(ZarvoCliTest, ColoursFollowTheTitleColourRules) {
  add("Three days late today at 9am", "2024-03-08T08:00");
  add("Eight days late today at 9am", "2024-03-03T08:00");
  add("Later today at 9am", "2024-03-20T08:00");
  const std::string done = add("Finished today at 9am", "2024-03-08T08:00");
  ok({"done", done});
  const auto painted = [&](std::vector<std::string> extra) {
    std::vector<std::string> args = {"ls", "--tz", kZone, "--ref", kRef};
    args.insert(args.end(), extra.begin(), extra.end());
    Outcome run = shell(shellQuoted(binary_.string()) + " --home " + shellQuoted(home_.string()) + " --color always " +
                        [&] {
                          std::string s;
                          for (const auto& a : args) s += shellQuoted(a) + " ";
                          return s;
                        }());
    EXPECT_EQ(run.status, 0) << run.err;
    return run.out;
  };
  const std::string open = painted({});
  EXPECT_NE(open.find("\x1b[38;5;208mThree days late\x1b[0m"), std::string::npos) << open;
  EXPECT_NE(open.find("\x1b[31mEight days late\x1b[0m"), std::string::npos) << open;
  EXPECT_NE(open.find(" Later\n"), std::string::npos) << open;  // label colour: unpainted
  EXPECT_NE(painted({"--completed"}).find("\x1b[90mFinished\x1b[0m"), std::string::npos);

  // NO_COLOR wins over a terminal; piped output is never painted.
  const Outcome plain = shell("NO_COLOR=1 " + shellQuoted(binary_.string()) + " --home " + shellQuoted(home_.string()) + " ls");
  EXPECT_EQ(plain.out.find('\x1b'), std::string::npos);
}

TEST_F(ZarvoCliTest, CompleteEditMoveDeletePurge) {
  ok({"list-add", "Home Office"});
  const std::string a = add("Print slides tomorrow");
  const std::string b = add("Order toner");
  const std::string c = add("Call plumber");

  ok({"done", a, b});
  EXPECT_EQ(titleSet(ls()), (std::set<std::string>{"Call plumber"}));
  const json completed = ls({"--completed"});
  EXPECT_EQ(titleSet(completed), (std::set<std::string>{"Print slides", "Order toner"}));
  for (const auto& t : completed) EXPECT_FALSE(t["completionDate"].is_null());
  EXPECT_NE(ok({"done", a}).find("already done"), std::string::npos);

  ok({"undo", b});
  EXPECT_EQ(titleSet(ls()), (std::set<std::string>{"Call plumber", "Order toner"}));

  ok({"edit", c, "--title", "Call the plumber", "--notes", "Leaking tap", "--priority", "1", "--flag", "--tz", kZone,
      "--ref", kRef, "--due", "tomorrow at 7pm"});
  json edited = show(c)[0];
  EXPECT_EQ(edited["title"], "Call the plumber");
  EXPECT_EQ(edited["notes"], "Leaking tap");
  EXPECT_EQ(edited["priority"], 1);
  EXPECT_EQ(edited["flagged"], true);
  EXPECT_EQ(edited["dueDate"], "2024-03-12T19:00:00.000+01:00");
  ok({"edit", c, "--no-due", "--unflag"});
  edited = show(c)[0];
  EXPECT_TRUE(edited["dueDate"].is_null());
  EXPECT_EQ(edited["flagged"], false);
  EXPECT_EQ(edited["title"], "Call the plumber");

  ok({"tag", c, "urgent", "House"});
  ok({"tag", b, "URGENT"});
  EXPECT_EQ(show(c)[0]["tags"], json::parse(R"(["House","urgent"])"));
  EXPECT_EQ(show(b)[0]["tags"], json::parse(R"(["urgent"])"));
  ok({"tag", "--remove", c, "house"});
  EXPECT_EQ(show(c)[0]["tags"], json::parse(R"(["urgent"])"));

  ok({"mv", c, "home office"});
  EXPECT_EQ(show(c)[0]["list"], "Home Office");
  EXPECT_EQ(titleSet(ls({"Home Office"})), (std::set<std::string>{"Call the plumber"}));
  // Flags and tags live in the records and survive the move.
  EXPECT_EQ(show(c)[0]["tags"], json::parse(R"(["urgent"])"));

  ok({"rm", "--yes", b});
  EXPECT_EQ(titleSet(ls()), (std::set<std::string>{"Call the plumber"}));
  EXPECT_EQ(zarvo({"show", b}).status, 2);

  EXPECT_EQ(json::parse(ok({"purge", "--yes", "--json"}))["purged"], 1);
  EXPECT_TRUE(ls({"--completed"}).empty());
  EXPECT_EQ(titleSet(ls()), (std::set<std::string>{"Call the plumber"}));
  EXPECT_EQ(json::parse(ok({"purge", "--json"}))["purged"], 0);  // nothing to delete, nothing to ask
}

TEST_F(ZarvoCliTest, ListCommands) {
  ok({"list-add", "Work"});
  ok({"list-add", "Groceries & Co (2024)"});
  ok({"list-add", "Family"});
  auto order = [&] {
    std::vector<std::string> out;
    for (const auto& l : json::parse(ok({"lists", "--json"}))) out.push_back(l["title"]);
    return out;
  };
  EXPECT_EQ(order(), (std::vector<std::string>{"Reminders", "Work", "Groceries & Co (2024)", "Family"}));
  ok({"list-mv", "family", "--above", "work"});
  EXPECT_EQ(order(), (std::vector<std::string>{"Reminders", "Family", "Work", "Groceries & Co (2024)"}));
  ok({"list-mv", "Reminders", "--above", "Groceries & Co (2024)"});
  EXPECT_EQ(order(), (std::vector<std::string>{"Family", "Work", "Groceries & Co (2024)", "Reminders"}));

  ok({"list-default", "work"});
  add("Prepare demo");
  EXPECT_EQ(ls()[0]["list"], "Work");
  const json lists = json::parse(ok({"lists", "--json"}));
  for (const auto& l : lists) EXPECT_EQ(l["default"], l["title"] == "Work") << l.dump();

  // A list with tasks goes only with --force, and its tasks with it.
  EXPECT_EQ(zarvo({"list-rm", "Work"}).status, 2);
  EXPECT_EQ(ls().size(), 1u);
  ok({"list-rm", "--force", "--yes", "Work"});
  EXPECT_TRUE(ls().empty());
  ok({"list-rm", "Family"});
  EXPECT_EQ(order(), (std::vector<std::string>{"Groceries & Co (2024)", "Reminders"}));
  // With the default list gone, new tasks go to a list that exists.
  add("Buy milk");
  EXPECT_EQ(ls().size(), 1u);
}

// The table pads its columns by terminal columns, so list titles in any script line the titles up.
TEST_F(ZarvoCliTest, TableLinesUpTitlesAfterListsInAnyScript) {
  writeSettings("[quick-entry]\nlanguages = [\"ja\", \"zh\"]\n");
  ok({"list-add", "仕事"});
  ok({"list-add", "Cafe\u0301"});
  ok({"list-add", "👨‍👩‍👧 家族"});
  add("歯医者 #仕事 明日");
  add("Beans #Cafe\u0301 tomorrow at 9");
  ok({"mv", add("下星期一 交報告"), "👨‍👩‍👧 家族"});
  add("Read a book");
  EXPECT_EQ(titleSet(ls({"仕事"})), (std::set<std::string>{"歯医者"}));
  EXPECT_EQ(titleSet(ls({"Cafe\u0301"})), (std::set<std::string>{"Beans"}));
  EXPECT_EQ(titleSet(ls({"👨‍👩‍👧 家族"})), (std::set<std::string>{"交報告"}));
  const std::string table = ok({"ls", "--tz", kZone, "--ref", kRef});
  std::istringstream lines(table);
  std::vector<size_t> titleColumns;
  for (std::string line; std::getline(lines, line);) {
    size_t at = std::string::npos;
    for (const char* title : {"TITLE", "歯医者", "Beans", "交報告", "Read a book"}) {
      if (const size_t found = line.find(title); found != std::string::npos) at = found;
    }
    ASSERT_NE(at, std::string::npos) << line;
    titleColumns.push_back(zarvo::platform::displayWidth(line.substr(0, at)));
  }
  ASSERT_EQ(titleColumns.size(), 5u) << table;
  for (size_t column : titleColumns) EXPECT_EQ(column, titleColumns.front()) << table;
}

TEST_F(ZarvoCliTest, ListCommandsPrintTheObjectsListsPrints) {
  const auto listsJson = [&] { return json::parse(ok({"lists", "--json"})); };
  const auto entry = [](const json& lists, const std::string& title) {
    for (const auto& l : lists) {
      if (l["title"] == title) return l;
    }
    return json();
  };

  const json added = json::parse(ok({"list-add", "--json", "Work"}));
  std::vector<std::string> keys;
  for (const auto& [k, v] : added.items()) keys.push_back(k);
  EXPECT_EQ(keys, (std::vector<std::string>{"title", "id", "color", "default", "openTasks"}));
  EXPECT_FALSE(added["id"].get<std::string>().empty());
  EXPECT_EQ(added, entry(listsJson(), "Work"));
  EXPECT_EQ(added["default"], false);
  EXPECT_EQ(added["openTasks"], 0);

  add("Send invoice #work");
  ok({"done", add("Book room #work")});
  const json chosen = json::parse(ok({"list-default", "--json", "work"}));
  EXPECT_EQ(chosen, entry(listsJson(), "Work"));
  EXPECT_EQ(chosen["default"], true);
  EXPECT_EQ(chosen["openTasks"], 1);  // the completed task is not counted

  ok({"list-add", "Family"});
  const json moved = json::parse(ok({"list-mv", "--json", "Family", "--above", "Reminders"}));
  EXPECT_EQ(moved, listsJson());
  std::vector<std::string> order;
  for (const auto& l : moved) order.push_back(l["title"]);
  EXPECT_EQ(order, (std::vector<std::string>{"Family", "Reminders", "Work"}));

  const json before = entry(listsJson(), "Work");
  const json removed = json::parse(ok({"list-rm", "--force", "--yes", "--json", "Work"}));
  EXPECT_EQ(removed, (json{{"deleted", before}, {"tasks", 2}}));
  EXPECT_TRUE(entry(listsJson(), "Work").is_null());
  EXPECT_EQ(json::parse(ok({"list-rm", "--json", "Family"})),
            (json{{"deleted", entry(moved, "Family")}, {"tasks", 0}}));
}

// Removing a list takes the records of all its tasks along, completed ones included: what stays in
// the records database is exactly the tasks still in the store. Undo brings the list back whole (its
// open and completed tasks, their tags), and redo removes it again.
TEST_F(ZarvoCliTest, ListRmLeavesNoRecordsOfItsTasksAndUndoBringsThemAllBack) {
  ok({"list-add", "Work"});
  add("Send invoice #work");
  ok({"done", add("Book room #work"), add("Archive mail #work")});
  add("Keep me");
  ok({"done", add("Keep me too")});
  ok({"tag", ls({"--completed", "Work"})[0]["id"], "office"});
  const std::string lists = ok({"lists", "--json"});
  const json open = ls({"Work"}), completed = ls({"--completed", "Work"});

  const auto recordsMatchTheStore = [&](size_t tasks) {
    std::multiset<std::string> stored;
    for (const auto& t : ls()) stored.insert(t["uid"]);
    for (const auto& t : ls({"--completed"})) stored.insert(t["uid"]);
    EXPECT_EQ(stored.size(), tasks);
    std::multiset<std::string> recorded;
    const auto context = zarvo::openObjectContext((home_ / "records.sqlite").string());
    for (const auto& task : context->fetch<zarvo::Task>(zarvo::Task::fetchRequest())) {
      recorded.insert(task->reminderId().value_or(""));
    }
    context->close();
    EXPECT_EQ(recorded, stored);
  };
  for (const char* step : {"list-rm", "undo", "redo"}) {
    SCOPED_TRACE(step);
    if (std::string(step) == "list-rm") {
      ok({"list-rm", "--force", "--yes", "Work"});
    } else {
      ok({step});
    }
    if (std::string(step) == "undo") {
      EXPECT_EQ(ok({"lists", "--json"}), lists);
      EXPECT_EQ(ls({"Work"}), open);
      EXPECT_EQ(ls({"--completed", "Work"}), completed);
      recordsMatchTheStore(5);
    } else {
      recordsMatchTheStore(2);
    }
  }
}

TEST_F(ZarvoCliTest, QuickPrintsTheContractAndCreatesNothing) {
  const Outcome run = zarvo({"quick", "--json", "--tz", kZone, "--ref", kRef, "--list", "Work", "--list", "work",
                             "tomorrow at 5pm call #WORK !!"});
  ASSERT_EQ(run.status, 0) << run.err;
  const json q = json::parse(run.out);
  EXPECT_EQ(q.dump(),
            R"({"string":"call #WORK !!","title":"call","flagged":true,"parsedList":"#WORK",)"
            R"("parsedListRange":{"location":5,"length":5},"listTitleRange":{"location":21,"length":5},)"
            R"("list":"Work","dueDate":"2024-03-12T17:00:00.000+01:00","parsedDateString":"tomorrow at 5pm",)"
            R"("allDay":false,"recurrence":null,"reminder":null})");
  const json none = json::parse(ok({"quick", "--json", "plain words"}));
  EXPECT_TRUE(none["parsedListRange"].is_null());
  EXPECT_TRUE(none["list"].is_null());
  EXPECT_TRUE(none["dueDate"].is_null());
  EXPECT_TRUE(none["parsedDateString"].is_null());
  EXPECT_FALSE(fs::exists(home_));

  // With a home, its lists are tried.
  ok({"list-add", "Errands"});
  EXPECT_EQ(json::parse(ok({"quick", "--json", "stamps #errands"}))["list"], "Errands");
  EXPECT_TRUE(ls().empty());
}

TEST_F(ZarvoCliTest, BadInputChangesNothing) {
  ok({"list-add", "Work"});
  const std::string id = add("Keep me tomorrow #work !!");
  ok({"tag", id, "kept"});
  const auto before = snapshot(home_ / "reminders");
  const json tasksBefore = ls();

  struct Bad {
    std::vector<std::string> args;
    int status;
  };
  for (const Bad& bad : std::vector<Bad>{
           {{"show", "zzzzzzz"}, 2},
           {{"done", id, "zzzzzzz"}, 2},  // one bad id: nothing is completed
           {{"undo", "zzzzzzz"}, 2},
           {{"rm", id, "zzzzzzz"}, 2},
           {{"mv", id, "Nowhere"}, 2},
           {{"mv", "zzzzzzz", "Work"}, 2},
           {{"edit", "zzzzzzz", "--title", "x"}, 2},
           {{"edit", id, "--priority", "4"}, 2},
           {{"edit", id, "--priority", "high"}, 2},
           {{"edit", id, "--title", "  "}, 2},
           {{"edit", id}, 2},
           {{"edit", id, "--due", "whenever"}, 2},
           {{"edit", id, "--due", "tomorrow", "--no-due"}, 2},
           {{"edit", id, "--flag", "--unflag"}, 2},
           {{"edit", id, "--ref", "yesterday-ish", "--due", "tomorrow"}, 2},
           {{"tag", "zzzzzzz", "x"}, 2},
           {{"tag", id, "wild*"}, 2},
           {{"add", "--ref", "2024-02-30", "Something"}, 2},
           {{"add", "--tz", "Mars/Base", "Something"}, 2},
           {{"add", "tomorrow !!"}, 2},
           {{"add"}, 2},
           {{"ls", "Nowhere"}, 2},
           {{"ls", "--ref", "soon"}, 2},
           {{"ls", "--sort", "colour"}, 2},
           {{"ls", "--priority", "~", "2"}, 2},
           {{"ls", "--priority", ">", "9"}, 2},
           {{"quick", "--ref", "13:00", "x"}, 2},
           {{"list-add", "work"}, 2},
           {{"list-add", " "}, 2},
           {{"list-rm", "Nowhere"}, 2},
           {{"list-rm", "Work"}, 2},
           {{"list-mv", "Work", "--above", "Nowhere"}, 2},
           {{"list-mv", "Work"}, 2},
           {{"list-default", "Nowhere"}, 2},
           // With --json a refusal prints no document, only the error.
           {{"list-add", "--json", "work"}, 2},
           {{"list-rm", "--json", "Nowhere"}, 2},
           {{"list-rm", "--json", "Work"}, 2},
           {{"list-mv", "--json", "Work", "--above", "Nowhere"}, 2},
           {{"list-mv", "--json", "Nowhere", "--above", "Work"}, 2},
           {{"list-default", "--json", "Nowhere"}, 2},
           {{"done", "--json", "zzzzzzz"}, 2},
           {{"frobnicate"}, 2},
           {{"ls", "--home", "/tmp"}, 2},  // --home given twice
       }) {
    const Outcome run = zarvo(bad.args);
    EXPECT_EQ(run.status, bad.status) << join(bad.args) << "\n" << run.err;
    EXPECT_EQ(run.err.rfind("zarvo: ", 0), 0u) << join(bad.args) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << join(bad.args) << run.err;
    EXPECT_EQ(run.out, "") << join(bad.args);
  }
  EXPECT_EQ(snapshot(home_ / "reminders"), before);
  EXPECT_EQ(ls(), tasksBefore);
}

TEST_F(ZarvoCliTest, UnusableHomeIsRefused) {
  fs::create_directories(work_);
  std::ofstream(work_ / "file") << "not a folder";
  Outcome run = shell(shellQuoted(binary_.string()) + " --home " + shellQuoted((work_ / "file").string()) + " ls");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("is not a folder"), std::string::npos) << run.err;
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;

  // A records database that is not ours is refused and left alone.
  ok({"list-add", "Work"});
  fs::remove(home_ / "records.sqlite-wal");
  fs::remove(home_ / "records.sqlite-shm");
  std::ofstream(home_ / "records.sqlite", std::ios::trunc) << "garbage, not SQLite";
  run = zarvo({"add", "Something"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
  EXPECT_EQ(readFile(home_ / "records.sqlite"), "garbage, not SQLite");

  if (::geteuid() != 0) {  // root reads any folder
    fs::permissions(home_, fs::perms::none);
    run = zarvo({"ls"});
    EXPECT_EQ(run.status, 1) << run.err;
  }
}

TEST_F(ZarvoCliTest, HelpForEveryCommand) {
  for (const char* command : {"add", "ls", "show", "done", "undo", "redo", "rm", "mv", "edit", "snooze", "tag", "purge", "lists",
                              "list-add", "list-rm", "list-mv", "list-default", "quick", "parse"}) {
    const Outcome run = zarvo({command, "--help"});
    EXPECT_EQ(run.status, 0) << command;
    EXPECT_NE(run.out.find("Usage"), std::string::npos) << command;
  }
  EXPECT_NE(zarvo({"--help"}).out.find("list-default"), std::string::npos);
}

// Files todoman wrote: its PRIORITY 4 is high (RFC 5545) and so among the top tasks; completing writes
// the PERCENT-COMPLETE:100 todoman shows, reopening takes it away, and a priority set here is one
// todoman reads as the same.
TEST_F(ZarvoCliTest, TodomanPrioritiesAndCompletionReadAsTodomanMeansThem) {
  ok({"list-add", "Elsewhere"});
  const std::string defaultList = readFile(home_ / "reminders" / ".default-calendar");
  const fs::path folder = home_ / "reminders" / defaultList.substr(0, defaultList.find_first_of("\r\n"));
  for (const auto& entry : fs::directory_iterator(zarvo::testing::fixtures("vtodo/todoman/work"))) {
    fs::copy_file(entry.path(), folder / entry.path().filename());
  }
  std::map<std::string, json> byTitle;
  for (const auto& t : ls()) byTitle[t["title"]] = t;
  EXPECT_EQ(byTitle["Quarterly review"]["priority"], 3);
  EXPECT_EQ(byTitle["Order new toner"]["priority"], 1);
  EXPECT_EQ(byTitle["Prepare slides"]["priority"], 0);
  const json top = ls({"--top"});
  ASSERT_EQ(top.size(), 1u);
  EXPECT_EQ(top[0]["title"], "Quarterly review");

  const fs::path review = folder / "003765c08f0348709e6d63f9df66f5c1@vm.ics";
  const std::string id = byTitle["Quarterly review"]["id"];
  ok({"done", id});
  EXPECT_NE(readFile(review).find("\r\nPERCENT-COMPLETE:100\r\n"), std::string::npos) << readFile(review);
  EXPECT_NE(readFile(review).find("\r\nSTATUS:COMPLETED\r\n"), std::string::npos);
  ok({"undo", id});
  EXPECT_EQ(readFile(review).find("PERCENT-COMPLETE"), std::string::npos) << readFile(review);
  EXPECT_NE(readFile(review).find("\r\nSTATUS:NEEDS-ACTION\r\n"), std::string::npos);

  ok({"edit", byTitle["Order new toner"]["id"], "--priority", "3"});
  EXPECT_NE(readFile(folder / "6ec449f3572a4ced9c03becde68a9e8d@vm.ics").find("\r\nPRIORITY:1\r\n"), std::string::npos);
}

// A task file written by another program, with its owned lines spelled as readers accept them (the
// first spelling is how the lost title edit was found) and a stale second title line.
TEST_F(ZarvoCliTest, EditDoneAndMvLandOnLinesAsOtherProgramsSpellThem) {
  ok({"list-add", "Elsewhere"});
  const std::string defaultList = readFile(home_ / "reminders" / ".default-calendar");
  const fs::path folder = home_ / "reminders" / defaultList.substr(0, defaultList.find_first_of("\r\n"));
  ASSERT_TRUE(fs::is_directory(folder)) << folder;
  const std::pair<const char*, std::string> files[] = {
      {"a blank before the colon", "SUMMARY :Old title\r\nDESCRIPTION :Old notes\r\nSTATUS :NEEDS-ACTION\r\n"},
      {"lower case and parameters",
       "summary;language=en:Old title\r\nSUMMARY:Stale title\r\ndescription;X-A=1:Old notes\r\nstatus:NEEDS-ACTION\r\n"},
      {"folded names",
       "SUM\r\n MARY:Old title\r\nSUMMARY:Stale title\r\nDESCRIP\r\n TION:Old notes\r\nSTATUS\r\n\t:NEEDS-ACTION\r\n"},
  };
  for (const auto& [what, lines] : files) {
    SCOPED_TRACE(what);
    const fs::path file = folder / "sp-1.ics";
    std::ofstream(file, std::ios::binary)
        << "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//x//EN\r\nBEGIN:VTODO\r\nUID:sp-1\r\n" << lines
        << "X-OTHER:kept\r\nEND:VTODO\r\nEND:VCALENDAR\r\n";
    json tasks = ls();
    ASSERT_EQ(tasks.size(), 1u);
    EXPECT_EQ(tasks[0]["title"], "Old title");
    EXPECT_EQ(tasks[0]["notes"], "Old notes");
    const std::string id = tasks[0]["id"];

    ok({"edit", id, "--title", "New title", "--notes", "New notes"});
    const json edited = show(id)[0];
    EXPECT_EQ(edited["title"], "New title");
    EXPECT_EQ(edited["notes"], "New notes");
    std::string text = readFile(file);
    for (const char* gone : {"Old title", "Stale title", "Old notes"}) {
      EXPECT_EQ(text.find(gone), std::string::npos) << gone << " in\n" << text;
    }

    ok({"done", id});
    EXPECT_TRUE(ls().empty());
    EXPECT_EQ(titles(ls({"--completed"})), (std::vector<std::string>{"New title"}));
    EXPECT_EQ(readFile(file).find("NEEDS-ACTION"), std::string::npos) << readFile(file);

    ok({"mv", id, "elsewhere"});
    const json moved = show(id)[0];
    EXPECT_EQ(moved["list"], "Elsewhere");
    EXPECT_EQ(moved["title"], "New title");
    EXPECT_EQ(moved["isCompleted"], true);
    ok({"rm", "--yes", id});
  }
}

// The home keeps a copy of the parsed task files for the next command; whatever happens to the copy
// or to the files behind its back, a command shows what the files say.
TEST_F(ZarvoCliTest, FileCacheNeverHidesWhatTheFilesSay) {
  add("Alpha");
  add("Bravo");
  ls();
  const fs::path cache = home_ / "reminders.cache";
  ASSERT_TRUE(fs::exists(cache));

  // Another program rewrites a file with the same length: only its metadata tells.
  fs::path alpha;
  for (const auto& entry : fs::recursive_directory_iterator(home_ / "reminders")) {
    if (entry.path().extension() == ".ics" && readFile(entry.path()).find("SUMMARY:Alpha") != std::string::npos) {
      alpha = entry.path();
    }
  }
  ASSERT_FALSE(alpha.empty());
  std::string text = readFile(alpha);
  text.replace(text.find("SUMMARY:Alpha"), 13, "SUMMARY:Omega");
  std::ofstream(alpha, std::ios::binary) << text;
  EXPECT_EQ(titleSet(ls()), (std::set<std::string>{"Omega", "Bravo"}));

  // A damaged or missing copy is read around.
  std::string bytes = readFile(cache);
  bytes[bytes.size() / 2] = static_cast<char>(bytes[bytes.size() / 2] ^ 0x55);
  std::ofstream(cache, std::ios::binary | std::ios::trunc) << bytes;
  EXPECT_EQ(titleSet(ls()), (std::set<std::string>{"Omega", "Bravo"}));
  std::ofstream(cache, std::ios::binary | std::ios::trunc) << "";
  EXPECT_EQ(titleSet(ls()), (std::set<std::string>{"Omega", "Bravo"}));
  fs::remove(cache);
  EXPECT_EQ(titleSet(ls()), (std::set<std::string>{"Omega", "Bravo"}));

  // A task file removed behind its back is gone from the next listing, and edits through the copy
  // still land on the file.
  fs::remove(alpha);
  const json left = ls();
  ASSERT_EQ(titleSet(left), (std::set<std::string>{"Bravo"}));
  ok({"edit", left[0]["id"], "--title", "Charlie"});
  EXPECT_EQ(titleSet(ls()), (std::set<std::string>{"Charlie"}));
}

// `ls --check-all` asks the store to check every task file at this read, the files of completed
// tasks too; a plain `ls` leaves that to the check every few minutes.
TEST_F(ZarvoCliTest, LsCheckAllChecksEveryFile) {
  add("Alpha");
  const std::string asked = "Checking every task file at this read";
  const Outcome checked = zarvo({"ls", "--check-all"}, "ZARVO_LOG_LEVEL=debug");
  EXPECT_EQ(checked.status, 0) << checked.err;
  EXPECT_NE(checked.out.find("Alpha"), std::string::npos) << checked.out;
  EXPECT_NE(checked.err.find(asked), std::string::npos) << checked.err;
  const Outcome plain = zarvo({"ls"}, "ZARVO_LOG_LEVEL=debug");
  EXPECT_EQ(plain.err.find(asked), std::string::npos) << plain.err;
}

// A listing leaves its records behind without freeing them, but not its database: closed, it keeps
// no write-ahead log or shared memory file next to it, and a writer can change the home at once.
TEST_F(ZarvoCliTest, LsLeavesTheRecordsDatabaseClosed) {
  ok({"add", "first"});
  ok({"add", "second"});
  const std::string listed = ok({"ls"});
  EXPECT_NE(listed.find("second"), std::string::npos) << listed;
  for (const char* leftover : {"records.sqlite-wal", "records.sqlite-shm"}) {
    EXPECT_FALSE(fs::exists(home_ / leftover)) << leftover;
  }
  ok({"add", "third"});
  EXPECT_NE(ok({"ls"}).find("third"), std::string::npos);
}

TEST_F(ZarvoCliTest, TwoProcessesAddingAtOnceLoseNothing) {
  ok({"list-add", "Work"});
  std::string script;
  // Titles no language reads as a time ("a 1" is one o'clock in Spanish and French).
  for (const char* who : {"p", "q"}) {
    script += "( for i in 1 2 3 4 5 6 7 8 9 10; do " + commandLine({"add"}) + " \"" + who +
              " $i\" >/dev/null || exit 1; done ) & ";
  }
  const Outcome run = shell("sh -c " + shellQuoted(script + "wait %1 && wait %2"));
  ASSERT_EQ(run.status, 0) << run.err;
  const json tasks = ls();
  EXPECT_EQ(tasks.size(), 20u);
  std::set<std::string> expected;
  for (const char* who : {"p", "q"}) {
    for (int i = 1; i <= 10; ++i) expected.insert(std::string(who) + " " + std::to_string(i));
  }
  EXPECT_EQ(titleSet(tasks), expected);
}

TEST_F(ZarvoCliTest, TodomanSeesOurTasksAndWeSeeTodomans) {
  if (!zarvo::testing::todomanInstalled()) GTEST_SKIP() << "todoman is not installed";
  ok({"list-add", "Work"});
  add("Call mom tomorrow at 5pm");
  add("Send invoice #work");
  const std::string done = add("Water plants");
  ok({"done", done});

  const Outcome listed = todoman("--porcelain list --status ANY");
  ASSERT_EQ(listed.status, 0) << listed.err;
  std::map<std::string, json> theirs;
  for (const auto& t : json::parse(listed.out)) theirs[t["summary"]] = t;
  ASSERT_EQ(theirs.size(), 3u) << listed.out;
  EXPECT_EQ(theirs["Call mom"]["list"], "Reminders");
  EXPECT_EQ(theirs["Call mom"]["due"], 1710259200);  // 2024-03-12 17:00 in Berlin
  EXPECT_EQ(theirs["Send invoice"]["list"], "Work");
  EXPECT_TRUE(theirs["Water plants"]["completed"].get<bool>());

  const Outcome created = todoman("new -l Work -d '2024-03-13 09:00' --priority high 'Book flights'");
  ASSERT_EQ(created.status, 0) << created.err;
  const json ours = ls({"work"});
  ASSERT_EQ(titleSet(ours), (std::set<std::string>{"Send invoice", "Book flights"}));
  for (const auto& t : ours) {
    if (t["title"] == "Book flights") {
      EXPECT_EQ(t["dueDate"], "2024-03-13T09:00:00.000+01:00");
      EXPECT_EQ(t["priority"], 3);  // todoman writes "high" as 4, high on the RFC 5545 scale
      // Our ids work on their tasks.
      ok({"done", t["id"]});
    }
  }
  const Outcome after = todoman("--porcelain list --status ANY");
  for (const auto& t : json::parse(after.out)) {
    if (t["summary"] == "Book flights") {
      EXPECT_TRUE(t["completed"].get<bool>());
    }
  }
}

}  // namespace
