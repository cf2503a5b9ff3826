#include "zarvo/reminders/internal/file_cache_codec.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace zarvo::reminders::detail::cache_format {
namespace {

// Numbers read back as written, whether they lie far from the end of the input (where the reader
// takes eight bytes at once) or near or at its very end; skipping passes over exactly the same bytes.
TEST(CacheReader, NumbersReadAndSkipAlikeNearAndFarFromTheEnd) {
  // Every width from one byte to ten, at both ends of each width.
  std::vector<uint64_t> numbers = {0, 1, 0x0123456789ABCDEF, UINT64_MAX};
  for (int bits = 7; bits < 64; bits += 7) {
    numbers.push_back((uint64_t{1} << bits) - 1);
    numbers.push_back(uint64_t{1} << bits);
    numbers.push_back((uint64_t{1} << bits) | 0x55);
  }
  for (const uint64_t n : numbers) {
    for (const size_t after : {0, 1, 3, 7, 8, 9, 20}) {
      Writer w;
      w.u(n);
      const size_t width = w.out.size();
      w.out.append(after, '\x01');
      Reader read(w.out);
      EXPECT_EQ(read.u(), n) << n << " with " << after << " bytes after";
      EXPECT_TRUE(read.ok);
      EXPECT_EQ(read.position(), width);
      Reader skipped(w.out);
      skipped.skip(1);
      EXPECT_TRUE(skipped.ok);
      EXPECT_EQ(skipped.position(), width) << n;
    }
  }
}

// A number cut short by the end of the input, or longer than ten bytes, fails both ways, and the
// reader stays failed at the end.
TEST(CacheReader, ACutOrOverlongNumberFailsBothWays) {
  Writer w;
  w.u(UINT64_MAX);
  const std::string whole = w.out;
  const std::string overlong = std::string(10, '\x80') + "\x01" + std::string(20, '\x00');
  std::vector<std::string> bad = {overlong};
  for (size_t cut = 1; cut < whole.size(); ++cut) bad.push_back(whole.substr(0, cut));
  for (const std::string& input : bad) {
    Reader read(input);
    (void)read.u();
    EXPECT_FALSE(read.ok) << input.size();
    EXPECT_TRUE(read.atEnd());
    Reader skipped(input);
    skipped.skip(1);
    EXPECT_FALSE(skipped.ok) << input.size();
    EXPECT_TRUE(skipped.atEnd());
  }
  // Nothing left at all: a number past the end fails, one-byte numbers or not.
  Reader empty("");
  (void)empty.u();
  EXPECT_FALSE(empty.ok);
  Reader oneByte(std::string_view("\x05", 1));
  EXPECT_EQ(oneByte.u(), 5u);
  EXPECT_TRUE(oneByte.ok);
  (void)oneByte.u();
  EXPECT_FALSE(oneByte.ok);
  // Several skipped numbers: the second one is cut.
  Writer two;
  two.u(5);
  two.u(UINT64_MAX);
  Reader skipped(std::string_view(two.out).substr(0, two.out.size() - 1));
  skipped.skip(2);
  EXPECT_FALSE(skipped.ok);
}

// What info() reads is what skip(kInfoNumbers) passes over.
TEST(CacheReader, SkippingAFilesMetadataPassesOverWhatInfoReads) {
  platform::FileInfo info;
  info.exists = info.isRegular = true;
  info.size = 4096;
  info.modifiedNs = -1'700'000'000'123'456'789;
  info.changedNs = 1'700'000'000'123'456'789;
  info.inode = UINT64_MAX;
  info.device = 66306;
  info.mode = 0600;
  Writer w;
  w.info(info);
  w.u(42);
  Reader read(w.out);
  EXPECT_TRUE(read.info().sameVersion(info));
  Reader skipped(w.out);
  skipped.skip(Reader::kInfoNumbers);
  EXPECT_EQ(skipped.position(), read.position());
  EXPECT_EQ(skipped.u(), 42u);
}

// An entry decodes only as the file its index row names: root / its own relative path, whether or
// not the root's text ends in a separator, at the version the row gives.
TEST(CacheEntry, AnEntryDecodesOnlyAsTheFileItNames) {
  const std::string text = "BEGIN:VCALENDAR\r\nBEGIN:VTODO\r\nUID:u\r\nEND:VTODO\r\nEND:VCALENDAR\r\n";
  std::string error;
  const auto file = parseTodoFile("/r/local/list/a.ics", text, {}, error);
  ASSERT_TRUE(file) << error;
  platform::FileInfo info;
  info.exists = info.isRegular = true;
  info.size = text.size();
  info.modifiedNs = 1'700'000'000'000'000'000;
  info.inode = 7;
  info.mode = 0100640;
  Writer w;
  writeFile(w, "local/list/a.ics", *file);
  struct Case {
    const char* root;
    const char* path;
    bool decodes;
  };
  for (const Case& c : {Case{"/r", "/r/local/list/a.ics", true}, Case{"/r/", "/r/local/list/a.ics", true},
                        Case{"/r", "/r/local/list/b.ics", false}, Case{"/r", "/r/local/lis/a.ics", false},
                        Case{"/r", "/q/local/list/a.ics", false}, Case{"/r", "/rlocal/list/a.ics", false},
                        Case{"/r", "/r/local/list/a.icsx", false}, Case{"/r", "/r/local/list/a.ic", false}}) {
    std::string why;
    const auto decoded = decodeEntry(w.out, c.root, c.path, info, why);
    EXPECT_EQ(decoded != nullptr, c.decodes) << c.root << " " << c.path << ": " << why;
    if (decoded) {
      EXPECT_EQ(decoded->path.native(), "/r/local/list/a.ics");
      EXPECT_TRUE(decoded->info.sameVersion(info));
      EXPECT_EQ(decoded->info.mode, info.mode);
    }
  }
  // The version is the index row's, and must be one of the entry's size.
  platform::FileInfo other = info;
  other.size += 1;
  std::string why;
  EXPECT_FALSE(decodeEntry(w.out, "/r", "/r/local/list/a.ics", other, why));
}

// A folder's fingerprint moves with any name or any part of any file's version, and with where the
// names split; the same files give the same one.
TEST(FolderFingerprint, MovesWithEveryNameAndVersion) {
  platform::FileInfo info;
  info.exists = info.isRegular = true;
  info.size = 300;
  info.modifiedNs = 1'700'000'000'000'000'001;
  info.changedNs = 1'700'000'000'000'000'002;
  info.inode = 12;
  info.device = 66306;
  info.mode = 0100600;
  const std::vector<std::string> names = {"ab.ics", "c.ics"};
  const std::vector<platform::FileInfo> infos = {info, info};
  const uint64_t base = FileCache::fingerprint(names, infos);
  EXPECT_EQ(FileCache::fingerprint(std::vector<std::string>(names), std::vector<platform::FileInfo>(infos)), base);
  using Change = std::function<void(std::vector<std::string>&, std::vector<platform::FileInfo>&)>;
  const std::vector<std::pair<const char*, Change>> changes = {
      {"a name", [](auto& n, auto&) { n[1] = "d.ics"; }},
      {"where names split", [](auto& n, auto&) { n = {"ab.icsc", ".ics"}; }},
      {"the order", [](auto& n, auto&) { std::swap(n[0], n[1]); }},
      {"one file fewer", [](auto& n, auto& i) { n.pop_back(); i.pop_back(); }},
      {"size", [](auto&, auto& i) { i[1].size += 1; }},
      {"mtime", [](auto&, auto& i) { i[1].modifiedNs += 1; }},
      {"ctime", [](auto&, auto& i) { i[0].changedNs -= 1; }},
      {"inode", [](auto&, auto& i) { i[1].inode += 1; }},
      {"device", [](auto&, auto& i) { i[0].device += 1; }},
      {"mode", [](auto&, auto& i) { i[1].mode = 0100644; }},
  };
  for (const auto& [what, change] : changes) {
    auto n = names;
    auto i = infos;
    change(n, i);
    EXPECT_NE(FileCache::fingerprint(n, i), base) << what;
  }
}

// Rows of one-byte entries of completed tasks at `paths`.
std::string rowsOf(const std::vector<std::string>& paths) {
  platform::FileInfo info;
  info.exists = info.isRegular = true;
  info.size = 1;
  Writer w;
  for (size_t i = 0; i < paths.size(); ++i) {
    const std::vector<FileCache::Summary::Todo> todos{{std::to_string(i), true, true, false}};
    writeIndexRow(w, paths[i], info, todos, i, "x");
  }
  return w.out;
}

// An index of such rows, with no side section, folder states or verdicts.
std::string indexOf(const std::vector<std::string>& paths) {
  Writer w;
  w.u(0);
  w.u(paths.size());
  w.out += rowsOf(paths);
  w.u(0);
  w.u(0);
  w.u(0);
  return w.out;
}

// Rows of one folder are checked by their file names once the folder's path is found safe: a name
// that leaves the folder after safe rows of it still makes the whole index bad, and a deeper path
// under the folder is judged in full. A block of rows left in the side section holds only files
// directly in its folder, and is refused whole for one that is not.
TEST(CacheIndex, ARowsNameIsCheckedAfterSafeRowsOfItsFolder) {
  const std::filesystem::path root = "/nowhere/root";
  std::string why;
  EXPECT_TRUE(readIndex(indexOf({"list/a.ics", "list/b.ics", "list/sub/c.ics", "other/d.ics"}), root, nullptr, 4, why))
      << why;
  for (const char* bad : {"..", ".", "", "sub/..", "sub/.", "sub//c", "/etc"}) {
    EXPECT_FALSE(readIndex(indexOf({"list/a.ics", "list/b.ics", std::string("list/") + bad}), root, nullptr, 3, why))
        << bad;
  }
  auto sideRows = [&](const std::vector<std::string>& paths) {
    const std::string bytes = rowsOf(paths);
    const FileCache::SideBlock block{"/nowhere/root/list", "list", paths.size(), 0, bytes.size(), checksum(bytes)};
    return readSideRows(bytes, block, nullptr, paths.size(), why);
  };
  const auto good = sideRows({"list/a.ics", "list/b.ics"});
  ASSERT_TRUE(good) << why;
  ASSERT_EQ(good->size(), 2u);
  EXPECT_EQ(good->at(1).first, "b.ics");
  for (const char* bad : {"..", ".", "", "sub/c.ics", "sub/..", "/etc"}) {
    EXPECT_FALSE(sideRows({"list/a.ics", std::string("list/") + bad})) << bad;
  }
  EXPECT_FALSE(sideRows({"list/a.ics", "other/b.ics"}));
  EXPECT_FALSE(sideRows({"list/a.ics", "listed/b.ics"}));
  EXPECT_FALSE(sideRows({"list"}));
}

// Names left in an index are made once, whichever copy of the state reads them first and from
// whichever thread, and read as written.
TEST(FolderNamesTest, NamesLeftInTheIndexAreMadeOnceAndReadAsWritten) {
  Writer w;
  w.u(7);  // something before the names, as in an index
  const size_t at = w.out.size();
  const std::vector<std::string> written = {"a.ics", std::string(40, 'b') + ".ics", "c d.ics"};
  for (const auto& name : written) w.str(name);
  auto index = std::make_shared<const std::string>(w.out);
  const FolderNames names = FolderNames::inIndex(index, std::string_view(*index).substr(at), written.size());
  const FolderNames copy = names;
  std::shared_ptr<const FolderNames::List> seen[2];
  std::thread first([&] { seen[0] = names.list(); });
  std::thread second([&] { seen[1] = copy.list(); });
  first.join();
  second.join();
  ASSERT_TRUE(seen[0]);
  EXPECT_EQ(seen[0], seen[1]);
  EXPECT_EQ(*seen[0], written);
  EXPECT_TRUE(names.sameAs(copy));
  // A made list is taken as it is; none is no list.
  EXPECT_FALSE(FolderNames());
  EXPECT_FALSE(FolderNames(std::shared_ptr<const FolderNames::List>()));
  EXPECT_EQ(*FolderNames(std::make_shared<const FolderNames::List>(written)), written);
}

}  // namespace
}  // namespace zarvo::reminders::detail::cache_format
