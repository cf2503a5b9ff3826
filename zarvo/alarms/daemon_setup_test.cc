// Turning the daemon on and off without systemd: which autostart entry decides, and that enabling,
// disabling and enabling again leave the entries saying what was asked, with or without a system entry.
#include "zarvo/alarms/daemon_setup.h"

#include <gtest/gtest.h>


#include "zarvo/testing/files.h"
#include "zarvo/testing/temp_dir.h"

namespace zarvo::alarms {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using testing::writeFile;

const fs::path kProgram = "/opt/zarvo tools/bin/zarvo-reminders";

struct Folders {
  testing::TempDir dir;
  AutostartPaths paths{dir.path() / "user" / kAutostartEntryName,
                       {dir.path() / "sys1" / kAutostartEntryName, dir.path() / "sys2" / kAutostartEntryName}};
};

TEST(DaemonSetupTest, TheFirstEntryThatExistsDecides) {
  enum Entry { none, starts, hidden };
  struct Row {
    Entry user, sys1, sys2;
    bool enabled;
  };
  for (const Row& row : {Row{none, none, none, false}, Row{starts, none, none, true}, Row{hidden, none, none, false},
                         Row{none, starts, none, true}, Row{none, none, starts, true}, Row{none, hidden, starts, false},
                         Row{hidden, starts, starts, false}, Row{starts, hidden, none, true}}) {
    Folders f;
    const Entry entries[] = {row.user, row.sys1, row.sys2};
    const fs::path paths[] = {*f.paths.user, f.paths.system[0], f.paths.system[1]};
    for (int i = 0; i < 3; ++i) {
      if (entries[i] != none) writeFile(paths[i], autostartEntry(kProgram, entries[i] == hidden));
    }
    EXPECT_EQ(autostartEnabled(*platform::FileSystem::posix(), f.paths), row.enabled)
        << "user " << row.user << ", system " << row.sys1 << " " << row.sys2;
  }
}

TEST(DaemonSetupTest, EnableDisableEnableWithAndWithoutASystemEntry) {
  for (bool systemEntry : {false, true}) {
    SCOPED_TRACE(systemEntry ? "with a system entry" : "without a system entry");
    Folders f;
    auto& posix = *platform::FileSystem::posix();
    if (systemEntry) writeFile(f.paths.system[1], autostartEntry("/usr/bin/zarvo-reminders"));
    EXPECT_EQ(autostartEnabled(posix, f.paths), systemEntry);

    ASSERT_TRUE(enableAutostart(posix, f.paths, kProgram).ok());
    EXPECT_TRUE(autostartEnabled(posix, f.paths));
    const std::string entry = readFile(*f.paths.user);
    EXPECT_NE(entry.find("\nExec=\"/opt/zarvo tools/bin/zarvo-reminders\"\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("\nX-systemd-skip=true\n"), std::string::npos) << entry;

    ASSERT_TRUE(disableAutostart(posix, f.paths, kProgram).ok());
    EXPECT_FALSE(autostartEnabled(posix, f.paths));
    // Without a system entry nothing is left behind; with one, the user's entry hides it.
    EXPECT_EQ(fs::exists(*f.paths.user), systemEntry);
    ASSERT_TRUE(disableAutostart(posix, f.paths, kProgram).ok()) << "disabling twice";

    ASSERT_TRUE(enableAutostart(posix, f.paths, kProgram).ok());
    EXPECT_TRUE(autostartEnabled(posix, f.paths));
  }
}

TEST(DaemonSetupTest, AWriteThatFailsLeavesTheEntryAsItWas) {
  Folders f;
  platform::FaultInjectingFileSystem faulty(platform::FileSystem::posix());
  faulty.setDiskFull(true);
  EXPECT_FALSE(enableAutostart(faulty, f.paths, kProgram).ok());
  EXPECT_FALSE(fs::exists(*f.paths.user));
  EXPECT_FALSE(enableAutostart(faulty, AutostartPaths{}, kProgram).ok()) << "no user folder";
}

TEST(DaemonSetupTest, OneBusNamePerHomeHoweverSpelled) {
  testing::TempDir dir;
  fs::create_directories(dir.path() / "home");
  const std::string name = daemonBusName(dir.path() / "home");
  const std::string prefix = "org.zarvo.Reminders.home_";
  EXPECT_EQ(name.rfind(prefix, 0), 0u) << name;
  EXPECT_EQ(name.size(), prefix.size() + 16) << name;
  EXPECT_EQ(name.find_first_not_of("0123456789abcdef", prefix.size()), std::string::npos) << name;
  fs::create_directory_symlink(dir.path() / "home", dir.path() / "link");
  for (const fs::path& same : {dir.path() / "home/", dir.path() / "./home", dir.path() / "x/../home", dir.path() / "link"}) {
    EXPECT_EQ(daemonBusName(same), name) << same;
  }
  EXPECT_NE(daemonBusName(dir.path() / "other"), name);
}

}  // namespace
}  // namespace zarvo::alarms
