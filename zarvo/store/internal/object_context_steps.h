// Internal: what the files of ObjectContext share — the per-entity state with its prepared SQL, and
// the SQL helpers. Not part of the public interface.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "zarvo/store/internal/sqlite.h"
#include "zarvo/store/model.h"
#include "zarvo/store/object_context.h"

namespace zarvo::store {

struct ObjectContext::EntityState {
  const EntityDescription* entity = nullptr;
  std::unordered_map<int64_t, std::shared_ptr<ManagedObject>> registered;
  std::string columns;  // z_pk, z_opt, then every attribute
  std::string insertSql, updateSql, deleteSql, selectByRowSql;
};

namespace detail {

// `name` as an SQL identifier. Names come from the model, never from user text.
std::string quoted(std::string_view name);
// The table holding the links of `owner`'s relationship `rel`.
std::string joinTable(const EntityDescription& owner, const RelationshipDescription& rel);
// Binds `v` as parameter `index` (1-based): booleans as 0/1, dates as microseconds since the epoch.
void bindValue(sqlite::Statement& stmt, int index, const Value& v);

}  // namespace detail

}  // namespace zarvo::store
