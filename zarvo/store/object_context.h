// ObjectContext: a unit of work over one SQLite database file.
//
// The context owns the records registered in it (one object per row: a fetch that meets a row already
// registered returns the same object), tracks their insertions, changes and deletions, and writes them
// all in one transaction when — and only when — its owner calls save(). Fetches see unsaved insertions
// and changes and never return objects marked deleted.
//
// Files: WAL journal; the schema version lives in PRAGMA user_version and the file is marked with the
// application's PRAGMA application_id. A file of another program, or one written by a newer version,
// is refused without being changed.
//
// Concurrency: every member is thread-safe. The context also has a serial queue: perform() runs work
// later on it; performAndWait() runs work on the calling thread while holding the queue (no other
// work of the queue runs meanwhile, as with a synchronous dispatch), and is re-entrant.
//
// Several processes (or several contexts) may open one file. Each row carries a version; save()
// refuses with StoreError(conflict), writing nothing, when a row it changes or deletes was changed by
// someone else since this context read it.
#pragma once

#include <any>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <type_traits>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "zarvo/store/managed_object.h"
#include "zarvo/store/model.h"
#include "zarvo/store/predicate.h"
#include "zarvo/store/store_error.h"

namespace zarvo::platform {
class SerialQueue;
}

namespace zarvo::store {

namespace sqlite {
class Database;
class Statement;
}

struct SortDescriptor {
  std::string key;
  bool ascending = true;
};

struct FetchRequest {
  explicit FetchRequest(std::string entity) : entityName(std::move(entity)) {}

  std::string entityName;
  // Null fetches every object of the entity.
  std::shared_ptr<const Predicate> predicate;
  // Applied in order; objects equal on every key keep the database's row order, unsaved ones last.
  std::vector<SortDescriptor> sortDescriptors;
  // At most this many objects; nothing means no limit.
  std::optional<size_t> fetchLimit;
  // Kept for callers that state it. Objects always come back with every attribute loaded.
  bool returnsObjectsAsFaults = true;
  // When set, only objects whose attribute `key` holds a text that `keep` accepts, besides the
  // predicate. A look-up of many records by one attribute states it so that a stored row whose text
  // is not wanted is passed over before an object is made for it; objects this context already has
  // are tested on their current values. `keep` is called on the context's queue.
  // `expected`, when known, is about how many records pass: when they are few beside the stored
  // rows, the rows are first read for their text alone and the wanted ones then each on its own.
  // `texts`, when given, are exactly the texts `keep` accepts (views the caller keeps valid for the
  // fetch): with few expected, an indexed key and no sort descriptors, each is then looked up through
  // the key's index, so the cost follows the texts asked for, not the rows stored.
  struct TextFilter {
    std::string key;
    std::function<bool(std::string_view)> keep;
    std::optional<size_t> expected;
    std::optional<std::vector<std::string_view>> texts;
  };
  std::optional<TextFilter> textFilter;
};

// The objects-did-change notification: posted on the default notification centre with the context as
// object, by the thread that processes pending changes. Its user info holds, under each key below, a
// std::vector<std::shared_ptr<ManagedObject>> (keys with no objects are left out).
inline constexpr const char* kObjectsDidChangeNotification = "NSManagedObjectContextObjectsDidChangeNotification";
inline constexpr const char* kInsertedObjectsKey = "inserted";
inline constexpr const char* kUpdatedObjectsKey = "updated";
inline constexpr const char* kDeletedObjectsKey = "deleted";
using ObjectList = std::vector<std::shared_ptr<ManagedObject>>;

class ObjectContext : public std::enable_shared_from_this<ObjectContext> {
 public:
  // Opens or creates the database at `path` for `model`, which must outlive the context.
  // Throws StoreError: cannotOpen, notOurs (not a database of this application), newerVersion.
  // With `readOnly`, opens an existing database that cannot be written (a read-only folder or mount)
  // only to read it: fetches work, save() fails, and nothing of the file changes. It takes no locks
  // on the file, so the caller must keep writers out while it is open (zarvo::Home's lock does).
  // A database that needs its schema made or upgraded throws cannotOpen.
  static std::shared_ptr<ObjectContext> open(const std::string& path, const ManagedObjectModel& model,
                                             bool readOnly = false);

