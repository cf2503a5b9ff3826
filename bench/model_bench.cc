// The records on the object store with 10,000 tasks: opening the database, look-ups by reminder,
// saving changes, the today filter and the due-date sorter.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>

#include "zarvo/model/task.h"
#include "zarvo/platform/date_calendar.h"
#include "zarvo/reminders/naming.h"

namespace {

using namespace zarvo;
constexpr int kTasks = 10'000;

// A database of kTasks saved tasks and the in-memory reminders they mirror, made once.
struct Fixture {
  std::filesystem::path dir;
  std::string path;
  std::vector<std::shared_ptr<reminders::Reminder>> reminders;

  Fixture() {
    std::string templ = (std::filesystem::temp_directory_path() / "zarvo-bench-XXXXXX").string();
    dir = mkdtemp(templ.data());
    path = (dir / "records.sqlite").string();
    auto source = std::make_shared<reminders::Source>("local", std::string(reminders::kLocalSourceTitle), reminders::SourceType::local);
    auto calendar = std::make_shared<reminders::Calendar>("local/reminders", reminders::EntityType::reminder);
    calendar->setSource(source);
    const Date now = platform::Clock::currentNow();
    auto context = openObjectContext(path);
    for (int i = 0; i < kTasks; ++i) {
      auto r = std::make_shared<reminders::Reminder>("uid-" + std::to_string(i));
      r->setCalendar(calendar);
      r->setTitle("Task " + std::to_string(i));
      reminders.push_back(r);
      auto task = Task::create(r, context);
      // Due dates spread over three weeks around now; every tenth task has none.
      if (i % 10 != 0) task->setDueDate(now + std::chrono::minutes((i * 37) % (21 * 24 * 60) - 10 * 24 * 60));
    }
    context->save();
  }
  ~Fixture() { std::filesystem::remove_all(dir); }
};

Fixture& fixture() {
  static Fixture f;
  return f;
}

void BM_OpenDatabase(benchmark::State& state) {
  auto& f = fixture();
  for (auto _ : state) benchmark::DoNotOptimize(openObjectContext(f.path));
}
BENCHMARK(BM_OpenDatabase)->Unit(benchmark::kMicrosecond);

void BM_OpenAndFetchAllTasks(benchmark::State& state) {
  auto& f = fixture();
  for (auto _ : state) {
    auto context = openObjectContext(f.path);
    benchmark::DoNotOptimize(context->fetch(Task::fetchRequest()));
  }
}
BENCHMARK(BM_OpenAndFetchAllTasks)->Unit(benchmark::kMillisecond);

// One iteration is one look-up; every reminder is looked up in turn.
void BM_LookUpTaskByReminder(benchmark::State& state) {
  auto& f = fixture();
  auto context = openObjectContext(f.path);
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(Task::fetch(f.reminders[i], context));
    i = (i + 1) % f.reminders.size();
  }
}
BENCHMARK(BM_LookUpTaskByReminder)->Unit(benchmark::kMicrosecond);

// One iteration changes 1,000 tasks (untimed) and saves them (timed).
void BM_Save1000ChangedTasks(benchmark::State& state) {
  auto& f = fixture();
  auto context = openObjectContext(f.path);
  auto tasks = context->fetch<Task>(Task::fetchRequest());
  size_t offset = 0;
  bool flag = true;
  for (auto _ : state) {
    for (size_t i = 0; i < 1000; ++i) tasks[(offset + i) % tasks.size()]->setFlagged(flag);
    const auto start = std::chrono::steady_clock::now();
    context->save();
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    offset += 1000;
    if (offset >= tasks.size()) {
      offset = 0;
      flag = !flag;
    }
  }
}
BENCHMARK(BM_Save1000ChangedTasks)->UseManualTime()->Unit(benchmark::kMillisecond);

std::vector<std::shared_ptr<Task>> linkedTasks(const std::shared_ptr<store::ObjectContext>& context) {
  auto& f = fixture();
  std::vector<std::shared_ptr<Task>> tasks;
  for (auto& r : f.reminders) tasks.push_back(Task::fetch(r, context));
  return tasks;
}

void BM_TodayFilterOverAllTasks(benchmark::State& state) {
  auto context = openObjectContext(fixture().path);
  auto tasks = linkedTasks(context);
  for (auto _ : state) {
    auto today = Task::filterForTodayTasks();
    size_t kept = 0;
    for (auto& t : tasks) kept += today(*t);
    benchmark::DoNotOptimize(kept);
  }
}
BENCHMARK(BM_TodayFilterOverAllTasks)->Unit(benchmark::kMillisecond);

void BM_DueDateSorterOverAllTasks(benchmark::State& state) {
  auto context = openObjectContext(fixture().path);
  auto tasks = linkedTasks(context);
  for (auto _ : state) benchmark::DoNotOptimize(sorted(tasks, Task::sorterForDueDate(true)));
}
BENCHMARK(BM_DueDateSorterOverAllTasks)->Unit(benchmark::kMillisecond);

}  // namespace
