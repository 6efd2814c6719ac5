// Gridding and rendering of one variable over the benchmarks' survey of
// 1,000,140 points, R = G = 350 m, s = 35 m: about 815,000 nodes with about
// 377 points within R each, on one thread and on two.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>

#include "app/headless_window.h"
#include "app/window_items.h"
#include "core/search_cluster.h"
#include "io/result_table.h"
#include "preview/grid_nodes.h"
#include "preview/grid_nodes_reference.h"
#include "preview/preview_driver.h"
#include "preview/render_shaded.h"
#include "preview/resample.h"
#include "survey/survey_layout.h"

namespace {

constexpr double kRadius = 350.0;
constexpr double kCell = kRadius * 0.1;

struct Survey {
  zelvo::ResultTable results;
  zelvo::SearchCluster cluster;
  double pairs = 0.0;  // node-point pairs within R
};

double PairsWithinRadius(const Survey& survey) {
  const zelvo::SearchCluster& c = survey.cluster;
  const double* x = survey.results.Column(zelvo::kColX);
  const double* y = survey.results.Column(zelvo::kColY);
  std::int64_t pairs = 0;
  for (int i = 0; i < c.nx; ++i) {
    for (int j = 0; j < c.ny; ++j) {
      const double X = c.xmin + i * c.s;
      const double Y = c.ymin + j * c.s;
      const zelvo::CellRange window{std::max(0, i - 10), std::min(c.nx, i + 10), std::max(0, j - 10),
                                    std::min(c.ny, j + 10)};
      c.ForEachInWindow(window, [&](int k) {
        const double dx = X - x[k] + 0.001;
        const double dy = Y - y[k] + 0.001;
        if (dx * dx + dy * dy <= kRadius * kRadius) ++pairs;
      });
    }
  }
  return static_cast<double>(pairs);
}

Survey MakeBenchSurvey() {
  const zelvo::bench::SurveyPoints points = zelvo::bench::MakeSurvey();
  Survey survey;
  survey.results.Resize(points.Size());
  std::copy(points.x.begin(), points.x.end(), survey.results.Column(zelvo::kColX));
  std::copy(points.y.begin(), points.y.end(), survey.results.Column(zelvo::kColY));
  std::copy(points.q.begin(), points.q.end(), survey.results.Column(zelvo::kColQuantity));
  const auto [xmin, xmax] = std::minmax_element(points.x.begin(), points.x.end());
  const auto [ymin, ymax] = std::minmax_element(points.y.begin(), points.y.end());
  survey.cluster.Build(survey.results.Column(zelvo::kColX), survey.results.Column(zelvo::kColY),
                       static_cast<int>(points.Size()), kCell, *xmin, *xmax, *ymin, *ymax,
                       1ull << 32);
  survey.pairs = PairsWithinRadius(survey);
  return survey;
}

const Survey& TheSurvey() {
  static const Survey survey = MakeBenchSurvey();
  return survey;
}

// Runs the body once per iteration; where it grids every node, reports the
// wall time per node-point pair within R beside the totals.
template <typename Body>
void Measure(benchmark::State& state, Body body, bool everyNode = true) {
  const Survey& survey = TheSurvey();
  double seconds = 0.0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    body(survey);
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  const double nodes = static_cast<double>(survey.cluster.nx) * survey.cluster.ny;
  state.counters["nodes"] = nodes;
  state.counters["points_per_node"] = survey.pairs / nodes;
  if (everyNode) {
    state.counters["ns_per_pair"] =
        seconds * 1e9 / (static_cast<double>(state.iterations()) * survey.pairs);
  }
}

// The preview of the first pane as a run makes it: gridding the nodes the
// pane shows, resampling to 177 x 145 and rendering; the argument is the
// gridding's thread count.
void BM_PreviewVariable(benchmark::State& state) {
  zelvo::HeadlessWindow window;
  const int threads = static_cast<int>(state.range(0));
  Measure(
      state,
      [&](const Survey& survey) {
        const zelvo::PreviewSource source{&survey.cluster,    &survey.results,     kRadius, kRadius,
                                          zelvo::kPaneWidth, zelvo::kPaneHeight, threads};
        bool stop = false;
        zelvo::PreviewImage image;
        zelvo::PreviewVariable(source, zelvo::kColQuantity, stop, window, image);
        benchmark::DoNotOptimize(image);
      },
      false);
  const zelvo::SearchCluster& cluster = TheSurvey().cluster;
  const zelvo::NodeSelection shown =
      zelvo::PaneNodes(cluster.nx, cluster.ny, cluster.s, zelvo::kPaneWidth, zelvo::kPaneHeight);
  state.counters["nodes_shown"] = static_cast<double>(
      std::count(shown.columns.begin(), shown.columns.end(), true) * shown.rows.size());
}

// The same preview from the whole node grid, as it was made before a pane
// estimated only the nodes it shows: what a grid view or an export grids.
void BM_PreviewWholeGrid(benchmark::State& state) {
  zelvo::HeadlessWindow window;
  Measure(state, [&](const Survey& survey) {
    zelvo::GriddingJob job;
    job.cluster = &survey.cluster;
    job.results = &survey.results;
    job.searchRadius = kRadius;
    job.griddingRadius = kRadius;
    zelvo::NodeGrid grid;
    zelvo::GridNodes(job, grid);
    zelvo::PreviewGrid preview;
    zelvo::ResampleToPreview(grid, zelvo::kPaneWidth, zelvo::kPaneHeight, window, preview);
    auto image = zelvo::RenderShaded(preview);
    benchmark::DoNotOptimize(image);
  });
}
BENCHMARK(BM_PreviewWholeGrid)->Unit(benchmark::kSecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_PreviewVariable)->Arg(1)->Arg(2)->Unit(benchmark::kSecond)->Iterations(3)->UseRealTime();

// The gridding alone, by the path it takes: 0 the four-node lanes where the
// processor has them, 1 the two-node lanes, 2 the scalar loop; one thread.
void BM_GridNodeSums(benchmark::State& state) {
  const int path = static_cast<int>(state.range(0));
  const zelvo::GriddingPaths paths{path == 0, path <= 1, true};
  Measure(state, [&](const Survey& survey) {
    zelvo::GriddingJob job;
    job.cluster = &survey.cluster;
    job.results = &survey.results;
    job.searchRadius = kRadius;
    job.griddingRadius = kRadius;
    benchmark::DoNotOptimize(zelvo::GridNodeSums(job, paths));
  });
}
BENCHMARK(BM_GridNodeSums)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kSecond)->Iterations(2)->UseRealTime();

// The reference: the plain loop with std::hypot for every visited point,
// then the same resampling and rendering.
void BM_PreviewPlain(benchmark::State& state) {
  zelvo::HeadlessWindow window;
  Measure(state, [&](const Survey& survey) {
    const zelvo::NodeGrid grid =
        zelvo::GridNodesPlain(survey.cluster, survey.results, zelvo::kColQuantity, kRadius, kRadius);
    zelvo::PreviewGrid preview;
    zelvo::ResampleToPreview(grid, zelvo::kPaneWidth, zelvo::kPaneHeight, window, preview);
    auto image = zelvo::RenderShaded(preview);
    benchmark::DoNotOptimize(image);
  });
}
BENCHMARK(BM_PreviewPlain)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

}  // namespace
