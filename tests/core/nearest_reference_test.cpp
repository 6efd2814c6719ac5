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
void Scatter(Survey& s, std::uint64_t seed, double spacing) {
  std::mt19937_64 rng(seed);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  const auto quantity = [&](double a, double b) { return 0.5 * a - 0.25 * b + u(rng); };
  for (int i = 0; i < 8; ++i) {
    for (int j = 0; j < 6; ++j) s.Add(1000 + i * spacing, 2000 + j * spacing, quantity(i, j));
  }
  for (int k = 0; k < 40; ++k) s.Add(1000 + 3 * u(rng), 2000 + 2 * u(rng), quantity(k, -k));
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

// The N nearest by brute force over every point; the sums follow the visit
// order so that the fit can be compared bit for bit.
int Reference(const Survey& s, const FitChoices& c, int N, double x0, double y0, double q0,
              AreaCentre& centre, PlaneFit& fit) {
  const std::vector<double> d = SortedDistances(s, c, x0, y0);
  if (static_cast<int>(d.size()) < N) return 1;
  const double dN = d[N - 1];
  const auto inDisc = [&](int k) { return std::hypot(s.x[k] - x0, s.y[k] - y0) <= dN; };
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

// Every point of the survey as point of calculation, every centring of the
// three axes, the point in and out; N from 1 to all eligible points and one more.
// Counts the searches that had to widen the window to succeed.
int ExpectSameAsReference(const Survey& s) {
  std::vector<double> scratch;
  int grew = 0;
  for (std::size_t p = 0; p < s.x.size(); ++p) {
    int withinR = 0;
    for (std::size_t k = 0; k < s.x.size(); ++k)
      withinR += std::hypot(s.x[k] - s.x[p], s.y[k] - s.y[p]) <= s.data.searchRadius;
    for (int mode = 0; mode < 54; ++mode) {
      const FitChoices c{mode >= 27, mode % 3, mode / 3 % 3, mode / 9 % 3};
      const int eligible = static_cast<int>(SortedDistances(s, c, s.x[p], s.y[p]).size());
      for (int N : {1, 3, 10, 40, std::max(eligible, 1), eligible + 1}) {
        SCOPED_TRACE(testing::Message() << "point " << p << " N " << N << " in/x/y/q "
                                        << c.pointOfCalculationIn << c.centerX << c.centerY
                                        << c.centerQ);
        PlaneFit want, got;
        want.r[0] = got.r[0] = -7;  // a fit that must stay untouched on failure
        AreaCentre wantCentre{-1, -2, -3}, gotCentre{-1, -2, -3};
        const int expected = Reference(s, c, N, s.x[p], s.y[p], s.q[p], wantCentre, want);
        const int status =
            FitPlaneNearest(s.data, c, N, gotCentre, s.x[p], s.y[p], s.q[p], got, scratch);
        EXPECT_EQ(status, expected);
        EXPECT_EQ(std::bit_cast<FitBits>(got), std::bit_cast<FitBits>(want));
        EXPECT_EQ(std::bit_cast<CentreBits>(gotCentre), std::bit_cast<CentreBits>(wantCentre));
        grew += expected == 0 && withinR < N;
      }
    }
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

}  // namespace
}  // namespace zelvo
