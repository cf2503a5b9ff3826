#include "zarvo/sync/vdirsyncer.h"

#include <algorithm>

#include "zarvo/platform/filesystem.h"

namespace zarvo::caldav {

namespace fs = std::filesystem;

namespace {

bool contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

}  // namespace

SyncFailure failureOfError(std::string_view error) {
  if (contains(error, "401, message=") || contains(error, "403, message=") || contains(error, "Unauthorized")) {
    return SyncFailure::unauthorized;
  }
  if (contains(error, "Cannot connect to host") || contains(error, "Connection refused") ||
      contains(error, "Name or service not known") || contains(error, "Temporary failure in name resolution") ||
      contains(error, "Network is unreachable") || contains(error, "Connection timeout to host")) {
    return SyncFailure::unreachable;
  }
  if (contains(error, "Timeout on reading data from socket") || contains(error, "TimeoutError")) {
    return SyncFailure::timedOut;
  }
  if (contains(error, "run `vdirsyncer discover") || contains(error, "Detected change in config file")) {
    return SyncFailure::needsDiscovery;
  }
  // aiohttp's words for a connection closed under an answer: the whole answer never arrived.
  if (contains(error, "Server disconnected") || contains(error, "ServerDisconnectedError") ||
      contains(error, "<RawResponseMessage(") || contains(error, "Connection reset by peer") ||
      contains(error, "Response payload is not completed")) {
    return SyncFailure::dropped;
  }
  return SyncFailure::other;
}

namespace {

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
// Lines of the driver below: a list done, a step's exit status, a driver that cannot run here.
constexpr std::string_view kListDone = "zarvo-done\t";
constexpr std::string_view kStepDone = "zarvo-step\t";
constexpr std::string_view kUnavailable = "zarvo-driver\tunavailable";
// Separates the steps in the driver's arguments; no pair or list name can equal it.
constexpr std::string_view kStepMark = "zarvo-step";

// Runs vdirsyncer's commands one after the other in one Python process, as vdirsyncer's own entry
// point would run each (its click application, `vdirsyncer.cli.app`, the one its installed script
// calls). Arguments: CONFIG CONNECT_SECONDS IDLE_SECONDS SKIP_UNCHANGED (1 or 0), then per step
// "zarvo-step" and the command's arguments. Besides vdirsyncer's own lines it writes:
//   zarvo-done <pair>/<list>     when vdirsyncer has finished syncing one list (it syncs several at
//                                once and says nothing when one ends)
//   zarvo-step <status>          when a step has ended
//   zarvo-driver unavailable ... when vdirsyncer's modules cannot be loaded (then exit status 3)
// Each begins a line of its own: a discover leaves its last question unanswered on the line.
// The timeouts go to aiohttp, vdirsyncer's HTTP client, as its default for every session (there is
// no setting in vdirsyncer for them). What it relies on that is not vdirsyncer's documented command
// line (the client's default, the per-list sync function) is only wrapped when present, so a
// vdirsyncer without them still syncs, without those extras.
//
// A list that fails (vdirsyncer has then said why) ends as done and fails its step when every list
// has ended. vdirsyncer syncs its lists at once over one connection pool and, on the first failure,
// closes the pool under the others; a list it holds back on purpose (emptied on one side) would cut
// every list syncing beside it, each then failing with "Session is closed" instead of syncing.
//
// With SKIP_UNCHANGED, a list whose two sides are as they were before its last successful sync is not
// synced again: vdirsyncer would find nothing to do in it, after listing every task on both sides
// and looking each up in its status (most of a sync with nothing to do). "As they were" is a digest
// of: the server's tag for the list (CalendarServer's getctag, else DAV's sync-token, which the server
// changes with any change in the list; asked through vdirsyncer's own storage, so with its
// credentials and TLS settings), the name, modification time, inode and size of every task file in
// the local folder (what vdirsyncer itself compares, so an edit in place or a replaced file shows),
// and both storages' settings. The digest is taken before the sync and kept beside vdirsyncer's
// status of the list ("<pair>/<list>.zarvo-unchanged") only when the sync succeeded, so whatever
// changes during or after a sync changes the next digest; a failed sync removes it. A server that
// gives neither tag, a list vdirsyncer has no status for, or any doubt: the list is synced. The
// skipped list is told as vdirsyncer tells one ("Syncing pair/list", then done), with no change.
constexpr std::string_view kDriver = R"PY(
import os, sys
def unchangedSkipper(syncOne):
    import hashlib, json
    from vdirsyncer.cli.utils import get_status_name, get_status_path, storage_instance_from_config
    tags = {"zarvo-ctag": ("getctag", "http://calendarserver.org/ns/"), "zarvo-sync-token": ("sync-token", "DAV:")}
    def settings(config):
        return {k: v for k, v in config.items() if "password" not in k}
    async def digestOf(collection, connector):
        local = await storage_instance_from_config(collection.config_a, create=False, connector=connector)
        server = await storage_instance_from_config(collection.config_b, create=False, connector=connector)
        path, extension, table = local.path, local.fileext, server._property_table
        if not isinstance(path, str) or not extension or not isinstance(table, dict):
            return None
        server._property_table = dict(table, **tags)
        tag = await server.get_meta("zarvo-ctag") or await server.get_meta("zarvo-sync-token")
        if not tag:
            return None
        files = []
        with os.scandir(path) as entries:
            for entry in entries:
                if entry.name.endswith(extension) and entry.is_file():
                    s = entry.stat()
                    files.append("%s\t%d\t%d\t%d" % (entry.name, s.st_mtime_ns, s.st_ino, s.st_size))
        files.sort()
        digest = hashlib.sha256(json.dumps([settings(collection.config_a), settings(collection.config_b), tag],
                                           sort_keys=True, default=str).encode())
        digest.update("\n".join(files).encode("utf-8", "surrogateescape"))
        return digest.hexdigest()
    def keep(path, digest):
        try:
            if digest is None:
                os.unlink(path)
                return
            temporary = path + ".tmp"
            fd = os.open(temporary, os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o600)
            with os.fdopen(fd, "w") as f:
                f.write(digest)
            os.replace(temporary, path)
        except OSError:
            pass
    async def syncUnlessUnchanged(collection, general, force_delete, **kwargs):
        base, pair = general["status_path"], collection.pair.name
        record = get_status_path(base, pair, collection.name, "zarvo-unchanged")
        digest, unchanged = None, False
        try:
            digest = await digestOf(collection, kwargs.get("connector"))
            if digest is not None and not force_delete and \
                    os.path.exists(get_status_path(base, pair, collection.name, "items")):
                with open(record) as f:
                    unchanged = f.read() == digest
        except Exception:
            pass
        if unchanged:
            print("Syncing " + get_status_name(pair, collection.name), flush=True)
            return None
        try:
            result = await syncOne(collection, general, force_delete, **kwargs)
        except BaseException:
            keep(record, None)
            raise
        keep(record, digest)
        return result
    return syncUnlessUnchanged
def main():
    try:
        import aiohttp, aiohttp.client
        from vdirsyncer.cli import app
    except Exception as error:
        print("\nzarvo-driver\tunavailable\t%s" % error, flush=True)
        return 3
    config, connect, idle = sys.argv[1], float(sys.argv[2]), float(sys.argv[3])
    skipUnchanged = sys.argv[4] == "1"
    steps, step = [], None
    for word in sys.argv[5:]:
        if word == "zarvo-step":
            step = []
            steps.append(step)
        else:
            step.append(word)
    try:
        aiohttp.client.DEFAULT_TIMEOUT = aiohttp.ClientTimeout(total=None, sock_connect=connect, sock_read=idle)
    except Exception:
        pass
    failedLists = []
    try:
        from vdirsyncer.cli import tasks
        from vdirsyncer.cli.utils import JobFailed, get_status_name
        syncOne = tasks.sync_collection
        if skipUnchanged:
            try:
                syncOne = unchangedSkipper(syncOne)
            except Exception:
                pass
        async def syncAndTell(collection, *args, **kwargs):
            try:
                return await syncOne(collection, *args, **kwargs)
            except JobFailed:
                failedLists.append(collection.name)
                return None
            finally:
                print("\nzarvo-done\t" + get_status_name(collection.pair.name, collection.name), flush=True)
        tasks.sync_collection = syncAndTell
    except Exception:
        pass
    status = 0
    for args in steps:
        failedLists.clear()
        try:
            app.main(["--config", config] + args, prog_name="vdirsyncer", standalone_mode=False)
            code = 1 if failedLists else 0
        except SystemExit as exit:
            code = exit.code if isinstance(exit.code, int) else 1
        except Exception as error:
            print("error: %s" % (error or type(error).__name__), flush=True)
            code = 1
        sys.stdout.flush()
        sys.stderr.flush()
        print("\nzarvo-step\t%d" % code, flush=True)
        if code != 0:
            status = code
            if args[0] == "discover":
                break
    return status
sys.exit(main())
)PY";

// The interpreter line of a Python script ("#!/usr/bin/python3" -> {"/usr/bin/python3"},
// "#!/usr/bin/env python3" -> {"/usr/bin/env", "python3"}); nothing for anything else.
std::optional<std::vector<std::string>> pythonOf(const fs::path& program) {
  std::string text;
  if (platform::FileSystem::posix()->readFile(program, text) || !text.starts_with("#!")) return std::nullopt;
  const std::string line = text.substr(2, text.find('\n') - 2);
  std::vector<std::string> words;
  size_t at = 0;
  while (at < line.size()) {
    const size_t start = line.find_first_not_of(" \t\r", at);
    if (start == std::string::npos) break;
    const size_t end = std::min(line.find_first_of(" \t\r", start), line.size());
    words.push_back(line.substr(start, end - start));
    at = end;
  }
  const bool python = std::any_of(words.begin(), words.end(),
                                  [](const std::string& w) { return fs::path(w).filename().string().starts_with("python"); });
  if (!python) return std::nullopt;
  return words;
}

std::string_view commandName(VdirsyncerStep::Command command) {
  switch (command) {
    case VdirsyncerStep::Command::discover: return "discover";
    case VdirsyncerStep::Command::metasync: return "metasync";
    case VdirsyncerStep::Command::sync: return "sync";
  }
  return "sync";
}

std::vector<std::string> stepArguments(const VdirsyncerStep& step) {
  std::vector<std::string> out = {std::string(commandName(step.command))};
  if (step.command == VdirsyncerStep::Command::sync && step.forceDelete) out.push_back("--force-delete");
  out.insert(out.end(), step.pairs.begin(), step.pairs.end());
  return out;
}

// One "yes" per list vdirsyncer offers to create, with room to spare.
std::string yesToEverything() {
  std::string yes;
  for (int i = 0; i < 1000; ++i) yes += "y\n";
  return yes;
}

std::string seconds(std::chrono::milliseconds d) { return std::to_string(static_cast<double>(d.count()) / 1000.0); }

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

void SyncOutputReader::forgetErrors() {
  report_.errors.clear();
  report_.failure = SyncFailure::none;
  for (auto& list : report_.lists) list.failed = false;
}

SyncEvent SyncOutputReader::finished(std::string_view pairAndCollection) {
  SyncEvent event;
  const size_t slash = pairAndCollection.find('/');
  if (slash == std::string_view::npos) return event;
  event.kind = SyncEvent::Kind::listFinished;
  // Lists run side by side: the end of one says nothing about which list later lines are about.
  const auto current = current_;
  event.list = find(pairAndCollection.substr(0, slash), pairAndCollection.substr(slash + 1));
  current_ = current;
  event.text = std::string(pairAndCollection);
  return event;
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
        const bool known = std::any_of(report_.emptied.begin(), report_.emptied.end(), [&](const EmptiedList& e) {
          return e.account == emptied->account && e.collection == emptied->collection && e.side == side;
        });
        if (!known) report_.emptied.push_back(EmptiedList{emptied->account, emptied->collection, side});
        event.kind = SyncEvent::Kind::note;
        return event;
      }
    }
    event.kind = SyncEvent::Kind::error;
    event.text = std::string(message);
    report_.errors.emplace_back(message);
    const SyncFailure failure = failureOfError(message);
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

