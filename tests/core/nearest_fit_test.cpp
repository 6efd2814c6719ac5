#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "core/nearest_fit.h"

namespace zelvo {
namespace {

struct Scatter {
  std::vector<double> x, y, q;
  SearchCluster cluster;
  std::vector<double> distances;

  void Add(double px, double py) {
    x.push_back(px);
    y.push_back(py);
    q.push_back(2 * px + 3 * py);
  }
  FitData Lay(double R) {
    const auto [xmin, xmax] = std::minmax_element(x.begin(), x.end());
    const auto [ymin, ymax] = std::minmax_element(y.begin(), y.end());
    EXPECT_EQ(kLatticeBuilt, cluster.Build(x.data(), y.data(), static_cast<int>(x.size()), R * 0.1, *xmin,
                              *xmax, *ymin, *ymax, std::uint64_t{1} << 30));
    return FitData{&cluster, x.data(), y.data(), q.data(), R};
  }
  int Fit(const FitData& data, int N, PlaneFit& fit, FitChoices choices = {},
          AreaCentre* centre = nullptr) {
    AreaCentre own;
    return FitPlaneNearest(data, choices, N, centre ? *centre : own, x[0], y[0], q[0], fit,
                           distances);
  }
};

TEST(NearestFit, GrowsTheWindowUntilNPointsAreFound) {
  Scatter s;
  s.Add(0, 0);
  double side = 1;
  for (double d : {1.0, 2.0, 3.0, 25.0, 26.0, 27.0, 28.0}) {
    s.Add(d, side * d * 0.5);
    side = -side;
  }
  const FitData data = s.Lay(10);
  PlaneFit fit;
  ASSERT_EQ(s.Fit(data, 3, fit), 0);
  EXPECT_EQ(fit.npoints, 3) << "three within R: one pass";
  EXPECT_NEAR(fit.r[0], 2, 1e-9);
  ASSERT_EQ(s.Fit(data, 5, fit), 0);
  EXPECT_EQ(fit.npoints, 5) << "found at r = 3R, beyond R";
  ASSERT_EQ(s.Fit(data, 7, fit), 0);
  EXPECT_EQ(fit.npoints, 7);
  EXPECT_EQ(s.Fit(data, 8, fit), 1) << "only seven others exist: no endless widening";
  ASSERT_EQ(s.Fit(data, 8, fit, FitChoices{true, 2, 2, 0}), 0) << "the point itself counts when IN";
  EXPECT_EQ(fit.npoints, 8);
}

TEST(NearestFit, APointWhoseSquareRoundsAboveTheNthButWhoseDistanceDoesNotIsIn) {
  Scatter s;
  s.Add(0, 0);
  for (int k = 1; k <= 9; ++k) s.Add(0.1 * k, -0.05 * k);
  // The tenth: 3-4-5, a square of exactly 25, met first (the same cell, in
  // table order); then a point whose square rounds to 25.000000000000004
  // while its hypot is exactly 5.
  s.Add(4, 3);
  s.Add(3.2114584735437903, 3.832301459006558);
  ASSERT_GT(s.x.back() * s.x.back() + s.y.back() * s.y.back(), 25.0);
  ASSERT_EQ(std::hypot(s.x.back(), s.y.back()), 5.0);
  const FitData data = s.Lay(30);
  PlaneFit fit;
  ASSERT_EQ(s.Fit(data, 10, fit), 0);
  EXPECT_EQ(fit.npoints, 11);
}

TEST(NearestFit, TiesAtTheNthDistanceAndNearTwins) {
  Scatter s;
  s.Add(0, 0);
  s.Add(1, 0);
  s.Add(0, 1);
  s.Add(-1, 0);
  s.Add(0, -1);
  s.Add(5, 5);
  s.Add(0, 0);             // a twin of the point: out of the N and out of the fit
  s.Add(5e-7, 0);          // nearer than 1e-6, but 1e-8 or more away along x: in the fit only
  const FitData data = s.Lay(3);
  PlaneFit fit;
  ASSERT_EQ(s.Fit(data, 3, fit), 0);
  EXPECT_EQ(fit.npoints, 5) << "four at exactly dN plus the near point";
}

TEST(NearestFit, MiddleOfAreaIsTheNeighbourhoodMean) {
  Scatter s;
  s.Add(10, 10);
  s.Add(11, 10);
  s.Add(10, 12);
  s.Add(13, 13);
  s.Add(40, 40);
  const FitData data = s.Lay(5);
  PlaneFit fit;
  AreaCentre centre{99, 99, 99};
  ASSERT_EQ(s.Fit(data, 3, fit, FitChoices{false, 1, 0, 0}, &centre), 0);
  EXPECT_DOUBLE_EQ(centre.cx, (11 + 10 + 13) / 3.0);
  EXPECT_DOUBLE_EQ(centre.cy, (10 + 12 + 13) / 3.0);
  EXPECT_NEAR(fit.r[0], 2, 1e-9);
  AreaCentre untouched{99, 99, 99};
  ASSERT_EQ(s.Fit(data, 3, fit, FitChoices{}, &untouched), 0);
  EXPECT_EQ(untouched.cx, 99);
}

}  // namespace
}  // namespace zelvo
