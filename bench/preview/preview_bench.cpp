// Gridding and rendering of one variable for about a million survey points:
// 316 lines 100 m apart with 3164 points 10 m apart, R = G = 350 m, s = 35 m,
// which lays 905 x 901 = 815,405 nodes with about 377 points within R each.
#include <benchmark/benchmark.h>

#include <time.h>

#include <cmath>
#include <cstdint>

#include "app/headless_window.h"
#include "app/window_items.h"
#include "io/result_table.h"
#include "core/search_cluster.h"
#include "preview/grid_nodes.h"
#include "preview/grid_nodes_reference.h"
#include "preview/preview_driver.h"
#include "preview/render_shaded.h"
#include "preview/resample.h"

namespace {

constexpr int kLines = 316;
constexpr int kPointsPerLine = 3164;
constexpr double kLineSpacing = 100.0;
constexpr double kPointSpacing = 10.0;
constexpr double kRadius = 350.0;
constexpr double kCell = kRadius * 0.1;

struct Survey {
  zelvo::ResultTable results;
  zelvo::SearchCluster cluster;
  double pairs = 0.0;  // node-point pairs within R
};

Survey MakeSurvey() {
  Survey survey;
  const int n = kLines * kPointsPerLine;
  survey.results.Resize(static_cast<std::size_t>(n));
  double* x = survey.results.Column(zelvo::kColX);
  double* y = survey.results.Column(zelvo::kColY);
  double* q = survey.results.Column(zelvo::kColQuantity);
  std::uint64_t state = 88172645463325252ull;
  for (int line = 0; line < kLines; ++line) {
    for (int p = 0; p < kPointsPerLine; ++p) {
      const int k = line * kPointsPerLine + p;
      state ^= state << 13;
      state ^= state >> 7;
      state ^= state << 17;
      const double noise = static_cast<double>(state >> 11) * 0x1p-53 - 0.5;
      x[k] = p * kPointSpacing;
      y[k] = line * kLineSpacing;
      q[k] = 50.0 * std::sin(x[k] / 2500.0) * std::cos(y[k] / 3100.0) + 0.002 * x[k] + noise;
    }
  }
  const double xmax = (kPointsPerLine - 1) * kPointSpacing;
  const double ymax = (kLines - 1) * kLineSpacing;
  survey.cluster.Build(x, y, n, kCell, 0.0, xmax, 0.0, ymax, 1ull << 32);
  // Count the pairs that the weights take in, for the cost per pair.
  const zelvo::SearchCluster& c = survey.cluster;
  std::int64_t pairs = 0;
  for (int i = 0; i < c.nx; ++i) {
    for (int j = 0; j < c.ny; ++j) {
      const double X = c.xmin + i * c.s;
      const double Y = c.ymin + j * c.s;
      zelvo::CellRange window{std::max(0, i - 10), std::min(c.nx, i + 10), std::max(0, j - 10),
                              std::min(c.ny, j + 10)};
      c.ForEachInWindow(window, [&](int k) {
        const double dx = X - x[k] + 0.001;
        const double dy = Y - y[k] + 0.001;
        if (dx * dx + dy * dy <= kRadius * kRadius) ++pairs;
      });
    }
  }
  survey.pairs = static_cast<double>(pairs);
  return survey;
}

const Survey& TheSurvey() {
  static const Survey survey = MakeSurvey();
  return survey;
}

double ThreadSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

// Runs the body once per iteration and reports the processor time per
// node-point pair within R alongside the totals.
template <typename Body>
void Measure(benchmark::State& state, Body body) {
  const Survey& survey = TheSurvey();
  double seconds = 0.0;
  for (auto _ : state) {
    const double start = ThreadSeconds();
    body(survey);
    seconds += ThreadSeconds() - start;
  }
  const double nodes = static_cast<double>(survey.cluster.nx) * survey.cluster.ny;
  state.counters["nodes"] = nodes;
  state.counters["points_per_node"] = survey.pairs / nodes;
  state.counters["ns_per_pair"] = seconds * 1e9 / (static_cast<double>(state.iterations()) * survey.pairs);
}

// The preview of the first pane as a run makes it: gridding, resampling to
// 177 x 145 and rendering.
void BM_PreviewVariable(benchmark::State& state) {
  zelvo::HeadlessWindow window;
  Measure(state, [&](const Survey& survey) {
    const zelvo::PreviewSource source{&survey.cluster, &survey.results, kRadius, kRadius,
                                      zelvo::kPaneWidth, zelvo::kPaneHeight};
    bool stop = false;
    zelvo::PreviewImage image;
    zelvo::PreviewVariable(source, zelvo::kColQuantity, stop, window, image);
    benchmark::DoNotOptimize(image);
  });
}
BENCHMARK(BM_PreviewVariable)->Unit(benchmark::kSecond)->Iterations(3)->UseRealTime();

void BM_GridNodes(benchmark::State& state) {
  Measure(state, [](const Survey& survey) {
    zelvo::NodeGrid grid;
    zelvo::GridNodes(survey.cluster, survey.results, zelvo::kColQuantity, kRadius, kRadius, grid);
    benchmark::DoNotOptimize(grid);
  });
}
BENCHMARK(BM_GridNodes)->Unit(benchmark::kSecond)->Iterations(3)->UseRealTime();

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
