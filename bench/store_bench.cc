// The reminders store on generated trees of 1,000 and 10,000 task files across 10 calendars:
// open + fetch all incomplete reminders (cold: no parsed file cached; warm: files unchanged since the
// last fetch), one save + commit, and a commit of 100 batched saves.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>

#include "zarvo/platform/filesystem.h"
#include "zarvo/reminders/event_store.h"
#include "zarvo/reminders/internal/file_cache.h"
#include "zarvo/reminders/internal/ical_file.h"
#include "zarvo/reminders/internal/read_back.h"

namespace {

namespace fs = std::filesystem;
using zarvo::reminders::EventStore;
using zarvo::reminders::EventStoreOptions;

const char* kVtimezone =
    "BEGIN:VTIMEZONE\r\nTZID:Europe/Berlin\r\nBEGIN:DAYLIGHT\r\nTZOFFSETFROM:+0100\r\n"
    "RRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=-1SU\r\nDTSTART:19810329T020000\r\nTZNAME:CEST\r\n"
    "TZOFFSETTO:+0200\r\nEND:DAYLIGHT\r\nBEGIN:STANDARD\r\nTZOFFSETFROM:+0200\r\n"
    "RRULE:FREQ=YEARLY;BYMONTH=10;BYDAY=-1SU\r\nDTSTART:19961027T030000\r\nTZNAME:CET\r\n"
    "TZOFFSETTO:+0100\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\n";

// One generated tree per size, made on first use and removed at exit.
class Tree {
 public:
  explicit Tree(int files) {
    std::string pattern = (fs::temp_directory_path() / "zarvo-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    root_ = pattern;
    for (int c = 0; c < 10; ++c) {
      const fs::path dir = root_ / "local" / ("list" + std::to_string(c));
      fs::create_directories(dir);
      std::ofstream(dir / "displayname") << "List " << c << "\n";
    }
    for (int i = 0; i < files; ++i) {
      const std::string uid = "bench-" + std::to_string(i) + "@zarvo";
      std::ofstream out(root_ / "local" / ("list" + std::to_string(i % 10)) / (uid + ".ics"), std::ios::binary);
      out << "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//bench//EN\r\n";
      // A third of the files carry a VTIMEZONE and a zoned due date, as phone clients write them.
      if (i % 3 == 0) out << kVtimezone;
      out << "BEGIN:VTODO\r\nUID:" << uid << "\r\nDTSTAMP:20261201T080000Z\r\nCREATED:20261201T080000Z\r\n"
          << "SUMMARY:Task number " << i << " with a reasonably long title\r\n"
          << "DESCRIPTION:Some notes for task " << i << "\\nwith a second line\r\n"
          << "PRIORITY:" << (i % 10) << "\r\nCATEGORIES:bench,generated\r\nX-CLIENT-PROP;X-P=1:kept\\, as is\r\n";
      if (i % 3 == 0) {
        out << "DUE;TZID=Europe/Berlin:2027" << (10 + i % 3) << "15T093000\r\n";
      } else if (i % 3 == 1) {
        out << "DUE;VALUE=DATE:20270120\r\n";
      }
      if (i % 5 == 4) {
        out << "STATUS:COMPLETED\r\nCOMPLETED:20261202T100000Z\r\n";
      } else {
        out << "STATUS:NEEDS-ACTION\r\n";
      }
      if (i % 4 == 0) out << "BEGIN:VALARM\r\nACTION:DISPLAY\r\nDESCRIPTION:Reminder\r\nTRIGGER;VALUE=DATE-TIME:20270115T073000Z\r\nEND:VALARM\r\n";
      out << "END:VTODO\r\nEND:VCALENDAR\r\n";
    }
  }
  ~Tree() {
    std::error_code e;
    fs::remove_all(root_, e);
  }
  const fs::path& root() const { return root_; }

  static Tree& of(int files) {
    static std::map<int, std::unique_ptr<Tree>> trees;
    auto& tree = trees[files];
    if (!tree) tree = std::make_unique<Tree>(files);
    return *tree;
  }

 private:
  fs::path root_;
};

EventStoreOptions options(const fs::path& root) {
  EventStoreOptions o;
  o.root = root;
  o.watchForChanges = false;
  return o;
}

size_t openAndFetch(const fs::path& root) {
  EventStore store(options(root));
  return store.remindersMatchingPredicate(store.predicateForIncompleteReminders({}, {}, {})).size();
}

void BM_OpenAndFetchIncompleteCold(benchmark::State& state) {
  const auto& tree = Tree::of(static_cast<int>(state.range(0)));
  size_t count = 0;
  for (auto _ : state) {
    state.PauseTiming();
    zarvo::reminders::clearSharedFileCache();
    state.ResumeTiming();
    count = openAndFetch(tree.root());
  }
  state.counters["reminders"] = static_cast<double>(count);
}

void BM_OpenAndFetchIncompleteWarm(benchmark::State& state) {
  const auto& tree = Tree::of(static_cast<int>(state.range(0)));
  openAndFetch(tree.root());
  size_t count = 0;
  for (auto _ : state) count = openAndFetch(tree.root());
  state.counters["reminders"] = static_cast<double>(count);
}

// A new process with the saved file cache: nothing in memory, every file checked against the copy.
void BM_OpenAndFetchWithSavedFileCache(benchmark::State& state) {
  const auto& tree = Tree::of(static_cast<int>(state.range(0)));
  EventStoreOptions o = options(tree.root());
  o.fileCachePath = tree.root().parent_path() / (tree.root().filename().string() + ".cache");
  {
    EventStore store(o);
    store.remindersMatchingPredicate(store.predicateForIncompleteReminders({}, {}, {}));
    store.saveFileCache();
  }
  size_t count = 0;
  for (auto _ : state) {
    state.PauseTiming();
    zarvo::reminders::clearSharedFileCache();
    state.ResumeTiming();
    EventStore store(o);
    count = store.remindersMatchingPredicate(store.predicateForIncompleteReminders({}, {}, {})).size();
  }
  state.counters["reminders"] = static_cast<double>(count);
  fs::remove(o.fileCachePath);
}

void BM_SaveOneReminderAndCommit(benchmark::State& state) {
  const auto& tree = Tree::of(static_cast<int>(state.range(0)));
  EventStore store(options(tree.root()));
  auto reminders = store.remindersMatchingPredicate(store.predicateForIncompleteReminders({}, {}, {}));
  size_t i = 0;
  for (auto _ : state) {
    auto& r = reminders[i++ % reminders.size()];
    r->setTitle("Saved " + std::to_string(i));
    store.saveReminder(r, true);
  }
}

void BM_Commit100BatchedSaves(benchmark::State& state) {
  const auto& tree = Tree::of(static_cast<int>(state.range(0)));
  EventStore store(options(tree.root()));
  auto reminders = store.remindersMatchingPredicate(store.predicateForIncompleteReminders({}, {}, {}));
  size_t i = 0;
  for (auto _ : state) {
    for (int n = 0; n < 100; ++n) {
      auto& r = reminders[i++ % reminders.size()];
      r->setTitle("Batched " + std::to_string(i));
      store.saveReminder(r, false);
    }
    store.commit();
  }
}

// One file read from memory: the structure scan plus libical on the VTODO (the VTIMEZONE is not
// expanded: its TZID resolves through the process-wide zone cache).
void BM_ParseOneTaskFile(benchmark::State& state) {
  const auto& tree = Tree::of(1000);
  std::ifstream in(tree.root() / "local" / "list0" / "bench-0@zarvo.ics", std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  for (auto _ : state) {
    std::string error;
    auto file = zarvo::reminders::detail::parseTodoFile("x.ics", text, {}, error);
    benchmark::DoNotOptimize(file);
  }
}

// One edit of a file in memory (a new title), and the same edit read back and checked as every write
// is before it reaches the disk; the difference is the check's cost, to set beside a commit's fsyncs
// (BM_SaveOneReminderAndCommit) and one file's (BM_WriteAndSyncOneTaskFile). The commit keeps the
// file read back as the version written, so it parses once per write either way.
void BM_EditOneTaskFile(benchmark::State& state) {
  const auto& tree = Tree::of(1000);
  std::ifstream in(tree.root() / "local" / "list0" / "bench-0@zarvo.ics", std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::string error;
  const auto file = zarvo::reminders::detail::parseTodoFile("x.ics", text, {}, error);
  if (!file) std::abort();
  zarvo::reminders::detail::DesiredTodo want;
  const auto& f = file->todos[0].fields;
  want.uid = f.uid;
  want.title = "Edited title";
  want.notes = f.notes;
  want.priority = f.priority;
  want.due = f.due;
  want.completed = f.completed;
  want.completionDate = f.completionDate;
  want.alarms = file->todos[0].alarms;
  want.categories = f.categories;
  const bool check = state.range(0) != 0;
  for (auto _ : state) {
    std::string out = zarvo::reminders::detail::editTodo(*file, 0, want);
    if (check) {
      auto back = zarvo::reminders::detail::readBackEdit(*file, 0, want, "x.ics", std::move(out));
      benchmark::DoNotOptimize(back);
    }
    benchmark::DoNotOptimize(out);
  }
  state.SetLabel(check ? "edit + read back" : "edit");
}

// What one file version costs the disk before any check: the task file written to a new file in its
// folder, fsynced and closed (a commit then renames and syncs the folder on top). The floor that
// BM_EditOneTaskFile's read-back cost is set beside.
void BM_WriteAndSyncOneTaskFile(benchmark::State& state) {
  const auto& tree = Tree::of(1000);
  const fs::path folder = tree.root() / "local" / "list0";
  std::ifstream in(folder / "bench-0@zarvo.ics", std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  auto files = zarvo::platform::FileSystem::posix();
  const fs::path path = folder / ".bench-sync.tmp";
  for (auto _ : state) {
    std::unique_ptr<zarvo::platform::WritableFile> file;
    if (files->newWritableFile(path, 0644, file) || file->append(text) || file->sync() || file->close()) std::abort();
    state.PauseTiming();
    if (files->removeFile(path)) std::abort();
    state.ResumeTiming();
  }
}

// A task file whose title is one unfolded line of 1, 4 or 16 MB: reading it must take time linear in
// the line's length (it took time in its square when libical read the text itself).
void BM_ParseFileWithOneLongLine(benchmark::State& state) {
  const size_t size = static_cast<size_t>(state.range(0)) << 20;
  const std::string text = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:x\r\nBEGIN:VTODO\r\nUID:long\r\nSUMMARY:" +
                           std::string(size, 'a') + "\r\nEND:VTODO\r\nEND:VCALENDAR\r\n";
  for (auto _ : state) {
    std::string error;
    auto file = zarvo::reminders::detail::parseTodoFile("x.ics", text, {}, error);
    if (!file || file->todos[0].fields.title.size() != size) std::abort();
    benchmark::DoNotOptimize(file);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}

BENCHMARK(BM_ParseOneTaskFile)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ParseFileWithOneLongLine)->Arg(1)->Arg(4)->Arg(16)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EditOneTaskFile)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WriteAndSyncOneTaskFile)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OpenAndFetchIncompleteCold)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenAndFetchIncompleteWarm)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenAndFetchWithSavedFileCache)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveOneReminderAndCommit)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Commit100BatchedSaves)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
