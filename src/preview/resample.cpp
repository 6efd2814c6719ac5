#include "preview/resample.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <new>
#include <vector>

#include "base/run_observer.h"

namespace zelvo {
namespace {

// floor(extent / step) as a pixel count, never beyond the pane.
int FilledCount(double extent, double step, int limit) {
  const double count = std::floor(extent / step);
  if (!(count > 0.0)) return 0;
  if (count >= static_cast<double>(limit)) return limit;
  return static_cast<int>(count);
}

// The source sample at or below position pos of a line of n samples a
// apart; -1 before the first, n - 1 at or after the last (and for NaN).
int SampleBelow(double pos, double a, int n) {
  const double sample = std::floor(pos / a);
  if (!(sample < static_cast<double>(n - 1))) return n - 1;
  if (!(sample >= 0.0)) return -1;
  return static_cast<int>(sample);
}

}  // namespace

void ResampleLine(const float* src, int n, double a, float* dst, int m, double b) {
  if (n <= 0 || m <= 0) return;
  dst[0] = src[0];
  double pos = 0.0;
  for (int k = 1; k <= m - 2; ++k) {
    pos = pos + b;
    const int e = SampleBelow(pos, a, n);
    // At or after the last sample there is nothing beyond it to interpolate
    // towards: the line keeps its last value.
    if (e == n - 1) {
      dst[k] = src[n - 1];
      continue;
    }
    if (e < 0) {
      dst[k] = src[0];
      continue;
    }
    const double g = std::fabs(pos - e * a);
    if (g <= 0.0) {
      dst[k] = src[e];
      continue;
    }
    const double h = std::fabs((e + 1) * a - pos);
    if (h <= 0.0) {
      dst[k] = src[e + 1];
      continue;
    }
    if (IsBlank(src[e]) || IsBlank(src[e + 1])) {
      dst[k] = kBlankValue;
      continue;
    }
    const long double lg = g;
    const long double lh = h;
    const long double value =
        (static_cast<long double>(src[e]) / lg + static_cast<long double>(src[e + 1]) / lh) /
        (1.0L / lg + 1.0L / lh);
    dst[k] = static_cast<float>(value);
  }
  dst[m - 1] = src[n - 1];
}

std::vector<bool> ReadSamples(int n, double a, int m, double b) {
  std::vector<bool> read(static_cast<std::size_t>(std::max(n, 0)), false);
  if (n <= 0 || m <= 0) return read;
  read[0] = true;
  read[static_cast<std::size_t>(n - 1)] = true;
  double pos = 0.0;
  for (int k = 1; k <= m - 2; ++k) {
    pos = pos + b;
    const int e = SampleBelow(pos, a, n);
    if (e < 0 || e == n - 1) continue;  // an end, read already
    read[static_cast<std::size_t>(e)] = true;
    read[static_cast<std::size_t>(e) + 1] = true;
  }
  return read;
}

PaneSampling SamplePane(int nx, int ny, double s, int width, int height) {
  PaneSampling sampling;
  if (nx <= 0 || ny <= 0 || width <= 0 || height <= 0) return sampling;
  const double stepX = nx * s / width;
  const double stepY = ny * s / height;
  sampling.step = stepX > stepY ? stepX : stepY;
  if (sampling.step > 0.0 && std::isfinite(sampling.step)) {
    sampling.outNy = FilledCount(ny * s, sampling.step, height);
    sampling.outNx = FilledCount(nx * s, sampling.step, width);
  }
  return sampling;
}

NodeSelection PaneNodes(int nx, int ny, double s, int width, int height) {
  NodeSelection shown;
  const PaneSampling sampling = SamplePane(nx, ny, s, width, height);
  shown.columns.assign(static_cast<std::size_t>(std::max(nx, 0)), false);
  if (sampling.outNx == 0 || sampling.outNy == 0) return shown;
  shown.columns = ReadSamples(nx, s, sampling.outNx, sampling.step);
  const std::vector<bool> rows = ReadSamples(ny, s, sampling.outNy, sampling.step);
  for (int j = 0; j < ny; ++j) {
    if (rows[static_cast<std::size_t>(j)]) shown.rows.push_back(j);
  }
  return shown;
}

int ResampleToPreview(const NodeGrid& nodes, int width, int height, RunObserver& observer,
                      PreviewGrid& grid) {
  grid = PreviewGrid{};
  if (width <= 0 || height <= 0) return 0;
  grid.width = width;
  grid.height = height;
  const int nx = nodes.nx;
  const int ny = nodes.ny;
  const double s = nodes.s;
  const bool usable = nx > 0 && ny > 0 &&
                      nodes.values.size() == static_cast<std::size_t>(nx) * static_cast<std::size_t>(ny);
  int outNx = 0;
  int outNy = 0;
  if (usable) {
    const PaneSampling sampling = SamplePane(nx, ny, s, width, height);
    grid.step = sampling.step;
    outNx = sampling.outNx;
    outNy = sampling.outNy;
  }
  std::vector<float> columns;  // T1: every node column resampled along y
  std::vector<float> line;     // T2: one source line
  std::vector<float> out;      // T3: one resampled line
  try {
    grid.values.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), kBlankValue);
    if (outNx > 0 && outNy > 0) {
      columns.resize(static_cast<std::size_t>(outNy) * static_cast<std::size_t>(nx) + 1);
      line.resize(static_cast<std::size_t>(std::max(nx, ny)) + 1);
      // Long enough for a column as well as a row, whichever the pane is.
      out.resize(static_cast<std::size_t>(std::max(width, height)) + 1);
    }
  } catch (const std::bad_alloc&) {
    grid = PreviewGrid{};
    observer.ShowMessage(kTemporaryBufferMessage);
    return 1;
  }
  if (outNx == 0 || outNy == 0) return 0;
  grid.outNx = outNx;
  grid.outNy = outNy;

  for (int i = 0; i < nx; ++i) {
    const float* column = nodes.values.data() + static_cast<std::size_t>(i) * ny;
    std::copy(column, column + ny, line.begin());
    ResampleLine(line.data(), ny, s, out.data(), outNy, grid.step);
    std::copy(out.begin(), out.begin() + outNy, columns.begin() + static_cast<std::ptrdiff_t>(i) * outNy);
  }
  double sum = 0.0;
  double sumSquares = 0.0;
  int count = 0;
  for (int t = 0; t < outNy; ++t) {
    for (int i = 0; i < nx; ++i) line[i] = columns[static_cast<std::size_t>(i) * outNy + t];
    ResampleLine(line.data(), nx, s, out.data(), outNx, grid.step);
    for (int k = 0; k < outNx; ++k) {
      const float value = out[k];
      grid.values[static_cast<std::size_t>(k) * height + t] = value;
      if (IsBlank(value)) continue;
      const double v = value;
      ++count;
      sum += v;
      sumSquares += v * v;
    }
  }

  grid.count = count;
  if (count > 0) grid.mean = sum / count;
  // One value has no spread, and rounding can push a spread of nothing below
  // zero; either way the colour scale falls back to a unit sigma.
  double sigma = 1.0;
  if (count >= 2) {
    const double n = count;
    double variance = (n * sumSquares - sum * sum) / ((n - 1.0) * n);
    if (variance < 0.0) variance = 0.0;
    sigma = std::sqrt(variance);
  }
  if (!(std::fabs(sigma) >= 1e-6)) sigma = 1.0;
  grid.sigma = sigma;
  return 0;
}

}  // namespace zelvo
