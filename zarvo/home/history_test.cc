// The history of a home: what an undo puts back, and what it refuses to touch. Each test is named after
// the fault it guards against.
#include "zarvo/home/history.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "zarvo/home/internal/history_entry.h"
#include "zarvo/platform/log.h"
#include "zarvo/testing/history_home.h"

namespace zarvo {
namespace {

namespace fs = std::filesystem;
using testing::HistoryHome;
using testing::readFile;
using testing::TempDir;
using testing::writeFile;

class HistoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs_ = std::make_shared<platform::FaultInjectingFileSystem>(platform::FileSystem::posix());
    fs::create_directories(home_);
    HistoryHome home(home_, fs_);
    reminders::testing::createStore(home.io().eventStore());
    home.io().loadLists();
    for (auto title : {"Call mom", "Pay rent", "Water plants"}) home.io().createTask(title);
    home.save("setup");
    fs::remove_all(home_ / "history");
  }

  std::unique_ptr<HistoryHome> open(HistoryOptions options = {}) { return std::make_unique<HistoryHome>(home_, fs_, options); }

  fs::path fileOf(HistoryHome& home, const std::string& title) { return home.task(title)->reminder()->fileVersion()->path; }

  void edit(HistoryHome& home, const std::string& title, const std::string& to) {
    auto task = home.task(title);
    task->setTitle(to);
    home.io().save(task, true);
    home.save("edit '" + title + "'");
  }

  TempDir tmp_{"zarvo-history"};
  fs::path home_ = tmp_.path() / "home";
  std::shared_ptr<platform::FaultInjectingFileSystem> fs_;
  platform::ScopedLogCapture logs_;
};

TEST_F(HistoryTest, EveryChangeComesBackFilesAndRecordsNewestFirst) {
  auto home = open();
  const auto files = testing::snapshot(home_ / "reminders");
  const auto view = home->view();
  auto task = home->task("Call mom");
  task->setFlagged(true);
  home->tag(task, {"family", "phone"});
  home->save("flag and tag");
  edit(*home, "Pay rent", "Pay the rent");
  home->io().remove(home->task("Water plants"), false);
  home->save("rm");
  home->io().createList("Work");
  home->save("list-add");

  for (const char* description : {"list-add", "rm", "edit 'Pay rent'", "flag and tag"}) {
    const auto undone = home->undo();
    ASSERT_TRUE(undone) << undone.error().message();
    EXPECT_EQ(undone->undone, description);
  }
  EXPECT_EQ(testing::snapshot(home_ / "reminders"), files);
  EXPECT_EQ(home->view(), view);
  const auto none = home->undo();
  ASSERT_FALSE(none);
  EXPECT_EQ(none.error(), HistoryErrc::nothingToUndo);
  EXPECT_NE(none.error().message().find("the last 50 changes, 64 MiB at most"), std::string::npos);
}

TEST_F(HistoryTest, RedoMakesUndoneChangesAgainUntilANewChangeIsMade) {
  auto home = open();
  std::vector<std::pair<std::map<std::string, std::string>, HistoryHome::View>> states;
  const auto keep = [&] { states.emplace_back(testing::snapshot(home_ / "reminders"), home->view()); };
  keep();
  home->tag(home->task("Call mom"), {"family"});
  home->save("tag");
  keep();
  home->io().remove(home->task("Water plants"), false);
  home->save("rm");
  keep();
  home->io().createList("Work")->setOrder(5);  // a place of its own: lists of one place show in the store's order
  home->save("list-add");
  keep();
  const auto expectState = [&](size_t i, const std::string& where) {
    EXPECT_EQ(testing::snapshot(home_ / "reminders"), states[i].first) << where;
    EXPECT_EQ(home->view(), states[i].second) << where;
  };

  // Undo and redo walk the same changes both ways, each as often as asked; a redone change is undone
  // (its tags removed) like any other.
  const std::pair<bool, size_t> walk[] = {{false, 2}, {false, 1}, {false, 0}, {true, 1}, {true, 2},
                                          {false, 1}, {false, 0}, {true, 1}, {true, 2}, {true, 3}};
  for (const auto& [redo, state] : walk) {
    const std::string where = std::string(redo ? "redo" : "undo") + " to state " + std::to_string(state);
    const auto result = redo ? home->redo() : home->undo();
    ASSERT_TRUE(result) << where << ": " << result.error().message();
    expectState(state, where);
    if (state == 0) {
      EXPECT_FALSE(Tag::fetchBy("family", home->context())) << where;
    }
  }
  const auto none = home->redo();
  ASSERT_FALSE(none);
  EXPECT_EQ(none.error(), HistoryErrc::nothingToRedo);

  // A new change after an undo ends what can be redone, and says why.
  ASSERT_TRUE(home->undo());
  ASSERT_TRUE(home->undo());
  EXPECT_EQ(home->history().redoDescriptions().value(), (std::vector<std::string>{"rm", "list-add"}));
  edit(*home, "Pay rent", "Pay the rent");
  EXPECT_TRUE(home->history().redoDescriptions().value().empty());
  const auto refused = home->redo();
  ASSERT_FALSE(refused);
  EXPECT_EQ(refused.error(), HistoryErrc::nothingToRedo);
  EXPECT_NE(refused.error().message().find("since the last new change"), std::string::npos) << refused.error().message();
  EXPECT_EQ(home->task("Pay the rent")->title(), "Pay the rent");
}

