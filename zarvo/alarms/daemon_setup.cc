#include "zarvo/alarms/daemon_setup.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <system_error>
#include <utility>

namespace zarvo::alarms {
namespace fs = std::filesystem;

namespace {

const char* environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? value : nullptr;
}

// Exec= quotes arguments that hold anything but plain characters; inside quotes, '"', '`', '$' and
// '\' are escaped with a backslash (and '%' is doubled: it starts a field code).
std::string execArgument(const std::string& arg) {
  const bool plain = !arg.empty() && arg.find_first_of(" \t\n\"'\\><~|&;$*?#()`%=") == std::string::npos;
  if (plain) return arg;
  std::string out = "\"";
  for (char c : arg) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') out += '\\';
    if (c == '%') out += '%';
    out += c;
  }
  return out + "\"";
}

// An entry says Hidden=true on a line of its own in its [Desktop Entry] group.
bool saysHidden(std::string_view text) {
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(at, end - at);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line == "Hidden=true") return true;
    at = end + 1;
  }
  return false;
}

// The state of one entry: nothing when it is not there (or cannot be read).
std::optional<bool> entryStarts(platform::FileSystem& fs, const fs::path& path) {
  std::string text;
  if (!fs.readFile(path, text).ok()) return std::nullopt;
  return !saysHidden(text);
}

std::optional<bool> systemEntryStarts(platform::FileSystem& fs, const AutostartPaths& paths) {
  for (const fs::path& p : paths.system) {
    if (auto starts = entryStarts(fs, p)) return starts;
  }
  return std::nullopt;
}

std::optional<fs::path> absoluteOf(const std::optional<fs::path>& chosen, const char* variable) {
  std::optional<fs::path> path = chosen;
  if (!path) {
    if (const char* value = environment(variable)) path = value;
  }
  if (!path || path->empty()) return std::nullopt;
  std::error_code ec;
  fs::path absolute = fs::absolute(*path, ec);
  return ec ? *path : absolute.lexically_normal();
}

// A value of Environment=: in double quotes, with '"' and '\' escaped and '%' (a specifier) doubled.
std::string unitQuoted(const std::string& assignment) {
  std::string out = "\"";
  for (char c : assignment) {
    if (c == '"' || c == '\\') out += '\\';
    if (c == '%') out += '%';
    out += c;
  }
  return out + "\"";
}

}  // namespace

DaemonTarget DaemonTarget::chosen(const std::optional<fs::path>& home, const std::optional<fs::path>& config) {
  return DaemonTarget{absoluteOf(home, "ZARVO_HOME"), absoluteOf(config, "ZARVO_CONFIG")};
}

std::vector<std::string> DaemonTarget::arguments() const {
  std::vector<std::string> args;
  if (home) args.insert(args.end(), {"--home", home->string()});
  if (config) args.insert(args.end(), {"--config", config->string()});
  return args;
}

Expected<std::string> unitDropIn(const DaemonTarget& target) {
  std::string text = "[Service]\n";
  for (const auto& [name, path] : {std::pair{"ZARVO_HOME", target.home}, std::pair{"ZARVO_CONFIG", target.config}}) {
    if (!path) continue;
    if (path->string().find_first_of("\n\r") != std::string::npos) {
      return Error(std::make_error_code(std::errc::invalid_argument),
                   "a path with a line break cannot be given to the systemd unit: " + path->string());
    }
    text += "Environment=" + unitQuoted(std::string(name) + "=" + path->string()) + "\n";
  }
  return text;
}

std::optional<fs::path> unitDropInPath() {
  fs::path config;
  if (const char* xdg = environment("XDG_CONFIG_HOME")) {
    config = xdg;
  } else if (const char* home = environment("HOME")) {
    config = fs::path(home) / ".config";
  } else {
    return std::nullopt;
  }
  return config / "systemd" / "user" / (std::string(kDaemonUnit) + ".d") / "target.conf";
}

