// Model-based random test: random sequences of creations, edits, completions, moves, deletions,
// purges and list reorderings through CalendarIO, interleaved with another program editing,
// creating and deleting task files on disk (sometimes in the instant between CalendarIO's read and
// its write), checked after every step against a plain map of what the tasks should be.
//
// Seeded: a failure names its seed; ZARVO_MODEL_SEED=<n> replays one seed, ZARVO_MODEL_SEEDS=<n>
// runs n seeds instead of the few the suite runs by default.
#include <cstdlib>
#include <map>
#include <numeric>
#include <random>

#include "zarvo/testing/calendar_io_fixture.h"
#include "zarvo/testing/files.h"

namespace zarvo::testing {
namespace {

namespace fs = std::filesystem;

struct Expected {
  std::string title;
  std::string calendarId;
  bool completed = false;
  bool operator==(const Expected&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Expected& e) {
  return out << "'" << e.title << "' in " << e.calendarId << (e.completed ? " (completed)" : "");
}

class CalendarIOModelTest : public CalendarIOTest {
 protected:
  static constexpr int kStepsPerSeed = 60;

  void SetUp() override {
    CalendarIOTest::SetUp();
    addCalendar("Work");
    addCalendar("Home");
    io_->loadLists();
    for (const auto& list : io_->lists()) order_.push_back(list->calendar()->calendarIdentifier());
  }

  // Every task, read fresh from the store (the fetches alternate, so each one reads the files).
  CalendarIO::TaskArray everything() {
    auto tasks = fetch(std::nullopt, false);
    for (auto& t : fetch(std::nullopt, true)) tasks.push_back(std::move(t));
    return tasks;
  }

  // The file holding the task `uid`, as another program would find it.
  fs::path fileOf(const std::string& uid) {
    for (const auto& entry : fs::recursive_directory_iterator(root_)) {
      if (entry.path().extension() == ".ics" && readFile(entry.path()).find("UID:" + uid + "\r\n") != std::string::npos) {
        return entry.path();
      }
    }
    ADD_FAILURE() << "no file holds task " << uid;
    return {};
  }

  // Another program's atomic rewrite: a temporary file renamed over the task file.
  static void replaceFile(const fs::path& path, const std::string& contents) {
    const fs::path temporary = path.parent_path() / ".other-program.tmp";
    writeFile(temporary, contents);
    fs::rename(temporary, path);
  }

  void otherProgramRetitles(const std::string& uid, const std::string& title) {
    const fs::path path = fileOf(uid);
    std::string text = readFile(path);
    const size_t at = text.find("\r\nSUMMARY");
    ASSERT_NE(at, std::string::npos) << text;
    const size_t end = text.find("\r\n", at + 2);
    text.replace(at, end - at, "\r\nSUMMARY:" + title);
    replaceFile(path, text);
    model_[uid].title = title;
  }

  void otherProgramCreates(const std::string& calendarId, const std::string& uid, const std::string& title) {
    writeFile(root_ / calendarId / (uid + ".ics"),
              "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//other program//EN\r\nBEGIN:VTODO\r\nUID:" + uid +
                  "\r\nDTSTAMP:20240301T090000Z\r\nSUMMARY:" + title + "\r\nSTATUS:NEEDS-ACTION\r\nEND:VTODO\r\nEND:VCALENDAR\r\n");
    model_[uid] = Expected{title, calendarId, false};
  }

  // Compares the store, the records and the lists' order with the model.
  void check(int step) {
    SCOPED_TRACE("after step " + std::to_string(step));
    std::map<std::string, Expected> seen;
    for (const auto& task : everything()) {
      const std::string uid = task->reminderId().value_or("");
      EXPECT_TRUE(seen.emplace(uid, Expected{task->title().value_or(""), task->calendarId(), task->isCompleted()}).second)
          << "task " << uid << " is there twice";
    }
    EXPECT_EQ(seen, model_);
    io_->pruneOrphanedTasks();
    context_->save();
    std::multiset<std::string> recorded, expected;
    for (const auto& record : context_->fetch<Task>(Task::fetchRequest())) recorded.insert(record->reminderId().value_or(""));
    for (const auto& [uid, e] : model_) expected.insert(uid);
    EXPECT_EQ(recorded, expected) << "records and task files disagree";
    io_->loadLists();  // the order as the records keep it
    std::vector<std::string> order;
    for (const auto& list : io_->lists()) order.push_back(list->calendar()->calendarIdentifier());
    EXPECT_EQ(order, order_);
    EXPECT_TRUE(store_->skippedFiles().empty());
  }

