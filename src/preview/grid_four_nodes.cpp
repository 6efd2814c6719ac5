#include "preview/grid_four_nodes.h"

#include <algorithm>
#include <cstdint>

#include "preview/grid_window.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace zelvo {

#if defined(__x86_64__) || defined(__i386__)
namespace {

// Everything that touches these vectors is built for AVX2 and reached only
// after the processor was asked for it, so the rest of the program runs on
// any x86-64.
using v4d = double __attribute__((vector_size(32)));
using v4m = long long __attribute__((vector_size(32)));

constexpr int kLanes = 4;

__attribute__((target("avx2"), always_inline)) inline v4d Splat(double value) {
  return v4d{value, value, value, value};
}
__attribute__((target("avx2"), always_inline)) inline v4d Keep(v4d value, v4m mask) {
  return reinterpret_cast<v4d>(reinterpret_cast<v4m>(value) & mask);
}
__attribute__((target("avx2"), always_inline)) inline int LaneBits(v4m mask) {
  return _mm256_movemask_pd(reinterpret_cast<__m256d>(mask));
}

// The sums of four nodes of one column; a lane that leaves the fast path
// hands its sums to its NodeSums and takes them back.
struct FourNodeSums {
  v4d S;
  v4d T;
  NodeSums rest[kLanes];
};

// What decides a lane's path. A lane is fast when its squared distance is
// below acceptBelow and its smaller offset above fastAbove: then, with R at
// most 2^510, both offsets lie in the library hypot's common range (the
// larger one is at most R and more than 2^-54 times smaller than the
// smaller one). Every other lane takes the library's hypot, as in the scalar
// loop, which gives the same distance.
struct LanePaths {
  double acceptBelow;
  double rejectAbove;
  double fastAbove;
  double R;
};

LanePaths MakeLanePaths(const DistanceLimits& limits) {
  constexpr double kLargestFastRadius = 0x1p+510;
  LanePaths paths{limits.acceptBelow, limits.rejectAbove, kHypotTiny, limits.R};
  if (!(limits.R <= kLargestFastRadius)) paths.acceptBelow = -1.0;
  paths.fastAbove = std::max(kHypotTiny, 2.0 * limits.R * kHypotEps);
  return paths;
}

// The points of one stretch for the nodes (X, Y[lane]); a point counts for a
// lane only within [laneBegin, laneEnd) of that lane. The operations are
// TwoNodes::Run's, four lanes wide: a lane that does not take a sum adds
// +0.0, and a point that no lane takes is passed over. Masking point by
// point, rather than cutting the stretch where the lanes' windows begin and
// end, keeps one long loop without mispredicted exits.
__attribute__((target("avx2"), always_inline)) inline void AccumulateStretch(
    const LatticePoints& points, PointStretch stretch, v4m laneBegin, v4m laneEnd, double X,
    v4d Y, const LanePaths& paths, FourNodeSums& nodes) {
  const double* xs = points.X();
  const double* ys = points.Y();
  const double* us = points.U();
  const v4d offset = Splat(kNodeOffset);
  const v4d acceptBelow = Splat(paths.acceptBelow);
  const v4d rejectAbove = Splat(paths.rejectAbove);
  const v4d fastAbove = Splat(paths.fastAbove);
  const v4m magnitude = {0x7fffffffffffffffLL, 0x7fffffffffffffffLL, 0x7fffffffffffffffLL,
                         0x7fffffffffffffffLL};
  const v4d one = Splat(1.0);
  const v4d two = Splat(2.0);
  const v4d four = Splat(4.0);
  v4d S = nodes.S;
  v4d T = nodes.T;
  for (std::int64_t p = stretch.begin; p < stretch.end; ++p) {
    const long long at = p;
    const v4m position = {at, at, at, at};
    const double dxScalar = (X - xs[p]) + kNodeOffset;
    const v4d dx = Splat(dxScalar);
    const v4d dy = (Y - Splat(ys[p])) + offset;
    const v4d squared = dx * dx + dy * dy;
    const v4m takes = (position >= laneBegin) & (position < laneEnd) & ~(squared > rejectAbove);
    if (LaneBits(takes) == 0) continue;
    const double u = us[p];
    const v4d adx = Keep(dx, magnitude);
    const v4d ady = Keep(dy, magnitude);
    const v4d ax = reinterpret_cast<v4d>(
        _mm256_max_pd(reinterpret_cast<__m256d>(adx), reinterpret_cast<__m256d>(ady)));
    const v4d ay = reinterpret_cast<v4d>(
        _mm256_min_pd(reinterpret_cast<__m256d>(adx), reinterpret_cast<__m256d>(ady)));
    const v4m fast = takes & (squared < acceptBelow) & (ay > fastAbove);
    const v4d h = reinterpret_cast<v4d>(_mm256_sqrt_pd(reinterpret_cast<__m256d>(squared)));
    const v4d nearA = h - ay;
    const v4d nearB = h - ax;
    const v4d termA = ax * (two * nearA - ax) + (nearA - two * (ax - ay)) * nearA;
    const v4d termB = two * nearB * (ax - two * ay) + ((four * nearB - ay) * ay + nearB * nearB);
    const v4d term = h <= two * ay ? termA : termB;
    const v4d d = h - term / (two * h);
    S += Keep(Splat(u) / d, fast);
    T += Keep(one / d, fast);
    const int slow = LaneBits(takes & ~fast);
    if (slow == 0) continue;
    for (int lane = 0; lane < kLanes; ++lane) {
      if ((slow & (1 << lane)) == 0) continue;
      NodeSums& rest = nodes.rest[lane];
      rest.S = S[lane];
      rest.T = T[lane];
      rest.AddWithLibrary(dxScalar, dy[lane], u, paths.R);
      S[lane] = rest.S;
      T[lane] = rest.T;
    }
  }
  nodes.S = S;
  nodes.T = T;
}

__attribute__((target("avx2"))) void GridColumnAvx2(const ColumnContext& context, int i) {
  const SearchCluster& cluster = context.cluster;
  const LatticePoints& points = *context.streamed;
  const LanePaths paths = MakeLanePaths(context.limits);
  const int ny = context.grid.ny;
  const double s = cluster.s;
  const double X = cluster.xmin + i * s;
  const int kLo = LowBound(i, context.w);
  const int kHi = HighBound(i, context.w, context.grid.nx);
  const int count = context.RowCount();
  for (int r = 0; r < count; r += kLanes) {
    const int lanes = std::min(kLanes, count - r);
    // Lanes past the last node repeat it.
    int row[kLanes];
    v4d Y;
    for (int lane = 0; lane < kLanes; ++lane) {
      row[lane] = context.Row(r + std::min(lane, lanes - 1));
      Y[lane] = cluster.ymin + row[lane] * s;
    }
    FourNodeSums nodes{Splat(0.0), Splat(0.0), {}};
    for (int k = kLo; k < kHi; ++k) {
      const int reach = RowReach(context.reachRows, i, k);
      if (reach < 0) continue;
      // The lanes' row windows slide up together; lanes past the last node
      // keep empty ones.
      v4m laneBegin = {0, 0, 0, 0};
      v4m laneEnd = {0, 0, 0, 0};
      PointStretch all;
      for (int lane = 0; lane < lanes; ++lane) {
        const RowSpan rows = NodeRows(row[lane], context.w, ny, reach);
        const PointStretch own = points.Run(k, rows.lo, rows.hi);
        laneBegin[lane] = own.begin;
        laneEnd[lane] = own.end;
        all.begin = lane == 0 ? own.begin : std::min(all.begin, own.begin);
        all.end = lane == 0 ? own.end : std::max(all.end, own.end);
      }
      AccumulateStretch(points, all, laneBegin, laneEnd, X, Y, paths, nodes);
    }
    for (int lane = 0; lane < lanes; ++lane) {
      NodeSums& sums = nodes.rest[lane];
      sums.S = nodes.S[lane];
      sums.T = nodes.T[lane];
      context.Store(i, row[lane], sums);
    }
  }
}

}  // namespace

bool HaveFourNodeLanes() { return __builtin_cpu_supports("avx2"); }

void GridColumnFourNodes(const ColumnContext& context, int i) { GridColumnAvx2(context, i); }

#else

bool HaveFourNodeLanes() { return false; }

void GridColumnFourNodes(const ColumnContext&, int) {}

#endif

}  // namespace zelvo
