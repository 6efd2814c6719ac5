#include "core/radius_lanes.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace zelvo {
namespace {

// The vectors of L doubles and of their masks, and the same bits unsigned.
template <int L>
struct LaneTypes;
template <>
struct LaneTypes<2> {
  typedef double V __attribute__((vector_size(16)));
  typedef std::int64_t M __attribute__((vector_size(16)));
  typedef std::uint64_t U __attribute__((vector_size(16)));
};
template <>
struct LaneTypes<4> {
  typedef double V __attribute__((vector_size(32)));
  typedef std::int64_t M __attribute__((vector_size(32)));
  typedef std::uint64_t U __attribute__((vector_size(32)));
};
template <>
struct LaneTypes<8> {
  typedef double V __attribute__((vector_size(64)));
  typedef std::int64_t M __attribute__((vector_size(64)));
  typedef std::uint64_t U __attribute__((vector_size(64)));
};

constexpr std::uint64_t kSignBit = std::uint64_t{1} << 63;

// The closed range lo .. hi of 64-bit patterns as one signed compare: b lies
// in it when b - lo, unsigned, is at most hi - lo, and moving both sides by
// 2^63 turns that unsigned compare into a signed one. Non-negative doubles
// ascend with their bit patterns, so a range of them is a range of patterns.
struct PatternRange {
  std::uint64_t shift = 0;  // b - shift is b - lo moved by 2^63
  std::int64_t limit = 0;   // b is in the range when b - shift is below this
};

PatternRange RangeOfPatterns(std::uint64_t lo, std::uint64_t hi) {
  return {lo - kSignBit, static_cast<std::int64_t>((hi - lo + 1) ^ kSignBit)};
}

std::uint64_t Pattern(double value) { return std::bit_cast<std::uint64_t>(value); }

// Which squared distances a lane may use and which of those it surely uses:
// the ones between are the close calls of the radius and, when the point of
// calculation is left out, of the near distance. A square is never NaN: the
// lattice holds finite points only, and so are the points of calculation. False where the bounds leave
// no such ranges (no usable square, or a radius as small as the near distance):
// then every lane takes the exact path.
bool UseRanges(const LaneGroup& g, PatternRange& mayUse, PatternRange& sure) {
  if (!(g.radiusBelow > 0.0) || !(g.radiusAbove < INFINITY)) return false;
  std::uint64_t useFrom = 0, sureFrom = 0;
  if (g.leaveOutNear) {
    if (!(g.nearBelow >= 0.0) || !(g.nearAbove < g.radiusBelow)) return false;
    useFrom = Pattern(g.nearBelow);
    sureFrom = Pattern(g.nearAbove) + 1;
  }
  const std::uint64_t sureTo = Pattern(g.radiusBelow) - 1;
  if (sureFrom > sureTo) return false;
  mayUse = RangeOfPatterns(useFrom, Pattern(g.radiusAbove));
  sure = RangeOfPatterns(sureFrom, sureTo);
  return true;
}

// What every candidate of a sweep is compared with, per lane.
template <int L>
struct LaneBounds {
  using V = typename LaneTypes<L>::V;
  using M = typename LaneTypes<L>::M;
  using U = typename LaneTypes<L>::U;
  V x0, y0, offX, offY, offQ;
  U mayUseShift, sureShift;
  M mayUseLimit, sureLimit;
  // Each lane's columns and rows as PatternRanges (empty where its window
  // holds no cell), and the rows it takes in the current column: none where
  // its window does not reach the column.
  U columnShift, rowShift;
  M columnLimit, windowRowLimit, rowLimit;
};

template <int L>
struct LaneAccumulators {
  using V = typename LaneTypes<L>::V;
  using M = typename LaneTypes<L>::M;
  V a00, a01, a02, a11, a12, r0, r1, r2;
  // The sum of 1.0 a neighbour is a count, exact in a double below 2^53.
  M count;
  M closeCall;  // some squared distance was too close to call

