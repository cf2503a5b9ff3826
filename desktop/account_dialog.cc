#include "desktop/account_dialog.h"

#include <QFormLayout>
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

AccountDialog::AccountDialog(SyncController::Options options, QWidget* parent)
    : QDialog(parent), options_(std::move(options)), accounts_(new QComboBox), name_(new QLineEdit),
      url_(new QLineEdit), user_(new QLineEdit), password_(new QLineEdit), problem_(new QLabel),
      buttons_(new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Cancel)) {
  setWindowTitle(tr("Accounts"));
  setAccessibleName(tr("Accounts"));
  accounts_->setAccessibleName(tr("Account"));
  name_->setAccessibleName(tr("Account name"));
  url_->setAccessibleName(tr("Server URL"));
  url_->setPlaceholderText(QStringLiteral("https://dav.example.com/"));
  user_->setAccessibleName(tr("User name"));
  password_->setAccessibleName(tr("Password"));
  password_->setEchoMode(QLineEdit::Password);
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

void AccountDialog::save() {
  if (worker_.joinable()) return;  // one save at a time; the button is off meanwhile
  AccountForm form;
  form.isNew = accounts_->currentIndex() <= 0;
  form.name = name_->text().trimmed().toStdString();
  form.url = url_->text().trimmed().toStdString();
  form.user = user_->text().trimmed().toStdString();
  form.password = password_->text().toStdString();
  buttons_->button(QDialogButtonBox::Save)->setEnabled(false);
  problem_->hide();
  worker_ = std::jthread([this, form = std::move(form)] {
    SyncHomeAt home(options_.home, options_.homeOptions);
    caldav::SyncService service(home, options_.service);
    const auto why = saveAccount(service, form);
    platform::MainQueue::async([self = QPointer<AccountDialog>(this), why, name = QString::fromStdString(form.name)] {
      if (!self) return;
      self->worker_.join();
      self->buttons_->button(QDialogButtonBox::Save)->setEnabled(true);
      if (why) {
        self->problem_->setText(tr("Not saved: %1").arg(QString::fromStdString(*why)));
        self->problem_->show();
        return;
      }
      self->password_->clear();
      Q_EMIT self->saved(name);
      self->accept();
    });
  });
}

}  // namespace zarvo::desktop
