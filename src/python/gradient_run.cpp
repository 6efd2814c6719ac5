#include "python/gradient_run.h"

#include <string>

#include "base/run_limits.h"
#include "core/iteration_driver.h"
#include "core/live_choices.h"

namespace zelvo {

void CheckRequest(const GradientRequest& request) {
  if (!RadiusAllowed(request.searchRadius)) throw std::invalid_argument(kRadiusMessage);
  if (!IterationsAllowed(request.iterations)) throw std::invalid_argument(kIterationsMessage);
  if (request.nearestSearch && request.nearest < kMinNearestCount) {
    throw std::invalid_argument(kNearestCountMessage);
  }
  if (request.threads < 1) throw std::invalid_argument("threads must be at least 1");
}

void LayLattice(double searchRadius, GradientRun& run) {
  const DataExtent& extent = run.points.extent;
  const ResultTable& rows = run.results;
  // The window's lattice: cells a tenth of the search radius wide.
  const int built = run.cluster.Build(rows.Column(kColX), rows.Column(kColY), rows.Size(),
                                      searchRadius * 0.1, extent.xmin, extent.xmax, extent.ymin,
                                      extent.ymax, DefaultLatticeBudget());
  if (built != kLatticeBuilt) throw MemoryShortage(kClusterMemoryMessage);
}

void MarkTraced(const std::vector<std::size_t>& traced, PointTable& points) {
  const std::size_t n = points.traced.size();
  for (std::size_t k : traced) {
    if (k >= n) {
      throw std::out_of_range("trace index " + std::to_string(k) + " is out of range for " +
                              std::to_string(n) + " points");
    }
    points.traced[k] = 1;
  }
}

int RunPasses(const GradientRequest& request, GradientRun& run, bool& stopRequested,
              RunObserver& observer) {
  const FixedChoices choices(request.fit, request.nearestSearch, request.nearest);
  PlaneFit fit;
  IterationJob job;
  job.points = &run.points.table;
  job.results = &run.results;
  job.cluster = &run.cluster;
  job.fit = &fit;
  job.centre = &run.points.centre;
  job.shift = run.points.shift;
  job.searchRadius = request.searchRadius;
  job.iterations = request.iterations;
  job.object = request.object;
  job.objectText = request.object == 0 ? "RGA" : "LGA";
  job.choices = &choices;
  job.stopRequested = &stopRequested;
  // No result or trace file: the results stay in the tables.
  job.threads = request.threads;
  job.traceRecords = &run.trace;
  return RunIterations(job, observer);
}

}  // namespace zelvo
