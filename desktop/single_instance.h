// SingleInstance: one window per user and home. The first launch on a home listens on a local socket
// named from the home's canonical path, in the user's runtime directory (private to the user); a
// later launch on the same home hands what it was asked (--show, --quick-add) to that window and
// leaves, so a global shortcut or a reminder's Open never opens a second window on one home.
//
// Threads: the UI thread (the socket's signals arrive on its event loop).
#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>

#include <filesystem>

class QLocalSocket;

namespace zarvo::desktop {

// What a launch asks of the window.
struct InstanceRequest {
  QString showUid;        // --show: select this task and open its details
  bool quickAdd = false;  // --quick-add without a line: open the quick-entry box
};

class SingleInstance : public QObject {
  Q_OBJECT

 public:
  // The socket of `home`: one name for every spelling of the folder ("home", "./home/"), another for
  // another folder or another user.
  static QString serverName(const std::filesystem::path& home);

  explicit SingleInstance(QString name, QObject* parent = nullptr);

  // Hands `request` to the instance listening on `name` and waits up to `timeoutMs` for it to take it.
  // False when none listens (or it does not answer): then this launch is the first. With no window
  // listening the connection fails at once; the wait only matters for a live window, which answers
  // from its event loop and may be seconds late on a busy machine: a second window on the same home
  // is worse than waiting for it.
  [[nodiscard]] static bool handOver(const QString& name, const InstanceRequest& request, int timeoutMs = 20'000);

  // Listens for later launches. A socket left by an instance that crashed is replaced; false when a
  // live instance holds the name (it started meanwhile: hand over to it instead).
  [[nodiscard]] bool listen();

 Q_SIGNALS:
  // A later launch asked this; it has been answered and is leaving.
  void requested(const zarvo::desktop::InstanceRequest& request);

 private:
  void readRequest(QLocalSocket* socket);

  QString name_;
  QLocalServer server_;
};

}  // namespace zarvo::desktop
