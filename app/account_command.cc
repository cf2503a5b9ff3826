// `zarvo account add|ls|rm`: the home's CalDAV accounts (caldav::SyncService), synced by `zarvo sync`.
#include <fmt/format.h>
#include <unistd.h>

#include <filesystem>
#include <iostream>

#include "app/messages.h"
#include "app/command_error.h"
#include "app/commands.h"
#include "zarvo/home/home_sync.h"
#include "zarvo/sync/sync_service.h"

namespace zarvo::app {

namespace {

namespace fs = std::filesystem;
using caldav::Account;
using caldav::PasswordKind;
using caldav::SyncErrc;

struct AddOptions {
  std::string name, url, user;
  std::optional<std::string> passwordFile, passwordCommand, passwordEnv;
  bool upload = false, noUpload = false, json = false;
};

struct RmOptions {
  std::string name;
  bool deleteLocal = false, json = false;
};

constexpr const char* kPasswordOptions = "--password-file FILE, --password-command COMMAND or --password-env VARIABLE";

std::string passwordText(const caldav::PasswordSource& password) {
  switch (password.kind) {
    case PasswordKind::file: return trf("file {}", password.value);
    case PasswordKind::command: return trf("command {}", password.value);
    case PasswordKind::environment: return "$" + password.value;
  }
  return "";
}

nlohmann::ordered_json accountJson(const Account& account, const caldav::Accounts& accounts) {
  const char* kinds[] = {"file", "command", "environment"};
  return {{"name", account.name},
          {"url", caldav::urlWithoutCredentials(account.url)},
          {"user", account.user},
          {"password", {{"from", kinds[static_cast<int>(account.password.kind)]}, {"value", account.password.value}}},
          {"folder", accounts.layout().sourceFolder(account.name).string()},
          {"lists", accounts.localCollections(account.name).size()}};
}

// On a terminal, with local tasks to move: whether the person wants them in the new account.
bool offeredUpload(caldav::SyncService& service, const std::string& account) {
  if (::isatty(STDIN_FILENO) == 0 || ::isatty(STDOUT_FILENO) == 0) return false;
  const auto lists = service.localLists();
  if (!lists) return false;  // the add itself reports what is wrong with the home
  std::string what;
  size_t tasks = 0;
  for (const auto& list : *lists) {
    tasks += list.openTasks + list.completedTasks;
    const size_t count = list.openTasks + list.completedTasks;
    what += (what.empty() ? "" : tr(", ")) + trnf("{}: {} task", "{}: {} tasks", count, list.title, count);
  }
  if (tasks == 0) return false;
  out().prompt(trf("Move the lists on this computer ({}) into {} and upload them? [y/N] ", what, account));
  std::string answer;
  if (!std::getline(std::cin, answer)) return false;
  return answer == "y" || answer == "Y" || answer == "yes" || answer == trc("answer", "y") || answer == trc("answer", "yes");
}

int add(const AddOptions& o, Program& program) {
  Account account{o.name, o.url, o.user, {}};
  const int given = o.passwordFile.has_value() + o.passwordCommand.has_value() + o.passwordEnv.has_value();
  if (given != 1) {
    throw UsageError(trf("say where the password comes from with one of {} (it is never given on the command line)",
                         kPasswordOptions));
  }
  if (o.passwordFile) account.password = {PasswordKind::file, fs::absolute(*o.passwordFile).lexically_normal().string()};
  if (o.passwordCommand) account.password = {PasswordKind::command, *o.passwordCommand};
  if (o.passwordEnv) account.password = {PasswordKind::environment, *o.passwordEnv};
  if (o.upload && o.noUpload) throw UsageError(tr("--upload and --no-upload say opposite things"));

  SyncHomeAt home(fs::absolute(homePath(program.globals)), waitingHomeOptions());
  caldav::SyncService service(home, syncServiceOptions(home.path(), program.settings()));
  if (auto problem = service.accounts().check(account); !problem.ok()) {
    if (problem == SyncErrc::credentialsInUrl) {
      throw UsageError(problem.message() + ": --user USER and one of " + kPasswordOptions);
    }
    throw UsageError(problem.message());
  }
  const bool upload = o.upload || (!o.noUpload && !o.json && offeredUpload(service, account.name));
  if (auto status = service.addAccount(account, upload); !status.ok()) {
    if (status == SyncErrc::home || status == SyncErrc::files) throw RefusedError(status.message());
    throw UsageError(status.message());
  }
  nlohmann::ordered_json document = accountJson(account, service.accounts());
  if (!o.json) {
    out().line(upload ? trf("Added account {} ({} as {}); moving this computer's lists into it and syncing now",
                               account.name, account.url, account.user)
                         : trf("Added account {} ({} as {}); 'zarvo sync' fetches its lists", account.name, account.url,
                               account.user));
    if (auto problem = caldav::passwordProblem(account.password)) out().line(trf("Note: {}", *problem));
  }
  int status = 0;
  if (upload) {
    caldav::SyncRequest request;
    request.accounts = {account.name};
    try {
      status = syncAndPrint(service, request, o.json, &document["sync"]);
    } catch (...) {
      if (o.json) printJson(document);
      throw;
    }
  }
  if (o.json) printJson(document);
  return status;
}

int ls(bool json, Program& program) {
  SyncHomeAt home(homePath(program.globals));
  const caldav::SyncService service(home);
  const auto& accounts = service.accounts();
  const auto all = accounts.list();
  if (json) {
    auto out = nlohmann::ordered_json::array();
    for (const auto& a : all) out.push_back(accountJson(a, accounts));
    printJson(out);
    return 0;
  }
  if (all.empty()) {
    out().line(tr("No accounts; add one with 'zarvo account add NAME URL --user USER --password-env VARIABLE'"));
    return 0;
  }
  for (const auto& a : all) {
    const size_t lists = accounts.localCollections(a.name).size();
    out().line(trf("{}  {}  user {}  password from {}  {}", a.name, caldav::urlWithoutCredentials(a.url), a.user,
                   passwordText(a.password), trnf("{} list", "{} lists", lists, lists)));
  }
  return 0;
}

int rm(const RmOptions& o, Program& program) {
  SyncHomeAt home(fs::absolute(homePath(program.globals)), waitingHomeOptions());
  caldav::SyncService service(home);
  const auto removed = service.removeAccount(o.name, o.deleteLocal);
  if (!removed) {
    if (removed.error() == SyncErrc::unknownAccount) throw UsageError(removed.error().message());
    throw RefusedError(removed.error().message());
  }
  if (o.json) {
    printJson({{"removed", o.name}, {"deletedLists", *removed}});
  } else if (o.deleteLocal) {
    out().line(trnf("Removed account {} and its {} list on this machine (the server keeps it)",
                    "Removed account {} and its {} lists on this machine (the server keeps them)", *removed, o.name,
                    *removed));
  } else {
    out().line(trf("Removed account {}; its lists stay here, no longer synced ({})", o.name,
                   service.accounts().layout().sourceFolder(o.name).string()));
  }
  return 0;
}

}  // namespace

void registerAccountCommand(CLI::App& app, Program& program) {
  CLI::App* account = app.add_subcommand("account", "CalDAV accounts synced by 'zarvo sync'");
  account->require_subcommand(1);

  auto a = std::make_shared<AddOptions>();
  CLI::App* add = account->add_subcommand("add", "Add a CalDAV account (the password is never stored)");
  add->add_option("NAME", a->name, "The account's name (letters, digits, - and _)")->required();
  add->add_option("URL", a->url, "The server, e.g. https://dav.example.com/ (no user or password in it)")->required();
  add->add_option("--user", a->user, "The user name on the server")->required();
  add->add_option("--password-file", a->passwordFile, "Read the password from this file when syncing");
  add->add_option("--password-command", a->passwordCommand, "Run this shell command to get the password");
  add->add_option("--password-env", a->passwordEnv, "Take the password from this environment variable");
  add->add_flag("--upload", a->upload, "Move this computer's lists into the account and upload them now");
  add->add_flag("--no-upload", a->noUpload, "Do not offer to (this computer's lists stay here)");
  add->add_flag("--json", a->json, "Print the account as JSON");
  add->callback([a, &program] { program.exitCode = zarvo::app::add(*a, program); });

  auto json = std::make_shared<bool>(false);
  CLI::App* list = account->add_subcommand("ls", "List the accounts");
  list->add_flag("--json", *json, "Print the accounts as JSON");
  list->callback([json, &program] { program.exitCode = ls(*json, program); });

  auto r = std::make_shared<RmOptions>();
  CLI::App* remove = account->add_subcommand("rm", "Remove an account (its lists stay here unless --delete-local)");
  remove->add_option("NAME", r->name, "The account")->required();
  remove->add_flag("--delete-local", r->deleteLocal, "Also delete its lists and tasks on this machine");
  remove->add_flag("--json", r->json, "Print what was removed as JSON");
  remove->callback([r, &program] { program.exitCode = rm(*r, program); });
}

}  // namespace zarvo::app
