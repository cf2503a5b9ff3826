#include "app/session.h"

#include <algorithm>
#include <iostream>

#include "app/command_error.h"
#include "app/commands.h"
#include "app/messages.h"
#include "zarvo/model/tag.h"
#include "zarvo/platform/text.h"

namespace zarvo::app {

namespace fs = std::filesystem;

fs::path homePath(const GlobalOptions& options) {
  if (options.home) {
    if (options.home->empty()) throw UsageError(tr("--home needs a folder"));
    return fs::path(*options.home);
  }
  if (auto path = Home::defaultPath()) return *path;
  throw UsageError(tr("no home: set HOME, XDG_DATA_HOME or ZARVO_HOME, or pass --home"));
}

bool Session::exists(const GlobalOptions& options) { return Home::exists(homePath(options)); }

bool Session::noHomeYet(const GlobalOptions& options) {
  const fs::path path = homePath(options);
  std::error_code ec;
  if (fs::symlink_status(path, ec).type() != fs::file_type::not_found) return false;
  err().line("zarvo: " + trf("no home at '{}' yet (a command that adds something makes it)", path.string()));
  return true;
}

// A home that cannot be used is the command's refusal (exit status 1), with the home's own words.
std::unique_ptr<Home> Session::open(const GlobalOptions& options, HomeUse use) {
  const fs::path path = homePath(options);
  HomeOptions homeOptions;
  homeOptions.access = use == HomeUse::readOnly ? HomeAccess::read : HomeAccess::write;
  homeOptions.createIfMissing = use == HomeUse::change;
  homeOptions.whileWaiting = [](const std::string& holder) {
    err().line("zarvo: " + trf("waiting for {} to finish with the home...", holder));
  };
  auto home = Home::open(path, std::move(homeOptions));
  if (!home) throw RefusedError(home.error().message());
  return std::move(*home);
}

Session::Session(const GlobalOptions& options, HomeUse use) : home_(open(options, use)) {}

// Files the store could not show are never passed over in silence: one line, and where the details are.
Session::~Session() {
  if (const size_t leftOut = withDatesLeftOut_.size()) {
    err().line("zarvo: " +
               trnf("{} task holds a date outside the dates zarvo can keep (years 1 to 9999), shown without it; "
                      "'zarvo show ID' names it",
                      "{} tasks hold dates outside the dates zarvo can keep (years 1 to 9999), shown without them; "
                      "'zarvo show ID' names them",
                    leftOut, leftOut));
  }
  const size_t skipped = home_->skippedFiles().size();
  if (skipped == 0) return;
  err().line("zarvo: " +
             trnf("{} task file skipped (unreadable, or a second file of one task); ZARVO_LOG_LEVEL=error shows which and why",
                    "{} task files skipped (unreadable, or a second file of one task); ZARVO_LOG_LEVEL=error shows which and why",
                  skipped, skipped));
}

std::shared_ptr<List> Session::requireList(const std::string& title) const {
  if (auto list = home_->io().list(title)) return list;
  // The nearest title, compared in lower case as the look-up is; a list title is a word of the line.
  std::vector<std::string> lower, titles;
  for (const auto& list : home_->io().lists()) {
    titles.push_back(list->title());
    lower.push_back(platform::lowercased(std::string_view(titles.back())));
  }
  const auto meant = closestWord(platform::lowercased(std::string_view(title)), lower);
  if (meant) {
    throw UsageError(trf("no list named '{}'; did you mean '{}'?", title,
                         titles[static_cast<size_t>(std::find(lower.begin(), lower.end(), *meant) - lower.begin())]));
  }
  throw UsageError(trf("no list named '{}'", title));
}

std::vector<std::shared_ptr<Task>> Session::fetch(const std::optional<std::vector<std::shared_ptr<List>>>& lists,
                                                  bool completedOnly) {
  auto tasks = home_->fetchTasks(lists, completedOnly);
  if (!tasks) throw RefusedError(tasks.error().message());
  for (const auto& task : *tasks) {
    const auto r = task->reminder();
    if (r && !r->datesLeftOut().empty()) withDatesLeftOut_.insert(r->calendarItemExternalIdentifier());
  }
  return std::move(*tasks);
}

std::vector<std::shared_ptr<Task>> Session::allTasks() {
  // Incomplete tasks are read last, so they carry the reminders of the store's latest state: they
  // are the ones most commands change.
  std::vector<std::shared_ptr<Task>> completed = fetch(std::nullopt, true);
  std::vector<std::shared_ptr<Task>> tasks = fetch(std::nullopt, false);
  tasks.insert(tasks.end(), completed.begin(), completed.end());
  return tasks;
}

std::optional<std::string> Session::listTitle(const Task& task) const {
  const std::string id = task.calendarId();
  for (const auto& list : home_->io().lists()) {
    if (auto calendar = list->calendar(); calendar && calendar->calendarIdentifier() == id) return list->title();
  }
  if (auto reminder = task.reminder(); reminder && reminder->calendar()) return reminder->calendar()->title();
  return std::nullopt;
}

std::vector<std::string> Session::tagTitles(const Task& task) const {
  // Loading each task's tags is a query per task; there are few tags, so read them from the tags.
  if (!tagIndex_) {
    tagIndex_.emplace();
    for (const auto& tag : home_->context()->fetch<Tag>(Tag::fetchRequest())) {
      const auto title = tag->title();
      if (!title) continue;
      for (const auto& tagged : tag->tasks()) (*tagIndex_)[tagged.get()].push_back(*title);
    }
    for (auto& [_, titles] : *tagIndex_) std::sort(titles.begin(), titles.end());
  }
  const auto it = tagIndex_->find(&task);
  return it == tagIndex_->end() ? std::vector<std::string>() : it->second;
}

void Session::finish(std::string_view description) { home_->save(description); }

namespace {

UndoResult orThrow(Expected<UndoResult> result) {
  if (result) return std::move(*result);
  if (result.error() == HistoryErrc::nothingToUndo || result.error() == HistoryErrc::nothingToRedo) {
    throw UsageError(result.error().message());
  }
  throw RefusedError(result.error().message());
}

}  // namespace

UndoResult Session::undo(bool skipChanged) { return orThrow(home_->undoLastChange(skipChanged)); }

UndoResult Session::redo(bool skipChanged) { return orThrow(home_->redoLastChange(skipChanged)); }

}  // namespace zarvo::app
