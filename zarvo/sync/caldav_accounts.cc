#include "zarvo/sync/caldav_accounts.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstdio>

namespace zarvo::caldav {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kMetaSuffix = "_meta";

Error filesProblem(std::string_view what, const fs::path& path, std::error_code ec) {
  return syncError(SyncErrc::files, std::string(what) + " '" + path.string() + "': " + ec.message());
}

// Removes `path` and everything under it; a missing path is fine.
std::error_code removeTree(platform::FileSystem& files, const fs::path& path) {
  platform::FileInfo info;
  if (auto ec = files.stat(path, info)) return ec;
  if (!info.exists) return {};
  if (!info.isDirectory) return files.removeFile(path);
  std::vector<platform::DirectoryEntry> entries;
  if (auto ec = files.listDirectory(path, entries)) return ec;
  for (const auto& entry : entries) {
    if (auto ec = entry.isDirectory ? removeTree(files, path / entry.name) : files.removeFile(path / entry.name)) {
      return ec;
    }
  }
  return files.removeDirectory(path);
}

std::error_code removeIfPresent(platform::FileSystem& files, const fs::path& path) {
  const std::error_code ec = files.removeFile(path);
  return ec == std::errc::no_such_file_or_directory ? std::error_code() : ec;
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

// What is wrong with the host and port of an http(s) URL without credentials, if anything. vdirsyncer
// would take "http://host:/" and fail at every sync with a message about the URL's parsing; said
// here, the account is never stored.
std::optional<std::string> hostProblem(std::string_view url) {
  std::string_view authority = url.substr(url.find("://") + 3);
  authority = authority.substr(0, authority.find_first_of("/?#"));
  std::string_view host = authority, port;
  bool hasPort = false;
  if (authority.starts_with('[')) {  // an IPv6 address: [::1]:5232
    const size_t close = authority.find(']');
    if (close == std::string_view::npos) return "an IPv6 address in it lacks its closing ']'";
    host = authority.substr(0, close + 1);
    const std::string_view rest = authority.substr(close + 1);
    if (!rest.empty() && !rest.starts_with(':')) return "'" + std::string(rest) + "' follows its IPv6 address";
    hasPort = !rest.empty();
    if (hasPort) port = rest.substr(1);
  } else if (const size_t colon = authority.rfind(':'); colon != std::string_view::npos) {
    host = authority.substr(0, colon);
    port = authority.substr(colon + 1);
    hasPort = true;
  }
  if (host.empty() || host == "[]") return "it names no server";
  if (!hasPort) return std::nullopt;
  if (port.empty()) return "it has no port number after ':' (give one, or leave out the ':' for the usual port)";
  const bool digits = port.size() <= 5 && std::all_of(port.begin(), port.end(), [](char c) { return c >= '0' && c <= '9'; });
  if (!digits || std::atoi(std::string(port).c_str()) < 1 || std::atoi(std::string(port).c_str()) > 65535) {
    return "its port '" + std::string(port) + "' is not a number from 1 to 65535";
  }
  return std::nullopt;
}

std::string sourceFile(std::string_view name, int type) {
  const std::string n(name);
  return "identifier=" + n + "\ntitle=" + n + "\ntype=" + std::to_string(type) + "\n";
}

}  // namespace

AccountsLayout AccountsLayout::forHome(const fs::path& home) {
  return AccountsLayout{home / "reminders", home / "vdirsyncer"};
}

bool urlHasCredentials(std::string_view url) {
  const size_t scheme = url.find("://");
  if (scheme == std::string_view::npos) return false;
  const std::string_view rest = url.substr(scheme + 3);
  return rest.substr(0, rest.find_first_of("/?#")).find('@') != std::string_view::npos;
}

std::string urlWithoutCredentials(std::string_view url) {
  if (!urlHasCredentials(url)) return std::string(url);
  const size_t start = url.find("://") + 3;
  const size_t at = url.substr(0, url.find_first_of("/?#", start)).rfind('@');
  return std::string(url.substr(0, start)) + std::string(url.substr(at + 1));
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

Accounts::Accounts(AccountsLayout layout, std::shared_ptr<platform::FileSystem> fileSystem)
    : layout_(std::move(layout)), files_(fileSystem ? std::move(fileSystem) : platform::FileSystem::posix()) {}

Error Accounts::write(const fs::path& path, std::string_view text) const {
  if (auto ec = platform::createDirectories(*files_, path.parent_path())) {
    return filesProblem("cannot create", path.parent_path(), ec);
  }
  if (auto ec = platform::writeFileAtomically(*files_, path, text, 0600)) return filesProblem("cannot write", path, ec);
  return {};
}

std::optional<std::string> Accounts::read(const fs::path& path) const {
  std::string text;
  if (files_->readFile(path, text)) return std::nullopt;
  return text;
}

fs::path Accounts::discoveredFile(std::string_view name) const { return layout_.directory / "discovered" / std::string(name); }
fs::path Accounts::uploadFile(std::string_view name) const { return layout_.directory / "upload" / std::string(name); }

std::vector<Account> Accounts::list() const {
  std::vector<Account> out;
  std::vector<platform::DirectoryEntry> entries;
  if (files_->listDirectory(layout_.directory / "accounts", entries)) return out;
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

Error Accounts::check(const Account& account) const {
  const auto invalid = [](std::string message) { return syncError(SyncErrc::invalidAccount, std::move(message)); };
  if (auto why = invalidAccountName(account.name)) return invalid("invalid account name '" + account.name + "': " + *why);
  if (find(account.name)) {
    return syncError(SyncErrc::accountExists, "there is already an account named '" + account.name + "'");
  }
  platform::FileInfo folder;
  if (files_->stat(layout_.sourceFolder(account.name), folder) || folder.exists) {
    return invalid("the reminders tree already has a folder '" + account.name + "'; choose another name");
  }
  return checkFields(account);
}

Error Accounts::checkFields(const Account& account) const {
  const auto invalid = [](std::string message) { return syncError(SyncErrc::invalidAccount, std::move(message)); };
  if (!account.url.starts_with("http://") && !account.url.starts_with("https://")) {
    return invalid("the server's URL must start with https:// (or http://), not '" + account.url + "'");
  }
  if (hasLineBreak(account.url) || account.url.find_first_of(" \t") != std::string::npos) {
    return invalid("the server's URL cannot hold blanks or line breaks");
  }
  if (urlHasCredentials(account.url)) {
    // Said without the URL: it holds the password.
    return syncError(SyncErrc::credentialsInUrl,
                      "the server's URL holds a user name or password ('user:password@'), which would be stored; "
                      "give the URL without it, the user name on its own and where the password comes from");
  }
  if (auto why = hostProblem(account.url)) return invalid("the server's URL '" + account.url + "' cannot be used: " + *why);
  if (account.user.empty() || hasLineBreak(account.user)) return invalid("the user name must be one line of text");
  if (account.password.value.empty() || hasLineBreak(account.password.value)) {
    return invalid("where the password comes from must be one line of text");
  }
  if (account.password.kind == PasswordKind::file && !fs::path(account.password.value).is_absolute()) {
    return invalid("the password file must be given by its absolute path");
  }
  if (account.password.kind == PasswordKind::environment && account.password.value.find('=') != std::string::npos) {
    return invalid("'" + account.password.value + "' is not the name of an environment variable");
  }
  return {};
}

Error Accounts::add(const Account& account) {
  if (auto status = check(account); !status.ok()) return status;
  if (auto status = write(layout_.sourceFolder(account.name) / ".source", sourceFile(account.name, 2)); !status.ok()) {
    return status;
  }
  return writeAccountFile(account);
}

Error Accounts::update(const Account& account) {
  if (!find(account.name)) {
    return syncError(SyncErrc::unknownAccount, "there is no account named '" + account.name + "'");
  }
  if (auto status = checkFields(account); !status.ok()) return status;
  return writeAccountFile(account);
}

Error Accounts::writeAccountFile(const Account& account) {
  return write(layout_.accountFile(account.name),
               "url=" + account.url + "\nuser=" + account.user + "\n" + std::string(passwordKey(account.password.kind)) +
                   "=" + account.password.value + "\n");
}

Error Accounts::remove(std::string_view name) {
  if (!find(name)) return syncError(SyncErrc::unknownAccount, "there is no account named '" + std::string(name) + "'");
  if (auto ec = files_->removeFile(layout_.accountFile(name))) {
    return filesProblem("cannot remove", layout_.accountFile(name), ec);
  }
  // vdirsyncer keeps a status per pair and per list ("NAME.collections", "NAME/<list>.items", ...).
  // What cannot be removed only takes room: the account is gone once its file is.
  std::error_code leftOver;
  for (const std::string& pair : {std::string(name), std::string(name) + std::string(kMetaSuffix)}) {
    if (auto ec = removeTree(*files_, layout_.statusDirectory() / pair)) leftOver = ec;
    for (const char* suffix : {".collections", ".items", ".metadata"}) {
      if (auto ec = removeIfPresent(*files_, layout_.statusDirectory() / (pair + suffix))) leftOver = ec;
    }
  }
  if (auto ec = removeIfPresent(*files_, discoveredFile(name))) leftOver = ec;
  if (auto ec = removeIfPresent(*files_, uploadFile(name))) leftOver = ec;
  platform::FileInfo source;
  if (!files_->stat(layout_.sourceFolder(name) / ".source", source) && source.exists) {
    if (auto status = write(layout_.sourceFolder(name) / ".source", sourceFile(name, 0)); !status.ok()) return status;
  }
  if (leftOver) return filesProblem("the account is removed, but not all of its sync status in", layout_.statusDirectory(), leftOver);
  return {};
}

std::string Accounts::configText(const std::vector<Account>& accounts, const std::vector<std::string>& resolver) const {
  std::string out = "# Written by zarvo from the files in " + (layout_.directory / "accounts").string() +
                    "; changes made here are overwritten.\n\n[general]\nstatus_path = " +
                    json(layout_.statusDirectory().string() + "/") + "\n";
  for (const auto& a : accounts) {
    const std::string sides = "a = " + json(a.localStorageName()) + "\nb = " + json(a.remoteStorageName()) +
                              "\ncollections = [\"from a\", \"from b\"]\n";
    out += "\n[pair " + a.pairName() + "]\n" + sides;
    // vdirsyncer refuses a configuration whose command has no program, which would fail every sync;
    // without a resolver a task changed on both sides is reported and left alone instead.
    if (!resolver.empty()) {
      std::vector<std::string> conflict = {"command"};
      conflict.insert(conflict.end(), resolver.begin(), resolver.end());
      out += "conflict_resolution = " + jsonArray(conflict) + "\n";
    }
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

Error Accounts::writeConfig(const std::vector<std::string>& resolver) const {
  return write(layout_.configFile(), configText(list(), resolver));
}

std::vector<std::string> Accounts::localCollections(std::string_view name) const {
  std::vector<std::string> out;
  std::vector<platform::DirectoryEntry> entries;
  if (files_->listDirectory(layout_.sourceFolder(name), entries)) return out;
  for (const auto& entry : entries) {
    if (entry.isDirectory && !entry.name.starts_with('.')) out.push_back(entry.name);
  }
  std::sort(out.begin(), out.end());
  return out;
}

std::optional<std::vector<std::string>> Accounts::discoveredCollections(std::string_view name) const {
  const auto text = read(discoveredFile(name));
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

Error Accounts::setDiscoveredCollections(std::string_view name, const std::vector<std::string>& collections) const {
  std::string text;
  for (const auto& c : collections) text += c + "\n";
  return write(discoveredFile(name), text);
}

bool Accounts::uploadPending(std::string_view name) const { return read(uploadFile(name)).has_value(); }

Error Accounts::setUploadPending(std::string_view name, bool pending) const {
  if (pending) return write(uploadFile(name), "pending\n");
  if (auto ec = removeIfPresent(*files_, uploadFile(name))) return filesProblem("cannot remove", uploadFile(name), ec);
  return {};
}

}  // namespace zarvo::caldav
