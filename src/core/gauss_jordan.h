#pragma once

namespace zelvo {

// One step of Gauss-Jordan elimination on the diagonal: row i divided by its
// pivot, then taken from every other row. Written once for a double and for
// a vector of lanes, so that each lane does a double's operations in the same
// order and so gives its bits.
template <typename T, typename Count>
[[gnu::always_inline]] inline void EliminateOnPivot(T A[3][3], T r[3], int i, Count n) {
  const T p = A[i][i];
  for (int k = 0; k < n; ++k) A[i][k] /= p;
  r[i] /= p;
  for (int j = 0; j < n; ++j) {
    if (j == i) continue;
    const T f = A[j][i];
    for (int k = 0; k < n; ++k) A[j][k] -= A[i][k] * f;
    r[j] -= r[i] * f;
  }
}

}  // namespace zelvo
