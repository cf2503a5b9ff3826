// The passwords of CalDAV accounts, kept in the desktop's Secret Service (GNOME Keyring, KWallet and
// the like, through libsecret), never in a file of ours.
//
// A password is filed under its server's URL and the user name, in the schema "org.zarvo.CalDAV", so
// two homes syncing the same account share it. The sync never sees it here: the account's password
// command (lookupCommand) asks the Secret Service for it each time vdirsyncer needs it, with
// libsecret's `secret-tool` (Debian's libsecret-tools), which prints it on its standard output to
// vdirsyncer alone. The password is in no command line (only the URL and user are) and no log.
//
// Threads: every call blocks on the session bus (and on an unlock prompt, when the keyring is
// locked); call them off the UI thread. They may be called from any thread.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zarvo::desktop {

struct SecretKey {
  std::string url;
  std::string user;
};

// Stores (or replaces) the password: nothing on success, else why not, for a person.
std::optional<std::string> storePassword(const SecretKey& key, std::string_view password);
// The stored password, or nothing when there is none or the Secret Service cannot be reached.
std::optional<std::string> lookupPassword(const SecretKey& key);
// Forgets the password; nothing on success (also when none was stored), else why not.
std::optional<std::string> clearPassword(const SecretKey& key);

// The shell command that prints the password stored under `key`: the account's password command.
std::string lookupCommand(const SecretKey& key);
// The key of a password command lookupCommand() made; nothing for any other command.
std::optional<SecretKey> keyOfLookupCommand(std::string_view command);

}  // namespace zarvo::desktop
