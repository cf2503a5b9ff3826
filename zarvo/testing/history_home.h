// A home with a history, made the way zarvo::Home makes one (the reminders store holding its commits,
// the records, CalendarIO carrying record fields, the history told of every write), but on its own
// CalendarIO instance and file system: a test may open many, on file systems that fail or crash.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "zarvo/home/history.h"
#include "zarvo/home/internal/saving.h"
#include "zarvo/model/item.h"
#include "zarvo/model/tag.h"
#include "zarvo/platform/dispatch.h"
#include "zarvo/sync/internal/calendar_io_testing.h"
#include "zarvo/testing/reminders_store.h"

namespace zarvo::testing {

class HistoryHome {
 public:
  explicit HistoryHome(const std::filesystem::path& home,
                       std::shared_ptr<platform::FileSystem> fileSystem = platform::FileSystem::posix(),
                       HistoryOptions options = {})
      : history_(std::make_unique<History>(home / "history", home / "reminders", fileSystem, options)) {
    reminders::EventStoreOptions o = reminders::testing::optionsFor(home / "reminders");
    o.fileSystem = std::move(fileSystem);
    o.holdCommits = true;
    o.fileCachePath = home / "reminders.cache";
    o.beforeWriting = [history = history_.get()](const std::vector<reminders::FileChange>& changes) {
      return history->beforeWriting(changes);
    };
    context_ = openObjectContext((home / "records.sqlite").string());
    io_ = CalendarIOTestAccess::make(o);
    io_->setManagedContext(context_);
    io_->setCarriesRecordFields(true);
    io_->loadLists();
  }
  ~HistoryHome() {
    io_.reset();
    platform::MainQueue::drain();
    context_->close();
  }

  CalendarIO& io() { return *io_; }
  History& history() { return *history_; }
  const std::shared_ptr<store::ObjectContext>& context() { return context_; }

  std::vector<std::shared_ptr<Task>> fetch(bool completedOnly) {
    std::promise<std::vector<std::shared_ptr<Task>>> answer;
    io_->fetch(std::nullopt, completedOnly, [&](const CalendarIO::TaskArray& tasks) { answer.set_value(tasks); });
    auto future = answer.get_future();
    if (future.wait_for(std::chrono::seconds(30)) != std::future_status::ready) throw std::runtime_error("no answer");
    std::promise<void> idle;
    context_->perform([&] { idle.set_value(); });
    idle.get_future().wait();
    return future.get();
  }
  std::vector<std::shared_ptr<Task>> allTasks() {
    auto tasks = fetch(true);
    for (auto& t : fetch(false)) tasks.push_back(std::move(t));
    return tasks;
  }
  std::shared_ptr<Task> task(const std::string& title) {
    for (auto& t : allTasks()) {
      if (t->title() == title) return t;
    }
    throw std::runtime_error("no task '" + title + "'");
  }
  void tag(const std::shared_ptr<Task>& task, const std::vector<std::string>& titles) {
    std::vector<std::shared_ptr<Tag>> tags;
    for (const auto& title : titles) tags.push_back(Tag::fetchOrCreate(title, context_));
    task->setTags(tags);
    io_->save(task, true);
  }

  void save(std::string_view description = {}, const std::function<void()>& atRecordsCommit = {}) {
    saveTogether(*io_, *context_, history_.get(), description, atRecordsCommit);
    platform::MainQueue::drain();
    io_->eventStore().saveFileCache();
  }

  Expected<UndoResult> undo(bool skipChanged = false) {
    return history_->undoLast(host(), skipChanged);
  }
  Expected<UndoResult> redo(bool skipChanged = false) { return history_->redoLast(host(), skipChanged); }
  History::Host host() {
    return History::Host{*io_, context_,
                         [this]() -> Expected<std::vector<std::shared_ptr<Task>>> { return allTasks(); },
                         [this]() { return saveReportingErrors([this] { save(); }); }};
  }

  // What a person sees of the home: each task (title, list, completion, flag, tags) by UID, and the
  // lists in their order.
  struct View {
    std::map<std::string, std::string> tasks;
    std::vector<std::string> lists;
    bool operator==(const View&) const = default;
  };
  View view() {
    View v;
    std::map<std::string, std::string> listTitles;
    for (const auto& list : io_->lists()) {
      v.lists.push_back(list->title());
      if (list->calendar()) listTitles[list->calendar()->calendarIdentifier()] = list->title();
    }
    for (const auto& task : allTasks()) {
      std::string line = task->title().value_or("") + " in " + listTitles[task->calendarId()];
      if (task->isCompleted()) line += ", completed";
      if (task->flagged()) line += ", flagged";
      std::set<std::string> tags;
      for (const auto& tag : task->tags()) tags.insert(tag->title().value_or(""));
      for (const auto& tag : tags) line += " +" + tag;
      v.tasks[task->reminderId().value_or("")] = line;
    }
    return v;
  }

 private:
  std::unique_ptr<History> history_;
  std::shared_ptr<store::ObjectContext> context_;
  std::unique_ptr<CalendarIO> io_;
};

inline std::ostream& operator<<(std::ostream& out, const HistoryHome::View& v) {
  out << "lists:";
  for (const auto& l : v.lists) out << " " << l;
  for (const auto& [uid, line] : v.tasks) out << "\n  " << line;
  return out;
}

}  // namespace zarvo::testing