Vdirsyncer::Vdirsyncer(fs::path program, fs::path config, NetworkTimeouts timeouts, bool skipUnchangedLists)
    : program_(std::move(program)), config_(std::move(config)), timeouts_(timeouts), skipUnchanged_(skipUnchangedLists) {}

std::chrono::milliseconds Vdirsyncer::silenceLimit() const {
  return std::max<std::chrono::milliseconds>(std::chrono::minutes(2), 5 * timeouts_.idle + timeouts_.connect);
}

platform::ProcessOptions Vdirsyncer::processOptions(std::stop_token stop) const {
  platform::ProcessOptions options;
  // The home's own configuration only, whatever the user's environment points vdirsyncer at.
  options.environment["VDIRSYNCER_CONFIG"] = std::nullopt;
  options.stop = std::move(stop);
  options.silenceLimit = silenceLimit();
  // Status files and task files it makes are the user's alone, like the rest of the home.
  options.fileModeMask = 077;
  return options;
}

std::optional<VdirsyncerRun> Vdirsyncer::runTogether(const std::vector<VdirsyncerStep>& steps, SyncOutputReader& reader,
                                                     const std::function<void(const SyncEvent&)>& onEvent,
                                                     std::stop_token stop) const {
  const auto python = pythonOf(program_);
  if (!python) return std::nullopt;
  std::vector<std::string> arguments(python->begin() + 1, python->end());
  arguments.insert(arguments.end(), {"-c", std::string(kDriver), config_.string(), seconds(timeouts_.connect),
                                     seconds(timeouts_.idle), skipUnchanged_ ? "1" : "0"});
  for (const auto& step : steps) {
    arguments.emplace_back(kStepMark);
    for (auto& word : stepArguments(step)) arguments.push_back(std::move(word));
  }
  platform::ProcessOptions options = processOptions(std::move(stop));
  options.input = yesToEverything();
  bool unavailable = false;
  size_t stepsDone = 0;
  bool failedDiscover = false;
  VdirsyncerRun run;
  run.process = platform::runProcess(python->front(), arguments, options, [&](std::string_view line) {
    if (line.empty() || unavailable) return;
    if (line.starts_with(kUnavailable)) {
      unavailable = true;
      return;
    }
    if (line.starts_with(kStepDone)) {
      if (stepsDone < steps.size() && steps[stepsDone].command == VdirsyncerStep::Command::discover &&
          line.substr(kStepDone.size()) != "0") {
        failedDiscover = true;
      }
      ++stepsDone;
      return;
    }
    SyncEvent event;
    if (line.starts_with(kListDone)) {
      event = reader.finished(line.substr(kListDone.size()));
      if (event.list == nullptr) return;
    } else {
      event = reader.read(line);
    }
    if (onEvent) onEvent(event);
  });
  if (unavailable) return std::nullopt;
  run.completed = !failedDiscover && stepsDone == steps.size() && !run.process.interrupted;
  return run;
}

