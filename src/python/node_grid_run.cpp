#include "python/node_grid_run.h"

#include <cmath>

#include "base/run_limits.h"

namespace zelvo {

double EffectiveGriddingRadius(double searchRadius, double griddingRadius) {
  if (std::isnan(griddingRadius) || griddingRadius < kMinimumRadius) return searchRadius;
  return griddingRadius;
}

int GridRunQuantity(const GradientRun& run, double searchRadius, double griddingRadius,
                    NodeGrid& grid, const ColumnHook& columnDone) {
  return GridNodes(run.cluster, run.results, kColQuantity, searchRadius,
                   EffectiveGriddingRadius(searchRadius, griddingRadius), grid, columnDone);
}

double NodeEasting(const GradientRun& run, int i) {
  return (run.cluster.xmin + i * run.cluster.s) - run.points.shift.x;
}

double NodeNorthing(const GradientRun& run, int j) {
  return (run.cluster.ymin + j * run.cluster.s) - run.points.shift.y;
}

}  // namespace zelvo