  ~ObjectContext();
  ObjectContext(const ObjectContext&) = delete;
  ObjectContext& operator=(const ObjectContext&) = delete;

  const ManagedObjectModel& model() const { return model_; }
  const std::string& path() const { return path_; }

  // Registers a new object: it is counted as inserted and its awakeFromInsert runs. An object already
  // registered here is left alone. REQUIRES: the object's entity belongs to this context's model and
  // the object is not registered in another context.
  void insertObject(const std::shared_ptr<ManagedObject>& object);

  // Marks a registered object deleted: fetches stop returning it, relationships drop it, and the next
  // save removes its row. Deleting an object that was inserted and never saved just forgets it.
  void deleteObject(const std::shared_ptr<ManagedObject>& object);

  // The objects matching `request`, in its sort order. Throws StoreError: invalidRequest for an unknown
  // entity or key, io when the database cannot be read (closed, corrupt).
  ObjectList fetch(const FetchRequest& request);
  template <class T>
  std::vector<std::shared_ptr<T>> fetch(const FetchRequest& request) {
    auto objects = fetch(request);
    std::vector<std::shared_ptr<T>> out;
    out.reserve(objects.size());
    for (auto& o : objects) {
      if (auto t = std::dynamic_pointer_cast<T>(std::move(o))) out.push_back(std::move(t));
    }
    return out;
  }

  bool hasChanges() const;
  ObjectList insertedObjects() const;
  ObjectList updatedObjects() const;
  ObjectList deletedObjects() const;

  // Announces the changes made since the last announcement with the objects-did-change notification
  // (nothing is posted when there are none). Runs at the end of each perform() item and at the start
  // of save(); owners may call it at the end of their own units of work.
  void processPendingChanges();

  // Writes every insertion, change and deletion in one transaction. On failure nothing is written and
  // the pending changes stay as they were, so the owner may retry or roll back. Throws StoreError:
  // conflict, io. The library itself never calls it.
  void save();

  // save() in two steps, for an owner that changes another store in the same unit of work and wants
  // both changed or neither: prepareSave() writes every change inside a transaction it leaves open
  // (holding the database's write lock, and this context's lock, until it ends) and throws as save()
  // does, writing nothing; commit() on the result ends the transaction as save() would. Destroying it
  // without commit() rolls the transaction back and leaves the pending changes as they were.
  // REQUIRES: the result ends on the thread that made it.
  class PreparedSave {
   public:
    ~PreparedSave();
    PreparedSave(const PreparedSave&) = delete;
    PreparedSave& operator=(const PreparedSave&) = delete;
    // Throws StoreError(io) when the transaction cannot be committed; it is then rolled back.
    void commit();

   private:
    friend class ObjectContext;
    struct State;
    explicit PreparedSave(std::unique_ptr<State> state);
    std::unique_ptr<State> state_;
  };
  std::unique_ptr<PreparedSave> prepareSave();

  // Drops every pending change: inserted objects leave the context, changed and deleted ones get back
  // the values of the last save. Posts nothing.
  void rollback();

  // Re-reads a saved object's row, dropping the object's pending changes: the way out of a conflict
  // (save() refuses an object whose row someone else changed until it is refreshed). An object whose
  // row is gone leaves the context. Its relationships are read again on next use; the other sides'
  // already loaded relationships are not. Throws StoreError(io) when the database cannot be read.
  void refresh(const std::shared_ptr<ManagedObject>& object);

  // Closes the database. Registered objects stay usable in memory; later fetches and saves throw
  // StoreError(io).
  void close();

  // Runs `work` later on the context's queue, then processes pending changes. Items run one at a
  // time in submission order.
  void perform(std::function<void()> work);

  // Runs `work` on the calling thread while holding the context's queue, and returns its result or
  // rethrows its exception. Re-entrant: a call from inside perform() or performAndWait() of the same
  // context runs at once.
  template <class F>
  auto performAndWait(F&& work) -> std::invoke_result_t<F&> {
    std::lock_guard<std::recursive_mutex> hold(queueHold_);
    return work();
  }

