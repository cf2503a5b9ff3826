// Crash consistency: every write path is stopped at each of its steps by a simulated power loss
// (what was not synced is lost), the home is opened again, and every task must be either its old or
// its new version: never missing, doubled or half-written; records and files must agree.
//
// The writes are made the way a home saves them: held in the reminders store, then put in place
// together with the records' commit (EventStore::commitWith), the records' commit counting as one
// more step at which the process may die.
#include <unistd.h>

#include <map>
#include <set>

#include "zarvo/testing/calendar_io_fixture.h"
#include "zarvo/testing/crash_file_system.h"

namespace zarvo::testing {
namespace {

namespace fs = std::filesystem;

struct TaskState {
  std::string title;
  std::string list;
  bool completed = false;
  bool operator==(const TaskState&) const = default;
};

struct Snapshot {
  std::map<std::string, TaskState> tasks;  // by UID
  std::set<std::string> lists;
};

std::string describe(const std::optional<TaskState>& s) {
  return s ? "'" + s->title + "' in " + s->list + (s->completed ? ", completed" : "") : "absent";
}

// One process's view of a home: the reminders store (holding its commits, as a home does), the
// records and CalendarIO over both.
class Session {
 public:
  Session(const fs::path& home, std::shared_ptr<platform::FileSystem> fileSystem, CrashingFileSystem* crashing = nullptr)
      : crashing_(crashing) {
    reminders::EventStoreOptions options;
    options.root = home / "reminders";
    options.fileSystem = std::move(fileSystem);
    options.watchForChanges = false;
    options.holdCommits = true;
    options.fileCachePath = home / "reminders.cache";
    context = openObjectContext((home / "records.sqlite").string());
    io = Access::make(options);
    io->setManagedContext(context);
    io->loadLists();
  }
  // Closes the records now, as a home does: a copy of the folder made next must not race the
  // database folding its write-ahead log back.
  ~Session() {
    io.reset();
    platform::MainQueue::drain();
    context->close();
  }

  CalendarIO::TaskArray fetch(bool completedOnly) {
    std::promise<CalendarIO::TaskArray> answer;
    io->fetch(std::nullopt, completedOnly, [&](const CalendarIO::TaskArray& tasks) { answer.set_value(tasks); });
    auto future = answer.get_future();
    if (future.wait_for(kPatience) != std::future_status::ready) throw std::runtime_error("fetch never answered");
    std::promise<void> idle;
    context->perform([&] { idle.set_value(); });
    idle.get_future().wait();
    context->performAndWait([] {});  // and the item's own announcement after it
    return future.get();
  }

  CalendarIO::TaskArray allTasks() {
    auto tasks = fetch(false);
    for (auto& t : fetch(true)) tasks.push_back(std::move(t));
    return tasks;
  }

  std::shared_ptr<Task> task(const std::string& title) {
    for (auto& t : allTasks()) {
      if (t->title() == title) return t;
    }
    throw std::runtime_error("no task '" + title + "'");
  }

  // As a home saves: orphaned records pruned, records written in a transaction, task files put in
  // place, records committed (a step of its own), the file cache written.
  void save() {
    io->pruneOrphanedTasks();
    auto records = context->prepareSave();
    io->eventStore().commitWith([&] {
      if (crashing_ && !crashing_->step()) throw SimulatedCrash{};
      records->commit();
    });
    platform::MainQueue::drain();
    io->eventStore().saveFileCache();
  }

  std::shared_ptr<store::ObjectContext> context;
  std::unique_ptr<CalendarIO> io;

 private:
  CrashingFileSystem* crashing_;
};

using Operation = std::function<void(Session&)>;

class CrashConsistencyTest : public ::testing::Test {
 protected:
  static constexpr int kMaxSteps = 200;

  void SetUp() override {
    const fs::path home = pristine();
    fs::create_directories(home);
    {
      auto options = reminders::testing::optionsFor(home / "reminders");
      reminders::EventStore store(options);
      reminders::testing::createStore(store);
      auto inbox = store.defaultCalendarForNewReminders();
      auto work = newCalendar(store, "Work");
      auto errands = newCalendar(store, "Errands");
      for (auto title : {"Keep", "Edit me", "Finish me", "Move me", "Delete me"}) newReminder(store, inbox, title);
      newReminder(store, inbox, "Done already", true);
      newReminder(store, work, "Work item");
      newReminder(store, work, "Work done", true);
      newReminder(store, errands, "Milk");
      newReminder(store, errands, "Bread");
    }
    Session session(home, platform::FileSystem::posix());
    session.task("Keep")->setFlagged(true);  // kept only in the records
    session.save();
  }

