#pragma once

#include <string>

#include "base/run_limits.h"
#include "io/line_ops.h"

namespace zelvo {

// The values of a run taken from the window at Calc; the live ones (search
// mode, N, centring, point of calculation in) are read from the window at
// every point instead.
struct RunParameters {
  std::string inputFileName;
  std::string outputFileName;
  std::string traceFileName;
  double searchRadius = 0.0;
  double cellSize = 0.0;  // a tenth of the search radius
  int iterations = 0;
  int object = 0;  // item index of cb_iter: 0 "RGA", 1 "LGA"
  double griddingRadius = 0.0;
  PointColumns columns;
};

}  // namespace zelvo
