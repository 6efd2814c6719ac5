#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "survey/engine_passes.h"

namespace zelvo {
namespace {

// The timed passes must be the run's fits: every point once, each answer the
// one a single call gives, whatever order the batches take them in.
class EnginePasses : public ::testing::Test {
 protected:
  static constexpr double kRadius = 35.0;
  bench::SurveyPoints points = bench::MakeSurvey(6, 80);

  FitData Data(SearchCluster& cluster) const {
    bench::BuildLattice(points, kRadius, cluster);
    return bench::DataOf(points, cluster, kRadius);
  }
};

TEST_F(EnginePasses, TheRadiusPassFitsEveryPointAsASingleFitDoes) {
  bench::PassResults results(points.Size());
  results.npoints.assign(points.Size(), -1.0);  // untouched points stand out
  bench::RadiusPass(points, kRadius, results);
  SearchCluster cluster;
  const FitData data = Data(cluster);
  PlaneFit fit;
  for (std::size_t k = 0; k < points.Size(); ++k) {
    FitPlaneRadius(data, FitChoices{}, AreaCentre{}, points.x[k], points.y[k], points.q[k], fit);
    ASSERT_EQ(results.npoints[k], fit.npoints) << k;
    ASSERT_EQ(results.a[k], fit.r[0]) << k;
    ASSERT_EQ(results.b[k], fit.r[1]) << k;
    ASSERT_EQ(results.c[k], fit.r[2]) << k;
  }
}

TEST_F(EnginePasses, NearestFitsAtListedPointsOnly) {
  const std::vector<std::int32_t> sample = bench::EveryNth(points.Size(), 7);
  ASSERT_EQ(sample.size(), (points.Size() + 6) / 7);
  bench::PassResults results(points.Size());
  results.npoints.assign(points.Size(), -1.0);
  bench::NearestFits(points, 10, kRadius, sample, results);
  SearchCluster cluster;
  const FitData data = Data(cluster);
  AreaCentre centre;
  PlaneFit fit;
  std::vector<double> distances;
  for (std::size_t k = 0; k < points.Size(); ++k) {
    if (k % 7 != 0) {
      ASSERT_EQ(results.npoints[k], -1.0) << k;
      continue;
    }
    ASSERT_EQ(FitPlaneNearest(data, FitChoices{}, 10, centre, points.x[k], points.y[k],
                              points.q[k], fit, distances), 0);
    ASSERT_EQ(results.a[k], fit.r[0]) << k;
    ASSERT_EQ(results.b[k], fit.r[1]) << k;
    ASSERT_EQ(results.npoints[k], fit.npoints) << k;
  }
}

}  // namespace
}  // namespace zelvo
