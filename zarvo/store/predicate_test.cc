// Predicates: the LIKE matcher, the format parser, and the agreement of the two evaluations a fetch
// uses (in memory for unsaved objects, SQL for saved rows) over the same records.
#include "zarvo/store/predicate.h"

#include <gtest/gtest.h>

#include <sstream>

#include "zarvo/store/object_context.h"
#include "zarvo/store/store_error.h"
#include "zarvo/testing/temp_dir.h"

namespace zarvo::store {
namespace {

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

TEST(PredicateTest, MalformedFormatsAreRefused) {
  for (auto [format, n] : std::vector<std::pair<const char*, int>>{
           {"title = %@ AND", 1}, {"title %@", 1}, {"title = %@", 0}, {"title = %@", 2},
           {"(title = %@", 1}, {"title like[d] %@", 1}, {"title = 'x'", 0}}) {
    std::vector<Value> args(static_cast<size_t>(n), Value{std::string("x")});
    EXPECT_THROW(Predicate::format(format, args), StoreError) << format;
  }
  EXPECT_THROW(Predicate::format("title like %@", {int64_t{1}}), StoreError);
}

// ---- In memory and in SQL -----------------------------------------------------------------------

const Date kNoon = Date(std::chrono::seconds(1'710'158'400));  // 2024-03-11 12:00 UTC
constexpr auto kDay = std::chrono::hours(24);

const ManagedObjectModel& recordModel() {
  auto make = [](const EntityDescription& e) { return std::make_shared<ManagedObject>(e); };
  static const ManagedObjectModel model(
      1, {EntityDescription{"Record",
                            {{"key", AttributeType::integer64},
                             {"title", AttributeType::string},
                             {"count", AttributeType::integer64},
                             {"weight", AttributeType::floatingPoint},
                             {"done", AttributeType::boolean},
                             {"due", AttributeType::date}},
                            {},
                            make}});
  return model;
}

struct Record {
  int64_t key;
  Value title, count, weight, done, due;
};

// Case and accent variants, the empty string, wildcard characters as text, and every field absent
// somewhere.
const std::vector<Record> kRecords = {
    {1, std::string("Crème brûlée"), int64_t{3}, 1.5, true, kNoon},
    {2, std::string("CRÈME BRÛLÉE"), int64_t{-1}, {}, false, {}},
    {3, std::string("creme brulee"), {}, 0.0, {}, kNoon + kDay},
    {4, std::string("Straße"), int64_t{0}, -2.25, false, kNoon - kDay},
    {5, std::string("STRASSE"), int64_t{7}, 1.5, true, kNoon},
    {6, std::string(""), int64_t{3}, {}, {}, {}},
    {7, {}, {}, {}, {}, {}},
    {8, std::string("a*b?c\\"), int64_t{0}, 0.0, true, kNoon - kDay},
    {9, std::string("Ωmega 😀"), int64_t{3}, 2.0, false, kNoon + kDay},
};

// Arguments per attribute: absent, and values the records hold or fall between.
const std::map<std::string, std::vector<Value>> kArguments = {
    {"title", {Value{}, std::string(""), std::string("Crème brûlée"), std::string("creme brulee"),
               std::string("STRASSE"), std::string("straße"), std::string("M")}},
    {"count", {Value{}, int64_t{-1}, int64_t{0}, int64_t{3}}},
    {"weight", {Value{}, 0.0, 1.5}},
    {"done", {Value{}, false, true}},
    {"due", {Value{}, kNoon, kNoon + std::chrono::seconds(1)}},
};

const std::vector<std::string> kLikePatterns = {"crème*", "CR?ME*",  "*brûlée", "straße", "*",
                                                "",       "\\*",     "*\\?c\\\\", "creme brulee", "3"};

std::string describe(const std::string& format, const std::vector<Value>& args) {
  std::ostringstream out;
  out << format << " with";
  for (const auto& a : args) {
    std::visit(
        [&](const auto& v) {
          using T = std::decay_t<decltype(v)>;
          if constexpr (std::is_same_v<T, std::monostate>) {
            out << " (absent)";
          } else if constexpr (std::is_same_v<T, Date>) {
            out << " " << v.time_since_epoch().count() << "us";
          } else if constexpr (std::is_same_v<T, std::string>) {
            out << " \"" << v << "\"";
          } else {
            out << " " << v;
          }
        },
        a);
  }
  return out.str();
}

// The same records twice: unsaved in one context (fetches evaluate in memory) and saved in another
// file, read by a context with no changes (fetches are answered by SQL alone).
class InMemoryAndSqlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    unsaved_ = ObjectContext::open(dir_.file("unsaved.sqlite"), recordModel());
    auto writer = ObjectContext::open(dir_.file("saved.sqlite"), recordModel());
    for (const Record& r : kRecords) {
      insert(*unsaved_, r);
      insert(*writer, r);
    }
    writer->save();
    saved_ = ObjectContext::open(dir_.file("saved.sqlite"), recordModel());
  }

  static void insert(ObjectContext& ctx, const Record& r) {
    auto o = std::make_shared<ManagedObject>(*recordModel().entity("Record"));
    ctx.insertObject(o);
    o->setValue("key", r.key);
    o->setValue("title", r.title);
    o->setValue("count", r.count);
    o->setValue("weight", r.weight);
    o->setValue("done", r.done);
    o->setValue("due", r.due);
  }

  static std::vector<int64_t> keys(ObjectContext& ctx, const FetchRequest& request) {
    std::vector<int64_t> out;
    for (auto& o : ctx.fetch(request)) out.push_back(std::get<int64_t>(o->value("key")));
    return out;
  }

  static FetchRequest request(const std::string& format, const std::vector<Value>& args) {
    FetchRequest r("Record");
    r.predicate = Predicate::format(format, args);
    r.sortDescriptors = {{"key", true}};
    return r;
  }

  // The keys matching in memory, after checking that SQL answers the same.
  std::vector<int64_t> agreed(const std::string& format, const std::vector<Value>& args) {
    const auto memory = keys(*unsaved_, request(format, args));
    EXPECT_EQ(memory, keys(*saved_, request(format, args))) << describe(format, args) << " (in memory, then SQL)";
    return memory;
  }

  testing::TempDir dir_;
  std::shared_ptr<ObjectContext> unsaved_, saved_;
};

TEST_F(InMemoryAndSqlTest, EveryOperatorOnEveryAttributeAgreesPlainAndNegated) {
  for (const auto& [key, arguments] : kArguments) {
    for (const char* op : {"=", "!=", "<", "<=", ">", ">="}) {
      for (const Value& arg : arguments) {
        agreed(key + " " + op + " %@", {arg});
        agreed("NOT " + key + " " + op + " %@", {arg});
      }
    }
    for (const char* op : {"LIKE", "LIKE[c]"}) {
      for (const std::string& pattern : kLikePatterns) {
        agreed(key + " " + op + " %@", {pattern});
        agreed("NOT " + key + " " + op + " %@", {pattern});
      }
    }
  }
}

TEST_F(InMemoryAndSqlTest, CompoundPredicatesAgree) {
  const std::vector<std::pair<std::string, std::vector<Value>>> cases = {
      {"due < %@ AND NOT title LIKE[c] %@", {kNoon + kDay, std::string("cr*")}},
      {"count >= %@ OR weight < %@", {int64_t{3}, 1.0}},
      {"NOT (count < %@ OR title = %@)", {int64_t{3}, Value{}}},
      {"NOT (done = %@) AND (due = %@ || title != %@)", {true, Value{}, std::string("STRASSE")}},
      {"NOT NOT count > %@", {int64_t{0}}},
      {"TRUEPREDICATE AND NOT FALSEPREDICATE AND weight != %@", {1.5}},
  };
  for (const auto& [format, args] : cases) agreed(format, args);
}

// What a person filtering expects, for the cases a fault would turn around.
TEST_F(InMemoryAndSqlTest, AbsentValuesMatchOnlyEqualityWithAbsentAndInequality) {
  using Keys = std::vector<int64_t>;
  // "Due before" and "due after" leave out what has no due date; so do LIKE and every ordering.
  EXPECT_EQ(agreed("due < %@", {kNoon + kDay}), (Keys{1, 4, 5, 8}));
  EXPECT_EQ(agreed("due > %@", {kNoon - kDay}), (Keys{1, 3, 5, 9}));
  EXPECT_EQ(agreed("count <= %@", {int64_t{0}}), (Keys{2, 4, 8}));
  EXPECT_EQ(agreed("title LIKE %@", {std::string("*")}), (Keys{1, 2, 3, 4, 5, 6, 8, 9}));
  // Its negation, and "not equal", take them in.
  EXPECT_EQ(agreed("NOT due < %@", {kNoon + kDay}), (Keys{2, 3, 6, 7, 9}));
  EXPECT_EQ(agreed("title != %@", {std::string("STRASSE")}), (Keys{1, 2, 3, 4, 6, 7, 8, 9}));
  EXPECT_EQ(agreed("count != %@", {int64_t{3}}), (Keys{2, 3, 4, 5, 7, 8}));
  EXPECT_EQ(agreed("title = %@", {Value{}}), (Keys{7}));
  EXPECT_EQ(agreed("title != %@", {Value{}}), (Keys{1, 2, 3, 4, 5, 6, 8, 9}));
  // Case folds under [c]; accents never do.
  EXPECT_EQ(agreed("title LIKE[c] %@", {std::string("crème brûlée")}), (Keys{1, 2}));
  EXPECT_EQ(agreed("title LIKE[c] %@", {std::string("straße")}), (Keys{4, 5}));
  EXPECT_EQ(agreed("title LIKE %@", {std::string("straße")}), (Keys{}));
}

TEST_F(InMemoryAndSqlTest, ArgumentTextNeverChangesTheQuery) {
  const std::string hostile = "x' OR 1=1; DROP TABLE \"Record\"; --";
  EXPECT_TRUE(agreed("title = %@ OR title LIKE %@", {hostile, hostile}).empty());
  EXPECT_EQ(keys(*saved_, FetchRequest("Record")).size(), kRecords.size());
}

TEST_F(InMemoryAndSqlTest, SortOrdersAgreeWithAbsentValuesFirst) {
  for (const auto& [key, arguments] : kArguments) {
    for (bool ascending : {true, false}) {
      FetchRequest r("Record");
      r.sortDescriptors = {{key, ascending}};
      const auto memory = keys(*unsaved_, r);
      EXPECT_EQ(memory, keys(*saved_, r)) << key << (ascending ? " ascending" : " descending");
      if (ascending && key == "count") {
        EXPECT_EQ(memory, (std::vector<int64_t>{3, 7, 2, 4, 8, 1, 6, 9, 5}));
      }
    }
  }
}

}  // namespace
}  // namespace zarvo::store
