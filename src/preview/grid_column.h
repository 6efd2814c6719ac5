#pragma once

#include <cstddef>
#include <vector>

#include "core/search_cluster.h"
#include "preview/grid_kernel.h"
#include "preview/grid_nodes_reference.h"
#include "preview/lattice_points.h"
#include "preview/preview_grid.h"

namespace zelvo {

// What the nodes of every column of one gridding share. Columns write only
// their own nodes, so any number of them may be gridded at once.
struct ColumnContext {
  const SearchCluster& cluster;
  const double* xs;  // the table's columns, by point index
  const double* ys;
  const double* us;
  const LatticePoints* streamed;  // the same in lattice order, when made
  DistanceLimits limits;
  std::vector<int> reachRows;
  int w;
  NodeGrid& grid;
  NodeSumGrid* nodeSums;
  const std::vector<int>* rows;  // the rows to estimate, ascending; null: every row

  int RowCount() const { return rows != nullptr ? static_cast<int>(rows->size()) : grid.ny; }
  // The row of the r-th node of a column to estimate.
  int Row(int r) const { return rows != nullptr ? (*rows)[static_cast<std::size_t>(r)] : r; }

  void Store(int i, int j, const NodeSums& sums) const {
    const std::size_t node = static_cast<std::size_t>(i) * grid.ny + j;
    grid.values[node] = sums.Value();
    if (nodeSums != nullptr) {
      nodeSums->S[node] = sums.S;
      nodeSums->T[node] = sums.T;
    }
  }
};

}  // namespace zelvo
