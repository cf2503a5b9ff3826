// An older home, made when files were 0644 and folders 0755: the first command that writes makes all
// of it private, once; commands that only read change nothing.
#include <gtest/gtest.h>

#include <map>

#include "zarvo/home/home.h"
#include "zarvo/testing/files.h"
#include "zarvo/testing/temp_dir.h"

namespace zarvo {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;
using testing::writeFile;

constexpr auto kLoose = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read;
constexpr auto kLooseFolder = kLoose | fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec;

// Every path below `root` (links not followed) and its permission bits.
std::map<std::string, fs::perms> modes(const fs::path& root) {
  std::map<std::string, fs::perms> out;
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    out[e.path().lexically_relative(root).string()] = e.symlink_status().permissions() & fs::perms::all;
  }
  return out;
}

// Gives every folder below `root` (and `root`) 0755 and every file 0644, as an older version left them.
void loosen(const fs::path& root) {
  fs::permissions(root, kLooseFolder);
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    if (e.is_symlink()) continue;
    fs::permissions(e.path(), e.is_directory() ? kLooseFolder : kLoose);
  }
}

TEST(HomePrivacyTest, AnOlderHomeIsMadePrivateOnceByTheFirstCommandThatWrites) {
  TempDir tmp("zarvo-home");
  const fs::path home = tmp.path() / "home";
  {
    auto made = Home::open(home);
    ASSERT_TRUE(made);
    (*made)->save();
  }
  // What an older home holds besides the home's own files: a task file, an entry of the history, a
  // list of another source, and a task file that is a link to a file elsewhere (left alone).
  const fs::path list = home / "reminders" / "local" / "reminders";
  fs::create_directories(list);
  writeFile(list / "t.ics", "BEGIN:VCALENDAR\r\nEND:VCALENDAR\r\n");
  writeFile(home / "history" / "000000000001.json", "{}");
  writeFile(home / "reminders" / "dav" / ".source", "type=2\n");
  writeFile(home / "reminders" / "dav" / "work" / "displayname", "Work");
  writeFile(tmp.path() / "elsewhere.ics", "BEGIN:VCALENDAR\r\nEND:VCALENDAR\r\n");
  fs::create_symlink(tmp.path() / "elsewhere.ics", list / "linked.ics");
  fs::remove(home / ".private");
  loosen(home);
  fs::permissions(tmp.path() / "elsewhere.ics", kLoose);
  const auto before = modes(home);
  ASSERT_EQ(before.at("history/000000000001.json"), kLoose);

  {
    HomeOptions read;
    read.access = HomeAccess::read;
    ASSERT_TRUE(Home::open(home, read));
  }
  EXPECT_EQ(modes(home), before) << "a command that only reads changed permissions";

  ASSERT_TRUE(Home::open(home));
  for (const auto& [path, mode] : modes(home)) {
    if (path == "reminders/local/reminders/linked.ics") continue;
    EXPECT_EQ(mode & (fs::perms::group_all | fs::perms::others_all), fs::perms::none) << path;
    EXPECT_NE(mode & fs::perms::owner_read, fs::perms::none) << path;
  }
  EXPECT_EQ(fs::status(tmp.path() / "elsewhere.ics").permissions() & fs::perms::all, kLoose)
      << "the target of a link outside the home was changed";

  // Once: a file loosened again afterwards is not walked to on every command (only the home's own
  // files are looked at each time).
  fs::permissions(list / "t.ics", kLoose);
  ASSERT_TRUE(Home::open(home));
  EXPECT_EQ(fs::status(list / "t.ics").permissions() & fs::perms::all, kLoose);
}

}  // namespace
}  // namespace zarvo
