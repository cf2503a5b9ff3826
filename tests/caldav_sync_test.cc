// End to end: two homes on one machine, A and B, each with an account on a real Radicale server on
// 127.0.0.1, synced through vdirsyncer with `zarvo sync` and with the library's SyncService: what one
// adds, completes, flags or tags the other sees; lists made on one machine reach the other; this
// machine's lists move into a new account without duplicates; both conflict cases keep every change;
// a wrong password, a stopped server, a silent server and a missing vdirsyncer each give their error
// and change nothing here.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <future>
#include <mutex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "zarvo/home/home_sync.h"
#include "zarvo/sync/sync_service.h"
#include "zarvo/testing/cli.h"
#include "zarvo/testing/files.h"
#include "zarvo/testing/radicale.h"
#include "zarvo/testing/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using json = nlohmann::json;
using zarvo::testing::CliHarness;
using zarvo::testing::Outcome;
using zarvo::testing::RadicaleServer;
using zarvo::testing::snapshot;
using zarvo::testing::TempDir;
namespace caldav = zarvo::caldav;

// Skips (or, in CI, fails) the test when radicale or vdirsyncer is missing.
#define REQUIRE_CALDAV_TOOLS()                                                                        \
  do {                                                                                                \
    if (!zarvo::testing::caldavToolsInstalled()) {                                                    \
      if (std::getenv("ZARVO_REQUIRE_CALDAV") != nullptr) {                                           \
        FAIL() << "radicale and vdirsyncer are needed (scripts/bootstrap installs them)";            \
      }                                                                                               \
      GTEST_SKIP() << "radicale or vdirsyncer is not installed (scripts/bootstrap installs them)";  \
    }                                                                                                 \
  } while (false)

size_t occurrences(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

sockaddr_in loopbackAddress(int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(port));
  return address;
}

// A socket listening on a free port of 127.0.0.1, whose own thread hands every connection it accepts
// to `accepted` until stop() or the destructor.
class LoopbackListener {
 public:
  explicit LoopbackListener(std::function<void(int client)> accepted) {
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = loopbackAddress(0);
    socklen_t length = sizeof address;
    ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(fd_, 64);
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    thread_ = std::jthread([this, accepted = std::move(accepted)](std::stop_token stop) {
      while (!stop.stop_requested()) {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0) continue;
        const int client = ::accept(fd_, nullptr, nullptr);
        if (client >= 0) accepted(client);
      }
    });
  }
  ~LoopbackListener() { stop(); }
  // Ends the accepting thread and closes the socket; no call to `accepted` follows.
  void stop() {
    if (!thread_.joinable()) return;
    thread_.request_stop();
    thread_.join();
    ::close(fd_);
  }
  std::string url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }

 private:
  int fd_ = -1;
  int port_ = 0;
  std::jthread thread_;
};

// A server that takes connections and never answers: accepts, keeps every connection open, says nothing.
class SilentServer {
 public:
  ~SilentServer() {
    listener_.stop();
    for (const int c : connections_) ::close(c);
  }
  std::string url() const { return listener_.url(); }
  // Waits (at most a minute) until someone has connected.
  bool waitForAConnection() {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::minutes(1), [&] { return !connections_.empty(); });
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<int> connections_;
  LoopbackListener listener_{[this](int client) {
    std::lock_guard lock(mutex_);
    connections_.push_back(client);
    changed_.notify_all();
  }};
};

// Stands between vdirsyncer and a server. After cutNext(n) it cuts off the answers to the next `n`
// requests whose method is `method`: the status line goes through, then the connection closes, as
// a server that goes away under load or a dropped network does. Other requests pass.
class CuttingProxy {
 public:
  CuttingProxy(int serverPort, std::string method) : serverPort_(serverPort), method_(std::move(method)) {}
  ~CuttingProxy() {
    listener_.stop();
    for (auto& c : connections_) c.request_stop();
    connections_.clear();
  }
  std::string url() const { return listener_.url(); }
  void cutNext(int n) { cuts_ = n; }
  int cut() const { return cut_; }

