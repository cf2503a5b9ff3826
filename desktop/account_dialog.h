// AccountDialog: Sync > Accounts…, adding a CalDAV account, changing one (server URL, user name,
// password) or removing one, with the password kept in the Secret Service (secret_store.h).
//
// What it stores in the home is what `zarvo account add --password-command` stores: the account file
// names the command that asks the Secret Service for the password, so `zarvo sync` and the window's
// sync read it alike, and the password itself is in no file, command line or log. A new account
// keeps this computer's lists where they are; its first sync fetches the server's. Removing one is
// `zarvo account rm` (with --delete-local when asked), and takes its password out of the keyring.
//
// Threads: the dialog lives on the UI thread; saving and removing (the Secret Service, the home's
// lock) run on a thread of their own, and their outcome comes back to the UI thread. Closing the
// dialog waits for one under way.
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <optional>
#include <string>
#include <thread>

#include "desktop/sync_controller.h"
#include "zarvo/sync/sync_service.h"

namespace zarvo::desktop {

// What the dialog saves.
struct AccountForm {
  std::string name;
  std::string url;
  std::string user;
  // Empty when changing an account whose password is in the Secret Service already: it is kept
  // (and moves with the account when the URL or user change).
  std::string password;
  bool isNew = true;
};

// Saves `form` in the service's home: a new account is checked before its password is stored, so a
// refused account leaves nothing behind. Nothing on success, else why not, for a person.
std::optional<std::string> saveAccount(caldav::SyncService& service, const AccountForm& form);

struct AccountRemoval {
  bool removed = false;  // the account is gone from the home
  std::string problem;   // why not, or what was left behind; empty when nothing
};

// Removes the account `name` from the service's home as `zarvo account rm` does (the library's
// SyncService::removeAccount): its lists stay on this computer, no longer synced, or with
// `deleteLocalLists` go with their tasks (the server keeps them). Once the account is gone, its
// password leaves the Secret Service, unless another account of this home fetches the same entry.
// A refused removal (a sync under way, an unknown account) leaves the password where it was.
AccountRemoval removeAccount(caldav::SyncService& service, const std::string& name, bool deleteLocalLists);

class AccountDialog : public QDialog {
  Q_OBJECT

 public:
  // `options` says where the home is and how to open it (the sync's own).
  explicit AccountDialog(SyncController::Options options, QWidget* parent = nullptr);
  ~AccountDialog() override;

  QComboBox* accountBox() const { return accounts_; }
  QLineEdit* nameField() const { return name_; }
  QLineEdit* urlField() const { return url_; }
  QLineEdit* userField() const { return user_; }
  QLineEdit* passwordField() const { return password_; }
  QDialogButtonBox* buttons() const { return buttons_; }
  // Removes the chosen account after asking (a window-modal question, "removeAccountQuestion").
  QPushButton* removeButton() const { return remove_; }
  QString problem() const { return problem_->text(); }

 Q_SIGNALS:
  // An account was saved (the dialog then closes).
  void saved(const QString& name);
  // An account was removed, with its lists when `withLists` (the dialog then closes).
  void removed(const QString& name, bool withLists);

 private:
  void reload();
  void choose(int index);
  void save();
  void confirmRemoval();
  void remove(const QString& name, bool deleteLocalLists);
  // Runs `work` on the worker thread with the buttons off; `done` gets its outcome on the UI thread.
  template <class Work, class Done>
  void runAside(Work work, Done done);

  SyncController::Options options_;
  QComboBox* accounts_;
  QLineEdit* name_;
  QLineEdit* url_;
  QLineEdit* user_;
  QLineEdit* password_;
  QLabel* problem_;
  QDialogButtonBox* buttons_;
  QPushButton* remove_;
  std::jthread worker_;
};

}  // namespace zarvo::desktop
