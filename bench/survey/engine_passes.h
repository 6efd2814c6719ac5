#pragma once

// Our engine's fits over the benchmark points, called as a run calls them:
// the lattice with cells R/10 wide over the points' extent, radius fits in
// batches along the lattice order, N-nearest fits one point at a time.
// Every pass writes its answers by point number.

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <vector>

#include "core/fit_sweep.h"
#include "core/nearest_fit.h"
#include "base/large_pages.h"
#include "core/radius_batch.h"
#include "core/radius_neighbours.h"
#include "core/search_cluster.h"
#include "survey/survey_layout.h"

namespace zelvo::bench {

// The fits' answers by point number.
struct PassResults {
  std::vector<double> a, b, c, npoints;

  // Held as a run holds its result columns.
  explicit PassResults(std::size_t n) {
    for (std::vector<double>* column : {&a, &b, &c, &npoints}) {
      ReserveOnLargePages(*column, n);
      column->assign(n, 0.0);
    }
  }
  FitColumns Columns() { return FitColumns{a.data(), b.data(), c.data(), npoints.data()}; }
};

inline void BuildLattice(const SurveyPoints& points, double radius, SearchCluster& cluster) {
  const auto [xmin, xmax] = std::minmax_element(points.x.begin(), points.x.end());
  const auto [ymin, ymax] = std::minmax_element(points.y.begin(), points.y.end());
  const int built = cluster.Build(points.x.data(), points.y.data(), static_cast<int>(points.Size()),
                                  radius * 0.1, *xmin, *xmax, *ymin, *ymax,
                                  DefaultLatticeBudget());
  if (built != kLatticeBuilt) throw std::runtime_error(kClusterMemoryMessage);
}

inline FitData DataOf(const SurveyPoints& points, const SearchCluster& cluster, double radius) {
  return FitData{&cluster, points.x.data(), points.y.data(), points.q.data(), radius};
}

// One radius fit per point in lattice order, in the pieces a run's sweep
// fits them in, on one thread.
inline void RadiusPass(const SurveyPoints& points, double radius, PassResults& results) {
  SearchCluster cluster;
  BuildLattice(points, radius, cluster);
  const FitData data = DataOf(points, cluster, radius);
  const AreaCentre unused;
  const FitColumns out = results.Columns();
  const int n = cluster.LatticeOrderSize();
  LatticeCopy copy;
  for (int first = 0; first < n; first += kSweepChunkPoints) {
    FitRadiusBatch(data, FitChoices{}, unused, points.x.data(), points.y.data(), points.q.data(),
                   cluster.LatticeOrder() + first, std::min(kSweepChunkPoints, n - first), out,
                   LaneChoice::kFastest, &copy);
  }
}

// The radius fits of a pass of RGA over the points in table order, each
// replacing its point's quantity at once, with the neighbours kept from the
// first such pass on; the quantities are the caller's, to be replaced.
inline void RgaPass(const SurveyPoints& points, RadiusNeighbours& kept, std::vector<double>& q,
                    PassResults& results) {
  PlaneFit fit;
  for (std::size_t k = 0; k < points.Size(); ++k) {
    kept.Fit(static_cast<int>(k), points.x[k], points.y[k], points.q[k], fit);
    results.npoints[k] = fit.npoints;
    if (!fit.Failed()) q[k] = fit.r[2];
  }
}

// One N-nearest fit per listed point, in the order listed, the window
// growing by R.
inline void NearestFits(const SurveyPoints& points, int n, double radius,
                        const std::vector<std::int32_t>& which, PassResults& results) {
  SearchCluster cluster;
  BuildLattice(points, radius, cluster);
  const FitData data = DataOf(points, cluster, radius);
  AreaCentre centre;
  PlaneFit fit;
  std::vector<double> distances;
  for (const std::int32_t k : which) {
    const bool fitted = FitPlaneNearest(data, FitChoices{}, n, centre, points.x[k], points.y[k],
                                        points.q[k], fit, distances) == 0;
    results.a[k] = fitted ? fit.r[0] : kSingularMarker;
    results.b[k] = fit.r[1];
    results.c[k] = fit.r[2];
    results.npoints[k] = fit.npoints;
  }
}

// Our radius fits at a few points only, to check another program's answers.
inline void RadiusFitsAt(const SurveyPoints& points, double radius,
                         const std::vector<std::int32_t>& which, PassResults& results) {
  SearchCluster cluster;
  BuildLattice(points, radius, cluster);
  FitRadiusBatch(DataOf(points, cluster, radius), FitChoices{}, AreaCentre{}, points.x.data(),
                 points.y.data(), points.q.data(), which.data(), static_cast<int>(which.size()),
                 results.Columns());
}

// Every step-th point from the first.
inline std::vector<std::int32_t> EveryNth(std::size_t n, std::size_t step) {
  std::vector<std::int32_t> which;
  for (std::size_t k = 0; k < n; k += step) which.push_back(static_cast<std::int32_t>(k));
  return which;
}

}  // namespace zelvo::bench
