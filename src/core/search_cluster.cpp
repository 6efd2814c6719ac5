#include "core/search_cluster.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <new>
#include <unistd.h>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "base/large_pages.h"

namespace zelvo {
namespace {

// static_cast<int>(std::floor(position)). Without SSE4.1, which a build for
// any x86-64 may not assume, the library's floor is a call; the lattice takes
// two for every point it lays and every cell it looks up.
int FlooredToInt(double position) {
  if (position > -2147483648.0 && position < 2147483647.0) {
    const int towardZero = static_cast<int>(position);
    return towardZero - (static_cast<double>(towardZero) > position);
  }
  return static_cast<int>(std::floor(position));
}

// A bound converted to an index, clamped to [0, limit] before the conversion.
int ClampedIndex(double bound, int limit) {
  if (!(bound > 0.0)) return 0;
  if (bound >= static_cast<double>(limit)) return limit;
  return static_cast<int>(bound);
}

// Whether a position in cells, as CellColumn and CellRow floor it, names one
// of count cells; decided before any conversion, so NaN and huge values fail.
bool WithinCells(double position, int count) {
  // The floor of a position lies in [0, count) exactly when the position
  // does, count being whole: no floor need be taken.
  return position >= 0.0 && position < static_cast<double>(count);
}

}  // namespace

void SearchCluster::Release() {
  std::vector<std::uint32_t>().swap(cellStart_);
  std::vector<std::uint32_t>().swap(occupiedKey_);
  std::vector<std::uint32_t>().swap(occupiedStart_);
  std::vector<std::int32_t>().swap(pointIndex_);
  nx = 0;
  ny = 0;
}

int SearchCluster::CellColumn(double x) const {
  return FlooredToInt((x - xmin + s * 0.5) / s);
}

int SearchCluster::CellRow(double y) const {
  return FlooredToInt((y - ymin + s * 0.5) / s);
}

#if defined(__x86_64__)
namespace {

// CellWindow's four bounds as the lanes of one vector, each lane doing the
// scalar bound's operations in their order (x0 + r is x0 - (-r) exactly): one
// division and two roundings instead of four divisions and four calls of
// the library's floor and ceil, for every point a fit is made at.
[[gnu::target("avx")]] CellRange CellWindowAvx(const SearchCluster& cluster, double x0, double y0,
                                               double r) {
  const __m256d centre = _mm256_setr_pd(x0, y0, x0, y0);
  const __m256d reach = _mm256_setr_pd(r, r, -r, -r);
  const __m256d origin = _mm256_setr_pd(cluster.xmin, cluster.ymin, cluster.xmin, cluster.ymin);
  const __m256d half = _mm256_set1_pd(cluster.s * 0.5);
  const __m256d cells = _mm256_div_pd(
      _mm256_add_pd(_mm256_sub_pd(_mm256_sub_pd(centre, reach), origin), half),
      _mm256_set1_pd(cluster.s));
  const __m256d bound = _mm256_blend_pd(_mm256_floor_pd(cells), _mm256_ceil_pd(cells), 0b1100);
  // ClampedIndex in every lane: max gives its second operand, 0, for NaN and
  // for anything not above 0; min then caps at the count; what is left is
  // whole and converts exactly.
  const __m256d counts = _mm256_setr_pd(cluster.nx, cluster.ny, cluster.nx, cluster.ny);
  const __m128i index = _mm256_cvttpd_epi32(
      _mm256_min_pd(_mm256_max_pd(bound, _mm256_setzero_pd()), counts));
  // Lanes x-low, y-low, x-high, y-high into the order iLo, iHi, jLo, jHi.
  return std::bit_cast<CellRange>(_mm_shuffle_epi32(index, _MM_SHUFFLE(3, 1, 2, 0)));
}

}  // namespace
#endif

CellRange SearchCluster::CellWindow(double x0, double y0, double r) const {
#if defined(__x86_64__)
  if (__builtin_cpu_supports("avx")) return CellWindowAvx(*this, x0, y0, r);
#endif
  const double half = s * 0.5;
  CellRange range;
  range.iLo = ClampedIndex(std::floor((x0 - r - xmin + half) / s), nx);
  range.jLo = ClampedIndex(std::floor((y0 - r - ymin + half) / s), ny);
  range.iHi = ClampedIndex(std::ceil((x0 + r - xmin + half) / s), nx);
  range.jHi = ClampedIndex(std::ceil((y0 + r - ymin + half) / s), ny);
  return range;
}

namespace {

// The cell keys of points k .. n-1 (i * ny + j, i and j the floors of the
// positions in cells), or false at a point outside the lattice.
bool KeysFrom(const SearchCluster& cluster, const double* x, const double* y, int k, int n,
              std::uint32_t* keys) {
  const double half = cluster.s * 0.5;
  for (; k < n; ++k) {
    const double column = (x[k] - cluster.xmin + half) / cluster.s;
    const double row = (y[k] - cluster.ymin + half) / cluster.s;
    if (!WithinCells(column, cluster.nx) || !WithinCells(row, cluster.ny)) return false;
    // Within the cells a position is not negative: its floor is its truncation.
    keys[k] = static_cast<std::uint32_t>(static_cast<int>(column)) *
                  static_cast<std::uint32_t>(cluster.ny) +
              static_cast<std::uint32_t>(static_cast<int>(row));
  }
  return true;
}

#if defined(__x86_64__)
// KeysFrom four points at a time, each lane doing the scalar operations in
// their order: one division for four positions instead of one for each.
[[gnu::target("avx")]] bool KeysAvx(const SearchCluster& cluster, const double* x,
                                    const double* y, int n, std::uint32_t* keys) {
  const __m256d xmin = _mm256_set1_pd(cluster.xmin);
  const __m256d ymin = _mm256_set1_pd(cluster.ymin);
  const __m256d half = _mm256_set1_pd(cluster.s * 0.5);
  const __m256d side = _mm256_set1_pd(cluster.s);
  const __m256d zero = _mm256_setzero_pd();
  const __m256d columns = _mm256_set1_pd(static_cast<double>(cluster.nx));
  const __m256d rows = _mm256_set1_pd(static_cast<double>(cluster.ny));
  const __m128i rowsPerColumn = _mm_set1_epi32(cluster.ny);
  int k = 0;
  for (; k + 4 <= n; k += 4) {
    const __m256d column =
        _mm256_div_pd(_mm256_add_pd(_mm256_sub_pd(_mm256_loadu_pd(x + k), xmin), half), side);
    const __m256d row =
        _mm256_div_pd(_mm256_add_pd(_mm256_sub_pd(_mm256_loadu_pd(y + k), ymin), half), side);
    const __m256d inside = _mm256_and_pd(
        _mm256_and_pd(_mm256_cmp_pd(column, zero, _CMP_GE_OQ), _mm256_cmp_pd(column, columns, _CMP_LT_OQ)),
        _mm256_and_pd(_mm256_cmp_pd(row, zero, _CMP_GE_OQ), _mm256_cmp_pd(row, rows, _CMP_LT_OQ)));
    if (_mm256_movemask_pd(inside) != 0xf) return false;
    const __m128i key = _mm_add_epi32(_mm_mullo_epi32(_mm256_cvttpd_epi32(column), rowsPerColumn),
                                      _mm256_cvttpd_epi32(row));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(keys + k), key);
  }
  return KeysFrom(cluster, x, y, k, n, keys);
}
#endif

bool CellKeys(const SearchCluster& cluster, const double* x, const double* y, int n,
              std::uint32_t* keys) {
#if defined(__x86_64__)
  if (__builtin_cpu_supports("avx")) return KeysAvx(cluster, x, y, n, keys);
#endif
  return KeysFrom(cluster, x, y, 0, n, keys);
}

// The keys of the points are made a block at a time, as each pass over them
// needs them: kept for every point at once they would raise a run's peak.
constexpr int kKeyBlock = 256;

struct KeyBlock {
  int first = 0;
  int count = 0;
  std::uint32_t keys[kKeyBlock];
};

// Calls use(block) for the blocks of points 0 .. n-1, the first block first
// or the last first; false, at once, at a block with a point outside the
// lattice.
template <typename Use>
bool ForEachKeyBlock(const SearchCluster& cluster, const double* x, const double* y, int n,
                     bool lastFirst, Use use) {
  KeyBlock block;
  const int blocks = (n + kKeyBlock - 1) / kKeyBlock;
  for (int b = 0; b < blocks; ++b) {
    block.first = (lastFirst ? blocks - 1 - b : b) * kKeyBlock;
    block.count = std::min(kKeyBlock, n - block.first);
    if (!CellKeys(cluster, x + block.first, y + block.first, block.count, block.keys)) {
      return false;
    }
    use(block);
  }
  return true;
}

}  // namespace

