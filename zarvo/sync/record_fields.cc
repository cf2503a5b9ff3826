#include "zarvo/sync/record_fields.h"

#include <algorithm>
#include <string>
#include <vector>

#include "zarvo/model/tag.h"
#include "zarvo/platform/text.h"

namespace zarvo {

namespace {

bool canBeTag(const std::string& category) { return category.find_first_of("*?") == std::string::npos; }

bool sameTitle(std::string_view a, std::string_view b) { return platform::equalsIgnoringCase(a, b); }

std::string titleOf(const Tag& tag) { return tag.title().value_or(""); }

}  // namespace

void writeRecordFields(Task& task) {
  const auto reminder = task.reminder();
  if (!reminder) return;
  reminder->setFlagged(task.flagged());
  if (task.order() != 0 || reminder->order()) reminder->setOrder(task.order());

  const auto tags = task.tags();
  std::vector<std::string> categories;
  std::vector<bool> written(tags.size(), false);
  for (const auto& category : reminder->categories()) {
    bool keep = !canBeTag(category);
    for (size_t i = 0; i < tags.size() && !keep; ++i) {
      if (!written[i] && sameTitle(titleOf(*tags[i]), category)) keep = written[i] = true;
    }
    if (keep) categories.push_back(category);
  }
  for (size_t i = 0; i < tags.size(); ++i) {
    if (!written[i] && !titleOf(*tags[i]).empty()) categories.push_back(titleOf(*tags[i]));
  }
  reminder->setCategories(std::move(categories));
}

bool readRecordFields(Task& task, const std::shared_ptr<store::ObjectContext>& context) {
  const auto reminder = task.reminder();
  if (!reminder) return false;
  const bool fileWins = reminder->flagged().has_value();
  if (!fileWins && reminder->categories().empty()) return false;

  bool changed = false;
  if (fileWins && task.flagged() != *reminder->flagged()) {
    task.setFlagged(*reminder->flagged());
    changed = true;
  }
  if (fileWins && reminder->order() && task.order() != *reminder->order()) {
    task.setOrder(static_cast<int16_t>(*reminder->order()));
    changed = true;
  }

  const auto had = task.tags();
  std::vector<std::shared_ptr<Tag>> tags;
  if (!fileWins) tags = had;
  for (const auto& category : reminder->categories()) {
    if (!canBeTag(category)) continue;
    const auto same = [&](const std::shared_ptr<Tag>& t) { return sameTitle(titleOf(*t), category); };
    if (std::any_of(tags.begin(), tags.end(), same)) continue;
    if (auto mine = std::find_if(had.begin(), had.end(), same); mine != had.end()) {
      tags.push_back(*mine);
    } else if (context) {
      tags.push_back(Tag::fetchOrCreate(category, context));
    }
  }
  const auto key = [](std::vector<std::shared_ptr<Tag>> v) {
    std::sort(v.begin(), v.end());
    return v;
  };
  if (key(tags) != key(had)) {
    task.setTags(tags);
    changed = true;
  }
  return changed;
}

}  // namespace zarvo
