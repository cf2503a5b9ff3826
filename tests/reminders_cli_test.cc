// `zarvo reminders enable|disable|status`: in a systemd session it drives the user unit through
// systemctl (a stand-in here that records what it was asked); without one it writes and removes the
// user's autostart entry, naming the daemon of this build.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <nlohmann/json.hpp>

#include "zarvo/testing/cli.h"
#include "zarvo/testing/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using zarvo::testing::CliHarness;
using zarvo::testing::Outcome;
using zarvo::testing::readFile;
using zarvo::testing::shellQuoted;
using zarvo::testing::writeFile;

class RemindersCliTest : public ::testing::Test {
 protected:
  void SetUp() override { CliHarness::expectProgram(); }

  Outcome zarvo(const std::string& environment, const std::vector<std::string>& args) {
    return cli_.shell("XDG_CONFIG_DIRS=" + shellQuoted((scratch_.path() / "etc").string()) + " " + environment + " " +
                      CliHarness::commandLine(zarvo::testing::zarvoProgram(), args));
  }

  zarvo::testing::TempDir scratch_;
  CliHarness cli_{scratch_.path()};
};

TEST_F(RemindersCliTest, ASystemdSessionDrivesTheUserUnit) {
  const fs::path bin = scratch_.path() / "bin", log = scratch_.path() / "systemctl.log";
  // Answers is-enabled and is-active from the file "state" ("on" or absent); "refuse" makes it fail.
  writeFile(bin / "systemctl",
            "#!/bin/sh\necho \"$@\" >> " + shellQuoted(log.string()) + "\n"
            "cd " + shellQuoted(scratch_.path().string()) + "\n"
            "[ -e refuse ] && { echo 'Failed to connect to bus'; exit 1; }\n"
            "case \"$2\" in enable) touch state ;; disable) rm -f state ;; daemon-reload) ;; *) [ -e state ] || exit 3 ;; esac\n");
  ::chmod((bin / "systemctl").c_str(), 0755);
  writeFile(scratch_.path() / "run" / "systemd" / "private", "");
  const std::string session = "PATH=" + shellQuoted(bin.string()) + ":\"$PATH\" XDG_RUNTIME_DIR=" +
                              shellQuoted((scratch_.path() / "run").string());
  struct Step {
    std::vector<std::string> args;
    std::string out;
    std::string asked;  // systemctl's arguments, one run per line
  };
  for (const Step& step : {
           Step{{"reminders", "status"}, "zarvo-reminders: disabled, not running (systemd user unit zarvo-reminders.service)\n",
                "--user is-enabled zarvo-reminders.service\n--user is-active zarvo-reminders.service\n"},
           Step{{"reminders", "enable"}, "zarvo-reminders: enabled and started (systemd user unit zarvo-reminders.service)\n",
                "--user enable zarvo-reminders.service\n--user restart zarvo-reminders.service\n"},
           Step{{"reminders", "status", "--json"}, "{\n  \"manager\": \"systemd\",\n  \"enabled\": true,\n  \"running\": true\n}\n",
                "--user is-enabled zarvo-reminders.service\n--user is-active zarvo-reminders.service\n"},
           Step{{"reminders", "disable"}, "zarvo-reminders: stopped and disabled (systemd user unit zarvo-reminders.service)\n",
                "--user disable --now zarvo-reminders.service\n"},
       }) {
    fs::remove(log);
    const Outcome run = zarvo(session, step.args);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, step.out);
    EXPECT_EQ(readFile(log), step.asked);
  }
  EXPECT_FALSE(fs::exists(scratch_.path() / "config" / "autostart")) << "systemd sessions need no autostart entry";

  // A home of one's own: the unit is pointed at it (and a running daemon restarted onto it); turning
  // the daemon off or on for the default home takes that back.
  const fs::path dropIn = scratch_.path() / "config/systemd/user/zarvo-reminders.service.d/target.conf";
  fs::remove(log);
  Outcome run = zarvo(session, {"--home", "/h o\"me%", "--config", "/c.toml", "reminders", "enable"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(readFile(dropIn), "[Service]\nEnvironment=\"ZARVO_HOME=/h o\\\"me%%\"\nEnvironment=\"ZARVO_CONFIG=/c.toml\"\n");
  EXPECT_EQ(readFile(log),
            "--user daemon-reload\n--user enable zarvo-reminders.service\n--user restart zarvo-reminders.service\n");
  fs::remove(log);
  run = zarvo(session, {"reminders", "enable"});
  EXPECT_FALSE(fs::exists(dropIn));
  EXPECT_EQ(readFile(log),
            "--user daemon-reload\n--user enable zarvo-reminders.service\n--user restart zarvo-reminders.service\n");
  run = zarvo("ZARVO_HOME=/elsewhere " + session, {"reminders", "enable"});
  EXPECT_EQ(readFile(dropIn), "[Service]\nEnvironment=\"ZARVO_HOME=/elsewhere\"\n");
  fs::remove(log);
  run = zarvo("ZARVO_HOME=/elsewhere " + session, {"reminders", "disable"});
  EXPECT_FALSE(fs::exists(dropIn));
  EXPECT_EQ(readFile(log), "--user disable --now zarvo-reminders.service\n--user daemon-reload\n");

  writeFile(scratch_.path() / "refuse", "");
  const Outcome refused = zarvo(session, {"reminders", "enable"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.err,
            "zarvo: systemctl --user enable zarvo-reminders.service failed: Failed to connect to bus\n");
}

TEST_F(RemindersCliTest, WithoutSystemdTheAutostartEntryIsWrittenAndRemoved) {
  const std::string session = "XDG_RUNTIME_DIR=" + shellQuoted((scratch_.path() / "run").string());
  const fs::path entry = scratch_.path() / "config" / "autostart" / "zarvo-reminders.desktop";
  const fs::path daemon = zarvo::testing::zarvoProgram().parent_path().parent_path() / "reminders-daemon" / "zarvo-reminders";

  EXPECT_EQ(zarvo(session, {"reminders", "status"}).out,
            "zarvo-reminders: disabled (autostart entry " + entry.string() + ")\n");
  Outcome run = zarvo(session, {"reminders", "enable"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "zarvo-reminders: enabled; it starts at your next login (" + entry.string() + ")\n");
  EXPECT_NE(readFile(entry).find("\nExec=" + daemon.string() + "\n"), std::string::npos) << readFile(entry);
  EXPECT_EQ(nlohmann::json::parse(zarvo(session, {"reminders", "status", "--json"}).out)["enabled"], true);

  // The entry starts the daemon on the home and settings it was enabled for, however they were given.
  run = zarvo("ZARVO_CONFIG='/etc/../my settings.toml' " + session, {"--home", "/tasks of mine", "reminders", "enable"});
  EXPECT_NE(readFile(entry).find("\nExec=" + daemon.string() + " --home \"/tasks of mine\" --config \"/my settings.toml\"\n"),
            std::string::npos)
      << readFile(entry);

  run = zarvo(session, {"reminders", "disable"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "zarvo-reminders: disabled (autostart entry " + entry.string() + ")\n");
  EXPECT_FALSE(fs::exists(entry));

  // An entry installed for every user is turned off for this one by a hidden entry of the same name.
  writeFile(scratch_.path() / "etc" / "autostart" / "zarvo-reminders.desktop", "[Desktop Entry]\nExec=/usr/bin/zarvo-reminders\n");
  EXPECT_EQ(zarvo(session, {"reminders", "status"}).out, "zarvo-reminders: enabled (autostart entry " + entry.string() + ")\n");
  EXPECT_EQ(zarvo(session, {"reminders", "disable"}).status, 0);
  EXPECT_NE(readFile(entry).find("\nHidden=true\n"), std::string::npos);
  EXPECT_EQ(zarvo(session, {"reminders", "status"}).out, "zarvo-reminders: disabled (autostart entry " + entry.string() + ")\n");

  EXPECT_EQ(zarvo(session, {"reminders", "start"}).status, 2);
}

// Reminders a person sets: --remind on add, `remind ID WHEN...` and `remind ID --clear`, each a change
// that undo takes back; ls marks the task, show lists the alarms, --json gives them. A length before
// the due follows the due when it is edited; absolute reminders do not survive a new due.
TEST_F(RemindersCliTest, RemindersAreSetShownFollowTheDueAndUndone) {
  const std::string berlin = "TZ=Europe/Berlin";
  const std::vector<std::string> home = {"--home", (scratch_.path() / "home").string()};
  auto run = [&](std::vector<std::string> args) {
    args.insert(args.begin(), home.begin(), home.end());
    return zarvo(berlin, args);
  };
  auto alarmsOf = [&](const std::string& id) {
    const Outcome shown = run({"show", id, "--json"});
    EXPECT_EQ(shown.status, 0) << shown.err;
    std::vector<std::string> out;
    const nlohmann::json tasks = nlohmann::json::parse(shown.out);
    for (const auto& a : tasks[0]["alarms"]) {
      out.push_back(a["trigger"].get<std::string>() + " " + a["at"].get<std::string>());
    }
    return out;
  };
  const std::vector<std::string> ref = {"--ref", "2024-03-11 10:00"};
  Outcome added = run({"add", "--json", ref[0], ref[1], "--remind", "10m", "--remind", "tomorrow 9am", "Call Ana tomorrow at 5pm"});
  ASSERT_EQ(added.status, 0) << added.err;
  const std::string id = nlohmann::json::parse(added.out)[0]["id"];
  const std::vector<std::string> set = {"PT0S 2024-03-12T17:00:00.000+01:00", "-PT10M 2024-03-12T16:50:00.000+01:00",
                                        "2024-03-12T09:00:00.000+01:00 2024-03-12T09:00:00.000+01:00"};
  EXPECT_EQ(alarmsOf(id), set);
  EXPECT_NE(run({"ls"}).out.find("Call Ana ⏰"), std::string::npos) << run({"ls"}).out;
  EXPECT_NE(run({"show", id}).out.find("  alarm      2024-03-12T16:50:00.000+01:00  (-PT10M from the due)\n"),
            std::string::npos)
      << run({"show", id}).out;

  Outcome changed = run({"remind", id, "--clear"});
  EXPECT_EQ(changed.status, 0) << changed.err;
  EXPECT_TRUE(alarmsOf(id).empty());
  EXPECT_EQ(run({"ls"}).out.find("⏰"), std::string::npos);
  EXPECT_EQ(run({"undo"}).status, 0);
  EXPECT_EQ(alarmsOf(id), set);

  // Words that read as one phrase are one reminder.
  changed = run({"remind", id, ref[0], ref[1], "tomorrow", "8am"});
  EXPECT_EQ(changed.status, 0) << changed.err;
  EXPECT_EQ(alarmsOf(id).back(), "2024-03-12T08:00:00.000+01:00 2024-03-12T08:00:00.000+01:00");
  EXPECT_EQ(run({"remind", id, "soonish"}).status, 2);
  EXPECT_EQ(run({"remind", id}).status, 2);
  EXPECT_EQ(alarmsOf(id).size(), 4u) << "a refused reminder changes nothing";

  changed = run({"edit", id, ref[0], ref[1], "--due", "tomorrow 6pm"});
  EXPECT_EQ(changed.status, 0) << changed.err;
  EXPECT_EQ(alarmsOf(id), (std::vector<std::string>{"PT0S 2024-03-12T18:00:00.000+01:00",
                                                    "-PT10M 2024-03-12T17:50:00.000+01:00"}));
}

// "remind me" phrases of add are read unless the settings turn them off; then they are the title's.
TEST_F(RemindersCliTest, TheSettingsTurnRemindMePhrasesOff) {
  const fs::path config = scratch_.path() / "off.toml";
  writeFile(config, "[quick-entry]\nreminders = false\n");
  for (const bool off : {false, true}) {
    std::vector<std::string> args = {"--home", (scratch_.path() / "home").string()};
    if (off) args.insert(args.end(), {"--config", config.string()});
    args.insert(args.end(), {"add", "--json", "--ref", "2024-03-11 10:00", "Call Ana tomorrow 5pm remind me 1h before"});
    const Outcome added = zarvo("TZ=Europe/Berlin", args);
    ASSERT_EQ(added.status, 0) << added.err;
    const nlohmann::json task = nlohmann::json::parse(added.out)[0];
    EXPECT_EQ(task["title"], off ? "Call Ana remind me 1h before" : "Call Ana") << off;
    EXPECT_EQ(task["alarms"].size(), off ? 1u : 2u) << task.dump();
  }
}

}  // namespace
