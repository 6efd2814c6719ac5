#include "python/point_frame.h"

#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

namespace zelvo {
namespace {

void Widen(double value, double& minimum, double& maximum) {
  if (value < minimum) minimum = value;
  if (value > maximum) maximum = value;
}

// The reader's shift: the smallest coordinate becomes exactly 0 when negative.
double ShiftFor(double& minimum, double& maximum) {
  if (!(minimum < 0)) return 0.0;
  const double shift = -minimum;
  minimum = 0.0;
  maximum = maximum + shift;
  return shift;
}

void RequireFinite(const double* values, std::size_t n, const char* what) {
  for (std::size_t k = 0; k < n; ++k) {
    if (!std::isfinite(values[k])) {
      throw std::invalid_argument(std::string(what) + " holds a value that is not finite at index " +
                                  std::to_string(k));
    }
  }
}

DataExtent MeasureExtent(const PointArrays& arrays) {
  DataExtent extent{1e38, -1e38, 1e38, -1e38, 1e38, -1e38};
  for (std::size_t k = 0; k < arrays.size; ++k) {
    Widen(arrays.easting[k], extent.xmin, extent.xmax);
    Widen(arrays.northing[k], extent.ymin, extent.ymax);
    Widen(arrays.quantity[k], extent.qmin, extent.qmax);
  }
  return extent;
}

}  // namespace

void PointSetFromArrays(const PointArrays& arrays, PointSet& points, ResultTable& results) {
  if (arrays.size == 0) throw std::invalid_argument("Input file contains no valid xyz data");
  // The tables index points with 32-bit integers, as for a file.
  if (arrays.size > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
    throw std::invalid_argument("Error by allocating memory for data");
  }
  RequireFinite(arrays.easting, arrays.size, "easting");
  RequireFinite(arrays.northing, arrays.size, "northing");
  RequireFinite(arrays.quantity, arrays.size, "data");
  points = PointSet{};
  points.extent = MeasureExtent(arrays);
  points.shift.x = ShiftFor(points.extent.xmin, points.extent.xmax);
  points.shift.y = ShiftFor(points.extent.ymin, points.extent.ymax);
  points.table.Resize(arrays.size);
  results.Resize(arrays.size);
  PointTable& table = points.table;
  for (std::size_t k = 0; k < arrays.size; ++k) {
    table.x[k] = arrays.easting[k] + points.shift.x;
    table.y[k] = arrays.northing[k] + points.shift.y;
    table.point[k] = static_cast<double>(k);
    table.quantity[k] = arrays.quantity[k];
    results.column[kColX][k] = table.x[k];
    results.column[kColY][k] = table.y[k];
    results.column[kColQuantity][k] = arrays.quantity[k];
  }
  const DataExtent& e = points.extent;
  points.centre = AreaCentre{(e.xmin + e.xmax) / 2, (e.ymin + e.ymax) / 2, (e.qmin + e.qmax) / 2};
}

}  // namespace zelvo
