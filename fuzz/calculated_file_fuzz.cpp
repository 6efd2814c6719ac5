// A result file of any bytes loaded from memory as the window's Load does:
// header, records, the lattice of its radius and the previews.
#include <cstdint>
#include <vector>

#include "base/quiet_observer.h"
#include "io/calculated_file.h"
#include "run_pieces.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  zelvo::QuietObserver observer;
  zelvo::CalculatedFile file;
  if (zelvo::ReadCalculatedHeaderFromMemory(bytes, "out.dat", observer, file) != 0) return 0;
  zelvo::ResultTable rows;
  std::vector<double> pointIds;
  zelvo::DataExtent extent;
  zelvo::AreaCentre centre;
  if (zelvo::ReadCalculatedRecordsFromMemory(bytes, "out.dat", observer, rows, pointIds, extent,
                                             centre) != 0 ||
      rows.Size() > zelvo::kLargestFuzzedRun) {
    return 0;
  }
  zelvo::SearchCluster cluster;
  if (!zelvo::LayFuzzedLattice(rows, extent, file.searchRadius, cluster)) return 0;
  // The window's three panes after a load: the quantity and two results
  // chosen by the last byte, which a result file's text rarely decides.
  const std::uint8_t panes = size > 0 ? data[size - 1] : 0;
  zelvo::PreviewFuzzedVariable(cluster, rows, file.searchRadius, zelvo::kColQuantity, observer);
  zelvo::PreviewFuzzedVariable(cluster, rows, file.searchRadius, zelvo::kColHgqx + panes % 5, observer);
  zelvo::PreviewFuzzedVariable(cluster, rows, file.searchRadius, zelvo::kColHgqx + (panes / 5) % 5,
                               observer);
  return 0;
}
