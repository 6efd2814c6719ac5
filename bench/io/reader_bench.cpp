// Reading a 1,000,000-point four-column file (about 40 MB).

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "app/headless_window.h"
#include "io/point_reader.h"

namespace zelvo {
namespace {

const std::string& SurveyFile() {
  static const std::string path = [] {
    const std::string name = "/tmp/zelvo-bench-1m.dat";
    std::FILE* file = std::fopen(name.c_str(), "wb");
    for (int i = 0; i < 1000000; ++i) {
      const int line = i / 1000, station = i % 1000;
      std::fprintf(file, "%.2f %.2f %d %.4f\n", 512000.0 + station * 10.0 + (i % 7) * 0.13,
                   6100000.0 + line * 100.0, 100000 + i, 980.1234 + (i % 997) * 0.0101);
    }
    std::fclose(file);
    return name;
  }();
  return path;
}

void BM_ReadPointFile(benchmark::State& state) {
  const std::string& path = SurveyFile();
  HeadlessWindow window;
  for (auto _ : state) {
    PointSet points;
    ResultTable results;
    if (ReadPointFile(path, {}, '.', window, points, results) != 0) state.SkipWithError("read");
    benchmark::DoNotOptimize(points.table.x.data());
    const double bytes = points.table.x.capacity() * 8.0 * 4 + points.table.traced.capacity() +
                         results.column[0].capacity() * 8.0 * kResultColumns;
    state.counters["table_bytes_per_point"] = bytes / points.table.Size();
  }
  state.SetItemsProcessed(state.iterations() * 1000000);
}
BENCHMARK(BM_ReadPointFile)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
}  // namespace zelvo
