#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "io/result_table.h"
#include "core/search_cluster.h"
#include "preview/preview_grid.h"

namespace zelvo {

// Called after every completed node column; answering true stops the gridding.
using ColumnHook = std::function<bool()>;

// The fast paths GridNodes may take; each gives the plain loop's sums bit for
// bit, and a test turns each off to hold the other to that. The two-node
// lanes exist on SSE2 machines only; elsewhere the scalar loop runs.
struct GriddingPaths {
  bool twoNodeLanes = true;  // two nodes of a column side by side in vector lanes
  bool inlineHypot = true;   // the inlined distance, when it matches the library
};

// Inverse-distance estimate of one variable (a ResultTable column) at the node
// of every lattice cell, from the points within searchRadius in the cells
// within ceil(griddingRadius / s) of the node's cell (that many below, one
// fewer above). A node with no such point is blank. Nothing when the hook
// stopped it.
std::optional<NodeGrid> GridNodes(const SearchCluster& cluster, const ResultTable& results,
                                  int variable, double searchRadius, double griddingRadius,
                                  const ColumnHook& columnDone = {},
                                  const GriddingPaths& paths = {});

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
                         double searchRadius, double griddingRadius,
                         const GriddingPaths& paths = {});
NodeSumGrid GridNodeSumsPlain(const SearchCluster& cluster, const ResultTable& results, int variable,
                              double searchRadius, double griddingRadius);

// Whether the distance kernel inlined into GridNodes gives exactly what the C
// library's hypot gives; GridNodes falls back to the library when not.
bool InlineHypotMatchesLibrary();

}  // namespace zelvo
