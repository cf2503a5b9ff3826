#include "desktop/account_dialog.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "desktop/secret_store.h"
#include "zarvo/home/home_sync.h"
#include "zarvo/platform/dispatch.h"

namespace zarvo::desktop {

namespace {

using caldav::Account;
using caldav::PasswordKind;

std::optional<SecretKey> secretKeyOf(const Account& account) {
  if (account.password.kind != PasswordKind::command) return std::nullopt;
  return keyOfLookupCommand(account.password.value);
}

}  // namespace

std::optional<std::string> saveAccount(caldav::SyncService& service, const AccountForm& form) {
  const SecretKey key{form.url, form.user};
  Account account{form.name, form.url, form.user, {PasswordKind::command, lookupCommand(key)}};
  if (form.isNew) {
    if (form.password.empty()) return "type the password";
    if (auto status = service.accounts().check(account); !status.ok()) return status.message();
    if (auto why = storePassword(key, form.password)) return why;
    if (auto status = service.addAccount(account, false); !status.ok()) {
      (void)clearPassword(key);  // the account it was for is not there
      return status.message();
    }
    return std::nullopt;
  }

  const auto stored = service.accounts().find(form.name);
  if (!stored) return "there is no account named '" + form.name + "'";
  const auto oldKey = secretKeyOf(*stored);
  if (!form.password.empty()) {
    if (auto why = storePassword(key, form.password)) return why;
  } else if (!oldKey) {
    return "type the password: this account's password comes from elsewhere";
  } else if (oldKey->url != key.url || oldKey->user != key.user) {
    const auto password = lookupPassword(*oldKey);
    if (!password) return "the account's password is not in the Secret Service; type it";
    if (auto why = storePassword(key, *password)) return why;
  }
  // One atomic write of the account file: nothing else of the home changes.
  caldav::Accounts accounts(service.accounts().layout());
  if (auto status = accounts.update(account); !status.ok()) return status.message();
  // The old entry served this account alone when its key was its own.
  if (oldKey && (oldKey->url != key.url || oldKey->user != key.user)) (void)clearPassword(*oldKey);
  return std::nullopt;
}

AccountRemoval removeAccount(caldav::SyncService& service, const std::string& name, bool deleteLocalLists) {
  const auto stored = service.accounts().find(name);
  if (!stored) return {false, "there is no account named '" + name + "'"};
  const auto key = secretKeyOf(*stored);
  AccountRemoval outcome;
  const auto removed = service.removeAccount(name, deleteLocalLists);
  if (!removed) outcome.problem = removed.error().message();
  // A removal can fail after the account's file went (its sync status left behind): read the home
  // again to know whether the account, and so its use of the password, is gone.
  const caldav::Accounts left(service.accounts().layout());
  outcome.removed = !left.find(name).has_value();
  if (!outcome.removed || !key) return outcome;
  for (const auto& other : left.list()) {
    const auto otherKey = secretKeyOf(other);
    if (otherKey && otherKey->url == key->url && otherKey->user == key->user) return outcome;  // still in use
  }
  if (auto why = clearPassword(*key)) outcome.problem += (outcome.problem.empty() ? "" : "; ") + *why;
  return outcome;
}

AccountDialog::AccountDialog(SyncController::Options options, QWidget* parent)
    : QDialog(parent), options_(std::move(options)), accounts_(new QComboBox), name_(new QLineEdit),
      url_(new QLineEdit), user_(new QLineEdit), password_(new QLineEdit), problem_(new QLabel),
      buttons_(new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Cancel)),
      remove_(buttons_->addButton(tr("&Remove Account\u2026"), QDialogButtonBox::DestructiveRole)) {
  setWindowTitle(tr("Accounts"));
  setAccessibleName(tr("Accounts"));
  accounts_->setAccessibleName(tr("Account"));
  name_->setAccessibleName(tr("Account name"));
  url_->setAccessibleName(tr("Server URL"));
  url_->setPlaceholderText(QStringLiteral("https://dav.example.com/"));
  user_->setAccessibleName(tr("User name"));
  password_->setAccessibleName(tr("Password"));
  password_->setEchoMode(QLineEdit::Password);
  remove_->setAccessibleName(tr("Remove account"));
  problem_->setTextFormat(Qt::PlainText);
  problem_->setWordWrap(true);
  problem_->hide();

  auto* form = new QFormLayout;
  form->addRow(tr("&Account:"), accounts_);
  form->addRow(tr("&Name:"), name_);
  form->addRow(tr("Server &URL:"), url_);
  form->addRow(tr("U&ser:"), user_);
  form->addRow(tr("&Password:"), password_);
  auto* note = new QLabel(tr("The password is kept in your desktop's keyring (the Secret Service), not in a file; "
                             "a sync asks the keyring for it."));
  note->setWordWrap(true);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(note);
  layout->addWidget(problem_);
  layout->addWidget(buttons_);

  connect(accounts_, &QComboBox::currentIndexChanged, this, &AccountDialog::choose);
  connect(buttons_, &QDialogButtonBox::accepted, this, &AccountDialog::save);
  connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(remove_, &QPushButton::clicked, this, &AccountDialog::confirmRemoval);
  reload();
}

