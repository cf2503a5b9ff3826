// ObjectContext::fetch: the rows the database answers, corrected by this context's unsaved changes.
#include <algorithm>
#include <climits>
#include <unordered_set>

#include "zarvo/store/internal/object_context_steps.h"
#include "zarvo/store/object_context.h"

namespace zarvo::store {

using detail::bindValue;
using detail::quoted;

ObjectList ObjectContext::fetch(const FetchRequest& request) {
  std::lock_guard lock(mu_);
  const EntityDescription& entity = checkedEntity(request);
  const bool pending = hasPendingChanges(entity);
  ObjectList results = fetchRows(entity, request, pending);
  if (pending) {
    mergePendingChanges(entity, request, results);
    sortByCurrentValues(entity, request, results);
  }
  if (request.fetchLimit && results.size() > *request.fetchLimit) results.resize(*request.fetchLimit);
  return results;
}

// The request's entity, once every key its predicate and sort name is one of its attributes.
const EntityDescription& ObjectContext::checkedEntity(const FetchRequest& request) const {
  const EntityDescription* entity = model_.entity(request.entityName);
  if (!entity) throw StoreError(StoreError::Code::invalidRequest, "unknown entity '" + request.entityName + "'");
  std::vector<std::string> keys;
  if (request.predicate) request.predicate->collectKeys(keys);
  if (request.textFilter) keys.push_back(request.textFilter->key);
  for (const auto& s : request.sortDescriptors) keys.push_back(s.key);
  for (const auto& k : keys) {
    if (!entity->attributeIndex(k)) {
      throw StoreError(StoreError::Code::invalidRequest, "entity " + entity->name + " has no attribute '" + k + "'");
    }
  }
  return *entity;
}

// Whether objects of `entity` were inserted, changed or deleted since the last save.
bool ObjectContext::hasPendingChanges(const EntityDescription& entity) const {
  auto ofEntity = [&](ManagedObject* o) { return &o->entity() == &entity; };
  return std::any_of(insertedHold_.begin(), insertedHold_.end(), [&](const auto& kv) { return ofEntity(kv.first); }) ||
         std::any_of(updated_.begin(), updated_.end(), ofEntity) ||
         std::any_of(deleted_.begin(), deleted_.end(), ofEntity);
}

// Whether `object`'s current values satisfy the request's predicate.
bool ObjectContext::matches(const FetchRequest& request, const EntityDescription& entity, ManagedObject& object) {
  if (!request.predicate && !request.textFilter) return true;
  std::lock_guard objectLock(object.mu_);
  if (request.textFilter) {
    const auto* text = std::get_if<std::string>(&object.values_[*entity.attributeIndex(request.textFilter->key)]);
    if (!text || !request.textFilter->keep(*text)) return false;
  }
  return !request.predicate || request.predicate->evaluate([&](const std::string& key) -> const Value& {
    return object.values_[*entity.attributeIndex(key)];
  });
}

// Whether `expected` records are few beside the rows stored for the entity: under a quarter of them.
// Counting the rows walks the table's pages without decoding a record.
bool ObjectContext::fewWanted(size_t entity, size_t expected) {
  auto& count = database().cached("SELECT count(*) FROM " + quoted(entities_[entity].entity->name));
  const bool few = count.step() && expected < static_cast<size_t>(count.integer(0)) / 4;
  count.reset();
  return few;
}

// The saved rows that answer the request, in its order, as this context's objects: deleted ones left
// out, changed ones only when their current values still match. With pending changes of the entity
// the database's first rows may not be the answer, and a text filter passes over rows after the
// database counted them, so the limit is left to the caller then.
ObjectList ObjectContext::fetchRows(const EntityDescription& entity, const FetchRequest& request, bool pending) {
  const size_t ei = entityIndex(entity);
  std::string where;
  std::vector<Value> parameters;
  if (request.predicate) request.predicate->appendSql(where, parameters);
  std::string sql = "SELECT " + entities_[ei].columns + " FROM " + quoted(entity.name);
  if (request.predicate) sql += " WHERE " + where;
  sql += " ORDER BY ";
  for (const auto& s : request.sortDescriptors) sql += quoted(s.key) + (s.ascending ? " ASC, " : " DESC, ");
  sql += "z_pk";
  if (request.fetchLimit && !pending && !request.textFilter) sql += " LIMIT " + std::to_string(*request.fetchLimit);

  ObjectList results;
  // The text filter's column (after z_pk and z_opt).
  const int filterColumn =
      request.textFilter ? static_cast<int>(*entity.attributeIndex(request.textFilter->key)) + 2 : -1;
  auto storedTextKept = [&](sqlite::Statement& row, int column) {
    sqlite3_value* value = row.columnValue(column);
    if (sqlite3_value_type(value) != SQLITE_TEXT) return false;
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
    return request.textFilter->keep(std::string_view(text, static_cast<size_t>(sqlite3_value_bytes(value))));
  };
  if (request.textFilter && request.textFilter->expected && fewWanted(ei, *request.textFilter->expected)) {
    // Few rows are wanted among many: their row ids are found first, then each wanted row is read
    // on its own, so the others' values are never decoded.
    const auto& filter = *request.textFilter;
    std::vector<int64_t> wanted;
    if (filter.texts && request.sortDescriptors.empty() &&
        entity.attributes[*entity.attributeIndex(filter.key)].indexed) {
      // Each text through the key's index, so rows of texts not asked for are never visited; sorted
      // row ids are the request's order when it names no sort.
      std::string lookSql = "SELECT z_pk FROM " + quoted(entity.name) + " WHERE " + quoted(filter.key) + " = ?";
      if (request.predicate) lookSql += " AND (" + where + ")";
      auto& look = database().cached(lookSql);
      try {
        for (const std::string_view text : *filter.texts) {
          look.bind(1, text);
          for (size_t i = 0; i < parameters.size(); ++i) bindValue(look, static_cast<int>(i + 2), parameters[i]);
          while (look.step()) wanted.push_back(look.integer(0));
          look.reset();
        }
      } catch (...) {
        look.reset();
        throw;
      }
      std::sort(wanted.begin(), wanted.end());
      wanted.erase(std::unique(wanted.begin(), wanted.end()), wanted.end());
    } else {
      // The rows are read for their text alone, in the request's order.
      auto& scan = database().cached("SELECT z_pk, " + quoted(filter.key) + sql.substr(sql.find(" FROM ")));
      for (size_t i = 0; i < parameters.size(); ++i) bindValue(scan, static_cast<int>(i + 1), parameters[i]);
      try {
        while (scan.step()) {
          if (storedTextKept(scan, 1)) wanted.push_back(scan.integer(0));
        }
      } catch (...) {
        scan.reset();
        throw;
      }
      scan.reset();
    }
    for (const int64_t rowID : wanted) {
      auto object = objectWithRowID(ei, rowID);
      if (!object || deleted_.count(object.get())) continue;
      if (updated_.count(object.get()) && !matches(request, entity, *object)) continue;
      results.push_back(std::move(object));
    }
    return results;
  }
  auto& stmt = database().cached(sql);
  for (size_t i = 0; i < parameters.size(); ++i) bindValue(stmt, static_cast<int>(i + 1), parameters[i]);
  try {
    while (stmt.step()) {
      if (filterColumn >= 0) {
        // The stored text is tested before an object is made for the row. An object changed since
        // answers below with its current text, or, changed into the filter, joins with the other
        // pending changes in its row's place.
        if (!storedTextKept(stmt, filterColumn)) continue;
      }
      auto object = materialize(ei, stmt.integer(0), stmt);
      if (deleted_.count(object.get())) continue;
      if (updated_.count(object.get()) && !matches(request, entity, *object)) continue;
      results.push_back(std::move(object));
    }
  } catch (...) {
    stmt.reset();
    throw;
  }
  stmt.reset();
  return results;
}

// Adds the changed objects that match now but did not in the database, then the unsaved inserted
// ones that match, in insertion order.
void ObjectContext::mergePendingChanges(const EntityDescription& entity, const FetchRequest& request,
                                        ObjectList& results) {
  auto ofEntity = [&](ManagedObject* o) { return &o->entity() == &entity; };
  std::unordered_set<ManagedObject*> seen;
  for (auto& o : results) seen.insert(o.get());
  auto& registered = entities_[entityIndex(entity)].registered;
  for (auto* p : updated_) {
    if (ofEntity(p) && !seen.count(p)) {
      auto object = registered.at(*p->rowID());
      if (matches(request, entity, *object)) results.push_back(object);
    }
  }
  std::vector<std::shared_ptr<ManagedObject>> fresh;
  for (auto& [p, o] : insertedHold_) {
    if (ofEntity(p) && matches(request, entity, *o)) fresh.push_back(o);
  }
  std::sort(fresh.begin(), fresh.end(), [&](const auto& a, const auto& b) {
    return insertionOrder_.at(a.get()) < insertionOrder_.at(b.get());
  });
  results.insert(results.end(), fresh.begin(), fresh.end());
}

// Sorts by the objects' current values; ties keep row order, unsaved objects after saved ones.
void ObjectContext::sortByCurrentValues(const EntityDescription& entity, const FetchRequest& request,
                                        ObjectList& results) {
  struct Keyed {
    std::vector<Value> keys;
    int64_t row;
    uint64_t insertion;
    std::shared_ptr<ManagedObject> object;
  };
  std::vector<Keyed> keyed;
  keyed.reserve(results.size());
  for (auto& o : results) {
    Keyed k{{}, INT64_MAX, 0, o};
    std::lock_guard objectLock(o->mu_);
    for (const auto& s : request.sortDescriptors) k.keys.push_back(o->values_[*entity.attributeIndex(s.key)]);
    if (o->rowID_) k.row = *o->rowID_;
    if (auto it = insertionOrder_.find(o.get()); it != insertionOrder_.end()) k.insertion = it->second;
    keyed.push_back(std::move(k));
  }
  std::sort(keyed.begin(), keyed.end(), [&](const Keyed& a, const Keyed& b) {
    for (size_t i = 0; i < request.sortDescriptors.size(); ++i) {
      const int c = compareValues(a.keys[i], b.keys[i]);
      if (c != 0) return request.sortDescriptors[i].ascending ? c < 0 : c > 0;
    }
    if (a.row != b.row) return a.row < b.row;
    return a.insertion < b.insertion;
  });
  results.clear();
  for (auto& k : keyed) results.push_back(std::move(k.object));
}

}  // namespace zarvo::store
