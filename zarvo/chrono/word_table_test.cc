#include "zarvo/chrono/word_table.h"

#include <gtest/gtest.h>

#include "zarvo/chrono/en/en_words.h"
#include "zarvo/platform/regex.h"
#include "zarvo/platform/text.h"

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
}

TEST(WordTableTest, AlternationTriesLongerWordsFirst) {
  const WordTable table{{u"so", 0}, {u"mo", 1}, {u"sonntag", 0}, {u"montag", 1}};
  // Otherwise "so" would win inside a pattern that does not force backtracking.
  auto regex = platform::Regex::compile(std::u16string(u"^") + table.alternation());
  ASSERT_TRUE(regex);
  auto match = regex->firstMatch(u"Sonntag");
  ASSERT_TRUE(match);
  EXPECT_EQ(match->range().length, 7);
}

TEST(WordTableTest, AlternationStyles) {
  const WordTable table{{u"erste", 1}, {u"twenty first", 21}, {u"jan.", 1}};
  auto whole = [&](const AlternationStyle& style) {
    std::u16string anchored = u"^";
    anchored += table.alternation(style);
    anchored += u"$";
    return platform::Regex::compile(anchored);
  };
  // A suffix after every word, and a class standing for the blank inside a word.
  auto inflected = whole(AlternationStyle{u"[nrms]?", u"[ -]", false});
  ASSERT_TRUE(inflected);
  for (const char16_t* word : {u"ersten", u"twenty-first", u"twenty firsts", u"janx"}) {
    EXPECT_TRUE(inflected->search(word)) << platform::toUtf8(word);
  }
  EXPECT_FALSE(inflected->search(u"twentyfirst"));
  // The escaped form no longer lets "." stand for any character.
  auto escaped = whole(AlternationStyle{u"", u"", true});
  ASSERT_TRUE(escaped);
  EXPECT_TRUE(escaped->search(u"jan."));
  EXPECT_FALSE(escaped->search(u"janx"));
}

TEST(WordTableTest, EnglishTablesAndPieces) {
  EXPECT_EQ(en::ordinals().lookup(u"Twenty Ninth"), 29);
  EXPECT_EQ(en::months().lookup(u"Sept."), 9);
  EXPECT_EQ(en::monthNumber(u"May."), 5);
  EXPECT_EQ(en::monthNumber(u"Mai"), std::nullopt);
  auto ordinal = platform::Regex::compile(std::u16string(u"^") + en::ordinalPiece() + u"$");
  ASSERT_TRUE(ordinal);
  EXPECT_TRUE(ordinal->search(u"thirty-first"));
  EXPECT_TRUE(ordinal->search(u"twenty second"));
  EXPECT_FALSE(ordinal->search(u"twenty"));
}

}  // namespace
}  // namespace zarvo::chrono
