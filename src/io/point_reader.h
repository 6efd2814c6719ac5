#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "io/point_table.h"
#include "io/result_table.h"
#include "io/line_ops.h"

namespace zelvo {

class RunObserver;

// The points of one input file with what the reader derives from them.
struct PointSet {
  PointTable table;
  DataExtent extent;
  CoordinateShift shift;
  AreaCentre centre;
  long long linesSkipped = 0;  // lines of the file not taken as data
};

// Reads the point data file in two passes (count and extent, then store),
// shifting negative coordinates so that the smallest is 0, and creates the
// result rows. 0 on success; 1 when the file cannot be opened, holds no data
// or does not fit in memory, or when the second pass does not give the data
// lines of the first, already reported; `points` and `results` are then left
// empty. `betweenPasses` runs after the first pass (a test changes the file
// there). Each pass parses its lines on `threads` threads, with the same
// outcome for any count.
int ReadPointFile(const std::string& fileName, const PointColumns& columns,
                  char decimalSeparator, RunObserver& observer, PointSet& points,
                  ResultTable& results, const std::function<void()>& betweenPasses = [] {},
                  int threads = 1);

// ReadPointFile over bytes in memory, as over a file holding them; messages
// name the file as `shownName`. The bytes must stay alive through the call.
int ReadPointFileFromMemory(std::string_view bytes, const std::string& shownName,
                            const PointColumns& columns, char decimalSeparator,
                            RunObserver& observer, PointSet& points, ResultTable& results,
                            const std::function<void()>& betweenPasses = [] {},
                            int threads = 1);

inline constexpr const char* kInputChangedMessage = "Input data file changed while it was read";

}  // namespace zelvo
