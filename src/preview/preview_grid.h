#pragma once

#include <vector>

namespace zelvo {

// Grid values are single precision; a value of 1e37 or more carries no data.
inline constexpr float kBlankValue = 1e38f;
inline constexpr float kBlankThreshold = 1e37f;

inline bool IsBlank(float value) { return value >= kBlankThreshold; }

// The variable estimated at the node of every lattice cell: node (i, j) lies
// at (xmin + i*s, ymin + j*s) and its value is stored at i*ny + j.
struct NodeGrid {
  int nx = 0;
  int ny = 0;
  double s = 0.0;
  std::vector<float> values;
};

// Some nodes of a grid: those of the chosen columns at the chosen rows.
struct NodeSelection {
  std::vector<bool> columns;  // by column index
  std::vector<int> rows;      // ascending
};

// The node grid rescaled to a pane, column by column: pixel column x (from
// the west) and row y (from the south) at x*height + y. Only the south-west
// block outNx x outNy is filled; everything else stays blank.
struct PreviewGrid {
  int width = 0;
  int height = 0;
  std::vector<float> values;
  double step = 0.0;  // ground distance of one pixel, along x and y alike
  int outNx = 0;
  int outNy = 0;
  int count = 0;      // non-blank filled values
  double mean = 0.0;
  double sigma = 1.0;
};

// Whether there is anything to draw: the shading needs two filled columns and
// two filled rows, and the colour scale a mean.
inline bool Drawable(const PreviewGrid& grid) {
  return grid.count > 0 && grid.outNx >= 2 && grid.outNy >= 2;
}

}  // namespace zelvo
