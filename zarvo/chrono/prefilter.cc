#include "zarvo/chrono/prefilter.h"

#include <unicode/uchar.h>
#include <unicode/ustring.h>
#include <unicode/utf16.h>

#include <algorithm>
#include <optional>

namespace zarvo::chrono {

using Atom = Prefilter::Atom;
using Clause = Prefilter::Clause;

bool isCjkCharacter(char32_t c) {
  if (c >= 0xFF00 && c <= 0xFFEF) {
    // Full-width Latin letters have case; full-width digits and punctuation do not.
    return !((c >= 0xFF21 && c <= 0xFF3A) || (c >= 0xFF41 && c <= 0xFF5A));
  }
  return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) ||
         (c >= 0x20000 && c <= 0x3FFFF);
}

namespace {

// Full case folding, as ICU's case-insensitive matching applies it to literal text.
std::u16string folded(std::u16string_view text) {
  const bool ascii = std::all_of(text.begin(), text.end(), [](char16_t c) { return c < 0x80; });
  std::u16string out(text);
  if (ascii) {
    for (char16_t& c : out) {
      if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    }
    return out;
  }
  out.resize(text.size() * 3 + 4);  // a character folds to at most three
  UErrorCode status = U_ZERO_ERROR;
  const int32_t length = u_strFoldCase(reinterpret_cast<UChar*>(out.data()), static_cast<int32_t>(out.size()),
                                       reinterpret_cast<const UChar*>(text.data()), static_cast<int32_t>(text.size()),
                                       U_FOLD_CASE_DEFAULT, &status);
  if (U_FAILURE(status)) return std::u16string(text);
  out.resize(static_cast<size_t>(length));
  return out;
}

bool allOf(std::u16string_view word, bool (*test)(char32_t)) {
  for (size_t i = 0; i < word.size();) {
    UChar32 c;
    U16_NEXT(word.data(), i, word.size(), c);
    if (!test(static_cast<char32_t>(c))) return false;
  }
  return true;
}

bool isDigitCharacter(char32_t c) { return u_charType(static_cast<UChar32>(c)) == U_DECIMAL_DIGIT_NUMBER; }
bool isSpaceCharacter(char32_t c) { return u_isUWhiteSpace(static_cast<UChar32>(c)); }
bool containsDigit(std::u16string_view word) { return !allOf(word, [](char32_t c) { return !isDigitCharacter(c); }); }

// How likely an atom is to be present in an ordinary line (lower is rarer, so more useful).
int score(const Atom& a) {
  switch (a.kind) {
    case Atom::Kind::digit: return 8;
    case Atom::Kind::cjk: return 4;
    case Atom::Kind::word: break;
  }
  if (a.word.size() >= 4) return 1;
  if (a.word.size() == 3) return 2;
  if (a.word.size() == 2) return allOf(a.word, isCjkCharacter) ? 2 : 6;
  return allOf(a.word, isCjkCharacter) ? 3 : 25;
}

int score(const Clause& clause) {
  int sum = 0;
  for (const Atom& a : clause) sum += score(a);
  return sum;
}

// The most a condition keeps: the rarest few clauses, cheap features first.
constexpr size_t kMaxClauses = 3;
constexpr int kUselessClauseScore = 60;

// Removes atoms another atom of the clause already implies.
void simplify(Clause& clause) {
  const auto has = [&](Atom::Kind kind) {
    return std::any_of(clause.begin(), clause.end(), [&](const Atom& a) { return a.kind == kind; });
  };
  // So many CJK words that the clause would be dropped as useless: any CJK character is then the
  // better condition. Fewer are kept as words, since nearly every line a CJK parser sees has some
  // CJK character, and its words (one character, mostly) cost one bit test each.
  const auto cjkWords = std::count_if(clause.begin(), clause.end(), [](const Atom& a) {
    return a.kind == Atom::Kind::word && allOf(a.word, isCjkCharacter);
  });
  if (cjkWords > 4 && score(clause) > kUselessClauseScore) clause.push_back(Atom{Atom::Kind::cjk, {}});
  const bool digit = has(Atom::Kind::digit);
  const bool cjk = has(Atom::Kind::cjk);
  Clause kept;
  for (const Atom& a : clause) {
    if (std::find(kept.begin(), kept.end(), a) != kept.end()) continue;
    if (a.kind == Atom::Kind::word) {
      if (digit && containsDigit(a.word)) continue;
      if (cjk && !allOf(a.word, [](char32_t c) { return !isCjkCharacter(c); })) continue;
      // A word that contains another atom's word is present only when that one is.
      const bool implied = std::any_of(clause.begin(), clause.end(), [&](const Atom& b) {
        return b.kind == Atom::Kind::word && b.word.size() < a.word.size() && a.word.find(b.word) != std::u16string::npos;
      });
      if (implied) continue;
    }
    kept.push_back(a);
  }
  clause = std::move(kept);
}

// All clauses must hold; none means "no constraint".
using Condition = std::vector<Clause>;

// Reads the ICU syntax the engine's patterns use. On anything else it fails, and the caller gives up.
class Reader {
 public:
  explicit Reader(std::u16string_view pattern) : p_(pattern) {}

