#pragma once

#include <cairo.h>

#include "export/map_layout.h"

namespace zelvo {

// The 40 colour classes side by side under the map, low values to the west,
// with the values where classes meet labelled: every 5th boundary, counted
// from the mean, or every 10th or 20th when the labels need the room.
void DrawColourBar(cairo_t* cr, const MapLayout& layout, double mean, double sigma);

}  // namespace zelvo
