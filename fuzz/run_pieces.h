#pragma once

#include <cstdint>
#include <string>

#include "core/plane_fit.h"
#include "core/search_cluster.h"
#include "fuzz_bytes.h"
#include "io/point_reader.h"
#include "io/result_table.h"

namespace zelvo {

class RunObserver;

// Runs past this many points only read: the passes and previews of a small
// input reach every branch a large one does.
inline constexpr int kLargestFuzzedRun = 64;

// What a user chooses for a run, taken from the fuzzer's bytes.
struct FuzzedRun {
  double searchRadius = 1.0;
  int iterations = 0;
  int object = 0;
  bool nearestSearch = false;
  int nearest = 0;
  FitChoices fit;
  // The variables of the two result panes, as a window shows them after the run.
  int pane2Variable = kColHgqx;
  int pane3Variable = kColRq;
};

// The radius is a fraction of the data's span, as a user would choose it,
// so that lattices and node grids stay small; a span of 0 or beyond the
// doubles gives a radius of 1.
FuzzedRun TakeFuzzedRun(FuzzBytes& bytes, const DataExtent& extent);

// The lattice of the run within a budget of a few thousand cells. False
// when refused.
bool LayFuzzedLattice(const ResultTable& rows, const DataExtent& extent, double searchRadius,
                      SearchCluster& cluster);

// Every pass of the run, the result (and, with a subset, the trace) written
// to /dev/null.
void IterateFuzzedRun(const FuzzedRun& run, const PointSet& points, const SearchCluster& cluster,
                      const std::string& subsetFileName, ResultTable& results,
                      RunObserver& observer);

// The variable of the rows (2 quantity .. 7 rq) previewed in a small pane.
void PreviewFuzzedVariable(const SearchCluster& cluster, const ResultTable& rows,
                           double searchRadius, int variable, RunObserver& observer);

}  // namespace zelvo
