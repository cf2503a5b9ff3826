// Helpers shared by the tests of the reminders store and of the layers on it.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <future>
#include <map>
#include <string>
#include <vector>

#include "zarvo/reminders/event_store.h"
#include "zarvo/reminders/internal/file_cache.h"
#include "zarvo/testing/files.h"
#include "zarvo/testing/temp_dir.h"

namespace zarvo::reminders::testing {

using zarvo::testing::readFile;
using zarvo::testing::snapshot;
using zarvo::testing::TempDir;
using zarvo::testing::writeFile;

// The content lines of `text` (folded continuations and terminators included, byte for byte),
// leaving out the lines whose property name is in `owned`.
inline std::vector<std::string> linesExcept(const std::string& text, const std::vector<std::string>& owned) {
  std::vector<std::string> lines;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t eol = text.find('\n', pos);
    size_t next = eol == std::string::npos ? text.size() : eol + 1;
    std::string physical = text.substr(pos, next - pos);
    if (!lines.empty() && (physical[0] == ' ' || physical[0] == '\t')) {
      lines.back() += physical;
    } else {
      lines.push_back(physical);
    }
    pos = next;
  }
  std::vector<std::string> kept;
  for (const auto& l : lines) {
    std::string name = l.substr(0, l.find_first_of(";:"));
    if (std::find(owned.begin(), owned.end(), name) == owned.end()) kept.push_back(l);
  }
  return kept;
}

// A task file as another program writes it: `uid`, `title` and the content lines `extra` (each ending
// in CRLF).
inline std::string otherClientTask(const std::string& uid, const std::string& title, const std::string& extra = "") {
  return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Other//EN\r\nBEGIN:VTODO\r\nUID:" + uid + "\r\nSUMMARY:" + title +
         "\r\n" + extra + "END:VTODO\r\nEND:VCALENDAR\r\n";
}

inline EventStoreOptions optionsFor(const std::filesystem::path& root, bool watch = false) {
  EventStoreOptions o;
  o.root = root;
  o.watchForChanges = watch;
  return o;
}

// A store with the default layout (local source, calendar "Reminders") made through requestAccess.
inline void createStore(EventStore& store) {
  std::promise<bool> granted;
  store.requestAccessToEntityType(EntityType::reminder,
                                  [&](bool ok, std::optional<StoreError>) { granted.set_value(ok); });
  ASSERT_TRUE(granted.get_future().get());
}

// The code of the StoreError `f` throws, its message in `message`; a test failure when it throws none.
template <typename F>
StoreErrorCode failureOf(F&& f, std::string& message) {
  try {
    f();
  } catch (const StoreError& e) {
    message = e.what();
    return e.code();
  }
  ADD_FAILURE() << "no StoreError";
  return StoreErrorCode::invalid;
}

// A store with the default layout over the task files under root_, through a file system that
// injects faults: the fixture of the tests of what the store must never do to the files it shares
// with other programs. A subclass that keeps the files elsewhere sets root_ before SetUp.
class SharedFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    faulty_ = std::make_shared<platform::FaultInjectingFileSystem>(platform::FileSystem::posix());
    store_ = open();
    createStore(*store_);
    calendar_ = store_->defaultCalendarForNewReminders();
    ASSERT_NE(calendar_, nullptr);
    dir_ = root_ / calendar_->calendarIdentifier();
  }

  std::unique_ptr<EventStore> open(bool hold = false) {
    auto options = optionsFor(root_);
    options.fileSystem = faulty_;
    options.holdCommits = hold;
    return std::make_unique<EventStore>(options);
  }

  // The task `uid` as the files say it now.
  std::shared_ptr<Reminder> reread(const std::string& uid) {
    clearSharedFileCache();
    store_->reset();
    return store_->reminderWithExternalIdentifier(uid);
  }

  template <typename F>
  StoreErrorCode failureOf(F&& f) {
    return reminders::testing::failureOf(std::forward<F>(f), message_);
  }

  // Another program that opened a task file before our rewrite and writes into it in place
  // afterwards (same length, as an editor saving in place does) writes into the version replaced:
  // its bytes are kept as a conflict copy, never removed with that version.
  void expectAnInPlaceWriterAcrossTheRewriteKeepsItsBytes() {
    const std::string ours = otherClientTask("held", "Title one");
    const std::string theirs = otherClientTask("held", "Title two");
    ASSERT_EQ(ours.size(), theirs.size());
    writeFile(dir_ / "held.ics", ours);
    ASSERT_NE(reread("held"), nullptr);
    const int fd = ::open((dir_ / "held.ics").c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    auto held = open(/*hold=*/true);
    auto mine = held->reminderWithExternalIdentifier("held");
    ASSERT_NE(mine, nullptr);
    mine->setTitle("Mine");
    held->saveReminder(mine, true);
    held->commitWith([&] { ASSERT_EQ(::pwrite(fd, theirs.data(), theirs.size(), 0), static_cast<ssize_t>(theirs.size())); });
    ::close(fd);
    EXPECT_NE(readFile(dir_ / "held.ics").find("SUMMARY:Mine"), std::string::npos);
    std::vector<std::string> copies;
    for (const auto& [path, bytes] : snapshot(dir_)) {
      if (path.find(".conflict-") != std::string::npos) copies.push_back(bytes);
    }
    EXPECT_EQ(copies, std::vector<std::string>{theirs});
  }

  TempDir tmp_;
  std::filesystem::path root_ = tmp_.path() / "store";
  std::filesystem::path dir_;
  std::shared_ptr<platform::FaultInjectingFileSystem> faulty_;
  std::unique_ptr<EventStore> store_;
  std::shared_ptr<Calendar> calendar_;
  std::string message_;
};

}  // namespace zarvo::reminders::testing
