#include "export/map_axes.h"

#include <algorithm>
#include <string>
#include <vector>

#include "export/map_canvas.h"
#include "export/map_ticks.h"

namespace zelvo {
namespace {

// Ticks stand at least this many label font sizes apart, and labels keep this
// much space between them.
constexpr double kNearestTicks = 4.0;
constexpr double kSpaceBetweenLabels = 1.5;
// Enough to reach any step from the nearest one.
constexpr int kMostStepIncreases = 40;

struct Tick {
  double along;  // pixels from the axis's first edge
  std::string label;
};

std::vector<Tick> TicksAtStep(MapAxis axis, int pixels, double step) {
  // The picture's edges lie half a pixel beyond the first and last centres.
  const double low = axis.origin - 0.5 * axis.step;
  const double high = axis.origin + (pixels - 0.5) * axis.step;
  const int decimals = DecimalsFor(step, 1);
  std::vector<Tick> ticks;
  for (const double value : MultiplesWithin(low, high, step)) {
    ticks.push_back({(value - low) / axis.step, LabelText(value, decimals)});
  }
  return ticks;
}

// The ticks at the finest round step whose labels do not run into each
// other along the axis.
std::vector<Tick> ChooseTicks(cairo_t* cr, MapAxis axis, int pixels, double em) {
  double step = RoundStepAtLeast(kNearestTicks * em * axis.step);
  std::vector<Tick> ticks = TicksAtStep(axis, pixels, step);
  for (int increase = 0; increase < kMostStepIncreases; ++increase) {
    double widest = 0.0;
    for (const Tick& tick : ticks) widest = std::max(widest, TextWidth(cr, tick.label));
    if (widest + kSpaceBetweenLabels * em <= step / axis.step) break;
    step = NextRoundStep(step);
    ticks = TicksAtStep(axis, pixels, step);
  }
  return ticks;
}

bool Within(double centre, double halfWidth, double low, double high) {
  return centre - halfWidth >= low && centre + halfWidth <= high;
}

void DrawEastings(cairo_t* cr, const MapLayout& layout, MapAxis eastward) {
  const double frameEdge = layout.mapTop + layout.mapHeight + layout.line;
  for (const Tick& tick : ChooseTicks(cr, eastward, layout.mapWidth, layout.em)) {
    const double x = layout.mapLeft + tick.along;
    Stroke(cr, x, frameEdge - layout.line, x, frameEdge + layout.tick, layout.line);
    const double half = TextWidth(cr, tick.label) / 2.0;
    if (Within(x, half, layout.pad, layout.pageWidth - layout.pad)) {
      ShowCentred(cr, tick.label, x, layout.eastingBaseline);
    }
  }
}

void DrawNorthings(cairo_t* cr, const MapLayout& layout, MapAxis northward) {
  const double frameEdge = layout.mapLeft - layout.line;
  const double south = layout.mapTop + layout.mapHeight;
  for (const Tick& tick : ChooseTicks(cr, northward, layout.mapHeight, layout.em)) {
    const double y = south - tick.along;
    Stroke(cr, frameEdge + layout.line, y, frameEdge - layout.tick, y, layout.line);
    // Beyond the map's height a label would meet the title or the eastings.
    const double half = TextWidth(cr, tick.label) / 2.0;
    if (Within(y, half, layout.mapTop, south)) {
      ShowUpwards(cr, tick.label, layout.northingBaseline, y);
    }
  }
}

}  // namespace

void DrawMapAxes(cairo_t* cr, const MapLayout& layout, MapAxis eastward, MapAxis northward) {
  UseInk(cr);
  UseLabelFont(cr, layout.em);
  FrameOutside(cr, layout.mapLeft, layout.mapTop, layout.mapWidth, layout.mapHeight, layout.line);
  DrawEastings(cr, layout, eastward);
  DrawNorthings(cr, layout, northward);
}

}  // namespace zelvo
