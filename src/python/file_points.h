#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "io/line_ops.h"

namespace zelvo {

// A point file's data lines, each value as the reader takes it (no shift).
struct FilePoints {
  std::vector<double> easting, northing, point, quantity;
  long long linesSkipped = 0;
};

// A file that cannot be opened or read, with the reader's message, the name
// and the system's reason.
class FileFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// "A,B,C,D": the column letters of x, y, point id and quantity. Throws
// std::invalid_argument for anything else.
PointColumns ColumnsFromLetters(const std::string& letters);

// "." or ","; throws std::invalid_argument for anything else.
char DecimalSeparatorFrom(const std::string& text);

// Judges every line as the point reader does. Throws FileFailure, or
// std::invalid_argument when no line holds data.
FilePoints ReadFilePoints(const std::string& fileName, const PointColumns& columns,
                          char decimalSeparator);

}  // namespace zelvo
