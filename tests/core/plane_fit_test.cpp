#include <gtest/gtest.h>

#include <cmath>
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
    EXPECT_TRUE(cluster.Build(x.data(), y.data(), static_cast<int>(x.size()), R * 0.1, *xmin,
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
    ASSERT_EQ(BeyondDistance(dx, dy, limit, limit * limit), std::hypot(dx, dy) > limit);
    ASSERT_EQ(WithinDistance(dx, dy, limit, limit * limit), std::hypot(dx, dy) < limit);
  }
}

}  // namespace
}  // namespace zelvo
