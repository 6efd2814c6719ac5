#include "python/array_arguments.h"

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

}  // namespace zelvo
