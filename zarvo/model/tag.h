// Tag: a label on tasks, found by its title ignoring case.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "zarvo/model/item.h"

namespace zarvo {

class Task;

class Tag : public store::ManagedObject {
 public:
  static constexpr const char* kClassName = "Tag";
  static const store::EntityDescription& entityDescription();
  explicit Tag(const store::EntityDescription& entity) : store::ManagedObject(entity) {}

  std::optional<Date> timestamp() const;
  void setTimestamp(std::optional<Date> timestamp);
  std::optional<std::string> title() const;
  void setTitle(std::optional<std::string> title);
  // The tasks carrying the tag; the inverse (Task::tags) follows.
  std::vector<std::shared_ptr<Task>> tasks() const;
  void setTasks(const std::vector<std::shared_ptr<Task>>& tasks);

  static store::FetchRequest fetchRequest();
  // The tag whose title matches `title` case-insensitively ("*" and "?" act as wildcards), at most
  // one. None when there is none, or when the fetch fails (logged at error level). Never throws; runs
  // on the caller's thread.
  static std::shared_ptr<Tag> fetchBy(std::string_view title, const std::shared_ptr<store::ObjectContext>& managedContext);
  // fetchBy, or else a new tag with that title inserted into the context.
  static std::shared_ptr<Tag> fetchOrCreate(std::string_view withTitle,
                                            const std::shared_ptr<store::ObjectContext>& managedContext);

 protected:
  void awakeFromInsert() override;
};

}  // namespace zarvo
