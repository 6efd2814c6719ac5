// A point file of any bytes, read from memory with the columns and the
// decimal separator its first bytes choose; a small one then goes on through
// the lattice, the passes of the fits and the previews.
#include <cstdint>

#include "base/quiet_observer.h"
#include "fuzz_bytes.h"
#include "io/point_reader.h"
#include "run_pieces.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  zelvo::FuzzBytes bytes(data, size);
  const zelvo::PointColumns columns = bytes.TakeColumns();
  const char separator = bytes.TakeSeparator();
  zelvo::FuzzBytes runBytes = bytes.TakeFront(5);
  zelvo::QuietObserver observer;
  zelvo::PointSet points;
  zelvo::ResultTable results;
  if (zelvo::ReadPointFileFromMemory(bytes.Rest(), "fuzz.dat", columns, separator, observer,
                                     points, results) != 0 ||
      points.table.Size() > zelvo::kLargestFuzzedRun) {
    return 0;
  }
  const zelvo::FuzzedRun run = zelvo::TakeFuzzedRun(runBytes, points.extent);
  zelvo::SearchCluster cluster;
  if (!zelvo::LayFuzzedLattice(results, points.extent, run.searchRadius, cluster)) return 0;
  zelvo::PreviewFuzzedVariable(cluster, results, run.searchRadius, zelvo::kColQuantity, observer);
  zelvo::IterateFuzzedRun(run, points, cluster, "", results, observer);
  zelvo::PreviewFuzzedVariable(cluster, results, run.searchRadius, run.pane2Variable, observer);
  zelvo::PreviewFuzzedVariable(cluster, results, run.searchRadius, run.pane3Variable, observer);
  return 0;
}
