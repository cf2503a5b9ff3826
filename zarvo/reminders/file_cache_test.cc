#include "zarvo/reminders/internal/file_cache.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <thread>

#include "zarvo/reminders/event_store.h"
#include "zarvo/reminders/internal/file_cache_codec.h"
#include "zarvo/testing/forwarding_file_system.h"
#include "zarvo/testing/paths.h"
#include "zarvo/testing/reminders_store.h"

namespace zarvo::reminders::detail {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using testing::TempDir;
using testing::writeFile;

fs::path fixtures() { return zarvo::testing::fixtures("vtodo"); }

// Counts the task files read and the files created, to tell a cache hit from a read.
class CountingFileSystem final : public zarvo::testing::ForwardingFileSystem {
 public:
  std::atomic<int> reads{0};
  std::atomic<int> creations{0};

  Error readFile(const fs::path& p, std::string& c) override {
    if (p.extension() == ".ics") ++reads;
    return ForwardingFileSystem::readFile(p, c);
  }
  Error readFileWithInfo(const fs::path& p, std::string& c, platform::FileInfo& i) override {
    if (p.extension() == ".ics") ++reads;
    return ForwardingFileSystem::readFileWithInfo(p, c, i);
  }
  Error newWritableFile(const fs::path& p, uint32_t m, std::unique_ptr<platform::WritableFile>& f) override {
    ++creations;
    return ForwardingFileSystem::newWritableFile(p, m, f);
  }
};

std::shared_ptr<const TodoFile> parsed(const fs::path& path) {
  platform::FileInfo info;
  std::string content;
  EXPECT_FALSE(platform::FileSystem::posix()->readFileWithInfo(path, content, info)) << path;
  std::string error;
  auto file = parseTodoFile(path, std::move(content), info, error);
  EXPECT_NE(file, nullptr) << path << ": " << error;
  return file;
}

// A task file of one VTODO whose UID and title are `uid`, completed or open.
std::string task(const std::string& uid, bool completed) {
  return "BEGIN:VCALENDAR\r\nBEGIN:VTODO\r\nUID:" + uid + "\r\nSUMMARY:" + uid + "\r\n" +
         (completed ? "STATUS:COMPLETED\r\n" : "") + "END:VTODO\r\nEND:VCALENDAR\r\n";
}

// Each of `paths`, parsed, stored in `cache` at its version.
void storeParsed(FileCache& cache, std::initializer_list<fs::path> paths) {
  for (const fs::path& path : paths) {
    const auto file = parsed(path);
    cache.store(path, FileCache::Entry{file->info, file, nullptr});
  }
}

void expectSameFile(const TodoFile& a, const TodoFile& b) {
  EXPECT_EQ(a.path, b.path);
  EXPECT_EQ(a.content.view(), b.content.view());
  EXPECT_TRUE(a.info.sameVersion(b.info));
  EXPECT_EQ(a.info.mode, b.info.mode);
  EXPECT_EQ(a.newline, b.newline);
  EXPECT_EQ(a.timezoneIds, b.timezoneIds);
  EXPECT_EQ(a.firstComponentBegin, b.firstComponentBegin);
  ASSERT_EQ(a.todos.size(), b.todos.size());
  for (size_t i = 0; i < a.todos.size(); ++i) {
    const TodoEntry& x = a.todos[i];
    const TodoEntry& y = b.todos[i];
    EXPECT_EQ(std::tie(x.begin, x.end, x.endLineBegin, x.recurrenceOverride),
              std::tie(y.begin, y.end, y.endLineBegin, y.recurrenceOverride));
    ASSERT_EQ(x.lines.size(), y.lines.size());
    for (size_t l = 0; l < x.lines.size(); ++l) {
      EXPECT_EQ(std::tie(x.lines[l].name, x.lines[l].begin, x.lines[l].end, x.lines[l].dropped),
                std::tie(y.lines[l].name, y.lines[l].begin, y.lines[l].end, y.lines[l].dropped));
    }
    ASSERT_EQ(x.alarms.size(), y.alarms.size());
    ASSERT_EQ(x.alarmOrigins.size(), y.alarmOrigins.size());
    for (size_t k = 0; k < x.alarms.size(); ++k) {
      EXPECT_EQ(x.alarms[k].absolute, y.alarms[k].absolute);
      EXPECT_EQ(x.alarms[k].relative, y.alarms[k].relative);
      EXPECT_EQ(std::tie(x.alarms[k].acknowledged, x.alarms[k].uid, x.alarms[k].snoozeOf),
                std::tie(y.alarms[k].acknowledged, y.alarms[k].uid, y.alarms[k].snoozeOf));
      ASSERT_EQ(x.alarms[k].origin == nullptr, y.alarms[k].origin == nullptr);
      if (x.alarms[k].origin) {
        EXPECT_EQ(x.alarms[k].origin->begin, y.alarms[k].origin->begin);
        // The alarm still shares its origin with the entry's list, as a parsed one does.
        EXPECT_EQ(y.alarms[k].origin, y.alarmOrigins[k]);
      }
    }
    const TodoFields& f = x.fields;
    const TodoFields& g = y.fields;
    EXPECT_EQ(std::tie(f.uid, f.hasUid, f.title, f.notes, f.priority, f.due, f.completed, f.status),
              std::tie(g.uid, g.hasUid, g.title, g.notes, g.priority, g.due, g.completed, g.status));
    EXPECT_EQ(std::tie(f.completionDate, f.creationDate, f.lastModified, f.percentComplete),
              std::tie(g.completionDate, g.creationDate, g.lastModified, g.percentComplete));
    EXPECT_EQ(f.datesLeftOut, g.datesLeftOut);
  }
}

// Every fixture, from every client, survives the trip through the saved form unchanged, and an
// edit made from the copy is the edit made from the original.
TEST(FileCache, EveryFixtureRoundTrips) {
  TempDir dir;
  const fs::path root = dir.path() / "reminders";
  fs::create_directories(root / "src");
  fs::copy(fixtures(), root / "src", fs::copy_options::recursive);
  // Lines libical drops (empty values) ahead of the lines read: edits depend on knowing which is which.
  writeFile(root / "src" / "dropped.ics",
            "BEGIN:VCALENDAR\r\nBEGIN:VTODO\r\nUID:\r\nUID:dropped\r\nSUMMARY:\r\nsummary :Read\r\n"
            "DESCRIPTION;LANGUAGE=en:\r\nDESCRIPTION:Notes\r\nEND:VTODO\r\nEND:VCALENDAR\r\n");
  // What a shown and snoozed alarm carries: the schedule must not read it differently from a copy.
  writeFile(root / "src" / "snoozed.ics",
            "BEGIN:VCALENDAR\r\nBEGIN:VTODO\r\nUID:snoozed\r\nBEGIN:VALARM\r\nUID:first\r\nACTION:DISPLAY\r\n"
            "TRIGGER:-PT5M\r\nACKNOWLEDGED:20270101T000000Z\r\nEND:VALARM\r\nBEGIN:VALARM\r\nUID:again\r\n"
            "RELATED-TO;RELTYPE=SNOOZE:first\r\nACTION:DISPLAY\r\nTRIGGER;VALUE=DATE-TIME:20270101T001000Z\r\n"
            "END:VALARM\r\nEND:VTODO\r\nEND:VCALENDAR\r\n");
  // Far dates, kept and left out: the copy holds both as the reader made them.
  writeFile(root / "src" / "far.ics",
            "BEGIN:VCALENDAR\r\nBEGIN:VTODO\r\nUID:far\r\nDUE:99991231T235959Z\r\nCREATED:00010101T000000Z\r\n"
            "STATUS:COMPLETED\r\nCOMPLETED:00000101T000000Z\r\nBEGIN:VALARM\r\nACTION:DISPLAY\r\n"
            "TRIGGER;VALUE=DATE-TIME:22630101T000000Z\r\nEND:VALARM\r\nEND:VTODO\r\nEND:VCALENDAR\r\n");
  FileCache cache;
  std::map<fs::path, std::shared_ptr<const TodoFile>> originals;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (entry.path().extension() != ".ics") continue;
    auto file = parsed(entry.path());
    if (!file) continue;
    originals[entry.path()] = file;
    cache.store(entry.path(), FileCache::Entry{file->info, file, nullptr});
  }
  ASSERT_GT(originals.size(), 10u);