 private:
  void serve(int client, std::stop_token stop) {
    std::string request;
    char buffer[65536];
    while (request.find("\r\n") == std::string::npos && !stop.stop_requested()) {
      pollfd p{client, POLLIN, 0};
      if (::poll(&p, 1, 50) <= 0) continue;
      const ssize_t n = ::read(client, buffer, sizeof buffer);
      if (n <= 0) break;
      request.append(buffer, static_cast<size_t>(n));
    }
    if (request.starts_with(method_ + " ") && cuts_.fetch_sub(1) > 0) {
      ++cut_;
      // Read the whole request, so that the close is a cut answer and not a refused request.
      while (!stop.stop_requested()) {
        pollfd p{client, POLLIN, 0};
        if (::poll(&p, 1, 200) <= 0) break;
        if (::read(client, buffer, sizeof buffer) <= 0) break;
      }
      const std::string status = "HTTP/1.0 207 Multi-Status\r\n";
      (void)!::write(client, status.data(), status.size());
      ::close(client);
      return;
    }
    const int server = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = loopbackAddress(serverPort_);
    if (::connect(server, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::write(server, request.data(), request.size()) == static_cast<ssize_t>(request.size())) {
      pollfd both[2] = {{client, POLLIN, 0}, {server, POLLIN, 0}};
      while (!stop.stop_requested()) {
        if (::poll(both, 2, 50) <= 0) continue;
        const bool fromClient = (both[0].revents & (POLLIN | POLLHUP)) != 0;
        const int from = fromClient ? client : server, to = fromClient ? server : client;
        const ssize_t n = ::read(from, buffer, sizeof buffer);
        if (n <= 0 || ::write(to, buffer, static_cast<size_t>(n)) != n) break;
      }
    }
    ::close(server);
    ::close(client);
  }

  int serverPort_;
  std::string method_;
  std::atomic<int> cuts_ = 0;
  std::atomic<int> cut_ = 0;
  std::vector<std::jthread> connections_;  // touched by the accepting thread only, until it stops
  LoopbackListener listener_{
      [this](int client) { connections_.emplace_back([this, client](std::stop_token s) { serve(client, s); }); }};
};

// Two homes, A and B, and a server; no account yet.
class CalDAVTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CliHarness::expectProgram();
    REQUIRE_CALDAV_TOOLS();
    ASSERT_TRUE(server_.start());
  }

  std::vector<std::string> accountAdd() const {
    return {"account", "add", "dav", server_.url(), "--user", RadicaleServer::kUser, "--password-env", "DAV_PASSWORD"};
  }

  fs::path home(const std::string& name) const { return scratch_.path() / name; }

  Outcome zarvo(const std::string& name, const std::vector<std::string>& args,
                const std::string& password = RadicaleServer::kPassword, const std::string& path = "") {
    std::vector<std::string> all = {"--home", home(name).string(), "--color", "never"};
    all.insert(all.end(), args.begin(), args.end());
    std::string prefix = "DAV_PASSWORD=" + zarvo::testing::shellQuoted(password) + " ";
    if (!path.empty()) prefix += "PATH=" + zarvo::testing::shellQuoted(path) + " ";
    return cli_.shell(prefix + CliHarness::commandLine(zarvo::testing::zarvoProgram(), all));
  }

  std::string ok(const std::string& name, const std::vector<std::string>& args) {
    const Outcome run = zarvo(name, args);
    EXPECT_EQ(run.status, 0) << name << ": " << args.front() << "\n" << run.out << run.err;
    return run.out;
  }

  std::string sync(const std::string& name) { return ok(name, {"sync"}); }

  json tasks(const std::string& name, bool completed = false) {
    std::vector<std::string> args = {"ls", "--json"};
    if (completed) args.push_back("--completed");
    return json::parse(ok(name, args));
  }

  // The one task of `name` titled `title`; a failure when there is not exactly one.
  json task(const std::string& name, const std::string& title, bool completed = false) {
    json found;
    int count = 0;
    for (const auto& t : tasks(name, completed)) {
      if (t["title"] == title) {
        found = t;
        ++count;
      }
    }
    EXPECT_EQ(count, 1) << name << " has " << count << " tasks titled '" << title << "'";
    return found;
  }

  std::string add(const std::string& name, const std::string& line) {
    return json::parse(ok(name, {"add", "--json", line}))[0]["id"];
  }

  // Both homes synced, A first, then A again so that it sees what B sent.
  void syncBoth() {
    sync("A");
    sync("B");
    sync("A");
  }

  // Titles of the lists of `name`, in their order.
  std::vector<std::string> listTitles(const std::string& name) {
    std::vector<std::string> out;
    for (const auto& l : json::parse(ok(name, {"lists", "--json"}))) out.push_back(l["title"]);
    return out;
  }

  // Titles of every task of `name`, sorted.
  std::multiset<std::string> taskTitles(const std::string& name) {
    std::multiset<std::string> out;
    for (const auto& t : tasks(name)) out.insert(t["title"].get<std::string>());
    return out;
  }

  RadicaleServer server_;
  TempDir scratch_;
  CliHarness cli_{scratch_.path()};
};

