#include "zarvo/store/object_context.h"

#include <algorithm>
#include <chrono>
#include <thread>
#include <unordered_map>

#include "zarvo/store/internal/object_context_steps.h"
#include "zarvo/store/internal/sqlite.h"
#include "zarvo/platform/dispatch.h"
#include "zarvo/platform/notifications.h"

namespace zarvo::store {

namespace {

// "ZRVO": marks files of this application, so that another program's SQLite file is refused.
constexpr int32_t kApplicationID = 0x5A52564F;

int64_t microseconds(Date d) { return d.time_since_epoch().count(); }
static_assert(std::is_same_v<Date::duration, std::chrono::microseconds>,
              "dates are stored in microseconds: another unit needs an upgrade step of the files");

}  // namespace

namespace detail {

std::string quoted(std::string_view name) { return "\"" + std::string(name) + "\""; }

std::string joinTable(const EntityDescription& owner, const RelationshipDescription& rel) {
  return quoted(owner.name + "_" + rel.name);
}

void bindValue(sqlite::Statement& stmt, int index, const Value& v) {
  std::visit(
      [&](const auto& x) {
        using T = std::decay_t<decltype(x)>;
        if constexpr (std::is_same_v<T, std::monostate>) {
          stmt.bindNull(index);
        } else if constexpr (std::is_same_v<T, bool>) {
          stmt.bind(index, static_cast<int64_t>(x ? 1 : 0));
        } else if constexpr (std::is_same_v<T, int64_t> || std::is_same_v<T, double>) {
          stmt.bind(index, x);
        } else if constexpr (std::is_same_v<T, std::string>) {
          stmt.bind(index, std::string_view(x));
        } else {
          stmt.bind(index, microseconds(x));
        }
      },
      v);
}

}  // namespace detail

namespace {

using detail::bindValue;
using detail::joinTable;
using detail::quoted;

// Column `column` of the current row, as attribute type `type`, into `into`: a string is made once,
// where it is kept, rather than made and then moved there.
void readValueInto(Value& into, const sqlite::Statement& stmt, int column, AttributeType type) {
  sqlite3_value* v = stmt.columnValue(column);
  if (sqlite3_value_type(v) == SQLITE_NULL) {
    into = std::monostate{};
    return;
  }
  switch (type) {
    case AttributeType::boolean: into = sqlite3_value_int64(v) != 0; return;
    case AttributeType::integer16:
    case AttributeType::integer64: into = static_cast<int64_t>(sqlite3_value_int64(v)); return;
    case AttributeType::floatingPoint: into = sqlite3_value_double(v); return;
    case AttributeType::string: {
      const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(v));
      into.emplace<std::string>(text ? std::string_view(text, static_cast<size_t>(sqlite3_value_bytes(v)))
                                     : std::string_view());
      return;
    }
    case AttributeType::date: into = Date(Date::duration(sqlite3_value_int64(v))); return;
  }
  into = std::monostate{};
}

const char* sqlType(AttributeType type) {
  switch (type) {
    case AttributeType::boolean:
    case AttributeType::integer16:
    case AttributeType::integer64:
    case AttributeType::date: return "INTEGER";
    case AttributeType::floatingPoint: return "REAL";
    case AttributeType::string: return "TEXT";
  }
  return "";
}

void likeFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
  // Only text matches, as in memory: SQLite would otherwise compare a number's or a date's digits.
  if (sqlite3_value_type(argv[1]) != SQLITE_TEXT) {
    sqlite3_result_int(ctx, 0);
    return;
  }
  const auto* pattern = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
  const auto* value = reinterpret_cast<const char*>(sqlite3_value_text(argv[1]));
  if (!pattern || !value) {
    sqlite3_result_int(ctx, 0);
    return;
  }
  const bool fold = sqlite3_value_int(argv[2]) != 0;
  const bool match = likeMatches(std::string_view(pattern, static_cast<size_t>(sqlite3_value_bytes(argv[0]))),
                                 std::string_view(value, static_cast<size_t>(sqlite3_value_bytes(argv[1]))), fold);
  sqlite3_result_int(ctx, match ? 1 : 0);
}

}  // namespace

