#pragma once

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

}  // namespace zelvo
