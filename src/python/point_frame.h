#pragma once

#include <cstddef>

#include "io/point_reader.h"
#include "io/result_table.h"

namespace zelvo {

// Points handed over in memory, as three arrays of the same length.
struct PointArrays {
  const double* easting = nullptr;
  const double* northing = nullptr;
  const double* quantity = nullptr;
  std::size_t size = 0;
};

// The points as the file reader would store them had it read these values in
// this order: the same extent, shift, area centre and result rows, so that a
// run over them gives the doubles a run over the file gives. Point k carries
// the identifier k. Throws std::invalid_argument, with the reader's message,
// when there is no point, and when a value is not finite (the reader never
// takes one).
void PointSetFromArrays(const PointArrays& arrays, PointSet& points, ResultTable& results);

}  // namespace zelvo
