// A point file of any bytes, read from memory with the columns and the
// decimal separator its first bytes choose, on one thread and on three, which
// must agree; a small one then goes on through the lattice, the passes of the
// fits and the previews.
#include <cstdint>
#include <cstring>
#include <vector>

#include "base/quiet_observer.h"
#include "fuzz_bytes.h"
#include "io/point_reader.h"
#include "run_pieces.h"

namespace {

bool SameBits(const std::vector<double>& a, const std::vector<double>& b) {
  return a.size() == b.size() &&
         (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0);
}

bool SameReading(const zelvo::PointSet& a, const zelvo::PointSet& b) {
  return SameBits(a.table.x, b.table.x) && SameBits(a.table.y, b.table.y) &&
         SameBits(a.table.point, b.table.point) &&
         SameBits(a.table.quantity, b.table.quantity) && a.linesSkipped == b.linesSkipped &&
         std::memcmp(&a.extent, &b.extent, sizeof a.extent) == 0 &&
         std::memcmp(&a.shift, &b.shift, sizeof a.shift) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  zelvo::FuzzBytes bytes(data, size);
  const zelvo::PointColumns columns = bytes.TakeColumns();
  const char separator = bytes.TakeSeparator();
  zelvo::FuzzBytes runBytes = bytes.TakeFront(5);
  zelvo::QuietObserver observer;
  zelvo::PointSet points;
  zelvo::ResultTable results;
  const int read = zelvo::ReadPointFileFromMemory(bytes.Rest(), "fuzz.dat", columns, separator,
                                                  observer, points, results);
  zelvo::PointSet onThreads;
  zelvo::ResultTable threadRows;
  if (zelvo::ReadPointFileFromMemory(bytes.Rest(), "fuzz.dat", columns, separator, observer,
                                     onThreads, threadRows, [] {}, 3) != read ||
      !SameReading(points, onThreads)) {
    __builtin_trap();
  }
  if (read != 0 || points.table.Size() > zelvo::kLargestFuzzedRun) return 0;
  const zelvo::FuzzedRun run = zelvo::TakeFuzzedRun(runBytes, points.extent);
  zelvo::SearchCluster cluster;
  if (!zelvo::LayFuzzedLattice(results, points.extent, run.searchRadius, cluster)) return 0;
  zelvo::PreviewFuzzedVariable(cluster, results, run.searchRadius, zelvo::kColQuantity, observer);
  zelvo::IterateFuzzedRun(run, points, cluster, "", results, observer);
  zelvo::PreviewFuzzedVariable(cluster, results, run.searchRadius, run.pane2Variable, observer);
  zelvo::PreviewFuzzedVariable(cluster, results, run.searchRadius, run.pane3Variable, observer);
  return 0;
}
