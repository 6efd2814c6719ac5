#include "preview/grid_nodes.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace zelvo {
namespace {

// Keeps a point that lies exactly on a node at a finite distance from it.
constexpr double kNodeOffset = 0.001;

// Where the C library's hypot (glibc 2.35 and later) leaves its common path:
// an operand huge or tiny, or one negligible against the other.
constexpr double kHypotLarge = 0x1p+511;
constexpr double kHypotTiny = 0x1p-511;
constexpr double kHypotEps = 0x1p-54;

// Relative band around R*R in which the squared distance, with its own
// rounding, is too close to call; there the distance itself decides.
constexpr double kCloseCall = 1e-9;

bool InCommonRange(double ax, double ay) {
  return ax <= kHypotLarge && ay >= kHypotTiny && ay > ax * kHypotEps;
}

// Corrects h = sqrt(ax*ax + ay*ay) for the rounding of the sum of squares
// with the same operations, in the same order, as the common path of the C
// library's hypot (Borges' correction as glibc builds it without FMA), so the
// distance is the library's to the last bit. ax >= ay, both in common range.
double CorrectHypot(double ax, double ay, double h) {
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
bool InlineHypot(double dx, double dy, double& d) {
  const double x = std::fabs(dx);
  const double y = std::fabs(dy);
  const double ax = x < y ? y : x;
  const double ay = x < y ? x : y;
  if (!InCommonRange(ax, ay)) return false;
  // ax*ax + ay*ay is dx*dx + dy*dy: squares ignore the sign, sums the order.
  d = CorrectHypot(ax, ay, std::sqrt(ax * ax + ay * ay));
  return true;
}

// Operands on which other ways of computing hypot part from the one inlined
// here: the plain square root of the sum of squares, the FMA build, and a
// correctly rounded hypot.
struct HypotProbe {
  double x, y;
};
constexpr HypotProbe kHypotProbes[] = {
    {0x1.a0ed60045bf78p+5, -0x1.993bb7158fa7fp+7}, {-0x1.4eec7c714ace6p+7, -0x1.4b4a2c94e080fp+8},
    {-0x1.1270b8fb61491p+8, -0x1.7548ec2eab37p+6}, {0x1.f3348e720ad94p+7, -0x1.1be939604bc6ep+8},
    {0x1.4eebfb71e8118p+8, 0x1.485535231ad76p+8},  {0x1.fe8980935203p+7, 0x1.3b9d896ab87dap+8},
    {0x1.dab9d96801d9cp+6, 0x1.276ce385aae6ap+8},  {-0x1.d5201b1337ad4p+6, -0x1.f07bc467c4e75p+7},
    {-0x1.115b06c7cd4e8p+6, 0x1.d52d1a010ff9cp+6}, {0x1.4334854259612p+8, 0x1.24dab5a1d48ap+8},
    {0x1.37e4963e4e43ep+8, -0x1.e87c2522f8c7ap+6}, {0x1.35bb052dae458p+7, 0x1.06cf6f39a6184p+7},
};

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

// The cell window's half-width ceil(G / s), kept within what the lattice can
// use so that it always converts; a gridding radius left unset means R.
int WindowHalfWidth(const SearchCluster& cluster, double R, double G) {
  if (!(G >= 1e-6)) G = R;
  const double w = std::ceil(G / cluster.s);
  const int limit = std::max(cluster.nx, cluster.ny);
  if (!(w > 0.0)) return 0;
  if (w >= static_cast<double>(limit)) return limit;
  return static_cast<int>(w);
}

NodeGrid BlankGrid(const SearchCluster& cluster) {
  NodeGrid grid;
  grid.nx = cluster.nx;
  grid.ny = cluster.ny;
  grid.s = cluster.s;
  if (cluster.Empty() || cluster.nx <= 0 || cluster.ny <= 0) {
    grid.nx = 0;
    grid.ny = 0;
    return grid;
  }
  grid.values.assign(static_cast<std::size_t>(cluster.nx) * cluster.ny, kBlankValue);
  return grid;
}

int LowBound(int index, int w) { return std::max(0, index - w); }
int HighBound(int index, int w, int count) {
  return static_cast<int>(std::min<std::int64_t>(count, static_cast<std::int64_t>(index) + w));
}

struct DistanceLimits {
  double R = 0.0;
  double acceptBelow = -1.0;  // squared distances certainly within R
  double rejectAbove = std::numeric_limits<double>::infinity();  // certainly beyond R
};

DistanceLimits MakeLimits(double R, bool inlineHypot) {
  DistanceLimits limits;
  limits.R = R;
  const double squared = R * R;
  if (R > 0.0 && std::isfinite(squared) && squared > 1e-280) {
    limits.rejectAbove = squared * (1.0 + kCloseCall);
    if (inlineHypot) limits.acceptBelow = squared * (1.0 - kCloseCall);
  }
  return limits;
}

// For every column distance di = |i - k| within the window, how many rows
// either side of the node's row can hold a point within R; rows beyond can
// be passed over since every point in them would be skipped anyway. A point
// of cell (k, l) lies at least (|i - k| - 1/2) s across and (|j - l| - 1/2) s
// along from node (i, j), less the rounding of its cell assignment and of
// the node position; the bounds give up a further hundredth of a cell for
// that and twice the node offset for dx and dy, and are used only when the
// coordinates are small enough against s and the offset for those margins to
// be far larger than any rounding.
std::vector<int> RowReaches(const SearchCluster& cluster, int w, double R) {
  std::vector<int> reach(static_cast<std::size_t>(w) + 1, w);
  const double s = cluster.s;
  const double squared = R * R;
  const double extent = std::max(std::fabs(cluster.xmin), std::fabs(cluster.ymin)) +
                        (static_cast<double>(std::max(cluster.nx, cluster.ny)) + 2.0) * s;
  const double rounding = extent * 0x1p-40;
  if (!(R > 0.0) || !std::isfinite(squared) || !(rounding < 0.0005) || !(rounding < 0.001 * s)) {
    return reach;
  }
  constexpr double kCellShare = 0.51;  // half a cell and the rounding margin
  const double slack = 2.0 * kNodeOffset;
  const double limit = squared * (1.0 + 1e-6);
  for (int di = 0; di <= w; ++di) {
    const double dxLow = std::max(0.0, (di - kCellShare) * s - slack);
    const double rest = limit - dxLow * dxLow;
    if (rest < 0.0) {
      reach[di] = -1;
      continue;
    }
    const double rows = std::ceil((std::sqrt(rest) + slack) / s + kCellShare);
    reach[di] = rows < w ? static_cast<int>(rows) : w;
  }
  return reach;
}

int RowReach(const std::vector<int>& reaches, int i, int k) {
  return reaches[static_cast<std::size_t>(std::abs(i - k))];
}

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

// The visited rows of one node in one cell column: the half-open window
// [lo, hi), narrowed to the rows that can hold a point within R.
struct RowSpan {
  int lo = 0;
  int hi = 0;
};

RowSpan NodeRows(int j, int w, int ny, int reach) {
  const int jLo = LowBound(j, w);
  const int jHi = HighBound(j, w, ny);
  RowSpan span;
  span.lo = std::max(jLo, j - reach);
  span.hi = static_cast<int>(std::min<std::int64_t>(jHi, static_cast<std::int64_t>(j) + reach + 1));
  return span;
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

// One cell column for both nodes: the two row windows overlap and slide up
// together, so the run holds lane 0's points alone up to begin1, both lanes'
// up to end0 and lane 1's alone after that. Built twice, for AVX2 (the same
// operations in three-operand form, which saves the copies) and for the
// baseline.
__attribute__((target_clones("avx2", "default"))) void AccumulateTwoNodes(
    TwoNodes& nodes, const std::int32_t* begin, const std::int32_t* begin1, const std::int32_t* end0,
    const std::int32_t* end) {
  nodes.Run(begin, begin1, v2m{-1, 0});
  nodes.Run(begin1, end0, v2m{-1, -1});
  nodes.Run(end0, end, v2m{0, -1});
}
#endif

bool ValidVariable(int variable) {
  return variable >= 0 && variable < kResultColumns;
}

}  // namespace

bool InlineHypotMatchesLibrary() {
  for (const HypotProbe& probe : kHypotProbes) {
    // Read through volatile so that the compiler cannot fold the library
    // call into its own, correctly rounded, constant.
    volatile double x = probe.x;
    volatile double y = probe.y;
    double inlined;
    if (!InlineHypot(x, y, inlined) || inlined != std::hypot(x, y)) return false;
  }
  return true;
}

namespace {

// What the nodes of every column share.
struct GriddingJob {
  const SearchCluster& cluster;
  const double* xs;
  const double* ys;
  const double* us;
  DistanceLimits limits;
  std::vector<int> reachRows;
  int w;
  NodeGrid& grid;
  NodeSumGrid* nodeSums;

  void Store(int i, int j, const NodeSums& sums) const {
    const std::size_t node = static_cast<std::size_t>(i) * grid.ny + j;
    grid.values[node] = sums.Value();
    if (nodeSums != nullptr) {
      nodeSums->S[node] = sums.S;
      nodeSums->T[node] = sums.T;
    }
  }
};

void GridColumnScalar(const GriddingJob& job, int i) {
  const SearchCluster& cluster = job.cluster;
  const int ny = job.grid.ny;
  const double X = cluster.xmin + i * cluster.s;
  const int kLo = LowBound(i, job.w);
  const int kHi = HighBound(i, job.w, job.grid.nx);
  for (int j = 0; j < ny; ++j) {
    const double Y = cluster.ymin + j * cluster.s;
    NodeSums sums;
    for (int k = kLo; k < kHi; ++k) {
      const int reach = RowReach(job.reachRows, i, k);
      if (reach < 0) continue;
      const RowSpan rows = NodeRows(j, job.w, ny, reach);
      const std::int32_t* end = cluster.ColumnRunEnd(k, rows.hi);
      for (const std::int32_t* p = cluster.ColumnRunBegin(k, rows.lo); p < end; ++p) {
        AccumulatePoint((X - job.xs[*p]) + kNodeOffset, (Y - job.ys[*p]) + kNodeOffset,
                        job.us[*p], job.limits, sums);
      }
    }
    job.Store(i, j, sums);
  }
}

#if defined(__SSE2__)
constexpr bool kHaveTwoNodeLanes = true;

// The nodes of column i two at a time; the same sums as GridColumnScalar.
void GridColumnLanes(const GriddingJob& job, int i) {
  const SearchCluster& cluster = job.cluster;
  const int ny = job.grid.ny;
  const double s = cluster.s;
  const double X = cluster.xmin + i * s;
  const int kLo = LowBound(i, job.w);
  const int kHi = HighBound(i, job.w, job.grid.nx);
  for (int j = 0; j < ny; j += 2) {
    const bool pair = j + 1 < ny;
    const v2d Y = {cluster.ymin + j * s, cluster.ymin + (pair ? j + 1 : j) * s};
    TwoNodes nodes{X, Y, job.xs, job.ys, job.us, job.limits, {0.0, 0.0}, {0.0, 0.0}, {}};
    for (int k = kLo; k < kHi; ++k) {
      const int reach = RowReach(job.reachRows, i, k);
      if (reach < 0) continue;
      const RowSpan first = NodeRows(j, job.w, ny, reach);
      const RowSpan second = pair ? NodeRows(j + 1, job.w, ny, reach) : first;
      const std::int32_t* begin = cluster.ColumnRunBegin(k, first.lo);
      const std::int32_t* end0 = cluster.ColumnRunEnd(k, first.hi);
      const std::int32_t* begin1 = pair ? cluster.ColumnRunBegin(k, second.lo) : end0;
      const std::int32_t* end = pair ? cluster.ColumnRunEnd(k, second.hi) : end0;
      if (pair) {
        AccumulateTwoNodes(nodes, begin, begin1, end0, end);
      } else {
        AccumulateTwoNodes(nodes, begin, end0, end0, end0);
      }
    }
    for (int lane = 0; lane < (pair ? 2 : 1); ++lane) {
      NodeSums& sums = nodes.rest[lane];
      sums.S = nodes.S[lane];
      sums.T = nodes.T[lane];
      job.Store(i, j + lane, sums);
    }
  }
}
#else
constexpr bool kHaveTwoNodeLanes = false;

void GridColumnLanes(const GriddingJob& job, int i) { GridColumnScalar(job, i); }
#endif

// The node grid, and with sums given the two sums of every node as well.
std::optional<NodeGrid> GridNodesFast(const SearchCluster& cluster, const ResultTable& results,
                                      int variable, double searchRadius, double griddingRadius,
                                      const ColumnHook& columnDone, const GriddingPaths& paths,
                                      NodeSumGrid* nodeSums) {
  NodeGrid grid = BlankGrid(cluster);
  if (nodeSums != nullptr) {
    nodeSums->S.assign(grid.values.size(), 0.0);
    nodeSums->T.assign(grid.values.size(), 0.0);
  }
  if (grid.values.empty()) return grid;
  const bool valid = ValidVariable(variable);
  const int w = WindowHalfWidth(cluster, searchRadius, griddingRadius);
  const GriddingJob job{cluster,
                        results.Column(kColX),
                        results.Column(kColY),
                        valid ? results.Column(variable) : nullptr,
                        MakeLimits(searchRadius, paths.inlineHypot && InlineHypotMatchesLibrary()),
                        RowReaches(cluster, w, searchRadius),
                        w,
                        grid,
                        nodeSums};
  const bool lanes = paths.twoNodeLanes && kHaveTwoNodeLanes;
  for (int i = 0; i < grid.nx; ++i) {
    if (valid && w > 0) {
      if (lanes) {
        GridColumnLanes(job, i);
      } else {
        GridColumnScalar(job, i);
      }
    }
    if (columnDone && columnDone()) return std::nullopt;
  }
  return grid;
}

NodeGrid GridNodesPlainImpl(const SearchCluster& cluster, const ResultTable& results, int variable,
                            double searchRadius, double griddingRadius, NodeSumGrid* nodeSums) {
  NodeGrid grid = BlankGrid(cluster);
  if (nodeSums != nullptr) {
    nodeSums->S.assign(grid.values.size(), 0.0);
    nodeSums->T.assign(grid.values.size(), 0.0);
  }
  if (grid.values.empty() || !ValidVariable(variable)) return grid;
  const int nx = grid.nx;
  const int ny = grid.ny;
  const double* xs = results.Column(kColX);
  const double* ys = results.Column(kColY);
  const double* us = results.Column(variable);
  const int w = WindowHalfWidth(cluster, searchRadius, griddingRadius);
  for (int i = 0; i < nx; ++i) {
    const double X = cluster.xmin + i * cluster.s;
    for (int j = 0; j < ny; ++j) {
      const double Y = cluster.ymin + j * cluster.s;
      NodeSums sums;
      for (int k = LowBound(i, w); k < HighBound(i, w, nx); ++k) {
        for (int l = LowBound(j, w); l < HighBound(j, w, ny); ++l) {
          for (const std::int32_t* p = cluster.CellBegin(k, l); p < cluster.CellEnd(k, l); ++p) {
            sums.AddWithLibrary((X - xs[*p]) + kNodeOffset, (Y - ys[*p]) + kNodeOffset, us[*p],
                                searchRadius);
          }
        }
      }
      const std::size_t node = static_cast<std::size_t>(i) * ny + j;
      grid.values[node] = sums.Value();
      if (nodeSums != nullptr) {
        nodeSums->S[node] = sums.S;
        nodeSums->T[node] = sums.T;
      }
    }
  }
  return grid;
}

}  // namespace

std::optional<NodeGrid> GridNodes(const SearchCluster& cluster, const ResultTable& results,
                                  int variable, double searchRadius, double griddingRadius,
                                  const ColumnHook& columnDone, const GriddingPaths& paths) {
  return GridNodesFast(cluster, results, variable, searchRadius, griddingRadius, columnDone, paths,
                       nullptr);
}

NodeGrid GridNodesPlain(const SearchCluster& cluster, const ResultTable& results, int variable,
                        double searchRadius, double griddingRadius) {
  return GridNodesPlainImpl(cluster, results, variable, searchRadius, griddingRadius, nullptr);
}

NodeSumGrid GridNodeSums(const SearchCluster& cluster, const ResultTable& results, int variable,
                         double searchRadius, double griddingRadius, const GriddingPaths& paths) {
  NodeSumGrid sums;
  GridNodesFast(cluster, results, variable, searchRadius, griddingRadius, {}, paths, &sums);
  return sums;
}

NodeSumGrid GridNodeSumsPlain(const SearchCluster& cluster, const ResultTable& results, int variable,
                              double searchRadius, double griddingRadius) {
  NodeSumGrid sums;
  GridNodesPlainImpl(cluster, results, variable, searchRadius, griddingRadius, &sums);
  return sums;
}

}  // namespace zelvo
