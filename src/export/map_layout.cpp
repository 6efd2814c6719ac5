#include "export/map_layout.h"

#include <algorithm>
#include <cmath>

namespace zelvo {
namespace {

// Lengths in units of the label font size.
constexpr double kPad = 0.8;
constexpr double kTick = 0.4;
constexpr double kLabelGap = 0.25;
constexpr double kTitleGap = 0.7;
constexpr double kBarGap = 1.1;
constexpr double kBarHeight = 0.9;
constexpr double kLineWidth = 1.0 / 12.0;
// Room right of the map for the half of an easting label that can reach past
// its last tick.
constexpr double kRightRoom = 1.0;

constexpr double kPageWidthPerEm = 60.0;
constexpr double kSmallestEm = 8.0;
constexpr double kLargestEm = 28.0;

int Ceil(double pixels) { return static_cast<int>(std::ceil(pixels)); }

MapLayout Lengths(int pageWidth, double em) {
  MapLayout layout;
  layout.em = em;
  layout.line = std::max(1, static_cast<int>(std::lround(em * kLineWidth)));
  layout.tick = kTick * em;
  layout.labelGap = kLabelGap * em;
  layout.pad = PagePad(em);
  layout.pageWidth = pageWidth;
  return layout;
}

int LeftMargin(const MapLayout& lengths, TextHeight labels) {
  return Ceil(lengths.pad + labels.Total() + lengths.labelGap + lengths.tick + lengths.line);
}

int RightMargin(const MapLayout& lengths) {
  return Ceil(lengths.pad + kRightRoom * lengths.em + lengths.line);
}

}  // namespace

double LabelFontSize(int pageWidth) {
  return std::clamp(pageWidth / kPageWidthPerEm, kSmallestEm, kLargestEm);
}

double PagePad(double em) { return kPad * em; }

int MapWidthOnPage(int pageWidth, double em, TextHeight labels) {
  const MapLayout lengths = Lengths(pageWidth, em);
  return pageWidth - LeftMargin(lengths, labels) - RightMargin(lengths);
}

MapLayout LayoutReportMap(int pageWidth, double em, TextHeight labels, TextHeight title, int mapWidth,
                          int mapHeight) {
  MapLayout layout = Lengths(pageWidth, em);
  const double titleRoom = title.Total() > 0.0 ? title.Total() + kTitleGap * em : 0.0;
  layout.titleBaseline = layout.pad + title.ascent;
  layout.mapLeft = LeftMargin(layout, labels);
  layout.mapTop = Ceil(layout.pad + titleRoom + layout.line);
  layout.mapWidth = mapWidth;
  layout.mapHeight = mapHeight;
  const double tickEnd = layout.line + layout.tick + layout.labelGap;
  layout.northingBaseline = layout.mapLeft - tickEnd - labels.descent;
  layout.eastingBaseline = layout.mapTop + mapHeight + tickEnd + labels.ascent;
  layout.barTop = Ceil(layout.eastingBaseline + labels.descent + kBarGap * em) + layout.line;
  layout.barHeight = Ceil(kBarHeight * em);
  layout.barLabelBaseline = layout.barTop + layout.barHeight + tickEnd + labels.ascent;
  layout.pageHeight = Ceil(layout.barLabelBaseline + labels.descent + layout.pad);
  return layout;
}

}  // namespace zelvo
