#pragma once

#include <functional>

#include "io/result_table.h"
#include "core/search_cluster.h"
#include "preview/preview_grid.h"

namespace zelvo {

// Called after every completed node column; answering true stops the gridding.
using ColumnHook = std::function<bool()>;

// Inverse-distance estimate of one variable (a ResultTable column) at the node
// of every lattice cell, from the points within searchRadius in the cells
// within ceil(griddingRadius / s) of the node's cell (that many below, one
// fewer above). A node with no such point is blank. 0 with the grid made;
// 1 when the hook stopped it.
int GridNodes(const SearchCluster& cluster, const ResultTable& results, int variable,
              double searchRadius, double griddingRadius, NodeGrid& grid,
              const ColumnHook& columnDone = {});

}  // namespace zelvo