ObjectContext::ObjectContext(std::string path, const ManagedObjectModel& model)
    : path_(std::move(path)), model_(model), queue_(std::make_unique<platform::SerialQueue>("zarvo.store.context")) {
  for (const auto& e : model_.entities()) {
    EntityState s;
    s.entity = &e;
    s.columns = "z_pk, z_opt";
    std::string names, marks, sets;
    for (const auto& a : e.attributes) {
      s.columns += ", " + quoted(a.name);
      names += (names.empty() ? "" : ", ") + quoted(a.name);
      marks += marks.empty() ? "?" : ", ?";
      sets += quoted(a.name) + " = ?, ";
    }
    const std::string table = quoted(e.name);
    s.insertSql = "INSERT INTO " + table + " (z_opt" + (names.empty() ? "" : ", " + names) + ") VALUES (1" +
                  (marks.empty() ? "" : ", " + marks) + ")";
    s.updateSql = "UPDATE " + table + " SET " + sets + "z_opt = z_opt + 1 WHERE z_pk = ? AND z_opt = ?";
    s.deleteSql = "DELETE FROM " + table + " WHERE z_pk = ? AND z_opt = ?";
    s.selectByRowSql = "SELECT " + s.columns + " FROM " + table + " WHERE z_pk = ?";
    entities_.push_back(std::move(s));
  }
}

std::shared_ptr<ObjectContext> ObjectContext::open(const std::string& path, const ManagedObjectModel& model,
                                                   bool readOnly) {
  std::shared_ptr<ObjectContext> context(new ObjectContext(path, model));
  context->openDatabase(readOnly);
  return context;
}

ObjectContext::~ObjectContext() {
  // Let queued work finish before the state it uses goes away. When the last owner was an item of
  // the context's own queue, that queue cannot join itself here: another thread joins it once the
  // item has returned.
  if (queue_ && queue_->isCurrent()) {
    std::thread([queue = std::move(queue_)]() mutable { queue.reset(); }).detach();
  }
  queue_.reset();
  // Records refer to each other strongly through relationships; break those links so that records
  // the owner no longer holds are freed with the context.
  std::vector<std::shared_ptr<ManagedObject>> all;
  for (auto& s : entities_) {
    for (auto& [id, o] : s.registered) all.push_back(o);
  }
  for (auto& [p, o] : insertedHold_) all.push_back(o);
  for (auto& o : all) {
    std::lock_guard lock(o->mu_);
    for (auto& r : o->related_) r.reset();
    if (o->changes_) o->changes_->savedRelated.clear();
  }
}

void ObjectContext::openDatabase(bool readOnly) {
  db_ = std::make_unique<sqlite::Database>(path_, readOnly);
  auto& db = *db_;
  (void)sqlite3_busy_timeout(db.handle(), 5000);  // fails only on a closed handle, which this is not
  // Every search by text runs through this function: without it they would all fail later, further
  // from the cause.
  if (sqlite3_create_function_v2(db.handle(), "zarvo_like", 3, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                 likeFunction, nullptr, nullptr, nullptr) != SQLITE_OK) {
    throw StoreError(StoreError::Code::cannotOpen, "Cannot set up " + path_ + ": " + sqlite3_errmsg(db.handle()));
  }

  auto pragma = [&](const char* sql) {
    auto& stmt = db.cached(sql);
    const int64_t value = stmt.step(StoreError::Code::cannotOpen) ? stmt.integer(0) : 0;
    stmt.reset();  // a statement left on a row keeps a read transaction open
    return value;
  };
  // Decide before changing anything: a foreign or newer file must be left exactly as it is.
  const int64_t applicationID = pragma("PRAGMA application_id");
  const int64_t version = pragma("PRAGMA user_version");
  const int64_t objects = pragma("SELECT count(*) FROM sqlite_master");
  if (applicationID != kApplicationID && (applicationID != 0 || version != 0 || objects != 0)) {
    throw StoreError(StoreError::Code::notOurs, "'" + path_ + "' is not a ZarvoKit database");
  }
  if (version > model_.version()) {
    throw StoreError(StoreError::Code::newerVersion,
                     "'" + path_ + "' was written by a newer version of ZarvoKit (schema " +
                         std::to_string(version) + ", this version reads up to " +
                         std::to_string(model_.version()) + ")");
  }
  if (readOnly) {
    if (version < model_.version()) {
      throw StoreError(StoreError::Code::cannotOpen,
                       "'" + path_ + "' needs its schema made or upgraded, and it cannot be written");
    }
    return;
  }
  {
    auto& stmt = db.cached("PRAGMA journal_mode = WAL");
    stmt.step(StoreError::Code::cannotOpen);
    stmt.reset();
  }
  db.exec("PRAGMA synchronous = FULL", StoreError::Code::cannotOpen);
  if (version < model_.version()) prepareSchema();
}

