#pragma once

#include <cstdint>
#include <vector>

namespace zelvo {

// Half-open ranges of cell columns and rows.
struct CellRange {
  int iLo = 0, iHi = 0;
  int jLo = 0, jHi = 0;
};

// A lattice of square cells of side s with its origin at the data's minima;
// cell (i, j) is stored at i * ny + j and lists, ascending, the points whose
// nearest node (xmin + i*s, ymin + j*s) it is. The lists are kept as one index
// array with an offset per cell, which keeps their order at 4 bytes per cell
// plus 4 per point.
class SearchCluster {
 public:
  double s = 0.0;
  double xmin = 0.0, ymin = 0.0;
  int nx = 0, ny = 0;

  bool Empty() const { return cellStart_.empty(); }
  void Release();

  int CellColumn(double x) const;
  int CellRow(double y) const;
  // The cells that the square of half-width r around (x0, y0) touches.
  CellRange CellWindow(double x0, double y0, double r) const;

  const std::int32_t* CellBegin(int i, int j) const {
    return pointIndex_.data() + cellStart_[static_cast<std::size_t>(i) * ny + j];
  }
  const std::int32_t* CellEnd(int i, int j) const {
    return pointIndex_.data() + cellStart_[static_cast<std::size_t>(i) * ny + j + 1];
  }
  // The cells of column i, rows jLo .. jHi-1, are contiguous in the index array.
  const std::int32_t* ColumnRunBegin(int i, int jLo) const { return CellBegin(i, jLo); }
  const std::int32_t* ColumnRunEnd(int i, int jHi) const {
    return pointIndex_.data() + cellStart_[static_cast<std::size_t>(i) * ny + jHi];
  }

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
             double xmax, double ymin, double ymax, std::uint64_t memoryBudgetBytes);

 private:
  std::vector<std::uint32_t> cellStart_;  // nx*ny + 1 offsets into pointIndex_
  std::vector<std::int32_t> pointIndex_;
};

inline constexpr int kLatticeBuilt = 0;
inline constexpr int kLatticeTooLarge = 1;
inline constexpr int kPointOutsideLattice = 2;

// A quarter of the physical memory: with overcommit a larger allocation may
// appear to succeed and the process be killed later.
std::uint64_t DefaultLatticeBudget();

inline constexpr const char* kClusterMemoryMessage =
    "Insufficent memory for creting temporary cluster. Increase radius for search!";

}  // namespace zelvo