// A redo checks what it overwrites as an undo does: a file another program changed since the undo
// is named and left alone.
TEST_F(HistoryTest, ARedoNeverOverwritesAFileChangedSinceTheUndo) {
  auto home = open();
  edit(*home, "Pay rent", "Pay the rent");
  ASSERT_TRUE(home->undo());
  const fs::path file = fileOf(*home, "Pay rent");
  std::string bytes = readFile(file);
  bytes.replace(bytes.find("Pay rent"), 8, "Pay RENT");
  writeFile(file, bytes);
  const auto refused = home->redo();
  ASSERT_FALSE(refused);
  EXPECT_EQ(refused.error(), HistoryErrc::changedSince);
  EXPECT_NE(refused.error().message().find("cannot redo 'edit 'Pay rent''"), std::string::npos) << refused.error().message();
  EXPECT_EQ(readFile(file), bytes);
}

// The undo compared digests, then renamed the old bytes in place without a second look: a writer
// between the two lost its edit. Now the restore swaps and checks what came out.
TEST_F(HistoryTest, AWriterRacingTheUndoKeepsItsWrite) {
  auto home = open();
  edit(*home, "Call mom", "Call dad");
  const fs::path file = fileOf(*home, "Call dad");
  std::string theirs = readFile(file);
  theirs.insert(theirs.find("END:VTODO"), "X-OTHER:theirs\r\n");
  fs_->beforeNextReplace([&] { writeFile(file, theirs); });
  const auto refused = home->undo();
  ASSERT_FALSE(refused);
  EXPECT_EQ(refused.error(), HistoryErrc::changedSince) << refused.error().message();
  EXPECT_EQ(readFile(file), theirs);
}