platform::ProcessResult Vdirsyncer::runOne(const VdirsyncerStep& step, SyncOutputReader& reader,
                                           const std::function<void(const SyncEvent&)>& onEvent,
                                           std::stop_token stop) const {
  std::vector<std::string> arguments = {"--config", config_.string()};
  for (auto& word : stepArguments(step)) arguments.push_back(std::move(word));
  platform::ProcessOptions options = processOptions(std::move(stop));
  if (step.command == VdirsyncerStep::Command::discover) options.input = yesToEverything();
  return platform::runProcess(program_.string(), arguments, options, [&](std::string_view line) {
    const SyncEvent event = reader.read(line);
    if (onEvent) onEvent(event);
  });
}

VdirsyncerRun Vdirsyncer::run(const std::vector<VdirsyncerStep>& steps, SyncOutputReader& reader,
                              const std::function<void(const SyncEvent&)>& onEvent, std::stop_token stop) const {
  if (auto together = runTogether(steps, reader, onEvent, stop)) return *together;
  VdirsyncerRun run;
  run.completed = true;
  platform::ProcessResult firstFailure;
  bool failed = false;
  for (const auto& step : steps) {
    run.process = runOne(step, reader, onEvent, stop);
    if (!run.process.succeeded() && !failed) {
      failed = true;
      firstFailure = run.process;
    }
    if (run.process.interrupted || run.process.startError ||
        (step.command == VdirsyncerStep::Command::discover && !run.process.succeeded())) {
      run.completed = false;
      break;
    }
  }
  // The failure that came first says the most about the run.
  if (failed) run.process = firstFailure;
  return run;
}

}  // namespace zarvo::caldav