void ObjectContext::prepareSchema() {
  auto& db = *db_;
  db.exec("BEGIN IMMEDIATE", StoreError::Code::cannotOpen);
  try {
    // Another process may have created the schema while this one waited for the write lock.
    auto& check = db.cached("PRAGMA user_version");
    check.step();
    if (check.integer(0) >= model_.version()) {
      check.reset();
      db.exec("COMMIT");
      return;
    }
    const int64_t version = check.integer(0);
    check.reset();
    if (version > 0) {
      upgradeSchema(version);
      db.exec("PRAGMA user_version = " + std::to_string(model_.version()));
      db.exec("COMMIT");
      return;
    }
    for (const auto& e : model_.entities()) {
      std::string sql = "CREATE TABLE " + quoted(e.name) + " (z_pk INTEGER PRIMARY KEY, z_opt INTEGER NOT NULL";
      for (const auto& a : e.attributes) sql += ", " + quoted(a.name) + " " + sqlType(a.type);
      sql += ")";
      db.exec(sql);
      for (const auto& a : e.attributes) {
        if (a.indexed) {
          db.exec("CREATE INDEX " + quoted(e.name + "_" + a.name) + " ON " + quoted(e.name) + " (" + quoted(a.name) + ")");
        }
      }
      for (const auto& r : e.relationships) {
        if (!r.owner) continue;
        const std::string join = joinTable(e, r);
        db.exec("CREATE TABLE " + join + " (owner INTEGER NOT NULL, target INTEGER NOT NULL, PRIMARY KEY (owner, target))");
        db.exec("CREATE INDEX " + quoted(e.name + "_" + r.name + "_target") + " ON " + join + " (target)");
      }
    }
    db.exec("PRAGMA application_id = " + std::to_string(kApplicationID));
    db.exec("PRAGMA user_version = " + std::to_string(model_.version()));
    db.exec("COMMIT");
  } catch (...) {
    db.rollbackAfterFailure();
    throw;
  }
}

void ObjectContext::upgradeSchema(int64_t fromVersion) {
  auto& db = *db_;
  if (fromVersion < model_.microsecondDatesSince()) {
    // Nanoseconds to microseconds, rounded down (SQLite's division truncates toward zero). Each row
    // changes, so its version moves too: a process that read it before must read it again.
    for (const auto& e : model_.entities()) {
      std::string sets;
      for (const auto& a : e.attributes) {
        if (a.type != AttributeType::date) continue;
        const std::string column = quoted(a.name);
        sets += column + " = (" + column + " - ((" + column + " % 1000) + 1000) % 1000) / 1000, ";
      }
      if (!sets.empty()) db.exec("UPDATE " + quoted(e.name) + " SET " + sets + "z_opt = z_opt + 1");
    }
  }
}

sqlite::Database& ObjectContext::database() {
  if (!db_) throw StoreError(StoreError::Code::io, "the database '" + path_ + "' is closed");
  return *db_;
}

void ObjectContext::close() {
  std::lock_guard lock(mu_);
  db_.reset();
}

