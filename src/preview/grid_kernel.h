#pragma once

// The sums of a node over its points, one node at a time or, on SSE2
// machines, two nodes of a column side by side; both give the plain loop's
// sums bit for bit. Inline here so the loops around them keep the kernel in
// registers.

#include <cmath>
#include <cstdint>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/distance_limit.h"
#include "preview/grid_hypot.h"
#include "preview/grid_node_offset.h"
#include "preview/preview_grid.h"

namespace zelvo {

// Squared distances the kernel decides alone; between the two, and for every
// distance without the inlined hypot, the library's hypot decides.
struct DistanceLimits {
  double R = 0.0;
  double acceptBelow = -1.0;  // squared distances certainly within R
  double rejectAbove = std::numeric_limits<double>::infinity();  // certainly beyond R
};

inline DistanceLimits MakeLimits(double R, bool inlineHypot) {
  DistanceLimits limits;
  limits.R = R;
  const double squared = R * R;
  if (R > 0.0 && std::isfinite(squared) && squared > 1e-280) {
    limits.rejectAbove = squared * (1.0 + kDistanceCloseCall);
    if (inlineHypot) limits.acceptBelow = squared * (1.0 - kDistanceCloseCall);
  }
  return limits;
}

// Sums of one node, in the order of the visited points.
struct NodeSums {
  double S = 0.0;
  double T = 0.0;
  // Points at distance 0 (0.001 east and north of the node) would make the
  // weights infinite; the node takes their mean instead.
  double zeroSum = 0.0;
  std::int64_t zeroCount = 0;

  void Add(double d, double u) {
    if (d == 0.0) {
      zeroSum += u;
      ++zeroCount;
      return;
    }
    S += u / d;
    T += 1.0 / d;
  }
  __attribute__((noinline)) void AddWithLibrary(double dx, double dy, double u, double R) {
    const double d = std::hypot(dx, dy);
    if (d > R) return;
    Add(d, u);
  }
  float Value() const {
    double v;
    if (zeroCount > 0) {
      v = zeroSum / static_cast<double>(zeroCount);
    } else if (T == 0.0) {
      return kBlankValue;
    } else {
      v = S / T;
    }
    if (v >= kBlankThreshold) return kBlankValue;
    if (v < -std::numeric_limits<float>::max()) return -std::numeric_limits<float>::infinity();
    return static_cast<float>(v);
  }
};

// One point for one node, in the scalar way.
inline void AccumulatePoint(double dx, double dy, double u, const DistanceLimits& limits,
                            NodeSums& sums) {
  const double squared = dx * dx + dy * dy;
  if (squared > limits.rejectAbove) return;
  double d;
  if (squared < limits.acceptBelow && InlineHypot(dx, dy, d)) {
    sums.S += u / d;
    sums.T += 1.0 / d;
  } else {
    sums.AddWithLibrary(dx, dy, u, limits.R);
  }
}

#if defined(__SSE2__)
using v2d = double __attribute__((vector_size(16)));
using v2m = long long __attribute__((vector_size(16)));

inline v2d Broadcast(double value) { return v2d{value, value}; }
inline int Lanes(v2m mask) { return _mm_movemask_pd(reinterpret_cast<__m128d>(mask)); }
inline v2d Keep(v2d value, v2m mask) { return reinterpret_cast<v2d>(reinterpret_cast<v2m>(value) & mask); }

// Two nodes of one column, (X, Y[0]) and (X, Y[1]), side by side, each lane
// with its own sums, so the divisions of both proceed together and neither
// waits for the other's additions. A sum that a lane does not take is added
// as +0.0, which leaves it unchanged: the sums start at +0.0 and can never
// become -0.0.
struct TwoNodes {
  double X;
  v2d Y;
  const double* xs;
  const double* ys;
  const double* us;
  const DistanceLimits& limits;
  v2d S = {0.0, 0.0};
  v2d T = {0.0, 0.0};
  NodeSums rest[2];

  // The points p .. end-1 for the lanes set in active.
  inline __attribute__((always_inline)) void Run(const std::int32_t* p, const std::int32_t* end,
                                                 v2m active) {
    const v2d offset = Broadcast(kNodeOffset);
    const v2d acceptBelow = Broadcast(limits.acceptBelow);
    const v2d rejectAbove = Broadcast(limits.rejectAbove);
    const v2d large = Broadcast(kHypotLarge);
    const v2d tiny = Broadcast(kHypotTiny);
    const v2d eps = Broadcast(kHypotEps);
    const v2m magnitude = {0x7fffffffffffffffLL, 0x7fffffffffffffffLL};
    const v2d one = Broadcast(1.0);
    const v2d two = Broadcast(2.0);
    const v2d four = Broadcast(4.0);
    // Sums in registers for the run, not in the struct.
    v2d runS = S;
    v2d runT = T;
    for (; p < end; ++p) {
      const std::int32_t k = *p;
      const double u = us[k];
      const double dxScalar = (X - xs[k]) + kNodeOffset;
      const v2d dx = Broadcast(dxScalar);
      const v2d dy = (Y - Broadcast(ys[k])) + offset;
      const v2d squared = dx * dx + dy * dy;
      // |dx| and |dy| by clearing the sign; max and min give the library's
      // ordering, equal operands being the same value either way (a NaN lane
      // is never fast).
      const v2d adx = Keep(dx, magnitude);
      const v2d ady = Keep(dy, magnitude);
      const v2d ax = reinterpret_cast<v2d>(_mm_max_pd(reinterpret_cast<__m128d>(adx), reinterpret_cast<__m128d>(ady)));
      const v2d ay = reinterpret_cast<v2d>(_mm_min_pd(reinterpret_cast<__m128d>(adx), reinterpret_cast<__m128d>(ady)));
      const v2m fast = active & (squared < acceptBelow) & (ax <= large) & (ay >= tiny) & (ay > ax * eps);
      const v2d h = reinterpret_cast<v2d>(_mm_sqrt_pd(reinterpret_cast<__m128d>(squared)));
      const v2d nearA = h - ay;
      const v2d nearB = h - ax;
      const v2d termA = ax * (two * nearA - ax) + (nearA - two * (ax - ay)) * nearA;
      const v2d termB = two * nearB * (ax - two * ay) + ((four * nearB - ay) * ay + nearB * nearB);
      const v2d term = h <= two * ay ? termA : termB;
      const v2d d = h - term / (two * h);
      runS += Keep(Broadcast(u) / d, fast);
      runT += Keep(one / d, fast);
      const int slow = Lanes(active & ~fast & ~(squared > rejectAbove));
      if (slow != 0) {
        for (int lane = 0; lane < 2; ++lane) {
          if ((slow & (1 << lane)) == 0) continue;
          rest[lane].S = runS[lane];
          rest[lane].T = runT[lane];
          rest[lane].AddWithLibrary(dxScalar, dy[lane], u, limits.R);
          runS[lane] = rest[lane].S;
          runT[lane] = rest[lane].T;
        }
      }
    }
    S = runS;
    T = runT;
  }
};
#endif

}  // namespace zelvo