  // Number of objects of record class T (or derived from it) among the inserted and deleted objects
  // of an objects-did-change notification's user info.
  template <class T>
  static size_t countInsertAndDeleteNotificationObjects(const std::map<std::string, std::any>& userInfo) {
    size_t count = 0;
    for (const char* key : {kInsertedObjectsKey, kDeletedObjectsKey}) {
      auto it = userInfo.find(key);
      if (it == userInfo.end()) continue;
      if (const auto* list = std::any_cast<ObjectList>(&it->second)) {
        for (const auto& o : *list) count += dynamic_cast<const T*>(o.get()) != nullptr;
      }
    }
    return count;
  }

 private:
  friend class ManagedObject;
  struct EntityState;
  struct PendingEvent;

  ObjectContext(std::string path, const ManagedObjectModel& model);
  void openDatabase(bool readOnly);
  // Makes the schema of a new file, or upgrades an older one, in one transaction.
  void prepareSchema();
  void upgradeSchema(int64_t fromVersion);

  // Called by objects (never while they hold their own lock).
  void objectDidChange(const std::shared_ptr<ManagedObject>& object);
  void loadRelationship(const std::shared_ptr<ManagedObject>& object, size_t relationship);

  size_t entityIndex(const EntityDescription& entity) const;
  sqlite::Database& database();
  std::shared_ptr<ManagedObject> materialize(size_t entity, int64_t rowID, const sqlite::Statement& row);
  std::shared_ptr<ManagedObject> objectWithRowID(size_t entity, int64_t rowID);
  std::string selectColumns(size_t entity) const;
  void nullifyRelationships(const std::shared_ptr<ManagedObject>& object);
  void forget(const std::shared_ptr<ManagedObject>& object);
  void postObjectsDidChange(std::map<std::string, std::any> userInfo);

  // The steps of fetch() (object_context_fetch.cc) and save() (object_context_save.cc); `mu_` held.
  struct SaveBatch;
  const EntityDescription& checkedEntity(const FetchRequest& request) const;
  bool hasPendingChanges(const EntityDescription& entity) const;
  static bool matches(const FetchRequest& request, const EntityDescription& entity, ManagedObject& object);
  bool fewWanted(size_t entity, size_t expected);
  ObjectList fetchRows(const EntityDescription& entity, const FetchRequest& request, bool pending);
  void mergePendingChanges(const EntityDescription& entity, const FetchRequest& request, ObjectList& results);
  void sortByCurrentValues(const EntityDescription& entity, const FetchRequest& request, ObjectList& results);
  SaveBatch snapshotChanges();
  void insertRows(SaveBatch& batch);
  void updateRows(const SaveBatch& batch);
  void deleteRows(const SaveBatch& batch);
  void writeOwnedRelationships(const SaveBatch& batch);
  void adoptSavedState(const SaveBatch& batch);

  const std::string path_;
  const ManagedObjectModel& model_;

  mutable std::recursive_mutex mu_;
  std::unique_ptr<sqlite::Database> db_;
  std::vector<EntityState> entities_;
  // Unsaved insertions (owned here until saved) and saved objects changed or marked deleted (owned
  // through `entities_`).
  std::unordered_map<ManagedObject*, std::shared_ptr<ManagedObject>> insertedHold_;
  std::unordered_set<ManagedObject*> updated_, deleted_;
  // Insertion order of unsaved objects, for a stable fetch order.
  std::unordered_map<ManagedObject*, uint64_t> insertionOrder_;
  uint64_t nextInsertion_ = 0;
  // Changes since the last processPendingChanges.
  ObjectList eventInserted_, eventDeleted_;
  std::unordered_set<ManagedObject*> eventInsertedSet_, eventUpdated_;

  std::recursive_mutex queueHold_;
  std::unique_ptr<platform::SerialQueue> queue_;
};

// Inserts a new record of class T into `managedContext` (when there is one), runs `configurator` on it
// once and returns it. Without a context the record is made but inserted nowhere (no timestamp); it
// may be inserted later. Never throws a store error.
template <class T>
std::shared_ptr<T> createObject(const std::shared_ptr<ObjectContext>& managedContext,
                                const std::function<void(T&)>& configurator) {
  auto object = std::make_shared<T>(T::entityDescription());
  if (managedContext) managedContext->insertObject(object);
  if (configurator) configurator(*object);
  return object;
}

// The record class's name without namespace (the fallback entity name in messages).
template <class T>
std::string localClassName() {
  return T::kClassName;
}

}  // namespace zarvo::store
