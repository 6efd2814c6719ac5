#include "python/file_points.h"

#include <cerrno>
#include <cstring>

#include "io/line_reader.h"

namespace zelvo {
namespace {

FileFailure CannotRead(const std::string& fileName, int error) {
  std::string text = "Cannot open input data file: " + fileName;
  if (error != 0) text += std::string(": ") + std::strerror(error);
  return FileFailure(text);
}

}  // namespace

PointColumns ColumnsFromLetters(const std::string& letters) {
  const auto refuse = [&letters] {
    return std::invalid_argument("columns takes four letters A..Z, as A,B,C,D, not '" + letters +
                                 "'");
  };
  if (letters.size() != 7) throw refuse();
  int column[4];
  for (std::size_t i = 0; i < letters.size(); i += 2) {
    const char letter = letters[i];
    if (letter < 'A' || letter > 'Z') throw refuse();
    if (i + 1 < letters.size() && letters[i + 1] != ',') throw refuse();
    column[i / 2] = letter - 'A';
  }
  return PointColumns{column[0], column[1], column[2], column[3]};
}

char DecimalSeparatorFrom(const std::string& text) {
  if (text != "." && text != ",") {
    throw std::invalid_argument("decimal takes '.' or ',', not '" + text + "'");
  }
  return text[0];
}

FilePoints ReadFilePoints(const std::string& fileName, const PointColumns& columns,
                          char decimalSeparator) {
  LineReader reader;
  if (!reader.Open(fileName)) throw CannotRead(fileName, errno);
  PointLineParser parser(columns, decimalSeparator);
  FilePoints points;
  std::string_view line;
  PointValues values;
  long long allLines = 0;
  while (reader.Next(line)) {
    ++allLines;
    if (!parser.Parse(line, values)) continue;
    points.easting.push_back(values.x);
    points.northing.push_back(values.y);
    points.point.push_back(values.point);
    points.quantity.push_back(values.quantity);
  }
  if (reader.ReadFailed()) throw CannotRead(fileName, errno);
  if (points.easting.empty()) throw std::invalid_argument("Input file contains no valid xyz data");
  points.linesSkipped = allLines - static_cast<long long>(points.easting.size());
  return points;
}

}  // namespace zelvo