  fs::path pristine() const { return tmp_.path() / "pristine"; }

  static std::shared_ptr<reminders::Calendar> newCalendar(reminders::EventStore& store, const std::string& title) {
    auto calendar = reminders::Calendar::calendarForEntityType(reminders::EntityType::reminder, store);
    calendar->setTitle(title);
    store.saveCalendar(calendar, true);
    return calendar;
  }

  static void newReminder(reminders::EventStore& store, const std::shared_ptr<reminders::Calendar>& calendar,
                          const std::string& title, bool completed = false) {
    auto r = reminders::Reminder::reminderWithEventStore(store);
    r->setCalendar(calendar);
    r->setTitle(title);
    r->setCompleted(completed);
    store.saveReminder(r, true);
  }

  // A fresh copy of the pristine home.
  fs::path copyHome(const std::string& name) {
    const fs::path home = tmp_.path() / name;
    fs::copy(pristine(), home, fs::copy_options::recursive);
    return home;
  }

  // Runs `operation` and saves, on a file system that dies at `crashAt` (nothing: it does not),
  // then loses power. Answers whether the crash happened.
  bool runAndCrash(const fs::path& home, const Operation& operation, std::optional<int> crashAt) {
    return testing::runAndCrash(home, crashAt, [&](const std::shared_ptr<CrashingFileSystem>& crashing) {
      Session session(home, crashing, crashing.get());
      operation(session);
      session.save();
    });
  }

  // Opens the home as the next process would and reads what it holds, checking what must hold
  // whatever the crash: each task once, every file readable, no leftovers, records matching files.
  Snapshot observe(const fs::path& home, const std::string& where) {
    Snapshot snapshot;
    Session session(home, platform::FileSystem::posix());
    for (const auto& list : session.io->lists()) snapshot.lists.insert(list->title());
    std::map<std::string, std::string> listTitles;  // by calendar identifier
    for (const auto& list : session.io->lists()) {
      if (list->calendar()) listTitles[list->calendar()->calendarIdentifier()] = list->title();
    }
    for (const auto& task : session.allTasks()) {
      const std::string uid = task->reminderId().value_or("");
      const bool fresh =
          snapshot.tasks.emplace(uid, TaskState{task->title().value_or(""), listTitles[task->calendarId()], task->isCompleted()})
              .second;
      EXPECT_TRUE(fresh) << where << ": task '" << task->title().value_or("") << "' is there twice";
      if (task->title() == "Keep") {
        EXPECT_TRUE(task->flagged()) << where << ": a saved flag was lost";
      }
    }
    for (const auto& skipped : session.io->eventStore().skippedFiles()) {
      ADD_FAILURE() << where << ": " << skipped.path << " was skipped: " << skipped.reason;
    }
    for (const auto& entry : fs::recursive_directory_iterator(home / "reminders")) {
      const std::string name = entry.path().filename().string();
      EXPECT_FALSE(name.starts_with(".zarvo-") || name.find(".conflict-") != std::string::npos)
          << where << ": " << entry.path() << " was left behind";
    }
    session.io->pruneOrphanedTasks();
    std::multiset<std::string> recorded;
    for (const auto& record : session.context->fetch<Task>(Task::fetchRequest())) {
      recorded.insert(record->reminderId().value_or(""));
    }
    std::multiset<std::string> filed;
    for (const auto& [uid, state] : snapshot.tasks) filed.insert(uid);
    EXPECT_EQ(recorded, filed) << where << ": the records and the task files disagree";
    return snapshot;
  }

  // `snapshot` with the tasks that `before` does not have keyed by title instead of UID: a task an
  // operation creates gets a new UID each run. A title seen twice is a task made twice.
  static Snapshot comparable(Snapshot snapshot, const Snapshot& before) {
    std::map<std::string, TaskState> tasks;
    for (auto& [uid, state] : snapshot.tasks) {
      const std::string key = before.tasks.contains(uid) ? uid : "new '" + state.title + "'";
      EXPECT_TRUE(tasks.emplace(key, state).second) << "task '" << state.title << "' was made twice";
    }
    snapshot.tasks = std::move(tasks);
    return snapshot;
  }

