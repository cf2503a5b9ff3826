// The base of every stored record.
//
// A ManagedObject is a reference type (std::shared_ptr) whose identity is its address. While it is
// registered in an ObjectContext, that context owns it strongly and is the only object for its row
// (uniquing). Attribute values are read and written by key; the record classes wrap them in typed
// accessors. Changes are tracked for the context's save, its rollback and its objects-did-change
// notification.
//
// Thread safety: every member may be called from any thread; each object guards its own values. A
// context locks itself before an object, never the other way round.
#pragma once

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "zarvo/store/model.h"
#include "zarvo/store/record_mutex.h"

namespace zarvo::store {

class ObjectContext;

// Keeps an observation alive; the callback stops when it is destroyed.
class ObservationToken {
 public:
  ObservationToken() = default;
  explicit ObservationToken(std::function<void()> cancel) : cancel_(std::move(cancel)) {}
  ObservationToken(ObservationToken&&) noexcept = default;
  ObservationToken& operator=(ObservationToken&& other) noexcept {
    if (this != &other) {
      reset();
      cancel_ = std::move(other.cancel_);
    }
    return *this;
  }
  ~ObservationToken() { reset(); }
  void reset() {
    if (cancel_) std::exchange(cancel_, nullptr)();
  }

 private:
  std::function<void()> cancel_;
};

class ManagedObject : public std::enable_shared_from_this<ManagedObject> {
 public:
  explicit ManagedObject(const EntityDescription& entity);
  virtual ~ManagedObject();
  ManagedObject(const ManagedObject&) = delete;
  ManagedObject& operator=(const ManagedObject&) = delete;

  const EntityDescription& entity() const { return *entity_; }

  // The context the object is registered in; null when it was never inserted, was rolled back out of
  // its context, was deleted and saved, or its context is gone.
  std::shared_ptr<ObjectContext> managedObjectContext() const;

  bool isInserted() const;  // inserted and not yet saved
  bool isUpdated() const;   // changed since the last save
  bool isDeleted() const;   // marked deleted and not yet saved
  // The row of the object once saved.
  std::optional<int64_t> rowID() const;

  // Attribute by key. Throws StoreError(invalidRequest) for a key the entity does not have.
  Value value(std::string_view key) const;
  // Sets an attribute, recording the change and telling the key's observers.
  void setValue(std::string_view key, Value value);
  // Same as setValue without telling observers (used while an object is being inserted).
  void setPrimitiveValue(std::string_view key, Value value);

  // Current values of the attributes that differ from the last saved (or fetched) state.
  std::map<std::string, Value> changedValues() const;
  // The value of `key` as of the last save (or fetch): what the database holds while the object has
  // unsaved changes. Throws StoreError(invalidRequest) for a key the entity does not have.
  Value committedValue(std::string_view key) const;
  // Values, before the change, of the attributes changed in the event being announced. Non-empty only
  // while the context posts its objects-did-change notification.
  std::map<std::string, Value> changedValuesForCurrentEvent() const;

  // To-many relationship by key, loaded from the store on first use. Deleted objects are not in it.
  std::vector<std::shared_ptr<ManagedObject>> relatedObjects(std::string_view key) const;
  // Replaces a to-many relationship and keeps the inverse in step. REQUIRES: this object and every
  // target are registered in the same context (StoreError invalidRequest otherwise).
  // The to-many relationship `key` as of the last save (or fetch), loaded first when never used.
  std::vector<std::shared_ptr<ManagedObject>> committedRelatedObjects(std::string_view key) const;
  void setRelatedObjects(std::string_view key, std::vector<std::shared_ptr<ManagedObject>> objects);
  void addRelatedObject(std::string_view key, const std::shared_ptr<ManagedObject>& object);
  void removeRelatedObject(std::string_view key, const std::shared_ptr<ManagedObject>& object);

  // Calls `callback(key)` after every change of `key` or of a key it depends on (see
  // keyPathsAffecting), on the thread making the change, until the token is dropped.
  ObservationToken observe(std::string key, std::function<void(const std::string&)> callback);
  // Tells the observers of `key` and of the keys that depend on it. Record classes call it for
  // derived properties whose setters write elsewhere than the object's attributes.
  void didChangeValue(const std::string& key);

 protected:
  // Runs once when the object is inserted into a context, before any configurator.
  virtual void awakeFromInsert() {}
  // Keys whose value depends on `key` (their observers are told when `key` changes).
  virtual std::vector<std::string> keyPathsAffected(const std::string& key) const;

  // `read(value)` for attribute `index` of entity(), under the object's lock and without copying the
  // value: for record classes whose accessors need only part of a value, or compare it. `read` must
  // not keep a reference to the value nor call into this object. REQUIRES: index < attribute count.
  template <class F>
  auto readValueAt(size_t index, F&& read) const {
    std::lock_guard lock(mu_);
    return read(values_[index]);
  }
  // The index of attribute `key` of entity(). Throws StoreError(invalidRequest) for a key it lacks.
  size_t attributeIndexOrThrow(std::string_view key) const;

 private:
  friend class ObjectContext;

  size_t relationshipIndexOrThrow(std::string_view key) const;
  void setValueAt(size_t index, Value value, bool notify);
  // Under `mu_`: whether relationship `index` is loaded, and its slot (made on first use).
  bool relatedLoaded(size_t index) const { return index < related_.size() && related_[index].has_value(); }
  std::optional<std::vector<std::shared_ptr<ManagedObject>>>& relatedSlot(size_t index);
  void setRelatedLocked(size_t index, std::vector<std::shared_ptr<ManagedObject>> objects);
  void changeRelationship(size_t index, const std::shared_ptr<ManagedObject>& target, bool add);

  const EntityDescription* entity_;

  mutable RecordMutex mu_;
  std::weak_ptr<ObjectContext> context_;
  std::optional<int64_t> rowID_;
  int64_t rowVersion_ = 0;           // z_opt of the row as last read or written
  std::vector<Value> values_;
  // What only a changed record needs, made on its first change (most records are read, shown and
  // never changed); under `mu_`.
  struct Changes {
    // Both empty until an attribute changes, then one slot per attribute.
    std::vector<std::optional<Value>> saved;  // value at the last save, for attributes changed since
    std::vector<std::optional<Value>> event;  // value before the first change in the current event
    std::map<std::string, Value> announced;   // changedValuesForCurrentEvent while being announced
    // The state at the last save of relationships changed since: empty until a relationship
    // changes, then one slot per relationship.
    std::vector<std::optional<std::vector<std::shared_ptr<ManagedObject>>>> savedRelated;
  };
  std::unique_ptr<Changes> changes_;
  Changes& changes() {
    if (!changes_) changes_ = std::make_unique<Changes>();
    return *changes_;
  }
  // After a save: nothing differs from the saved state any more.
  void forgetSavedState() {
    if (!changes_) return;
    std::fill(changes_->saved.begin(), changes_->saved.end(), std::nullopt);
    for (auto& r : changes_->savedRelated) r.reset();
  }
  // Relationship targets: empty until one is loaded or set (a listing never asks for them), then one
  // slot per relationship, nothing in a slot until loaded. Under `mu_`; a non-empty
  // `Changes::savedRelated` implies a sized `related_`.
  std::vector<std::optional<std::vector<std::shared_ptr<ManagedObject>>>> related_;

  struct Observer {
    uint64_t id;
    std::string key;
    std::shared_ptr<std::function<void(const std::string&)>> callback;
  };
  mutable RecordMutex observersMu_;
  std::vector<Observer> observers_;
  uint64_t nextObserverId_ = 1;
};

}  // namespace zarvo::store
