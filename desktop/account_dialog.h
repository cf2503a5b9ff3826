// AccountDialog: Sync > Accounts…, adding a CalDAV account or changing one (server URL, user name,
// password), with the password kept in the Secret Service (secret_store.h).
//
// What it stores in the home is what `zarvo account add --password-command` stores: the account file
// names the command that asks the Secret Service for the password, so `zarvo sync` and the window's
// sync read it alike, and the password itself is in no file, command line or log. A new account
// keeps this computer's lists where they are; its first sync fetches the server's.
//
// Threads: the dialog lives on the UI thread; saving (the Secret Service, the home's lock) runs on a
// thread of its own, and its outcome comes back to the UI thread. Closing the dialog waits for a save
// under way.
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>

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
  QString problem() const { return problem_->text(); }

 Q_SIGNALS:
  // An account was saved (the dialog then closes).
  void saved(const QString& name);

 private:
  void reload();
  void choose(int index);
  void save();

  SyncController::Options options_;
  QComboBox* accounts_;
  QLineEdit* name_;
  QLineEdit* url_;
  QLineEdit* user_;
  QLineEdit* password_;
  QLabel* problem_;
  QDialogButtonBox* buttons_;
  std::jthread worker_;
};

}  // namespace zarvo::desktop
