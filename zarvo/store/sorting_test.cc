#include "zarvo/store/sorting.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>

namespace zarvo::store {
namespace {

struct Item {
  int key;
  int id;  // position in the input
};

std::vector<Item> items(std::vector<int> keys) {
  std::vector<Item> out;
  for (size_t i = 0; i < keys.size(); ++i) out.push_back({keys[i], static_cast<int>(i)});
  return out;
}

TEST(StableSortedTest, StrictAndNonStrictOrderingsGiveTheSameStableResult) {
  std::mt19937 random(7);
  std::vector<int> keys(1000);
  for (auto& k : keys) k = static_cast<int>(random() % 10);
  auto strict = stableSorted(items(keys), [](const Item& a, const Item& b) { return a.key < b.key; });
  auto nonStrict = stableSorted(items(keys), [](const Item& a, const Item& b) { return a.key <= b.key; });
  auto expected = items(keys);
  std::stable_sort(expected.begin(), expected.end(), [](const Item& a, const Item& b) { return a.key < b.key; });
  ASSERT_EQ(strict.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(strict[i].id, expected[i].id);
    EXPECT_EQ(nonStrict[i].id, expected[i].id);
  }
}

TEST(StableSortedTest, AllEqualUnderLessOrEqualStaysInPlace) {
  // Under "<=" every pair answers true both ways: an unguarded insertion sort (std::sort's final
  // pass) walks off the front of such a range.
  auto sorted = stableSorted(items(std::vector<int>(5000, 1)), [](const Item& a, const Item& b) { return a.key <= b.key; });
  for (size_t i = 0; i < sorted.size(); ++i) EXPECT_EQ(sorted[i].id, static_cast<int>(i));
}

TEST(StableSortedTest, ContradictoryComparatorStillYieldsAPermutationInBoundedTime) {
  std::mt19937 random(11);
  size_t calls = 0;
  const size_t n = 4096;
  auto sorted = stableSorted(items(std::vector<int>(n, 0)), [&](const Item&, const Item&) {
    ++calls;
    return (random() & 1) != 0;  // answers at random, even for the same pair
  });
  std::vector<int> ids;
  for (auto& s : sorted) ids.push_back(s.id);
  std::sort(ids.begin(), ids.end());
  for (size_t i = 0; i < n; ++i) ASSERT_EQ(ids[i], static_cast<int>(i));
  EXPECT_LE(calls, 2 * n * 12);  // two calls per merge step, log2(4096) = 12 passes
}

TEST(StableSortedTest, MoveOnlyAndSmallInputs) {
  std::vector<std::unique_ptr<int>> v;
  for (int k : {3, 1, 2}) v.push_back(std::make_unique<int>(k));
  auto sorted = stableSorted(std::move(v), [](const auto& a, const auto& b) { return *a < *b; });
  EXPECT_EQ(*sorted[0], 1);
  EXPECT_EQ(*sorted[2], 3);
  EXPECT_TRUE(stableSorted(std::vector<int>{}, std::less<int>()).empty());
}

}  // namespace
}  // namespace zarvo::store
