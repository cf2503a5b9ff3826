// ObjectContext::save: every unsaved change in one transaction, then the objects agree with the file.
#include <algorithm>
#include <optional>
#include <unordered_map>

#include "zarvo/store/internal/object_context_steps.h"
#include "zarvo/store/object_context.h"

namespace zarvo::store {

using detail::bindValue;
using detail::joinTable;

// What one save writes, taken before anything is written so that a failure leaves every object as
// it was; and the rows the inserts got, known only inside the transaction.
struct ObjectContext::SaveBatch {
  std::vector<std::shared_ptr<ManagedObject>> inserts;  // in insertion order
  std::vector<std::shared_ptr<ManagedObject>> updates;
  std::vector<std::shared_ptr<ManagedObject>> deletes;
  std::unordered_map<ManagedObject*, int64_t> newRows;

  // The row of `o`: the one just inserted, else the one it was read from.
  int64_t rowOf(ManagedObject* o) const {
    if (auto it = newRows.find(o); it != newRows.end()) return it->second;
    std::lock_guard objectLock(o->mu_);
    return o->rowID_.value_or(0);
  }
};

namespace {

StoreError conflict(const ManagedObject& o, int64_t row) {
  return StoreError(StoreError::Code::conflict,
                    o.entity().name + " row " + std::to_string(row) +
                        " was changed or removed by another context since it was read; nothing was saved");
}

}  // namespace

// One save is a prepared save committed at once: the same transaction, the same rollback on failure.
void ObjectContext::save() { prepareSave()->commit(); }

struct ObjectContext::PreparedSave::State {
  ObjectContext* context = nullptr;
  std::unique_lock<std::recursive_mutex> lock;
  std::optional<SaveBatch> batch;  // none: nothing to save
  bool ended = false;
};

ObjectContext::PreparedSave::PreparedSave(std::unique_ptr<State> state) : state_(std::move(state)) {}

ObjectContext::PreparedSave::~PreparedSave() {
  if (!state_->ended && state_->batch) {
    state_->context->database().rollbackAfterFailure();
  }
}

void ObjectContext::PreparedSave::commit() {
  if (state_->ended) return;
  state_->ended = true;
  if (!state_->batch) return;
  auto& db = state_->context->database();
  try {
    db.exec("COMMIT");
  } catch (...) {
    db.rollbackAfterFailure();
    throw;
  }
  state_->context->adoptSavedState(*state_->batch);
}

std::unique_ptr<ObjectContext::PreparedSave> ObjectContext::prepareSave() {
  processPendingChanges();
  auto state = std::make_unique<PreparedSave::State>();
  state->context = this;
  state->lock = std::unique_lock<std::recursive_mutex>(mu_);
  if (insertedHold_.empty() && updated_.empty() && deleted_.empty()) {
    return std::unique_ptr<PreparedSave>(new PreparedSave(std::move(state)));
  }
  SaveBatch batch = snapshotChanges();
  auto& db = database();
  db.exec("BEGIN IMMEDIATE");
  try {
    insertRows(batch);
    updateRows(batch);
    deleteRows(batch);
    writeOwnedRelationships(batch);
  } catch (...) {
    db.rollbackAfterFailure();
    throw;
  }
  state->batch = std::move(batch);
  return std::unique_ptr<PreparedSave>(new PreparedSave(std::move(state)));
}

ObjectContext::SaveBatch ObjectContext::snapshotChanges() {
  SaveBatch batch;
  for (auto& [p, o] : insertedHold_) batch.inserts.push_back(o);
  std::sort(batch.inserts.begin(), batch.inserts.end(), [&](const auto& a, const auto& b) {
    return insertionOrder_.at(a.get()) < insertionOrder_.at(b.get());
  });
  for (auto* p : updated_) batch.updates.push_back(p->shared_from_this());
  for (auto* p : deleted_) batch.deletes.push_back(p->shared_from_this());
  return batch;
}

void ObjectContext::insertRows(SaveBatch& batch) {
  auto& db = database();
  for (auto& o : batch.inserts) {
    auto& stmt = db.cached(entities_[entityIndex(o->entity())].insertSql);
    {
      std::lock_guard objectLock(o->mu_);
      for (size_t i = 0; i < o->values_.size(); ++i) bindValue(stmt, static_cast<int>(i + 1), o->values_[i]);
    }
    stmt.run();
    batch.newRows.emplace(o.get(), db.lastInsertRowid());
  }
}

// Each update names the row version it was read at: a row another context changed or removed since
// matches nothing, and the save fails as a conflict.
void ObjectContext::updateRows(const SaveBatch& batch) {
  auto& db = database();
  for (auto& o : batch.updates) {
    auto& stmt = db.cached(entities_[entityIndex(o->entity())].updateSql);
    int64_t row, version;
    {
      std::lock_guard objectLock(o->mu_);
      const int n = static_cast<int>(o->values_.size());
      for (int i = 0; i < n; ++i) bindValue(stmt, i + 1, o->values_[static_cast<size_t>(i)]);
      row = *o->rowID_;
      version = o->rowVersion_;
      stmt.bind(n + 1, row);
      stmt.bind(n + 2, version);
    }
    stmt.run();
    if (db.changes() != 1) throw conflict(*o, row);
  }
}

// Removes each row with its links on both sides of its relationships; a row changed since it was
// read is a conflict, as for updates.
void ObjectContext::deleteRows(const SaveBatch& batch) {
  auto& db = database();
  for (auto& o : batch.deletes) {
    const EntityDescription& e = o->entity();
    int64_t row, version;
    {
      std::lock_guard objectLock(o->mu_);
      row = *o->rowID_;
      version = o->rowVersion_;
    }
    for (const auto& rel : e.relationships) {
      const EntityDescription* dest = model_.entity(rel.destinationEntity);
      std::string sql;
      if (rel.owner) {
        sql = "DELETE FROM " + joinTable(e, rel) + " WHERE owner = ?";
      } else if (auto inv = dest ? dest->relationshipIndex(rel.inverseName) : std::nullopt) {
        sql = "DELETE FROM " + joinTable(*dest, dest->relationships[*inv]) + " WHERE target = ?";
      } else {
        continue;
      }
      auto& stmt = db.cached(sql);
      stmt.bind(1, row);
      stmt.run();
    }
    auto& stmt = db.cached(entities_[entityIndex(e)].deleteSql);
    stmt.bind(1, row);
    stmt.bind(2, version);
    stmt.run();
    if (db.changes() != 1) throw conflict(*o, row);
  }
}

// The owner sides of changed relationships of inserted and updated objects are rewritten whole.
void ObjectContext::writeOwnedRelationships(const SaveBatch& batch) {
  auto& db = database();
  std::vector<std::shared_ptr<ManagedObject>> touched = batch.inserts;
  touched.insert(touched.end(), batch.updates.begin(), batch.updates.end());
  for (auto& o : touched) {
    const EntityDescription& e = o->entity();
    for (size_t r = 0; r < e.relationships.size(); ++r) {
      const auto& rel = e.relationships[r];
      if (!rel.owner) continue;
      std::vector<std::shared_ptr<ManagedObject>> targets;
      {
        std::lock_guard objectLock(o->mu_);
        const auto* changes = o->changes_.get();
        if (!changes || r >= changes->savedRelated.size() || !changes->savedRelated[r] || !o->relatedLoaded(r)) continue;
        targets = *o->related_[r];
      }
      const int64_t owner = batch.rowOf(o.get());
      auto& clear = db.cached("DELETE FROM " + joinTable(e, rel) + " WHERE owner = ?");
      clear.bind(1, owner);
      clear.run();
      auto& add = db.cached("INSERT INTO " + joinTable(e, rel) + " (owner, target) VALUES (?, ?)");
      for (auto& t : targets) {
        add.reset();
        add.bind(1, owner);
        add.bind(2, batch.rowOf(t.get()));
        add.run();
      }
    }
  }
}

// Committed: inserted objects get their rows and are registered, updated ones their new row version,
// deleted ones are forgotten; nothing is pending any more.
void ObjectContext::adoptSavedState(const SaveBatch& batch) {
  for (auto& o : batch.inserts) {
    const int64_t row = batch.newRows.at(o.get());
    {
      std::lock_guard objectLock(o->mu_);
      o->rowID_ = row;
      o->rowVersion_ = 1;
      o->forgetSavedState();
    }
    entities_[entityIndex(o->entity())].registered.emplace(row, o);
  }
  for (auto& o : batch.updates) {
    std::lock_guard objectLock(o->mu_);
    o->rowVersion_ += 1;
    o->forgetSavedState();
  }
  for (auto& o : batch.deletes) {
    entities_[entityIndex(o->entity())].registered.erase(*o->rowID());
    forget(o);
  }
  insertedHold_.clear();
  insertionOrder_.clear();
  updated_.clear();
  deleted_.clear();
}

}  // namespace zarvo::store
