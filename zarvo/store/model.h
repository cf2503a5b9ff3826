// The object model: entities, their attributes and relationships, as the store persists them.
//
// A ManagedObjectModel is built once by the record layer and is immutable afterwards; contexts keep
// a reference to it, so it must outlive every context opened on it (a function-local static does).
// Table and column names come from here only, never from caller text.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "zarvo/platform/clock.h"

namespace zarvo::store {

class ManagedObject;
struct EntityDescription;

// An attribute value. std::monostate is "absent" (nil).
using Value = std::variant<std::monostate, bool, int64_t, double, std::string, Date>;

inline bool isNull(const Value& v) { return std::holds_alternative<std::monostate>(v); }

// Total order used by sort descriptors: absent first, then by type, then by value.
int compareValues(const Value& a, const Value& b);

enum class AttributeType { boolean, integer16, integer64, floatingPoint, string, date };

struct AttributeDescription {
  std::string name;
  AttributeType type = AttributeType::string;
  // Value of a new object. For a non-optional attribute it must not be absent.
  Value defaultValue{};
  bool optional = true;
  // Creates a database index on the column (look-up keys).
  bool indexed = false;
};

// A to-many relationship. Two descriptions name each other as inverses; exactly one of the pair is
// the owner, whose side is written to the join table (the other side is kept in step in memory).
struct RelationshipDescription {
  std::string name;
  std::string destinationEntity;
  std::string inverseName;
  bool owner = false;
};

struct EntityDescription {
  std::string name;
  std::vector<AttributeDescription> attributes;
  std::vector<RelationshipDescription> relationships;
  // Makes an empty object of the entity's record class (not inserted anywhere).
  std::function<std::shared_ptr<ManagedObject>(const EntityDescription&)> make;

  // Index of attribute `key`, or nothing.
  std::optional<size_t> attributeIndex(std::string_view key) const;
  std::optional<size_t> relationshipIndex(std::string_view key) const;
};

class ManagedObjectModel {
 public:
  // `version` is written to the database file; a file with a larger one is refused, a file with a
  // smaller one is upgraded when opened for writing (its tables must be those of this model).
  //
  // Dates are stored as microseconds since 1970-01-01 UTC. Files of a version below
  // `microsecondDatesSince` hold them in nanoseconds, as this store wrote them when a date reached
  // only to 2262; the upgrade converts them (rounding down).
  ManagedObjectModel(int32_t version, std::vector<EntityDescription> entities, int32_t microsecondDatesSince = 1);

  int32_t version() const { return version_; }
  int32_t microsecondDatesSince() const { return microsecondDatesSince_; }
  const std::vector<EntityDescription>& entities() const { return entities_; }
  // Nothing when the model has no entity of that name.
  const EntityDescription* entity(std::string_view name) const;

 private:
  int32_t version_;
  std::vector<EntityDescription> entities_;
  int32_t microsecondDatesSince_;
};

}  // namespace zarvo::store
