// A trace subset file of any bytes, read from memory against a small survey;
// the points it marks are then traced through every pass of a run.
#include <cstdint>
#include <string_view>

#include "base/quiet_observer.h"
#include "fuzz_bytes.h"
#include "io/point_reader.h"
#include "io/trace_subset_reader.h"
#include "run_pieces.h"

namespace {

// Four lines of three stations each, point identifiers 1 to 12 with one
// repeated, so that a subset line can match the first of two.
constexpr std::string_view kSurvey =
    "0 0 1 10\n10 0 2 11\n20 0 3 13\n"
    "0 10 4 10.5\n10 10 5 11.5\n20 10 5 12\n"
    "0 20 7 9\n10 20 8 10\n20 20 9 11\n"
    "0 30 10 8\n10 30 11 9.5\n20 30 12 10\n";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  zelvo::FuzzBytes bytes(data, size);
  const zelvo::PointColumns columns = bytes.TakeColumns();
  const char separator = bytes.TakeSeparator();
  zelvo::FuzzBytes runBytes = bytes.TakeFront(5);
  zelvo::QuietObserver observer;
  zelvo::PointSet points;
  zelvo::ResultTable results;
  if (zelvo::ReadPointFileFromMemory(kSurvey, "survey.dat", {}, '.', observer, points, results) != 0) {
    return 0;
  }
  if (zelvo::ReadTraceSubsetFromMemory(bytes.Rest(), "subset.dat", columns, separator, observer,
                                       points.table) != 0) {
    return 0;
  }
  const zelvo::FuzzedRun run = zelvo::TakeFuzzedRun(runBytes, points.extent);
  zelvo::SearchCluster cluster;
  if (!zelvo::LayFuzzedLattice(results, points.extent, run.searchRadius, cluster)) return 0;
  zelvo::IterateFuzzedRun(run, points, cluster, "subset.dat", results, observer);
  return 0;
}
