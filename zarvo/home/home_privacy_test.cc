// An older home (files 0644, folders 0755): the first command that writes makes all of it private,
// once; commands that only read change nothing.
#include <gtest/gtest.h>

#include <map>

#include "zarvo/home/home.h"
#include "zarvo/testing/files.h"
#include "zarvo/testing/temp_dir.h"

namespace zarvo {
namespace {

namespace fs = std::filesystem;
constexpr auto kPrivate = fs::perms::owner_read | fs::perms::owner_write;
constexpr auto kLoose = kPrivate | fs::perms::group_read | fs::perms::others_read;

// Every path below `root` (links not followed) and its permission bits.
std::map<std::string, fs::perms> modes(const fs::path& root) {
  std::map<std::string, fs::perms> out;
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    out[e.path().lexically_relative(root).string()] = e.symlink_status().permissions() & fs::perms::all;
  }
  return out;
}

void loosen(const fs::path& root) {
  fs::permissions(root, fs::perms(0755));
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    if (!e.is_symlink()) fs::permissions(e.path(), e.is_directory() ? fs::perms(0755) : kLoose);
  }
}

TEST(HomePrivacyTest, AnOlderHomeIsMadePrivateOnceByTheFirstCommandThatWrites) {
  zarvo::testing::TempDir tmp("zarvo-home");
  const fs::path home = tmp.path() / "home", list = home / "reminders" / "local" / "reminders";
  ASSERT_TRUE(Home::open(home));
  zarvo::testing::writeFile(list / "t.ics", "BEGIN:VCALENDAR\r\nEND:VCALENDAR\r\n");
  zarvo::testing::writeFile(home / "history" / "000000000001.json", "{}");
  zarvo::testing::writeFile(home / "reminders" / "dav" / "work" / "displayname", "Work");
  zarvo::testing::writeFile(tmp.path() / "elsewhere.ics", "");
  fs::create_symlink(tmp.path() / "elsewhere.ics", list / "linked.ics");  // its target is left alone
  fs::remove(home / ".private");
  loosen(home);
  fs::permissions(tmp.path() / "elsewhere.ics", kLoose);
  const auto before = modes(home);

  HomeOptions read;
  read.access = HomeAccess::read;
  ASSERT_TRUE(Home::open(home, read));
  EXPECT_EQ(modes(home), before) << "a command that only reads changed permissions";

  ASSERT_TRUE(Home::open(home));
  for (const auto& [path, mode] : modes(home)) {
    if (path.ends_with("linked.ics")) continue;
    EXPECT_EQ(mode & (fs::perms::group_all | fs::perms::others_all), fs::perms::none) << path;
  }
  EXPECT_EQ(fs::status(tmp.path() / "elsewhere.ics").permissions() & fs::perms::all, kLoose);

  // Once: a file loosened afterwards is not walked to on every command...
  fs::permissions(list / "t.ics", kLoose);
  ASSERT_TRUE(Home::open(home));
  EXPECT_EQ(fs::status(list / "t.ics").permissions() & fs::perms::all, kLoose);
  // ...but a home loosened whole again (a copy restored from a backup) is.
  loosen(home);
  ASSERT_TRUE(Home::open(home));
  EXPECT_EQ(fs::status(list / "t.ics").permissions() & fs::perms::all, kPrivate);
}

}  // namespace
}  // namespace zarvo