int SearchCluster::Build(const double* x, const double* y, int n, double cellSize,
                          double xMinimum, double xMaximum, double yMinimum,
                          double yMaximum, std::uint64_t memoryBudgetBytes,
                          LatticeLayout layout) {
  Release();
  s = cellSize;
  xmin = xMinimum;
  ymin = yMinimum;
  const double columns = std::floor((xMaximum - xMinimum + s * 0.5) / s) + 1.0;
  const double rows = std::floor((yMaximum - yMinimum + s * 0.5) / s) + 1.0;
  constexpr double kMaxCount = std::numeric_limits<std::int32_t>::max();
  if (!(s > 0.0) || !std::isfinite(s) || !(columns >= 1.0 && columns <= kMaxCount) ||
      !(rows >= 1.0 && rows <= kMaxCount) || columns * rows > kMaxCount) {
    return kLatticeTooLarge;
  }
  const std::uint64_t cells = static_cast<std::uint64_t>(columns) * static_cast<std::uint64_t>(rows);
  const std::uint64_t points = static_cast<std::uint64_t>(n);
  const bool dense = layout == LatticeLayout::kChosen
                         ? cells <= kDenseCellsPerPoint * points + kDenseCellsAlways
                         : layout == LatticeLayout::kDense;
  // Sparse: the sort keys, then an index, a key and an offset per point at most.
  const std::uint64_t bytes = dense ? (cells + 1) * sizeof(std::uint32_t) + points * 4
                                    : points * (8 + 4 + 8) + 4;
  if (bytes > memoryBudgetBytes) return kLatticeTooLarge;
  nx = static_cast<int>(columns);
  ny = static_cast<int>(rows);
  // A point outside the extent would be counted outside the cell array.
  if (!ForEachKeyBlock(*this, x, y, n, false, [](const KeyBlock&) {})) {
    Release();
    return kPointOutsideLattice;
  }
  try {
    return dense ? BuildDense(x, y, n, cells) : BuildSparse(x, y, n);
  } catch (const std::bad_alloc&) {
    Release();
    return kLatticeTooLarge;
  }
}

