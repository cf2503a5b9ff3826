// Sorting with orderings that need not be strict weak orderings.
//
// std::sort and std::stable_sort require a strict weak ordering; given "less than or equal", or an
// ordering that contradicts itself, they may read outside the range or never finish. The task sorters
// include such orderings (ascending sorters answer true for equal keys), so they are sorted here.
//
// stableSorted treats `goesBefore(b, a)` as "b must move ahead of a" only when `goesBefore(a, b)` is
// false, i.e. it sorts by the strict part of the relation. Consequences:
//   - A strict ordering (a < b) and its non-strict twin (a <= b) give the same, stable result.
//   - Any comparator, however inconsistent, yields a permutation of the input after O(n log n)
//     comparisons, with no out-of-range access.
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

namespace zarvo::store {

// A new vector holding `items` ordered by `goesBefore` (a binary predicate on two elements); elements
// that neither strictly precedes keep their relative order.
template <class T, class GoesBefore>
std::vector<T> stableSorted(std::vector<T> items, GoesBefore goesBefore) {
  const size_t n = items.size();
  if (n < 2) return items;
  std::vector<T> buffer(n);
  std::vector<T>* from = &items;
  std::vector<T>* to = &buffer;
  // Bottom-up merge sort: every index is computed from the run bounds, never from comparator answers.
  for (size_t width = 1; width < n; width *= 2) {
    for (size_t lo = 0; lo < n; lo += 2 * width) {
      const size_t mid = lo + width < n ? lo + width : n;
      const size_t hi = lo + 2 * width < n ? lo + 2 * width : n;
      size_t i = lo, j = mid, k = lo;
      while (i < mid && j < hi) {
        const T& left = (*from)[i];
        const T& right = (*from)[j];
        // (Evaluated in this order, the second call is needed only when the first answers true.)
        const bool rightFirst = goesBefore(right, left) && !goesBefore(left, right);
        (*to)[k++] = std::move(rightFirst ? (*from)[j++] : (*from)[i++]);
      }
      while (i < mid) (*to)[k++] = std::move((*from)[i++]);
      while (j < hi) (*to)[k++] = std::move((*from)[j++]);
    }
    std::swap(from, to);
  }
  return std::move(*from);
}

}  // namespace zarvo::store
