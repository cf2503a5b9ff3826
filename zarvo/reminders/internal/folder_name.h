// Readable folder names for new calendars, made from their titles (EventStore::setReadableFolderNames).
#pragma once

#include <cstddef>
#include <set>
#include <string>
#include <string_view>

namespace zarvo::reminders::detail {

// The longest name folderNameForTitle gives, in bytes (a suffix included): short enough for any file
// system and for a CalDAV server's URL, long enough to tell lists apart.
inline constexpr size_t kMaxFolderNameBytes = 48;

// A folder name for a calendar titled `title`, unique among `taken` (the names already in the account
// folder, compared without regard to ASCII case, since a server or a copy on another file system may
// not tell "Work" from "work"). Lower case; letters and digits of the title in ASCII where a
// transliteration exists (Latin with accents, Greek, Cyrillic...; a title holding Han characters keeps
// its own letters, which read differently in Japanese and Chinese); every run of anything else one
// "-", none at either end, so never "/", never a leading dot, never "." or "..". Valid UTF-8 of at most
// kMaxFolderNameBytes bytes, cut between code points. "list" when the title leaves nothing; "work-2",
// "work-3"... when the name is taken.
std::string folderNameForTitle(std::string_view title, const std::set<std::string>& taken);

}  // namespace zarvo::reminders::detail
