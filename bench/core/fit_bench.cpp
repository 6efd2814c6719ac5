// One pass of fits over the benchmarks' survey (bench/survey/survey_layout.h):
// about 1,000,000 points, lattice cell R/10, at R = 350 m (about 386
// neighbours) and R = 150 m (about 73): the per-point path in file order, the
// batch in lattice order, and the N-nearest fits.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

#include "core/nearest_fit.h"
#include "core/radius_batch.h"
#include "survey/survey_layout.h"

namespace zelvo {
namespace {

struct Survey {
  bench::SurveyPoints points;
  SearchCluster cluster;
  AreaCentre centre;
  double radius;
  long long windowPoints = 0;  // points visited by one pass of radius windows

  explicit Survey(double R) : points(bench::MakeSurvey()), radius(R) {
    const auto [xmin, xmax] = std::minmax_element(points.x.begin(), points.x.end());
    const auto [ymin, ymax] = std::minmax_element(points.y.begin(), points.y.end());
    cluster.Build(points.x.data(), points.y.data(), static_cast<int>(points.Size()), R * 0.1,
                  *xmin, *xmax, *ymin, *ymax, std::uint64_t{1} << 32);
    centre = AreaCentre{(*xmin + *xmax) / 2, (*ymin + *ymax) / 2, 0};
    for (std::size_t k = 0; k < points.Size(); ++k) {
      cluster.ForEachInWindow(cluster.CellWindow(points.x[k], points.y[k], R),
                              [&](int) { ++windowPoints; });
    }
  }
  FitData Data() const {
    return FitData{&cluster, points.x.data(), points.y.data(), points.q.data(), radius};
  }
};

// Each radius's survey once; the benchmarks of one radius follow each other.
const Survey& SurveyAt(double R) {
  static std::map<double, std::unique_ptr<Survey>> surveys;
  if (surveys.count(R) == 0) {
    surveys.clear();
    surveys.emplace(R, std::make_unique<Survey>(R));
  }
  return *surveys.at(R);
}

void ReportPass(benchmark::State& state, const Survey& survey) {
  state.SetItemsProcessed(state.iterations() * static_cast<long long>(survey.points.Size()));
  state.counters["ns_per_neighbour_visited"] = benchmark::Counter(
      static_cast<double>(survey.windowPoints) * state.iterations() * 1e-9,
      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_RadiusFitPass(benchmark::State& state) {
  const Survey& survey = SurveyAt(static_cast<double>(state.range(0)));
  const FitData data = survey.Data();
  const bench::SurveyPoints& p = survey.points;
  PlaneFit fit;
  double neighbours = 0;
  for (auto _ : state) {
    neighbours = 0;
    for (std::size_t k = 0; k < p.Size(); ++k) {
      FitPlaneRadius(data, FitChoices{}, survey.centre, p.x[k], p.y[k], p.q[k], fit);
      neighbours += fit.npoints;
    }
    benchmark::DoNotOptimize(fit.r[0]);
  }
  state.counters["neighbours_per_point"] = neighbours / static_cast<double>(p.Size());
  ReportPass(state, survey);
}
BENCHMARK(BM_RadiusFitPass)->Arg(350)->Arg(150)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_RadiusBatchPass(benchmark::State& state) {
  const Survey& survey = SurveyAt(static_cast<double>(state.range(0)));
  const FitData data = survey.Data();
  const bench::SurveyPoints& p = survey.points;
  std::vector<double> a(p.Size()), b(p.Size()), c(p.Size()), npoints(p.Size());
  const FitColumns out{a.data(), b.data(), c.data(), npoints.data()};
  for (auto _ : state) {
    FitRadiusBatch(data, FitChoices{}, survey.centre, p.x.data(), p.y.data(), p.q.data(),
                   survey.cluster.LatticeOrder(), survey.cluster.LatticeOrderSize(), out);
    benchmark::DoNotOptimize(a.data());
  }
  // Outside the timing: any point where the batch is not bit for bit the
  // per-point fit.
  double differing = 0;
  PlaneFit fit;
  for (std::size_t k = 0; k < p.Size(); ++k) {
    FitPlaneRadius(data, FitChoices{}, survey.centre, p.x[k], p.y[k], p.q[k], fit);
    const double batch[4] = {a[k], b[k], c[k], npoints[k]};
    differing += std::memcmp(batch, fit.r, 3 * sizeof(double)) != 0 ||
                 std::memcmp(&batch[3], &fit.npoints, sizeof(double)) != 0;
  }
  state.counters["differing_from_per_point"] = differing;
  ReportPass(state, survey);
}
BENCHMARK(BM_RadiusBatchPass)->Arg(350)->Arg(150)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_NearestFitPass(benchmark::State& state) {
  const Survey& survey = SurveyAt(350.0);
  const FitData data = survey.Data();
  const bench::SurveyPoints& p = survey.points;
  const int N = static_cast<int>(state.range(0));
  PlaneFit fit;
  AreaCentre centre = survey.centre;  // the N-nearest fit takes it to change
  std::vector<double> distances;
  for (auto _ : state) {
    for (std::size_t k = 0; k < p.Size(); ++k) {
      FitPlaneNearest(data, FitChoices{}, N, centre, p.x[k], p.y[k], p.q[k], fit,
                      distances);
    }
    benchmark::DoNotOptimize(fit.r[0]);
  }
  ReportPass(state, survey);
}
BENCHMARK(BM_NearestFitPass)->Arg(10)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace zelvo
