#include "zarvo/chrono/word_table.h"

#include <unicode/uchar.h>

#include <algorithm>

#include "zarvo/platform/text.h"

namespace zarvo::chrono {

namespace {

bool isMetacharacter(char16_t c) {
  return std::u16string_view(u"\\^$.|?*+()[]{}").find(c) != std::u16string_view::npos;
}

}  // namespace

WordTable::WordTable(std::initializer_list<Entry> entries, AlternationStyle style) {
  entries_.reserve(entries.size());
  for (const auto& [word, value] : entries) entries_.emplace_back(std::u16string(word), value);
  byWord_.resize(entries_.size());
  for (size_t i = 0; i < byWord_.size(); ++i) byWord_[i] = i;
  std::sort(byWord_.begin(), byWord_.end(),
            [this](size_t a, size_t b) { return entries_[a].first < entries_[b].first; });
  alternation_ = alternation(style);
}

std::optional<int64_t> WordTable::find(std::u16string_view lowerCaseWord) const {
  auto it = std::lower_bound(byWord_.begin(), byWord_.end(), lowerCaseWord,
                             [this](size_t i, std::u16string_view w) { return entries_[i].first < w; });
  if (it == byWord_.end() || entries_[*it].first != lowerCaseWord) return std::nullopt;
  return entries_[*it].second;
}

std::optional<int64_t> WordTable::findAtStart(std::u16string_view lowerCaseText) const {
  std::optional<int64_t> value;
  size_t longest = 0;
  for (const auto& [word, v] : entries_) {
    if (word.size() > longest && lowerCaseText.starts_with(word)) {
      longest = word.size();
      value = v;
    }
  }
  return value;
}

std::optional<int64_t> WordTable::lookup(std::u16string_view word) const {
  return find(platform::lowercased(word));
}

std::u16string WordTable::alternation(const AlternationStyle& style) const {
  // Longest first: ICU tries alternatives in order, so a shorter word that is a prefix of a longer one
  // would otherwise win wherever the rest of the pattern does not force backtracking.
  std::vector<size_t> order(entries_.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(),
                   [this](size_t a, size_t b) { return entries_[a].first.size() > entries_[b].first.size(); });

  std::u16string out = u"(?:";
  for (size_t n = 0; n < order.size(); ++n) {
    if (n > 0) out += u'|';
    for (char16_t c : entries_[order[n]].first) {
      if (c == u' ' && !style.blank.empty()) {
        out += style.blank;
      } else {
        if (style.escapeMetacharacters && isMetacharacter(c)) out += u'\\';
        out += c;
      }
    }
    out += style.suffix;
  }
  out += u')';
  return out;
}

std::u16string phraseKey(std::u16string_view phrase) {
  std::u16string out;
  bool gap = false;
  for (const char16_t c : platform::lowercased(phrase)) {
    if (u_isUWhiteSpace(c) || c == u'-') {
      gap = true;
      continue;
    }
    if (gap && !out.empty()) out += u' ';
    gap = false;
    out += c;
  }
  return out;
}

}  // namespace zarvo::chrono
