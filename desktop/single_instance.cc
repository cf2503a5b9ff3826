#include "desktop/single_instance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>
#include <QStandardPaths>

#include <system_error>

namespace zarvo::desktop {

namespace {
constexpr qint64 kMaxRequest = 64 * 1024;  // a request is one short line; more is not a launch of ours
}

QString SingleInstance::serverName(const std::filesystem::path& home) {
  std::error_code error;
  std::filesystem::path canonical = std::filesystem::weakly_canonical(std::filesystem::absolute(home, error), error);
  if (error) canonical = home.lexically_normal();
  // weakly_canonical keeps a trailing separator of an existing folder ("home/"): one name for both.
  std::string path = canonical.string();
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  const QByteArray hash =
      QCryptographicHash::hash(QByteArray::fromStdString(path), QCryptographicHash::Sha256).toHex().left(32);
  // The runtime directory is the user's own (mode 0700), which keeps other users from the socket; a
  // bare name would land in the shared /tmp.
  QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (dir.isEmpty()) dir = QDir::tempPath();
  return dir + QStringLiteral("/zarvo-desktop-") + QString::fromLatin1(hash);
}

SingleInstance::SingleInstance(QString name, QObject* parent) : QObject(parent), name_(std::move(name)) {
  connect(&server_, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
      connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
      connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readRequest(socket); });
    }
  });
}

bool SingleInstance::handOver(const QString& name, const InstanceRequest& request, int timeoutMs) {
  QLocalSocket socket;
  socket.connectToServer(name);
  if (!socket.waitForConnected(timeoutMs)) return false;
  QJsonObject message;
  if (!request.showUid.isEmpty()) message[QStringLiteral("show")] = request.showUid;
  if (request.quickAdd) message[QStringLiteral("quickAdd")] = true;
  socket.write(QJsonDocument(message).toJson(QJsonDocument::Compact) + '\n');
  if (!socket.waitForBytesWritten(timeoutMs)) return false;
  // Taken once answered: a window that froze or died before it read the request does not count.
  while (!socket.canReadLine()) {
    if (!socket.waitForReadyRead(timeoutMs)) return false;
  }
  return socket.readLine().trimmed() == "ok";
}

bool SingleInstance::listen() {
  if (server_.listen(name_)) return true;
  if (server_.serverError() != QAbstractSocket::AddressInUseError) return false;
  // The name is taken: by a live instance (then it answers a connection), or by the socket file of
  // one that crashed.
  QLocalSocket probe;
  probe.connectToServer(name_);
  if (probe.waitForConnected(1000)) return false;
  QLocalServer::removeServer(name_);
  return server_.listen(name_);
}

void SingleInstance::readRequest(QLocalSocket* socket) {
  if (!socket->canReadLine()) {
    if (socket->bytesAvailable() > kMaxRequest) socket->abort();
    return;
  }
  const QJsonObject message = QJsonDocument::fromJson(socket->readLine()).object();
  InstanceRequest request;
  request.showUid = message.value(QStringLiteral("show")).toString();
  request.quickAdd = message.value(QStringLiteral("quickAdd")).toBool();
  socket->write("ok\n");
  socket->flush();
  Q_EMIT requested(request);
}

}  // namespace zarvo::desktop
