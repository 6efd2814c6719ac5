#pragma once

#include <pybind11/pybind11.h>

#include <vector>

#include "core/result_writer.h"
#include "preview/preview_grid.h"
#include "python/gradient_run.h"

namespace zelvo {

// What a run hands back to Python: dicts of NumPy arrays.

// hgqx, hgqy, hgq, Rq, rq, npoints (NaN where the last pass passed the point
// over) and the bool fitted.
pybind11::dict ResultMapping(const GradientRun& run);

// One entry per record: index and pass (int64) and the six values.
pybind11::dict TraceMapping(const std::vector<TraceRecord>& records);

// The node grid north-up, NaN for blank nodes, with the node coordinates.
pybind11::dict GridMapping(const GradientRun& run, const NodeGrid& grid);

// The grid mapping as an xarray.DataArray; raises ImportError without xarray.
pybind11::object AsDataArray(const pybind11::dict& mapping);

}  // namespace zelvo
