#pragma once

#include <string>
#include <string_view>

#include "io/point_table.h"
#include "io/line_ops.h"

namespace zelvo {

class RunObserver;

// Marks as traced, for every data line of the subset file, the first point in
// file order whose identifier lies within 1e-6 of the line's. 0 when done,
// whether or not anything matched; 1 when the file cannot be opened, reported.
int ReadTraceSubset(const std::string& fileName, const PointColumns& columns,
                    char decimalSeparator, RunObserver& observer, PointTable& points);

// ReadTraceSubset over bytes in memory, as over a file holding them; messages
// name the file as `shownName`.
int ReadTraceSubsetFromMemory(std::string_view bytes, const std::string& shownName,
                              const PointColumns& columns, char decimalSeparator,
                              RunObserver& observer, PointTable& points);

}  // namespace zelvo