size_t ObjectContext::entityIndex(const EntityDescription& entity) const {
  for (size_t i = 0; i < entities_.size(); ++i) {
    if (entities_[i].entity == &entity) return i;
  }
  throw StoreError(StoreError::Code::invalidRequest, "entity " + entity.name + " is not in this context's model");
}

std::shared_ptr<ManagedObject> ObjectContext::materialize(size_t entity, int64_t rowID, const sqlite::Statement& stmt) {
  auto& state = entities_[entity];
  if (auto it = state.registered.find(rowID); it != state.registered.end()) return it->second;
  const EntityDescription& e = *state.entity;
  auto object = e.make(e);
  {
    std::lock_guard lock(object->mu_);
    object->context_ = weak_from_this();
    object->rowID_ = rowID;
    object->rowVersion_ = stmt.integer(1);
    for (size_t i = 0; i < e.attributes.size(); ++i) {
      readValueInto(object->values_[i], stmt, static_cast<int>(i + 2), e.attributes[i].type);
    }
  }
  state.registered.emplace(rowID, object);
  return object;
}

std::shared_ptr<ManagedObject> ObjectContext::objectWithRowID(size_t entity, int64_t rowID) {
  auto& state = entities_[entity];
  if (auto it = state.registered.find(rowID); it != state.registered.end()) return it->second;
  auto& stmt = database().cached(state.selectByRowSql);
  stmt.bind(1, rowID);
  if (!stmt.step()) return nullptr;
  auto object = materialize(entity, rowID, stmt);
  stmt.reset();
  return object;
}

void ObjectContext::insertObject(const std::shared_ptr<ManagedObject>& object) {
  {
    std::lock_guard lock(mu_);
    entityIndex(object->entity());
    {
      std::lock_guard objectLock(object->mu_);
      if (auto current = object->context_.lock()) {
        if (current.get() == this) return;
        throw StoreError(StoreError::Code::invalidRequest, "the object is registered in another context");
      }
      object->context_ = weak_from_this();
    }
    insertedHold_.emplace(object.get(), object);
    insertionOrder_.emplace(object.get(), nextInsertion_++);
    eventInserted_.push_back(object);
    eventInsertedSet_.insert(object.get());
  }
  object->awakeFromInsert();
}

void ObjectContext::nullifyRelationships(const std::shared_ptr<ManagedObject>& object) {
  const EntityDescription& e = object->entity();
  for (size_t r = 0; r < e.relationships.size(); ++r) {
    const auto& rel = e.relationships[r];
    const EntityDescription* dest = model_.entity(rel.destinationEntity);
    const auto inverse = dest ? dest->relationshipIndex(rel.inverseName) : std::nullopt;
    loadRelationship(object, r);
    std::vector<std::shared_ptr<ManagedObject>> targets;
    {
      std::lock_guard lock(object->mu_);
      targets = object->relatedSlot(r).value_or(std::vector<std::shared_ptr<ManagedObject>>{});
      object->setRelatedLocked(r, {});
    }
    if (inverse) {
      for (auto& t : targets) t->changeRelationship(*inverse, object, false);
    }
  }
}

void ObjectContext::deleteObject(const std::shared_ptr<ManagedObject>& object) {
  std::lock_guard lock(mu_);
  if (object->managedObjectContext().get() != this) return;
  if (deleted_.count(object.get())) return;
  nullifyRelationships(object);
  if (insertedHold_.count(object.get())) {
    // Never saved: forget it. Announce the deletion only when its insertion was already announced.
    if (eventInsertedSet_.erase(object.get())) {
      eventInserted_.erase(std::find(eventInserted_.begin(), eventInserted_.end(), object));
    } else {
      eventDeleted_.push_back(object);
    }
    eventUpdated_.erase(object.get());
    insertedHold_.erase(object.get());
    insertionOrder_.erase(object.get());
    forget(object);
    return;
  }
  deleted_.insert(object.get());
  updated_.erase(object.get());
  eventUpdated_.erase(object.get());
  eventDeleted_.push_back(object);
}

