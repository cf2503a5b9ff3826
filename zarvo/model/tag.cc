#include "zarvo/model/tag.h"

#include "zarvo/model/task.h"

namespace zarvo {

using store::Value;

const store::EntityDescription& Tag::entityDescription() { return *managedObjectModel().entity("Tag"); }

std::optional<Date> Tag::timestamp() const {
  const Value v = value("timestamp");
  if (const auto* d = std::get_if<Date>(&v)) return *d;
  return std::nullopt;
}

void Tag::setTimestamp(std::optional<Date> timestamp) {
  setValue("timestamp", timestamp ? Value(*timestamp) : Value());
}

std::optional<std::string> Tag::title() const { return detail::optionalString(value("title")); }
void Tag::setTitle(std::optional<std::string> title) { setValue("title", detail::toValue(title)); }

std::vector<std::shared_ptr<Task>> Tag::tasks() const {
  std::vector<std::shared_ptr<Task>> out;
  for (auto& o : relatedObjects("tasks")) out.push_back(std::static_pointer_cast<Task>(o));
  return out;
}

void Tag::setTasks(const std::vector<std::shared_ptr<Task>>& tasks) {
  setRelatedObjects("tasks", std::vector<std::shared_ptr<store::ManagedObject>>(tasks.begin(), tasks.end()));
}

void Tag::awakeFromInsert() { setPrimitiveValue("timestamp", platform::Clock::currentNow()); }

store::FetchRequest Tag::fetchRequest() { return store::FetchRequest("Tag"); }

std::shared_ptr<Tag> Tag::fetchBy(std::string_view title, const std::shared_ptr<store::ObjectContext>& managedContext) {
  const std::string name = entityDescription().name.empty() ? store::localClassName<Tag>() : entityDescription().name;
  if (!managedContext) return nullptr;
  auto request = fetchRequest();
  request.fetchLimit = 1;
  request.predicate = store::Predicate::format("title like[c] %@", {std::string(title)});
  std::vector<std::shared_ptr<Tag>> results;
  try {
    results = managedContext->fetch<Tag>(request);
  } catch (const store::StoreError&) {
    classLog<Tag>().error("Failed to fetch object of type %@", name);
    return nullptr;
  }
  if (results.size() == 1) return results.front();
  classLog<Tag>().debug("%@ with title '%@' not found in database", name, std::string(title));
  return nullptr;
}

std::shared_ptr<Tag> Tag::fetchOrCreate(std::string_view withTitle,
                                        const std::shared_ptr<store::ObjectContext>& managedContext) {
  if (auto existing = fetchBy(withTitle, managedContext)) return existing;
  return store::createObject<Tag>(managedContext, [&](Tag& tag) { tag.setTitle(std::string(withTitle)); });
}

}  // namespace zarvo
