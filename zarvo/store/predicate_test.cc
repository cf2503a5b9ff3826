#include "zarvo/store/predicate.h"

#include <gtest/gtest.h>

#include <map>

#include "zarvo/store/store_error.h"

namespace zarvo::store {
namespace {

using Row = std::map<std::string, Value>;

bool eval(const char* format, std::vector<Value> args, const Row& row) {
  auto p = Predicate::format(format, std::move(args));
  return p->evaluate([&](const std::string& key) -> Value {
    auto it = row.find(key);
    return it == row.end() ? Value{} : it->second;
  });
}

TEST(LikeTest, WildcardsAndCase) {
  struct Case { const char* pattern; const char* value; bool ci; bool match; };
  const Case cases[] = {
      {"work", "Work", true, true},
      {"work", "Work", false, false},
      {"wo*", "Workshop", true, true},
      {"wo*", "Two", true, false},
      {"w?rk", "WORK", true, true},
      {"w?rk", "wrk", true, false},
      {"*", "", true, true},
      {"", "", false, true},
      {"a*b*c", "aXXbYYc", false, true},
      {"a*b*c", "aXXbYY", false, false},
      {"*ab", "aab", false, true},            // needs backtracking past the first 'a'
      {"\\*", "*", false, true},              // escaped star is literal
      {"\\*", "x", false, false},
      {"stra?e", "STRASSE", true, false},     // ß folds to two letters; '?' takes one scalar
      {"straße", "STRASSE", true, true},
      {"é?", "Éa", true, true},
      {"?", "😀", false, true},               // one scalar value, two UTF-16 units
  };
  for (const auto& c : cases) {
    EXPECT_EQ(likeMatches(c.pattern, c.value, c.ci), c.match) << c.pattern << " / " << c.value;
  }
}

TEST(LikeTest, ManyStarsStayFast) {
  // Exponential backtracking would not finish; the greedy matcher is linear per star.
  std::string pattern;
  for (int i = 0; i < 50; ++i) pattern += "a*";
  pattern += "b";
  EXPECT_FALSE(likeMatches(pattern, std::string(5000, 'a'), false));
}

TEST(PredicateTest, LookUpFormatMatchesEitherSourceField) {
  const char* format = "reminderId = %@ AND (sourceId = %@ OR sourceId = %@)";
  std::vector<Value> args{std::string("R1"), std::string("src-id"), std::string("iCloud")};
  EXPECT_TRUE(eval(format, args, {{"reminderId", std::string("R1")}, {"sourceId", std::string("iCloud")}}));
  EXPECT_TRUE(eval(format, args, {{"reminderId", std::string("R1")}, {"sourceId", std::string("src-id")}}));
  EXPECT_FALSE(eval(format, args, {{"reminderId", std::string("R1")}, {"sourceId", std::string("other")}}));
  EXPECT_FALSE(eval(format, args, {{"reminderId", std::string("R2")}, {"sourceId", std::string("iCloud")}}));
  EXPECT_FALSE(eval(format, args, {{"reminderId", std::string("R1")}}));  // absent sourceId
}

TEST(PredicateTest, AbsentValuesAndNegation) {
  EXPECT_TRUE(eval("title = %@", {Value{}}, {}));
  EXPECT_FALSE(eval("title = %@", {std::string("a")}, {}));
  EXPECT_TRUE(eval("title != %@", {std::string("a")}, {}));
  EXPECT_TRUE(eval("NOT title like[c] %@", {std::string("a*")}, {}));
  EXPECT_FALSE(eval("count > %@", {int64_t{1}}, {}));
  EXPECT_TRUE(eval("count >= %@ && count < %@", {int64_t{1}, int64_t{3}}, {{"count", int64_t{2}}}));
  EXPECT_TRUE(eval("TRUEPREDICATE", {}, {}));
}

TEST(PredicateTest, MalformedFormatsAreRefused) {
  for (auto [format, n] : std::vector<std::pair<const char*, int>>{
           {"title = %@ AND", 1}, {"title %@", 1}, {"title = %@", 0}, {"title = %@", 2},
           {"(title = %@", 1}, {"title like[d] %@", 1}, {"title = 'x'", 0}}) {
    std::vector<Value> args(static_cast<size_t>(n), Value{std::string("x")});
    EXPECT_THROW(Predicate::format(format, args), StoreError) << format;
  }
}

TEST(PredicateTest, SqlKeepsArgumentsOutOfTheText) {
  auto p = Predicate::format("title like[c] %@ OR NOT (title = %@)",
                             {std::string("x'); DROP TABLE Tag; --"), Value{}});
  std::string sql;
  std::vector<Value> params;
  p->appendSql(sql, params);
  EXPECT_EQ(sql, "(zarvo_like(?, \"title\", 1) OR NOT coalesce((\"title\" IS NULL), 0))");
  ASSERT_EQ(params.size(), 1u);
}

}  // namespace
}  // namespace zarvo::store
