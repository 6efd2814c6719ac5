#include "preview/render_shaded.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

namespace zelvo {
namespace {

constexpr float kLightElevation = 45.0f;  // degrees above the horizon
constexpr float kLightAzimuth = 45.0f;    // degrees from north towards east
constexpr double kDegreesToRadians = 0.017453292519943295;
constexpr double kClassWidth = 0.066;  // in sigmas
constexpr double kMeanClass = 21.0;
constexpr double kShadeScale = 255.0;

std::uint32_t Darkened(const ScaleColour& colour, float shade) {
  const int darkening = 128 - static_cast<int>(std::floor(shade * 0.00390625 * 128));
  const auto channel = [darkening](int value) {
    const int darker = value - darkening;
    return static_cast<std::uint32_t>(darker < 0 ? 0 : darker);
  };
  return channel(colour.red) | channel(colour.green) << 8 | channel(colour.blue) << 16;
}

}  // namespace

int ColourClass(float value, double mean, double sigma) {
  if (IsBlank(value)) return 0;
  const double c = kClassWidth * sigma;
  // Limited while still a double, so that no value is too large to convert.
  double k = std::ceil((static_cast<double>(value) - mean) / c + kMeanClass);
  if (!(k >= 1.0)) k = 1.0;
  if (k > 40.0) k = 40.0;
  return static_cast<int>(k);
}

double ClassUpperBound(int colourClass, double mean, double sigma) {
  return mean + (colourClass - kMeanClass) * kClassWidth * sigma;
}

PreviewImage RenderShaded(const PreviewGrid& grid) {
  PreviewImage image;
  image.width = grid.width;
  image.height = grid.height;
  const int H = grid.height;
  image.colours.assign(static_cast<std::size_t>(grid.width) * static_cast<std::size_t>(H), kWhiteColour);
  if (!Drawable(grid) || grid.values.size() != image.colours.size() || grid.outNx > grid.width ||
      grid.outNy > H) {
    return image;
  }
  const double elevation = kLightElevation * kDegreesToRadians;
  const double azimuth = kLightAzimuth * kDegreesToRadians;
  const double lx = std::cos(elevation) * std::sin(azimuth);
  const double ly = std::cos(elevation) * std::cos(azimuth);
  const double lz = std::sin(elevation);
  const double lightLength = std::sqrt(lx * lx + ly * ly + lz * lz);

  const int outNy = grid.outNy;
  std::vector<int> classes(static_cast<std::size_t>(outNy));
  std::vector<float> shades(static_cast<std::size_t>(outNy));
  std::vector<char> unlit(static_cast<std::size_t>(outNy));  // shade blank
  for (int r = 0; r + 1 < grid.outNx; ++r) {
    const float* A = grid.values.data() + static_cast<std::size_t>(r) * H;
    const float* B = A + H;  // the column to the east
    for (int y = 0; y < outNy; ++y) classes[y] = ColourClass(A[y], grid.mean, grid.sigma);
    for (int y = 0; y + 1 < outNy; ++y) {
      unlit[y] = IsBlank(A[y]) || IsBlank(A[y + 1]) || IsBlank(B[y]) || IsBlank(B[y + 1]);
      if (unlit[y]) continue;
      // The values as heights, one pixel as the unit of distance: the normal
      // of the surface is (d1, d2, 1).
      const double d1 = static_cast<double>(A[y]) - static_cast<double>(B[y]);
      const double d2 = static_cast<double>(B[y]) - static_cast<double>(B[y + 1]);
      const double normalLength = std::sqrt(d1 * d1 + d2 * d2 + 1.0);
      double shade = (d1 * lx + d2 * ly + lz) / (lightLength * normalLength);
      if (!(shade >= 0.0)) shade = 0.0;  // a NaN from NaN values too
      if (shade > 1.0) shade = 1.0;
      shades[y] = static_cast<float>(shade * kShadeScale);
    }
    unlit[outNy - 1] = unlit[outNy - 2];
    shades[outNy - 1] = shades[outNy - 2];
    std::uint32_t* colours = image.colours.data() + static_cast<std::size_t>(r) * H;
    for (int y = 0; y < outNy; ++y) {
      colours[y] = unlit[y] ? kWhiteColour : Darkened(ColourScale[classes[y]], shades[y]);
    }
  }
  // The last filled column has no eastern neighbour to shade against.
  const std::size_t last = static_cast<std::size_t>(grid.outNx - 1) * H;
  std::copy(image.colours.begin() + static_cast<std::ptrdiff_t>(last - H),
            image.colours.begin() + static_cast<std::ptrdiff_t>(last), image.colours.begin() + static_cast<std::ptrdiff_t>(last));
  return image;
}

}  // namespace zelvo
