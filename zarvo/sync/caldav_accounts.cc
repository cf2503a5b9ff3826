#include "zarvo/sync/caldav_accounts.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstdio>

#include "zarvo/platform/filesystem.h"

namespace zarvo::caldav {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kMetaSuffix = "_meta";

platform::FileSystem& files() { return *platform::FileSystem::posix(); }

void write(const fs::path& path, std::string_view text, std::optional<uint32_t> mode = std::nullopt) {
  if (auto ec = platform::createDirectories(files(), path.parent_path())) {
    throw AccountError("cannot create '" + path.parent_path().string() + "': " + ec.message());
  }
  if (auto ec = platform::writeFileAtomically(files(), path, text, mode)) {
    throw AccountError("cannot write '" + path.string() + "': " + ec.message());
  }
}

std::optional<std::string> read(const fs::path& path) {
  std::string text;
  if (files().readFile(path, text)) return std::nullopt;
  return text;
}

// A JSON string literal: vdirsyncer reads every configuration value as JSON.
std::string json(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
          out += escaped;
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

std::string jsonArray(const std::vector<std::string>& items) {
  std::string out = "[";
  for (size_t i = 0; i < items.size(); ++i) out += (i == 0 ? "" : ", ") + json(items[i]);
  return out + "]";
}

// vdirsyncer's way of getting the password: it runs a command and takes its output.
std::vector<std::string> passwordFetch(const PasswordSource& password) {
  switch (password.kind) {
    case PasswordKind::file: return {"command", "cat", password.value};
    case PasswordKind::command: return {"shell", password.value};
    case PasswordKind::environment: return {"command", "printenv", password.value};
  }
  return {};
}

constexpr std::string_view passwordKey(PasswordKind kind) {
  switch (kind) {
    case PasswordKind::file: return "password-file";
    case PasswordKind::command: return "password-command";
    case PasswordKind::environment: return "password-env";
  }
  return "";
}

std::optional<Account> parseAccount(std::string name, const std::string& text) {
  Account account;
  account.name = std::move(name);
  bool hasPassword = false;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    start = end + 1;
    const size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
    if (key == "url") account.url = value;
    if (key == "user") account.user = value;
    for (const auto kind : {PasswordKind::file, PasswordKind::command, PasswordKind::environment}) {
      if (key == passwordKey(kind)) {
        account.password = {kind, value};
        hasPassword = true;
      }
    }
  }
  if (account.url.empty() || account.user.empty() || !hasPassword) return std::nullopt;
  return account;
}

bool hasLineBreak(std::string_view text) { return text.find_first_of("\r\n") != std::string_view::npos; }

std::string sourceFile(std::string_view name, int type) {
  const std::string n(name);
  return "identifier=" + n + "\ntitle=" + n + "\ntype=" + std::to_string(type) + "\n";
}

}  // namespace

AccountsLayout AccountsLayout::forHome(const fs::path& home) {
  return AccountsLayout{home / "reminders", home / "vdirsyncer"};
}

std::optional<std::string> invalidAccountName(std::string_view name) {
  if (name.empty() || name.size() > 40) return "an account name has 1 to 40 characters";
  for (const char c : name) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
    if (!ok) return "an account name has only letters, digits, '-' and '_'";
  }
  if (name.front() == '-' || name.front() == '_') return "an account name starts with a letter or a digit";
  if (name.ends_with(kMetaSuffix)) return "an account name does not end in '_meta'";
  return std::nullopt;
}

std::optional<std::string> passwordProblem(const PasswordSource& password) {
  switch (password.kind) {
    case PasswordKind::file:
      if (::access(password.value.c_str(), R_OK) != 0) {
        return "the password file '" + password.value + "' cannot be read";
      }
      return std::nullopt;
    case PasswordKind::environment:
      if (std::getenv(password.value.c_str()) == nullptr) {
        return "the password comes from the environment variable " + password.value + ", which is not set";
      }
      return std::nullopt;
    case PasswordKind::command: return std::nullopt;
  }
  return std::nullopt;
}

Accounts::Accounts(AccountsLayout layout) : layout_(std::move(layout)) {}

std::vector<Account> Accounts::list() const {
  std::vector<Account> out;
  std::vector<platform::DirectoryEntry> entries;
  if (files().listDirectory(layout_.directory / "accounts", entries)) return out;
  for (const auto& entry : entries) {
    if (!entry.isRegular || invalidAccountName(entry.name) || platform::isTemporaryFileName(entry.name)) continue;
    if (auto text = read(layout_.accountFile(entry.name))) {
      if (auto account = parseAccount(entry.name, *text)) out.push_back(std::move(*account));
    }
  }
  std::sort(out.begin(), out.end(), [](const Account& a, const Account& b) { return a.name < b.name; });
  return out;
}

std::optional<Account> Accounts::find(std::string_view name) const {
  for (auto& account : list()) {
    if (account.name == name) return account;
  }
  return std::nullopt;
}

