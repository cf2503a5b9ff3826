#include "zarvo/sync/vdirsyncer.h"

#include <algorithm>

namespace zarvo::caldav {

namespace fs = std::filesystem;

namespace {

bool contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

SyncFailure failureOf(std::string_view error) {
  if (contains(error, "401, message=") || contains(error, "403, message=") || contains(error, "Unauthorized")) {
    return SyncFailure::unauthorized;
  }
  if (contains(error, "Cannot connect to host") || contains(error, "Connection refused") ||
      contains(error, "Name or service not known") || contains(error, "Temporary failure in name resolution") ||
      contains(error, "TimeoutError") || contains(error, "Network is unreachable")) {
    return SyncFailure::unreachable;
  }
  if (contains(error, "run `vdirsyncer discover") || contains(error, "Detected change in config file")) {
    return SyncFailure::needsDiscovery;
  }
  return SyncFailure::other;
}

std::string oneField(std::string_view text) {
  std::string out(text);
  std::replace_if(out.begin(), out.end(), [](char c) { return c == '\t' || c == '\n' || c == '\r'; }, ' ');
  return out;
}

std::vector<std::string_view> splitTabs(std::string_view text) {
  std::vector<std::string_view> out;
  while (true) {
    const size_t tab = text.find('\t');
    out.push_back(text.substr(0, tab));
    if (tab == std::string_view::npos) return out;
    text.remove_prefix(tab + 1);
  }
}

constexpr std::string_view kConflictNote = "zarvo-conflict\t";

}  // namespace

int ListChanges::total() const {
  int sum = 0;
  for (int side = 0; side < 2; ++side) sum += added[side] + updated[side] + deleted[side];
  return sum + static_cast<int>(conflicts.size());
}

std::string conflictNoteLine(const ConflictNote& note) {
  return std::string(kConflictNote) + oneField(note.uid) + "\t" + (note.kept == Side::local ? "local" : "server") +
         "\t" + oneField(note.savedAt) + "\t" + oneField(note.keptTitle) + "\t" + oneField(note.otherTitle);
}

SyncOutputReader::SyncOutputReader(std::vector<Account> accounts) : accounts_(std::move(accounts)) {}

ListChanges* SyncOutputReader::find(std::string_view account, std::string_view collection) {
  for (size_t i = 0; i < report_.lists.size(); ++i) {
    if (report_.lists[i].account == account && report_.lists[i].collection == collection) {
      current_ = i;
      return &report_.lists[i];
    }
  }
  ListChanges changes;
  changes.account = std::string(account);
  changes.collection = std::string(collection);
  report_.lists.push_back(std::move(changes));
  current_ = report_.lists.size() - 1;
  return &report_.lists.back();
}

ListChanges* SyncOutputReader::list(std::string_view storage, Side& side) {
  const size_t slash = storage.find('/');
  const std::string_view instance = storage.substr(0, slash);
  const std::string_view collection = slash == std::string_view::npos ? std::string_view() : storage.substr(slash + 1);
  for (const auto& account : accounts_) {
    if (instance == account.localStorageName() || instance == account.remoteStorageName()) {
      side = instance == account.localStorageName() ? Side::local : Side::server;
      return find(account.name, collection);
    }
  }
  return nullptr;
}

SyncEvent SyncOutputReader::read(std::string_view line) {
  SyncEvent event;
  event.text = std::string(line);
  const auto after = [&](std::string_view prefix) -> std::optional<std::string_view> {
    if (!line.starts_with(prefix)) return std::nullopt;
    return line.substr(prefix.size());
  };
  // "<what> item UID to|from STORAGE"
  const auto item = [&](std::string_view rest, std::string_view preposition, SyncEvent::Kind kind) {
    const size_t at = rest.rfind(preposition);
    if (at == std::string_view::npos) return false;
    Side side = Side::local;
    ListChanges* changes = list(rest.substr(at + preposition.size()), side);
    if (changes == nullptr) return false;
    auto& counts = kind == SyncEvent::Kind::added ? changes->added
                   : kind == SyncEvent::Kind::updated ? changes->updated : changes->deleted;
    ++counts[static_cast<int>(side)];
    event.kind = kind;
    event.side = side;
    event.list = changes;
    event.text = std::string(rest.substr(0, at));
    return true;
  };

  if (auto rest = after("Syncing ")) {
    const size_t slash = rest->find('/');
    event.kind = SyncEvent::Kind::listStarted;
    event.list = find(rest->substr(0, slash), slash == std::string_view::npos ? "" : rest->substr(slash + 1));
  } else if (auto rest = after("Copying (uploading) item ")) {
    item(*rest, " to ", SyncEvent::Kind::added);
  } else if (auto rest = after("Copying (updating) item ")) {
    item(*rest, " to ", SyncEvent::Kind::updated);
  } else if (auto rest = after("Deleting item ")) {
    item(*rest, " from ", SyncEvent::Kind::deleted);
  } else if (auto rest = after("Doing conflict resolution for item ")) {
    std::string uid(*rest);
    if (uid.ends_with("...")) uid.resize(uid.size() - 3);
    event.kind = SyncEvent::Kind::conflict;
    event.text = uid;
    if (current_) {
      report_.lists[*current_].conflicts.push_back(uid);
      event.list = &report_.lists[*current_];
    }
  } else if (auto rest = after(kConflictNote)) {
    const auto fields = splitTabs(*rest);
    if (fields.size() == 5) {
      report_.conflictNotes.push_back(ConflictNote{std::string(fields[0]), fields[1] == "local" ? Side::local : Side::server,
                                                   std::string(fields[3]), std::string(fields[4]), std::string(fields[2])});
      event.kind = SyncEvent::Kind::resolved;
      event.text = std::string(fields[0]);
    }
  } else if (auto rest = after("error: "); rest || line.starts_with("critical: ")) {
    const std::string_view message = rest ? *rest : line.substr(std::string_view("critical: ").size());
    // vdirsyncer's advice about its own debugging flag means nothing to a zarvo user.
    if (message.starts_with("Use `-vdebug`")) return event;
    // "work/3f2a: Storage "work_local/3f2a" was completely emptied. ..."
    if (const size_t at = message.find(": Storage \""); at != std::string_view::npos && contains(message, "was completely emptied")) {
      const std::string_view storage = message.substr(at + 11);
      Side side = Side::local;
      if (ListChanges* emptied = list(storage.substr(0, storage.find('"')), side)) {
        report_.emptied.push_back(EmptiedList{emptied->account, emptied->collection, side});
        event.kind = SyncEvent::Kind::note;
        return event;
      }
    }
    event.kind = SyncEvent::Kind::error;
    event.text = std::string(message);
    report_.errors.emplace_back(message);
    const SyncFailure failure = failureOf(message);
    if (report_.failure == SyncFailure::none || report_.failure == SyncFailure::other) report_.failure = failure;
    // "Unknown error occurred for work/3f2a: ..." names the list that failed.
    if (auto at = message.find(" occurred for "); at != std::string_view::npos) {
      const std::string_view rest2 = message.substr(at + 14);
      const std::string_view name = rest2.substr(0, rest2.find(':'));
      const size_t slash = name.find('/');
      if (slash != std::string_view::npos) {
        ListChanges* failed = find(name.substr(0, slash), name.substr(slash + 1));
        failed->failed = true;
        event.list = failed;
      }
    }
  }
  return event;
}

std::optional<fs::path> Vdirsyncer::find() { return platform::findProgram("vdirsyncer"); }

std::string Vdirsyncer::installHint() {
  return "vdirsyncer is not installed; install it with 'sudo apt install vdirsyncer' (Debian, Ubuntu), "
         "'sudo dnf install vdirsyncer' (Fedora) or 'pipx install vdirsyncer'";
}

Vdirsyncer::Vdirsyncer(fs::path program, fs::path config) : program_(std::move(program)), config_(std::move(config)) {}

platform::ProcessResult Vdirsyncer::run(const std::string& command, const std::vector<std::string>& pairs,
                                        const std::string& input, SyncOutputReader& reader,
                                        const std::function<void(const SyncEvent&)>& onEvent) const {
  std::vector<std::string> arguments = {"--config", config_.string(), command};
  arguments.insert(arguments.end(), pairs.begin(), pairs.end());
  platform::ProcessOptions options;
  options.input = input;
  // The home's own configuration only, whatever the user's environment points vdirsyncer at.
  options.environment["VDIRSYNCER_CONFIG"] = std::nullopt;
  return platform::runProcess(program_.string(), arguments, options, [&](std::string_view line) {
    const SyncEvent event = reader.read(line);
    if (onEvent) onEvent(event);
  });
}

platform::ProcessResult Vdirsyncer::discover(const std::vector<std::string>& pairs, SyncOutputReader& reader,
                                             const std::function<void(const SyncEvent&)>& onEvent) const {
  // One "yes" per list vdirsyncer offers to create, with room to spare.
  std::string yes;
  for (int i = 0; i < 1000; ++i) yes += "y\n";
  return run("discover", pairs, yes, reader, onEvent);
}

platform::ProcessResult Vdirsyncer::sync(const std::vector<std::string>& pairs, SyncOutputReader& reader,
                                         const std::function<void(const SyncEvent&)>& onEvent, bool forceDelete) const {
  std::vector<std::string> arguments = pairs;
  if (forceDelete) arguments.insert(arguments.begin(), "--force-delete");
  return run("sync", arguments, "", reader, onEvent);
}

platform::ProcessResult Vdirsyncer::metasync(const std::vector<std::string>& pairs, SyncOutputReader& reader,
                                             const std::function<void(const SyncEvent&)>& onEvent) const {
  return run("metasync", pairs, "", reader, onEvent);
}

}  // namespace zarvo::caldav
