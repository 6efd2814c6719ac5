#include "io/point_reader.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <initializer_list>
#include <limits>
#include <new>
#include <vector>

#include "base/large_pages.h"
#include "base/run_observer.h"
#include "base/task_crew.h"
#include "io/line_parts.h"
#include "io/line_reader.h"

namespace zelvo {
namespace {

// The bytes the threads parse at a time, together: enough that starting them
// costs little beside their work, little beside the tables in memory.
constexpr std::size_t kBlockBytes = std::size_t{4} << 20;

constexpr const char* kNoMemoryForDataMessage = "Error by allocating memory for data";

struct FirstPass {
  long long dataLines = 0;
  long long allLines = 0;
  DataExtent extent{1e38, -1e38, 1e38, -1e38, 1e38, -1e38};
};

// What one thread keeps while it parses its part of a block, on cache lines
// of its own so that the threads do not slow each other down.
struct alignas(64) PartWork {
  explicit PartWork(const PointLineParser& prototype) : parser(prototype) {}
  PointLineParser parser;
  FirstPass tally;
  std::vector<PointValues> parsed;
};

std::vector<PartWork> PartWorks(const PointLineParser& parser, int threads) {
  return std::vector<PartWork>(static_cast<std::size_t>(threads), PartWork(parser));
}

void Widen(double value, double& minimum, double& maximum) {
  if (value < minimum) minimum = value;
  if (value > maximum) maximum = value;
}

// The reader's lines block by block, each block cut at line ends into a part
// per thread. work(part, lines, readableEnd) runs on every part of a block,
// the parts side by side, then blockDone(parts) takes their outcomes in order
// and answers whether to read on.
template <typename Work, typename BlockDone>
void ForEachPart(LineReader& reader, int threads, Work work, BlockDone blockDone) {
  std::string_view block;
  std::vector<std::string_view> parts;
  while (reader.NextLines(block)) {
    SplitAtLines(block, threads, parts);
    const char* readableEnd = reader.ReadableEnd();
    const int count = static_cast<int>(parts.size());
    if (count == 1) {
      work(0, parts[0], readableEnd);
    } else {
      TaskCrew crew(threads, count, [&](int part) { work(part, parts[part], readableEnd); });
      while (!crew.WaitForAll(std::chrono::seconds(1))) {
      }
    }
    if (!blockDone(count)) return;
  }
}

FirstPass CountAndMeasureLines(std::string_view lines, const char* readableEnd,
                               PointLineParser& parser) {
  FirstPass pass;
  PointValues values;
  ForEachLine(lines, [&](std::string_view line) {
    ++pass.allLines;
    if (!parser.Parse(line, readableEnd, values)) return;
    ++pass.dataLines;
    Widen(values.x, pass.extent.xmin, pass.extent.xmax);
    Widen(values.y, pass.extent.ymin, pass.extent.ymax);
    Widen(values.quantity, pass.extent.qmin, pass.extent.qmax);
  });
  return pass;
}

// The counts and extents of consecutive parts, in order, give those of the
// lines together: the first of equal extremes stays, as in one walk.
void AddPart(const FirstPass& part, FirstPass& pass) {
  pass.allLines += part.allLines;
  pass.dataLines += part.dataLines;
  const auto widen = [](double partMinimum, double partMaximum, double& minimum,
                        double& maximum) {
    if (partMinimum < minimum) minimum = partMinimum;
    if (partMaximum > maximum) maximum = partMaximum;
  };
  widen(part.extent.xmin, part.extent.xmax, pass.extent.xmin, pass.extent.xmax);
  widen(part.extent.ymin, part.extent.ymax, pass.extent.ymin, pass.extent.ymax);
  widen(part.extent.qmin, part.extent.qmax, pass.extent.qmin, pass.extent.qmax);
}

FirstPass CountAndMeasure(LineReader& reader, const PointLineParser& parser, int threads) {
  std::vector<PartWork> parts = PartWorks(parser, threads);
  FirstPass pass;
  ForEachPart(
      reader, threads,
      [&](int part, std::string_view lines, const char* readableEnd) {
        parts[part].tally = CountAndMeasureLines(lines, readableEnd, parts[part].parser);
      },
      [&](int count) {
        for (int part = 0; part < count; ++part) AddPart(parts[part].tally, pass);
        return true;
      });
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

// Room for the rows the second pass appends, written once there; the
// columns it does not write are 0, as for PointTable::Resize and
// ResultTable::Resize.
void ReserveRows(std::size_t count, PointTable& table, ResultTable& results) {
  for (std::vector<double>* appended :
       {&table.x, &table.y, &table.point, &table.quantity, &results.column[kColX],
        &results.column[kColY], &results.column[kColQuantity]}) {
    ReserveOnLargePages(*appended, count);
  }
  table.traced.assign(count, 0);
  for (int c = 0; c < kResultColumns; ++c) {
    if (c == kColX || c == kColY || c == kColQuantity) continue;
    ReserveOnLargePages(results.column[c], count);
    results.column[c].assign(count, 0.0);
  }
  results.recorded.assign(count, 0);
}

enum class StoreOutcome { kStored, kChanged, kReadFailed, kOutOfMemory };

bool Within(double value, double minimum, double maximum) {
  return value >= minimum && value <= maximum;
}

// The data lines of one part, as parsed.
void ParseLines(std::string_view lines, const char* readableEnd, PointLineParser& parser,
                std::vector<PointValues>& parsed) {
  parsed.clear();
  PointValues values;
  ForEachLine(lines, [&](std::string_view line) {
    if (parser.Parse(line, readableEnd, values)) parsed.push_back(values);
  });
}

// The second pass must give the data lines the first pass counted and
// measured: a file rewritten in between could otherwise overflow the tables
// or place points outside the extent the lattice is laid for.
StoreOutcome Store(LineReader& reader, const PointLineParser& parser, const FirstPass& first,
                   int threads, PointSet& points, ResultTable& results) {
  PointTable& table = points.table;
  const DataExtent& firstExtent = first.extent;
  std::vector<double>& resultX = results.column[kColX];
  std::vector<double>& resultY = results.column[kColY];
  std::vector<double>& resultQuantity = results.column[kColQuantity];
  std::vector<PartWork> parts = PartWorks(parser, threads);
  long long n = 0;
  bool changed = false;
  const auto take = [&](const PointValues& values) {
    if (n == first.dataLines || !Within(values.x, firstExtent.xmin, firstExtent.xmax) ||
        !Within(values.y, firstExtent.ymin, firstExtent.ymax) ||
        !Within(values.quantity, firstExtent.qmin, firstExtent.qmax)) {
      changed = true;
      return false;
    }
    const double x = values.x + points.shift.x;
    const double y = values.y + points.shift.y;
    table.x.push_back(x);
    table.y.push_back(y);
    table.point.push_back(values.point);
    table.quantity.push_back(values.quantity);
    resultX.push_back(x);
    resultY.push_back(y);
    resultQuantity.push_back(values.quantity);
    ++n;
    return true;
  };
  ForEachPart(
      reader, threads,
      [&](int part, std::string_view lines, const char* readableEnd) {
        ParseLines(lines, readableEnd, parts[part].parser, parts[part].parsed);
      },
      [&](int count) {
        for (int part = 0; part < count; ++part) {
          for (const PointValues& values : parts[part].parsed) {
            if (!take(values)) return false;
          }
        }
        return true;
      });
  if (changed) return StoreOutcome::kChanged;
  if (reader.ReadFailed()) return StoreOutcome::kReadFailed;
  return n == first.dataLines ? StoreOutcome::kStored : StoreOutcome::kChanged;
}

// Both passes over an opened reader; `shownName` is what messages call it.
int ReadPoints(LineReader& reader, const std::string& shownName, const PointColumns& columns,
               char decimalSeparator, RunObserver& observer, PointSet& points,
               ResultTable& results, const std::function<void()>& betweenPasses, int threads) {
  PointLineParser parser(columns, decimalSeparator);
  threads = std::max(threads, 1);
  if (threads > 1) reader.SetChunkBytes(kBlockBytes);
  const FirstPass pass = CountAndMeasure(reader, parser, threads);
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
    ReserveRows(static_cast<std::size_t>(pass.dataLines), points.table, results);
  } catch (const std::bad_alloc&) {
    points = PointSet{};
    results.Release();
    observer.ShowMessage(kNoMemoryForDataMessage);
    return 1;
  }
  betweenPasses();
  StoreOutcome stored = StoreOutcome::kReadFailed;
  try {
    if (reader.Rewind()) stored = Store(reader, parser, pass, threads, points, results);
  } catch (const std::bad_alloc&) {
    stored = StoreOutcome::kOutOfMemory;
  }
  const int readError = errno;
  if (stored != StoreOutcome::kStored) {
    points = PointSet{};
    results.Release();
    if (stored == StoreOutcome::kOutOfMemory) {
      observer.ShowMessage(kNoMemoryForDataMessage);
    } else if (stored == StoreOutcome::kChanged) {
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
                  ResultTable& results, const std::function<void()>& betweenPasses,
                  int threads) {
  points = PointSet{};
  results.Release();
  LineReader reader;
  if (!reader.Open(fileName)) {
    observer.ShowFileFailure("Cannot open input data file", fileName, errno);
    return 1;
  }
  return ReadPoints(reader, fileName, columns, decimalSeparator, observer, points, results,
                    betweenPasses, threads);
}

int ReadPointFileFromMemory(std::string_view bytes, const std::string& shownName,
                            const PointColumns& columns, char decimalSeparator,
                            RunObserver& observer, PointSet& points, ResultTable& results,
                            const std::function<void()>& betweenPasses, int threads) {
  points = PointSet{};
  results.Release();
  LineReader reader;
  reader.OpenMemory(bytes);
  return ReadPoints(reader, shownName, columns, decimalSeparator, observer, points, results,
                    betweenPasses, threads);
}

}  // namespace zelvo
