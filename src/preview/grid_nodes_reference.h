#pragma once

// What holds GridNodes to its yardstick: the plain loop, and the sums behind
// the values with each fast path settable.

#include <vector>

#include "io/result_table.h"
#include "core/search_cluster.h"
#include "preview/grid_nodes.h"
#include "preview/preview_grid.h"

namespace zelvo {

// The fast paths GridNodes may take; each gives the plain loop's sums bit for
// bit, and a test turns each off to hold the others to that. The four-node
// lanes run on AVX2 processors, the two-node lanes on SSE2 builds; elsewhere
// the next one down, and last the scalar loop, runs.
struct GriddingPaths {
  bool fourNodeLanes = true;  // four nodes of a column side by side over streamed points
  bool twoNodeLanes = true;   // two nodes of a column side by side in vector lanes
  bool inlineHypot = true;    // the inlined distance, when it matches the library
};

// The same estimate as GridNodes as one plain loop calling std::hypot for
// every point: the yardstick that GridNodes must match bit for bit, and the
// benchmark's reference.
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
NodeSumGrid GridNodeSums(const GriddingJob& job, const GriddingPaths& paths = {});
NodeSumGrid GridNodeSumsPlain(const SearchCluster& cluster, const ResultTable& results, int variable,
                              double searchRadius, double griddingRadius);

}  // namespace zelvo
