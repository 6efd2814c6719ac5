#include "python/array_arguments.h"

#include <cmath>
#include <string>

namespace py = pybind11;

namespace zelvo {
namespace {

using DoubleArray = py::array_t<double, py::array::c_style | py::array::forcecast>;

DoubleArray OneDimensional(const py::object& object, const char* what) {
  DoubleArray array = DoubleArray::ensure(object);
  if (!array) {
    PyErr_Clear();
    throw py::value_error(std::string(what) + " must be an array of numbers");
  }
  if (array.ndim() != 1) {
    throw py::value_error(std::string(what) + " must be one-dimensional, not " +
                          std::to_string(array.ndim()) + "-dimensional");
  }
  return array;
}

}  // namespace

PointArrays HeldPointArrays::View() const {
  return PointArrays{easting.data(), northing.data(), values.data(),
                     static_cast<std::size_t>(values.size())};
}

HeldPointArrays PointArraysFrom(const py::object& coordinates, const py::object& values) {
  if (py::isinstance<py::str>(coordinates) || !py::isinstance<py::sequence>(coordinates) ||
      py::len(coordinates) != 2) {
    throw py::value_error("coordinates must be a pair (easting, northing)");
  }
  const py::sequence pair = py::reinterpret_borrow<py::sequence>(coordinates);
  HeldPointArrays held{OneDimensional(pair[0], "easting"), OneDimensional(pair[1], "northing"),
                       OneDimensional(values, "data")};
  if (held.easting.size() != held.northing.size() || held.easting.size() != held.values.size()) {
    throw py::value_error("easting, northing and data must have the same length, not " +
                          std::to_string(held.easting.size()) + ", " +
                          std::to_string(held.northing.size()) + " and " +
                          std::to_string(held.values.size()));
  }
  return held;
}

HeldPointArrays PointsWithFiniteValues(const HeldPointArrays& arrays) {
  const py::ssize_t n = arrays.values.size();
  const double* values = arrays.values.data();
  py::ssize_t kept = 0;
  for (py::ssize_t k = 0; k < n; ++k) kept += std::isfinite(values[k]) ? 1 : 0;
  if (kept == n) return arrays;
  HeldPointArrays finite{py::array_t<double>(kept), py::array_t<double>(kept),
                         py::array_t<double>(kept)};
  py::ssize_t next = 0;
  for (py::ssize_t k = 0; k < n; ++k) {
    if (!std::isfinite(values[k])) continue;
    finite.easting.mutable_at(next) = arrays.easting.at(k);
    finite.northing.mutable_at(next) = arrays.northing.at(k);
    finite.values.mutable_at(next) = values[k];
    ++next;
  }
  return finite;
}

}  // namespace zelvo
