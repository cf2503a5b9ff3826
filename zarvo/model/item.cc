#include "zarvo/model/item.h"

#include <errno.h>

#include "zarvo/model/list.h"
#include "zarvo/model/tag.h"
#include "zarvo/model/task.h"

namespace zarvo {

namespace detail {

const std::string& logSubsystem() {
  // Linux programs have no bundle identifier; the program's name plays its part.
  static const std::string subsystem = program_invocation_short_name ? program_invocation_short_name : "zarvo";
  return subsystem;
}

std::optional<std::string> optionalString(const store::Value& v) {
  if (const auto* s = std::get_if<std::string>(&v)) return *s;
  return std::nullopt;
}

store::Value toValue(const std::optional<std::string>& s) {
  if (s) return *s;
  return std::monostate{};
}

}  // namespace detail

namespace {

using store::AttributeType;
using store::EntityDescription;
using store::Value;

template <class T>
std::shared_ptr<store::ManagedObject> make(const EntityDescription& e) {
  return std::make_shared<T>(e);
}

}  // namespace

const store::ManagedObjectModel& managedObjectModel() {
  // Item is abstract: its two attributes are repeated in the tables of Task and List. Version 2 keeps
  // dates in microseconds (version 1 in nanoseconds, which end in 2262).
  static const store::ManagedObjectModel model(
      2,
      {
          EntityDescription{"Task",
                            {
                                {"timestamp", AttributeType::date},
                                {"sourceId", AttributeType::string},
                                {"reminderId", AttributeType::string, Value{}, true, /*indexed=*/true},
                                {"completed", AttributeType::boolean, false, false},
                                {"flagged", AttributeType::boolean, false, false},
                                {"important", AttributeType::boolean, false, false},
                                {"hexColor", AttributeType::string},
                                {"order", AttributeType::integer16, int64_t{0}, false},
                            },
                            {{"tags", "Tag", "tasks", /*owner=*/true}},
                            make<Task>},
          EntityDescription{"List",
                            {
                                {"timestamp", AttributeType::date},
                                {"sourceId", AttributeType::string},
                                {"calendarId", AttributeType::string, Value{}, true, /*indexed=*/true},
                                // -1: the list has no place in the order yet.
                                {"order", AttributeType::integer16, int64_t{-1}, false},
                                {"visible", AttributeType::boolean, true, false},
                                {"collapsed", AttributeType::boolean, false, false},
                                {"filteredCount", AttributeType::integer64},
                            },
                            {},
                            make<List>},
          EntityDescription{"Tag",
                            {
                                {"timestamp", AttributeType::date},
                                {"title", AttributeType::string},
                            },
                            {{"tasks", "Task", "tags", /*owner=*/false}},
                            make<Tag>},
      },
      /*microsecondDatesSince=*/2);
  return model;
}

std::shared_ptr<store::ObjectContext> openObjectContext(const std::string& path, bool readOnly) {
  return store::ObjectContext::open(path, managedObjectModel(), readOnly);
}

std::optional<Date> Item::timestamp() const {
  const Value v = value("timestamp");
  if (const auto* d = std::get_if<Date>(&v)) return *d;
  return std::nullopt;
}

void Item::setTimestamp(std::optional<Date> timestamp) {
  setValue("timestamp", timestamp ? Value(*timestamp) : Value());
}

std::optional<std::string> Item::sourceId() const { return detail::optionalString(value("sourceId")); }
void Item::setSourceId(std::optional<std::string> sourceId) { setValue("sourceId", detail::toValue(sourceId)); }

void Item::awakeFromInsert() { setPrimitiveValue("timestamp", platform::Clock::currentNow()); }

}  // namespace zarvo
