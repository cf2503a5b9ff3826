// Item: the common base of the Task and List records, and the object model of all records.
//
// Records are reference types (std::shared_ptr) living in a store::ObjectContext; identity is the
// pointer. Stored attributes are persisted by the context; the links to the reminders store
// (Task::reminder, List::calendar) are in-memory only and attached by the look-ups.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "zarvo/store/object_context.h"
#include "zarvo/platform/clock.h"
#include "zarvo/platform/log.h"

namespace zarvo {

// The model of the "Task", "List" and "Tag" entities. Lives for the whole process.
const store::ManagedObjectModel& managedObjectModel();

// Opens (creating when absent) the records database at `path`; with `readOnly`, an existing one only
// to read it (see store::ObjectContext::open). Throws store::StoreError.
std::shared_ptr<store::ObjectContext> openObjectContext(const std::string& path, bool readOnly = false);

// The class-level log handle of record class T: the program's name as subsystem, the class name as
// category. Made on first use, shared afterwards.
template <class T>
const platform::Log& classLog();

class Item : public store::ManagedObject {
 public:
  using store::ManagedObject::ManagedObject;

  // Set to the current moment when the record is inserted into a context.
  std::optional<Date> timestamp() const;
  void setTimestamp(std::optional<Date> timestamp);
  // Title of the reminders-store source (account) of the record's reminder or calendar.
  std::optional<std::string> sourceId() const;
  void setSourceId(std::optional<std::string> sourceId);

 protected:
  void awakeFromInsert() override;
};

namespace detail {
const std::string& logSubsystem();
std::optional<std::string> optionalString(const store::Value& v);
store::Value toValue(const std::optional<std::string>& s);
}  // namespace detail

template <class T>
const platform::Log& classLog() {
  static const platform::Log log(detail::logSubsystem(), store::localClassName<T>());
  return log;
}

}  // namespace zarvo
