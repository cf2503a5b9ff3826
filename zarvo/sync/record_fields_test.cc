// The flag, order and tags a task's file carries, as another machine or another client leaves them,
// read back into the records by a refresh.
#include <gmock/gmock.h>

#include <set>

#include "zarvo/model/tag.h"
#include "zarvo/testing/calendar_io_fixture.h"
#include "zarvo/testing/files.h"

namespace zarvo::testing {
namespace {

// A multiset: a tag that reaches the task twice is a fault the titles alone would hide.
std::multiset<std::string> tagTitles(const Task& task) {
  std::multiset<std::string> out;
  for (const auto& t : task.tags()) out.insert(t->title().value_or(""));
  return out;
}

class RecordFieldsTest : public CalendarIOTest {
 protected:
  void SetUp() override {
    CalendarIOTest::SetUp();
    io_->setCarriesRecordFields(true);
    io_->loadLists();
  }

  // A task saved here, flagged, in place 3, tagged "travel" and "Work"; answers its file.
  std::filesystem::path savedTask(const std::string& title) {
    auto task = io_->createTask(title, nullptr, std::nullopt, true, 0, std::nullopt);
    task->setOrder(3);
    task->setTags({Tag::fetchOrCreate("travel", context_), Tag::fetchOrCreate("Work", context_)});
    io_->save(task, false);
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root_)) {
      if (readFile(entry.path()).find("SUMMARY:" + title + "\r\n") != std::string::npos) return entry.path();
    }
    ADD_FAILURE() << "no file for " << title;
    return {};
  }

  // The file as another writer leaves it: every line of the record fields gone, `lines` added.
  static void rewrite(const std::filesystem::path& file, const std::string& lines) {
    const std::string written = readFile(file);
    std::string text;
    for (size_t at = 0; at < written.size();) {
      const size_t end = written.find('\n', at) + 1;
      const std::string line = written.substr(at, end - at);
      if (line == "END:VTODO\r\n") text += lines;
      if (!line.starts_with("X-ZARVO-") && !line.starts_with("CATEGORIES")) text += line;
      at = end;
    }
    writeFile(file, text);
  }

  std::shared_ptr<Task> refreshed(const std::string& title) {
    io_->eventKitStoreChanged({});
    for (const auto& t : fetch()) {
      if (t->title() == title) return t;
    }
    return nullptr;
  }
};

// A file carrying zarvo's flag line was last written by a zarvo: its flag, order and categories are
// the truth, including no categories at all. A file without it cannot say: nothing is taken away.
TEST_F(RecordFieldsTest, TheLastZarvoToWriteTheFileWinsAndOtherClientsOnlyAdd) {
  struct Row {
    const char* what;
    const char* lines;
    bool flagged;
    int order;
    std::multiset<std::string> tags;
  };
  const Row rows[] = {
      {"another client, no categories", "", true, 3, {"travel", "Work"}},
      {"another client, a category of its own", "CATEGORIES:Family\r\n", true, 3, {"Family", "travel", "Work"}},
      {"another client, a tag of ours in other capitals", "CATEGORIES:TRAVEL\r\n", true, 3, {"travel", "Work"}},
      {"another client, the flag unknown to it", "X-OTHER-FLAG:FALSE\r\n", true, 3, {"travel", "Work"}},
      {"zarvo elsewhere, unflagged, one category", "X-ZARVO-FLAGGED:FALSE\r\nCATEGORIES:Family\r\n", false, 3,
       {"Family"}},
      {"zarvo elsewhere, the last tag removed", "X-ZARVO-FLAGGED:TRUE\r\n", true, 3, {}},
      {"zarvo elsewhere, unflagged, no tags", "X-ZARVO-FLAGGED:FALSE\r\n", false, 3, {}},
      {"zarvo elsewhere, moved", "X-ZARVO-FLAGGED:TRUE\r\nX-ZARVO-ORDER:7\r\nCATEGORIES:travel,Work\r\n", true, 7,
       {"travel", "Work"}},
      {"zarvo elsewhere, a tag in other capitals", "X-ZARVO-FLAGGED:TRUE\r\nCATEGORIES:TRAVEL\r\n", true, 3,
       {"travel"}},
      {"zarvo elsewhere, a wildcard category", "X-ZARVO-FLAGGED:TRUE\r\nCATEGORIES:a*b,Work\r\n", true, 3, {"Work"}},
  };
  int n = 0;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const std::string title = "Plan trip " + std::to_string(++n);
    const auto file = savedTask(title);
    rewrite(file, row.lines);
    const auto task = refreshed(title);
    ASSERT_NE(task, nullptr);
    EXPECT_EQ(task->flagged(), row.flagged);
    EXPECT_EQ(task->order(), row.order);
    EXPECT_EQ(tagTitles(*task), row.tags);
  }
}

// Another client's spelling of a category that is one of the task's tags is its to keep: a save here
// writes the line as it was, not a second spelling beside it.
TEST_F(RecordFieldsTest, ASaveKeepsAnotherClientsSpellingOfATag) {
  const auto file = savedTask("Pack bags");
  rewrite(file, "CATEGORIES:TRAVEL,Work\r\n");
  auto task = refreshed("Pack bags");
  ASSERT_NE(task, nullptr);
  task->setTitle("Pack the bags");
  io_->save(task, false);
  const std::string text = readFile(file);
  EXPECT_NE(text.find("CATEGORIES:TRAVEL,Work\r\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("travel"), std::string::npos) << text;
}

}  // namespace
}  // namespace zarvo::testing
