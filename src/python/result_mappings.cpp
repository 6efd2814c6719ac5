#include "python/result_mappings.h"

#include <pybind11/numpy.h>

#include <limits>

#include "python/node_grid_run.h"

namespace py = pybind11;
using namespace py::literals;

namespace zelvo {
namespace {

// A result column, NaN where the last pass left no record.
py::array_t<double> FittedValues(const GradientRun& run, int column) {
  const ResultTable& rows = run.results;
  py::array_t<double> values(rows.Size());
  double* out = values.mutable_data();
  for (int k = 0; k < rows.Size(); ++k) {
    out[k] = rows.recorded[k] ? rows.column[column][k] : std::numeric_limits<double>::quiet_NaN();
  }
  return values;
}

}  // namespace

py::dict TraceMapping(const std::vector<TraceRecord>& records) {
  const auto n = static_cast<py::ssize_t>(records.size());
  py::array_t<long long> index(n), pass(n);
  py::array_t<double> hgqx(n), hgqy(n), hgq(n), Rq(n), rq(n), npoints(n);
  for (py::ssize_t k = 0; k < n; ++k) {
    const TraceRecord& r = records[static_cast<std::size_t>(k)];
    index.mutable_at(k) = static_cast<long long>(r.point);
    pass.mutable_at(k) = r.pass;
    hgqx.mutable_at(k) = r.hgqx;
    hgqy.mutable_at(k) = r.hgqy;
    hgq.mutable_at(k) = r.hgq;
    Rq.mutable_at(k) = r.Rq;
    rq.mutable_at(k) = r.rq;
    npoints.mutable_at(k) = r.npoints;
  }
  return py::dict("index"_a = index, "pass"_a = pass, "hgqx"_a = hgqx, "hgqy"_a = hgqy,
                  "hgq"_a = hgq, "Rq"_a = Rq, "rq"_a = rq, "npoints"_a = npoints);
}

py::dict ResultMapping(const GradientRun& run) {
  py::array_t<bool> fitted(run.results.Size());
  for (int k = 0; k < run.results.Size(); ++k) fitted.mutable_at(k) = run.results.recorded[k] != 0;
  return py::dict("hgqx"_a = FittedValues(run, kColHgqx), "hgqy"_a = FittedValues(run, kColHgqy),
                  "hgq"_a = FittedValues(run, kColHgq), "Rq"_a = FittedValues(run, kColRq),
                  "rq"_a = FittedValues(run, kColRqResidual),
                  "npoints"_a = FittedValues(run, kColNpoints), "fitted"_a = fitted);
}

py::dict GridMapping(const GradientRun& run, const NodeGrid& grid) {
  py::array_t<float> values({grid.ny, grid.nx});
  auto out = values.mutable_unchecked<2>();
  py::array_t<double> easting(grid.nx), northing(grid.ny);
  for (int i = 0; i < grid.nx; ++i) easting.mutable_at(i) = NodeEasting(run, i);
  for (int j = 0; j < grid.ny; ++j) {
    const int row = grid.ny - 1 - j;
    northing.mutable_at(row) = NodeNorthing(run, j);
    for (int i = 0; i < grid.nx; ++i) {
      const float value = grid.values[static_cast<std::size_t>(i) * grid.ny + j];
      out(row, i) = IsBlank(value) ? std::numeric_limits<float>::quiet_NaN() : value;
    }
  }
  return py::dict("values"_a = values, "easting"_a = easting, "northing"_a = northing);
}

py::object AsDataArray(const py::dict& mapping) {
  const py::module_ xarray = py::module_::import("xarray");
  return xarray.attr("DataArray")(
      mapping["values"], "dims"_a = py::make_tuple("northing", "easting"),
      "coords"_a = py::dict("northing"_a = mapping["northing"], "easting"_a = mapping["easting"]));
}

}  // namespace zelvo
