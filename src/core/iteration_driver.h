#pragma once

#include <string>

#include "core/plane_fit.h"
#include "core/point_table.h"
#include "core/result_table.h"
#include "core/search_cluster.h"

namespace zelvo {

class WindowServices;

// Everything a calculation's passes read and write; owned by the run state.
struct IterationJob {
  const PointTable* points = nullptr;
  ResultTable* results = nullptr;
  const SearchCluster* cluster = nullptr;
  PlaneFit* fit = nullptr;
  AreaCentre* centre = nullptr;
  CoordinateShift shift;
  std::string inputFileName;
  std::string resultFileName;
  std::string traceFileName;
  double searchRadius = 0.0;
  int iterations = 0;
  int object = 0;  // 0 "RGA": Rq replaces the working quantity between passes
  bool* stopRequested = nullptr;
};

inline constexpr int kProgressMaximum = 10000;

// Makes iterations + 1 passes of fits over all points, writing the result file
// and, when a subset is named, the trace file. 0 when every pass completed;
// 1 when the run ended early, already reported. Both files are closed on
// every return.
int RunIterations(IterationJob& job, WindowServices& window);

// The progress bar position at point k of pass p.
int ProgressPosition(int pass, int k, int n, int iterations);

}  // namespace zelvo
