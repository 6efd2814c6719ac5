#include "export/map_colour_bar.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "export/map_canvas.h"
#include "export/map_ticks.h"
#include "preview/render_shaded.h"

namespace zelvo {
namespace {

constexpr int kClasses = kClassBoundaries + 1;
constexpr int kClassAtMean = 21;  // the mean is the upper end of this class
constexpr int kLabelStrides[] = {5, 10, 20};
constexpr double kSpaceBetweenLabels = 1.5;  // in label font sizes

struct Boundary {
  double x;
  std::string label;
};

// Class boundaries lie on whole pixels, so that every class is one flat
// colour.
int BoundaryX(const MapLayout& layout, int boundary) {
  const double fraction = static_cast<double>(boundary) / kClasses;
  return layout.mapLeft + static_cast<int>(std::lround(fraction * layout.mapWidth));
}

std::vector<Boundary> LabelledBoundaries(const MapLayout& layout, double mean, double sigma, int stride) {
  const double spacing = ClassUpperBound(kClassAtMean + stride, mean, sigma) - mean;
  const int decimals = DecimalsFor(spacing, 2);
  std::vector<Boundary> boundaries;
  for (int k = kClassAtMean % stride; k <= kClassBoundaries; k += stride) {
    if (k == 0) continue;
    boundaries.push_back(
        {static_cast<double>(BoundaryX(layout, k)), LabelText(ClassUpperBound(k, mean, sigma), decimals)});
  }
  return boundaries;
}

// The boundaries at the finest stride whose labels keep apart.
std::vector<Boundary> ChooseBoundaries(cairo_t* cr, const MapLayout& layout, double mean, double sigma) {
  std::vector<Boundary> boundaries;
  for (const int stride : kLabelStrides) {
    boundaries = LabelledBoundaries(layout, mean, sigma, stride);
    double widest = 0.0;
    for (const Boundary& boundary : boundaries) {
      widest = std::max(widest, TextWidth(cr, boundary.label));
    }
    const double apart = static_cast<double>(stride) * layout.mapWidth / kClasses;
    if (widest + kSpaceBetweenLabels * layout.em <= apart) break;
  }
  return boundaries;
}

void FillClasses(cairo_t* cr, const MapLayout& layout) {
  for (int colourClass = 1; colourClass <= kClasses; ++colourClass) {
    const ScaleColour& colour = ColourScale[colourClass];
    cairo_set_source_rgb(cr, colour.red / 255.0, colour.green / 255.0, colour.blue / 255.0);
    const int left = BoundaryX(layout, colourClass - 1);
    cairo_rectangle(cr, left, layout.barTop, BoundaryX(layout, colourClass) - left, layout.barHeight);
    cairo_fill(cr);
  }
}

}  // namespace

void DrawColourBar(cairo_t* cr, const MapLayout& layout, double mean, double sigma) {
  FillClasses(cr, layout);
  UseInk(cr);
  UseLabelFont(cr, layout.em);
  FrameOutside(cr, layout.mapLeft, layout.barTop, layout.mapWidth, layout.barHeight, layout.line);
  const double frameEdge = layout.barTop + layout.barHeight;
  for (const Boundary& boundary : ChooseBoundaries(cr, layout, mean, sigma)) {
    Stroke(cr, boundary.x, frameEdge, boundary.x, frameEdge + layout.line + layout.tick, layout.line);
    const double half = TextWidth(cr, boundary.label) / 2.0;
    if (boundary.x - half >= layout.pad && boundary.x + half <= layout.pageWidth - layout.pad) {
      ShowCentred(cr, boundary.label, boundary.x, layout.barLabelBaseline);
    }
  }
}

}  // namespace zelvo
