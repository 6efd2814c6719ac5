#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "core/search_cluster.h"

namespace zelvo {

// The cells a node visits: the cell columns and rows within the window's
// half-width w of its own cell (w below, w - 1 above), and within each column
// only the rows that can hold a point within R.

// The cell window's half-width ceil(G / s), kept within what the lattice can
// use so that it always converts; a gridding radius left unset means R.
int WindowHalfWidth(const SearchCluster& cluster, double R, double G);

inline int LowBound(int index, int w) { return std::max(0, index - w); }
inline int HighBound(int index, int w, int count) {
  return static_cast<int>(std::min<std::int64_t>(count, static_cast<std::int64_t>(index) + w));
}

// For every column distance di = |i - k| within the window, how many rows
// either side of the node's row can hold a point within R, -1 for none.
std::vector<int> RowReaches(const SearchCluster& cluster, int w, double R);

inline int RowReach(const std::vector<int>& reaches, int i, int k) {
  return reaches[static_cast<std::size_t>(std::abs(i - k))];
}

// The visited rows of one node in one cell column: the half-open window
// [lo, hi), narrowed to the rows that can hold a point within R.
struct RowSpan {
  int lo = 0;
  int hi = 0;
};

inline RowSpan NodeRows(int j, int w, int ny, int reach) {
  const int jLo = LowBound(j, w);
  const int jHi = HighBound(j, w, ny);
  RowSpan span;
  span.lo = std::max(jLo, j - reach);
  span.hi = static_cast<int>(std::min<std::int64_t>(jHi, static_cast<std::int64_t>(j) + reach + 1));
  return span;
}

}  // namespace zelvo
