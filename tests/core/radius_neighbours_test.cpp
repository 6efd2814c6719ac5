#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "core/fit_field.h"
#include "core/radius_neighbours.h"

namespace zelvo {
namespace {

constexpr std::uint64_t kAmpleBudget = std::uint64_t{1} << 30;

// Three passes that replace each point's quantity by its fitted value at
// once, as RGA does: every fit through the kept neighbours must be
// FitPlaneRadius's over the quantities as they stand, bit for bit. The last
// pass fits through FitKept where every point was kept. Returns whether
// every point was kept.
bool ExpectKeptAsAlone(const Field& field, const FitChoices& choices, std::uint64_t budget,
                       const std::vector<double>* x0 = nullptr,
                       const std::vector<double>* y0 = nullptr) {
  const double* px = x0 ? x0->data() : field.x.data();
  const double* py = y0 ? y0->data() : field.y.data();
  std::vector<double> plainQ = field.q, keptQ = field.q;
  FitData plainData = field.Data(), keptData = field.Data();
  plainData.q = plainQ.data();
  keptData.q = keptQ.data();
  RadiusNeighbours kept(keptData, choices, field.centre, field.Size(), budget);
  int differing = 0;
  for (int pass = 0; pass < 3; ++pass) {
    const bool constFits = pass == 2 && kept.EveryPointKept();
    for (int k = 0; k < field.Size(); ++k) {
      PlaneFit plain, fit;
      FitPlaneRadius(plainData, choices, field.centre, px[k], py[k], field.q[k], plain);
      if (constFits) {
        kept.FitKept(k, px[k], py[k], field.q[k], fit);
      } else {
        kept.Fit(k, px[k], py[k], field.q[k], fit);
      }
      const bool same = SameBits(fit.r[0], plain.r[0]) && SameBits(fit.r[1], plain.r[1]) &&
                        SameBits(fit.r[2], plain.r[2]) && SameBits(fit.npoints, plain.npoints);
      if (!same && ++differing <= 3) {
        ADD_FAILURE() << "pass " << pass << ", point " << k << ": " << fit.r[0] << " "
                      << fit.r[1] << " " << fit.r[2] << " " << fit.npoints << " alone "
                      << plain.r[0] << " " << plain.r[1] << " " << plain.r[2] << " "
                      << plain.npoints;
      }
      if (!plain.Failed()) plainQ[static_cast<std::size_t>(k)] = plain.r[2];
      if (!fit.Failed()) keptQ[static_cast<std::size_t>(k)] = fit.r[2];
    }
  }
  EXPECT_EQ(differing, 0);
  return kept.EveryPointKept();
}

TEST(RadiusNeighbours, LaterPassesAreTheFitAloneUnderEveryChoice) {
  Field field = Scatter(500, 90.0, 3);
  field.Lay(11.0, 1.1);
  for (const bool pointIn : {false, true}) {
    for (int cx = 0; cx < 3; ++cx) {
      for (int cq = -1; cq < 3; ++cq) {
        SCOPED_TRACE(testing::Message() << "in " << pointIn << ", cx " << cx << ", cq " << cq);
        EXPECT_TRUE(ExpectKeptAsAlone(field, FitChoices{pointIn, cx, (cx + 1) % 3, cq}, kAmpleBudget));
      }
    }
  }
}

TEST(RadiusNeighbours, TiesAtTheRadiusAndAtThePointOfCalculation) {
  // The 3-4-5 neighbours of an integer lattice lie exactly at R = 5, and with
  // cells of 0.5 every point lies on a cell border.
  Field field;
  for (int i = 0; i < 20; ++i) {
    for (int j = 0; j < 15; ++j) field.Add(i, j, i * 0.5 - j * 0.25 + ((i * 7 + j) % 5));
  }
  // Neighbours just beside the point of calculation, at about 1e-6.
  field.Add(3.0 + 1e-6, 4.0, 2.0);
  field.Add(7.0, 8.0 - 0.999999e-6, 1.0);
  field.Lay(5.0, 0.5);
  EXPECT_TRUE(ExpectKeptAsAlone(field, FitChoices{}, kAmpleBudget));
  EXPECT_TRUE(ExpectKeptAsAlone(field, FitChoices{true, kCenterToArea, kNotCenter, kCenterToPoint},
                                kAmpleBudget));
  // Points of calculation beside the data, some exactly R from a data point.
  field.Lay(5.0, 5.0);
  std::vector<double> x0 = field.x, y0 = field.y;
  for (std::size_t k = 0; k < x0.size(); ++k) {
    x0[k] += (k % 3 == 0) ? 0.5 : 0.0;
    y0[k] += (k % 4 == 1) ? -5.0 : 0.0;
  }
  EXPECT_TRUE(ExpectKeptAsAlone(field, FitChoices{}, kAmpleBudget, &x0, &y0));
}

TEST(RadiusNeighbours, InfiniteHugeAndFarValuesAndASparseLattice) {
  Field field = Scatter(300, 50.0, 13);
  field.q[10] = std::numeric_limits<double>::infinity();
  field.q[40] = -std::numeric_limits<double>::infinity();
  field.q[41] = 1e308;
  field.q[42] = -1e308;
  field.q[90] = std::nan("");
  field.q[91] = 1e-310;
  field.Lay(8.0, 0.8);
  EXPECT_TRUE(ExpectKeptAsAlone(field, FitChoices{false, kCenterToPoint, kCenterToPoint, kCenterToPoint},
                                kAmpleBudget));
  Field far = Scatter(200, 30.0, 17);
  for (double& x : far.x) x += 1e9;
  for (double& y : far.y) y -= 3e8;
  far.Lay(6.0, 0.6);
  EXPECT_TRUE(ExpectKeptAsAlone(far, FitChoices{}, kAmpleBudget));
  Field clusters;
  for (int k = 0; k < 240; ++k) {
    const double shift = (k % 3) * 5000.0;
    clusters.Add(shift + (k * 37 % 100) * 0.2, shift * 0.5 + (k * 61 % 100) * 0.2, k % 7);
  }
  clusters.Lay(4.0, 0.4, LatticeLayout::kSparse);
  ASSERT_TRUE(clusters.cluster.Sparse());
  EXPECT_TRUE(ExpectKeptAsAlone(clusters, FitChoices{}, kAmpleBudget));
}

TEST(RadiusNeighbours, PointsBeyondTheBudgetAreFittedAfreshAlike) {
  Field field = Scatter(400, 60.0, 7);
  field.Lay(9.0, 0.9);
  EXPECT_FALSE(ExpectKeptAsAlone(field, FitChoices{}, 0)) << "nothing kept";
  // From room for no marks at all to room for every point's.
  for (std::uint64_t budget = 1000; budget <= 40000; budget += 1500) {
    SCOPED_TRACE("budget " + std::to_string(budget));
    ExpectKeptAsAlone(field, FitChoices{}, budget);
  }
  EXPECT_TRUE(ExpectKeptAsAlone(field, FitChoices{}, 40000));
}

}  // namespace
}  // namespace zelvo
