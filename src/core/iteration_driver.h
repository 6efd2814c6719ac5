#pragma once

#include <string>
#include <vector>

#include "core/live_choices.h"
#include "core/plane_fit.h"
#include "core/result_writer.h"
#include "io/point_table.h"
#include "io/result_table.h"
#include "core/search_cluster.h"

namespace zelvo {

class RunObserver;

// Everything a calculation's passes read and write; owned by the run state.
struct IterationJob {
  const PointTable* points = nullptr;
  ResultTable* results = nullptr;
  const SearchCluster* cluster = nullptr;
  PlaneFit* fit = nullptr;
  AreaCentre* centre = nullptr;
  CoordinateShift shift;
  std::string inputFileName;
  // Empty: no result file; the results still go into the table.
  std::string resultFileName;
  std::string traceFileName;
  // The trace subset file the run read; empty: no trace is written.
  std::string subsetFileName;
  double searchRadius = 0.0;
  int iterations = 0;
  int object = 0;  // 0 "RGA": Rq replaces the working quantity between passes
  std::string objectText;  // as the header shows it
  const LiveChoices* choices = nullptr;
  bool* stopRequested = nullptr;
  // For passes whose fits do not depend on each other, when the choices are
  // fixed; other passes run on the calling thread in table order.
  int threads = 1;
  // When set, receives the records of the traced points in trace file order,
  // whether or not a trace file is written.
  std::vector<TraceRecord>* traceRecords = nullptr;
};

inline constexpr int kProgressMaximum = 10000;

// Makes iterations + 1 passes of fits over all points, writing the result file
// and, when a subset is named, the trace file. 0 when every pass completed;
// 1 when the run ended early, already reported. Both files are closed on
// every return.
int RunIterations(IterationJob& job, RunObserver& observer);

// The progress bar position at point k of pass p.
int ProgressPosition(int pass, int k, int n, int iterations);

}  // namespace zelvo
