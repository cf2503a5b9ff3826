// CalDAV accounts of a home, synced by vdirsyncer.
//
// An account NAME is three things, all inside the home (never the user's own vdirsyncer setup):
//   <reminders>/NAME/.source          the account's source folder in the reminders tree (identifier
//                                     and title NAME, type 2: CalDAV); one sub-folder per list
//   <home>/vdirsyncer/accounts/NAME   url=, user= and where the password comes from (one of
//                                     password-file=, password-command=, password-env=)
//   <home>/vdirsyncer/config          vdirsyncer's configuration for every account, written from the
//                                     account files; its status lives in <home>/vdirsyncer/status/
// The password itself is never stored: vdirsyncer asks for it each time it syncs, by reading the
// file, running the command, or reading the environment variable.
//
// Per account the configuration holds two pairs: "NAME" syncs the task files (a conflict goes to
// the resolver command, see conflict_resolution.h) and "NAME_meta" the lists' titles and colours
// (when both sides renamed a list, this machine's title wins).
//
// Threads: none of its own; use an Accounts from one thread at a time. Errors: AccountError, with a
// message for a person.
#pragma once

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zarvo::caldav {

class AccountError : public std::runtime_error {
 public:
  explicit AccountError(const std::string& message) : std::runtime_error(message) {}
};

enum class PasswordKind { file, command, environment };

struct PasswordSource {
  PasswordKind kind = PasswordKind::environment;
  // The file's absolute path, the shell command line, or the variable's name.
  std::string value;
};

struct Account {
  std::string name;
  std::string url;
  std::string user;
  PasswordSource password;

  // vdirsyncer's names for this account's pairs and storages.
  std::string pairName() const { return name; }
  std::string metaPairName() const { return name + "_meta"; }
  std::string localStorageName() const { return name + "_local"; }
  std::string remoteStorageName() const { return name + "_remote"; }
};

// Where a home keeps its accounts.
struct AccountsLayout {
  std::filesystem::path remindersRoot;  // the reminders tree
  std::filesystem::path directory;      // vdirsyncer's folder: config, status, account files

  static AccountsLayout forHome(const std::filesystem::path& home);
  std::filesystem::path configFile() const { return directory / "config"; }
  std::filesystem::path statusDirectory() const { return directory / "status"; }
  std::filesystem::path accountFile(std::string_view name) const { return directory / "accounts" / std::string(name); }
  std::filesystem::path sourceFolder(std::string_view name) const { return remindersRoot / std::string(name); }
  // Where conflicting versions that lost are kept.
  std::filesystem::path conflictsDirectory() const { return directory / "conflicts"; }
};

// Why `name` cannot name an account (it names a folder and vdirsyncer sections): nothing when it can.
// Allowed: 1 to 40 ASCII letters, digits, '-' and '_', starting with a letter or digit, not ending in
// "_meta".
std::optional<std::string> invalidAccountName(std::string_view name);

// Why the password cannot be had right now (a missing or unreadable file, an unset variable), for a
// clear error before vdirsyncer runs: nothing when it looks available. A command is not run here.
std::optional<std::string> passwordProblem(const PasswordSource& password);

class Accounts {
 public:
  explicit Accounts(AccountsLayout layout);

  const AccountsLayout& layout() const { return layout_; }

  // Every account, by name. Account files that cannot be read are left out.
  std::vector<Account> list() const;
  std::optional<Account> find(std::string_view name) const;

  // Writes the account file and the source folder with its metadata. AccountError when the name is
  // invalid or taken (by an account or any folder of the reminders tree), the URL is not http(s), the
  // user is empty, or a password file path is relative; nothing is written then.
  void add(const Account& account);
  // Forgets the account: its account file and vdirsyncer status go. Its source folder stays (the
  // caller removes the lists it wants gone); its metadata turns it into a local source, since nothing
  // syncs it any more. AccountError when there is no such account.
  void remove(std::string_view name);

  // vdirsyncer's configuration for `accounts`. `resolver` is the command (program and arguments)
  // vdirsyncer runs for a task changed on both sides; it appends the paths of the two versions.
  std::string configText(const std::vector<Account>& accounts, const std::vector<std::string>& resolver) const;
  // Writes configText(list(), resolver) to layout().configFile(), atomically.
  void writeConfig(const std::vector<std::string>& resolver) const;

  // The list folders of an account's source folder, sorted.
  std::vector<std::string> localCollections(std::string_view name) const;
  // The list folders the last successful discovery saw; nothing before the first one.
  std::optional<std::vector<std::string>> discoveredCollections(std::string_view name) const;
  void setDiscoveredCollections(std::string_view name, const std::vector<std::string>& collections) const;

 private:
  AccountsLayout layout_;
};

}  // namespace zarvo::caldav
