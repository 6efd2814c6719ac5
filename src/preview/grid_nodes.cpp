#include "preview/grid_nodes.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "preview/column_runner.h"
#include "preview/grid_column.h"
#include "preview/grid_four_nodes.h"
#include "preview/grid_hypot.h"
#include "preview/grid_kernel.h"
#include "preview/grid_node_offset.h"
#include "preview/grid_nodes_reference.h"
#include "preview/grid_window.h"

namespace zelvo {
namespace {

NodeGrid BlankGrid(const SearchCluster& cluster) {
  NodeGrid grid;
  grid.nx = cluster.nx;
  grid.ny = cluster.ny;
  grid.s = cluster.s;
  if (cluster.Empty() || cluster.nx <= 0 || cluster.ny <= 0) {
    grid.nx = 0;
    grid.ny = 0;
    return grid;
  }
  grid.values.assign(static_cast<std::size_t>(cluster.nx) * cluster.ny, kBlankValue);
  return grid;
}

bool ValidVariable(int variable) {
  return variable >= 0 && variable < kResultColumns;
}

void GridColumnScalar(const ColumnContext& context, int i) {
  const SearchCluster& cluster = context.cluster;
  const int ny = context.grid.ny;
  const double X = cluster.xmin + i * cluster.s;
  const int kLo = LowBound(i, context.w);
  const int kHi = HighBound(i, context.w, context.grid.nx);
  for (int r = 0; r < context.RowCount(); ++r) {
    const int j = context.Row(r);
    const double Y = cluster.ymin + j * cluster.s;
    NodeSums sums;
    for (int k = kLo; k < kHi; ++k) {
      const int reach = RowReach(context.reachRows, i, k);
      if (reach < 0) continue;
      const RowSpan rows = NodeRows(j, context.w, ny, reach);
      const std::int32_t* end = cluster.ColumnRunEnd(k, rows.hi);
      for (const std::int32_t* p = cluster.ColumnRunBegin(k, rows.lo); p < end; ++p) {
        AccumulatePoint((X - context.xs[*p]) + kNodeOffset, (Y - context.ys[*p]) + kNodeOffset,
                        context.us[*p], context.limits, sums);
      }
    }
    context.Store(i, j, sums);
  }
}

#if defined(__SSE2__)
constexpr bool kHaveTwoNodeLanes = true;

// One cell column for both nodes: the two row windows overlap and slide up
// together, so the run holds lane 0's points alone up to begin1, both lanes'
// up to end0 and lane 1's alone after that. Built twice, for AVX2 (the same
// operations in three-operand form, which saves the copies) and for the
// baseline. It lives beside its one caller because clang resolves the clones
// of a function only within the file that defines it.
__attribute__((target_clones("avx2", "default"))) void AccumulateTwoNodes(
    TwoNodes& nodes, const std::int32_t* begin, const std::int32_t* begin1, const std::int32_t* end0,
    const std::int32_t* end) {
  nodes.Run(begin, begin1, v2m{-1, 0});
  nodes.Run(begin1, end0, v2m{-1, -1});
  nodes.Run(end0, end, v2m{0, -1});
}

// The nodes of column i two at a time, where two neighbouring rows are to
// be estimated; the same sums as GridColumnScalar.
void GridColumnLanes(const ColumnContext& context, int i) {
  const SearchCluster& cluster = context.cluster;
  const int ny = context.grid.ny;
  const double s = cluster.s;
  const double X = cluster.xmin + i * s;
  const int kLo = LowBound(i, context.w);
  const int kHi = HighBound(i, context.w, context.grid.nx);
  const int count = context.RowCount();
  for (int r = 0; r < count;) {
    const int j = context.Row(r);
    const bool pair = r + 1 < count && context.Row(r + 1) == j + 1;
    r += pair ? 2 : 1;
    const v2d Y = {cluster.ymin + j * s, cluster.ymin + (pair ? j + 1 : j) * s};
    TwoNodes nodes{X, Y, context.xs, context.ys, context.us, context.limits, {0.0, 0.0}, {0.0, 0.0}, {}};
    for (int k = kLo; k < kHi; ++k) {
      const int reach = RowReach(context.reachRows, i, k);
      if (reach < 0) continue;
      const RowSpan first = NodeRows(j, context.w, ny, reach);
      const RowSpan second = pair ? NodeRows(j + 1, context.w, ny, reach) : first;
      const std::int32_t* begin = cluster.ColumnRunBegin(k, first.lo);
      const std::int32_t* end0 = cluster.ColumnRunEnd(k, first.hi);
      const std::int32_t* begin1 = pair ? cluster.ColumnRunBegin(k, second.lo) : end0;
      const std::int32_t* end = pair ? cluster.ColumnRunEnd(k, second.hi) : end0;
      if (pair) {
        AccumulateTwoNodes(nodes, begin, begin1, end0, end);
      } else {
        AccumulateTwoNodes(nodes, begin, end0, end0, end0);
      }
    }
    for (int lane = 0; lane < (pair ? 2 : 1); ++lane) {
      NodeSums& sums = nodes.rest[lane];
      sums.S = nodes.S[lane];
      sums.T = nodes.T[lane];
      context.Store(i, j + lane, sums);
    }
  }
}
#else
constexpr bool kHaveTwoNodeLanes = false;

void GridColumnLanes(const ColumnContext& context, int i) { GridColumnScalar(context, i); }
#endif

// What a gridding holds besides the lattice and the table: the node grid,
// the sums when asked for, and the streamed points for the four-node lanes.
std::uint64_t GriddingBytes(const SearchCluster& cluster, bool streamed, bool withSums) {
  const std::uint64_t nodes = static_cast<std::uint64_t>(std::max(cluster.nx, 0)) *
                              static_cast<std::uint64_t>(std::max(cluster.ny, 0));
  const std::uint64_t perNode = sizeof(float) + (withSums ? 2 * sizeof(double) : 0);
  return nodes * perNode + (streamed ? LatticePoints::BytesFor(cluster) : 0);
}

// The node grid, and with sums given the two sums of every node as well.
int GridNodesFast(const GriddingJob& job, const ColumnHook& columnDone, const GriddingPaths& paths,
                  NodeGrid& grid, NodeSumGrid* nodeSums) {
  if (job.cluster == nullptr || job.results == nullptr) {
    grid = NodeGrid{};
    return kGridMade;
  }
  const SearchCluster& cluster = *job.cluster;
  const bool valid = ValidVariable(job.variable);
  const bool fourLanes = paths.fourNodeLanes && HaveFourNodeLanes() && valid && !cluster.Empty();
  if (GriddingBytes(cluster, fourLanes, nodeSums != nullptr) > job.memoryBudget) {
    grid = NodeGrid{};
    return kGridTooLarge;
  }
  grid = BlankGrid(cluster);
  if (nodeSums != nullptr) {
    nodeSums->S.assign(grid.values.size(), 0.0);
    nodeSums->T.assign(grid.values.size(), 0.0);
  }
  if (grid.values.empty()) return kGridMade;
  const ResultTable& results = *job.results;
  const int w = WindowHalfWidth(cluster, job.searchRadius, job.griddingRadius);
  LatticePoints streamed;
  if (fourLanes && w > 0) {
    streamed.Fill(cluster, results.Column(kColX), results.Column(kColY), results.Column(job.variable));
  }
  const ColumnContext context{
      cluster,
      results.Column(kColX),
      results.Column(kColY),
      valid ? results.Column(job.variable) : nullptr,
      &streamed,
      MakeLimits(job.searchRadius, paths.inlineHypot && InlineHypotMatchesLibrary()),
      RowReaches(cluster, w, job.searchRadius),
      w,
      grid,
      nodeSums,
      job.only != nullptr ? &job.only->rows : nullptr};
  const bool twoLanes = paths.twoNodeLanes && kHaveTwoNodeLanes;
  const auto gridColumn = [&](int i) {
    if (!valid || w <= 0) return;
    if (job.only != nullptr && !job.only->columns[static_cast<std::size_t>(i)]) return;
    if (fourLanes) {
      GridColumnFourNodes(context, i);
    } else if (twoLanes) {
      GridColumnLanes(context, i);
    } else {
      GridColumnScalar(context, i);
    }
  };
  return RunColumns(grid.nx, job.threads, gridColumn, columnDone) ? kGridStopped : kGridMade;
}

NodeGrid GridNodesPlainImpl(const SearchCluster& cluster, const ResultTable& results, int variable,
                            double searchRadius, double griddingRadius, NodeSumGrid* nodeSums) {
  NodeGrid grid = BlankGrid(cluster);
  if (nodeSums != nullptr) {
    nodeSums->S.assign(grid.values.size(), 0.0);
    nodeSums->T.assign(grid.values.size(), 0.0);
  }
  if (grid.values.empty() || !ValidVariable(variable)) return grid;
  const int nx = grid.nx;
  const int ny = grid.ny;
  const double* xs = results.Column(kColX);
  const double* ys = results.Column(kColY);
  const double* us = results.Column(variable);
  const int w = WindowHalfWidth(cluster, searchRadius, griddingRadius);
  for (int i = 0; i < nx; ++i) {
    const double X = cluster.xmin + i * cluster.s;
    for (int j = 0; j < ny; ++j) {
      const double Y = cluster.ymin + j * cluster.s;
      NodeSums sums;
      for (int k = LowBound(i, w); k < HighBound(i, w, nx); ++k) {
        for (int l = LowBound(j, w); l < HighBound(j, w, ny); ++l) {
          for (const std::int32_t* p = cluster.CellBegin(k, l); p < cluster.CellEnd(k, l); ++p) {
            sums.AddWithLibrary((X - xs[*p]) + kNodeOffset, (Y - ys[*p]) + kNodeOffset, us[*p],
                                searchRadius);
          }
        }
      }
      const std::size_t node = static_cast<std::size_t>(i) * ny + j;
      grid.values[node] = sums.Value();
      if (nodeSums != nullptr) {
        nodeSums->S[node] = sums.S;
        nodeSums->T[node] = sums.T;
      }
    }
  }
  return grid;
}

}  // namespace

int GridNodes(const GriddingJob& job, NodeGrid& grid, const ColumnHook& columnDone) {
  return GridNodesFast(job, columnDone, GriddingPaths{}, grid, nullptr);
}

int GridNodes(const SearchCluster& cluster, const ResultTable& results, int variable,
              double searchRadius, double griddingRadius, NodeGrid& grid,
              const ColumnHook& columnDone) {
  GriddingJob job;
  job.cluster = &cluster;
  job.results = &results;
  job.variable = variable;
  job.searchRadius = searchRadius;
  job.griddingRadius = griddingRadius;
  return GridNodes(job, grid, columnDone);
}

NodeGrid GridNodesPlain(const SearchCluster& cluster, const ResultTable& results, int variable,
                        double searchRadius, double griddingRadius) {
  return GridNodesPlainImpl(cluster, results, variable, searchRadius, griddingRadius, nullptr);
}

NodeSumGrid GridNodeSums(const GriddingJob& job, const GriddingPaths& paths) {
  NodeSumGrid sums;
  NodeGrid grid;
  GridNodesFast(job, {}, paths, grid, &sums);
  return sums;
}

NodeSumGrid GridNodeSumsPlain(const SearchCluster& cluster, const ResultTable& results, int variable,
                              double searchRadius, double griddingRadius) {
  NodeSumGrid sums;
  GridNodesPlainImpl(cluster, results, variable, searchRadius, griddingRadius, &sums);
  return sums;
}

}  // namespace zelvo
