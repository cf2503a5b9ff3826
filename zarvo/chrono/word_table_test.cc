#include "zarvo/chrono/word_table.h"

#include <gtest/gtest.h>

#include "zarvo/chrono/en/en_words.h"
#include "zarvo/platform/regex.h"

namespace zarvo::chrono {
namespace {

TEST(WordTableTest, LooksUpWordsInAnyCase) {
  const WordTable table{{u"sonntag", 0}, {u"so", 0}, {u"märz", 3}, {u"jan.", 1}};
  EXPECT_EQ(table.lookup(u"SONNTAG"), 0);
  EXPECT_EQ(table.lookup(u"März"), 3);
  EXPECT_EQ(table.lookup(u"Jan."), 1);
  EXPECT_EQ(table.find(u"so"), 0);
  EXPECT_EQ(table.find(u"So"), std::nullopt);  // find takes lower case as given
  EXPECT_EQ(table.lookup(u"son"), std::nullopt);
  EXPECT_EQ(table.lookup(u""), std::nullopt);
  EXPECT_EQ(table.size(), 4u);
  EXPECT_EQ(table.entries().front().first, u"sonntag");
}

TEST(WordTableTest, AlternationTriesLongerWordsFirst) {
  const WordTable table{{u"so", 0}, {u"mo", 1}, {u"sonntag", 0}, {u"montag", 1}};
  EXPECT_EQ(table.alternation(), u"(?:sonntag|montag|so|mo)");
  // Without the ordering, "so" would win inside a pattern that does not force backtracking.
  auto regex = platform::Regex::compile(std::u16string(u"^") + table.alternation());
  ASSERT_TRUE(regex);
  auto match = regex->firstMatch(u"Sonntag");
  ASSERT_TRUE(match);
  EXPECT_EQ(match->range().length, 7);
}

TEST(WordTableTest, AlternationStyles) {
  const WordTable table{{u"erste", 1}, {u"twenty first", 21}, {u"jan.", 1}};
  EXPECT_EQ(table.alternation(AlternationStyle{u"[nrms]?", u"[ -]", false}),
            u"(?:twenty[ -]first[nrms]?|erste[nrms]?|jan.[nrms]?)");
  EXPECT_EQ(table.alternation(AlternationStyle{u"", u"", true}), u"(?:twenty first|erste|jan\\.)");
  // The escaped form no longer lets "." stand for any character.
  std::u16string anchored = u"^";
  anchored += table.alternation(AlternationStyle{u"", u"", true});
  anchored += u"$";
  auto escaped = platform::Regex::compile(anchored);
  ASSERT_TRUE(escaped);
  EXPECT_TRUE(escaped->search(u"jan."));
  EXPECT_FALSE(escaped->search(u"janx"));
}

TEST(WordTableTest, EnglishTablesAndPieces) {
  EXPECT_EQ(en::integerWords().size(), 12u);
  EXPECT_EQ(en::weekdays().size(), 16u);
  EXPECT_EQ(en::months().size(), 36u);
  EXPECT_EQ(en::ordinals().size(), 31u);
  EXPECT_EQ(en::ordinals().lookup(u"Twenty Ninth"), 29);
  EXPECT_EQ(en::months().lookup(u"Sept."), 9);
  EXPECT_EQ(en::monthNumber(u"May."), 5);
  EXPECT_EQ(en::monthNumber(u"Mai"), std::nullopt);
  // Pieces are built once: the same object every time.
  EXPECT_EQ(&en::ordinalPiece(), &en::ordinalPiece());
  auto ordinal = platform::Regex::compile(std::u16string(u"^") + en::ordinalPiece() + u"$");
  ASSERT_TRUE(ordinal);
  EXPECT_TRUE(ordinal->search(u"thirty-first"));
  EXPECT_TRUE(ordinal->search(u"twenty second"));
  EXPECT_FALSE(ordinal->search(u"twenty"));
}

}  // namespace
}  // namespace zarvo::chrono
