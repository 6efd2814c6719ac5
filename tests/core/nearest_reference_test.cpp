#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <random>
#include <tuple>
#include <vector>

#include "core/nearest_fit.h"

namespace zelvo {
namespace {

struct Survey {
  std::vector<double> x, y, q;
  SearchCluster cluster;
  std::vector<int> visitOrder;  // every point, in the order a lattice window visits them
  FitData data;

  void Add(double px, double py, double pq) {
    x.push_back(px);
    y.push_back(py);
    q.push_back(pq);
  }
  bool Lay(double R, double cellSize) {
    const auto [xmin, xmax] = std::minmax_element(x.begin(), x.end());
    const auto [ymin, ymax] = std::minmax_element(y.begin(), y.end());
    const int built = cluster.Build(x.data(), y.data(), static_cast<int>(x.size()), cellSize,
                                    *xmin, *xmax, *ymin, *ymax, std::uint64_t{1} << 30);
    visitOrder.resize(x.size());
    std::iota(visitOrder.begin(), visitOrder.end(), 0);
    std::stable_sort(visitOrder.begin(), visitOrder.end(), [&](int a, int b) {
      const int ia = cluster.CellColumn(x[a]), ib = cluster.CellColumn(x[b]);
      return ia != ib ? ia < ib : cluster.CellRow(y[a]) < cluster.CellRow(y[b]);
    });
    data = FitData{&cluster, x.data(), y.data(), q.data(), R};
    return built == kLatticeBuilt;
  }
};

// A regular grid (exact ties in distance at spacing 0.25; at 0.37 mirrored
// offsets differ by rounding, so ties become close calls), random scatter,
// exact duplicates and near twins: within 1e-8 on both axes, or nearer than
// 1e-6 only by distance.
void Scatter(Survey& s, std::uint64_t seed, double spacing, double x0 = 1000, double y0 = 2000) {
  std::mt19937_64 rng(seed);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  const auto quantity = [&](double a, double b) { return 0.5 * a - 0.25 * b + u(rng); };
  for (int i = 0; i < 8; ++i) {
    for (int j = 0; j < 6; ++j) s.Add(x0 + i * spacing, y0 + j * spacing, quantity(i, j));
  }
  for (int k = 0; k < 40; ++k) s.Add(x0 + 3 * u(rng), y0 + 2 * u(rng), quantity(k, -k));
  for (int k = 0; k < 16; ++k) {
    const std::size_t m = rng() % s.x.size();
    const double dx[] = {0.0, 5e-9, 3e-8, 0.0};
    const double dy[] = {0.0, -5e-9, 0.0, 4e-7};
    s.Add(s.x[m] + dx[k % 4], s.y[m] + dy[k % 4], u(rng));
  }
}

// Whether point k counts among the N nearest of (x0, y0).
bool Counted(const Survey& s, const FitChoices& c, int k, double x0, double y0) {
  return c.pointOfCalculationIn || std::hypot(s.x[k] - x0, s.y[k] - y0) >= 1e-6;
}

std::vector<double> SortedDistances(const Survey& s, const FitChoices& c, double x0, double y0) {
  std::vector<double> d;
  for (std::size_t k = 0; k < s.x.size(); ++k) {
    if (Counted(s, c, k, x0, y0)) d.push_back(std::hypot(s.x[k] - x0, s.y[k] - y0));
  }
  std::sort(d.begin(), d.end());
  return d;
}

bool InWindow(const Survey& s, const CellRange& w, int k) {
  const int i = s.cluster.CellColumn(s.x[k]), j = s.cluster.CellRow(s.y[k]);
  return i >= w.iLo && i < w.iHi && j >= w.jLo && j < w.jHi;
}

// The N nearest by brute force over every point, among the points of the
// window where the growing search stops: r = R, R + r, ... until its window
// holds N within r. A window leaves out a point that lies exactly on its
// upper border where that is a cell border, so the answer depends on the
// window. The sums follow the visit order so that the fit can be compared
// bit for bit.
int Reference(const Survey& s, const FitChoices& c, int N, double x0, double y0, double q0,
              AreaCentre& centre, PlaneFit& fit) {
  if (static_cast<int>(SortedDistances(s, c, x0, y0).size()) < N) return 1;
  const double R = s.data.searchRadius;
  std::vector<double> d;
  CellRange window;
  for (double r = R;; r = R + r) {
    window = s.cluster.CellWindow(x0, y0, r);
    d.clear();
    for (std::size_t k = 0; k < s.x.size(); ++k) {
      const double distance = std::hypot(s.x[k] - x0, s.y[k] - y0);
      if (Counted(s, c, k, x0, y0) && InWindow(s, window, k) && distance <= r) d.push_back(distance);
    }
    if (static_cast<int>(d.size()) >= N) break;
  }
  std::sort(d.begin(), d.end());
  const double dN = d[N - 1];
  const auto inDisc = [&](int k) {
    return InWindow(s, window, k) && std::hypot(s.x[k] - x0, s.y[k] - y0) <= dN;
  };
  if (c.centerX == kCenterToArea || c.centerY == kCenterToArea || c.centerQ == kCenterToArea) {
    double sx = 0, sy = 0, sq = 0;
    int n = 0;
    for (int k : s.visitOrder) {
      if (!Counted(s, c, k, x0, y0) || !inDisc(k)) continue;
      sx += s.x[k], sy += s.y[k], sq += s.q[k], ++n;
    }
    centre = AreaCentre{sx / n, sy / n, sq / n};
  }
  const auto offset = [](int mode, double area, double point) {
    return mode == kCenterToArea ? area : mode == kCenterToPoint ? point : 0.0;
  };
  NormalSums sums;
  for (int k : s.visitOrder) {
    const bool same = std::fabs(s.x[k] - x0) < 1e-8 && std::fabs(s.y[k] - y0) < 1e-8;
    if ((same && !c.pointOfCalculationIn) || !inDisc(k)) continue;
    sums.Add(s.x[k] - offset(c.centerX, centre.cx, x0), s.y[k] - offset(c.centerY, centre.cy, y0),
             s.q[k] - offset(c.centerQ, centre.cq, q0));
  }
  sums.Solve(fit);
  return 0;
}

using FitBits = std::array<std::uint64_t, sizeof(PlaneFit) / 8>;
using CentreBits = std::array<std::uint64_t, sizeof(AreaCentre) / 8>;

struct Probe {
  double x, y, q;
};

// Every centring of the three axes, the point in and out; N from 1 to all
// eligible points and one more. Counts the searches that had to widen the
// window to succeed.
int ExpectSameAsReferenceAt(const Survey& s, const Probe& p, const std::vector<int>& counts) {
  std::vector<double> scratch;
  int withinR = 0;
  for (std::size_t k = 0; k < s.x.size(); ++k)
    withinR += std::hypot(s.x[k] - p.x, s.y[k] - p.y) <= s.data.searchRadius;
  int grew = 0;
  for (int mode = 0; mode < 54; ++mode) {
    const FitChoices c{mode >= 27, mode % 3, mode / 3 % 3, mode / 9 % 3};
    const int eligible = static_cast<int>(SortedDistances(s, c, p.x, p.y).size());
    std::vector<int> Ns = counts;
    Ns.insert(Ns.end(), {std::max(eligible, 1), eligible + 1});
    for (int N : Ns) {
      SCOPED_TRACE(testing::Message() << "at " << p.x << " " << p.y << " N " << N << " in/x/y/q "
                                      << c.pointOfCalculationIn << c.centerX << c.centerY
                                      << c.centerQ);
      PlaneFit want, got;
      want.r[0] = got.r[0] = -7;  // a fit that must stay untouched on failure
      AreaCentre wantCentre{-1, -2, -3}, gotCentre{-1, -2, -3};
      const int expected = Reference(s, c, N, p.x, p.y, p.q, wantCentre, want);
      const int status = FitPlaneNearest(s.data, c, N, gotCentre, p.x, p.y, p.q, got, scratch);
      EXPECT_EQ(status, expected);
      EXPECT_EQ(std::bit_cast<FitBits>(got), std::bit_cast<FitBits>(want));
      EXPECT_EQ(std::bit_cast<CentreBits>(gotCentre), std::bit_cast<CentreBits>(wantCentre));
      grew += expected == 0 && withinR < N;
    }
  }
  return grew;
}

// Every point of the survey as point of calculation.
int ExpectSameAsReference(const Survey& s, const std::vector<int>& counts = {1, 3, 10, 40}) {
  int grew = 0;
  for (std::size_t p = 0; p < s.x.size(); ++p) {
    grew += ExpectSameAsReferenceAt(s, Probe{s.x[p], s.y[p], s.q[p]}, counts);
    if (testing::Test::HasFailure()) break;  // one point's report is enough
  }
  return grew;
}

TEST(NearestReference, MatchesBruteForceOnGridScatterAndTwins) {
  for (const auto& [seed, spacing, R, cell] :
       {std::tuple{1u, 0.25, 0.6, 0.06}, std::tuple{2u, 0.37, 0.5, 0.9},
        std::tuple{3u, 0.37, 1.1, 0.3}}) {
    SCOPED_TRACE(testing::Message() << "seed " << seed);
    Survey s;
    Scatter(s, seed, spacing);
    ASSERT_TRUE(s.Lay(R, cell));
    EXPECT_GT(ExpectSameAsReference(s), 0) << "some searches must widen the window";
  }
}

TEST(NearestReference, OnlyTwinsOfThePointAreNotReachable) {
  Survey s;
  for (double dx : {0.0, 0.0, 5e-9, 3e-8}) s.Add(7 + dx, 7, dx);
  ASSERT_TRUE(s.Lay(1.0, 0.1));
  ExpectSameAsReference(s);
}

// A unit grid on a lattice of side 2: the cell borders lie on the odd
// coordinates, so points sit on borders and, for R = 2, on the edges of the
// first window, at exactly R, and in rings of exact ties at every distance.
// Two duplicated grid points and the probes' own quantity complete it.
Survey UnitGrid(double R) {
  Survey s;
  for (int i = 0; i <= 6; ++i) {
    for (int j = 0; j <= 5; ++j) s.Add(i, j, 0.5 * i - 0.3 * j + ((i * 7 + j * 3) % 5) * 0.1);
  }
  s.Add(3, 2, 9.0);
  s.Add(5, 5, -4.0);
  EXPECT_TRUE(s.Lay(R, 2.0));
  return s;
}

TEST(NearestReference, ExactTiesOnCellBordersAndAtTheRadius) {
  for (double R : {2.0, 1.0, 0.5}) {
    SCOPED_TRACE(testing::Message() << "R " << R);
    const Survey s = UnitGrid(R);
    // N at the first and last of each ring of equal distances.
    EXPECT_GT(ExpectSameAsReference(s, {1, 2, 4, 5, 8, 9, 12, 13, 20, 21}), 0);
  }
}

TEST(NearestReference, PointsOfCalculationOffTheData) {
  const Survey s = UnitGrid(2.0);
  const std::vector<Probe> probes = {
      {3.0, 1.0, 0.0},  {2.5, 2.5, 1.0},   {1.0, 5.0, -1.0},  {-0.25, 2.0, 0.0},
      {6.0, 7.5, 2.0},  {-40.0, -3.0, 0.0}, {90.0, 1e3, 0.5},  {3.000001, 2.0, 9.0},
      {3.0, 2.0000000004, 0.0}};
  for (const Probe& p : probes) {
    ExpectSameAsReferenceAt(s, p, {1, 2, 4, 5, 9, 13});
    if (testing::Test::HasFailure()) break;
  }
}

// Two tight clusters, a few lone points far from them and a lattice mostly
// empty: windows grow many times and rings cross wide empty stretches.
TEST(NearestReference, ClusteredAndSparse) {
  Survey s;
  std::mt19937_64 rng(11);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  for (int k = 0; k < 25; ++k) s.Add(u(rng), u(rng), u(rng));
  for (int k = 0; k < 25; ++k) s.Add(14 + 0.5 * u(rng), 9 + 0.5 * u(rng), u(rng));
  for (const auto& [px, py] : {std::pair{19.5, 0.2}, std::pair{7.0, 12.0}, std::pair{0.3, 11.9},
                               std::pair{7.0, 12.0}, std::pair{10.0, 5.0}}) {
    s.Add(px, py, u(rng));
  }
  ASSERT_TRUE(s.Lay(0.4, 0.25));
  EXPECT_GT(ExpectSameAsReference(s, {1, 3, 10, 26, 30}), 0);
}

// Around the origin nothing within a few cells, one point within R, two in
// the corners of the first window (R = 1) beyond R, and one nearer than those
// just outside it: the first window holds N = 3 points but not the nearest.
TEST(NearestReference, FirstWindowHoldsNButNotTheNearest) {
  Survey s;
  for (const auto& [px, py] : {std::pair{0.0, 0.0}, std::pair{0.0, -0.9}, std::pair{0.95, 0.95},
                               std::pair{-0.95, 0.95},
                               std::pair{1.2, 0.0}, std::pair{5.0, 5.0}, std::pair{-5.0, -5.0}}) {
    s.Add(px, py, px - 2 * py);
  }
  ASSERT_TRUE(s.Lay(1.0, 0.1));
  ExpectSameAsReference(s, {1, 2, 3});
}

// Map coordinates of a few million metres: cell borders and differences
// round at a scale far coarser than for the small coordinates.
TEST(NearestReference, MapSizedCoordinates) {
  Survey s;
  Scatter(s, 4, 0.37, 512345.67, 6123456.78);
  ASSERT_TRUE(s.Lay(0.5, 0.05));
  ExpectSameAsReference(s);
}

// Coordinates near the largest doubles. Spread over them, squares overflow
// where distances do not; all in one place, the tolerance of the cell
// borders is itself infinite, and the rings must still end once they cover
// the lattice.
TEST(NearestReference, CoordinatesNearTheLargestDouble) {
  Survey spread;
  for (int k = 0; k < 12; ++k) spread.Add((k % 4) * 0.5e308, (k / 4) * 0.3e308, k % 5);
  spread.Add(1e308, 1e304, 3.0);
  ASSERT_TRUE(spread.Lay(2e307, 2e306));
  ExpectSameAsReference(spread, {1, 3, 10});
  Survey together;
  for (int k = 0; k < 5; ++k) together.Add(1e308, 1.5e308, k);
  ASSERT_TRUE(together.Lay(1.0, 0.1));
  ExpectSameAsReference(together, {1, 3});
}

// Without a usable growth of the window (an infinite radius) the search
// takes the written windows; they agree with the reference as well.
TEST(NearestReference, InfiniteRadiusTakesTheWrittenWindows) {
  Survey s;
  Scatter(s, 5, 0.37);
  ASSERT_TRUE(s.Lay(INFINITY, 0.3));
  ExpectSameAsReference(s, {1, 10});
}

}  // namespace
}  // namespace zelvo
