#include "zarvo/store/managed_object.h"

#include <algorithm>

#include "zarvo/store/object_context.h"
#include "zarvo/store/store_error.h"

namespace zarvo::store {

namespace {

bool sameValue(const Value& a, const Value& b) { return a.index() == b.index() && compareValues(a, b) == 0; }

}  // namespace

ManagedObject::ManagedObject(const EntityDescription& entity) : entity_(&entity) {
  values_.reserve(entity.attributes.size());
  for (const auto& attribute : entity.attributes) values_.push_back(attribute.defaultValue);
}

ManagedObject::~ManagedObject() = default;

std::shared_ptr<ObjectContext> ManagedObject::managedObjectContext() const {
  std::lock_guard lock(mu_);
  return context_.lock();
}

bool ManagedObject::isInserted() const {
  auto ctx = managedObjectContext();
  if (!ctx) return false;
  std::lock_guard lock(ctx->mu_);
  return ctx->insertedHold_.count(const_cast<ManagedObject*>(this)) > 0;
}

bool ManagedObject::isUpdated() const {
  auto ctx = managedObjectContext();
  if (!ctx) return false;
  std::lock_guard lock(ctx->mu_);
  return ctx->updated_.count(const_cast<ManagedObject*>(this)) > 0;
}

bool ManagedObject::isDeleted() const {
  auto ctx = managedObjectContext();
  if (!ctx) return false;
  std::lock_guard lock(ctx->mu_);
  return ctx->deleted_.count(const_cast<ManagedObject*>(this)) > 0;
}

std::optional<int64_t> ManagedObject::rowID() const {
  std::lock_guard lock(mu_);
  return rowID_;
}

size_t ManagedObject::attributeIndexOrThrow(std::string_view key) const {
  if (auto i = entity_->attributeIndex(key)) return *i;
  throw StoreError(StoreError::Code::invalidRequest,
                   "entity " + entity_->name + " has no attribute '" + std::string(key) + "'");
}

size_t ManagedObject::relationshipIndexOrThrow(std::string_view key) const {
  if (auto i = entity_->relationshipIndex(key)) return *i;
  throw StoreError(StoreError::Code::invalidRequest,
                   "entity " + entity_->name + " has no relationship '" + std::string(key) + "'");
}

Value ManagedObject::value(std::string_view key) const {
  const size_t i = attributeIndexOrThrow(key);
  std::lock_guard lock(mu_);
  return values_[i];
}

void ManagedObject::setValue(std::string_view key, Value value) {
  setValueAt(attributeIndexOrThrow(key), std::move(value), true);
}

void ManagedObject::setPrimitiveValue(std::string_view key, Value value) {
  setValueAt(attributeIndexOrThrow(key), std::move(value), false);
}

void ManagedObject::setValueAt(size_t index, Value value, bool notify) {
  std::shared_ptr<ObjectContext> ctx;
  {
    std::lock_guard lock(mu_);
    if (sameValue(values_[index], value)) return;
    Changes& changed = changes();
    if (changed.saved.empty()) changed.saved.resize(values_.size());
    if (changed.event.empty()) changed.event.resize(values_.size());
    if (!changed.saved[index]) changed.saved[index] = values_[index];
    if (!changed.event[index]) changed.event[index] = values_[index];
    values_[index] = std::move(value);
    ctx = context_.lock();
  }
  if (ctx) ctx->objectDidChange(shared_from_this());
  if (notify) didChangeValue(entity_->attributes[index].name);
}

std::map<std::string, Value> ManagedObject::changedValues() const {
  std::lock_guard lock(mu_);
  std::map<std::string, Value> out;
  if (!changes_) return out;
  const auto& saved = changes_->saved;
  for (size_t i = 0; i < values_.size(); ++i) {
    if (i < saved.size() && saved[i] && !sameValue(*saved[i], values_[i])) out.emplace(entity_->attributes[i].name, values_[i]);
  }
  return out;
}

Value ManagedObject::committedValue(std::string_view key) const {
  const size_t i = attributeIndexOrThrow(key);
  std::lock_guard lock(mu_);
  if (changes_ && i < changes_->saved.size() && changes_->saved[i]) return *changes_->saved[i];
  return values_[i];
}

std::vector<std::shared_ptr<ManagedObject>> ManagedObject::committedRelatedObjects(std::string_view key) const {
  const size_t i = relationshipIndexOrThrow(key);
  auto current = relatedObjects(key);  // loads it
  std::lock_guard lock(mu_);
  if (changes_ && i < changes_->savedRelated.size() && changes_->savedRelated[i]) return *changes_->savedRelated[i];
  return current;
}

std::map<std::string, Value> ManagedObject::changedValuesForCurrentEvent() const {
  std::lock_guard lock(mu_);
  return changes_ ? changes_->announced : std::map<std::string, Value>{};
}

std::vector<std::shared_ptr<ManagedObject>> ManagedObject::relatedObjects(std::string_view key) const {
  const size_t i = relationshipIndexOrThrow(key);
  std::shared_ptr<ObjectContext> ctx;
  {
    std::lock_guard lock(mu_);
    if (relatedLoaded(i)) return *related_[i];
    ctx = context_.lock();
  }
  if (!ctx) return {};
  ctx->loadRelationship(std::const_pointer_cast<ManagedObject>(shared_from_this()), i);
  std::lock_guard lock(mu_);
  return relatedLoaded(i) ? *related_[i] : std::vector<std::shared_ptr<ManagedObject>>{};
}

void ManagedObject::setRelatedLocked(size_t index, std::vector<std::shared_ptr<ManagedObject>> objects) {
  auto& savedRelated = changes().savedRelated;
  if (savedRelated.empty()) savedRelated.resize(entity_->relationships.size());
  auto& slot = relatedSlot(index);
  if (!savedRelated[index]) savedRelated[index] = slot.value_or(std::vector<std::shared_ptr<ManagedObject>>{});
  slot = std::move(objects);
}

// One side of an inverse pair: adds or removes `target` without touching the inverse.
void ManagedObject::changeRelationship(size_t index, const std::shared_ptr<ManagedObject>& target, bool add) {
  auto self = shared_from_this();
  auto ctx = managedObjectContext();
  if (ctx) ctx->loadRelationship(self, index);
  {
    std::lock_guard lock(mu_);
    auto current = relatedSlot(index).value_or(std::vector<std::shared_ptr<ManagedObject>>{});
    auto it = std::find(current.begin(), current.end(), target);
    if (add == (it != current.end())) return;
    if (add) {
      current.push_back(target);
    } else {
      current.erase(it);
    }
    setRelatedLocked(index, std::move(current));
  }
  if (ctx) ctx->objectDidChange(self);
}

void ManagedObject::setRelatedObjects(std::string_view key, std::vector<std::shared_ptr<ManagedObject>> objects) {
  const size_t index = relationshipIndexOrThrow(key);
  const RelationshipDescription& rel = entity_->relationships[index];
  auto ctx = managedObjectContext();
  if (!ctx) {
    throw StoreError(StoreError::Code::invalidRequest, "relationships need objects registered in a context");
  }
  // Drop duplicates, keeping the first occurrence.
  std::vector<std::shared_ptr<ManagedObject>> unique;
  for (auto& o : objects) {
    if (!o || o->entity_->name != rel.destinationEntity || o->managedObjectContext() != ctx) {
      throw StoreError(StoreError::Code::invalidRequest,
                       "relationship " + rel.name + " takes " + rel.destinationEntity + " objects of the same context");
    }
    if (std::find(unique.begin(), unique.end(), o) == unique.end()) unique.push_back(o);
  }
  const auto old = relatedObjects(key);
  std::optional<size_t> inverseIndex;
  if (const EntityDescription* dest = ctx->model().entity(rel.destinationEntity)) {
    inverseIndex = dest->relationshipIndex(rel.inverseName);
  }
  auto self = shared_from_this();
  {
    std::lock_guard lock(mu_);
    setRelatedLocked(index, unique);
  }
  if (inverseIndex) {
    for (const auto& o : old) {
      if (std::find(unique.begin(), unique.end(), o) == unique.end()) o->changeRelationship(*inverseIndex, self, false);
    }
    for (const auto& o : unique) {
      if (std::find(old.begin(), old.end(), o) == old.end()) o->changeRelationship(*inverseIndex, self, true);
    }
  }
  ctx->objectDidChange(self);
  didChangeValue(rel.name);
}

void ManagedObject::addRelatedObject(std::string_view key, const std::shared_ptr<ManagedObject>& object) {
  auto current = relatedObjects(key);
  if (std::find(current.begin(), current.end(), object) != current.end()) return;
  current.push_back(object);
  setRelatedObjects(key, std::move(current));
}

void ManagedObject::removeRelatedObject(std::string_view key, const std::shared_ptr<ManagedObject>& object) {
  auto current = relatedObjects(key);
  auto it = std::find(current.begin(), current.end(), object);
  if (it == current.end()) return;
  current.erase(it);
  setRelatedObjects(key, std::move(current));
}

ObservationToken ManagedObject::observe(std::string key, std::function<void(const std::string&)> callback) {
  uint64_t id;
  {
    std::lock_guard lock(observersMu_);
    id = nextObserverId_++;
    observers_.push_back({id, std::move(key), std::make_shared<std::function<void(const std::string&)>>(std::move(callback))});
  }
  std::weak_ptr<ManagedObject> weak = weak_from_this();
  return ObservationToken([weak, id] {
    if (auto self = weak.lock()) {
      std::lock_guard lock(self->observersMu_);
      auto& list = self->observers_;
      list.erase(std::remove_if(list.begin(), list.end(), [id](const Observer& o) { return o.id == id; }), list.end());
    }
  });
}

std::optional<std::vector<std::shared_ptr<ManagedObject>>>& ManagedObject::relatedSlot(size_t index) {
  if (related_.empty()) related_.resize(entity_->relationships.size());
  return related_[index];
}

std::vector<std::string> ManagedObject::keyPathsAffected(const std::string&) const { return {}; }

void ManagedObject::didChangeValue(const std::string& key) {
  std::vector<std::string> keys{key};
  for (auto& k : keyPathsAffected(key)) keys.push_back(std::move(k));
  // Callbacks run without the lock so that they may read the object or drop their observation.
  std::vector<std::pair<std::string, std::shared_ptr<std::function<void(const std::string&)>>>> calls;
  {
    std::lock_guard lock(observersMu_);
    for (const auto& k : keys) {
      for (const auto& o : observers_) {
        if (o.key == k) calls.emplace_back(k, o.callback);
      }
    }
  }
  for (auto& [k, callback] : calls) (*callback)(k);
}

}  // namespace zarvo::store
