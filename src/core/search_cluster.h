#pragma once

#include <cstdint>
#include <vector>

namespace zelvo {

// Half-open ranges of cell columns and rows.
// Which way Build keeps the cells; kChosen decides by their count per point.
enum class LatticeLayout { kChosen, kDense, kSparse };

struct CellRange {
  int iLo = 0, iHi = 0;
  int jLo = 0, jHi = 0;
};

// A lattice of square cells of side s with its origin at the data's minima;
// cell (i, j) has the key i * ny + j and lists, ascending, the points whose
// nearest node (xmin + i*s, ymin + j*s) it is. The lists are kept as one index
// array in key order. Where the cells are few beside the points, an offset per
// cell finds a list at once (4 bytes per cell); where most cells are empty,
// only the occupied cells are kept, their keys sorted beside their offsets, so
// that memory follows the points and not the area they span.
class SearchCluster {
 public:
  double s = 0.0;
  double xmin = 0.0, ymin = 0.0;
  int nx = 0, ny = 0;

  bool Empty() const { return cellStart_.empty() && occupiedStart_.empty(); }
  // Whether only the occupied cells are kept; a run then costs a search.
  bool Sparse() const { return !occupiedStart_.empty(); }
  void Release();

  int CellColumn(double x) const;
  int CellRow(double y) const;
  // The cells that the square of half-width r around (x0, y0) touches.
  CellRange CellWindow(double x0, double y0, double r) const;

  const std::int32_t* CellBegin(int i, int j) const { return pointIndex_.data() + FirstAtOrAfter(i, j); }
  const std::int32_t* CellEnd(int i, int j) const { return pointIndex_.data() + FirstAtOrAfter(i, j + 1); }
  // The cells of column i, rows jLo .. jHi-1, are contiguous in the index array.
  const std::int32_t* ColumnRunBegin(int i, int jLo) const { return CellBegin(i, jLo); }
  const std::int32_t* ColumnRunEnd(int i, int jHi) const {
    return pointIndex_.data() + FirstAtOrAfter(i, jHi);
  }

  // The runs of rows jLo .. jHi-1 in the columns iLo .. iHi-1, as places in
  // LatticeOrder: column i's run is begin[(i - iLo) * stride] up to
  // end[(i - iLo) * stride].
  void ColumnRuns(int iLo, int iHi, int jLo, int jHi, std::int64_t* begin, std::int64_t* end,
                  int stride) const;

  // Every point once, cell by cell in visiting order (i ascending, then j,
  // then each cell's ascending list): chunks of it keep neighbours together.
  const std::int32_t* LatticeOrder() const { return pointIndex_.data(); }
  int LatticeOrderSize() const { return static_cast<int>(pointIndex_.size()); }

  // Calls visit(k) for every point of the window: i ascending, then j, then
  // the cell's list order. Within one column the cells jLo .. jHi-1 follow each
  // other in the index array, so one run visits them in j order.
  template <typename Visit>
  void ForEachInWindow(const CellRange& window, Visit visit) const {
    for (int i = window.iLo; i < window.iHi; ++i) {
      const std::int32_t* end = ColumnRunEnd(i, window.jHi);
      for (const std::int32_t* p = ColumnRunBegin(i, window.jLo); p < end; ++p) visit(*p);
    }
  }

  // Lays the lattice over the points: kLatticeBuilt, or (nothing kept)
  // kLatticeTooLarge when it exceeds the memory budget or a 32-bit cell
  // count, kPointOutsideLattice when a point lies outside the given extent.
  int Build(const double* x, const double* y, int n, double cellSize, double xmin,
             double xmax, double ymin, double ymax, std::uint64_t memoryBudgetBytes,
             LatticeLayout layout = LatticeLayout::kChosen);

 private:
  // Where in the index array the points of cell (i, j) and all later cells
  // begin; row ny of a column is row 0 of the next.
  std::uint32_t FirstAtOrAfter(int i, int j) const {
    const std::uint32_t key = static_cast<std::uint32_t>(i) * static_cast<std::uint32_t>(ny) +
                              static_cast<std::uint32_t>(j);
    if (!cellStart_.empty()) return cellStart_[key];
    return OccupiedFirstAtOrAfter(key);
  }
  std::uint32_t OccupiedFirstAtOrAfter(std::uint32_t key) const;
  int BuildDense(const double* x, const double* y, int n, std::uint64_t cells);
  int BuildSparse(const double* x, const double* y, int n);

  std::vector<std::uint32_t> cellStart_;  // dense: nx*ny + 1 offsets into pointIndex_
  std::vector<std::uint32_t> occupiedKey_;    // sparse: the occupied cells' keys, ascending
  std::vector<std::uint32_t> occupiedStart_;  // sparse: their offsets, and then n
  std::vector<std::int32_t> pointIndex_;
};

// Up to this many cells per point (plus a few) the lattice keeps an offset
// for every cell: the gridding walks every node and wants a run at once.
inline constexpr std::uint64_t kDenseCellsPerPoint = 16;
inline constexpr std::uint64_t kDenseCellsAlways = 65536;

inline constexpr int kLatticeBuilt = 0;
inline constexpr int kLatticeTooLarge = 1;
inline constexpr int kPointOutsideLattice = 2;

// A quarter of the physical memory: with overcommit a larger allocation may
// appear to succeed and the process be killed later.
std::uint64_t DefaultLatticeBudget();

inline constexpr const char* kClusterMemoryMessage =
    "Insufficent memory for creting temporary cluster. Increase radius for search!";

}  // namespace zelvo
