// Reading the benchmarks' survey (1,000,140 points, about 39 MB of text in
// four columns x y id q): both passes of the point reader from the file and
// from memory, and what the tables it fills hold per point.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "app/headless_window.h"
#include "io/point_reader.h"
#include "survey/survey_layout.h"

namespace zelvo {
namespace {

// The survey in the layout of the shipped example files, offset into a
// projected frame.
std::string SurveyText() {
  const bench::SurveyPoints survey = bench::MakeSurvey();
  std::string text = "/ benchmark survey\n\"X\" \"Y\" \"STATION\" \"Q\"\n";
  text.reserve(survey.Size() * 40);
  char line[128];
  for (std::size_t i = 0; i < survey.Size(); ++i) {
    const int length = std::snprintf(line, sizeof line, "%.2f %.2f %zu %.6f\n",
                                     502000.0 + survey.x[i], 6101000.0 + survey.y[i],
                                     1000000 + i, survey.q[i]);
    text.append(line, static_cast<std::size_t>(length));
  }
  return text;
}

const std::string& SurveyBytes() {
  static const std::string bytes = SurveyText();
  return bytes;
}

const std::string& SurveyFile() {
  static const std::string path = [] {
    const std::string name = "/tmp/zelvo-bench-survey.dat";
    std::FILE* file = std::fopen(name.c_str(), "wb");
    std::fwrite(SurveyBytes().data(), 1, SurveyBytes().size(), file);
    std::fclose(file);
    return name;
  }();
  return path;
}

void Report(benchmark::State& state, const PointSet& points, const ResultTable& results) {
  const double bytes = points.table.x.capacity() * 8.0 * 4 + points.table.traced.capacity() +
                       results.column[0].capacity() * 8.0 * kResultColumns +
                       results.recorded.capacity();
  state.counters["table_bytes_per_point"] = bytes / points.table.Size();
  state.counters["MB_per_s"] = benchmark::Counter(
      static_cast<double>(SurveyBytes().size()) * state.iterations() / 1e6,
      benchmark::Counter::kIsRate);
  state.SetItemsProcessed(state.iterations() * points.table.Size());
}

// The argument is the reader's thread count.
void BM_ReadPointFile(benchmark::State& state) {
  const std::string& path = SurveyFile();
  const int threads = static_cast<int>(state.range(0));
  HeadlessWindow window;
  PointSet points;
  ResultTable results;
  for (auto _ : state) {
    if (ReadPointFile(path, {}, '.', window, points, results, [] {}, threads) != 0) {
      state.SkipWithError("read");
    }
    benchmark::DoNotOptimize(points.table.x.data());
  }
  Report(state, points, results);
}
BENCHMARK(BM_ReadPointFile)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

void BM_ReadPointFileFromMemory(benchmark::State& state) {
  const std::string& bytes = SurveyBytes();
  HeadlessWindow window;
  PointSet points;
  ResultTable results;
  for (auto _ : state) {
    if (ReadPointFileFromMemory(bytes, "survey", {}, '.', window, points, results) != 0) {
      state.SkipWithError("read");
    }
    benchmark::DoNotOptimize(points.table.x.data());
  }
  Report(state, points, results);
}
BENCHMARK(BM_ReadPointFileFromMemory)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
}  // namespace zelvo
