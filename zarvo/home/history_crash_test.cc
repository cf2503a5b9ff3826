// Crash consistency of the history: a change, and then its undo, are each stopped at every one of their
// steps by a simulated power loss (what was not synced is lost). Whatever the step, the next process
// must be able to bring the home back to how it was before the change with `undo`: the change's entry
// reached the disk before any of its files changed (or the change did not happen), and an undo that
// was cut short finishes when run again; so does a redo of the undone change.
#include <unistd.h>

#include "zarvo/platform/filesystem.h"
#include "zarvo/testing/crash_file_system.h"
#include "zarvo/testing/history_home.h"

namespace zarvo::testing {
namespace {

namespace fs = std::filesystem;

using Operation = std::function<void(HistoryHome&)>;

class HistoryCrashTest : public ::testing::Test {
 protected:
  static constexpr int kMaxSteps = 200;

  void SetUp() override {
    fs::create_directories(pristine());
    HistoryHome home(pristine());
    reminders::testing::createStore(home.io().eventStore());
    home.io().loadLists();
    auto work = home.io().createList("Work");
    for (auto title : {"Edit me", "Delete me", "Move me"}) home.io().createTask(title);
    home.io().createTask("Work item", work);
    home.save();
    auto keep = home.task("Edit me");
    keep->setFlagged(true);
    home.tag(keep, {"kept"});
    home.save();
    fs::remove_all(pristine() / "history");
  }

  fs::path pristine() const { return tmp_.path() / "pristine"; }

  fs::path copyHome(const std::string& name) {
    const fs::path home = tmp_.path() / name;
    fs::copy(pristine(), home, fs::copy_options::recursive);
    return home;
  }

  static HistoryHome::View viewOf(const fs::path& home) {
    HistoryHome h(home);
    return h.view();
  }

  // Runs `work` on a file system that dies at `crashAt` (nothing: it does not), then loses power.
  // Answers whether the crash happened.
  static bool runAndCrash(const fs::path& home, const std::function<void(HistoryHome&, CrashingFileSystem&)>& work,
                          std::optional<int> crashAt) {
    return testing::runAndCrash(home, crashAt, [&](const std::shared_ptr<CrashingFileSystem>& crashing) {
      HistoryHome h(home, crashing);
      work(h, *crashing);
    });
  }

  static void changeAndSave(HistoryHome& h, CrashingFileSystem& crashing, const Operation& operation) {
    operation(h);
    h.save("the change", [&] {
      if (!crashing.step()) throw SimulatedCrash{};
    });
  }

  // Undoes (redoes) on a healthy file system until nothing is left; answers how many changes went.
  static int undoEverything(const fs::path& home, bool redo = false) {
    HistoryHome h(home);
    int undone = 0;
    for (;;) {
      const auto result = redo ? h.redo() : h.undo();
      if (!result) {
        EXPECT_EQ(result.error(), redo ? HistoryErrc::nothingToRedo : HistoryErrc::nothingToUndo)
            << result.error().message();
        return undone;
      }
      ++undone;
    }
  }

  void crashAtEveryStep(const std::string& name, const Operation& operation) {
    const HistoryHome::View before = viewOf(pristine());
    // The change, cut short at each step: undo brings back what was before.
    int step = 1;
    for (; step <= kMaxSteps; ++step) {
      const std::string where = name + ", crash at step " + std::to_string(step);
      const fs::path home = copyHome(name + "-" + std::to_string(step));
      const bool crashed = runAndCrash(
          home, [&](HistoryHome& h, CrashingFileSystem& c) { changeAndSave(h, c, operation); }, step);
      EXPECT_LE(undoEverything(home), 1) << where;
      EXPECT_EQ(viewOf(home), before) << where;
      fs::remove_all(home);
      if (!crashed || ::testing::Test::HasFailure()) break;
    }
    EXPECT_LE(step, kMaxSteps) << name << " took more steps than the test tries";

    // The undo of the whole change, cut short at each step: undo again finishes it.
    const fs::path changed = copyHome(name + "-changed");
    EXPECT_FALSE(runAndCrash(
        changed, [&](HistoryHome& h, CrashingFileSystem& c) { changeAndSave(h, c, operation); }, std::nullopt));
    EXPECT_NE(viewOf(changed), before) << name << " changed nothing";
    // The undo, then its redo, cut short at each step: undo (redo) again finishes it.
    const HistoryHome::View after = viewOf(changed);
    const fs::path undone = tmp_.path() / (name + "-undone");
    fs::copy(changed, undone, fs::copy_options::recursive);
    EXPECT_EQ(undoEverything(undone), 1) << name;
    for (const bool redo : {false, true}) {
      const std::string what = redo ? "redo" : "undo";
      for (step = 1; step <= kMaxSteps; ++step) {
        const std::string where = name + ", " + what + " crashed at step " + std::to_string(step);
        const fs::path home = tmp_.path() / (name + "-" + what + "-" + std::to_string(step));
        fs::copy(redo ? undone : changed, home, fs::copy_options::recursive);
        const bool crashed = runAndCrash(  // the crash is the outcome
            home, [&](HistoryHome& h, CrashingFileSystem&) { (void)(redo ? h.redo() : h.undo()); }, step);
        EXPECT_LE(undoEverything(home, redo), 1) << where;
        EXPECT_EQ(viewOf(home), redo ? after : before) << where;
        if (!redo) {  // what the undo kept to redo survived it
          EXPECT_EQ(undoEverything(home, true), 1) << where;
          EXPECT_EQ(viewOf(home), after) << where;
        }
        fs::remove_all(home);
        if (!crashed || ::testing::Test::HasFailure()) break;
      }
      EXPECT_LE(step, kMaxSteps) << name << " (" << what << ") took more steps than the test tries";
    }
  }

  TempDir tmp_{"zarvo-history-crash"};
  platform::ScopedLogCapture logs_;  // failed writes log errors by design
};

TEST_F(HistoryCrashTest, EditingFlaggingAndTaggingATask) {
  crashAtEveryStep("edit", [](HistoryHome& h) {
    auto task = h.task("Edit me");
    task->setTitle("Edited");
    task->setFlagged(false);
    h.tag(task, {"kept", "new"});
  });
}

TEST_F(HistoryCrashTest, AddingAndDeletingTasks) {
  crashAtEveryStep("add and delete", [](HistoryHome& h) {
    h.io().remove(h.task("Delete me"), false);
    h.io().createTask("Added", h.io().list("Work"), std::nullopt, true);
  });
}

TEST_F(HistoryCrashTest, MovingATask) {
  crashAtEveryStep("move", [](HistoryHome& h) { h.io().move(h.task("Move me"), h.io().list("Work")); });
}

TEST_F(HistoryCrashTest, AddingAndRemovingLists) {
  crashAtEveryStep("list add", [](HistoryHome& h) {
    h.io().createList("Later")->setOrder(5);
  });
  crashAtEveryStep("list removal", [](HistoryHome& h) {
    h.allTasks();
    h.io().remove(h.io().list("Work"));
  });
}

}  // namespace
}  // namespace zarvo::testing