// Both homes with an account on the server.
class CalDAVSyncTest : public CalDAVTest {
 protected:
  void SetUp() override {
    CalDAVTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    for (const char* home : {"A", "B"}) ok(home, accountAdd());
  }
};

TEST_F(CalDAVSyncTest, ATaskAddedInAReachesBAndItsCompletionInBComesBack) {
  sync("A");
  add("A", "Buy milk");
  const std::string firstSync = sync("A");
  EXPECT_NE(firstSync.find("1 added on the server"), std::string::npos) << firstSync;
  const std::string arrived = sync("B");
  EXPECT_NE(arrived.find("1 added here"), std::string::npos) << arrived;

  const json inB = task("B", "Buy milk");
  ok("B", {"done", inB["id"]});
  sync("B");
  sync("A");
  EXPECT_EQ(task("A", "Buy milk", true)["isCompleted"], true);
  EXPECT_TRUE(tasks("A").empty());
  // Both homes hold the task under the same UID, whatever the files are called.
  EXPECT_EQ(task("A", "Buy milk", true)["uid"], inB["uid"]);

  // A list made on one machine reaches the other with a plain sync.
  ok("A", {"list-add", "Groceries"});
  add("A", "Buy eggs #Groceries");
  sync("A");
  sync("B");
  EXPECT_EQ(task("B", "Buy eggs")["list"], "Groceries");

  // Its only task deleted here empties it on the server too (vdirsyncer holds such a list back). The
  // other machine keeps its copy, in case the server was emptied by mistake, until told otherwise.
  ok("A", {"rm", "--yes", task("A", "Buy eggs")["id"]});
  sync("A");
  const Outcome heldBack = zarvo("B", {"sync"});
  EXPECT_EQ(heldBack.status, 1);
  EXPECT_NE(heldBack.err.find("the list 'Groceries' of dav has no task left on the server"), std::string::npos)
      << heldBack.err;
  EXPECT_NE(heldBack.err.find("'zarvo sync --force-delete' empties it here too"), std::string::npos) << heldBack.err;
  task("B", "Buy eggs");
  ok("B", {"sync", "--force-delete"});
  for (const auto& t : tasks("B")) EXPECT_NE(t["title"], "Buy eggs");
}