  std::optional<Condition> read() {
    Condition c = alternation();
    if (failed_ || i_ != p_.size()) return std::nullopt;
    return c;
  }

 private:
  struct Element {
    enum class Kind { literal, condition, width, zeroWidth } kind = Kind::width;
    std::u16string literal;  // Kind::literal
    Condition condition;     // Kind::condition
  };

  bool more() const { return i_ < p_.size(); }
  char16_t peek(size_t ahead = 0) const { return i_ + ahead < p_.size() ? p_[i_ + ahead] : u'\0'; }

  std::u16string takeCharacter() {
    const size_t length = (U16_IS_LEAD(p_[i_]) && i_ + 1 < p_.size() && U16_IS_TRAIL(p_[i_ + 1])) ? 2 : 1;
    std::u16string out(p_.substr(i_, length));
    i_ += length;
    return out;
  }

  Condition alternation() {
    std::vector<Condition> branches{sequence()};
    while (!failed_ && peek() == u'|') {
      ++i_;
      branches.push_back(sequence());
    }
    if (branches.size() == 1) return std::move(branches.front());
    Clause joined;
    for (Condition& branch : branches) {
      if (branch.empty()) return {};  // a branch without constraint: so is the alternation
      const auto best = std::min_element(branch.begin(), branch.end(),
                                         [](const Clause& a, const Clause& b) { return score(a) < score(b); });
      joined.insert(joined.end(), best->begin(), best->end());
    }
    simplify(joined);
    return {std::move(joined)};
  }

  Condition sequence() {
    Condition out;
    std::u16string run;
    const auto endRun = [&] {
      if (!run.empty() && !allOf(run, isSpaceCharacter)) out.push_back({Atom{Atom::Kind::word, folded(run)}});
      run.clear();
    };
    while (!failed_ && more() && peek() != u'|' && peek() != u')') {
      Element e = element();
      const int minimum = quantifierMinimum();
      if (failed_) break;
      if (e.kind == Element::Kind::literal) {
        if (minimum == 0) {
          endRun();
        } else {
          run += e.literal;
          if (minimum != kOnce) endRun();  // repeated: what follows is not next to the first copy
        }
        continue;
      }
      endRun();
      if (e.kind == Element::Kind::condition && minimum != 0) {
        for (Clause& c : e.condition) out.push_back(std::move(c));
      }
    }
    endRun();
    return out;
  }

  static constexpr int kOnce = -1;  // no quantifier

  // Reads a quantifier after an element, if any; returns its minimum (kOnce when there is none).
  int quantifierMinimum() {
    int minimum = kOnce;
    const char16_t q = peek();
    if (q == u'?' || q == u'*') {
      minimum = 0;
      ++i_;
    } else if (q == u'+') {
      minimum = 1;
      ++i_;
    } else if (q == u'{') {
      ++i_;
      int value = 0;
      bool digits = false;
      while (peek() >= u'0' && peek() <= u'9') {
        value = value * 10 + (peek() - u'0');
        digits = true;
        ++i_;
      }
      while (more() && peek() != u'}') ++i_;
      if (!digits || !more()) {
        failed_ = true;
        return 0;
      }
      ++i_;
      minimum = value;
    } else {
      return kOnce;
    }
    if (peek() == u'?' || peek() == u'+') ++i_;  // lazy or possessive
    return minimum;
  }