// Counting sort by cell: counts, running ends, then placement from the last
// point back, which turns every end into its cell's start and keeps every
// cell's list ascending.
int SearchCluster::BuildDense(const double* x, const double* y, int n, std::uint64_t cells) {
  ReserveOnLargePages(cellStart_, cells + 1);
  cellStart_.assign(cells + 1, 0);
  ReserveOnLargePages(pointIndex_, static_cast<std::size_t>(n));
  pointIndex_.resize(static_cast<std::size_t>(n));
  ForEachKeyBlock(*this, x, y, n, false, [&](const KeyBlock& block) {
    for (int m = 0; m < block.count; ++m) ++cellStart_[block.keys[m]];
  });
  for (std::size_t c = 1; c < cells; ++c) cellStart_[c] += cellStart_[c - 1];
  cellStart_[cells] = static_cast<std::uint32_t>(n);
  ForEachKeyBlock(*this, x, y, n, true, [&](const KeyBlock& block) {
    for (int m = block.count - 1; m >= 0; --m) {
      pointIndex_[--cellStart_[block.keys[m]]] = block.first + m;
    }
  });
  return kLatticeBuilt;
}

// Sorting (key, index) pairs keeps every cell's list ascending as well.
int SearchCluster::BuildSparse(const double* x, const double* y, int n) {
  std::vector<std::uint64_t> keyed(static_cast<std::size_t>(n));
  ForEachKeyBlock(*this, x, y, n, false, [&](const KeyBlock& block) {
    for (int m = 0; m < block.count; ++m) {
      const int k = block.first + m;
      keyed[static_cast<std::size_t>(k)] =
          (static_cast<std::uint64_t>(block.keys[m]) << 32) | static_cast<std::uint32_t>(k);
    }
  });
  std::sort(keyed.begin(), keyed.end());
  std::size_t occupied = 0;
  for (std::size_t t = 0; t < keyed.size(); ++t) {
    occupied += t == 0 || (keyed[t] >> 32) != (keyed[t - 1] >> 32);
  }
  pointIndex_.resize(keyed.size());
  occupiedKey_.reserve(occupied);
  occupiedStart_.reserve(occupied + 1);
  for (std::size_t t = 0; t < keyed.size(); ++t) {
    const auto key = static_cast<std::uint32_t>(keyed[t] >> 32);
    if (occupiedKey_.empty() || occupiedKey_.back() != key) {
      occupiedKey_.push_back(key);
      occupiedStart_.push_back(static_cast<std::uint32_t>(t));
    }
    pointIndex_[t] = static_cast<std::int32_t>(keyed[t] & 0xffffffffu);
  }
  occupiedStart_.push_back(static_cast<std::uint32_t>(keyed.size()));
  return kLatticeBuilt;
}

