#include "run_pieces.h"

#include <cmath>

#include "base/run_limits.h"
#include "core/iteration_driver.h"
#include "core/live_choices.h"
#include "preview/preview_driver.h"
#include "preview/preview_image.h"

namespace zelvo {

FuzzedRun TakeFuzzedRun(FuzzBytes& bytes, const DataExtent& extent) {
  FuzzedRun run;
  const double span = std::fmax(extent.xmax - extent.xmin, extent.ymax - extent.ymin);
  const double radius = span * (1 + (bytes.TakeByte() & 15)) / 16.0;
  if (std::isfinite(radius) && radius > 0) run.searchRadius = radius;
  const std::uint8_t shape = bytes.TakeByte();
  run.iterations = shape % 3;
  run.object = (shape >> 2) & 1;
  run.nearestSearch = ((shape >> 3) & 1) != 0;
  run.nearest = kMinNearestCount + bytes.TakeByte() % 16;
  const std::uint8_t centring = bytes.TakeByte();
  run.fit.centerX = centring % 3;
  run.fit.centerY = (centring / 3) % 3;
  run.fit.centerQ = (centring / 9) % 3;
  run.fit.pointOfCalculationIn = (centring / 27) % 2 != 0;
  const std::uint8_t panes = bytes.TakeByte();
  run.pane2Variable = kColHgqx + panes % 5;
  run.pane3Variable = kColHgqx + (panes / 5) % 5;
  return run;
}

bool LayFuzzedLattice(const ResultTable& rows, const DataExtent& extent, double searchRadius,
                      SearchCluster& cluster) {
  constexpr std::uint64_t kBudgetBytes = 4 * 1024;
  // A lattice over a vast empty area is laid sparsely within any budget; its
  // previews and growing searches would then take seconds an input.
  constexpr double kMostCells = 1024;
  return cluster.Build(rows.Column(kColX), rows.Column(kColY), rows.Size(), searchRadius * 0.1,
                       extent.xmin, extent.xmax, extent.ymin, extent.ymax,
                       kBudgetBytes) == kLatticeBuilt &&
         static_cast<double>(cluster.nx) * cluster.ny <= kMostCells;
}

void IterateFuzzedRun(const FuzzedRun& run, const PointSet& points, const SearchCluster& cluster,
                      const std::string& subsetFileName, ResultTable& results,
                      RunObserver& observer) {
  const FixedChoices choices(run.fit, run.nearestSearch, run.nearest);
  PlaneFit fit;
  AreaCentre centre = points.centre;
  bool stopRequested = false;
  IterationJob job;
  job.points = &points.table;
  job.results = &results;
  job.cluster = &cluster;
  job.fit = &fit;
  job.centre = &centre;
  job.shift = points.shift;
  job.inputFileName = "fuzz.dat";
  job.resultFileName = "/dev/null";
  job.traceFileName = subsetFileName.empty() ? "" : "/dev/null";
  job.subsetFileName = subsetFileName;
  job.searchRadius = run.searchRadius;
  job.iterations = run.iterations;
  job.object = run.object;
  job.objectText = run.object == 0 ? "RGA" : "LGA";
  job.choices = &choices;
  job.stopRequested = &stopRequested;
  (void)RunIterations(job, observer);
}

void PreviewFuzzedVariable(const SearchCluster& cluster, const ResultTable& rows,
                           double searchRadius, int variable, RunObserver& observer) {
  PreviewSource source;
  source.cluster = &cluster;
  source.results = &rows;
  source.searchRadius = searchRadius;
  source.griddingRadius = searchRadius;
  source.width = 24;
  source.height = 16;
  source.memoryBudget = 64 * 1024;
  bool stopRequested = false;
  PreviewImage image;
  (void)PreviewVariable(source, variable, stopRequested, observer, image);
}

}  // namespace zelvo
