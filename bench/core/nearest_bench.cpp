// One pass of N-nearest fits over the benchmarks' survey (about a million
// points on lines 100 m apart, stations 10 m apart): N = 10 at R = 350 m and
// N = 3 at R = 40 m, each with the lattice cell side R / 10 of the program.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "../survey/survey_layout.h"
#include "core/nearest_fit.h"

namespace zelvo {
namespace {

struct LaidSurvey {
  bench::SurveyPoints points = bench::MakeSurvey();
  SearchCluster cluster;
  double radius;

  explicit LaidSurvey(double R) : radius(R) {
    const auto [xmin, xmax] = std::minmax_element(points.x.begin(), points.x.end());
    const auto [ymin, ymax] = std::minmax_element(points.y.begin(), points.y.end());
    cluster.Build(points.x.data(), points.y.data(), static_cast<int>(points.Size()), R * 0.1,
                  *xmin, *xmax, *ymin, *ymax, std::uint64_t{1} << 32);
  }
  FitData Data() const {
    return FitData{&cluster, points.x.data(), points.y.data(), points.q.data(), radius};
  }
};

// Each radius lays the survey once for the whole program.
template <int R>
const LaidSurvey& SurveyAt() {
  static const LaidSurvey survey(R);
  return survey;
}

template <int N, int R>
void BM_NearestPass(benchmark::State& state) {
  const LaidSurvey& survey = SurveyAt<R>();
  const FitData data = survey.Data();
  const bench::SurveyPoints& p = survey.points;
  PlaneFit fit;
  AreaCentre centre;
  std::vector<double> distances;
  double neighbours = 0;
  for (auto _ : state) {
    neighbours = 0;
    for (std::size_t k = 0; k < p.Size(); ++k) {
      if (FitPlaneNearest(data, FitChoices{}, N, centre, p.x[k], p.y[k], p.q[k], fit,
                          distances) != 0) {
        state.SkipWithError("too few points");
        return;
      }
      neighbours += fit.npoints;
    }
    benchmark::DoNotOptimize(fit.r[0]);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(p.Size()));
  state.counters["neighbours_per_point"] = neighbours / static_cast<double>(p.Size());
}
BENCHMARK_TEMPLATE(BM_NearestPass, 10, 350)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_TEMPLATE(BM_NearestPass, 3, 40)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace zelvo
