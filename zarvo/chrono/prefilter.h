// A cheap necessary condition for a parser's pattern to match a text, so that the scan can skip
// patterns that cannot match the line at all (a line without a digit holds no slash date; a line
// without a CJK character no Japanese phrase).
//
// The condition is read off the pattern itself: the literal words it requires (case-folded, so they
// are the words of the parser's own tables), a digit where it requires \d or [0-9], a CJK character
// where it requires one of a set of CJK characters. It is a conjunction of clauses, each satisfied by
// any one of its atoms; an alternation contributes one clause joining its branches. Anything the
// reader does not understand, or may match without consuming anything, adds no clause, so the
// condition can only be weaker than the pattern: when `admits` is false, the case-insensitive pattern
// has no match in the text (nor in any range of it).
#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <string>
#include <span>
#include <string_view>
#include <vector>

namespace zarvo::chrono {

// What the conditions ask of one text, worked out once per parse.
class PrefilterText {
 public:
  explicit PrefilterText(std::u16string_view text);

  bool hasDigit() const { return hasDigit_; }  // a character \d matches (any decimal digit)
  bool hasCjk() const { return hasCjk_; }      // a Han, kana or CJK/full-width punctuation character
  // True when the text, fully case-folded, contains `folded` (itself fully case-folded).
  bool contains(std::u16string_view folded) const;
  // The same, given pairSlotsOf(folded) worked out beforehand: a word is tested once per line and
  // its pairs would otherwise be hashed again every time.
  bool contains(std::u16string_view folded, std::span<const uint16_t> slots) const;
  static std::vector<uint16_t> pairSlotsOf(std::u16string_view folded);
  // Whether a pair of adjacent folded code units hashing to `slot` may occur in the text.
  bool hasPair(uint16_t slot) const { return pairs_.test(slot); }
  // Whether a folded code unit hashing to `slot` may occur in the text.
  bool hasUnit(uint16_t slot) const { return units_.test(slot); }
  static uint16_t unitSlot(char16_t unit) { return static_cast<uint16_t>((unit * 0x9E37u >> 4) & (kPairSlots - 1)); }

 private:
  // Which pairs of adjacent folded code units occur (hashed into slots): a word with a pair the text
  // lacks cannot occur in it, so most words are turned away without searching the text.
  static constexpr size_t kPairSlots = 4096;
  static uint16_t pairSlot(char16_t first, char16_t second) {
    return static_cast<uint16_t>((static_cast<size_t>(first) * 0x9E37u ^ static_cast<size_t>(second) * 0x85EBu) &
                                 (kPairSlots - 1));
  }

  bool hasDigit_ = false;
  bool hasCjk_ = false;
  std::u16string folded_;
  std::bitset<kPairSlots> pairs_;
  std::bitset<kPairSlots> units_;  // the same for single code units
};

class Prefilter {
 public:
  // The condition that admits every text.
  Prefilter() = default;

  // The condition read off `pattern` (ICU syntax, matched case-insensitively).
  static Prefilter fromPattern(std::u16string_view pattern);

  // False only when `pattern` cannot match the text.
  bool admits(const PrefilterText& text) const;

  // True when the condition admits every text.
  bool admitsEverything() const { return clauses_.empty(); }

  // The condition as text, for tests and diagnostics: clauses joined by " & ", atoms by " | ",
  // features as <digit> and <cjk>, words folded.
  std::u16string describe() const;

  struct Atom {
    enum class Kind : uint8_t { digit, cjk, word } kind = Kind::word;
    std::u16string word;  // fully case-folded, for Kind::word
    friend bool operator==(const Atom&, const Atom&) = default;
  };
  using Clause = std::vector<Atom>;  // satisfied by any one atom

 private:
  explicit Prefilter(std::vector<Clause> clauses);

  // A clause made ready to test. Its features are two flags; each word carries its pair slots, and
  // the first slots sit side by side so that the words a line lacks, nearly all of them, are turned
  // away by one bit test each.
  struct Word {
    std::u16string folded;
    std::vector<uint16_t> slots;
  };
  struct Probe {
    bool digit = false;
    bool cjk = false;
    std::vector<uint16_t> firstSlots;  // per word: its first pair, or kUnitSlot | its one unit's slot
    std::vector<Word> words;
  };
  static constexpr uint16_t kUnitSlot = 0x8000;
  static constexpr uint16_t kNoSlot = 0xFFFF;  // an empty word: always searched

  std::vector<Clause> clauses_;  // all must be satisfied; cheapest first
  std::vector<Probe> probes_;    // clauses_ as tested
};

// True for the characters PrefilterText::hasCjk looks for. None of them has a case variant.
bool isCjkCharacter(char32_t c);

}  // namespace zarvo::chrono