  Element element() {
    Element e;
    const char16_t c = peek();
    if (c == u'\\') {
      ++i_;
      if (!more()) {
        failed_ = true;
        return e;
      }
      const char16_t d = peek();
      if (d == u'd') {
        ++i_;
        e.kind = Element::Kind::condition;
        e.condition = {{Atom{Atom::Kind::digit, {}}}};
      } else if (d == u'w' || d == u's' || d == u'W' || d == u'S' || d == u'D') {
        ++i_;
      } else if (d == u'b' || d == u'B') {
        ++i_;
        e.kind = Element::Kind::zeroWidth;
      } else if (d < 0x80 && u_isalnum(d)) {
        failed_ = true;  // \p, \x, \u, back-references, ...: not read
      } else {
        e.kind = Element::Kind::literal;
        e.literal = takeCharacter();
      }
      return e;
    }
    if (c == u'[') return characterClass();
    if (c == u'(') return group();
    if (c == u'.') {
      ++i_;
      return e;
    }
    if (c == u'^' || c == u'$') {
      ++i_;
      e.kind = Element::Kind::zeroWidth;
      return e;
    }
    if (c == u'*' || c == u'+' || c == u'?' || c == u'{') {
      failed_ = true;
      return e;
    }
    e.kind = Element::Kind::literal;
    e.literal = takeCharacter();
    return e;
  }

  Element group() {
    Element e;
    ++i_;  // (
    bool keep = true;
    if (peek() == u'?') {
      if (peek(1) == u':' || peek(1) == u'>') {
        i_ += 2;
      } else if (peek(1) == u'=' || peek(1) == u'!') {
        i_ += 2;
        keep = false;
      } else if (peek(1) == u'<' && (peek(2) == u'=' || peek(2) == u'!')) {
        i_ += 3;
        keep = false;
      } else {
        failed_ = true;
        return e;
      }
    }
    Condition inner = alternation();
    if (peek() != u')') {
      failed_ = true;
      return e;
    }
    ++i_;
    if (keep) {
      e.kind = Element::Kind::condition;
      e.condition = std::move(inner);
    } else {
      e.kind = Element::Kind::zeroWidth;  // look-around: consumes nothing
    }
    return e;
  }

  // A set: a clause when every member is a digit, every member is CJK, or it is a few letters.
  Element characterClass() {
    Element e;
    ++i_;  // [
    const bool negated = peek() == u'^';
    if (negated) ++i_;
    bool digits = true;
    bool cjk = true;
    bool letters = true;
    std::vector<std::u16string> members;
    bool first = true;
    while (more() && (peek() != u']' || first)) {
      first = false;
      if (peek() == u'[') {
        failed_ = true;
        return e;
      }
      if (peek() == u'\\') {
        ++i_;
        const char16_t d = peek();
        if (d == u'd') {
          ++i_;
          cjk = letters = false;
          continue;
        }
        if (d < 0x80 && u_isalnum(d)) {
          ++i_;
          digits = cjk = letters = false;
          continue;
        }
      }
      if (!more()) break;
      const std::u16string low = takeCharacter();
      std::u16string high = low;
      if (peek() == u'-' && peek(1) != u']' && i_ + 1 < p_.size()) {
        ++i_;
        if (peek() == u'\\') ++i_;
        if (!more()) break;
        high = takeCharacter();
      }
      UChar32 lo, hi;
      size_t at = 0;
      U16_NEXT(low.data(), at, low.size(), lo);
      at = 0;
      U16_NEXT(high.data(), at, high.size(), hi);
      const bool digitRange = isDigitCharacter(static_cast<char32_t>(lo)) && isDigitCharacter(static_cast<char32_t>(hi)) &&
                              u_charDigitValue(lo) <= u_charDigitValue(hi) && hi - lo <= 9;
      digits = digits && digitRange;
      cjk = cjk && lo <= hi;
      // Every character of a CJK range must be CJK too.
      if (cjk) {
        for (UChar32 x = lo; x <= hi && cjk; ++x) cjk = isCjkCharacter(static_cast<char32_t>(x));
      }
      letters = letters && lo == hi && u_isalpha(lo);
      members.push_back(low);
    }
    if (!more()) {
      failed_ = true;
      return e;
    }
    ++i_;  // ]
    if (negated || members.empty()) return e;
    e.kind = Element::Kind::condition;
    if (digits) {
      e.condition = {{Atom{Atom::Kind::digit, {}}}};
    } else if (cjk) {
      e.condition = {{Atom{Atom::Kind::cjk, {}}}};
    } else if (letters && members.size() <= 4) {
      Clause clause;
      for (const auto& m : members) clause.push_back(Atom{Atom::Kind::word, folded(m)});
      simplify(clause);
      e.condition = {std::move(clause)};
    } else {
      e.kind = Element::Kind::width;
    }
    return e;
  }

  std::u16string_view p_;
  size_t i_ = 0;
  bool failed_ = false;
};


}  // namespace

