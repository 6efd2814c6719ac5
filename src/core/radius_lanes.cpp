#include "core/radius_lanes.h"

#include <cstdint>

namespace zelvo {
namespace {

// The vectors of L doubles and of their masks.
template <int L>
struct LaneTypes;
template <>
struct LaneTypes<2> {
  typedef double V __attribute__((vector_size(16)));
  typedef std::int64_t M __attribute__((vector_size(16)));
};
template <>
struct LaneTypes<4> {
  typedef double V __attribute__((vector_size(32)));
  typedef std::int64_t M __attribute__((vector_size(32)));
};
template <>
struct LaneTypes<8> {
  typedef double V __attribute__((vector_size(64)));
  typedef std::int64_t M __attribute__((vector_size(64)));
};

// The sweep of FitPlaneRadius over the union of the lanes' windows, each lane
// a point of calculation with its own sums. A neighbour outside a lane's own
// window, or not used by it, adds +0.0 to that lane's sums, which changes
// none of them (they start at +0.0 and so never hold -0.0); the ones it does
// use arrive in the order of its own window's visit. All arithmetic is per
// lane, in the order of NormalSums::AddMasked, so that each lane's sums are
// bit for bit the scalar sweep's. With kOnPoint every lane is centred on its
// point of calculation and leaves the quantity as it is, so that x - offX is
// the dx already made and q - 0.0 is q.
template <int L, bool kOnPoint>
[[gnu::always_inline]] inline void SweepLanes(const SearchCluster& cluster,
                                              const LatticeStream& stream, const LaneGroup& g,
                                              LaneSums& out) {
  using V = typename LaneTypes<L>::V;
  using M = typename LaneTypes<L>::M;
  V x0, y0, offX, offY, offQ;
  for (int l = 0; l < L; ++l) {
    x0[l] = g.x0[l];
    y0[l] = g.y0[l];
    offX[l] = g.offX[l];
    offY[l] = g.offY[l];
    offQ[l] = g.offQ[l];
  }
  const std::int64_t leave = g.leaveOutNear ? -1 : 0;
  const double radiusBelow = g.radiusBelow, radiusAbove = g.radiusAbove;
  const double nearBelow = g.nearBelow, nearAbove = g.nearAbove;
  V a00 = {}, a01 = {}, a02 = {}, a11 = {}, a12 = {}, r0 = {}, r1 = {}, r2 = {};
  // The sum of 1.0 a neighbour is a count, exact in a double below 2^53.
  M count = {};
  M unclear = {};
  int iLo = cluster.nx, iHi = 0;
  for (int l = 0; l < L; ++l) {
    if (g.window[l].iLo >= g.window[l].iHi) continue;
    iLo = g.window[l].iLo < iLo ? g.window[l].iLo : iLo;
    iHi = g.window[l].iHi > iHi ? g.window[l].iHi : iHi;
  }
  const std::int32_t* order = cluster.LatticeOrder();
  for (int i = iLo; i < iHi; ++i) {
    // Where, in lattice order, each lane's window meets this column: a lane
    // takes the neighbours from its begin up to its end.
    // Positions are held as doubles (exact below 2^53): compares of doubles
    // make masks on every instruction set, those of 64-bit integers not.
    V begin = {}, end = {};
    std::int64_t from = INT64_MAX, to = 0;
    for (int l = 0; l < L; ++l) {
      const CellRange& w = g.window[l];
      if (i < w.iLo || i >= w.iHi || w.jLo >= w.jHi) continue;
      const std::int64_t first = cluster.ColumnRunBegin(i, w.jLo) - order;
      const std::int64_t last = cluster.ColumnRunEnd(i, w.jHi) - order;
      begin[l] = static_cast<double>(first);
      end[l] = static_cast<double>(last);
      from = first < from ? first : from;
      to = last > to ? last : to;
    }
    if (from >= to) continue;  // no lane's window meets this column
    const double* p = stream.xyq + 3 * (from - stream.first);
    for (std::int64_t t = from; t < to; ++t, p += 3) {
      const double x = p[0], y = p[1], q = p[2];
      const double position = static_cast<double>(t);
      const M taken = (position >= begin) & (position < end);
      const V dx = x - x0;
      const V dy = y - y0;
      const V squared = dx * dx + dy * dy;
      const M beyond = squared > radiusAbove;
      const M inside = squared < radiusBelow;
      const M nearIn = squared < nearBelow;
      const M nearOut = squared > nearAbove;
      // A close call outside a lane's window only sends it to the exact path.
      unclear |= ~(beyond | inside) | (leave & ~(nearIn | nearOut));
      const M used = taken & ~beyond & ~(leave & nearIn);
      V X, Y, Z;
      if constexpr (kOnPoint) {
        X = (V)((M)dx & used);
        Y = (V)((M)dy & used);
        Z = (V)((M)(q - V{}) & used);
      } else {
        X = (V)((M)(x - offX) & used);
        Y = (V)((M)(y - offY) & used);
        Z = (V)((M)(q - offQ) & used);
      }
      a00 += X * X;
      a01 += X * Y;
      a02 += X;
      a11 += Y * Y;
      a12 += Y;
      count -= used;
      r0 += X * Z;
      r1 += Y * Z;
      r2 += Z;
    }
  }
  for (int l = 0; l < L; ++l) {
    out.sum[0][l] = a00[l];
    out.sum[1][l] = a01[l];
    out.sum[2][l] = a02[l];
    out.sum[3][l] = a11[l];
    out.sum[4][l] = a12[l];
    out.sum[5][l] = static_cast<double>(count[l]);
    out.sum[6][l] = r0[l];
    out.sum[7][l] = r1[l];
    out.sum[8][l] = r2[l];
    out.unclear[l] = unclear[l] != 0;
  }
}

template <int L>
[[gnu::always_inline]] inline void SweepLanesOf(const SearchCluster& cluster,
                                                const LatticeStream& stream, const LaneGroup& g,
                                                LaneSums& out) {
  if (g.centredOnPoint) {
    SweepLanes<L, true>(cluster, stream, g, out);
  } else {
    SweepLanes<L, false>(cluster, stream, g, out);
  }
}

}  // namespace

void SweepLanesPlain2(const SearchCluster& cluster, const LatticeStream& stream,
                      const LaneGroup& group, LaneSums& sums) {
  SweepLanesOf<2>(cluster, stream, group, sums);
}

void SweepLanesPlain4(const SearchCluster& cluster, const LatticeStream& stream,
                      const LaneGroup& group, LaneSums& sums) {
  SweepLanesOf<4>(cluster, stream, group, sums);
}

void SweepLanesPlain8(const SearchCluster& cluster, const LatticeStream& stream,
                      const LaneGroup& group, LaneSums& sums) {
  SweepLanesOf<8>(cluster, stream, group, sums);
}

[[gnu::target("avx2")]] void SweepLanesAvx2(const SearchCluster& cluster,
                                            const LatticeStream& stream, const LaneGroup& group,
                                            LaneSums& sums) {
  SweepLanesOf<4>(cluster, stream, group, sums);
}

}  // namespace zelvo
