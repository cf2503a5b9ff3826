// CalendarIO over a reminders store of 10,000 open reminders in 10 lists: the first fetch (cold
// refresh), a refresh with nothing changed, a cache hit, createTask + commit, and purgeCompleted of
// 1,000 completed tasks.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <future>
#include <thread>

#include "zarvo/model/item.h"
#include "zarvo/platform/dispatch.h"
#include "zarvo/reminders/internal/file_cache.h"
#include "zarvo/sync/calendar_io.h"
#include "zarvo/sync/internal/calendar_io_testing.h"

namespace {

using namespace zarvo;
constexpr int kLists = 10;
constexpr int kReminders = 10'000;
constexpr int kCompleted = 1'000;

reminders::EventStoreOptions optionsFor(const std::filesystem::path& root) {
  reminders::EventStoreOptions options;
  options.root = root;
  options.watchForChanges = false;
  return options;
}

// A store of kReminders open reminders spread over kLists calendars, and a records database holding
// their (saved) Task and List records, as after an earlier run of the application. Made once.
struct Fixture {
  std::filesystem::path dir;
  reminders::EventStoreOptions options;
  std::string database;

  Fixture() {
    std::string templ = (std::filesystem::temp_directory_path() / "zarvo-sync-bench-XXXXXX").string();
    dir = mkdtemp(templ.data());
    options = optionsFor(dir / "reminders");
    database = (dir / "records.sqlite").string();
    reminders::EventStore store(options);
    std::promise<bool> granted;
    store.requestAccessToEntityType(reminders::EntityType::reminder,
                                    [&](bool ok, std::optional<reminders::StoreError>) { granted.set_value(ok); });
    if (!granted.get_future().get()) throw std::runtime_error("no access to the benchmark store");
    std::vector<std::shared_ptr<reminders::Calendar>> calendars;
    for (int i = 0; i < kLists; ++i) {
      auto calendar = reminders::Calendar::calendarForEntityType(reminders::EntityType::reminder, store);
      calendar->setTitle("List " + std::to_string(i));
      store.saveCalendar(calendar, true);
      calendars.push_back(calendar);
    }
    for (int i = 0; i < kReminders; ++i) {
      auto r = reminders::Reminder::reminderWithEventStore(store);
      r->setCalendar(calendars[i % kLists]);
      r->setTitle("Task " + std::to_string(i));
      r->setPriority(i % 10);
      store.saveReminder(r, false);
    }
    store.commit();
    // First run: the records are made and saved.
    auto io = CalendarIOTestAccess::make(options);
    auto context = openObjectContext(database);
    io->setManagedContext(context);
    fetch(*io, false);
    context->save();
  }
  ~Fixture() {
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
  }

  static size_t fetch(CalendarIO& io, bool completedOnly) {
    std::promise<size_t> done;
    io.fetch(std::nullopt, completedOnly, [&](const CalendarIO::TaskArray& tasks) { done.set_value(tasks.size()); });
    size_t n = done.get_future().get();
    platform::MainQueue::drain();
    return n;
  }

  static void refresh(CalendarIO& io) {
    std::promise<void> done;
    io.refresh(true, [&] { done.set_value(); });
    done.get_future().wait();
    platform::MainQueue::drain();
  }
};

Fixture& fixture() {
  static Fixture f;
  return f;
}

// A new instance and context, nothing parsed yet: what an application pays on its first fetch.
void BM_FirstFetchColdRefresh(benchmark::State& state) {
  auto& f = fixture();
  for (auto _ : state) {
    state.PauseTiming();
    reminders::clearSharedFileCache();
    auto io = CalendarIOTestAccess::make(f.options);
    auto context = openObjectContext(f.database);
    io->setManagedContext(context);
    state.ResumeTiming();
    if (Fixture::fetch(*io, false) != kReminders) state.SkipWithError("wrong number of tasks");
    state.PauseTiming();
    io.reset();
    context.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_FirstFetchColdRefresh)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

// The same instance refreshing again with nothing changed on disk.
void BM_RefreshUnchanged(benchmark::State& state) {
  auto& f = fixture();
  auto io = CalendarIOTestAccess::make(f.options);
  auto context = openObjectContext(f.database);
  io->setManagedContext(context);
  Fixture::fetch(*io, false);
  for (auto _ : state) Fixture::refresh(*io);
}
BENCHMARK(BM_RefreshUnchanged)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();

void BM_FetchCacheHit(benchmark::State& state) {
  auto& f = fixture();
  auto io = CalendarIOTestAccess::make(f.options);
  auto context = openObjectContext(f.database);
  io->setManagedContext(context);
  Fixture::fetch(*io, false);
  auto lists = io->lists();
  CalendarIO::ListArray some(lists.begin(), lists.begin() + 3);
  size_t seen = 0;
  for (auto _ : state) {
    io->fetch(some, false, [&](const CalendarIO::TaskArray& tasks) { seen = tasks.size(); });
  }
  if (seen != kReminders) state.SkipWithError("not a cache hit");
}
BENCHMARK(BM_FetchCacheHit)->Unit(benchmark::kMicrosecond);

void BM_CreateTaskAndCommit(benchmark::State& state) {
  auto& f = fixture();
  auto io = CalendarIOTestAccess::make(f.options);
  auto context = openObjectContext(f.database);
  io->setManagedContext(context);
  Fixture::fetch(*io, false);
  auto list = io->lists().front();
  std::vector<std::shared_ptr<Task>> made;
  int i = 0;
  for (auto _ : state) {
    made.push_back(io->createTask("New task " + std::to_string(i++), list, "notes", true, 2,
                                  platform::Clock::currentNow() + std::chrono::hours(24)));
    io->commit();
  }
  for (auto& t : made) io->remove(t, false);
  io->commit();
}
BENCHMARK(BM_CreateTaskAndCommit)->Unit(benchmark::kMillisecond)->UseRealTime();

// kCompleted completed reminders (with records) next to the open ones, purged in one go.
void BM_PurgeCompleted(benchmark::State& state) {
  auto& f = fixture();
  auto io = CalendarIOTestAccess::make(f.options);
  auto context = openObjectContext(f.database);
  io->setManagedContext(context);
  Fixture::fetch(*io, false);
  for (auto _ : state) {
    state.PauseTiming();
    auto lists = io->lists();
    for (int i = 0; i < kCompleted; ++i) {
      auto r = reminders::Reminder::reminderWithEventStore(io->eventStore());
      r->setCalendar(lists[i % lists.size()]->calendar());
      r->setTitle("Done " + std::to_string(i));
      r->setCompleted(true);
      io->eventStore().saveReminder(r, false);
    }
    io->commit();
    if (Fixture::fetch(*io, true) != kCompleted) state.SkipWithError("completed reminders missing");
    state.ResumeTiming();
    std::promise<void> done;
    auto purged = done.get_future();
    io->purgeCompleted([&] { done.set_value(); });
    while (purged.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready) {
      platform::MainQueue::drain();
      std::this_thread::yield();
    }
  }
}
BENCHMARK(BM_PurgeCompleted)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace
