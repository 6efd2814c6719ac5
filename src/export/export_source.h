#pragma once

#include <string>

#include "base/run_observer.h"
#include "core/search_cluster.h"
#include "export/export_variables.h"
#include "export/point_file.h"
#include "io/point_table.h"
#include "io/result_table.h"
#include "preview/preview_grid.h"

namespace zelvo {

// What the exports of a run or a load read: the lattice and the rows the
// previews grid from, the point identifiers, the quantity as read (none
// after a load, whose rows hold it already) and the shift that gives back
// the coordinates of the input file.
struct ExportSource {
  const SearchCluster* cluster = nullptr;
  const ResultTable* results = nullptr;
  const std::vector<double>* pointIds = nullptr;
  const std::vector<double>* quantityAsRead = nullptr;
  CoordinateShift shift;
  double searchRadius = 0.0;
  double griddingRadius = 0.0;
  int threads = 1;  // for the gridding's node columns
};

// The node grid of the variable exactly as the previews make it, at the
// lattice's full resolution; the quantity is the quantity as read. 0 with
// the grid; 1, reported, when it does not fit in memory.
int ExportGrid(const ExportSource& source, const ExportVariable& variable, RunObserver& observer,
               NodeGrid& grid);

// Where node (0, 0) lies in the input file's coordinates.
double GridWest(const ExportSource& source);
double GridSouth(const ExportSource& source);

// The records the result file holds, in its order, at full precision.
PointRecords ExportRecords(const ExportSource& source);

}  // namespace zelvo
