#include "app/qt/colour_bar_labels.h"

#include <iterator>

#include "preview/render_shaded.h"
#include "export/map_ticks.h"

namespace zelvo {
namespace {

constexpr int kClassAtMean = 21;  // the mean is the upper end of this class
constexpr int kStrides[] = {5, 10, 20};
constexpr double kSpaceBetweenLabels = 1.5;  // in label heights
constexpr int kSignificantDigitsOfSpacing = 2;

}  // namespace

std::vector<ColourBarLabel> ColourBarLabels(double mean, double sigma, int stride) {
  const double spacing = ClassUpperBound(kClassAtMean + stride, mean, sigma) - mean;
  const int decimals = DecimalsFor(spacing, kSignificantDigitsOfSpacing);
  std::vector<ColourBarLabel> labels;
  for (int k = kClassAtMean % stride; k <= kClassBoundaries; k += stride) {
    if (k == 0) continue;
    labels.push_back({k, LabelText(ClassUpperBound(k, mean, sigma), decimals)});
  }
  return labels;
}

int ColourBarStride(double classHeight, double labelHeight) {
  for (const int stride : kStrides) {
    if (stride * classHeight >= kSpaceBetweenLabels * labelHeight) return stride;
  }
  return kStrides[std::size(kStrides) - 1];
}

}  // namespace zelvo
