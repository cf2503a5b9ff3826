#include "desktop/snapshot_cache.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QDataStream>
#include <QHash>
#include <QIODevice>

#include <cstdlib>
#include <cstring>

namespace zarvo::desktop {

namespace {

constexpr char kMagic[] = "zarvo-desktop snapshot";
// Raised whenever what is written changes: a file of another version is ignored.
constexpr quint32 kVersion = 2;
constexpr quint8 kFixedColour = 0, kSemanticColour = 1;
constexpr quint8 kLastSemantic = quint8(platform::SemanticColour::systemRed);

void put(QDataStream& out, const platform::Colour& colour) {
  if (const auto semantic = colour.semantic()) {
    out << kSemanticColour << quint8(*semantic);
    return;
  }
  const platform::RGBA rgba = colour.resolved();
  out << kFixedColour << rgba.red << rgba.green << rgba.blue << rgba.alpha;
}

bool get(QDataStream& in, platform::Colour& colour) {
  quint8 kind = 0;
  in >> kind;
  if (kind == kSemanticColour) {
    quint8 semantic = 0;
    in >> semantic;
    if (semantic > kLastSemantic) return false;
    colour = platform::SemanticColour(semantic);
    return true;
  }
  if (kind != kFixedColour) return false;
  platform::RGBA rgba;
  in >> rgba.red >> rgba.green >> rgba.blue >> rgba.alpha;
  colour = platform::Colour::rgb(rgba);
  return true;
}

// Counts are checked against what is left, so damaged data cannot make the reader loop for long.
bool getCount(QDataStream& in, quint32& count, qint64 smallestItem) {
  in >> count;
  return in.status() == QDataStream::Ok && qint64(count) * smallestItem <= in.device()->bytesAvailable();
}

}  // namespace

Snapshot firstScreens(const Snapshot& snapshot, size_t rowsPerEntry) {
  Snapshot first = snapshot;
  first.tasks.clear();
  std::array<size_t, std::size(kSmartLists)> inSmart{};
  QHash<QString, size_t> inList;
  for (const auto& task : snapshot.tasks) {
    bool keep = ++inList[task.listId] <= rowsPerEntry;
    for (size_t i = 0; i < std::size(kSmartLists); ++i) {
      if (task.in(kSmartLists[i])) keep = ++inSmart[i] <= rowsPerEntry || keep;
    }
    if (keep) first.tasks.push_back(task);
  }
  return first;
}

std::string encodeSnapshot(const Snapshot& snapshot) {
  QByteArray bytes;
  QDataStream out(&bytes, QIODevice::WriteOnly);
  out.setVersion(QDataStream::Qt_6_0);
  out.writeRawData(kMagic, sizeof kMagic);
  out << kVersion;
  out << quint32(snapshot.lists.size());
  for (const auto& list : snapshot.lists) {
    out << list.id << list.title;
    put(out, list.colour);
    out << qint64(list.openCount) << list.countTitle;
  }
  out << quint32(snapshot.tasks.size());
  for (const auto& task : snapshot.tasks) {
    out << task.uid << task.title << task.listId;
    put(out, task.titleColour);
    put(out, task.listColour);
    out << bool(task.due) << qint64(task.due ? task.due->toMSecsSinceEpoch() : 0) << task.allDay << task.flagged
        << qint32(task.priority) << task.today << task.upcoming << task.top << task.tags;
  }
  out << snapshot.defaultListId;
  for (const int64_t count : snapshot.smartCounts) out << qint64(count);
  return bytes.toStdString();
}

std::optional<Snapshot> decodeSnapshot(std::string_view bytes) {
  const QByteArray data = QByteArray::fromRawData(bytes.data(), qsizetype(bytes.size()));
  QDataStream in(data);
  in.setVersion(QDataStream::Qt_6_0);
  char magic[sizeof kMagic] = {};
  if (in.readRawData(magic, sizeof magic) != qsizetype(sizeof magic) || std::memcmp(magic, kMagic, sizeof magic) != 0) {
    return std::nullopt;
  }
  quint32 version = 0;
  in >> version;
  if (version != kVersion) return std::nullopt;

  Snapshot snapshot;
  snapshot.provisional = true;
  quint32 count = 0;
  // The least a list (four empty strings, a colour, a count) and a task take.
  if (!getCount(in, count, 4 * 4 + 2 + 8)) return std::nullopt;
  for (quint32 i = 0; i < count; ++i) {
    ListRow list;
    qint64 open = 0;
    in >> list.id >> list.title;
    if (!get(in, list.colour)) return std::nullopt;
    in >> open >> list.countTitle;
    list.openCount = open;
    snapshot.lists.push_back(std::move(list));
  }
  if (!getCount(in, count, 3 * 4 + 2 * 2 + 1 + 8 + 3 + 4 + 3 + 4)) return std::nullopt;
  for (quint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
    TaskRow task;
    bool hasDue = false;
    qint64 due = 0;
    qint32 priority = 0;
    in >> task.uid >> task.title >> task.listId;
    if (!get(in, task.titleColour) || !get(in, task.listColour)) return std::nullopt;
    in >> hasDue >> due >> task.allDay >> task.flagged >> priority >> task.today >> task.upcoming >> task.top >> task.tags;
    if (hasDue) task.due = QDateTime::fromMSecsSinceEpoch(due);
    task.priority = priority;
    snapshot.tasks.push_back(std::move(task));
  }
  in >> snapshot.defaultListId;
  for (auto& smart : snapshot.smartCounts) {
    qint64 n = 0;
    in >> n;
    smart = n;
  }
  if (in.status() != QDataStream::Ok || !in.atEnd()) return std::nullopt;
  return snapshot;
}

std::optional<std::filesystem::path> snapshotCachePath(const std::filesystem::path& home) {
  std::filesystem::path cache;
  if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg && *xdg) {
    cache = xdg;
  } else if (const char* user = std::getenv("HOME"); user && *user) {
    cache = std::filesystem::path(user) / ".cache";
  } else {
    return std::nullopt;
  }
  std::error_code e;
  const std::string absolute = std::filesystem::absolute(home, e).lexically_normal().string();
  const QByteArray hash = QCryptographicHash::hash(QByteArray::fromStdString(absolute), QCryptographicHash::Sha256).toHex();
  return cache / "zarvo" / "desktop" / (hash.left(32).toStdString() + ".snapshot");
}

std::optional<Snapshot> loadSnapshot(platform::FileSystem& fs, const std::filesystem::path& path) {
  std::string bytes;
  if (fs.readFile(path, bytes)) return std::nullopt;
  return decodeSnapshot(bytes);
}

Error storeSnapshot(platform::FileSystem& fs, const std::filesystem::path& path, std::string_view bytes) {
  if (Error e = platform::createDirectories(fs, path.parent_path())) return e;
  return platform::writeFileAtomically(fs, path, bytes);
}

}  // namespace zarvo::desktop
