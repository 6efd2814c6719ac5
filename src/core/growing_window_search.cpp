#include "core/growing_window_search.h"

#include <algorithm>
#include <cmath>

namespace zelvo {
namespace {

bool CoversLattice(const SearchCluster& cluster, const CellRange& window) {
  return window.iLo == 0 && window.jLo == 0 && window.iHi == cluster.nx &&
         window.jHi == cluster.ny;
}

bool IsPointOfCalculation(const FitChoices& choices, double dx, double dy) {
  static const DistanceLimit kNear(kPointOfCalculationDistance);
  return !choices.pointOfCalculationIn && kNear.Within(dx, dy);
}

// One search pass: the distances of the eligible points within r. Tells
// whether an eligible point of the window was left out for lying beyond r.
bool CollectDistances(const FitData& data, const FitChoices& choices, const CellRange& window,
                      double x0, double y0, double r, std::vector<double>& distances) {
  const DistanceLimit limit(r);
  bool leftOutBeyond = false;
  distances.clear();
  data.cluster->ForEachInWindow(window, [&](int k) {
    const double dx = data.x[k] - x0;
    const double dy = data.y[k] - y0;
    if (IsPointOfCalculation(choices, dx, dy)) return;
    if (limit.Beyond(dx, dy)) {
      leftOutBeyond = true;
      return;
    }
    distances.push_back(std::hypot(dx, dy));
  });
  return leftOutBeyond;
}

void NeighbourhoodMeans(const FitData& data, const FitChoices& choices, const CellRange& window,
                        double x0, double y0, double dN, AreaCentre& centre) {
  const DistanceLimit limit(dN);
  centre = AreaCentre{};
  double sumX = 0.0, sumY = 0.0, sumQ = 0.0;
  int count = 0;
  data.cluster->ForEachInWindow(window, [&](int k) {
    const double dx = data.x[k] - x0;
    const double dy = data.y[k] - y0;
    if (IsPointOfCalculation(choices, dx, dy) || limit.Beyond(dx, dy)) return;
    sumX += data.x[k];
    sumY += data.y[k];
    sumQ += data.q[k];
    ++count;
  });
  if (count > 0) {
    centre.cx = sumX / count;
    centre.cy = sumY / count;
    centre.cq = sumQ / count;
  }
}

// The point of calculation is recognised here per axis, not by distance: a
// point nearer than 1e-6 but not on both axes within 1e-8 takes part.
void FitWithinDistance(const FitData& data, const FitChoices& choices, const CellRange& window,
                       const AreaCentre& centre, double x0, double y0, double q0, double dN,
                       PlaneFit& fit) {
  const DistanceLimit limit(dN);
  NormalSums sums;
  data.cluster->ForEachInWindow(window, [&](int k) {
    const double dx = data.x[k] - x0;
    const double dy = data.y[k] - y0;
    if (!choices.pointOfCalculationIn && std::fabs(dx) < kSamePositionPerAxis &&
        std::fabs(dy) < kSamePositionPerAxis) {
      return;
    }
    if (limit.Beyond(dx, dy)) return;
    sums.Add(Centred(data.x[k], choices.centerX, centre.cx, x0),
             Centred(data.y[k], choices.centerY, centre.cy, y0),
             Centred(data.q[k], choices.centerQ, centre.cq, q0));
  });
  sums.Solve(fit);
}

}  // namespace

void FitNeighbourhood(const FitData& data, const FitChoices& choices, const CellRange& window,
                      AreaCentre& centre, double x0, double y0, double q0, double dN,
                      PlaneFit& fit) {
  if (choices.centerX == kCenterToArea || choices.centerY == kCenterToArea ||
      choices.centerQ == kCenterToArea) {
    NeighbourhoodMeans(data, choices, window, x0, y0, dN, centre);
  }
  FitWithinDistance(data, choices, window, centre, x0, y0, q0, dN, fit);
}

int FitByGrowingWindows(const FitData& data, const FitChoices& choices, int N,
                        AreaCentre& centre, double x0, double y0, double q0, PlaneFit& fit,
                        std::vector<double>& distances) {
  const SearchCluster& cluster = *data.cluster;
  const double R = data.searchRadius;
  double r = R;
  CellRange window;
  for (;;) {
    window = cluster.CellWindow(x0, y0, r);
    const bool leftOutBeyond = CollectDistances(data, choices, window, x0, y0, r, distances);
    if (static_cast<int>(distances.size()) >= N) break;
    // No wider window can reach another point.
    if (CoversLattice(cluster, window) && !leftOutBeyond) return 1;
    r = R + r;
  }
  // Only the N-th smallest value is needed, and a value has no ties to break.
  std::nth_element(distances.begin(), distances.begin() + (N - 1), distances.end());
  FitNeighbourhood(data, choices, window, centre, x0, y0, q0, distances[N - 1], fit);
  return 0;
}

}  // namespace zelvo
