#pragma once

#include <cairo.h>

#include <string>

#include "export/map_layout.h"

namespace zelvo {

// The drawing a report map's parts share: one grey ink for lines and text,
// DejaVu Sans for the labels and, bold, for the title.

void UseInk(cairo_t* cr);
void UseLabelFont(cairo_t* cr, double size);
void UseTitleFont(cairo_t* cr, double size);

// How far the current font reaches above and below the baseline.
TextHeight FontHeight(cairo_t* cr);

// How far the text advances in the current font.
double TextWidth(cairo_t* cr, const std::string& text);

// The text centred on x, its baseline at y.
void ShowCentred(cairo_t* cr, const std::string& text, double x, double baseline);

// The text reading upwards, centred on y, its baseline the vertical line at
// x (the tops of its letters face left).
void ShowUpwards(cairo_t* cr, const std::string& text, double baseline, double y);

// A frame line wide hugging the rectangle from outside, so that it covers
// none of the rectangle's pixels.
void FrameOutside(cairo_t* cr, int left, int top, int width, int height, int line);

// A straight line segment, line wide.
void Stroke(cairo_t* cr, double x0, double y0, double x1, double y1, int line);

}  // namespace zelvo
