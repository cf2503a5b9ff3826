#include "zarvo/store/model.h"

#include <stdexcept>

namespace zarvo::store {

int compareValues(const Value& a, const Value& b) {
  if (a.index() != b.index()) return a.index() < b.index() ? -1 : 1;
  return std::visit(
      [&](const auto& x) -> int {
        using T = std::decay_t<decltype(x)>;
        if constexpr (std::is_same_v<T, std::monostate>) {
          return 0;
        } else {
          const T& y = std::get<T>(b);
          return x < y ? -1 : (y < x ? 1 : 0);
        }
      },
      a);
}

std::optional<size_t> EntityDescription::attributeIndex(std::string_view key) const {
  for (size_t i = 0; i < attributes.size(); ++i) {
    if (attributes[i].name == key) return i;
  }
  return std::nullopt;
}

std::optional<size_t> EntityDescription::relationshipIndex(std::string_view key) const {
  for (size_t i = 0; i < relationships.size(); ++i) {
    if (relationships[i].name == key) return i;
  }
  return std::nullopt;
}

ManagedObjectModel::ManagedObjectModel(int32_t version, std::vector<EntityDescription> entities,
                                       int32_t microsecondDatesSince)
    : version_(version), entities_(std::move(entities)), microsecondDatesSince_(microsecondDatesSince) {}

const EntityDescription* ManagedObjectModel::entity(std::string_view name) const {
  for (const auto& e : entities_) {
    if (e.name == name) return &e;
  }
  return nullptr;
}

}  // namespace zarvo::store