// The entry was written after the change committed: a change whose entry could not be written had
// happened with no way back. Now the change does not happen.
TEST_F(HistoryTest, AChangeWhoseEntryCannotBeWrittenDoesNotHappen) {
  const auto before = testing::snapshot(home_ / "reminders");
  struct Case {
    const char* name;
    std::function<void()> spoil, mend;
  };
  const Case cases[] = {
      {"a read-only history folder", [&] { fs_->setReadOnly(home_ / "history"); }, [&] { fs_->clearFaults(); }},
      {"a full disk", [&] { fs_->setDiskFull(true); }, [&] { fs_->clearFaults(); }},
      {"a file where the folder goes",
       [&] {
         fs::remove_all(home_ / "history");
         writeFile(home_ / "history", "stray");
       },
       [&] { fs::remove(home_ / "history"); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.spoil();
    {
      auto home = open();
      auto task = home->task("Call mom");
      task->setFlagged(true);
      home->io().save(task, true);
      try {
        home->save("flag");
        ADD_FAILURE() << "the change happened without its entry";
      } catch (const reminders::StoreError& e) {
        EXPECT_EQ(e.code(), reminders::StoreErrorCode::io);
        EXPECT_NE(std::string(e.what()).find("history"), std::string::npos) << e.what();
      }
    }
    c.mend();
    auto home = open();
    EXPECT_EQ(testing::snapshot(home_ / "reminders"), before);
    EXPECT_FALSE(home->task("Call mom")->flagged()) << "the records changed without the files";
  }
  // A stray file in the folder is not an entry and stops nothing.
  writeFile(home_ / "history" / "notes.json", "{\"mine\": true}");
  auto home = open();
  edit(*home, "Call mom", "Call dad");
  ASSERT_TRUE(home->undo());
  EXPECT_EQ(testing::snapshot(home_ / "reminders"), before);
  EXPECT_TRUE(fs::exists(home_ / "history" / "notes.json"));
}

// One entry that could not be undone blocked every older one for good.
TEST_F(HistoryTest, AnEntryThatCannotBeUndoneIsSkippedAndNeverBlocksTheOnesBefore) {
  auto home = open();
  edit(*home, "Call mom", "Call dad");
  edit(*home, "Pay rent", "Pay the rent");
  const fs::path file = fileOf(*home, "Pay the rent");
  std::string theirs = readFile(file) + "\r\n";
  writeFile(file, theirs);

  for (int attempt = 0; attempt < 2; ++attempt) {
    const auto refused = home->undo();
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error(), HistoryErrc::changedSince);
    EXPECT_EQ(refused.error().message(), "cannot undo 'edit 'Pay rent'': " + file.string() +
                                             " was changed by another program since; nothing was changed");
  }
  const auto skipped = home->undo(/*skipChanged=*/true);
  ASSERT_TRUE(skipped) << skipped.error().message();
  ASSERT_EQ(skipped->skipped.size(), 1u);
  EXPECT_EQ(skipped->skipped[0].rfind("edit 'Pay rent': cannot undo", 0), 0u) << skipped->skipped[0];
  EXPECT_EQ(skipped->undone, "edit 'Call mom'");
  EXPECT_EQ(readFile(file), theirs);
  EXPECT_NO_THROW(home->task("Call mom"));
  EXPECT_EQ(home->undo().error(), HistoryErrc::nothingToUndo);
}

// Undoing a change left the tags it made behind, empty.
TEST_F(HistoryTest, UndoingAChangeRemovesTheTagsItMade) {
  auto home = open();
  home->tag(home->task("Call mom"), {"family"});
  home->save("tag");
  home->tag(home->task("Call mom"), {"family", "urgent"});
  home->tag(home->task("Pay rent"), {"urgent"});
  home->save("tag again");
  ASSERT_TRUE(home->undo());
  EXPECT_EQ(Tag::fetchBy("urgent", home->context()), nullptr);
  EXPECT_NE(Tag::fetchBy("family", home->context()), nullptr) << "a tag made before the change went";
  ASSERT_TRUE(home->undo());
  EXPECT_EQ(Tag::fetchBy("family", home->context()), nullptr);
}

// A crafted entry made undo write outside the home, and a FIFO in place of an entry hung it while it
// held the home's lock. Entries are read as untrusted: each of these is refused, changes nothing, and
// can be skipped to reach the real entry before it.
TEST_F(HistoryTest, EntriesAreReadAsUntrustedInput) {
  const fs::path outside = tmp_.path() / "outside";
  fs::create_directories(outside);
  fs::create_directory_symlink(outside, home_ / "reminders" / "local" / "link");
  const auto entry = [](const std::string& path, const std::optional<std::string>& before) {
    detail::HistoryEntry e;
    e.description = "crafted";
    e.files.push_back({path, false, before, std::nullopt});
    return detail::encodeEntry(e);
  };
  struct Case {
    const char* name;
    std::function<void(const fs::path& file)> make;
  };
  const Case cases[] = {
      {"a path climbing out", [&](const fs::path& f) { writeFile(f, entry("../../outside/a.ics", "x")); }},
      {"an absolute path", [&](const fs::path& f) { writeFile(f, entry((outside / "a.ics").string(), "x")); }},
      {"a link leading out", [&](const fs::path& f) { writeFile(f, entry("local/link/a.ics", "x")); }},
      {"a FIFO", [&](const fs::path& f) { ASSERT_EQ(::mkfifo(f.c_str(), 0600), 0); }},
      {"a folder", [&](const fs::path& f) { fs::create_directories(f); }},
      {"not JSON", [&](const fs::path& f) { writeFile(f, "{\"format\": 1, \"files\": [tru"); }},
      {"a wrong type", [&](const fs::path& f) { writeFile(f, "{\"format\": 1, \"description\": 3}"); }},
      {"damaged contents", [&](const fs::path& f) {
         std::string text = entry("local/a.ics", "x");
         text.replace(text.find("\"eA==\""), 6, "\"e!==\"");
         writeFile(f, text);
       }},
  };
  auto home = open();
  edit(*home, "Call mom", "Call dad");
  const auto edited = testing::snapshot(home_ / "reminders");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path crafted = home_ / "history" / "000000000099.json";
    c.make(crafted);
    const auto refused = home->undo();
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error(), HistoryErrc::unreadableEntry) << refused.error().message();
    EXPECT_TRUE(fs::is_empty(outside));
    EXPECT_EQ(testing::snapshot(home_ / "reminders"), edited);
    fs::remove_all(crafted);
  }
  const fs::path crafted = home_ / "history" / "000000000099.json";
  ASSERT_EQ(::mkfifo(crafted.c_str(), 0600), 0);
  const auto skipped = home->undo(true);
  ASSERT_TRUE(skipped) << skipped.error().message();
  EXPECT_EQ(skipped->skipped.size(), 1u);
  EXPECT_EQ(skipped->undone, "edit 'Call mom'");
  EXPECT_TRUE(fs::is_empty(outside));
}

