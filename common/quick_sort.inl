#pragma once
// Included by common/nembus_common.h.
#include <utility>
#include <vector>

namespace gildex {

namespace quick_sort_detail {

// Basic checks every subscript; a bound outside the array fails before anything moves,
// because the pivot and both ends are read before the first swap.
template <class T>
T& At(std::vector<T>& items, int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= items.size()) throw VbError(9, "Subscript out of range");
  return items[static_cast<std::size_t>(index)];
}

// (first + last) / 2 as Basic rounds it when a real number goes into an integer
// index: halves go to the even neighbour (1..4 gives 2, 0..3 gives 2).
inline int MiddleIndex(int first, int last) {
  const long long sum = static_cast<long long>(first) + last;
  long long half = sum >= 0 ? sum / 2 : -((-sum + 1) / 2);  // floor(sum / 2)
  if (sum % 2 != 0 && half % 2 != 0) ++half;
  return static_cast<int>(half);
}

}  // namespace quick_sort_detail

template <class T>
void QuickSort(std::vector<T>& items, int first, int last) {
  using quick_sort_detail::At;
  const T pivot = At(items, quick_sort_detail::MiddleIndex(first, last));
  int i = first;
  int j = last;
  while (i <= j) {
    // Both conditions are evaluated on every step, as Basic's And does, so an index
    // outside the array is reported even where the bound test alone would stop.
    for (;;) {
      const bool inside = i < last;
      const bool smaller = At(items, i) < pivot;
      if (!(inside && smaller)) break;
      ++i;
    }
    for (;;) {
      const bool inside = j > first;
      const bool larger = pivot < At(items, j);
      if (!(inside && larger)) break;
      --j;
    }
    if (i <= j) {
      std::swap(At(items, i), At(items, j));
      ++i;
      --j;
    }
  }
  if (first < j) QuickSort(items, first, j);
  if (i < last) QuickSort(items, i, last);
}

}  // namespace gildex
