// What every program that shows a home's tasks to a person turns on, in one call, so that the
// command line, the desktop app and the reminders daemon read and write the same files the same way.
//
// The library's own defaults stay as they are for programs that do not call it. The call turns on:
// - Task::setRfcPriorityScale: PRIORITY 1 to 4 reads as high, as todoman and CalDAV clients write
//   it. Without it a task another client made "high" (3 or 4) reads as medium in one front end and
//   high in another.
// - Task::setDueAlarmsFollowDue: the alarm a task gets with a due time is written relative to the
//   due, so it moves when any client (todoman, a phone, `zarvo edit`) moves the due. Without it a
//   task made in one front end keeps ringing at the old moment after another moves its due.
// - Task::setColorizeTitles: open tasks due soon or overdue are coloured by urgency
//   (Task::titleColor); whether colour is painted at all stays each front end's choice.
// - reminders::setReadableFolderNames: a new list's folder is named after its title ("work"), not
//   after a UUID, so a person or a server's listing can tell the lists apart; the same list made
//   in either front end gets the same kind of folder.
// - reminders::setCompletedTaskFilesCheckInterval(kCompletedTaskFilesCheckInterval): a listing
//   checks the files of completed tasks for edits in place at most once every five minutes while
//   their folder is unchanged, so years of finished tasks do not slow every listing. What it can
//   delay, by at most that long: a completed task's file that another program rewrites in place,
//   without a rename (vdir clients, sync tools and this library replace files by a rename, which is
//   seen at once, as are new and removed files and every file of an open task). A home opened with
//   watchForChanges checks every file at the next read after each change its watcher sees.
//
// The options are process-wide. Call this once, from the main thread, before any home is opened and
// before any other thread uses the library: a task read before the call would be read on the other
// scale.
#pragma once

#include <chrono>

namespace zarvo {

inline constexpr std::chrono::minutes kCompletedTaskFilesCheckInterval{5};

void enableFrontEndOptions();

}  // namespace zarvo
