#include "export/map_class_bounds.h"

namespace zelvo {
namespace {

// ColourClass's scale: classes 0.066 sigma wide, the mean at the top of
// class 21.
constexpr double kClassWidthInSigmas = 0.066;
constexpr int kClassEndingAtMean = 21;

}  // namespace

double ClassUpperBound(int colourClass, double mean, double sigma) {
  return mean + (colourClass - kClassEndingAtMean) * kClassWidthInSigmas * sigma;
}

}  // namespace zelvo
