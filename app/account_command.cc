// `zarvo account add|ls|rm`: the home's CalDAV accounts, synced by `zarvo sync`.
#include <fmt/format.h>

#include <filesystem>
#include <iostream>

#include "app/command_error.h"
#include "app/commands.h"
#include "zarvo/sync/caldav_accounts.h"

namespace zarvo::app {

namespace {

namespace fs = std::filesystem;
using caldav::Account;
using caldav::Accounts;
using caldav::AccountsLayout;
using caldav::PasswordKind;

struct AddOptions {
  std::string name, url, user;
  std::optional<std::string> passwordFile, passwordCommand, passwordEnv;
  bool json = false;
};

struct RmOptions {
  std::string name;
  bool deleteLocal = false, json = false;
};

std::string passwordText(const caldav::PasswordSource& password) {
  switch (password.kind) {
    case PasswordKind::file: return "file " + password.value;
    case PasswordKind::command: return "command " + password.value;
    case PasswordKind::environment: return "$" + password.value;
  }
  return "";
}

nlohmann::ordered_json accountJson(const Account& account, const Accounts& accounts) {
  const char* kinds[] = {"file", "command", "environment"};
  return {{"name", account.name},
          {"url", account.url},
          {"user", account.user},
          {"password", {{"from", kinds[static_cast<int>(account.password.kind)]}, {"value", account.password.value}}},
          {"folder", accounts.layout().sourceFolder(account.name).string()},
          {"lists", accounts.localCollections(account.name).size()}};
}

int add(const AddOptions& o, Program& program) {
  Account account{o.name, o.url, o.user, {}};
  const int given = o.passwordFile.has_value() + o.passwordCommand.has_value() + o.passwordEnv.has_value();
  if (given != 1) {
    throw UsageError("say where the password comes from with one of --password-file FILE, --password-command "
                     "COMMAND or --password-env VARIABLE (it is never given on the command line)");
  }
  if (o.passwordFile) account.password = {PasswordKind::file, fs::absolute(*o.passwordFile).lexically_normal().string()};
  if (o.passwordCommand) account.password = {PasswordKind::command, *o.passwordCommand};
  if (o.passwordEnv) account.password = {PasswordKind::environment, *o.passwordEnv};

  Session session(program.globals);
  Accounts accounts(AccountsLayout::forHome(session.home()));
  try {
    accounts.add(account);
  } catch (const caldav::AccountError& e) {
    throw UsageError(e.what());
  }
  session.finish();
  if (o.json) {
    printJson(accountJson(account, accounts));
  } else {
    std::cout << fmt::format("Added account {} ({} as {}); 'zarvo sync' fetches its lists\n", account.name, account.url,
                             account.user);
    if (auto problem = caldav::passwordProblem(account.password)) std::cout << "Note: " << *problem << "\n";
  }
  return 0;
}

int ls(bool json, Program& program) {
  const Accounts accounts(AccountsLayout::forHome(homePath(program.globals)));
  const auto all = accounts.list();
  if (json) {
    auto out = nlohmann::ordered_json::array();
    for (const auto& a : all) out.push_back(accountJson(a, accounts));
    printJson(out);
    return 0;
  }
  if (all.empty()) {
    std::cout << "No accounts; add one with 'zarvo account add NAME URL --user USER --password-env VARIABLE'\n";
    return 0;
  }
  for (const auto& a : all) {
    const size_t lists = accounts.localCollections(a.name).size();
    std::cout << fmt::format("{}  {}  user {}  password from {}  {} list{}\n", a.name, a.url, a.user,
                             passwordText(a.password), lists, lists == 1 ? "" : "s");
  }
  return 0;
}

int rm(const RmOptions& o, Program& program) {
  Session session(program.globals);
  Accounts accounts(AccountsLayout::forHome(session.home()));
  const auto account = accounts.find(o.name);
  if (!account) throw UsageError("there is no account named '" + o.name + "'");
  size_t removedLists = 0;
  if (o.deleteLocal) {
    // Through the store, so the lists' records and tasks go with their files.
    session.allTasks();
    for (const auto& list : session.lists()) {
      const auto calendar = list->calendar();
      if (calendar && calendar->source() && calendar->source()->sourceIdentifier() == o.name) {
        session.io().remove(list);
        ++removedLists;
      }
    }
  }
  accounts.remove(o.name);
  session.finish();
  if (o.deleteLocal) {
    std::error_code ec;
    const fs::path folder = accounts.layout().sourceFolder(o.name);
    fs::remove(folder / ".source", ec);
    fs::remove(folder, ec);  // only when nothing else is left in it
  }
  if (o.json) {
    printJson({{"removed", o.name}, {"deletedLists", removedLists}});
  } else if (o.deleteLocal) {
    std::cout << fmt::format("Removed account {} and its {} list{} on this machine (the server keeps them)\n", o.name,
                             removedLists, removedLists == 1 ? "" : "s");
  } else {
    std::cout << fmt::format("Removed account {}; its lists stay here, no longer synced ({})\n", o.name,
                             accounts.layout().sourceFolder(o.name).string());
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
  add->add_option("URL", a->url, "The server, e.g. https://dav.example.com/")->required();
  add->add_option("--user", a->user, "The user name on the server")->required();
  add->add_option("--password-file", a->passwordFile, "Read the password from this file when syncing");
  add->add_option("--password-command", a->passwordCommand, "Run this shell command to get the password");
  add->add_option("--password-env", a->passwordEnv, "Take the password from this environment variable");
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
