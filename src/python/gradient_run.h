#pragma once

#include <cstddef>
#include <stdexcept>
#include <vector>

#include "core/plane_fit.h"
#include "core/result_writer.h"
#include "core/search_cluster.h"
#include "io/point_reader.h"
#include "io/result_table.h"

namespace zelvo {

class RunObserver;

// What a run over points held in memory is asked to do; the batch tool's
// options without its files.
struct GradientRequest {
  double searchRadius = 0.0;
  int iterations = 0;
  int object = 0;  // 0 "RGA", 1 "LGA"
  FitChoices fit;
  bool nearestSearch = false;
  int nearest = 0;
  int threads = 1;
  // The answer to a singular fit: end the run rather than pass the point over.
  bool stopOnSingular = false;
  // Indices of the points whose every pass is recorded.
  std::vector<std::size_t> traced;
};

// The tables of one run: the points in the reader's frame, the lattice over
// them, the results and the records of the traced points in pass order.
struct GradientRun {
  PointSet points;
  ResultTable results;
  SearchCluster cluster;
  std::vector<TraceRecord> trace;
};

// The lattice of a run does not fit in the memory budget.
class MemoryShortage : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Throws std::invalid_argument, with the message the window and the batch
// tool give, for a request that they refuse before reading any point.
void CheckRequest(const GradientRequest& request);

// Lays the lattice of a run with this search radius over run.points and
// run.results, as the batch tool does; throws MemoryShortage.
void LayLattice(double searchRadius, GradientRun& run);

// Marks the traced points; throws std::out_of_range for an index past the
// points.
void MarkTraced(const std::vector<std::size_t>& traced, PointTable& points);

// The passes over the points already in run (with their lattice), as the
// batch tool makes them. 0 when every pass completed; 1 when the run ended
// early, reported to the observer.
int RunPasses(const GradientRequest& request, GradientRun& run, bool& stopRequested,
              RunObserver& observer);

}  // namespace zelvo
