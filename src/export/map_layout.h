#pragma once

namespace zelvo {

// How far a line of text reaches above and below its baseline, in pixels.
struct TextHeight {
  double ascent = 0.0;
  double descent = 0.0;

  double Total() const { return ascent + descent; }
};

// Where each piece of a report map goes on its page, in pixels from the top
// left. The title sits above the map, the easting labels below it, the
// northing labels (reading upwards) to its left, and the colour bar, as wide
// as the map, under the easting labels with its own labels beneath.
struct MapLayout {
  double em = 0.0;        // the label font size, the unit of every length
  int line = 1;           // width of frames and ticks
  double tick = 0.0;      // length of a tick, outwards from its frame
  double labelGap = 0.0;  // from the end of a tick to its label
  double pad = 0.0;       // kept clear along the page's edges
  int pageWidth = 0;
  int pageHeight = 0;
  int mapLeft = 0;
  int mapTop = 0;
  int mapWidth = 0;
  int mapHeight = 0;
  double titleBaseline = 0.0;
  double eastingBaseline = 0.0;
  double northingBaseline = 0.0;  // a vertical line left of the map
  int barTop = 0;
  int barHeight = 0;
  double barLabelBaseline = 0.0;
};

// The label font size for a page that wide: labels grow with the page so
// that the figure keeps its proportions, within readable bounds.
double LabelFontSize(int pageWidth);

// What is kept clear along the page's edges.
double PagePad(double em);

// The width the margins leave the map on a page pageWidth wide.
int MapWidthOnPage(int pageWidth, double em, TextHeight labels);

// The page around a map of mapWidth x mapHeight pixels; a title of no height
// takes no room.
MapLayout LayoutReportMap(int pageWidth, double em, TextHeight labels, TextHeight title, int mapWidth,
                          int mapHeight);

}  // namespace zelvo