TEST_F(HistoryTest, TheHistoryIsBoundedAndSaysSo) {
  HistoryOptions options;
  options.maxEntries = 3;
  options.maxBytes = 64 << 10;
  auto home = open(options);
  for (int i = 0; i < 5; ++i) edit(*home, i == 0 ? "Call mom" : "Call " + std::to_string(i), "Call " + std::to_string(i + 1));
  EXPECT_EQ(home->history().descriptions()->size(), 3u);
  EXPECT_TRUE(logs_.sink().contains(platform::LogLevel::info, "The history keeps the last 3 changes, 64 KiB at most"));

  // A change larger than the history may hold keeps an entry that says so. Skipping it reaches the
  // changes before it; one of those that cannot be undone any more is skipped with it.
  for (const char fill : {'n', 'm'}) {
    auto task = home->task("Pay rent");
    task->setNotes(std::string(80 << 10, fill));
    home->io().save(task, true);
    home->save(std::string("notes ") + fill);
  }
  const auto tooLarge = home->undo();
  ASSERT_FALSE(tooLarge);
  EXPECT_EQ(tooLarge.error(), HistoryErrc::tooLarge);
  EXPECT_NE(tooLarge.error().message().find("more than the history keeps (64 KiB)"), std::string::npos)
      << tooLarge.error().message();
  const auto skipped = home->undo(true);
  ASSERT_TRUE(skipped) << skipped.error().message();
  EXPECT_EQ(skipped->skipped.size(), 2u);
  EXPECT_EQ(skipped->undone, "edit 'Call 4'");
}

// The history keeps deleted tasks' bytes: only its user may read it.
TEST_F(HistoryTest, TheHistoryIsPrivate) {
  auto home = open();
  home->io().remove(home->task("Pay rent"), false);
  home->save("rm");
  struct stat st {};
  ASSERT_EQ(::stat((home_ / "history").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  for (const auto& e : fs::directory_iterator(home_ / "history")) {
    ASSERT_EQ(::stat(e.path().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u) << e.path();
  }
}

// Decoding what encoding wrote gives the entry back; the checks on paths hold for every step.
TEST(HistoryEntryTest, RoundTripsAndRefusesUnsafePaths) {
  detail::HistoryEntry e;
  e.description = "edit 'caf\xC3\xA9'";
  e.size = 3;
  e.files.push_back({"local/A/x.ics", false, std::string("a\0b", 3), detail::digestOf("new")});
  e.files.push_back({"local/B", true, std::nullopt, std::string()});
  e.tasks.push_back({"uid-1", detail::TaskState{true, {"a", "b"}}, std::nullopt});
  e.listOrderBefore = {{"local/A", 0}};
  e.listOrderAfter = {{"local/A", 1}, {"local/B", 0}};
  e.createdTags = {"b"};
  const auto back = detail::decodeEntry(detail::encodeEntry(e));
  ASSERT_TRUE(back) << back.error().message();
  EXPECT_EQ(back->description, e.description);
  ASSERT_EQ(back->files.size(), 2u);
  EXPECT_EQ(back->files[0].before, e.files[0].before);
  EXPECT_EQ(back->files[0].after, e.files[0].after);
  EXPECT_TRUE(back->files[1].folder);
  EXPECT_EQ(back->tasks[0].before, e.tasks[0].before);
  EXPECT_EQ(back->listOrderAfter, e.listOrderAfter);
  EXPECT_EQ(back->createdTags, e.createdTags);
  for (const char* path : {"", "/etc/passwd", "..", "a/../b", "a//b", "./a", "a/.", "a/"}) {
    EXPECT_FALSE(detail::isSafeRelativePath(path)) << path;
  }
  EXPECT_TRUE(detail::isSafeRelativePath(".default-calendar"));
  EXPECT_TRUE(detail::isSafeRelativePath("local/..x/a.ics"));
}

}  // namespace
}  // namespace zarvo
