#pragma once

#include "app/qt/pane_grid.h"

namespace zelvo {

struct RunState;
class WindowServices;

// The grid view's buttons. Each asks for a file name through the window's
// save dialog and writes the file; a failure is shown as "Cannot write
// <path>: <reason>". A name ending in the extension of another type the
// dialog offers is given the chosen type's.

// A grid file in the chosen GDAL format (GeoTIFF by default), claiming no
// coordinate system.
void ExportGridClick(WindowServices& window, const PaneGrid& grid);

// A PNG report map 1200 pixels wide, titled with the variable and the run's
// parameters and input file as the window's fields hold them.
void ReportMapClick(WindowServices& window, const PaneGrid& grid);

// Every result record as a point layer (GeoPackage by default) or CSV.
void ExportPointsClick(const RunState& state, WindowServices& window);

}  // namespace zelvo