std::string autostartEntry(const fs::path& program, bool hidden, const DaemonTarget& target) {
  std::string exec = execArgument(program.string());
  for (const std::string& arg : target.arguments()) {
    exec += ' ';
    exec += execArgument(arg);
  }
  std::string text =
      "[Desktop Entry]\n"
      "Type=Application\n"
      "Name=Zarvo reminders\n"
      "Comment=Rings the alarms of your tasks\n"
      "Exec=" + exec + "\n"
      "Terminal=false\n"
      "NoDisplay=true\n"
      "X-systemd-skip=true\n";
  if (hidden) text += "Hidden=true\n";
  return text;
}

AutostartPaths AutostartPaths::fromEnvironment() {
  AutostartPaths paths;
  if (const char* config = environment("XDG_CONFIG_HOME")) {
    paths.user = fs::path(config) / "autostart" / kAutostartEntryName;
  } else if (const char* home = environment("HOME")) {
    paths.user = fs::path(home) / ".config" / "autostart" / kAutostartEntryName;
  }
  std::string_view dirs = environment("XDG_CONFIG_DIRS") ? environment("XDG_CONFIG_DIRS") : "/etc/xdg";
  while (!dirs.empty()) {
    const size_t colon = dirs.find(':');
    const std::string_view dir = dirs.substr(0, colon);
    // Relative entries are invalid in the variable and ignored, as XDG asks.
    if (!dir.empty() && dir.front() == '/') paths.system.push_back(fs::path(dir) / "autostart" / kAutostartEntryName);
    dirs = colon == std::string_view::npos ? std::string_view() : dirs.substr(colon + 1);
  }
  return paths;
}

bool autostartEnabled(platform::FileSystem& fs, const AutostartPaths& paths) {
  if (paths.user) {
    if (auto starts = entryStarts(fs, *paths.user)) return *starts;
  }
  return systemEntryStarts(fs, paths).value_or(false);
}

Error enableAutostart(platform::FileSystem& fs, const AutostartPaths& paths, const fs::path& program,
                      const DaemonTarget& target) {
  if (!paths.user) {
    return Error(std::make_error_code(std::errc::no_such_file_or_directory),
                 "no folder for autostart entries: set XDG_CONFIG_HOME or HOME");
  }
  if (Error e = platform::createDirectories(fs, paths.user->parent_path()); !e.ok()) return e;
  return platform::writeFileAtomically(fs, *paths.user, autostartEntry(program, false, target), 0644);
}

Error disableAutostart(platform::FileSystem& fs, const AutostartPaths& paths, const fs::path& program) {
  if (!paths.user) {
    return Error(std::make_error_code(std::errc::no_such_file_or_directory),
                 "no folder for autostart entries: set XDG_CONFIG_HOME or HOME");
  }
  if (systemEntryStarts(fs, paths).value_or(false)) {
    if (Error e = platform::createDirectories(fs, paths.user->parent_path()); !e.ok()) return e;
    return platform::writeFileAtomically(fs, *paths.user, autostartEntry(program, true), 0644);
  }
  if (!entryStarts(fs, *paths.user)) return {};
  return fs.removeFile(*paths.user);
}

std::string daemonBusName(const fs::path& home) {
  std::error_code ec;
  fs::path canonical = fs::weakly_canonical(fs::absolute(home, ec), ec);
  if (ec) canonical = home.lexically_normal();
  std::string spelled = canonical.string();
  while (spelled.size() > 1 && spelled.back() == '/') spelled.pop_back();
  // 64-bit FNV-1a: a bus name element may hold only [A-Za-z0-9_] and must not start with a digit.
  uint64_t hash = 14695981039346656037ull;
  for (unsigned char c : spelled) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  char hex[17];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
  return std::string("org.zarvo.Reminders.home_") + hex;
}

}  // namespace zarvo::alarms