  // Member by member: cleared as one block, the compiler calls for a string
  // instruction that takes longer to start than the stores take.
  LaneAccumulators() {
    a00 = a01 = a02 = a11 = a12 = r0 = r1 = r2 = V{};
    count = closeCall = M{};
  }
};

// The candidates p .. end-1 of one column. Each lane's test of its rows, of
// the distances it may use and of those it surely uses is one signed compare
// of 64-bit patterns; a distance it may but not surely use is a close call.
template <int L, bool kOnPoint>
[[gnu::always_inline]] inline void SweepRun(const LatticePoint* p, const LatticePoint* end,
                                            const LaneBounds<L>* bounds,
                                            LaneAccumulators<L>& acc) {
  using V = typename LaneTypes<L>::V;
  using M = typename LaneTypes<L>::M;
  using U = typename LaneTypes<L>::U;
  V a00 = acc.a00, a01 = acc.a01, a02 = acc.a02, a11 = acc.a11, a12 = acc.a12;
  V r0 = acc.r0, r1 = acc.r1, r2 = acc.r2;
  M count = acc.count, closeCall = acc.closeCall;
  for (; p < end; ++p) {
    // The bounds are read from memory at each use: held in registers they
    // would push the sums out of them, and a sum kept in memory makes every
    // candidate wait for the store of the one before.
    const LaneBounds<L>* c = bounds;
    asm("" : "+r"(c));
    const double x = p->x, y = p->y, q = p->q;
    const V dx = x - c->x0;
    const V dy = y - c->y0;
    const V squared = dx * dx + dy * dy;
    const U pattern = (U)squared;
    const M taken = (M)(static_cast<std::uint64_t>(p->row) - c->rowShift) < c->rowLimit;
    const M mayUse = (M)(pattern - c->mayUseShift) < c->mayUseLimit;
    const M sure = (M)(pattern - c->sureShift) < c->sureLimit;
    // A close call outside a lane's rows only sends it to the exact path.
    closeCall |= mayUse & ~sure;
    const M used = taken & mayUse;
    V X, Y, Z;
    if constexpr (kOnPoint) {
      X = (V)((M)dx & used);
      Y = (V)((M)dy & used);
      // q + (-0.0) is q, as q - (+0.0) is, but for a signalling NaN, which
      // makes the sums it meets the same quiet NaN either way; the compiler
      // drops the addition and reads q straight into every lane.
      Z = (V)((M)(q + V{} * -1.0) & used);
    } else {
      X = (V)((M)(x - c->offX) & used);
      Y = (V)((M)(y - c->offY) & used);
      Z = (V)((M)(q - c->offQ) & used);
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
  acc.a00 = a00, acc.a01 = a01, acc.a02 = a02, acc.a11 = a11, acc.a12 = a12;
  acc.r0 = r0, acc.r1 = r1, acc.r2 = r2;
  acc.count = count, acc.closeCall = closeCall;
}

// The candidates from .. to-1 of column i; each lane takes those in its rows
// where its window reaches the column.
template <int L, bool kOnPoint>
[[gnu::always_inline]] inline void SweepColumn(const LatticeStream& stream, std::int64_t from,
                                               std::int64_t to, int i, LaneBounds<L>& bounds,
                                               LaneAccumulators<L>& acc) {
  if (from >= to) return;
  using M = typename LaneTypes<L>::M;
  const M reaches = (M)(static_cast<std::uint64_t>(i) - bounds.columnShift) < bounds.columnLimit;
  const M none = M{} + INT64_MIN;
  bounds.rowLimit = (bounds.windowRowLimit & reaches) | (none & ~reaches);
  const LatticePoint* first = stream.points + (from - stream.first);
  SweepRun<L, kOnPoint>(first, first + (to - from), &bounds, acc);
}

// The sweep of FitPlaneRadius over the union of the lanes' windows, each lane
// a point of calculation with its own sums. A neighbour outside a lane's own
// window, or not used by it, adds +0.0 to that lane's sums, which changes
// none of them (they start at +0.0 and so never hold -0.0); the ones it does
// use arrive in the order of its own window's visit. All arithmetic is per
// lane, in the order of NormalSums::AddMasked, so that each lane's sums are
// bit for bit the scalar sweep's. With kOnPoint every lane is centred on its
// point of calculation and leaves the quantity as it is, so that x - offX is
// the dx already made.
template <int L, bool kOnPoint>
[[gnu::always_inline]] inline void SweepLanes(const SearchCluster& cluster,
                                              const LatticeStream& stream, const LaneGroup& g,
                                              LaneSums& out) {
  PatternRange mayUse, sure;
  if (!UseRanges(g, mayUse, sure)) {
    for (int l = 0; l < L; ++l) out.unclear[l] = true;
    return;
  }
  // The lanes' bounds, and the columns and rows of all their windows together.
  LaneBounds<L> bounds;
  int iLo = cluster.nx, iHi = 0, jLo = cluster.ny, jHi = 0;
  for (int l = 0; l < L; ++l) {
    bounds.x0[l] = g.x0[l];
    bounds.y0[l] = g.y0[l];
    bounds.offX[l] = g.offX[l];
    bounds.offY[l] = g.offY[l];
    bounds.offQ[l] = g.offQ[l];
    bounds.mayUseShift[l] = mayUse.shift;
    bounds.mayUseLimit[l] = mayUse.limit;
    bounds.sureShift[l] = sure.shift;
    bounds.sureLimit[l] = sure.limit;
    const CellRange& w = g.window[l];
    PatternRange columns{0, INT64_MIN}, rows{0, INT64_MIN};
    if (w.iLo < w.iHi && w.jLo < w.jHi) {
      columns = RangeOfPatterns(static_cast<std::uint64_t>(w.iLo),
                                static_cast<std::uint64_t>(w.iHi - 1));
      rows = RangeOfPatterns(static_cast<std::uint64_t>(w.jLo),
                             static_cast<std::uint64_t>(w.jHi - 1));
      iLo = w.iLo < iLo ? w.iLo : iLo;
      iHi = w.iHi > iHi ? w.iHi : iHi;
      jLo = w.jLo < jLo ? w.jLo : jLo;
      jHi = w.jHi > jHi ? w.jHi : jHi;
    }
    bounds.columnShift[l] = columns.shift;
    bounds.columnLimit[l] = columns.limit;
    bounds.rowShift[l] = rows.shift;
    bounds.windowRowLimit[l] = rows.limit;
  }
  LaneAccumulators<L> acc;
  // Each column's run of the rows of all the lanes' windows together holds
  // every lane's own run: the candidates a sweep of the column passes over.
  // Looked up for a stretch of columns at a time, so that the lattice walks
  // one column after the other.
  constexpr int kColumns = 64;
  std::int64_t from[kColumns], to[kColumns];
  for (int stretch = iLo; stretch < iHi; stretch += kColumns) {
    const int stretchEnd = iHi - stretch < kColumns ? iHi : stretch + kColumns;
    cluster.ColumnRuns(stretch, stretchEnd, jLo, jHi, from, to, 1);
    for (int i = stretch; i < stretchEnd; ++i) {
      SweepColumn<L, kOnPoint>(stream, from[i - stretch], to[i - stretch], i, bounds, acc);
    }
  }
  for (int l = 0; l < L; ++l) {
    out.sum[0][l] = acc.a00[l];
    out.sum[1][l] = acc.a01[l];
    out.sum[2][l] = acc.a02[l];
    out.sum[3][l] = acc.a11[l];
    out.sum[4][l] = acc.a12[l];
    out.sum[5][l] = static_cast<double>(acc.count[l]);
    out.sum[6][l] = acc.r0[l];
    out.sum[7][l] = acc.r1[l];
    out.sum[8][l] = acc.r2[l];
    out.unclear[l] = acc.closeCall[l] != 0;
  }
}

// Each lane's plane from its sums by NormalSums::Solve's elimination, its
// lanes side by side, each doing the operations of one system in their
// order; the divisions of the four lanes take the time of one. A lane that
// elimination treats apart (fewer than three neighbours, a zero pivot) is
// left unsolved, and so is one that comes out with a NaN: where two NaN meet,
// which one passes on depends on the order of the operands the compiler
// chose, and the plain path's NaN are the ones the answers have always had.
template <int L>
[[gnu::always_inline]] inline void SolveLanes(LaneSums& out) {
  using V = typename LaneTypes<L>::V;
  using M = typename LaneTypes<L>::M;
  V s[9];
  for (int t = 0; t < 9; ++t) std::memcpy(&s[t], out.sum[t], sizeof s[t]);
  V A[3][3] = {{s[0], s[1], s[2]}, {s[1], s[3], s[4]}, {s[2], s[4], s[5]}};
  V r[3] = {s[6], s[7], s[8]};
  M apart = s[5] < 3.0;
  for (int i = 0; i < 3; ++i) {
    const V p = A[i][i];
    apart |= p == 0.0;
    for (int k = 0; k < 3; ++k) A[i][k] /= p;
    r[i] /= p;
    for (int j = 0; j < 3; ++j) {
      if (j == i) continue;
      const V f = A[j][i];
      for (int k = 0; k < 3; ++k) A[j][k] -= A[i][k] * f;
      r[j] -= r[i] * f;
    }
  }
  for (int t = 0; t < 3; ++t) {
    apart |= r[t] != r[t];
    std::memcpy(out.plane[t], &r[t], sizeof r[t]);
  }
  for (int l = 0; l < L; ++l) out.solved[l] = apart[l] == 0;
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
  SolveLanes<L>(out);
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
