#include "export/map_ticks.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace zelvo {
namespace {

// log10 of a power of ten may land a hair below the integer.
constexpr double kLogSlack = 1e-9;
constexpr int kMostDecimals = 12;
constexpr const char* kMinusSign = "\u2212";

double DecadeOf(double value) { return std::pow(10.0, std::floor(std::log10(value) + kLogSlack)); }

}  // namespace

double RoundStepAtLeast(double minimum) {
  const double decade = DecadeOf(minimum);
  for (const double factor : {1.0, 2.0, 5.0}) {
    if (factor * decade >= minimum * (1.0 - kLogSlack)) return factor * decade;
  }
  return 10.0 * decade;
}

double NextRoundStep(double step) { return RoundStepAtLeast(step * 1.5); }

std::vector<double> MultiplesWithin(double low, double high, double step) {
  std::vector<double> values;
  const double first = std::ceil(low / step - kLogSlack);
  const double last = std::floor(high / step + kLogSlack);
  for (double k = first; k <= last; k += 1.0) values.push_back(k * step);
  return values;
}

int DecimalsFor(double spacing, int significantDigits) {
  const int exponent = static_cast<int>(std::floor(std::log10(spacing) + kLogSlack));
  return std::clamp(significantDigits - 1 - exponent, 0, kMostDecimals);
}

std::string LabelText(double value, int decimals) {
  char digits[64];
  std::snprintf(digits, sizeof digits, "%.*f", decimals, std::fabs(value));
  const bool showsNonZero =
      std::any_of(digits, digits + std::strlen(digits), [](char c) { return c >= '1' && c <= '9'; });
  if (value < 0.0 && showsNonZero) return std::string(kMinusSign) + digits;
  return digits;
}

}  // namespace zelvo
