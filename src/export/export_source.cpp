#include "export/export_source.h"

#include <new>

#include "preview/grid_nodes.h"
#include "preview/resample.h"

namespace zelvo {
namespace {

constexpr std::uint64_t kGridCopies = 3;

// Whether a per-point column belongs to the rows.
bool Matches(const std::vector<double>* column, const ExportSource& source) {
  return column != nullptr && static_cast<int>(column->size()) == source.results->Size();
}

// The gridding's points and nodes together may still exceed the budget.
int RefuseUnmadeGrid(int gridded, RunObserver& observer, NodeGrid& grid) {
  if (gridded == kGridMade) return 0;
  grid = NodeGrid{};
  observer.ShowMessage(kClusterMemoryMessage);
  return 1;
}

GriddingJob JobOf(const ExportSource& source, const ResultTable& rows, int variable) {
  GriddingJob job;
  job.cluster = source.cluster;
  job.results = &rows;
  job.variable = variable;
  job.searchRadius = source.searchRadius;
  job.griddingRadius = source.griddingRadius;
  job.threads = source.threads;
  return job;
}

}  // namespace

int ExportGrid(const ExportSource& source, const ExportVariable& variable, RunObserver& observer,
               NodeGrid& grid) {
  // The grid, GDAL's copy of it and a writer's buffers must fit beside the
  // lattice, under the same budget the lattice was laid with.
  const std::uint64_t nodes = static_cast<std::uint64_t>(source.cluster->nx) *
                              static_cast<std::uint64_t>(source.cluster->ny);
  if (nodes * sizeof(float) * kGridCopies > DefaultLatticeBudget()) {
    observer.ShowMessage("Not enough memory for a grid of " + std::to_string(source.cluster->nx) +
                         " x " + std::to_string(source.cluster->ny) + " nodes");
    return 1;
  }
  try {
    if (variable.column != kColQuantity || !Matches(source.quantityAsRead, source)) {
      return RefuseUnmadeGrid(GridNodes(JobOf(source, *source.results, variable.column), grid),
                              observer, grid);
    }
    // After RGA passes the rows hold the last working quantity; the grid
    // shows the quantity as read, as the first pane does.
    ResultTable asRead;
    asRead.column[kColX] = source.results->column[kColX];
    asRead.column[kColY] = source.results->column[kColY];
    asRead.column[kColQuantity] = *source.quantityAsRead;
    return RefuseUnmadeGrid(GridNodes(JobOf(source, asRead, kColQuantity), grid), observer, grid);
  } catch (const std::bad_alloc&) {
    grid = NodeGrid{};
    observer.ShowMessage(kTemporaryBufferMessage);
    return 1;
  }
}

double GridWest(const ExportSource& source) { return source.cluster->xmin - source.shift.x; }
double GridSouth(const ExportSource& source) { return source.cluster->ymin - source.shift.y; }

PointRecords ExportRecords(const ExportSource& source) {
  const ResultTable& rows = *source.results;
  const bool ids = Matches(source.pointIds, source);
  const bool asRead = Matches(source.quantityAsRead, source);
  PointRecords records;
  for (int k = 0; k < rows.Size(); ++k) {
    if (!rows.recorded[k]) continue;
    records.x.push_back(rows.column[kColX][k] - source.shift.x);
    records.y.push_back(rows.column[kColY][k] - source.shift.y);
    records.point.push_back(ids ? (*source.pointIds)[k] : 0.0);
    records.quantity.push_back(asRead ? (*source.quantityAsRead)[k] : rows.column[kColQuantity][k]);
    records.hgqx.push_back(rows.column[kColHgqx][k]);
    records.hgqy.push_back(rows.column[kColHgqy][k]);
    records.hgq.push_back(rows.column[kColHgq][k]);
    records.Rq.push_back(rows.column[kColRq][k]);
    records.rq.push_back(rows.column[kColRqResidual][k]);
    records.npoints.push_back(rows.column[kColNpoints][k]);
  }
  return records;
}

}  // namespace zelvo