// The flag and the tags travel in the task file; the home that last changed them wins.
TEST_F(CalDAVSyncTest, AFlagAndATagMadeInAReachBAndTheirRemovalInBComesBack) {
  sync("A");
  add("A", "Submit report");
  const std::string id = task("A", "Submit report")["id"];
  ok("A", {"edit", id, "--flag"});
  ok("A", {"tag", id, "work"});
  sync("A");
  sync("B");
  const json inB = task("B", "Submit report");
  EXPECT_EQ(inB["flagged"], true);
  EXPECT_EQ(inB["tags"], json::array({"work"}));

  ok("B", {"edit", inB["id"], "--unflag"});
  ok("B", {"tag", inB["id"], "--remove", "work"});
  ok("B", {"tag", inB["id"], "Q3"});
  sync("B");
  sync("A");
  const json inA = task("A", "Submit report");
  EXPECT_EQ(inA["flagged"], false);
  EXPECT_EQ(inA["tags"], json::array({"Q3"}));
}

TEST_F(CalDAVSyncTest, NothingChangedSyncsNothing) {
  sync("A");
  add("A", "Water plants");
  syncBoth();
  const auto before = snapshot(home("A") / "reminders");
  const std::string again = sync("A");
  EXPECT_NE(again.find("up to date"), std::string::npos) << again;
  EXPECT_EQ(snapshot(home("A") / "reminders"), before);
}

TEST_F(CalDAVSyncTest, AnEditOnBothSidesKeepsOneAndSavesTheOther) {
  sync("A");
  add("A", "Call mom");
  syncBoth();
  ok("A", {"edit", task("A", "Call mom")["id"], "--title", "Call mom at noon"});
  // The later change wins; LAST-MODIFIED counts in seconds.
  std::this_thread::sleep_for(std::chrono::milliseconds(1100));
  ok("B", {"edit", task("B", "Call mom")["id"], "--title", "Call mom and dad"});
  sync("A");
  const std::string report = sync("B");
  EXPECT_NE(report.find("Conflict: 'Call mom and dad'"), std::string::npos) << report;
  sync("A");
  task("A", "Call mom and dad");
  task("B", "Call mom and dad");
  // The other edit survives in a file the report names.
  const fs::path conflicts = home("B") / "vdirsyncer" / "conflicts";
  ASSERT_TRUE(fs::exists(conflicts));
  std::string kept;
  for (const auto& entry : fs::directory_iterator(conflicts)) kept += zarvo::testing::readFile(entry.path());
  EXPECT_NE(kept.find("SUMMARY:Call mom at noon"), std::string::npos);
  EXPECT_NE(report.find(conflicts.string()), std::string::npos);
}

TEST_F(CalDAVSyncTest, ADeletionOnOneSideAndAnEditOnTheOtherKeepsTheEdit) {
  sync("A");
  add("A", "Renew passport");
  // A second task keeps the list from being emptied, which a sync treats on its own.
  add("A", "Book dentist");
  syncBoth();
  ok("A", {"rm", "--yes", task("A", "Renew passport")["id"]});
  ok("B", {"edit", task("B", "Renew passport")["id"], "--title", "Renew passport by May"});
  sync("A");
  sync("B");
  sync("A");
  task("A", "Renew passport by May");
  task("B", "Renew passport by May");
}

TEST_F(CalDAVSyncTest, FailuresSayWhyAndChangeNothingHere) {
  sync("A");
  add("A", "Pay rent");
  sync("A");
  SilentServer silent;
  zarvo::testing::writeFile(scratch_.path() / "config" / "zarvo" / "config.toml",
                            "[sync]\nconnect-timeout = 1\nidle-timeout = 2\n");
  std::vector<std::string> quiet = accountAdd();
  quiet[2] = "quiet";
  quiet[3] = silent.url();
  ok("A", quiet);
  const auto before = snapshot(home("A") / "reminders");
  const json listed = tasks("A");

  const Outcome wrong = zarvo("A", {"sync", "dav"}, "wrong password");
  EXPECT_EQ(wrong.status, 1);
  EXPECT_NE(wrong.err.find("refused the user name or password"), std::string::npos) << wrong.err;

  const Outcome missing = zarvo("A", {"sync", "dav"}, RadicaleServer::kPassword, "/nonexistent");
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("vdirsyncer is not installed; install it with"), std::string::npos) << missing.err;

  // A server that never answers ends the sync within the settings' timeouts, and says so.
  const Outcome unanswered = zarvo("A", {"sync", "quiet"});
  EXPECT_EQ(unanswered.status, 1);
  EXPECT_NE(unanswered.err.find("(quiet at " + silent.url() + ") did not answer within 2 s"), std::string::npos)
      << unanswered.err;

  server_.stop();
  const Outcome unreachable = zarvo("A", {"sync", "dav"});
  EXPECT_EQ(unreachable.status, 1);
  EXPECT_NE(unreachable.err.find("cannot reach the server"), std::string::npos) << unreachable.err;

  EXPECT_EQ(snapshot(home("A") / "reminders"), before);
  EXPECT_EQ(tasks("A"), listed);
}

