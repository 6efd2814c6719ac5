#pragma once

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include "python/point_frame.h"

namespace zelvo {

// The caller's arrays as contiguous float64 copies or views, kept alive as
// long as the view of them.
struct HeldPointArrays {
  pybind11::array_t<double> easting, northing, values;

  PointArrays View() const;
};

// coordinates: a pair (easting, northing); values: the data at the points.
// Any array-like of numbers is taken; throws pybind11::value_error for
// anything but three 1-D arrays of one length.
HeldPointArrays PointArraysFrom(const pybind11::object& coordinates,
                                const pybind11::object& values);

// The points whose value is finite, in their order: a run's results are NaN
// where it passed a point over.
HeldPointArrays PointsWithFiniteValues(const HeldPointArrays& arrays);

}  // namespace zelvo
