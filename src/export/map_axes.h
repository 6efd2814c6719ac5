#pragma once

#include <cairo.h>

#include "export/map_layout.h"

namespace zelvo {

// Ground coordinates along one edge of the map picture: the centre of pixel
// k lies at origin + k*step.
struct MapAxis {
  double origin = 0.0;
  double step = 1.0;
};

// The frame around the map picture, with ticks at round ground coordinates
// along its south and west edges, labelled as far as the labels fit.
void DrawMapAxes(cairo_t* cr, const MapLayout& layout, MapAxis eastward, MapAxis northward);

}  // namespace zelvo
