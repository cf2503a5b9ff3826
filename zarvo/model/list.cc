#include "zarvo/model/list.h"

#include "zarvo/platform/localization.h"

namespace zarvo {

using store::Value;

const store::EntityDescription& List::entityDescription() { return *managedObjectModel().entity("List"); }

std::optional<std::string> List::calendarId() const { return detail::optionalString(value("calendarId")); }
void List::setCalendarId(std::optional<std::string> id) { setValue("calendarId", detail::toValue(id)); }

namespace {
int16_t orderValue(const Value& v) {
  const auto* i = std::get_if<int64_t>(&v);
  return i ? static_cast<int16_t>(*i) : -1;
}
}  // namespace

int16_t List::order() const { return orderValue(value("order")); }
int16_t List::committedOrder() const { return orderValue(committedValue("order")); }
void List::setOrder(int16_t order) { setValue("order", int64_t{order}); }

bool List::visible() const {
  const Value v = value("visible");
  const auto* b = std::get_if<bool>(&v);
  return b && *b;
}
void List::setVisible(bool visible) { setValue("visible", visible); }

bool List::collapsed() const {
  const Value v = value("collapsed");
  const auto* b = std::get_if<bool>(&v);
  return b && *b;
}
void List::setCollapsed(bool collapsed) { setValue("collapsed", collapsed); }

std::optional<int64_t> List::filteredCount() const {
  const Value v = value("filteredCount");
  if (const auto* i = std::get_if<int64_t>(&v)) return *i;
  return std::nullopt;
}
void List::setFilteredCount(std::optional<int64_t> count) {
  setValue("filteredCount", count ? Value(*count) : Value());
}

std::shared_ptr<reminders::Calendar> List::calendar() const {
  std::lock_guard lock(linkMu_);
  return calendar_;
}

void List::setCalendar(std::shared_ptr<reminders::Calendar> calendar) {
  std::lock_guard lock(linkMu_);
  calendar_ = std::move(calendar);
}

std::string List::title() const {
  auto c = calendar();
  return c ? c->title() : std::string();
}

void List::setTitle(std::string title) {
  if (auto c = calendar()) c->setTitle(std::move(title));
}

platform::Colour List::color() const {
  auto c = calendar();
  if (!c || !c->color()) return platform::Colour::label();
  const reminders::Color& rgb = *c->color();
  return platform::Colour::rgb({rgb.red, rgb.green, rgb.blue, rgb.alpha});
}

void List::setColor(const platform::Colour& color) {
  auto c = calendar();
  if (!c) return;
  const platform::RGBA rgba = color.resolved(platform::Appearance::light);
  c->setColor(reminders::Color{rgba.red, rgba.green, rgba.blue, rgba.alpha});
}

std::string List::filteredCountTitle() const {
  const std::string format = platform::localizedString("task_count", "Do not translate. Copy as is", "");
  return platform::formatLocalized(format, {filteredCount().value_or(0)});
}

std::vector<std::string> List::keyPathsAffected(const std::string& key) const {
  if (key == "filteredCount") return {"filteredCountTitle"};
  return {};
}

store::FetchRequest List::fetchRequest() { return store::FetchRequest("List"); }

std::shared_ptr<List> List::fetch(const std::shared_ptr<reminders::Calendar>& from,
                                  const std::shared_ptr<store::ObjectContext>& managedContext) {
  if (!from || !managedContext) return nullptr;
  const std::string& calendarIdentifier = from->calendarIdentifier();
  Value sourceIdentifier, sourceTitle;
  if (from->source()) {
    sourceIdentifier = from->source()->sourceIdentifier();
    sourceTitle = from->source()->title();
  }
  auto request = fetchRequest();
  request.predicate = store::Predicate::format("calendarId = %@ AND (sourceId = %@ OR sourceId = %@)",
                                               {calendarIdentifier, sourceIdentifier, sourceTitle});
  request.sortDescriptors = {{"timestamp", true}};
  request.returnsObjectsAsFaults = false;

  return managedContext->performAndWait([&]() -> std::shared_ptr<List> {
    auto results = managedContext->fetch<List>(request);
    if (results.empty()) {
      classLog<List>().debug("Calendar with calendarId '%{public}@' not found in database", calendarIdentifier);
      return nullptr;
    }
    results.front()->setCalendar(from);
    for (size_t i = 1; i < results.size(); ++i) managedContext->deleteObject(results[i]);
    return results.front();
  });
}

std::shared_ptr<List> List::create(const std::shared_ptr<reminders::Calendar>& from,
                                   const std::shared_ptr<store::ObjectContext>& managedContext) {
  return store::createObject<List>(managedContext, [&](List& list) {
    list.setCalendar(from);
    if (!from) return;
    list.setCalendarId(from->calendarIdentifier());
    if (from->source()) list.setSourceId(from->source()->title());
  });
}

}  // namespace zarvo
