#include "io/trace_subset_reader.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <numeric>
#include <vector>

#include "base/run_observer.h"
#include "io/line_reader.h"

namespace zelvo {
namespace {

constexpr double kSameIdentifier = 1e-6;

// Rows ordered by identifier, so that each subset line needs no full scan.
class IdentifierIndex {
 public:
  explicit IdentifierIndex(const PointTable& points) : ids_(points.point) {
    order_.resize(ids_.size());
    std::iota(order_.begin(), order_.end(), 0);
    std::stable_sort(order_.begin(), order_.end(), [&](int a, int b) { return ids_[a] < ids_[b]; });
  }

  // The first row in file order with |id - p| < 1e-6, or -1.
  int FirstMatch(double p) const {
    // The window is wider than the test so that rounding of p +- 1e-6 cannot
    // exclude a row the test accepts.
    const double low = p - 2 * kSameIdentifier;
    auto it = std::lower_bound(order_.begin(), order_.end(), low,
                               [&](int row, double value) { return ids_[row] < value; });
    int first = -1;
    for (; it != order_.end() && ids_[*it] <= p + 2 * kSameIdentifier; ++it) {
      if (std::fabs(ids_[*it] - p) < kSameIdentifier && (first < 0 || *it < first)) first = *it;
    }
    return first;
  }

 private:
  const std::vector<double>& ids_;
  std::vector<int> order_;
};

// Marks the rows named by the subset lines of an opened reader.
int MarkSubset(LineReader& reader, const std::string& shownName, const PointColumns& columns,
               char decimalSeparator, RunObserver& observer, PointTable& points) {
  IdentifierIndex index(points);
  PointLineParser parser(columns, decimalSeparator);
  std::string_view line;
  PointValues values;
  while (reader.Next(line)) {
    if (!parser.Parse(line, values)) continue;
    const int row = index.FirstMatch(values.point);
    if (row >= 0) points.traced[row] = 1;
  }
  if (reader.ReadFailed()) {
    observer.ShowFileFailure("Cannot open subset input data file", shownName, errno);
    return 1;
  }
  return 0;
}

}  // namespace

int ReadTraceSubset(const std::string& fileName, const PointColumns& columns,
                    char decimalSeparator, RunObserver& observer, PointTable& points) {
  LineReader reader;
  if (!reader.Open(fileName)) {
    observer.ShowFileFailure("Cannot open subset input data file", fileName, errno);
    return 1;
  }
  return MarkSubset(reader, fileName, columns, decimalSeparator, observer, points);
}

int ReadTraceSubsetFromMemory(std::string_view bytes, const std::string& shownName,
                              const PointColumns& columns, char decimalSeparator,
                              RunObserver& observer, PointTable& points) {
  LineReader reader;
  reader.OpenMemory(bytes);
  return MarkSubset(reader, shownName, columns, decimalSeparator, observer, points);
}

}  // namespace zelvo
