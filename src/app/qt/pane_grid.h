#pragma once

#include "app/control.h"
#include "export/export_variables.h"
#include "preview/preview_grid.h"

namespace zelvo {

struct RunState;
class WindowServices;

// A preview pane's variable at the lattice's full resolution, in the input
// file's coordinates: node (i, j) lies at (west + i*s, south + j*s).
struct PaneGrid {
  ExportVariable variable = kExportVariables[0];
  NodeGrid nodes;
  double west = 0.0;
  double south = 0.0;
};

// What the pane shows, as the exports name it: the quantity in the first
// pane, the choice of the variable box above the others.
ExportVariable PaneExportVariable(const WindowServices& window, Control pane);

// Grids the pane's variable from the last run or load. 0 with the grid; 1
// when it did not fit in memory (reported), the grid then empty.
int MakePaneGrid(const RunState& state, WindowServices& window, Control pane, PaneGrid& grid);

}  // namespace zelvo
