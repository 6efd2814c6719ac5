#pragma once

#include <optional>
#include <string>

#include "app/qt/pane_grid.h"

namespace zelvo {

struct NodeIndex {
  int i = 0;  // column from the west
  int j = 0;  // row from the south
};

// The node nearest the ground under a pixel of a picture drawn step apart
// from node (0, 0) at its south-west pixel; the pixel counted from the
// picture's top-left. None outside the picture or without nodes.
std::optional<NodeIndex> NodeUnderPixel(const NodeGrid& nodes, double step, int pictureWidth,
                                        int pictureHeight, int column, int row);

// "x 1234.5  y 678.9  hgqx 0.00123": the node's place in the input file's
// coordinates and its value to six significant digits, or "blank".
std::string NodeReadout(const PaneGrid& grid, NodeIndex node, char decimalSeparator);

}  // namespace zelvo
