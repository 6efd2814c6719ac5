// One pass of fits over generated survey lines: 1,000,000 points, lines 100 m
// apart, stations 10 m apart, R = 180 m (about 100 neighbours).

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "core/nearest_fit.h"

namespace zelvo {
namespace {

constexpr double kRadius = 180.0;

struct Survey {
  std::vector<double> x, y, q;
  SearchCluster cluster;
  AreaCentre centre;
  long long windowPoints = 0;  // points visited by one pass of radius windows

  Survey() {
    for (int line = 0; line < 1000; ++line) {
      for (int station = 0; station < 1000; ++station) {
        const double px = station * 10.0 + (line % 3) * 1.7;
        const double py = line * 100.0 + (station % 5) * 0.9;
        x.push_back(px);
        y.push_back(py);
        q.push_back(std::sin(px * 1e-3) * 20.0 + std::cos(py * 7e-4) * 15.0 + px * 1e-4);
      }
    }
    cluster.Build(x.data(), y.data(), static_cast<int>(x.size()), kRadius * 0.1, 0, 9990 + 3.4,
                  0, 99900 + 3.6, std::uint64_t{1} << 32);
    const FitData data = Data();
    for (std::size_t k = 0; k < x.size(); ++k) {
      cluster.ForEachInWindow(cluster.CellWindow(x[k], y[k], kRadius), [&](int) { ++windowPoints; });
    }
    (void)data;
  }
  FitData Data() const { return FitData{&cluster, x.data(), y.data(), q.data(), kRadius}; }
};

const Survey& TheSurvey() {
  static const Survey survey;
  return survey;
}

void ReportPass(benchmark::State& state, long long visitedPerPass) {
  state.SetItemsProcessed(state.iterations() * 1000000);
  state.counters["ns_per_neighbour_visited"] = benchmark::Counter(
      static_cast<double>(visitedPerPass) * state.iterations() * 1e-9,
      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_RadiusFitPass(benchmark::State& state) {
  const Survey& survey = TheSurvey();
  const FitData data = survey.Data();
  PlaneFit fit;
  double neighbours = 0;
  for (auto _ : state) {
    neighbours = 0;
    for (std::size_t k = 0; k < survey.x.size(); ++k) {
      FitPlaneRadius(data, FitChoices{}, survey.centre, survey.x[k], survey.y[k], survey.q[k], fit);
      neighbours += fit.npoints;
    }
    benchmark::DoNotOptimize(fit.r[0]);
  }
  state.counters["neighbours_per_point"] = neighbours / 1e6;
  ReportPass(state, survey.windowPoints);
}
BENCHMARK(BM_RadiusFitPass)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_NearestFitPass(benchmark::State& state) {
  const Survey& survey = TheSurvey();
  const FitData data = survey.Data();
  const int N = static_cast<int>(state.range(0));
  PlaneFit fit;
  AreaCentre centre;
  std::vector<double> distances;
  for (auto _ : state) {
    for (std::size_t k = 0; k < survey.x.size(); ++k) {
      FitPlaneNearest(data, FitChoices{}, N, centre, survey.x[k], survey.y[k], survey.q[k], fit,
                      distances);
    }
    benchmark::DoNotOptimize(fit.r[0]);
  }
  ReportPass(state, survey.windowPoints);
}
BENCHMARK(BM_NearestFitPass)->Arg(10)->Arg(50)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace zelvo