// While a silent server fails its first sync, the progress line names it (vdirsyncer's own line names
// neither server nor list), and the list new tasks go to stays the one it was: only a sync that
// succeeded may move it to the account's list.
TEST_F(CalDAVTest, ASilentServerIsNamedAsItFailsAndTheDefaultListStays) {
  SilentServer silent;
  zarvo::testing::writeFile(scratch_.path() / "config" / "zarvo" / "config.toml",
                            "[sync]\nconnect-timeout = 1\nidle-timeout = 2\n");
  add("A", "Pay rent");
  std::vector<std::string> quiet = accountAdd();
  quiet[2] = "quiet";
  quiet[3] = silent.url();
  ok("A", quiet);
  const auto defaultList = [&] {
    std::string out;
    for (const auto& l : json::parse(ok("A", {"lists", "--json"}))) {
      if (l["default"].get<bool>()) out += l["id"].get<std::string>();
    }
    return out;
  };
  const std::string before = defaultList();
  ASSERT_FALSE(before.empty());

  const Outcome failed = zarvo("A", {"sync"});
  EXPECT_EQ(failed.status, 1);
  bool named = false;
  std::istringstream out(failed.out);
  for (std::string line; std::getline(out, line);) {
    if (line.find("error: ") == std::string::npos) continue;
    EXPECT_NE(line.find("quiet at " + silent.url()), std::string::npos) << line;
    named = true;
  }
  EXPECT_TRUE(named) << "no progress line told the error:\n" << failed.out;
  EXPECT_EQ(defaultList(), before);
}