void Accounts::add(const Account& account) {
  if (auto why = invalidAccountName(account.name)) throw AccountError("invalid account name '" + account.name + "': " + *why);
  if (find(account.name)) throw AccountError("there is already an account named '" + account.name + "'");
  std::error_code ec;
  if (fs::exists(layout_.sourceFolder(account.name), ec)) {
    throw AccountError("the reminders tree already has a folder '" + account.name + "'; choose another name");
  }
  if (!account.url.starts_with("http://") && !account.url.starts_with("https://")) {
    throw AccountError("the server's URL must start with https:// (or http://), not '" + account.url + "'");
  }
  if (hasLineBreak(account.url) || account.url.find_first_of(" \t") != std::string::npos) {
    throw AccountError("the server's URL cannot hold blanks or line breaks");
  }
  if (account.user.empty() || hasLineBreak(account.user)) throw AccountError("the user name must be one line of text");
  if (account.password.value.empty() || hasLineBreak(account.password.value)) {
    throw AccountError("where the password comes from must be one line of text");
  }
  if (account.password.kind == PasswordKind::file && !fs::path(account.password.value).is_absolute()) {
    throw AccountError("the password file must be given by its absolute path");
  }
  if (account.password.kind == PasswordKind::environment && account.password.value.find('=') != std::string::npos) {
    throw AccountError("'" + account.password.value + "' is not the name of an environment variable");
  }

  write(layout_.sourceFolder(account.name) / ".source", sourceFile(account.name, 2));
  write(layout_.accountFile(account.name),
        "url=" + account.url + "\nuser=" + account.user + "\n" + std::string(passwordKey(account.password.kind)) +
            "=" + account.password.value + "\n",
        0600);
}

void Accounts::remove(std::string_view name) {
  if (!find(name)) throw AccountError("there is no account named '" + std::string(name) + "'");
  if (auto ec = files().removeFile(layout_.accountFile(name))) {
    throw AccountError("cannot remove '" + layout_.accountFile(name).string() + "': " + ec.message());
  }
  // vdirsyncer keeps a status per pair and per list ("NAME.collections", "NAME/<list>.items", ...).
  std::error_code ec;
  for (const std::string& pair : {std::string(name), std::string(name) + std::string(kMetaSuffix)}) {
    fs::remove_all(layout_.statusDirectory() / pair, ec);
    for (const char* suffix : {".collections", ".items", ".metadata"}) {
      fs::remove(layout_.statusDirectory() / (pair + suffix), ec);
    }
  }
  fs::remove(layout_.directory / "discovered" / std::string(name), ec);
  if (fs::exists(layout_.sourceFolder(name) / ".source", ec)) {
    write(layout_.sourceFolder(name) / ".source", sourceFile(name, 0));
  }
}

std::string Accounts::configText(const std::vector<Account>& accounts, const std::vector<std::string>& resolver) const {
  std::string out = "# Written by zarvo from the files in " + (layout_.directory / "accounts").string() +
                    "; changes made here are overwritten.\n\n[general]\nstatus_path = " +
                    json(layout_.statusDirectory().string() + "/") + "\n";
  for (const auto& a : accounts) {
    std::vector<std::string> conflict = {"command"};
    conflict.insert(conflict.end(), resolver.begin(), resolver.end());
    const std::string sides = "a = " + json(a.localStorageName()) + "\nb = " + json(a.remoteStorageName()) +
                              "\ncollections = [\"from a\", \"from b\"]\n";
    out += "\n[pair " + a.pairName() + "]\n" + sides + "conflict_resolution = " + jsonArray(conflict) + "\n";
    out += "\n[pair " + a.metaPairName() + "]\n" + sides +
           "metadata = [\"displayname\", \"color\"]\nconflict_resolution = \"a wins\"\n";
    out += "\n[storage " + a.localStorageName() + "]\ntype = \"filesystem\"\npath = " +
           json(layout_.sourceFolder(a.name).string() + "/") + "\nfileext = \".ics\"\n";
    out += "\n[storage " + a.remoteStorageName() + "]\ntype = \"caldav\"\nurl = " + json(a.url) +
           "\nusername = " + json(a.user) + "\npassword.fetch = " + jsonArray(passwordFetch(a.password)) +
           "\nitem_types = [\"VTODO\"]\n";
  }
  return out;
}

void Accounts::writeConfig(const std::vector<std::string>& resolver) const {
  write(layout_.configFile(), configText(list(), resolver), 0600);
}

std::vector<std::string> Accounts::localCollections(std::string_view name) const {
  std::vector<std::string> out;
  std::vector<platform::DirectoryEntry> entries;
  if (files().listDirectory(layout_.sourceFolder(name), entries)) return out;
  for (const auto& entry : entries) {
    if (entry.isDirectory && !entry.name.starts_with('.')) out.push_back(entry.name);
  }
  std::sort(out.begin(), out.end());
  return out;
}

std::optional<std::vector<std::string>> Accounts::discoveredCollections(std::string_view name) const {
  const auto text = read(layout_.directory / "discovered" / std::string(name));
  if (!text) return std::nullopt;
  std::vector<std::string> out;
  size_t start = 0;
  while (start < text->size()) {
    size_t end = text->find('\n', start);
    if (end == std::string::npos) end = text->size();
    if (end > start) out.push_back(text->substr(start, end - start));
    start = end + 1;
  }
  return out;
}

void Accounts::setDiscoveredCollections(std::string_view name, const std::vector<std::string>& collections) const {
  std::string text;
  for (const auto& c : collections) text += c + "\n";
  write(layout_.directory / "discovered" / std::string(name), text);
}

}  // namespace zarvo::caldav