  // Crashes `operation` at every one of its steps in turn and checks each outcome against the
  // state before and after it. Answers the number of steps.
  int crashAtEveryStep(const std::string& name, const Operation& operation) {
    const Snapshot before = observe(copyHome(name + "-before"), name + " (before)");
    const fs::path completed = copyHome(name + "-after");
    EXPECT_FALSE(runAndCrash(completed, operation, std::nullopt));
    const Snapshot after = comparable(observe(completed, name + " (power lost after it ended)"), before);
    EXPECT_NE(before.tasks, after.tasks) << name << " changed nothing";
    int step = 1;
    for (; step <= kMaxSteps; ++step) {
      const std::string where = name + ", crash at step " + std::to_string(step);
      const fs::path home = copyHome(name + "-" + std::to_string(step));
      if (!runAndCrash(home, operation, step)) break;  // the operation ended before this step
      const Snapshot seen = comparable(observe(home, where), before);
      std::set<std::string> keys;
      for (const auto* s : {&before, &after, &seen}) {
        for (const auto& [key, state] : s->tasks) keys.insert(key);
      }
      for (const auto& key : keys) {
        auto find = [&](const Snapshot& s) -> std::optional<TaskState> {
          auto it = s.tasks.find(key);
          return it == s.tasks.end() ? std::nullopt : std::optional(it->second);
        };
        const auto now = find(seen);
        EXPECT_TRUE(now == find(before) || now == find(after))
            << where << ": task " << key << " is " << describe(now) << ", was " << describe(find(before))
            << ", would be " << describe(find(after));
      }
      EXPECT_TRUE(seen.lists == before.lists || seen.lists == after.lists)
          << where << ": the lists are neither the old nor the new ones";
      if (::testing::Test::HasFailure()) break;
      std::error_code ignored;  // the records may still be closing; the temporary folder goes at the end anyway
      fs::remove_all(home, ignored);
    }
    EXPECT_LE(step, kMaxSteps) << name << " took more steps than the test tries";
    return step;
  }

  TempDir tmp_{"zarvo-crash"};
  platform::ScopedLogCapture logs_;  // failed writes log errors by design
};

TEST_F(CrashConsistencyTest, CreatingATask) {
  crashAtEveryStep("create", [](Session& s) { s.io->createTask("New", s.io->list("Work"), std::string("notes"), true); });
}

TEST_F(CrashConsistencyTest, EditingATask) {
  crashAtEveryStep("edit", [](Session& s) {
    auto task = s.task("Edit me");
    task->setTitle("Edited");
    s.io->save(task, false);
  });
}

TEST_F(CrashConsistencyTest, CompletingATask) {
  crashAtEveryStep("complete", [](Session& s) {
    auto task = s.task("Finish me");
    task->setIsCompleted(true);
    s.io->save(task, false);
  });
}

TEST_F(CrashConsistencyTest, MovingATask) {
  // Both ways between two lists, so that whichever folder a commit syncs first, one move tries it.
  crashAtEveryStep("move", [](Session& s) { s.io->move(s.task("Move me"), s.io->list("Work")); });
  crashAtEveryStep("move back", [](Session& s) { s.io->move(s.task("Work item"), s.io->list("Reminders")); });
}

TEST_F(CrashConsistencyTest, DeletingATask) {
  crashAtEveryStep("delete", [](Session& s) { s.io->remove(s.task("Delete me"), true); });
}

TEST_F(CrashConsistencyTest, SeveralChangesInOneCommit) {
  crashAtEveryStep("several", [](Session& s) {
    auto edited = s.task("Edit me");
    edited->setTitle("Edited");
    s.io->save(edited, true);
    s.io->move(s.task("Move me"), s.io->list("Errands"));
    s.io->remove(s.task("Delete me"), false);
    s.io->createTask("New", s.io->list("Errands"));
  });
}

TEST_F(CrashConsistencyTest, PurgingCompletedTasks) {
  crashAtEveryStep("purge", [](Session& s) {
    s.allTasks();
    std::atomic<bool> ended{false};
    s.io->purgeCompleted([&] { ended = true; }, [&] { ended = true; });
    if (!eventually([&] { return ended.load(); })) throw std::runtime_error("the purge never ended");
  });
}

TEST_F(CrashConsistencyTest, RemovingAList) {
  crashAtEveryStep("list removal", [](Session& s) {
    s.allTasks();
    s.io->remove(s.io->list("Errands"));
  });
}

}  // namespace
}  // namespace zarvo::testing
