// List: the record mirroring one reminder list (a calendar of the reminders store).
//
// Threads: stored attributes from any thread; the calendar link and the derived properties from one
// thread at a time (reminders::Calendar is not synchronised).
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "zarvo/model/item.h"
#include "zarvo/platform/colour.h"
#include "zarvo/reminders/records.h"

namespace zarvo {

class List : public Item {
 public:
  static constexpr const char* kClassName = "List";
  static const store::EntityDescription& entityDescription();
  explicit List(const store::EntityDescription& entity) : Item(entity) {}

  // ---- Stored attributes ----
  std::optional<std::string> calendarId() const;
  void setCalendarId(std::optional<std::string> calendarId);
  // Position in the application's list order; -1 (the default) for none yet.
  int16_t order() const;
  void setOrder(int16_t order);
  // The order as last saved (what the records database holds while changes are unsaved).
  int16_t committedOrder() const;
  bool visible() const;
  void setVisible(bool visible);
  bool collapsed() const;
  void setCollapsed(bool collapsed);
  std::optional<int64_t> filteredCount() const;
  void setFilteredCount(std::optional<int64_t> count);

  // ---- Transient link ----
  std::shared_ptr<reminders::Calendar> calendar() const;
  void setCalendar(std::shared_ptr<reminders::Calendar> calendar);

  // ---- Derived properties, through the calendar ----
  // The calendar's title; empty without a calendar. Writing without a calendar does nothing.
  std::string title() const;
  void setTitle(std::string title);
  // The calendar's colour; the label colour without a calendar or colour. Writing stores the colour's
  // light-appearance value in the calendar.
  platform::Colour color() const;
  void setColor(const platform::Colour& color);
  // The localized "task_count" format applied to filteredCount (0 when absent).
  std::string filteredCountTitle() const;

  // ---- Look-up and creation ----
  static store::FetchRequest fetchRequest();
  // As Task::fetch, by the calendar's identifier and its source; attaches the calendar.
  static std::shared_ptr<List> fetch(const std::shared_ptr<reminders::Calendar>& from,
                                     const std::shared_ptr<store::ObjectContext>& managedContext);
  static std::shared_ptr<List> create(const std::shared_ptr<reminders::Calendar>& from,
                                      const std::shared_ptr<store::ObjectContext>& managedContext);

 protected:
  std::vector<std::string> keyPathsAffected(const std::string& key) const override;

 private:
  mutable store::RecordMutex linkMu_;
  std::shared_ptr<reminders::Calendar> calendar_;
};

}  // namespace zarvo