  void runSeed(uint32_t seed) {
    SCOPED_TRACE("seed " + std::to_string(seed) + " (replay with ZARVO_MODEL_SEED=" + std::to_string(seed) + ")");
    std::mt19937 random(seed);
    auto pick = [&](size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random); };
    int made = 0;
    for (int step = 0; step < kStepsPerSeed && !HasFailure(); ++step) {
      const auto tasks = everything();
      const auto lists = io_->lists();
      const auto list = lists[pick(lists.size())];
      const std::string calendarId = list->calendar()->calendarIdentifier();
      const std::string title = "Task " + std::to_string(seed) + "." + std::to_string(++made);
      const size_t kind = pick(tasks.empty() ? 3 : 11);
      if (kind == 0) {
        auto task = io_->createTask(title, list);
        model_[task->reminderId().value_or("")] = Expected{title, calendarId, false};
      } else if (kind == 1) {
        otherProgramCreates(calendarId, "other-" + std::to_string(seed) + "-" + std::to_string(made), title);
      } else if (kind == 2) {
        const auto above = lists[pick(lists.size())];
        io_->reorder(list, above);
        const auto from = std::find(order_.begin(), order_.end(), calendarId);
        const auto target = std::find(order_.begin(), order_.end(), above->calendar()->calendarIdentifier()) - order_.begin();
        order_.erase(from);
        order_.insert(order_.begin() + target, calendarId);
      } else {
        const auto task = tasks[pick(tasks.size())];
        const std::string uid = task->reminderId().value_or("");
        Expected& expected = model_[uid];
        switch (kind) {
          case 3:
            task->setTitle(title);
            io_->save(task, false);
            expected.title = title;
            break;
          case 4:
            task->setIsCompleted(!task->isCompleted());
            io_->save(task, false);
            expected.completed = !expected.completed;
            break;
          case 5:
            io_->move(task, list);
            expected.calendarId = calendarId;
            break;
          case 6:
            io_->remove(task, true);
            model_.erase(uid);
            break;
          case 7: {
            std::atomic<bool> ended{false};
            io_->purgeCompleted([&] { ended = true; }, [&] { ended = true; });
            ASSERT_TRUE(eventually([&] { return ended.load(); }));
            std::erase_if(model_, [](const auto& entry) { return entry.second.completed; });
            break;
          }
          case 8:
            otherProgramRetitles(uid, title);
            break;
          case 9:
            fs::remove(fileOf(uid));
            model_.erase(uid);
            break;
          case 10: {
            // The other program writes between CalendarIO's read and its write: its version stays.
            otherProgramRetitles(uid, title + " (theirs)");
            task->setTitle(title);
            bool conflict = false;
            try {
              io_->save(task, false);
            } catch (const reminders::StoreError& e) {
              conflict = e.code() == reminders::StoreErrorCode::conflict;
            }
            EXPECT_TRUE(conflict) << "an edit overwrote another program's change";
            break;
          }
        }
      }
      context_->save();
      check(step);
    }
  }

  static std::vector<uint32_t> seeds() {
    if (const char* one = std::getenv("ZARVO_MODEL_SEED")) return {static_cast<uint32_t>(std::strtoul(one, nullptr, 10))};
    uint32_t count = 4;
    if (const char* many = std::getenv("ZARVO_MODEL_SEEDS")) count = static_cast<uint32_t>(std::strtoul(many, nullptr, 10));
    std::vector<uint32_t> all(count);
    std::iota(all.begin(), all.end(), 1u);
    return all;
  }

  std::map<std::string, Expected> model_;  // by UID
  std::vector<std::string> order_;         // calendar identifiers, in the lists' order
};

TEST_F(CalendarIOModelTest, RandomOperationsMatchTheModel) {
  for (uint32_t seed : seeds()) {
    // Each seed starts from the three lists, emptied.
    for (const auto& task : everything()) io_->remove(task, true);
    model_.clear();
    context_->save();
    runSeed(seed);
    if (HasFailure()) break;
  }
}

}  // namespace
}  // namespace zarvo::testing