void SearchCluster::ColumnRuns(int iLo, int iHi, int jLo, int jHi, std::int64_t* begin,
                               std::int64_t* end, int stride) const {
  if (cellStart_.empty()) {
    for (int i = iLo; i < iHi; ++i, begin += stride, end += stride) {
      *begin = FirstAtOrAfter(i, jLo);
      *end = FirstAtOrAfter(i, jHi);
    }
    return;
  }
  // Cell (i, j) has the key i * ny + j: one column's offsets lie ny past the
  // last's, and row ny of a column is row 0 of the next.
  const std::uint32_t* start =
      cellStart_.data() + static_cast<std::uint32_t>(iLo) * static_cast<std::uint32_t>(ny);
  // Windows that follow each other in a sweep move up their columns a few
  // rows at a time, and a column lies too far from the next for the
  // processor to see the pattern: the rows a window will reach next are
  // fetched ahead.
  constexpr int kRowsAhead = 16;
  const int lowAhead = std::min(jLo + kRowsAhead, ny);
  const int highAhead = std::min(jHi + kRowsAhead, ny);
  for (int i = iLo; i < iHi; ++i, begin += stride, end += stride, start += ny) {
    __builtin_prefetch(start + lowAhead);
    __builtin_prefetch(start + highAhead);
    *begin = start[jLo];
    *end = start[jHi];
  }
}

std::uint32_t SearchCluster::OccupiedFirstAtOrAfter(std::uint32_t key) const {
  const auto at = std::lower_bound(occupiedKey_.begin(), occupiedKey_.end(), key);
  return occupiedStart_[static_cast<std::size_t>(at - occupiedKey_.begin())];
}

std::uint64_t DefaultLatticeBudget() {
  const long pages = sysconf(_SC_PHYS_PAGES);
  const long pageSize = sysconf(_SC_PAGE_SIZE);
  if (pages <= 0 || pageSize <= 0) return std::uint64_t{1} << 32;
  // A quarter: the previews' node grid takes as much again as the lattice's
  // offsets, and the machine's other programs need the rest.
  return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize) / 4;
}

}  // namespace zelvo
