#pragma once

#include <vector>

#include "preview/preview_grid.h"

namespace zelvo {

class RunObserver;

inline constexpr const char* kTemporaryBufferMessage = "Not enough memory for temporary buffer";

// Rescales the node grid to a pane of width x height pixels, one ground step
// per pixel on both axes (the larger of the two that fit), by linear
// interpolation along y and then along x, and takes the mean and standard
// deviation of the filled values. 0 with the grid made (not Drawable when
// there is nothing to show); 1, after the memory message, when the temporary
// buffers cannot be had.
int ResampleToPreview(const NodeGrid& nodes, int width, int height, RunObserver& observer,
                      PreviewGrid& grid);

// Resamples n source values spaced a apart onto m destination values spaced b
// apart, both lines starting at 0: the ends are copied, positions in between
// interpolated from the two source samples around them (blank beside a
// blank, unless the position hits a sample exactly), and positions past the
// last source sample take that sample.
void ResampleLine(const float* src, int n, double a, float* dst, int m, double b);

// Which of the n source values ResampleLine(src, n, a, dst, m, b) may read,
// whatever they hold.
std::vector<bool> ReadSamples(int n, double a, int m, double b);

// How ResampleToPreview fits nx x ny nodes s apart to a pane: the ground
// step of a pixel and the filled columns and rows.
struct PaneSampling {
  double step = 0.0;
  int outNx = 0;
  int outNy = 0;
};
PaneSampling SamplePane(int nx, int ny, double s, int width, int height);

// The nodes of an nx x ny grid, s apart, that ResampleToPreview reads for a
// pane of width x height: no other node changes a pixel of it.
NodeSelection PaneNodes(int nx, int ny, double s, int width, int height);

}  // namespace zelvo
