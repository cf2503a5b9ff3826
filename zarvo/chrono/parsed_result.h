// One date phrase found in a text: where it stands, what it says, and who produced or changed it.
//
// A plain value: parsers create results, refiners make changed copies, the caller gets the final list.
// Positions and lengths (`index`, the length of `text`) are UTF-16 code units of the whole input.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "zarvo/chrono/parsed_components.h"
#include "zarvo/chrono/units.h"
#include "zarvo/platform/clock.h"

namespace zarvo::chrono {

// A map from TagUnit to a boolean. A tag is present when some parser or refiner set it; all of them set
// true, so presence and value differ only for callers that write false themselves. Stored as two bit
// sets (present, and true) of two words each, keeping a result small.
class TagSet {
 public:
  TagSet() = default;
  TagSet(std::initializer_list<TagUnit> tags) {
    for (TagUnit t : tags) set(t);
  }

  void set(TagUnit tag, bool value = true) {
    const size_t w = word(tag);
    present_[w] |= bit(tag);
    if (value) {
      true_[w] |= bit(tag);
    } else {
      true_[w] &= ~bit(tag);
    }
  }
  bool contains(TagUnit tag) const { return (present_[word(tag)] & bit(tag)) != 0; }
  // True only when present with value true.
  bool isTrue(TagUnit tag) const { return (true_[word(tag)] & bit(tag)) != 0; }
  std::optional<bool> value(TagUnit tag) const {
    return contains(tag) ? std::optional<bool>(isTrue(tag)) : std::nullopt;
  }
  bool empty() const { return present_[0] == 0 && present_[1] == 0; }
  // Copies every entry of `other` in, overwriting equal keys.
  void addAll(const TagSet& other) {
    for (size_t w = 0; w < kWords; ++w) {
      present_[w] |= other.present_[w];
      true_[w] = (true_[w] & ~other.present_[w]) | other.true_[w];
    }
  }

  // Calls f(tag, value) for every present tag, in declaration order.
  template <typename F>
  void forEach(F&& f) const {
    for (size_t i = 0; i < kTagUnitCount; ++i) {
      if ((present_[i / 64] >> (i % 64)) & 1u) f(static_cast<TagUnit>(i), ((true_[i / 64] >> (i % 64)) & 1u) != 0);
    }
  }

  friend bool operator==(const TagSet&, const TagSet&) = default;

 private:
  static constexpr size_t kWords = 2;
  static_assert(kTagUnitCount <= 64 * kWords, "one bit per tag");
  static size_t word(TagUnit tag) { return static_cast<size_t>(tag) / 64; }
  static uint64_t bit(TagUnit tag) { return uint64_t{1} << (static_cast<size_t>(tag) % 64); }
  std::array<uint64_t, kWords> present_{};
  std::array<uint64_t, kWords> true_{};  // a subset of present_
};

class ParsedResult {
 public:
  // `start` is built from the `start` map and `ref` (ParsedComponents' constructor); `end` likewise
  // from the `end` map when one is given, else absent.
  ParsedResult(Date ref, int64_t index, std::u16string text, TagSet tags = {},
               std::optional<ComponentMap> start = std::nullopt, std::optional<ComponentMap> end = std::nullopt,
               bool isMoveIndexMode = false);

  // A result that carries no date and only tells the scan loop to resume at `index`: ref is the current
  // instant (Clock::currentNow()), text empty, no tags, no end.
  static ParsedResult moveIndexMode(int64_t index);

  Date ref() const { return ref_; }
  bool isMoveIndexMode() const { return isMoveIndexMode_; }

  int64_t index() const { return index_; }
  void setIndex(int64_t index) { index_ = index; }
  const std::u16string& text() const { return text_; }
  void setText(std::u16string text) { text_ = std::move(text); }
  // `index` plus the length of `text`.
  int64_t endPosition() const { return index_ + static_cast<int64_t>(text_.size()); }

  const TagSet& tags() const { return tags_; }
  TagSet& tags() { return tags_; }
  void setTags(TagSet tags) { tags_ = std::move(tags); }

  const ParsedComponents& start() const { return start_; }
  ParsedComponents& start() { return start_; }
  void setStart(ParsedComponents start) { start_ = std::move(start); }

  const std::optional<ParsedComponents>& end() const { return end_; }
  std::optional<ParsedComponents>& end() { return end_; }
  void setEnd(std::optional<ParsedComponents> end) { end_ = std::move(end); }

 private:
  Date ref_;
  int64_t index_;
  std::u16string text_;
  TagSet tags_;
  ParsedComponents start_;
  std::optional<ParsedComponents> end_;
  bool isMoveIndexMode_;
};

}  // namespace zarvo::chrono
