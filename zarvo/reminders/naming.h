// How the reminders store names what it makes: the folder of a new calendar, and the local source
// (account) a new store starts with. Process-wide; the settings belong to the application.
#pragma once

#include <string_view>

#include "zarvo/reminders/records.h"

namespace zarvo::reminders {

// How the folder of a new calendar is named when the calendar is first saved. Default false: after a
// fresh UUID, so a calendar identifier is never used twice (a record kept for a calendar that another
// program removed can never be taken for a new calendar of the same title). true: after the
// calendar's title, for people who look at the tree or at a server ("Work" -> "work", "Einkäufe" ->
// "einkaufe", "work-2" beside an existing "work"; see internal/folder_name.h). Either way an existing
// folder keeps its name and a renamed calendar its folder. Any thread; set it before opening stores.
void setReadableFolderNames(bool readable);
bool readableFolderNames();

// The title of the local source a new store is made with.
inline constexpr std::string_view kLocalSourceTitle = "This computer";

// Whether `source` is a local source with a title the store gave it: kLocalSourceTitle, or "On My
// Computer" as older stores have it (not one its user wrote). A front end shows such a source by a
// name in its user's language; the title in the file stays as it is, since records remember their
// source by it.
bool hasBuiltInTitle(const Source& source);

}  // namespace zarvo::reminders
