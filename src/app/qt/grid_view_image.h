#pragma once

#include <QImage>
#include <QSize>

#include "preview/preview_grid.h"

namespace zelvo {

class RunObserver;

// A node grid drawn as the preview panes draw it, as large as fits a room:
// one ground step per pixel on both axes, coloured and hill-shaded, north up.
struct GridViewImage {
  QImage picture;      // only the drawn block; null when there is nothing to show
  double step = 0.0;   // ground distance of one pixel
  double mean = 0.0;   // the colour scale's
  double sigma = 1.0;
};

// Empty when the room is empty, the grid has nothing to draw or the
// resampling buffers could not be had (reported).
GridViewImage DrawGridViewImage(const NodeGrid& nodes, QSize room, RunObserver& observer);

}  // namespace zelvo
