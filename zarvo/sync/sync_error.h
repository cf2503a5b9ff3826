// The errors of the account and sync operations: zarvo::Error values whose code is a SyncErrc (or a
// system error) and whose message() is for a person, naming the account, the server or the file
// concerned and what happened; never empty on failure.
//
// Values; no thread affinity.
#pragma once

#include <string>
#include <system_error>
#include <utility>

#include "zarvo/platform/error.h"

namespace zarvo::caldav {

enum class SyncErrc {
  noAccount = 1,        // the home has no account to sync
  unknownAccount,       // no account has that name
  invalidAccount,       // an account's name, URL, user or password source cannot be used
  credentialsInUrl,     // the server's URL holds a user name or password ("user:pass@")
  accountExists,        // the name is taken
  vdirsyncerMissing,    // vdirsyncer is not installed
  passwordUnavailable,  // the password's file or variable is missing
  busy,                 // another sync of this home is running
  unauthorized,         // the server refused the user name or password
  unreachable,          // the server could not be reached
  timedOut,             // the server did not answer in time
  cancelled,            // the caller stopped the sync
  emptiedOnServer,      // a list has no task left on the server, so it was not synced (see forceDelete)
  failed,               // vdirsyncer failed otherwise; the message says how
  home,                 // the home could not be opened or saved
  files,                // a file of the home's sync setup could not be read or written
};

const std::error_category& syncCategory() noexcept;
inline std::error_code make_error_code(SyncErrc code) noexcept { return {static_cast<int>(code), syncCategory()}; }

// A failure `code`, described for a person.
inline Error syncError(SyncErrc code, std::string description) {
  return Error(make_error_code(code), std::move(description));
}

}  // namespace zarvo::caldav

template <>
struct std::is_error_code_enum<zarvo::caldav::SyncErrc> : std::true_type {};
