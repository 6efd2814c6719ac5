#pragma once

#include <cstdint>

#include "io/result_table.h"
#include "core/search_cluster.h"
#include "preview/column_runner.h"
#include "preview/preview_grid.h"

namespace zelvo {

// One gridding: the variable (a ResultTable column) estimated at the node of
// every lattice cell.
struct GriddingJob {
  const SearchCluster* cluster = nullptr;
  const ResultTable* results = nullptr;
  int variable = kColQuantity;
  double searchRadius = 0.0;    // R
  double griddingRadius = 0.0;  // G
  // The node columns are split over this many threads.
  int threads = 1;
  // The node grid and the gridding's copy of the points must fit in this.
  std::uint64_t memoryBudget = DefaultLatticeBudget();
  // Where set, only these nodes are estimated (a pane reads no others); the
  // grid is the whole grid still, every other node blank.
  const NodeSelection* only = nullptr;
};

inline constexpr int kGridMade = 0;
inline constexpr int kGridStopped = 1;
inline constexpr int kGridTooLarge = 2;

// Inverse-distance estimate of one variable at the node of every lattice
// cell, from the points within searchRadius in the cells within
// ceil(griddingRadius / s) of the node's cell (that many below, one fewer
// above). A node with no such point is blank. kGridMade with the grid made;
// kGridStopped when the hook stopped it; kGridTooLarge, nothing allocated,
// when the grid (as large as the lattice) would not fit in the budget.
int GridNodes(const GriddingJob& job, NodeGrid& grid, const ColumnHook& columnDone = {});

// The same on one thread under DefaultLatticeBudget().
int GridNodes(const SearchCluster& cluster, const ResultTable& results, int variable,
              double searchRadius, double griddingRadius, NodeGrid& grid,
              const ColumnHook& columnDone = {});

}  // namespace zelvo
