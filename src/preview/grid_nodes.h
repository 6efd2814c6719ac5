#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "core/result_table.h"
#include "core/search_cluster.h"
#include "preview/preview_grid.h"

namespace zelvo {

// Called after every completed node column; answering true stops the gridding.
using ColumnHook = std::function<bool()>;

// Inverse-distance estimate of one variable (a ResultTable column) at the node
// of every lattice cell, from the points within searchRadius in the cells
// within ceil(griddingRadius / s) of the node's cell (that many below, one
// fewer above). A node with no such point is blank. Nothing when the hook
// stopped it.
std::optional<NodeGrid> GridNodes(const SearchCluster& cluster, const ResultTable& results,
                                  int variable, double searchRadius, double griddingRadius,
                                  const ColumnHook& columnDone = {});

// The same estimate as one plain loop calling std::hypot for every point:
// the yardstick that GridNodes must match bit for bit, and the benchmark's
// reference.
NodeGrid GridNodesPlain(const SearchCluster& cluster, const ResultTable& results, int variable,
                        double searchRadius, double griddingRadius);

// The weighted sum S and the weight sum T of every node, as GridNodes and as
// the plain loop form them: the grid's values are S / T rounded to single
// precision, which hides nearly every difference in the last bits of the
// distances; the sums show them.
struct NodeSumGrid {
  std::vector<double> S;
  std::vector<double> T;
};
NodeSumGrid GridNodeSums(const SearchCluster& cluster, const ResultTable& results, int variable,
                         double searchRadius, double griddingRadius);
NodeSumGrid GridNodeSumsPlain(const SearchCluster& cluster, const ResultTable& results, int variable,
                              double searchRadius, double griddingRadius);

// Whether the distance kernel inlined into GridNodes gives exactly what the C
// library's hypot gives; GridNodes falls back to the library when not.
bool InlineHypotMatchesLibrary();

}  // namespace zelvo
