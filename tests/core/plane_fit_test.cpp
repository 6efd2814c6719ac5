#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "core/plane_fit.h"

namespace zelvo {
namespace {

// Points with a lattice over them, as a run holds them.
struct Scatter {
  std::vector<double> x, y, q;
  SearchCluster cluster;
  AreaCentre centre;

  void Add(double px, double py, double pq) {
    x.push_back(px);
    y.push_back(py);
    q.push_back(pq);
  }
  FitData Lay(double R) {
    const auto [xmin, xmax] = std::minmax_element(x.begin(), x.end());
    const auto [ymin, ymax] = std::minmax_element(y.begin(), y.end());
    EXPECT_EQ(kLatticeBuilt, cluster.Build(x.data(), y.data(), static_cast<int>(x.size()), R * 0.1, *xmin,
                              *xmax, *ymin, *ymax, std::uint64_t{1} << 30));
    centre = AreaCentre{(*xmin + *xmax) / 2, (*ymin + *ymax) / 2, 0};
    return FitData{&cluster, x.data(), y.data(), q.data(), R};
  }
};

TEST(PlaneFit, RecoversAnExactPlaneUnderEveryCentring) {
  Scatter scatter;
  std::mt19937 random(7);
  std::uniform_real_distribution<double> coordinate(0, 100);
  for (int i = 0; i < 60; ++i) {
    const double x = coordinate(random), y = coordinate(random);
    scatter.Add(x, y, 0.75 * x - 1.5 * y + 40);
  }
  const FitData data = scatter.Lay(60);
  scatter.centre.cq = 12.5;
  const double x0 = scatter.x[0], y0 = scatter.y[0], q0 = scatter.q[0];
  for (int cx = 0; cx < 3; ++cx) {
    for (int cy = 0; cy < 3; ++cy) {
      for (int cq = -1; cq < 3; ++cq) {
        PlaneFit fit;
        FitPlaneRadius(data, FitChoices{false, cx, cy, cq}, scatter.centre, x0, y0, q0, fit);
        ASSERT_FALSE(fit.Failed());
        EXPECT_NEAR(fit.r[0], 0.75, 1e-9);
        EXPECT_NEAR(fit.r[1], -1.5, 1e-9);
        if (cx == kCenterToPoint && cy == kCenterToPoint) {
          const double expected = cq == kCenterToPoint ? 0.0 : cq == kCenterToArea ? q0 - 12.5 : q0;
          EXPECT_NEAR(fit.r[2], expected, 1e-9) << cq;
        }
      }
    }
  }
}

TEST(PlaneFit, DistanceLimitsAndThePointOfCalculation) {
  Scatter scatter;
  scatter.Add(0, 0, 1);            // the point of calculation
  scatter.Add(1e-6, 0, 2);         // exactly 1e-6 away: used
  scatter.Add(0, 5e-7, 3);         // closer than 1e-6: left out
  scatter.Add(0, -2, 4);           // exactly R
  scatter.Add(0, 2, 5);            // exactly R
  scatter.Add(0, 2.000001, 6);     // just beyond R
  scatter.Add(-1.42, -1.42, 7);    // in a visited cell, beyond R
  scatter.Add(-1.5, 0, 8);
  const FitData data = scatter.Lay(2);
  PlaneFit fit;
  FitPlaneRadius(data, FitChoices{}, scatter.centre, 0, 0, 1, fit);
  EXPECT_EQ(fit.npoints, 4);
  FitPlaneRadius(data, FitChoices{true, 2, 2, 0}, scatter.centre, 0, 0, 1, fit);
  EXPECT_EQ(fit.npoints, 6) << "the point itself and its near twin are used when IN";
}

TEST(PlaneFit, SingularSystemsLeaveTheMarker) {
  Scatter scatter;
  scatter.Add(0, 0, 1);
  scatter.Add(100, 100, 2);
  scatter.Add(100, 101, 3);
  scatter.Add(50, 0, 1);
  scatter.Add(50, 1, 1);
  scatter.Add(50, 2, 1);
  const FitData data = scatter.Lay(5);
  PlaneFit fit;
  FitPlaneRadius(data, FitChoices{}, scatter.centre, 0, 0, 1, fit);
  EXPECT_TRUE(fit.Failed()) << "no neighbour";
  EXPECT_EQ(fit.npoints, 0);
  FitPlaneRadius(data, FitChoices{}, scatter.centre, 100, 100, 2, fit);
  EXPECT_TRUE(fit.Failed()) << "one neighbour cannot fix a plane";
  EXPECT_EQ(fit.npoints, 1);
  FitPlaneRadius(data, FitChoices{true, 2, 2, 0}, scatter.centre, 50, 1, 1, fit);
  EXPECT_TRUE(fit.Failed()) << "all on the point's own x: a zero pivot";
  EXPECT_EQ(fit.npoints, 3);

  double A[3][3] = {{1, 2, 0}, {2, 4, 0}, {0, 0, 1}};
  double r[3] = {1, 2, 3};
  EXPECT_EQ(SolveSLE(A, r, 3), 1);
  EXPECT_EQ(r[0], kSingularMarker);
}

// Gauss-Jordan elimination as plainly written, one value at a time. Returns
// the step whose pivot was zero, counted from 1, or 0.
int PlainElimination(double A[3][3], double r[3]) {
  for (int i = 0; i < 3; ++i) {
    const double p = A[i][i];
    if (std::fabs(p) == 0.0) {
      r[0] = kSingularMarker;
      return i + 1;
    }
    for (int k = 0; k < 3; ++k) A[i][k] /= p;
    r[i] /= p;
    for (int j = 0; j < 3; ++j) {
      if (j == i) continue;
      const double f = A[j][i];
      for (int k = 0; k < 3; ++k) A[j][k] -= A[i][k] * f;
      r[j] -= r[i] * f;
    }
  }
  return 0;
}

// The same bits, or NaN for NaN: where two NaN meet, which one an operation
// passes on follows the order of operands the compiler chose, which may
// differ here from the library.
bool SameValue(double a, double b) {
  return std::memcmp(&a, &b, sizeof a) == 0 || (std::isnan(a) && std::isnan(b));
}

TEST(PlaneFit, SolveGivesThePlainEliminationBitForBit) {
  // Small integers make pivots exactly zero at every step; the others bring
  // rounding, overflow, underflow, infinities, NaN and zeros of both signs.
  std::mt19937_64 random(41);
  std::uniform_int_distribution<int> kind(0, 19), small(-3, 3);
  std::normal_distribution<double> normal(0.0, 1e3);
  const auto value = [&]() {
    switch (kind(random)) {
      case 0: return 1e300 * normal(random);
      case 1: return 1e-300 * normal(random);
      case 2: return std::numeric_limits<double>::infinity();
      case 3: return std::nan("");
      case 4: return -0.0;
      case 5: case 6: case 7: case 8: case 9: case 10: case 11: return double(small(random));
      default: return normal(random);
    }
  };
  int stoppedAt[4] = {};
  for (int trial = 0; trial < 100000; ++trial) {
    double A[3][3], r[3];
    for (auto& row : A) {
      for (double& a : row) a = value();
    }
    for (double& b : r) b = value();
    double plainA[3][3], plainR[3];
    std::memcpy(plainA, A, sizeof A);
    std::memcpy(plainR, r, sizeof r);
    const int step = PlainElimination(plainA, plainR);
    ++stoppedAt[step];
    ASSERT_EQ(SolveSLE(A, r, 3), step == 0 ? 0 : 1) << "trial " << trial;
    for (int k = 0; k < 9; ++k) {
      ASSERT_TRUE(SameValue(A[k / 3][k % 3], plainA[k / 3][k % 3])) << "trial " << trial;
    }
    for (int k = 0; k < 3; ++k) ASSERT_TRUE(SameValue(r[k], plainR[k])) << "trial " << trial;
  }
  for (int step = 1; step <= 3; ++step) EXPECT_GT(stoppedAt[step], 100) << "zero pivot at step " << step;
}

// The fit as plainly written: hypot for every distance, a branch for every
// test. The fast fit must give the same bits.
PlaneFit PlainFit(const FitData& data, const FitChoices& choices, const AreaCentre& centre,
                  double x0, double y0, double q0) {
  const auto centred = [](double v, int mode, double area, double point) {
    return mode == 1 ? v - area : mode == 2 ? v - point : v;
  };
  NormalSums sums;
  const SearchCluster& cluster = *data.cluster;
  const CellRange w = cluster.CellWindow(x0, y0, data.searchRadius);
  for (int i = w.iLo; i < w.iHi; ++i) {
    for (int j = w.jLo; j < w.jHi; ++j) {
      for (const std::int32_t* p = cluster.CellBegin(i, j); p != cluster.CellEnd(i, j); ++p) {
        const double d = std::hypot(data.x[*p] - x0, data.y[*p] - y0);
        if (!choices.pointOfCalculationIn && d < 1e-6) continue;
        if (d > data.searchRadius) continue;
        sums.Add(centred(data.x[*p], choices.centerX, centre.cx, x0),
                 centred(data.y[*p], choices.centerY, centre.cy, y0),
                 centred(data.q[*p], choices.centerQ, centre.cq, q0));
      }
    }
  }
  PlaneFit fit;
  sums.Solve(fit);
  return fit;
}

TEST(PlaneFit, FastFitGivesThePlainFitsBits) {
  Scatter scatter;
  std::mt19937 random(19);
  std::uniform_real_distribution<double> coordinate(0, 300);
  for (int i = 0; i < 3000; ++i) {
    // Stations on a 3 m lattice, some repeated, so that many distances hit R exactly.
    const double x = i % 4 == 0 ? std::floor(coordinate(random) / 3) * 3 : coordinate(random);
    const double y = i % 4 == 0 ? std::floor(coordinate(random) / 3) * 3 : coordinate(random);
    scatter.Add(x, y, std::sin(x * 0.05) * 10 + y * 0.3);
  }
  const FitData data = scatter.Lay(15);
  scatter.centre.cq = 4.25;
  for (int k = 0; k < 3000; k += 7) {
    const FitChoices choices{k % 2 == 0, (k / 7) % 4 - 1, (k / 3) % 3, (k / 5) % 3};
    PlaneFit fast;
    FitPlaneRadius(data, choices, scatter.centre, scatter.x[k], scatter.y[k], scatter.q[k], fast);
    const PlaneFit plain = PlainFit(data, choices, scatter.centre, scatter.x[k], scatter.y[k], scatter.q[k]);
    ASSERT_EQ(std::memcmp(fast.r, plain.r, sizeof fast.r), 0) << k;
    ASSERT_EQ(fast.npoints, plain.npoints) << k;
  }
}

TEST(PlaneFit, PointsBeyondTheRadiusCannotSpoilTheSums) {
  Scatter scatter;
  for (double x : {0.0, 1.0, 0.0, 1.0}) scatter.Add(x, scatter.x.size() < 2 ? 0.0 : 1.0, -1e308);
  scatter.Add(12, 0, 1.5e308);  // beyond R, its centred quantity overflows
  const FitData data = scatter.Lay(10);
  PlaneFit fit;
  FitPlaneRadius(data, FitChoices{true, 2, 2, 2}, scatter.centre, 0, 0, -1e308, fit);
  EXPECT_EQ(fit.npoints, 4);
  EXPECT_TRUE(std::isfinite(fit.r[0]) && std::isfinite(fit.r[1])) << fit.r[0];
}

TEST(PlaneFit, SquaredDistanceTestsAgreeWithHypot) {
  std::mt19937_64 random(11);
  std::uniform_real_distribution<double> value(-1e3, 1e3);
  std::uniform_int_distribution<int> ulps(-3, 3);
  for (int i = 0; i < 200000; ++i) {
    const double dx = value(random), dy = i % 3 == 0 ? 0.0 : value(random);
    double limit = std::hypot(dx, dy);
    for (int step = ulps(random); step != 0; step += step > 0 ? -1 : 1) {
      limit = std::nextafter(limit, step > 0 ? INFINITY : 0.0);
    }
    const DistanceLimit test(limit);
    ASSERT_EQ(test.Beyond(dx, dy), std::hypot(dx, dy) > limit);
    ASSERT_EQ(test.Within(dx, dy), std::hypot(dx, dy) < limit);
  }
}

}  // namespace
}  // namespace zelvo
