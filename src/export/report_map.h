#pragma once

#include <string>

#include "preview/preview_grid.h"

namespace zelvo {

// Writes a PNG report map of the node grid (node (i, j) at west + i*s,
// south + j*s): the grid scaled to widthPixels, aspect kept, north up,
// coloured and hill-shaded as the preview panes are, with a colour bar
// labelled in the variable's values, coordinate ticks on both axes and the
// title above. Written under a temporary name and renamed. 0 when written;
// 1 with the reason.
int WriteReportMap(const std::string& path, const NodeGrid& nodes, double west, double south,
                   int widthPixels, const std::string& title, std::string& reason);

}  // namespace zelvo