// `account add --upload` moves this machine's lists into the account; a second machine doing the same
// joins the lists of the same titles, so nothing is there twice.
TEST_F(CalDAVTest, UploadingTheLocalListsOfTwoMachinesDuplicatesNothing) {
  add("A", "Pay rent");
  ok("A", {"list-add", "Family"});
  add("A", "Call mom #Family");
  add("B", "Water plants");

  // A password in the URL is refused, and not repeated.
  std::vector<std::string> withPassword = accountAdd();
  withPassword[3] = "http://alice:secret-pw@" + server_.url().substr(7);
  const Outcome refused = zarvo("A", withPassword);
  EXPECT_EQ(refused.status, 2);
  EXPECT_NE(refused.err.find("--password-file"), std::string::npos) << refused.err;
  EXPECT_EQ(refused.err.find("secret-pw"), std::string::npos) << refused.err;

  std::vector<std::string> upload = accountAdd();
  upload.push_back("--upload");
  const std::string first = ok("A", upload);
  EXPECT_EQ(occurrences(first, "Finding the lists of dav"), 1u) << first;
  EXPECT_NE(first.find("Family: 1 task to upload to dav"), std::string::npos) << first;
  const std::string second = ok("B", upload);
  EXPECT_EQ(occurrences(second, "Finding the lists of dav"), 1u) << second;
  EXPECT_NE(second.find("Reminders: 1 task to upload to dav (joining its list Reminders)"), std::string::npos) << second;
  sync("A");

  const std::multiset<std::string> all = {"Call mom", "Pay rent", "Water plants"};
  for (const char* home : {"A", "B"}) {
    const auto titles = listTitles(home);
    EXPECT_EQ(std::multiset<std::string>(titles.begin(), titles.end()), (std::multiset<std::string>{"Family", "Reminders"}))
        << home;
    EXPECT_EQ(taskTitles(home), all) << home;
    // The lists moved into the account got folders named after them, here, on the server and on
    // the other machine alike.
    std::set<std::string> ids;
    for (const auto& l : json::parse(ok(home, {"lists", "--json"}))) ids.insert(l["id"].get<std::string>());
    EXPECT_EQ(ids, (std::set<std::string>{"dav/family", "dav/reminders"})) << home;
  }
  EXPECT_TRUE(fs::is_directory(server_.collectionsFolder() / "family"));
  // A list made here afterwards, with letters beyond ASCII, reaches the other machine by its folder.
  ok("A", {"list-add", "Einkäufe"});
  add("A", "Milch #Einkäufe");
  sync("A");
  sync("B");
  EXPECT_TRUE(fs::is_directory(server_.collectionsFolder() / "einkaufe"));
  EXPECT_EQ(task("B", "Milch")["list"], "Einkäufe");
  // What the sync keeps about the account is the user's alone.
  for (const char* inside : {"", "accounts", "status"}) {
    struct stat made {};
    ASSERT_EQ(::stat((home("B") / "vdirsyncer" / inside).c_str(), &made), 0) << inside;
    EXPECT_EQ(made.st_mode & 077, 0u) << inside;
  }
}

// The library's SyncService, on a home of this process, against a home synced through the CLI.
class SyncServiceTest : public CalDAVTest {
 protected:
  void SetUp() override {
    CalDAVTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    ::setenv("DAV_PASSWORD", RadicaleServer::kPassword, 1);
  }

  caldav::SyncServiceOptions options(const std::string& name = "A") const {
    caldav::SyncServiceOptions o;
    o.conflictResolver = {zarvo::testing::zarvoProgram().string(), "--home", home(name).string(), "sync-conflict"};
    return o;
  }

  caldav::Account account(const std::string& url) const {
    return caldav::Account{"dav", url, RadicaleServer::kUser, {caldav::PasswordKind::environment, "DAV_PASSWORD"}};
  }
};

TEST_F(SyncServiceTest, ALibraryHomeAndACliHomeSyncWithOneVdirsyncerStartWhenNothingChanged) {
  zarvo::SyncHomeAt homeA(home("A"));
  caldav::SyncServiceOptions o = options();
  const auto counted = zarvo::testing::countingVdirsyncer(scratch_.path());
  if (counted) o.vdirsyncer = *counted;
  caldav::SyncService service(homeA, o);
  ASSERT_TRUE(service.addAccount(account(server_.url()), false).ok());

  int findings = 0;
  std::vector<std::string> told;
  caldav::SyncProgress progress;
  progress.findingLists = [&](const std::vector<std::string>& accounts) {
    ++findings;
    EXPECT_EQ(accounts, std::vector<std::string>{"dav"});
  };
  progress.listSynced = [&](const caldav::ListSummary& list) { told.push_back(list.title); };
  const caldav::SyncResult first = service.sync({}, progress);
  ASSERT_TRUE(first.status.ok()) << first.status.message();
  EXPECT_EQ(findings, 1);
  EXPECT_EQ(told, std::vector<std::string>{"dav"});
  EXPECT_EQ(first.newDefaultList, "dav (dav)");

  ASSERT_TRUE(homeA.update([](zarvo::CalendarIO& io, const auto&) { ASSERT_TRUE(io.createTask("Buy milk")); }).ok());
  told.clear();
  progress.listSynced = [&](const caldav::ListSummary& list) {
    told.push_back(list.title);
    EXPECT_EQ(list.changes.added[static_cast<int>(caldav::Side::server)], 1);
  };
  ASSERT_TRUE(service.sync({}, progress).status.ok());
  EXPECT_EQ(told, std::vector<std::string>{"dav"});

  ok("B", accountAdd());
  sync("B");
  ok("B", {"done", task("B", "Buy milk")["id"]});
  sync("B");
  const caldav::SyncResult back = service.sync({});
  ASSERT_TRUE(back.status.ok()) << back.status.message();
  ASSERT_EQ(back.lists.size(), 1u);
  EXPECT_EQ(back.lists[0].changes.updated[static_cast<int>(caldav::Side::local)], 1);
  bool completed = false;
  ASSERT_TRUE(homeA.update([&](zarvo::CalendarIO&, const std::vector<std::shared_ptr<zarvo::Task>>& tasks) {
    for (const auto& t : tasks) completed = completed || (t->title() == "Buy milk" && t->isCompleted());
  }).ok());
  EXPECT_TRUE(completed);

  // Nothing changed: one vdirsyncer start.
  if (!counted) GTEST_SKIP() << "vdirsyncer is no Python script: its starts are not counted";
  const size_t before = zarvo::testing::countedStarts(scratch_.path());
  ASSERT_TRUE(service.sync({}).status.ok());
  EXPECT_EQ(zarvo::testing::countedStarts(scratch_.path()) - before, 1u);
}