PrefilterText::PrefilterText(std::u16string_view text) : folded_(folded(text)) {
  for (size_t i = 0; i + 1 < folded_.size(); ++i) pairs_.set(pairSlot(folded_[i], folded_[i + 1]));
  for (const char16_t unit : folded_) units_.set(unitSlot(unit));
  for (size_t i = 0; i < text.size();) {
    UChar32 c;
    U16_NEXT(text.data(), i, text.size(), c);
    if (c < 0x80) {
      hasDigit_ = hasDigit_ || (c >= u'0' && c <= u'9');
      continue;
    }
    hasDigit_ = hasDigit_ || isDigitCharacter(static_cast<char32_t>(c));
    hasCjk_ = hasCjk_ || isCjkCharacter(static_cast<char32_t>(c));
  }
}

bool PrefilterText::contains(std::u16string_view word) const { return contains(word, pairSlotsOf(word)); }

bool PrefilterText::contains(std::u16string_view word, std::span<const uint16_t> slots) const {
  for (const uint16_t slot : slots) {
    if (!pairs_.test(slot)) return false;
  }
  return folded_.find(word) != std::u16string::npos;
}

std::vector<uint16_t> PrefilterText::pairSlotsOf(std::u16string_view word) {
  std::vector<uint16_t> slots;
  for (size_t i = 0; i + 1 < word.size(); ++i) slots.push_back(pairSlot(word[i], word[i + 1]));
  return slots;
}

Prefilter::Prefilter(std::vector<Clause> clauses) : clauses_(std::move(clauses)) {
  for (const Clause& clause : clauses_) {
    Probe probe;
    for (const Atom& a : clause) {
      switch (a.kind) {
        case Atom::Kind::digit: probe.digit = true; break;
        case Atom::Kind::cjk: probe.cjk = true; break;
        case Atom::Kind::word: {
          Word word{a.word, PrefilterText::pairSlotsOf(a.word)};
          if (!word.slots.empty()) {
            probe.firstSlots.push_back(word.slots.front());
          } else {
            probe.firstSlots.push_back(word.folded.empty() ? kNoSlot : kUnitSlot | PrefilterText::unitSlot(word.folded[0]));
          }
          probe.words.push_back(std::move(word));
          break;
        }
      }
    }
    probes_.push_back(std::move(probe));
  }
}

Prefilter Prefilter::fromPattern(std::u16string_view pattern) {
  std::optional<Condition> read = Reader(pattern).read();
  if (!read) return Prefilter();
  Condition clauses;
  for (Clause& c : *read) {
    if (!c.empty() && score(c) <= kUselessClauseScore) clauses.push_back(std::move(c));
  }
  std::stable_sort(clauses.begin(), clauses.end(), [](const Clause& a, const Clause& b) { return score(a) < score(b); });
  if (clauses.size() > kMaxClauses) clauses.resize(kMaxClauses);
  // Test the clauses that need no search first.
  const auto words = [](const Clause& c) {
    return std::count_if(c.begin(), c.end(), [](const Atom& a) { return a.kind == Atom::Kind::word; });
  };
  std::stable_sort(clauses.begin(), clauses.end(), [&](const Clause& a, const Clause& b) { return words(a) < words(b); });
  return Prefilter(std::move(clauses));
}

bool Prefilter::admits(const PrefilterText& text) const {
  for (const Probe& clause : probes_) {
    if ((clause.digit && text.hasDigit()) || (clause.cjk && text.hasCjk())) continue;
    bool any = false;
    for (size_t i = 0; i < clause.firstSlots.size() && !any; ++i) {
      const uint16_t first = clause.firstSlots[i];
      if (first != kNoSlot) {
        const bool present = (first & kUnitSlot) != 0 ? text.hasUnit(first & ~kUnitSlot) : text.hasPair(first);
        if (!present) continue;
      }
      any = text.contains(clause.words[i].folded, clause.words[i].slots);
    }
    if (!any) return false;
  }
  return true;
}

std::u16string Prefilter::describe() const {
  std::u16string out;
  for (size_t c = 0; c < clauses_.size(); ++c) {
    if (c > 0) out += u" & ";
    for (size_t a = 0; a < clauses_[c].size(); ++a) {
      if (a > 0) out += u" | ";
      const Atom& atom = clauses_[c][a];
      out += atom.kind == Atom::Kind::digit ? u"<digit>" : atom.kind == Atom::Kind::cjk ? u"<cjk>" : atom.word;
    }
  }
  return out;
}

}  // namespace zarvo::chrono
