#include "io/line_ops.h"

#include <algorithm>

#include "app/number_text.h"

namespace zelvo {

bool IsCommentLine(std::string_view line) { return line.empty() || line.front() == '/'; }

void PrepareLine(std::string& line, char decimalSeparator) {
  for (char& c : line) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if ((c == ',' && decimalSeparator != ',') || c == '\t' || c == '\b') c = ' ';
  }
}

bool IsCandidateLine(std::string_view preparedLine) {
  if (preparedLine.empty()) return false;
  const signed char first = static_cast<signed char>(preparedLine.front());
  if (first == '/' || first < 32) return false;
  if (preparedLine.find('"') != std::string_view::npos) return false;
  return preparedLine.find("LINE") == std::string_view::npos;
}

bool HasNonNumericChar(std::string_view preparedLine, char decimalSeparator) {
  if (preparedLine.size() < 2) return false;
  const std::size_t examined = preparedLine.size() - 1;
  for (std::size_t i = 0; i < examined; ++i) {
    const char c = preparedLine[i];
    if (c == '\0' || c == '\n' || c == '\r') return false;
    const bool numeric = (c >= '0' && c <= '9') || c == ':' || c == ' ' || c == '+' ||
                         c == '-' || c == 'e' || c == 'E' || c == decimalSeparator;
    if (!numeric) return true;
  }
  return false;
}

void SplitFields(std::string_view line, std::vector<std::string_view>& fields) {
  fields.clear();
  const auto isSeparator = [](char c) { return c == ' ' || c == '\r' || c == '\n'; };
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && isSeparator(line[i])) ++i;
    const std::size_t start = i;
    while (i < line.size() && !isSeparator(line[i])) ++i;
    if (i > start) fields.push_back(line.substr(start, i - start));
  }
}

bool ParsePointLine(std::string_view preparedLine, const PointColumns& columns,
                    char decimalSeparator, std::vector<std::string_view>& fields,
                    PointValues& values) {
  SplitFields(preparedLine, fields);
  const int count = static_cast<int>(fields.size());
  if (count < 4) return false;
  const auto field = [&](int column, double& out) {
    if (column < 0 || column >= count) return false;
    std::optional<double> number = ParseNumber(fields[column], decimalSeparator);
    if (!number) return false;
    out = *number;
    return true;
  };
  const bool inRange = std::min({columns.x, columns.y, columns.point, columns.quantity}) >= 0 &&
                       std::max({columns.x, columns.y, columns.point, columns.quantity}) < count;
  return inRange && field(columns.x, values.x) && field(columns.y, values.y) &&
         field(columns.point, values.point) && field(columns.quantity, values.quantity);
}

bool PrepareDataLine(std::string_view rawLine, char decimalSeparator, std::string& prepared) {
  if (IsCommentLine(rawLine)) return false;
  prepared.assign(rawLine);
  PrepareLine(prepared, decimalSeparator);
  return IsCandidateLine(prepared) && !HasNonNumericChar(prepared, decimalSeparator);
}

bool PointLineParser::Parse(std::string_view rawLine, PointValues& values) {
  return PrepareDataLine(rawLine, separator_, prepared_) &&
         ParsePointLine(prepared_, columns_, separator_, fields_, values);
}

}  // namespace zelvo
