#include "io/point_reader.h"

#include <cerrno>
#include <limits>
#include <new>

#include "base/run_observer.h"
#include "io/line_reader.h"

namespace zelvo {
namespace {

struct FirstPass {
  long long dataLines = 0;
  long long allLines = 0;
  DataExtent extent{1e38, -1e38, 1e38, -1e38, 1e38, -1e38};
};

void Widen(double value, double& minimum, double& maximum) {
  if (value < minimum) minimum = value;
  if (value > maximum) maximum = value;
}

FirstPass CountAndMeasure(LineReader& reader, PointLineParser& parser) {
  FirstPass pass;
  std::string_view line;
  PointValues values;
  while (reader.Next(line)) {
    ++pass.allLines;
    if (!parser.Parse(line, values)) continue;
    ++pass.dataLines;
    Widen(values.x, pass.extent.xmin, pass.extent.xmax);
    Widen(values.y, pass.extent.ymin, pass.extent.ymax);
    Widen(values.quantity, pass.extent.qmin, pass.extent.qmax);
  }
  return pass;
}

// Makes the smallest coordinate exactly 0 when it is negative.
double ShiftFor(double& minimum, double& maximum) {
  if (!(minimum < 0)) return 0.0;
  const double shift = -minimum;
  minimum = 0.0;
  maximum = maximum + shift;
  return shift;
}

enum class StoreOutcome { kStored, kChanged, kReadFailed };

bool Within(double value, double minimum, double maximum) {
  return value >= minimum && value <= maximum;
}

// The second pass must give the data lines the first pass counted and
// measured: a file rewritten in between could otherwise overflow the tables
// or place points outside the extent the lattice is laid for.
StoreOutcome Store(LineReader& reader, PointLineParser& parser, const DataExtent& firstExtent,
                   PointSet& points, ResultTable& results) {
  PointTable& table = points.table;
  const int capacity = table.Size();
  std::string_view line;
  PointValues values;
  int n = 0;
  while (reader.Next(line)) {
    if (!parser.Parse(line, values)) continue;
    if (n == capacity || !Within(values.x, firstExtent.xmin, firstExtent.xmax) ||
        !Within(values.y, firstExtent.ymin, firstExtent.ymax) ||
        !Within(values.quantity, firstExtent.qmin, firstExtent.qmax)) {
      return StoreOutcome::kChanged;
    }
    table.x[n] = values.x + points.shift.x;
    table.y[n] = values.y + points.shift.y;
    table.point[n] = values.point;
    table.quantity[n] = values.quantity;
    results.column[kColX][n] = table.x[n];
    results.column[kColY][n] = table.y[n];
    results.column[kColQuantity][n] = values.quantity;
    ++n;
  }
  if (reader.ReadFailed()) return StoreOutcome::kReadFailed;
  return n == capacity ? StoreOutcome::kStored : StoreOutcome::kChanged;
}

// Both passes over an opened reader; `shownName` is what messages call it.
int ReadPoints(LineReader& reader, const std::string& shownName, const PointColumns& columns,
               char decimalSeparator, RunObserver& observer, PointSet& points,
               ResultTable& results, const std::function<void()>& betweenPasses) {
  PointLineParser parser(columns, decimalSeparator);
  const FirstPass pass = CountAndMeasure(reader, parser);
  if (reader.ReadFailed()) {
    observer.ShowFileFailure("Cannot open input data file", shownName, errno);
    return 1;
  }
  if (pass.dataLines == 0) {
    observer.ShowMessage("Input file contains no valid xyz data");
    return 1;
  }
  points.extent = pass.extent;
  points.shift.x = ShiftFor(points.extent.xmin, points.extent.xmax);
  points.shift.y = ShiftFor(points.extent.ymin, points.extent.ymax);
  try {
    if (pass.dataLines > std::numeric_limits<std::int32_t>::max()) throw std::bad_alloc();
    points.table.Resize(static_cast<std::size_t>(pass.dataLines));
    results.Resize(static_cast<std::size_t>(pass.dataLines));
  } catch (const std::bad_alloc&) {
    points = PointSet{};
    results.Release();
    observer.ShowMessage("Error by allocating memory for data");
    return 1;
  }
  betweenPasses();
  const StoreOutcome stored = reader.Rewind()
                                  ? Store(reader, parser, pass.extent, points, results)
                                  : StoreOutcome::kReadFailed;
  const int readError = errno;
  if (stored != StoreOutcome::kStored) {
    points = PointSet{};
    results.Release();
    if (stored == StoreOutcome::kChanged) {
      observer.ShowMessage(kInputChangedMessage);
    } else {
      observer.ShowFileFailure("Cannot open input data file", shownName, readError);
    }
    return 1;
  }
  const DataExtent& e = points.extent;
  points.centre = AreaCentre{(e.xmin + e.xmax) / 2, (e.ymin + e.ymax) / 2, (e.qmin + e.qmax) / 2};
  points.linesSkipped = pass.allLines - pass.dataLines;
  return 0;
}

}  // namespace

int ReadPointFile(const std::string& fileName, const PointColumns& columns,
                  char decimalSeparator, RunObserver& observer, PointSet& points,
                  ResultTable& results, const std::function<void()>& betweenPasses) {
  points = PointSet{};
  results.Release();
  LineReader reader;
  if (!reader.Open(fileName)) {
    observer.ShowFileFailure("Cannot open input data file", fileName, errno);
    return 1;
  }
  return ReadPoints(reader, fileName, columns, decimalSeparator, observer, points, results,
                    betweenPasses);
}

int ReadPointFileFromMemory(std::string_view bytes, const std::string& shownName,
                            const PointColumns& columns, char decimalSeparator,
                            RunObserver& observer, PointSet& points, ResultTable& results,
                            const std::function<void()>& betweenPasses) {
  points = PointSet{};
  results.Release();
  LineReader reader;
  reader.OpenMemory(bytes);
  return ReadPoints(reader, shownName, columns, decimalSeparator, observer, points, results,
                    betweenPasses);
}

}  // namespace zelvo
