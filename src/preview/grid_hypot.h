#pragma once

#include <cmath>

namespace zelvo {

// Where the C library's hypot (glibc 2.35 and later) leaves its common path:
// an operand huge or tiny, or one negligible against the other.
inline constexpr double kHypotLarge = 0x1p+511;
inline constexpr double kHypotTiny = 0x1p-511;
inline constexpr double kHypotEps = 0x1p-54;

inline bool InCommonRange(double ax, double ay) {
  return ax <= kHypotLarge && ay >= kHypotTiny && ay > ax * kHypotEps;
}

// Corrects h = sqrt(ax*ax + ay*ay) for the rounding of the sum of squares
// with the same operations, in the same order, as the common path of the C
// library's hypot (Borges' correction as glibc builds it without FMA), so the
// distance is the library's to the last bit. ax >= ay, both in common range.
inline double CorrectHypot(double ax, double ay, double h) {
  double t1, t2;
  if (h <= 2.0 * ay) {
    const double delta = h - ay;
    t1 = ax * (2.0 * delta - ax);
    t2 = (delta - 2.0 * (ax - ay)) * delta;
  } else {
    const double delta = h - ax;
    t1 = 2.0 * delta * (ax - 2.0 * ay);
    t2 = (4.0 * delta - ay) * ay + delta * delta;
  }
  return h - (t1 + t2) / (2.0 * h);
}

// The inlined distance; false outside the common range, where only the
// library's own special paths give its answer.
inline bool InlineHypot(double dx, double dy, double& d) {
  const double x = std::fabs(dx);
  const double y = std::fabs(dy);
  const double ax = x < y ? y : x;
  const double ay = x < y ? x : y;
  if (!InCommonRange(ax, ay)) return false;
  // ax*ax + ay*ay is dx*dx + dy*dy: squares ignore the sign, sums the order.
  d = CorrectHypot(ax, ay, std::sqrt(ax * ax + ay * ay));
  return true;
}

// Whether the distance inlined into the gridding gives exactly what the C
// library's hypot gives; the gridding falls back to the library when not.
bool InlineHypotMatchesLibrary();

}  // namespace zelvo