// One process could open one home only: a second SyncService on another home failed to open it.
TEST_F(SyncServiceTest, TwoLibraryHomesInOneProcessBothSync) {
  zarvo::SyncHomeAt homeA(home("A")), homeB(home("B"));
  caldav::SyncService serviceA(homeA, options("A")), serviceB(homeB, options("B"));
  for (caldav::SyncService* service : {&serviceA, &serviceB}) {
    ASSERT_TRUE(service->addAccount(account(server_.url()), false).ok());
    const caldav::SyncResult first = service->sync({});
    ASSERT_TRUE(first.status.ok()) << first.status.message();
  }
  ASSERT_TRUE(homeA.update([](zarvo::CalendarIO& io, const auto&) { ASSERT_TRUE(io.createTask("Buy milk")); }).ok());
  ASSERT_TRUE(serviceA.sync({}).status.ok());
  ASSERT_TRUE(serviceB.sync({}).status.ok());
  bool arrived = false;
  ASSERT_TRUE(homeB.update([&](zarvo::CalendarIO&, const std::vector<std::shared_ptr<zarvo::Task>>& tasks) {
    for (const auto& t : tasks) arrived = arrived || t->title() == "Buy milk";
  }).ok());
  EXPECT_TRUE(arrived);
}

TEST_F(SyncServiceTest, ASilentServerEndsTheSyncByItsTimeoutAndTheHomeStaysFreeMeanwhile) {
  SilentServer silent;
  zarvo::SyncHomeAt homeA(home("A"));
  caldav::SyncServiceOptions o = options();
  // Longer than the home's lock patience (10 s) for the two requests a discovery makes before it
  // gives up, so that a lock held across the wait would fail the `ls` below.
  o.timeouts.connect = std::chrono::seconds(2);
  o.timeouts.idle = std::chrono::seconds(6);
  caldav::SyncService service(homeA, o);
  ASSERT_TRUE(service.addAccount(account(silent.url()), false).ok());
  add("A", "Renew passport");

  std::stop_source guard;
  auto syncing = std::async(std::launch::async, [&] { return service.sync({}, {}, guard.get_token()); });
  ASSERT_TRUE(silent.waitForAConnection());
  // vdirsyncer waits on the server: other commands use the home meanwhile.
  const Outcome listed = zarvo("A", {"ls", "--json"});
  EXPECT_EQ(listed.status, 0) << listed.err;
  // Only a sync the timeouts failed to end is stopped here (before vdirsyncer's last-resort silence
  // limit of two minutes would), and then fails this test.
  if (syncing.wait_for(std::chrono::seconds(90)) != std::future_status::ready) guard.request_stop();
  const caldav::SyncResult result = syncing.get();
  EXPECT_TRUE(result.status == caldav::SyncErrc::timedOut) << result.status.message();
  EXPECT_NE(result.status.message().find(silent.url()), std::string::npos) << result.status.message();
  EXPECT_NE(result.status.message().find("did not answer"), std::string::npos) << result.status.message();
  task("A", "Renew passport");
}

