#include "zarvo/sync/conflict_resolution.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <optional>

#include "zarvo/platform/filesystem.h"

namespace zarvo::caldav {

namespace fs = std::filesystem;

namespace {

bool equalsUpper(std::string_view a, std::string_view upper) {
  if (a.size() != upper.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const char c = (a[i] >= 'a' && a[i] <= 'z') ? static_cast<char>(a[i] - 'a' + 'A') : a[i];
    if (c != upper[i]) return false;
  }
  return true;
}

// The value of the first `name` property of the VTODO, folds undone; nothing when it has none.
std::optional<std::string> todoValue(std::string_view text, std::string_view name) {
  std::string unfolded;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    if (text[i] == '\n' && i + 1 < text.size() && (text[i + 1] == ' ' || text[i + 1] == '\t')) {
      ++i;
      continue;
    }
    unfolded += text[i];
  }
  bool inTodo = false;
  int nested = 0;
  size_t start = 0;
  while (start < unfolded.size()) {
    size_t end = unfolded.find('\n', start);
    if (end == std::string::npos) end = unfolded.size();
    const std::string_view line(unfolded.data() + start, end - start);
    start = end + 1;
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    const std::string_view property = line.substr(0, std::min(colon, line.find(';')));
    const std::string_view value = line.substr(colon + 1);
    if (equalsUpper(property, "BEGIN")) {
      if (inTodo) ++nested;
      if (equalsUpper(value, "VTODO")) inTodo = true;
    } else if (equalsUpper(property, "END")) {
      if (inTodo && nested > 0) --nested;
      else if (equalsUpper(value, "VTODO")) inTodo = false;
    } else if (inTodo && nested == 0 && equalsUpper(property, name)) {
      return std::string(value);
    }
  }
  return std::nullopt;
}

// A UTC time in iCalendar's basic form (20240311T170000Z), as text that sorts by time.
std::optional<std::string> utcStamp(std::string_view text) {
  for (const char* name : {"LAST-MODIFIED", "DTSTAMP"}) {
    const auto value = todoValue(text, name);
    if (!value || value->size() != 16 || (*value)[8] != 'T' || (*value)[15] != 'Z') continue;
    bool digits = true;
    for (size_t i = 0; i < 15; ++i) digits = digits && (i == 8 || ((*value)[i] >= '0' && (*value)[i] <= '9'));
    if (digits) return value;
  }
  return std::nullopt;
}

std::string unescapedText(std::string_view value) {
  std::string out;
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '\\' && i + 1 < value.size()) {
      const char next = value[++i];
      out += (next == 'n' || next == 'N') ? ' ' : next;
    } else {
      out += value[i];
    }
  }
  return out;
}

Error filesProblem(std::string_view what, const fs::path& path, std::error_code ec) {
  return syncError(SyncErrc::files, std::string(what) + " '" + path.string() + "': " + ec.message());
}

std::string fileSafe(std::string_view uid) {
  std::string out;
  for (const char c : uid.substr(0, 80)) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
    out += ok ? c : '_';
  }
  return out.empty() ? "task" : out;
}

std::string nowStamp() {
  const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm utc{};
  gmtime_r(&now, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y%m%dT%H%M%SZ", &utc);
  return text;
}

}  // namespace

Side conflictWinner(std::string_view local, std::string_view server) {
  const auto l = utcStamp(local), s = utcStamp(server);
  return l && s && *l > *s ? Side::local : Side::server;
}

Expected<ConflictNote> resolveConflictFiles(const fs::path& local, const fs::path& server,
                                                const fs::path& conflictsDirectory) {
  auto& fs = *platform::FileSystem::posix();
  std::string localText, serverText;
  if (auto ec = fs.readFile(local, localText)) return filesProblem("cannot read", local, ec);
  if (auto ec = fs.readFile(server, serverText)) return filesProblem("cannot read", server, ec);
  ConflictNote note;
  note.kept = conflictWinner(localText, serverText);
  const std::string& kept = note.kept == Side::local ? localText : serverText;
  const std::string& other = note.kept == Side::local ? serverText : localText;
  note.uid = todoValue(kept, "UID").value_or("");
  note.keptTitle = unescapedText(todoValue(kept, "SUMMARY").value_or(""));
  note.otherTitle = unescapedText(todoValue(other, "SUMMARY").value_or(""));

  if (auto ec = platform::createDirectories(fs, conflictsDirectory)) {
    return filesProblem("cannot create", conflictsDirectory, ec);
  }
  const std::string base = nowStamp() + "-" + fileSafe(note.uid) + (note.kept == Side::local ? "-server" : "-local");
  fs::path saved = conflictsDirectory / (base + ".ics");
  for (int n = 2; fs::exists(saved); ++n) saved = conflictsDirectory / (base + "-" + std::to_string(n) + ".ics");
  // The loser is safe on disk before the winner replaces it anywhere.
  if (auto ec = platform::writeFileAtomically(fs, saved, other, 0600)) {
    return filesProblem("cannot write", saved, ec);
  }
  note.savedAt = saved.string();
  const fs::path& loserFile = note.kept == Side::local ? server : local;
  if (auto ec = platform::writeFileAtomically(fs, loserFile, kept)) {
    return filesProblem("cannot write", loserFile, ec);
  }
  return note;
}

}  // namespace zarvo::caldav