AccountDialog::~AccountDialog() {
  if (worker_.joinable()) worker_.join();
}

void AccountDialog::reload() {
  const QSignalBlocker blocker(accounts_);
  accounts_->clear();
  accounts_->addItem(tr("New account"));
  const caldav::Accounts accounts(caldav::AccountsLayout::forHome(options_.home));
  for (const auto& account : accounts.list()) accounts_->addItem(QString::fromStdString(account.name));
  choose(0);
}

void AccountDialog::choose(int index) {
  const bool isNew = index <= 0;
  name_->setEnabled(isNew);
  remove_->setEnabled(!isNew && !worker_.joinable());
  password_->clear();
  problem_->hide();
  if (isNew) {
    name_->clear();
    url_->clear();
    user_->clear();
    password_->setPlaceholderText({});
    return;
  }
  const caldav::Accounts accounts(caldav::AccountsLayout::forHome(options_.home));
  const auto account = accounts.find(accounts_->itemText(index).toStdString());
  if (!account) return;
  name_->setText(QString::fromStdString(account->name));
  url_->setText(QString::fromStdString(account->url));
  user_->setText(QString::fromStdString(account->user));
  password_->setPlaceholderText(secretKeyOf(*account) ? tr("unchanged") : tr("kept elsewhere now; type it to keep it in the keyring"));
}

template <class Work, class Done>
void AccountDialog::runAside(Work work, Done done) {
  for (QAbstractButton* button : buttons_->buttons()) {
    if (buttons_->buttonRole(button) != QDialogButtonBox::RejectRole) button->setEnabled(false);
  }
  problem_->hide();
  worker_ = std::jthread([this, work = std::move(work), done = std::move(done)] {
    auto outcome = [&] {
      SyncHomeAt home(options_.home, options_.homeOptions);
      caldav::SyncService service(home, options_.service);
      return work(service);
    }();
    platform::MainQueue::async([self = QPointer<AccountDialog>(this), outcome = std::move(outcome), done] {
      if (!self) return;
      self->worker_.join();
      self->buttons_->button(QDialogButtonBox::Save)->setEnabled(true);
      self->remove_->setEnabled(self->accounts_->currentIndex() > 0);
      done(*self, outcome);
    });
  });
}

void AccountDialog::save() {
  if (worker_.joinable()) return;  // one save or removal at a time; the buttons are off meanwhile
  AccountForm form;
  form.isNew = accounts_->currentIndex() <= 0;
  form.name = name_->text().trimmed().toStdString();
  form.url = url_->text().trimmed().toStdString();
  form.user = user_->text().trimmed().toStdString();
  form.password = password_->text().toStdString();
  const QString name = QString::fromStdString(form.name);
  runAside([form = std::move(form)](caldav::SyncService& service) { return saveAccount(service, form); },
           [name](AccountDialog& self, const std::optional<std::string>& why) {
             if (why) {
               self.problem_->setText(tr("Not saved: %1").arg(QString::fromStdString(*why)));
               self.problem_->show();
               return;
             }
             self.password_->clear();
             Q_EMIT self.saved(name);
             self.accept();
           });
}

void AccountDialog::confirmRemoval() {
  if (worker_.joinable() || accounts_->currentIndex() <= 0) return;
  const QString name = accounts_->currentText();
  // Window-modal and asynchronous, as the window's own questions are.
  auto* box = new QMessageBox(QMessageBox::Question, tr("Remove Account"), tr("Remove the account %1?").arg(name),
                              QMessageBox::Cancel, this);
  box->setInformativeText(tr("Its lists stay on this computer, no longer synced; the server keeps them. "
                             "Its password leaves the keyring."));
  auto* withLists = new QCheckBox(tr("Also &delete its lists and their tasks on this computer"));
  withLists->setObjectName(QStringLiteral("deleteLocalLists"));
  box->setCheckBox(withLists);
  QPushButton* remove = box->addButton(tr("Remove"), QMessageBox::DestructiveRole);
  box->setDefaultButton(QMessageBox::Cancel);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setObjectName(QStringLiteral("removeAccountQuestion"));
  connect(box, &QMessageBox::finished, this, [this, box, remove, withLists, name] {
    if (box->clickedButton() == remove) this->remove(name, withLists->isChecked());
  });
  box->open();
}

void AccountDialog::remove(const QString& name, bool deleteLocalLists) {
  if (worker_.joinable()) return;
  runAside(
      [name = name.toStdString(), deleteLocalLists](caldav::SyncService& service) {
        return removeAccount(service, name, deleteLocalLists);
      },
      [name, deleteLocalLists](AccountDialog& self, const AccountRemoval& outcome) {
        if (!outcome.removed) {
          self.problem_->setText(tr("Not removed: %1").arg(QString::fromStdString(outcome.problem)));
          self.problem_->show();
          return;
        }
        Q_EMIT self.removed(name, deleteLocalLists);
        if (!outcome.problem.empty()) {
          // Gone from the home, with something left behind that the person should know of.
          self.reload();
          self.problem_->setText(tr("Removed, but: %1").arg(QString::fromStdString(outcome.problem)));
          self.problem_->show();
          return;
        }
        self.accept();
      });
}

}  // namespace zarvo::desktop
