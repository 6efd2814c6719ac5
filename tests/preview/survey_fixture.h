#pragma once

#include <algorithm>
#include <vector>

#include "io/result_table.h"
#include "core/search_cluster.h"

namespace zelvo::testing {

struct SurveyPoint {
  double x, y, value;
};

// Points in a result table (value as column 2, the working quantity) with
// the lattice of cell size s laid over them.
struct Survey {
  ResultTable results;
  SearchCluster cluster;

  Survey(const std::vector<SurveyPoint>& points, double s) {
    results.Resize(points.size());
    double xmin = points.at(0).x, xmax = xmin, ymin = points[0].y, ymax = ymin;
    for (std::size_t k = 0; k < points.size(); ++k) {
      results.Column(kColX)[k] = points[k].x;
      results.Column(kColY)[k] = points[k].y;
      results.Column(kColQuantity)[k] = points[k].value;
      xmin = std::min(xmin, points[k].x);
      xmax = std::max(xmax, points[k].x);
      ymin = std::min(ymin, points[k].y);
      ymax = std::max(ymax, points[k].y);
    }
    cluster.Build(results.Column(kColX), results.Column(kColY), static_cast<int>(points.size()), s,
                  xmin, xmax, ymin, ymax, 1ull << 30);
  }
};

}  // namespace zelvo::testing
