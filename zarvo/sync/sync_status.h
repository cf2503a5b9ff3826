// SyncStatus: how an account or sync operation ended. A code a program can act on (a SyncErrc), and
// a message for a person that names the account, the server or the file concerned and what happened;
// the message is never empty on failure. Must-use, like zarvo::Error, which it carries.
//
// A value type; no thread affinity.
#pragma once

#include <cassert>
#include <string>
#include <system_error>
#include <utility>
#include <variant>

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

class [[nodiscard]] SyncStatus {
 public:
  // Success.
  SyncStatus() = default;
  SyncStatus(SyncErrc code, std::string message) : code_(make_error_code(code)), message_(std::move(message)) {}
  SyncStatus(Error code, std::string message) : code_(code), message_(std::move(message)) {}

  bool ok() const noexcept { return code_.ok(); }
  Error code() const noexcept { return code_; }
  bool is(SyncErrc code) const noexcept { return code_ == make_error_code(code); }
  // For a person, on one line; empty on success.
  const std::string& message() const noexcept { return message_; }

 private:
  Error code_;
  std::string message_;
};

// A value, or the SyncStatus that kept the operation from producing one. Must-use.
template <class T>
class [[nodiscard]] SyncExpected {
 public:
  SyncExpected(T value) : state_(std::in_place_index<0>, std::move(value)) {}  // NOLINT: implicit
  SyncExpected(SyncStatus failure) : state_(std::in_place_index<1>, std::move(failure)) {  // NOLINT: implicit
    assert(!std::get<1>(state_).ok() && "a SyncExpected holds a status only when it is a failure");
  }

  bool hasValue() const noexcept { return state_.index() == 0; }
  explicit operator bool() const noexcept { return hasValue(); }
  // REQUIRES: hasValue().
  T& value() & { return std::get<0>(state_); }
  const T& value() const& { return std::get<0>(state_); }
  T&& value() && { return std::get<0>(std::move(state_)); }
  T& operator*() & { return value(); }
  const T& operator*() const& { return value(); }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }
  // Success when there is a value.
  SyncStatus status() const { return hasValue() ? SyncStatus() : std::get<1>(state_); }

 private:
  std::variant<T, SyncStatus> state_;
};

}  // namespace zarvo::caldav

template <>
struct std::is_error_code_enum<zarvo::caldav::SyncErrc> : std::true_type {};