void ObjectContext::forget(const std::shared_ptr<ManagedObject>& object) {
  std::lock_guard lock(object->mu_);
  object->context_.reset();
  for (auto& r : object->related_) r.reset();
  if (auto& changes = object->changes_) {
    changes->savedRelated.clear();
    changes->saved.clear();
    changes->event.clear();
  }
}

void ObjectContext::objectDidChange(const std::shared_ptr<ManagedObject>& object) {
  std::lock_guard lock(mu_);
  if (object->managedObjectContext().get() != this || deleted_.count(object.get())) return;
  if (!insertedHold_.count(object.get())) updated_.insert(object.get());
  if (!eventInsertedSet_.count(object.get())) eventUpdated_.insert(object.get());
}

void ObjectContext::loadRelationship(const std::shared_ptr<ManagedObject>& object, size_t relationship) {
  std::lock_guard lock(mu_);
  std::optional<int64_t> rowID;
  {
    std::lock_guard objectLock(object->mu_);
    if (object->relatedLoaded(relationship)) return;
    rowID = object->rowID_;
  }
  std::vector<std::shared_ptr<ManagedObject>> targets;
  if (rowID) {
    const EntityDescription& e = object->entity();
    const auto& rel = e.relationships[relationship];
    const EntityDescription* dest = model_.entity(rel.destinationEntity);
    if (!dest) throw StoreError(StoreError::Code::invalidRequest, "unknown entity " + rel.destinationEntity);
    std::string sql;
    if (rel.owner) {
      sql = "SELECT target FROM " + joinTable(e, rel) + " WHERE owner = ? ORDER BY rowid";
    } else {
      const auto inverse = dest->relationshipIndex(rel.inverseName);
      if (!inverse) throw StoreError(StoreError::Code::invalidRequest, "relationship " + rel.name + " has no inverse");
      sql = "SELECT owner FROM " + joinTable(*dest, dest->relationships[*inverse]) + " WHERE target = ? ORDER BY rowid";
    }
    std::vector<int64_t> ids;
    {
      auto& stmt = database().cached(sql);
      stmt.bind(1, *rowID);
      while (stmt.step()) ids.push_back(stmt.integer(0));
      stmt.reset();
    }
    const size_t destIndex = entityIndex(*dest);
    for (int64_t id : ids) {
      auto t = objectWithRowID(destIndex, id);
      if (t && !deleted_.count(t.get())) targets.push_back(std::move(t));
    }
  }
  std::lock_guard objectLock(object->mu_);
  if (auto& slot = object->relatedSlot(relationship); !slot) slot = std::move(targets);
}

bool ObjectContext::hasChanges() const {
  std::lock_guard lock(mu_);
  return !insertedHold_.empty() || !updated_.empty() || !deleted_.empty();
}

ObjectList ObjectContext::insertedObjects() const {
  std::lock_guard lock(mu_);
  ObjectList out;
  for (auto& [p, o] : insertedHold_) out.push_back(o);
  return out;
}

ObjectList ObjectContext::updatedObjects() const {
  std::lock_guard lock(mu_);
  ObjectList out;
  for (auto* p : updated_) out.push_back(p->shared_from_this());
  return out;
}

ObjectList ObjectContext::deletedObjects() const {
  std::lock_guard lock(mu_);
  ObjectList out;
  for (auto* p : deleted_) out.push_back(p->shared_from_this());
  return out;
}

