#include "zarvo/chrono/parsed_result.h"

namespace zarvo::chrono {

ParsedResult::ParsedResult(Date ref, int64_t index, std::u16string text, TagSet tags,
                           std::optional<ComponentMap> start, std::optional<ComponentMap> end, bool isMoveIndexMode)
    : ref_(ref),
      index_(index),
      text_(std::move(text)),
      tags_(std::move(tags)),
      start_(std::move(start), ref),
      isMoveIndexMode_(isMoveIndexMode) {
  if (end) end_.emplace(std::move(end), ref);
}

ParsedResult ParsedResult::moveIndexMode(int64_t index) {
  return ParsedResult(platform::Clock::currentNow(), index, u"", {}, std::nullopt, std::nullopt, true);
}

}  // namespace zarvo::chrono
