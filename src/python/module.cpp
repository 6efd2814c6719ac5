// The Python module zelvo: the engine's runs over arrays held in memory.

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <climits>
#include <optional>
#include <string>
#include <vector>

#include "base/task_crew.h"
#include "python/array_arguments.h"
#include "python/docstrings.h"
#include "python/file_points.h"
#include "python/gradient_run.h"
#include "python/node_grid_run.h"
#include "python/python_observer.h"
#include "python/result_mappings.h"
#include "python/run_words.h"

namespace py = pybind11;
using namespace py::literals;

namespace zelvo {
namespace {

template <typename T>
py::array_t<T> ArrayOf(const std::vector<T>& values) {
  return py::array_t<T>(static_cast<py::ssize_t>(values.size()), values.data());
}

py::dict ReadPoints(const py::object& path, const std::string& columns,
                    const std::string& decimal) {
  const std::string fileName = py::str(py::module_::import("os").attr("fsdecode")(path));
  const PointColumns letters = ColumnsFromLetters(columns);
  const char separator = DecimalSeparatorFrom(decimal);
  FilePoints points;
  {
    const py::gil_scoped_release release;
    points = ReadFilePoints(fileName, letters, separator);
  }
  return py::dict("easting"_a = ArrayOf(points.easting), "northing"_a = ArrayOf(points.northing),
                  "point"_a = ArrayOf(points.point), "quantity"_a = ArrayOf(points.quantity),
                  "lines_skipped"_a = points.linesSkipped);
}

// The options of gradients() and trace(), as keyword arguments.
struct RunKeywords {
  std::optional<long long> nearest;
  long long iterations = 0;
  std::string object = "RGA";
  std::string centerX = "point";
  std::string centerY = "point";
  std::string centerQ = "none";
  bool includePoint = false;
  std::string onSingular = "continue";
  std::optional<int> threads;
  py::object progress = py::none();
};

int ClampToInt(long long value) {
  return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

GradientRequest RequestFrom(double radius, const RunKeywords& keywords) {
  GradientRequest request;
  request.searchRadius = radius;
  request.object = ObjectFromWord(keywords.object);
  request.fit.centerX = CenterModeFromWord("center_x", keywords.centerX);
  request.fit.centerY = CenterModeFromWord("center_y", keywords.centerY);
  request.fit.centerQ = CenterModeFromWord("center_q", keywords.centerQ);
  request.fit.pointOfCalculationIn = keywords.includePoint;
  request.stopOnSingular = StopOnSingularFromWord(keywords.onSingular);
  request.iterations = ClampToInt(keywords.iterations);
  request.nearestSearch = keywords.nearest.has_value();
  request.nearest = keywords.nearest ? ClampToInt(*keywords.nearest) : 0;
  request.threads = keywords.threads.value_or(MachineThreads());
  CheckRequest(request);
  return request;
}

std::vector<std::size_t> TraceIndices(const py::object& indices) {
  const py::array given = py::array::ensure(indices);
  const bool integers = given && (given.size() == 0 || given.dtype().kind() == 'i' ||
                                  given.dtype().kind() == 'u');
  if (!integers || given.ndim() > 1) {
    PyErr_Clear();
    throw py::type_error("trace takes a sequence of point indices (integers)");
  }
  const auto array = py::array_t<long long, py::array::c_style | py::array::forcecast>::ensure(given);
  std::vector<std::size_t> traced;
  for (py::ssize_t k = 0; k < array.size(); ++k) {
    const long long index = array.data()[k];
    if (index < 0) throw py::index_error("trace index " + std::to_string(index) + " is negative");
    traced.push_back(static_cast<std::size_t>(index));
  }
  return traced;
}

// The run of gradients() and trace(); raises what ended it early.
void Run(const py::object& coordinates, const py::object& data, const GradientRequest& request,
         const RunKeywords& keywords, GradientRun& run) {
  const HeldPointArrays arrays = PointArraysFrom(coordinates, data);
  PointSetFromArrays(arrays.View(), run.points, run.results);
  MarkTraced(request.traced, run.points.table);
  bool stopRequested = false;
  PythonObserver observer(keywords.progress, request.stopOnSingular, stopRequested);
  int status = 0;
  {
    const py::gil_scoped_release release;
    LayLattice(request.searchRadius, run);
    status = RunPasses(request, run, stopRequested, observer);
  }
  // Ctrl-C on the last point leaves the run complete, yet it was pressed.
  if (status != 0 || observer.Interrupted()) observer.RaiseFailure();
  observer.ReportCompletion();
}

py::dict Gradients(const py::object& coordinates, const py::object& data, double radius,
                   const RunKeywords& keywords, const py::object& trace) {
  GradientRequest request = RequestFrom(radius, keywords);
  if (!trace.is_none()) request.traced = TraceIndices(trace);
  GradientRun run;
  Run(coordinates, data, request, keywords, run);
  py::dict result = ResultMapping(run);
  if (!trace.is_none()) result["trace"] = TraceMapping(run.trace);
  return result;
}

py::dict Trace(const py::object& coordinates, const py::object& data, double radius,
               const py::object& points, const RunKeywords& keywords) {
  GradientRequest request = RequestFrom(radius, keywords);
  request.traced = TraceIndices(points);
  GradientRun run;
  Run(coordinates, data, request, keywords, run);
  return TraceMapping(run.trace);
}

py::object Grid(const py::object& coordinates, const py::object& values, double radius,
                std::optional<double> gridRadius, bool asXarray) {
  GradientRequest request;
  request.searchRadius = radius;
  CheckRequest(request);
  const HeldPointArrays arrays = PointsWithFiniteValues(PointArraysFrom(coordinates, values));
  GradientRun run;
  PointSetFromArrays(arrays.View(), run.points, run.results);
  bool stopRequested = false;
  PythonObserver observer(py::none(), false, stopRequested);
  NodeGrid grid;
  int status = 0;
  {
    const py::gil_scoped_release release;
    LayLattice(radius, run);
    status = GridRunQuantity(run, radius, gridRadius.value_or(radius), grid, [&] {
      observer.ProcessMessages();
      return stopRequested;
    });
  }
  if (status != 0) observer.RaiseFailure();
  const py::dict mapping = GridMapping(run, grid);
  return asXarray ? AsDataArray(mapping) : py::object(mapping);
}

void TranslateFailures() {
  py::register_exception_translator([](std::exception_ptr failure) {
    try {
      if (failure) std::rethrow_exception(failure);
    } catch (const FileFailure& e) {
      PyErr_SetString(PyExc_OSError, e.what());
    } catch (const MemoryShortage& e) {
      PyErr_SetString(PyExc_MemoryError, e.what());
    }
  });
}

}  // namespace
}  // namespace zelvo

PYBIND11_MODULE(zelvo, m) {
  using namespace zelvo;
  m.doc() = docstrings::kModule;
  m.attr("__version__") = ZELVO_VERSION;
  TranslateFailures();
  m.def("read_points", &ReadPoints, docstrings::kReadPoints, "path"_a, "columns"_a = "A,B,C,D",
        "decimal"_a = ".");
  m.def(
      "gradients",
      [](const py::object& coordinates, const py::object& data, double radius,
         std::optional<long long> nearest, long long iterations, std::string object,
         std::string centerX, std::string centerY, std::string centerQ, bool includePoint,
         std::string onSingular, std::optional<int> threads, py::object progress,
         py::object trace) {
        const RunKeywords keywords{nearest,      iterations,           std::move(object),
                                   std::move(centerX), std::move(centerY), std::move(centerQ),
                                   includePoint, std::move(onSingular), threads,
                                   std::move(progress)};
        return Gradients(coordinates, data, radius, keywords, trace);
      },
      docstrings::kGradients, "coordinates"_a, "data"_a, "radius"_a, py::kw_only(),
      "nearest"_a = py::none(), "iterations"_a = 0, "object"_a = "RGA", "center_x"_a = "point",
      "center_y"_a = "point", "center_q"_a = "none", "include_point"_a = false,
      "on_singular"_a = "continue", "threads"_a = py::none(), "progress"_a = py::none(),
      "trace"_a = py::none());
  m.def(
      "trace",
      [](const py::object& coordinates, const py::object& data, double radius,
         const py::object& points, std::optional<long long> nearest, long long iterations,
         std::string object, std::string centerX, std::string centerY, std::string centerQ,
         bool includePoint, std::string onSingular, std::optional<int> threads,
         py::object progress) {
        const RunKeywords keywords{nearest,      iterations,           std::move(object),
                                   std::move(centerX), std::move(centerY), std::move(centerQ),
                                   includePoint, std::move(onSingular), threads,
                                   std::move(progress)};
        return Trace(coordinates, data, radius, points, keywords);
      },
      docstrings::kTrace, "coordinates"_a, "data"_a, "radius"_a, "points"_a, py::kw_only(),
      "nearest"_a = py::none(), "iterations"_a = 0, "object"_a = "RGA", "center_x"_a = "point",
      "center_y"_a = "point", "center_q"_a = "none", "include_point"_a = false,
      "on_singular"_a = "continue", "threads"_a = py::none(), "progress"_a = py::none());
  m.def("grid", &Grid, docstrings::kGrid, "coordinates"_a, "values"_a, "radius"_a,
        "grid_radius"_a = py::none(), py::kw_only(), "as_xarray"_a = false);
}