TEST_F(SyncServiceTest, AnAnswerTheServerCutsOffIsAskedForAgainAndTheSyncCompletes) {
  // The second try, too, is cut off: the third completes the sync.
  CuttingProxy proxy(server_.port(), "REPORT");
  zarvo::SyncHomeAt homeA(home("A"));
  caldav::SyncServiceOptions o = options();
  o.retryPause = std::chrono::milliseconds(10);
  caldav::SyncService service(homeA, o);
  const zarvo::Error added = service.addAccount(account(proxy.url()), false);
  ASSERT_TRUE(added.ok()) << added.message();
  add("A", "Renew passport");
  ASSERT_TRUE(service.sync({}).status.ok());
  add("A", "Water the plants");
  proxy.cutNext(2);

  std::vector<int> tries;
  std::vector<std::string> problems;
  std::vector<caldav::ListSummary> told;
  caldav::SyncProgress progress;
  progress.retrying = [&](int attempt) { tries.push_back(attempt); };
  progress.problem = [&](const std::string& error) { problems.push_back(error); };
  progress.listSynced = [&](const caldav::ListSummary& list) { told.push_back(list); };
  const caldav::SyncResult result = service.sync({}, progress);
  ASSERT_TRUE(result.status.ok()) << result.status.message();
  EXPECT_GE(proxy.cut(), 2);
  EXPECT_EQ(tries, (std::vector<int>{1, 2}));
  EXPECT_TRUE(problems.empty()) << problems.front();
  EXPECT_TRUE(result.errors.empty());
  ASSERT_EQ(told.size(), 1u);
  EXPECT_FALSE(told[0].changes.failed);
  EXPECT_EQ(told[0].changes.added[static_cast<int>(caldav::Side::server)], 1);

  // What was cut off reached the server: another machine gets it.
  ok("B", accountAdd());
  sync("B");
  task("B", "Water the plants");
}

TEST_F(SyncServiceTest, ACutOffAnswerWithNoTryLeftFailsTheSyncSayingSoAndKeepsEverythingHere) {
  CuttingProxy proxy(server_.port(), "REPORT");
  proxy.cutNext(1000);
  zarvo::SyncHomeAt homeA(home("A"));
  caldav::SyncServiceOptions o = options();
  o.retriesAfterACut = 1;
  o.retryPause = std::chrono::milliseconds(10);
  caldav::SyncService service(homeA, o);
  const zarvo::Error added = service.addAccount(account(proxy.url()), false);
  ASSERT_TRUE(added.ok()) << added.message();
  add("A", "Renew passport");

  int tries = 0;
  std::vector<std::string> problems;
  caldav::SyncProgress progress;
  progress.retrying = [&](int) { ++tries; };
  progress.problem = [&](const std::string& error) { problems.push_back(error); };
  const caldav::SyncResult result = service.sync({}, progress);
  EXPECT_TRUE(result.status == caldav::SyncErrc::failed) << result.status.message();
  EXPECT_NE(result.status.message().find("closed the connection before its answer was complete"), std::string::npos)
      << result.status.message();
  EXPECT_NE(result.status.message().find(proxy.url()), std::string::npos) << result.status.message();
  EXPECT_EQ(tries, 1);
  // Only the last try's errors are told, once each.
  EXPECT_FALSE(problems.empty());
  EXPECT_EQ(problems.size(), result.errors.size());
  task("A", "Renew passport");
}

}  // namespace