void ObjectContext::processPendingChanges() {
  ObjectList inserted, updated, deleted;
  {
    std::lock_guard lock(mu_);
    inserted = std::move(eventInserted_);
    deleted = std::move(eventDeleted_);
    eventInserted_.clear();
    eventDeleted_.clear();
    eventInsertedSet_.clear();
    for (auto* p : eventUpdated_) updated.push_back(p->shared_from_this());
    eventUpdated_.clear();
    for (auto& o : updated) {
      std::lock_guard objectLock(o->mu_);
      auto& changes = o->changes();
      changes.announced.clear();
      for (size_t i = 0; i < changes.event.size(); ++i) {
        if (changes.event[i]) changes.announced.emplace(o->entity().attributes[i].name, *changes.event[i]);
        changes.event[i].reset();
      }
    }
    for (auto& o : inserted) {
      std::lock_guard objectLock(o->mu_);
      if (o->changes_) std::fill(o->changes_->event.begin(), o->changes_->event.end(), std::nullopt);
    }
  }
  if (inserted.empty() && updated.empty() && deleted.empty()) return;
  std::map<std::string, std::any> userInfo;
  if (!inserted.empty()) userInfo.emplace(kInsertedObjectsKey, inserted);
  if (!updated.empty()) userInfo.emplace(kUpdatedObjectsKey, updated);
  if (!deleted.empty()) userInfo.emplace(kDeletedObjectsKey, deleted);
  postObjectsDidChange(std::move(userInfo));
  for (auto& o : updated) {
    std::lock_guard objectLock(o->mu_);
    if (o->changes_) o->changes_->announced.clear();
  }
}

void ObjectContext::refresh(const std::shared_ptr<ManagedObject>& object) {
  std::lock_guard lock(mu_);
  if (object->managedObjectContext().get() != this) return;
  const auto row = object->rowID();
  if (!row) return;  // never saved: nothing to read
  auto& state = entities_[entityIndex(object->entity())];
  auto& stmt = database().cached(state.selectByRowSql);
  stmt.bind(1, *row);
  const bool exists = stmt.step();
  updated_.erase(object.get());
  deleted_.erase(object.get());
  eventUpdated_.erase(object.get());
  if (!exists) {
    stmt.reset();
    state.registered.erase(*row);
    forget(object);
    return;
  }
  {
    std::lock_guard objectLock(object->mu_);
    object->rowVersion_ = stmt.integer(1);
    const EntityDescription& e = object->entity();
    for (size_t i = 0; i < e.attributes.size(); ++i) {
      readValueInto(object->values_[i], stmt, static_cast<int>(i + 2), e.attributes[i].type);
    }
    for (auto& r : object->related_) r.reset();
    if (auto& changes = object->changes_) {
      changes->saved.clear();
      changes->event.clear();
      changes->savedRelated.clear();
    }
  }
  stmt.reset();
}

void ObjectContext::rollback() {
  std::lock_guard lock(mu_);
  std::vector<std::shared_ptr<ManagedObject>> restore;
  for (auto* p : updated_) restore.push_back(p->shared_from_this());
  for (auto* p : deleted_) restore.push_back(p->shared_from_this());
  for (auto& o : restore) {
    std::lock_guard objectLock(o->mu_);
    if (!o->changes_) continue;
    auto& changes = *o->changes_;
    for (size_t i = 0; i < changes.saved.size(); ++i) {
      if (changes.saved[i]) o->values_[i] = *std::exchange(changes.saved[i], std::nullopt);
    }
    changes.event.clear();
    for (size_t r = 0; r < changes.savedRelated.size(); ++r) {
      if (changes.savedRelated[r]) o->relatedSlot(r) = std::move(*std::exchange(changes.savedRelated[r], std::nullopt));
    }
  }
  for (auto& [p, o] : insertedHold_) forget(o);
  insertedHold_.clear();
  insertionOrder_.clear();
  updated_.clear();
  deleted_.clear();
  eventInserted_.clear();
  eventInsertedSet_.clear();
  eventDeleted_.clear();
  eventUpdated_.clear();
}

}  // namespace zarvo::store

namespace zarvo::store {

void ObjectContext::postObjectsDidChange(std::map<std::string, std::any> userInfo) {
  platform::NotificationCenter::defaultCenter().post(kObjectsDidChangeNotification, this, std::move(userInfo));
}

void ObjectContext::perform(std::function<void()> work) {
  // The item holds the context alive until it has run.
  queue_->async([self = shared_from_this(), work = std::move(work)] {
    // The changes are announced while the queue is still held, so observers run on the context's
    // queue before any later item.
    std::lock_guard<std::recursive_mutex> hold(self->queueHold_);
    work();
    self->processPendingChanges();
  });
}

}  // namespace zarvo::store