  std::string why;
  auto decoded = FileCache::decode(cache.encode(root), root, why);
  ASSERT_TRUE(decoded) << why;
  ASSERT_EQ(decoded->size(), originals.size());
  size_t alarms = 0, timezones = 0;
  for (const auto& [path, entry] : *decoded) {
    SCOPED_TRACE(path.string());
    ASSERT_TRUE(originals.contains(path));
    const TodoFile& original = *originals[path];
    expectSameFile(original, *entry.file);
    for (size_t i = 0; i < original.todos.size(); ++i) {
      alarms += original.todos[i].alarms.size();
      if (original.todos[i].recurrenceOverride) continue;
      DesiredTodo want;
      want.uid = original.todos[i].fields.uid;
      want.title = "Edited";
      want.alarms = entry.file->todos[i].alarms;
      want.now = Date(std::chrono::seconds(1'700'000'000));
      DesiredTodo same = want;
      same.alarms = original.todos[i].alarms;
      EXPECT_EQ(editTodo(*entry.file, i, want), editTodo(original, i, same));
    }
    timezones += original.timezoneIds.size();
  }
  // The fixtures exercise the parts that carry offsets and shared origins.
  EXPECT_GT(alarms, 0u);
  EXPECT_GT(timezones, 0u);
}

// A torn, truncated or damaged copy is refused as a whole, never partly trusted.
TEST(FileCache, DamagedCopiesAreRefused) {
  TempDir dir;
  const fs::path root = dir.path();
  fs::create_directories(root / "local" / "list");
  fs::copy(fixtures() / "todoman" / "personal", root / "local" / "list", fs::copy_options::recursive);
  FileCache cache;
  for (const auto& entry : fs::directory_iterator(root / "local" / "list")) {
    if (entry.path().extension() == ".ics") {
      auto parsedFile = parsed(entry.path());
      cache.store(entry.path(), FileCache::Entry{parsedFile->info, parsedFile, nullptr});
    }
  }
  const std::string good = cache.encode(root);
  std::string why;
  ASSERT_TRUE(FileCache::decode(good, root, why)) << why;

  for (size_t length = 0; length < good.size(); length += std::max<size_t>(1, good.size() / 97)) {
    EXPECT_FALSE(FileCache::decode(std::string_view(good).substr(0, length), root, why)) << length;
  }
  for (size_t at = 0; at < good.size(); at += std::max<size_t>(1, good.size() / 211)) {
    std::string damaged = good;
    damaged[at] = static_cast<char>(damaged[at] ^ 0x20);
    EXPECT_FALSE(FileCache::decode(damaged, root, why)) << "byte " << at;
  }
  EXPECT_FALSE(FileCache::decode(good + "x", root, why));
  EXPECT_FALSE(FileCache::decode("", root, why));
}

// A copy whose checksum holds but whose paths could lead out of the root, or are not plain names, is
// refused: decode never builds a path outside the root it is given.
TEST(FileCache, PathsThatLeaveTheRootAreRefused) {
  TempDir dir;
  const fs::path root = dir.path() / "root";
  fs::create_directories(root / "local" / "list");
  fs::copy(fixtures() / "todoman" / "personal", root / "local" / "list", fs::copy_options::recursive);
  FileCache cache;
  for (const auto& entry : fs::directory_iterator(root / "local" / "list")) {
    if (entry.path().extension() != ".ics") continue;
    auto parsedFile = parsed(entry.path());
    cache.store(entry.path(), FileCache::Entry{parsedFile->info, parsedFile, nullptr});
  }
  std::string why;
  const std::string good = cache.encode(root);
  const auto payload = FileCache::payloadOf(good, why);
  ASSERT_TRUE(payload) << why;
  ASSERT_NE(payload->find("local/list/"), std::string::npos);
  // Each replaces "local/" at the start of every path, keeping the lengths the copy records.
  for (const char* path : {"../../", "/ocal/", "./cal/", "loca//"}) {
    std::string forged(*payload);
    for (size_t at = forged.find("local/list/"); at != std::string::npos; at = forged.find("local/list/", at)) {
      forged.replace(at, 6, path);
    }
    EXPECT_FALSE(FileCache::decode(FileCache::frame(forged), root, why)) << path;
  }
  ASSERT_TRUE(FileCache::decode(FileCache::frame(*payload), root, why)) << why;
}

// A folder state's names are joined to its folder's path: a copy (checksums intact) whose names hold a
// separator or a NUL anywhere, or are "." or "..", is refused. Names of all lengths around the
// eight-byte steps the check takes, with the byte first, inside, and last.
TEST(FileCache, FolderNamesThatAreNotPlainAreRefused) {
  TempDir dir;
  const fs::path root = dir.path();
  const fs::path folder = root / "local" / "list";
  fs::create_directories(folder);
  platform::FileInfo dirInfo;
  dirInfo.exists = dirInfo.isDirectory = true;
  dirInfo.inode = 7;
  for (size_t length = 1; length <= 18; ++length) {
    for (size_t at = 0; at < length; ++at) {
      // Forged to another byte of the same length, it still sorts before "z.ics": refused for what it
      // holds, not for its order.
      std::string name(length, 'a');
      name[at] = 'X';
      FileCache cache;
      const auto names = std::make_shared<const std::vector<std::string>>(std::vector<std::string>{name, "z.ics"});
      ASSERT_TRUE(cache.setFolderState(folder, {dirInfo, names, false, 100, nullptr}, 10 * FileCache::kSettledNs));
      std::string why;
      const std::string encoded = cache.encode(root);  // the payload is a view into it
      const auto payload = FileCache::payloadOf(encoded, why);
      ASSERT_TRUE(payload) << why;
      const size_t found = payload->find(name);
      ASSERT_NE(found, std::string::npos);
      ASSERT_TRUE(FileCache::decode(FileCache::frame(*payload), root, why)) << why;
      for (const char bad : {'/', '\0'}) {
        std::string forged(*payload);
        forged[found + at] = bad;
        EXPECT_FALSE(FileCache::decode(FileCache::frame(forged), root, why)) << length << " " << at << " " << int(bad);
      }
    }
  }
  for (const std::string dots : {".", ".."}) {
    FileCache cache;
    // Made from "a" and "aa" in the copy, so that the list is still sorted.
    const std::string plain(dots.size(), 'a');
    const auto names = std::make_shared<const std::vector<std::string>>(std::vector<std::string>{plain, "z.ics"});
    ASSERT_TRUE(cache.setFolderState(folder, {dirInfo, names, false, 100, nullptr}, 10 * FileCache::kSettledNs));
    std::string why;
    const std::string encoded = cache.encode(root);
    const auto payload = FileCache::payloadOf(encoded, why);
    ASSERT_TRUE(payload) << why;
    std::string forged(*payload);
    const size_t found = forged.find(plain + '\x05' + "z.ics");
    ASSERT_NE(found, std::string::npos);
    forged.replace(found, plain.size(), dots);
    EXPECT_FALSE(FileCache::decode(FileCache::frame(forged), root, why)) << dots;
  }
}

// A task file of three VTODO lines, parsed, stored in `cache` at `path`.
std::shared_ptr<TodoFile> storedThreeLines(FileCache& cache, const fs::path& path) {
  writeFile(path, "BEGIN:VCALENDAR\r\nBEGIN:VTODO\r\nUID:u\r\nSUMMARY:s\r\nDESCRIPTION:\r\nEND:VTODO\r\nEND:VCALENDAR\r\n");
  std::string error;
  auto file = parseTodoFile(path, readFile(path), platform::FileInfo{}, error);
  EXPECT_TRUE(file) << error;
  if (!file) return nullptr;
  EXPECT_FALSE(platform::FileSystem::posix()->stat(path, file->info));
  cache.store(path, FileCache::Entry{file->info, file, nullptr});
  return file;
}

// Edits splice by the property lines' offsets: a copy (checksums intact) whose lines leave their
// VTODO or overlap is refused when it is read, not when an edit comes to use them.
TEST(FileCache, LinesThatDoNotFitTheirTaskAreRefused) {
  TempDir dir;
  const fs::path root = dir.path();
  fs::create_directories(root / "local" / "list");
  const fs::path path = root / "local" / "list" / "a.ics";
  struct Case {
    const char* name;
    std::function<void(TodoEntry&)> damage;
  };
  const std::vector<Case> cases = {
      {"as read", [](TodoEntry&) {}},
      {"past the END line", [](TodoEntry& t) { t.lines[2].end = t.endLineBegin + 1; }},
      {"before BEGIN", [](TodoEntry& t) { t.lines[0].begin = t.begin - 1; }},
      {"ends before it begins", [](TodoEntry& t) { t.lines[1].end = t.lines[1].begin - 1; }},
      {"overlaps the one before", [](TodoEntry& t) { t.lines[1].begin = t.lines[0].end - 1; }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FileCache cache;
    auto file = storedThreeLines(cache, path);
    ASSERT_TRUE(file);
    ASSERT_EQ(file->todos.at(0).lines.size(), 3u);
    c.damage(file->todos[0]);
    std::string why;
    const auto decoded = FileCache::decode(cache.encode(root), root, why);
    EXPECT_EQ(decoded.has_value(), c.name == std::string("as read")) << why;
  }
}

// Lines made from the copy only when read: an entry decoded and saved again without its lines being
// read keeps them, an entry whose lines were read saves the same bytes, and lines changed after
// reading are saved as changed. Threads reading them first at once see one list.
TEST(FileCache, LinesLeftEncodedSurviveTheNextCopy) {
  TempDir dir;
  const fs::path root = dir.path();
  fs::create_directories(root / "local" / "list");
  const fs::path path = root / "local" / "list" / "a.ics";
  FileCache cache;
  const auto original = storedThreeLines(cache, path);
  ASSERT_TRUE(original);
  std::string why;
  const std::string first = cache.encode(root);
  const auto once = FileCache::decode(first, root, why);
  ASSERT_TRUE(once) << why;
  const auto decodedEntry = once->at(0).second;

  FileCache untouched;
  untouched.store(path, decodedEntry);
  EXPECT_EQ(untouched.encode(root), first) << "lines never read go back as they were";
  const auto twice = FileCache::decode(untouched.encode(root), root, why);
  ASSERT_TRUE(twice) << why;
  expectSameFile(*original, *twice->at(0).second.file);

  const PropertyLines& lines = twice->at(0).second.file->todos.at(0).lines;
  const PropertyLine* seen[2] = {};
  std::thread a([&] { seen[0] = &lines[0]; });
  std::thread b([&] { seen[1] = &lines[0]; });
  a.join();
  b.join();
  EXPECT_EQ(seen[0], seen[1]);
  EXPECT_EQ(lines[2].name, "DESCRIPTION");
  EXPECT_TRUE(lines[2].dropped);
  FileCache read;
  read.store(path, twice->at(0).second);
  EXPECT_EQ(read.encode(root), first) << "lines read save as they were read";

  auto changed = std::make_shared<TodoFile>(*twice->at(0).second.file);
  changed->todos[0].lines[1].dropped = true;
  FileCache edited;
  edited.store(path, FileCache::Entry{changed->info, changed, nullptr});
  const auto after = FileCache::decode(edited.encode(root), root, why);
  ASSERT_TRUE(after) << why;
  EXPECT_TRUE(after->at(0).second.file->todos.at(0).lines[1].dropped) << "a change after reading is saved";
  EXPECT_FALSE(original->todos[0].lines[1].dropped);
}

// A folder state's list of files with open tasks and a duplicate verdict come back from the copy as
// they were saved; the verdict holds only for its folders' keys, and not once an entry changed.
TEST(FileCache, FolderStatesAndVerdictsSurviveTheCopy) {
  TempDir dir;
  const fs::path root = dir.path();
  const fs::path folder = root / "local" / "list";
  fs::create_directories(folder);
  FileCache cache;
  platform::FileInfo dirInfo;
  dirInfo.exists = dirInfo.isDirectory = true;
  dirInfo.changedNs = 5;
  dirInfo.inode = 7;
  const auto names = std::make_shared<const std::vector<std::string>>(
      std::vector<std::string>{"a.ics", "b.ics", "c.ics", "d.ics", "e.ics"});
  ASSERT_TRUE(cache.setFolderState(folder, {dirInfo, names, false, 100, nullptr}, 10 * FileCache::kSettledNs));
  cache.setAttention(folder, dirInfo, 200,
                     std::make_shared<const std::vector<std::string>>(std::vector<std::string>{"b.ics", "e.ics"}));
  const FileCache::FolderKey key{dirInfo, 200, 42};
  cache.setDuplicateVerdict({{folder.native()}, {key}, {{0, "e.ics", "holds the task x that b.ics holds already"}}, {}},
                            {cache.changesOf(folder)});
  const fs::path copy = root / "files.cache";
  ASSERT_FALSE(cache.save(*platform::FileSystem::posix(), copy, root));

  FileCache loaded;
  std::string why;
  ASSERT_TRUE(loaded.load(*platform::FileSystem::posix(), copy, root, why)) << why;
  const auto state = loaded.folderState(folder, dirInfo);
  ASSERT_TRUE(state);
  EXPECT_EQ(*state->names, *names);
  ASSERT_TRUE(state->attention);
  EXPECT_EQ(*state->attention, (std::vector<std::string>{"b.ics", "e.ics"}));
  EXPECT_EQ(state->checkedAllAtNs, 200);
  const auto losers = loaded.duplicateVerdict({folder.native()}, {key});
  ASSERT_TRUE(losers);
  ASSERT_EQ(losers->size(), 1u);
  EXPECT_EQ((*losers)[0].name, "e.ics");
  EXPECT_EQ((*losers)[0].why, "holds the task x that b.ics holds already");
  FileCache::FolderKey checkedAgain = key;
  checkedAgain.checkedAllAtNs = 300;
  EXPECT_FALSE(loaded.duplicateVerdict({folder.native()}, {checkedAgain}));
  loaded.store(folder / "f.ics", FileCache::Entry{});
  EXPECT_FALSE(loaded.duplicateVerdict({folder.native()}, {key}));
}

// The rows of files that hold only completed tasks stay undecoded until something asks for one of
// them; what this process stored meanwhile is fresher and stays.
TEST(FileCache, RowsOfCompletedTasksWaitAndGiveWayToFresherEntries) {
  TempDir dir;
  const fs::path root = dir.path();
  const fs::path folder = root / "local" / "list";
  fs::create_directories(folder);
  writeFile(folder / "done.ics", task("done", true));
  writeFile(folder / "gone.ics", task("gone", true));
  writeFile(folder / "open.ics", task("open", false));
  // A list of completed tasks only: the copy makes no entry of it at all.
  const fs::path old = root / "local" / "old";
  fs::create_directories(old);
  writeFile(old / "old.ics", task("old", true));
  FileCache cache;
  storeParsed(cache, {folder / "done.ics", folder / "gone.ics", folder / "open.ics", old / "old.ics"});
  const fs::path copy = root / "files.cache";
  ASSERT_FALSE(cache.save(*platform::FileSystem::posix(), copy, root));

  FileCache loaded;
  std::string why;
  ASSERT_TRUE(loaded.load(*platform::FileSystem::posix(), copy, root, why)) << why;
  std::vector<FileCache::Entry> found;
  loaded.entriesOf(folder, {"done.ics", "open.ics"}, found, /*all=*/false);
  EXPECT_FALSE(found[0].info.exists) << "not decoded for a reader of open tasks";
  EXPECT_TRUE(found[1].summary);
  loaded.entriesOf(old, {"old.ics"}, found, /*all=*/false);
  EXPECT_FALSE(found[0].info.exists);
  EXPECT_EQ(loaded.filesFoundGone(), 0u) << "a folder known from the copy is not a folder never seen";
  // A newer version of one completed file, stored before its row was needed, wins over the row.
  const auto newer = parsed(folder / "open.ics");
  loaded.store(folder / "done.ics", FileCache::Entry{newer->info, newer, nullptr});
  loaded.erase(folder / "gone.ics");
  loaded.entriesOf(folder, {"done.ics", "gone.ics"}, found);
  ASSERT_TRUE(found[0].file);
  EXPECT_EQ(found[0].file->todos.at(0).fields.uid, "open");
  EXPECT_FALSE(found[1].info.exists) << "erased, and not brought back by its row";
  const auto done = parsed(folder / "done.ics");
  EXPECT_FALSE(loaded.find(folder / "done.ics", done->info)) << "the row's version gave way";
}

// The rows of completed tasks' files lie in a block per folder outside the index. A block that does
// not check out (damaged, or not where the index says) is left out whole: its files are then unknown
// to the cache and read again, while the other folders' blocks and the open files' rows still serve.
// Decoding a copy whole refuses it.
TEST(FileCache, ABlockOfCompletedTasksThatDoesNotCheckOutCostsOnlyItsFolder) {
  TempDir dir;
  const fs::path root = dir.path();
  const fs::path list = root / "local" / "list";
  const fs::path done = root / "local" / "done";
  fs::create_directories(list);
  fs::create_directories(done);
  writeFile(list / "a.ics", task("open-a", false));
  writeFile(list / "b.ics", task("completed-b", true));
  writeFile(list / "c.ics", task("completed-c", true));
  writeFile(done / "d.ics", task("completed-d", true));
  FileCache cache;
  storeParsed(cache, {list / "a.ics", list / "b.ics", list / "c.ics", done / "d.ics"});
  const fs::path copy = root / "files.cache";
  ASSERT_FALSE(cache.save(*platform::FileSystem::posix(), copy, root));
  const std::string good = readFile(copy);
  std::string why;
  ASSERT_TRUE(FileCache::decode(good, root, why)) << why;
  EXPECT_EQ(FileCache::decode(good, root, why)->size(), 4u);

  // The completed tasks' rows come after the body: the UID of c.ics is in its entry and its row.
  const size_t row = good.rfind("completed-c");
  ASSERT_NE(row, std::string::npos);
  ASSERT_GT(row, good.find("completed-c"));
  std::string damaged = good;
  damaged[row] = 'C';
  writeFile(copy, damaged);
  EXPECT_FALSE(FileCache::decode(damaged, root, why));

  FileCache loaded;
  ASSERT_TRUE(loaded.load(*platform::FileSystem::posix(), copy, root, why)) << why;
  std::vector<FileCache::Entry> found;
  loaded.entriesOf(list, {"a.ics", "b.ics", "c.ics"}, found, /*all=*/true);
  EXPECT_TRUE(found[0].summary) << "an open task's row is in the index";
  EXPECT_FALSE(found[1].info.exists) << "its block did not check out";
  EXPECT_FALSE(found[2].info.exists);
  loaded.entriesOf(done, {"d.ics"}, found, /*all=*/true);
  ASSERT_TRUE(found[0].summary) << "another folder's block still serves";
  ASSERT_EQ(found[0].summary->todos.size(), 1u);
  EXPECT_EQ(found[0].summary->todos[0].uid, "completed-d");
  EXPECT_TRUE(found[0].summary->todos[0].completed);
  const auto d = parsed(done / "d.ics");
  EXPECT_TRUE(loaded.find(done / "d.ics", d->info));
}

// An entry decoded by folder and name is the file at that path and stays decoded; a newer entry
// stored meanwhile is not replaced by it.
TEST(FileCache, EntriesDecodedByFolderAndNameStayDecodedUnlessReplaced) {
  TempDir dir;
  const fs::path folder = dir.path() / "local" / "list";
  fs::create_directories(folder);
  FileCache cache;
  for (const std::string uid : {"a", "b"}) {
    writeFile(folder / (uid + ".ics"), "BEGIN:VCALENDAR\r\nBEGIN:VTODO\r\nUID:" + uid + "\r\nEND:VTODO\r\nEND:VCALENDAR\r\n");
    const auto file = parsed(folder / (uid + ".ics"));
    cache.store(file->path, FileCache::Entry{file->info, file, nullptr});
  }
  const fs::path copy = dir.path() / "files.cache";
  ASSERT_FALSE(cache.save(*platform::FileSystem::posix(), copy, dir.path()));
  FileCache loaded;
  std::string why;
  ASSERT_TRUE(loaded.load(*platform::FileSystem::posix(), copy, dir.path(), why)) << why;
  std::vector<FileCache::Entry> found;
  loaded.entriesOf(folder, {"a.ics", "b.ics"}, found);
  const auto a = loaded.decode(folder.native(), "a.ics", found[0]);
  ASSERT_TRUE(a);
  expectSameFile(*a, *parsed(folder / "a.ics"));
  EXPECT_EQ(loaded.find(folder / "a.ics", found[0].info).value().file, a) << "decoded once, kept decoded";
  loaded.store(folder / "b.ics", FileCache::Entry{a->info, a, nullptr});
  EXPECT_EQ(loaded.decode(folder.native(), "b.ics", found[1])->todos.at(0).fields.uid, "b");
  EXPECT_EQ(loaded.find(folder / "b.ics", a->info).value().file, a) << "the newer entry stays";
}

// Entries decoded together are read in runs: with gaps between them, a run cut at its size, and on
// the copy kept open as on one read whole. Each gives back its own file; an entry damaged in the copy
// is left to be read from its file, and costs the entries read with it nothing.
TEST(FileCache, EntriesDecodedTogetherAreEachTheirOwnFile) {
  TempDir dir;
  const fs::path folder = dir.path() / "local" / "list";
  fs::create_directories(folder);
  const std::vector<std::string> names = {"a.ics", "b.ics", "c.ics", "d.ics", "e.ics", "f.ics", "g.ics"};
  FileCache cache;
  for (const auto& name : names) {
    // e.ics is larger than one read takes: it runs alone, and f.ics starts the next run.
    const std::string notes = name == "e.ics" ? "DESCRIPTION:" + std::string(FileCache::kReadTogetherBytes, 'x') + "\r\n" : "";
    writeFile(folder / name, "BEGIN:VCALENDAR\r\nBEGIN:VTODO\r\nUID:" + name + "\r\nSUMMARY:task " + name + "\r\n" + notes +
                                 "END:VTODO\r\nEND:VCALENDAR\r\n");
    const auto file = parsed(folder / name);
    cache.store(file->path, FileCache::Entry{file->info, file, nullptr});
  }
  const fs::path copy = dir.path() / "files.cache";
  ASSERT_FALSE(cache.save(*platform::FileSystem::posix(), copy, dir.path()));
  {
    // The summary of c.ics changed in the copy: its entry fails its checksum.
    std::string bytes = readFile(copy);
    const size_t at = bytes.find("SUMMARY:task c.ics");
    ASSERT_NE(at, std::string::npos);
    bytes[at + 8] = 'T';
    writeFile(copy, bytes);
  }
  zarvo::testing::ForwardingFileSystem seam;
  for (platform::FileSystem* fs : {platform::FileSystem::posix().get(), static_cast<platform::FileSystem*>(&seam)}) {
    SCOPED_TRACE(fs == &seam ? "read whole" : "kept open");
    std::vector<FileCache::Entry> found;
    {
      FileCache loaded;
      std::string why;
      ASSERT_TRUE(loaded.load(*fs, copy, dir.path(), why)) << why;
      loaded.entriesOf(folder, names, found);
      const std::vector<size_t> which = {0, 2, 3, 4, 5, 6};  // b.ics left out: a gap
      loaded.decodeAll(folder.native(), names, found, which);
      EXPECT_FALSE(found[1].file) << "not asked for";
      EXPECT_FALSE(found[2].file) << "damaged";
      for (const size_t i : {0, 3, 4, 5, 6}) {
        SCOPED_TRACE(names[i]);
        ASSERT_TRUE(found[i].file);
        EXPECT_EQ(loaded.find(folder / names[i], found[i].info).value().file, found[i].file) << "kept decoded";
      }
    }
    // The cache, its copy and the reads are gone: what it handed out keeps its text, its lines and
    // its summaries, and edits by them as a file parsed afresh does.
    ASSERT_TRUE(found[1].summary);
    ASSERT_EQ(found[1].summary->todos.size(), 1u);
    EXPECT_EQ(found[1].summary->todos[0].uid, "b.ics");
    for (const size_t i : {0, 3, 4, 5, 6}) {
      SCOPED_TRACE(names[i]);
      const auto fresh = parsed(folder / names[i]);
      expectSameFile(*found[i].file, *fresh);
      DesiredTodo want;
      want.uid = names[i];
      want.title = "edited";
      want.notes = "new notes";
      want.now = Date(std::chrono::seconds(1'700'000'000));
      EXPECT_EQ(editTodo(*found[i].file, 0, want), editTodo(*fresh, 0, want));
      EXPECT_EQ(removeTodo(*found[i].file, 0), removeTodo(*fresh, 0));
    }
  }
}

// Entries decoded from reads that hold other files' entries between them (every one, every other,
// every seventh asked for) are each the file they were saved from, their texts read back from the
// copy after it was let go.
TEST(FileCache, EntriesFarApartAreDecodedAsWellAsNeighbours) {
  TempDir dir;
  const fs::path folder = dir.path() / "local" / "list";
  fs::create_directories(folder);
  std::vector<std::string> names;
  FileCache cache;
  for (int i = 0; i < 40; ++i) {
    names.push_back(std::to_string(100 + i).append(".ics"));
    writeFile(folder / names.back(), task(names.back(), false));
    const auto file = parsed(folder / names.back());
    cache.store(file->path, FileCache::Entry{file->info, file, nullptr});
  }
  const fs::path copy = dir.path() / "files.cache";
  ASSERT_FALSE(cache.save(*platform::FileSystem::posix(), copy, dir.path()));
  for (const size_t step : {1u, 2u, 7u}) {
    SCOPED_TRACE(step);
    std::vector<FileCache::Entry> found;
    std::vector<size_t> which;
    for (size_t i = 0; i < names.size(); i += step) which.push_back(i);
    {
      FileCache loaded;
      std::string why;
      ASSERT_TRUE(loaded.load(*platform::FileSystem::posix(), copy, dir.path(), why)) << why;
      loaded.entriesOf(folder, names, found);
      loaded.decodeAll(folder.native(), names, found, which);
    }
    for (const size_t i : which) {
      ASSERT_TRUE(found[i].file) << names[i];
      expectSameFile(*found[i].file, *parsed(folder / names[i]));
    }
  }
}

// A loaded copy files every entry under its own folder, folders whose paths sort around each other
// included: an entry filed elsewhere would cost a read of its file at every start.
TEST(FileCache, ALoadedCopyFilesEachEntryUnderItsFolder) {
  TempDir dir;
  const std::vector<std::string> lists = {"local/a", "local/a b", "local/a-", "other/a"};
  FileCache cache;
  for (const auto& list : lists) {
    fs::create_directories(dir.path() / list);
    for (const std::string name : {"x", "y"}) {
      const fs::path path = dir.path() / list / (name + ".ics");
      writeFile(path, "BEGIN:VCALENDAR\r\nBEGIN:VTODO\r\nUID:" + list + "/" + name + "\r\nEND:VTODO\r\nEND:VCALENDAR\r\n");
      const auto file = parsed(path);
      cache.store(path, FileCache::Entry{file->info, file, nullptr});
    }
  }
  const fs::path copy = dir.path() / "files.cache";
  ASSERT_FALSE(cache.save(*platform::FileSystem::posix(), copy, dir.path()));
  FileCache loaded;
  std::string why;
  ASSERT_TRUE(loaded.load(*platform::FileSystem::posix(), copy, dir.path(), why)) << why;
  for (const auto& list : lists) {
    std::vector<FileCache::Entry> found;
    loaded.entriesOf(dir.path() / list, {"x.ics", "y.ics"}, found);
    ASSERT_EQ(found.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
      ASSERT_TRUE(found[i].summary) << list << " " << i;
      ASSERT_EQ(found[i].summary->todos.size(), 1u);
      EXPECT_EQ(found[i].summary->todos[0].uid, list + (i == 0 ? "/x" : "/y"));
    }
  }
}

// Only files under the store's root are written, and only with paths relative to it.
TEST(FileCache, KeepsOnlyTheRootsFiles) {
  TempDir dir;
  for (const char* root : {"a", "b"}) {
    fs::create_directories(dir.path() / root / "local" / "work");
    fs::copy(fixtures() / "todoman" / "work", dir.path() / root / "local" / "work", fs::copy_options::recursive);
  }
  FileCache cache;
  size_t perRoot = 0;
  for (const auto& entry : fs::recursive_directory_iterator(dir.path())) {
    if (entry.path().extension() != ".ics") continue;
    auto file = parsed(entry.path());
    cache.store(entry.path(), FileCache::Entry{file->info, file, nullptr});
    if (entry.path().string().starts_with((dir.path() / "a").string())) ++perRoot;
  }
  const std::string bytes = cache.encode(dir.path() / "a");
  EXPECT_EQ(bytes.find((dir.path() / "a").string()), std::string::npos) << "absolute paths are not kept";
  std::string why;
  // Decoded under another root, the same relative paths land there.
  auto decoded = FileCache::decode(bytes, dir.path() / "c", why);
  ASSERT_TRUE(decoded) << why;
  EXPECT_EQ(decoded->size(), perRoot);
  for (const auto& [path, entry] : *decoded) {
    EXPECT_TRUE(path.string().starts_with((dir.path() / "c" / "local" / "work").string())) << path;
    EXPECT_EQ(entry.file->path, path);
  }
}

// A decoded file's path is kept as text and made a path object only when asked: it must read as
// the object it stands for, whoever asks first, however often it is copied, moved or reassigned.
TEST(FileCache, DecodedPathsReadAsThePathsTheyStandFor) {
  TempDir dir;
  const fs::path folder = dir.path() / "local" / "a list with a longer name";
  fs::create_directories(folder);
  writeFile(folder / "task-with-a-long-name.ics", "BEGIN:VCALENDAR\r\nBEGIN:VTODO\r\nEND:VTODO\r\nEND:VCALENDAR\r\n");
  const auto file = parsed(folder / "task-with-a-long-name.ics");
  FileCache cache;
  cache.store(file->path, FileCache::Entry{file->info, file, nullptr});
  std::string why;
  auto decoded = FileCache::decode(cache.encode(dir.path()), dir.path(), why);
  ASSERT_TRUE(decoded && decoded->size() == 1) << why;
  const TodoFile& got = *decoded->front().second.file;
  const fs::path want = folder / "task-with-a-long-name.ics";
  EXPECT_EQ(got.path.native(), want.native());
  // Several threads ask first at once: all get the one object.
  std::vector<const fs::path*> seen(4);
  std::vector<std::thread> threads;
  for (auto& s : seen) threads.emplace_back([&] { s = &got.path.get(); });
  for (auto& t : threads) t.join();
  for (const auto* s : seen) EXPECT_EQ(s, seen.front());
  EXPECT_EQ(*seen.front(), want);
  EXPECT_EQ(got.path.stem(), "task-with-a-long-name");
  EXPECT_EQ(got.path.parent_path(), folder);
  // A copy, and what a move leaves behind, stand on their own.
  auto copy = std::make_unique<FilePath>(got.path);
  FilePath moved = std::move(*copy);
  copy.reset();
  EXPECT_EQ(moved.get(), want);
  FilePath assigned;
  assigned = moved;
  EXPECT_EQ(assigned, got.path);
  EXPECT_EQ(assigned.get(), want);
  // Reassigned after its object was made (a commit renames the file): the object follows.
  assigned = folder / "renamed.ics";
  EXPECT_EQ(assigned.filename(), "renamed.ics");
  EXPECT_EQ(assigned.native(), (folder / "renamed.ics").native());
  assigned = moved;
  EXPECT_EQ(assigned.get(), want);
}

class StoreFileCacheTest : public ::testing::Test {
 protected:
  void SetUp() override {
    clearSharedFileCache();
    EventStore store(options());
    testing::createStore(store);
    calendar_ = store.defaultCalendarForNewReminders()->calendarIdentifier();
    for (int i = 0; i < 5; ++i) {
      auto r = Reminder::reminderWithEventStore(store);
      r->setCalendar(store.defaultCalendarForNewReminders());
      r->setTitle("Task " + std::to_string(i));
      store.saveReminder(r, true);
    }
  }
  void TearDown() override { clearSharedFileCache(); }

  EventStoreOptions options() {
    EventStoreOptions o = testing::optionsFor(dir_.path() / "reminders");
    o.fileCachePath = dir_.path() / "files.cache";
    o.fileSystem = fs_;
    return o;
  }

  // What a new handle sees (saving its file cache when `save`); in a new process, nothing is in memory.
  std::vector<std::string> titles(bool save = true) {
    EventStore store(options());
    std::vector<std::string> titles;
    for (const auto& r : store.remindersMatchingPredicate(store.predicateForIncompleteReminders({}, {}, {}))) {
      titles.push_back(r->title());
    }
    if (save) store.saveFileCache();
    return titles;
  }
  std::vector<std::string> titlesInNewProcess() {
    clearSharedFileCache();
    return titles();
  }

  fs::path folder() const { return dir_.path() / "reminders" / calendar_; }

  TempDir dir_;
  std::shared_ptr<CountingFileSystem> fs_ = std::make_shared<CountingFileSystem>();
  std::string calendar_;
};

TEST_F(StoreFileCacheTest, NextProcessReadsOnlyChangedFiles) {
  EXPECT_EQ(titlesInNewProcess().size(), 5u);
  fs_->reads = 0;
  EXPECT_EQ(titlesInNewProcess().size(), 5u);
  EXPECT_EQ(fs_->reads, 0) << "unchanged files come from the saved copy";

  // Another program rewrites one file, keeping its size, and sets its modification time back (a
  // restore from a backup, a sync tool keeping times): in place, then by renaming a new file over it.
  // The next handle of this process and the next process both read the new version.
  fs::path changed;
  for (const auto& entry : fs::directory_iterator(folder())) {
    if (entry.path().extension() == ".ics" && readFile(entry.path()).find("Task 3") != std::string::npos) {
      changed = entry.path();
    }
  }
  for (const std::string title : {"Task X", "Task Y"}) {
    SCOPED_TRACE(title);
    const bool inPlace = title == "Task X";
    struct stat before {};
    ASSERT_EQ(::stat(changed.c_str(), &before), 0);
    std::string text = readFile(changed);
    text.replace(text.find(inPlace ? "Task 3" : "Task X"), 6, title);
    const fs::path written = inPlace ? changed : changed.parent_path() / "restored.tmp";
    writeFile(written, text);
    const struct timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, written.c_str(), times, 0), 0);
    if (!inPlace) fs::rename(written, changed);

    auto seen = titles(/*save=*/false);
    EXPECT_EQ(std::count(seen.begin(), seen.end(), title), 1) << "this process";
    fs_->reads = 0;
    seen = titlesInNewProcess();
    EXPECT_EQ(fs_->reads, 1);
    EXPECT_EQ(std::count(seen.begin(), seen.end(), title), 1) << "the next process";
  }
}

// What another program does to the files between two processes, each seen by the next process from
// the listing and the metadata alone: a file added, renamed, or edited in place with a clock ahead
// of this machine's (the time it leaves can be anything; the check compares, never orders).
TEST_F(StoreFileCacheTest, OutsideChangesAreSeenByTheNextProcess) {
  auto fileOf = [&](const std::string& title) {
    for (const auto& entry : fs::directory_iterator(folder())) {
      if (entry.path().extension() == ".ics" && readFile(entry.path()).find(title) != std::string::npos) {
        return entry.path();
      }
    }
    return fs::path();
  };
  titlesInNewProcess();
  const fs::path added = folder() / "from-another-client.ics";
  writeFile(added, "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VTODO\r\nUID:other-1\r\nSUMMARY:Added\r\n"
                   "STATUS:NEEDS-ACTION\r\nEND:VTODO\r\nEND:VCALENDAR\r\n");
  auto seen = titlesInNewProcess();
  EXPECT_EQ(std::count(seen.begin(), seen.end(), "Added"), 1);

  fs::rename(fileOf("Task 1"), folder() / "renamed.ics");
  seen = titlesInNewProcess();
  EXPECT_EQ(seen.size(), 6u);
  EXPECT_EQ(std::count(seen.begin(), seen.end(), "Task 1"), 1);

  const fs::path edited = fileOf("Task 4");
  std::string text = readFile(edited);
  text.replace(text.find("Task 4"), 6, "Task F");
  writeFile(edited, text);
  const struct timespec future[2] = {{4102444800, 0}, {4102444800, 0}};  // 2100-01-01
  ASSERT_EQ(::utimensat(AT_FDCWD, edited.c_str(), future, 0), 0);
  seen = titlesInNewProcess();
  EXPECT_EQ(std::count(seen.begin(), seen.end(), "Task F"), 1);
  EXPECT_EQ(std::count(seen.begin(), seen.end(), "Task 4"), 0);
}

// The first read of a folder of many files parses them on several threads: each one arrives once,
// in file-name order.
TEST_F(StoreFileCacheTest, ManyUncachedFilesArriveOnceInOrder) {
  for (int i = 0; i < 120; ++i) {
    const std::string uid = "many-" + std::string(i < 10 ? "00" : i < 100 ? "0" : "") + std::to_string(i);
    writeFile(folder() / (uid + ".ics"), "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VTODO\r\nUID:" + uid +
                                             "\r\nSUMMARY:" + uid + "\r\nEND:VTODO\r\nEND:VCALENDAR\r\n");
  }
  std::vector<std::string> many;
  for (const auto& title : titlesInNewProcess()) {
    if (title.starts_with("many-")) many.push_back(title);
  }
  ASSERT_EQ(many.size(), 120u);
  EXPECT_TRUE(std::is_sorted(many.begin(), many.end()));
  EXPECT_EQ(std::adjacent_find(many.begin(), many.end()), many.end());
}

TEST_F(StoreFileCacheTest, DeletedFilesLeaveTheCopy) {
  titlesInNewProcess();
  for (const auto& entry : fs::directory_iterator(folder())) {
    if (entry.path().extension() == ".ics") {
      fs::remove(entry.path());
      break;
    }
  }
  EXPECT_EQ(titlesInNewProcess().size(), 4u);
  std::string why;
  auto decoded = FileCache::decode(readFile(dir_.path() / "files.cache"), dir_.path() / "reminders", why);
  ASSERT_TRUE(decoded) << why;
  EXPECT_EQ(decoded->size(), 4u);
}

TEST_F(StoreFileCacheTest, UnchangedCacheIsNotRewrittenUnlessItWentMissing) {
  titlesInNewProcess();
  fs_->creations = 0;
  titlesInNewProcess();
  EXPECT_EQ(fs_->creations, 0);
  // Deleted while this process still holds everything in memory: the next handle writes it again.
  fs::remove(dir_.path() / "files.cache");
  {
    EventStore store(options());
    store.remindersMatchingPredicate(store.predicateForIncompleteReminders({}, {}, {}));
    store.saveFileCache();
  }
  EXPECT_TRUE(fs::exists(dir_.path() / "files.cache"));
}

// A process that only writes (adds a task without listing) keeps the saved copy whole: it loaded
// the copy before its first write, so the next process reads none of the old files (nor the new
// one, which the writer read back).
TEST_F(StoreFileCacheTest, WritingWithoutFetchingKeepsTheCopy) {
  titlesInNewProcess();
  clearSharedFileCache();
  {
    EventStore store(options());
    auto r = Reminder::reminderWithEventStore(store);
    r->setCalendar(store.defaultCalendarForNewReminders());
    r->setTitle("Added");
    store.saveReminder(r, true);
    store.saveFileCache();
  }
  fs_->reads = 0;
  EXPECT_EQ(titlesInNewProcess().size(), 6u);
  EXPECT_EQ(fs_->reads, 0);
}

// A damaged header or index makes the whole copy unusable; a damaged entry costs only its own file,
// read again. Either way the tasks are right and the next copy is whole.
TEST_F(StoreFileCacheTest, DamagedCopyFallsBackToTheFiles) {
  const std::vector<std::string> all = {"Task 0", "Task 1", "Task 2", "Task 3", "Task 4"};
  for (const bool inIndex : {true, false}) {
    SCOPED_TRACE(inIndex ? "index" : "entry");
    titlesInNewProcess();
    std::string bytes = readFile(dir_.path() / "files.cache");
    const size_t at = inIndex ? 70 : bytes.rfind("Task ") + 5;  // the header is shorter than 70 bytes
    bytes[at] = static_cast<char>(bytes[at] ^ 1);
    writeFile(dir_.path() / "files.cache", bytes);
    fs_->reads = 0;
    auto seen = titlesInNewProcess();
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(seen, all);
    EXPECT_EQ(fs_->reads, inIndex ? 5 : 1);
    fs_->reads = 0;
    EXPECT_EQ(titlesInNewProcess().size(), 5u);
    EXPECT_EQ(fs_->reads, 0);
  }
}

// The index is summed in pieces where it lies: any split gives the sum of the whole, and every byte,
// in any position of a block or of the tail, counts.
TEST(FileCacheChecksum, PiecesSumAsTheWholeAndEveryByteCounts) {
  std::string bytes;
  for (size_t size = 0; size <= 80; ++size) {
    const uint64_t whole = cache_format::checksum(bytes);
    for (size_t cut = 0; cut <= size; ++cut) {
      for (size_t second = cut; second <= size; second += 7) {
        cache_format::Checksum sum(size);
        sum.add(std::string_view(bytes).substr(0, cut));
        sum.add(std::string_view(bytes).substr(cut, second - cut));
        sum.add(std::string_view(bytes).substr(second));
        ASSERT_EQ(sum.finish(), whole) << size << " cut at " << cut << " and " << second;
      }
    }
    for (size_t at = 0; at < size; ++at) {
      std::string damaged = bytes;
      damaged[at] = static_cast<char>(damaged[at] ^ 0x10);
      ASSERT_NE(cache_format::checksum(damaged), whole) << size << " byte " << at;
    }
    bytes.push_back(static_cast<char>('a' + size % 26));
  }
  EXPECT_NE(cache_format::checksum(std::string(8, '\0')), cache_format::checksum(std::string(16, '\0')));
}

// A copy written in another format (the one before this, say) is not read: the files are, and the
// copy is written again in this format.
TEST_F(StoreFileCacheTest, ACopyOfAnotherFormatIsRebuilt) {
  titlesInNewProcess();
  const fs::path copy = dir_.path() / "files.cache";
  std::string bytes = readFile(copy);
  const std::string magic = "ZARVO FILE CACHE";
  ASSERT_TRUE(bytes.starts_with(magic));
  const char version = bytes[magic.size()];  // one byte while it is below 128
  bytes[magic.size()] = static_cast<char>(version - 1);
  writeFile(copy, bytes);
  fs_->reads = 0;
  EXPECT_EQ(titlesInNewProcess().size(), 5u);
  EXPECT_EQ(fs_->reads, 5);
  EXPECT_EQ(readFile(copy)[magic.size()], version);
  fs_->reads = 0;
  EXPECT_EQ(titlesInNewProcess().size(), 5u);
  EXPECT_EQ(fs_->reads, 0);
}

// Listing open tasks never decodes a completed one's entry: a damaged one is not even noticed until
// completed tasks are asked for.
TEST_F(StoreFileCacheTest, CompletedTasksAreDecodedOnlyWhenAskedFor) {
  {
    EventStore store(options());
    for (const auto& r : store.remindersMatchingPredicate(store.predicateForIncompleteReminders({}, {}, {}))) {
      if (r->title() == "Task 2") {
        r->setCompleted(true);
        store.saveReminder(r, true);
      }
    }
  }
  titlesInNewProcess();
  std::string bytes = readFile(dir_.path() / "files.cache");
  const size_t at = bytes.find("Task 2");
  ASSERT_NE(at, std::string::npos);
  bytes[at] = static_cast<char>(bytes[at] ^ 1);
  writeFile(dir_.path() / "files.cache", bytes);
  fs_->reads = 0;
  EXPECT_EQ(titlesInNewProcess().size(), 4u);
  EXPECT_EQ(fs_->reads, 0);
  clearSharedFileCache();
  EventStore store(options());
  const auto completed = store.remindersMatchingPredicate(store.predicateForCompletedReminders({}, {}, {}));
  ASSERT_EQ(completed.size(), 1u);
  EXPECT_EQ(completed[0]->title(), "Task 2");
  EXPECT_EQ(fs_->reads, 1);
}

// A process that writes without reading the completed tasks (an add) saves a copy that still holds
// them: the next process reads none of their files.
TEST_F(StoreFileCacheTest, ACopySavedWithoutReadingTheCompletedTasksKeepsThem) {
  {
    EventStore store(options());
    for (const auto& r : store.remindersMatchingPredicate(store.predicateForIncompleteReminders({}, {}, {}))) {
      if (r->title() == "Task 1" || r->title() == "Task 3") {
        r->setCompleted(true);
        store.saveReminder(r, true);
      }
    }
  }
  titlesInNewProcess();
  clearSharedFileCache();
  {
    EventStore store(options());
    auto r = Reminder::reminderWithEventStore(store);
    r->setCalendar(store.defaultCalendarForNewReminders());
    r->setTitle("Task 5");
    store.saveReminder(r, true);
    store.saveFileCache();
  }
  clearSharedFileCache();
  fs_->reads = 0;
  EventStore store(options());
  std::vector<std::string> done;
  for (const auto& r : store.remindersMatchingPredicate(store.predicateForCompletedReminders({}, {}, {}))) {
    done.push_back(r->title());
  }
  std::sort(done.begin(), done.end());
  EXPECT_EQ(done, (std::vector<std::string>{"Task 1", "Task 3"}));
  EXPECT_EQ(store.remindersMatchingPredicate(store.predicateForIncompleteReminders({}, {}, {})).size(), 4u);
  EXPECT_EQ(fs_->reads, 0);
}

TEST_F(StoreFileCacheTest, EditingFromTheCopyKeepsConflictDetection) {
  titlesInNewProcess();
  clearSharedFileCache();
  fs_->reads = 0;
  EventStore store(options());
  auto reminders = store.remindersMatchingPredicate(store.predicateForIncompleteReminders({}, {}, {}));
  ASSERT_EQ(reminders.size(), 5u);
  EXPECT_EQ(fs_->reads, 0);
  // The file changes behind the copy's back after it was loaded: the save must refuse.
  const auto& r = reminders.front();
  fs::path path;
  for (const auto& entry : fs::directory_iterator(folder())) {
    if (readFile(entry.path()).find(r->calendarItemExternalIdentifier()) != std::string::npos) path = entry.path();
  }
  writeFile(path, readFile(path) + "\r\n");
  r->setTitle("Mine");
  try {
    store.saveReminder(r, true);
    FAIL() << "expected a conflict";
  } catch (const StoreError& e) {
    EXPECT_EQ(e.code(), StoreErrorCode::conflict);
  }
  // An unchanged one saves, from the copy, exactly as from the file.
  reminders[1]->setTitle("Renamed");
  store.saveReminder(reminders[1], true);
  EXPECT_EQ(titlesInNewProcess().size(), 5u);
}

// A file decoded from the copy whose text was never read back saves into the next copy as the entry
// it was decoded from, and one whose text was read back as itself: either way the next copy decodes
// to the files.
TEST(FileCache, DecodedFilesSaveIntoTheNextCopyWhetherOrNotTheirTextWasReadBack) {
  TempDir dir;
  const fs::path folder = dir.path() / "local" / "list";
  fs::create_directories(folder);
  const std::vector<std::string> names = {"a.ics", "b.ics", "c.ics"};
  FileCache cache;
  for (const auto& name : names) {
    writeFile(folder / name, "BEGIN:VCALENDAR\r\nBEGIN:VTODO\r\nUID:" + name + "\r\nSUMMARY:task " + name +
                                 "\r\nDESCRIPTION:notes of " + name + "\r\nEND:VTODO\r\nEND:VCALENDAR\r\n");
    storeParsed(cache, {folder / name});
  }
  const fs::path copy = dir.path() / "files.cache";
  ASSERT_FALSE(cache.save(*platform::FileSystem::posix(), copy, dir.path()));
  FileCache loaded;
  std::string why;
  ASSERT_TRUE(loaded.load(*platform::FileSystem::posix(), copy, dir.path(), why)) << why;
  std::vector<FileCache::Entry> found;
  loaded.entriesOf(folder, names, found);
  loaded.decodeAll(folder.native(), names, found, {0, 1, 2});
  ASSERT_TRUE(found[1].file);
  // Two threads that need b.ics's text at once read it back once and see the same bytes.
  const TodoFile& b = *found[1].file;
  const char* seen[2] = {};
  const PropertyLine* lines[2] = {};
  std::thread one([&] { seen[0] = b.content.data(); lines[0] = &b.todos.at(0).lines[0]; });
  std::thread two([&] { seen[1] = b.content.data(); lines[1] = &b.todos.at(0).lines[0]; });
  one.join();
  two.join();
  EXPECT_EQ(seen[0], seen[1]);
  EXPECT_EQ(lines[0], lines[1]);
  EXPECT_EQ(b.content.view(), readFile(folder / "b.ics")) << "b.ics read back";
  const auto again = FileCache::decode(loaded.encode(dir.path()), dir.path(), why);
  ASSERT_TRUE(again) << why;
  ASSERT_EQ(again->size(), names.size());
  for (const auto& [path, entry] : *again) {
    SCOPED_TRACE(path.string());
    ASSERT_TRUE(entry.file);
    expectSameFile(*entry.file, *parsed(path));
  }
}

// The copy a listing decoded from is changed in place afterwards (by no zarvo: a save renames a new
// copy over it), so a task's text cannot be read back from it: the edit is refused and the file is
// left as it was, the next read of the store reads the file itself, and the same edit then goes
// through. The copy saved after that holds the file as it is now.
TEST(StoreSavedCopy, AnEditWhoseTextCannotBeReadBackIsRefusedAndTheFileReadAgain) {
  clearSharedFileCache();
  TempDir dir;
  EventStoreOptions options = testing::optionsFor(dir.path() / "reminders");
  options.fileCachePath = dir.path() / "files.cache";
  options.fileSystem = platform::FileSystem::posix();
  {
    EventStore store(options);
    testing::createStore(store);
    for (const std::string title : {"first task", "second task", "third task"}) {
      auto r = Reminder::reminderWithEventStore(store);
      r->setCalendar(store.defaultCalendarForNewReminders());
      r->setTitle(title);
      store.saveReminder(r, true);
    }
    store.saveFileCache();
  }
  clearSharedFileCache();
  EventStore store(options);
  const auto open = [&] { return store.remindersMatchingPredicate(store.predicateForIncompleteReminders({}, {}, {})); };
  const auto titled = [&](const std::vector<std::shared_ptr<Reminder>>& reminders, const std::string& title) {
    for (const auto& r : reminders) {
      if (r->title() == title) return r;
    }
    ADD_FAILURE() << "no task " << title;
    return std::shared_ptr<Reminder>();
  };
  const auto second = titled(open(), "second task");
  ASSERT_TRUE(second);
  const fs::path file = second->filePath().value();
  const std::string before = readFile(file);
  {
    // One byte of the task's entry in the copy, written in place: the copy no longer checks out there.
    std::string bytes = readFile(options.fileCachePath);
    const size_t at = bytes.find("SUMMARY:second task");
    ASSERT_NE(at, std::string::npos);
    std::fstream copy(options.fileCachePath, std::ios::in | std::ios::out | std::ios::binary);
    copy.seekp(static_cast<std::streamoff>(at + 8));
    copy.put('S');
  }
  second->setTitle("edited");
  try {
    store.saveReminder(second, true);
    FAIL() << "expected a conflict";
  } catch (const StoreError& e) {
    EXPECT_EQ(e.code(), StoreErrorCode::conflict) << e.what();
  }
  EXPECT_EQ(readFile(file), before) << "nothing written";
  EXPECT_FALSE(second->fileVersion()) << "no contents to give";

  const auto fresh = titled(open(), "second task");
  ASSERT_TRUE(fresh);
  fresh->setTitle("edited");
  store.saveReminder(fresh, true);
  EXPECT_NE(readFile(file).find("SUMMARY:edited"), std::string::npos);
  store.saveFileCache();
  clearSharedFileCache();
  EventStore next(options);
  std::vector<std::string> titles;
  for (const auto& r : next.remindersMatchingPredicate(next.predicateForIncompleteReminders({}, {}, {}))) {
    titles.push_back(r->title());
  }
  std::sort(titles.begin(), titles.end());
  EXPECT_EQ(titles, (std::vector<std::string>{"edited", "first task", "third task"}));
  clearSharedFileCache();
}

}  // namespace
}  // namespace zarvo::reminders::detail
