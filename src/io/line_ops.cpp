#include "io/line_ops.h"

#include <algorithm>

#include "base/number_text.h"

namespace zelvo {

namespace {

// What PrepareLine makes of every byte, for each of the two separators.
struct PrepareTable {
  char to[256];
  constexpr explicit PrepareTable(char decimalSeparator) : to() {
    for (int i = 0; i < 256; ++i) {
      char c = static_cast<char>(i);
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
      if ((c == ',' && decimalSeparator != ',') || c == '\t' || c == '\b') c = ' ';
      to[i] = c;
    }
  }
};
constexpr PrepareTable kPreparePoint('.');
constexpr PrepareTable kPrepareComma(',');

// Characters that may stand in a line of numbers, for each separator; the
// characters that end the examination are marked apart.
enum CharClass : unsigned char { kForeign = 0, kNumeric = 1, kEndOfScan = 2 };
struct NumericTable {
  unsigned char kind[256];
  constexpr explicit NumericTable(char decimalSeparator) : kind() {
    for (int i = 0; i < 256; ++i) {
      const char c = static_cast<char>(i);
      const bool numeric = (c >= '0' && c <= '9') || c == ':' || c == ' ' || c == '+' ||
                           c == '-' || c == 'e' || c == 'E' || c == decimalSeparator;
      kind[i] = (c == '\0' || c == '\n' || c == '\r') ? kEndOfScan : numeric ? kNumeric : kForeign;
    }
  }
};
constexpr NumericTable kNumericPoint('.');
constexpr NumericTable kNumericComma(',');

}  // namespace

bool IsCommentLine(std::string_view line) { return line.empty() || line.front() == '/'; }

static const char* PreparedTable(char decimalSeparator) {
  return decimalSeparator == ',' ? kPrepareComma.to : kPreparePoint.to;
}

void PrepareLine(std::string& line, char decimalSeparator) {
  const char* to = PreparedTable(decimalSeparator);
  for (char& c : line) c = to[static_cast<unsigned char>(c)];
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
  const unsigned char* kind = decimalSeparator == ',' ? kNumericComma.kind : kNumericPoint.kind;
  const std::size_t examined = preparedLine.size() - 1;
  for (std::size_t i = 0; i < examined; ++i) {
    const unsigned char k = kind[static_cast<unsigned char>(preparedLine[i])];
    if (k != kNumeric) return k == kForeign;
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

// PrepareDataLine, SplitFields and ParsePointLine in one sweep over the line:
// the same judgement, made once per byte instead of once per rule.
bool PointLineParser::Parse(std::string_view rawLine, const char* readableEnd,
                            PointValues& values) {
  if (IsCommentLine(rawLine)) return false;
  const PlainVerdict plain = plain_.Parse(rawLine, readableEnd, values);
  if (plain != PlainVerdict::kNotPlain) return plain == PlainVerdict::kData;
  const signed char first =
      static_cast<signed char>(PreparedTable(separator_)[static_cast<unsigned char>(rawLine[0])]);
  if (first == '/' || first < 32) return false;
  const char* to = PreparedTable(separator_);
  const unsigned char* kind = separator_ == ',' ? kNumericComma.kind : kNumericPoint.kind;
  prepared_.resize(rawLine.size());
  fields_.clear();
  const std::size_t examined = rawLine.size() - 1;
  bool scanning = true;  // the character test has not met NUL, LF or CR yet
  std::size_t fieldStart = 0;
  bool inField = false;
  unsigned lineMatch = 0;  // characters of "LINE" matched so far
  for (std::size_t i = 0; i < rawLine.size(); ++i) {
    const char c = to[static_cast<unsigned char>(rawLine[i])];
    prepared_[i] = c;
    if (c == '"') return false;
    lineMatch = c == "LINE"[lineMatch] ? lineMatch + 1 : (c == 'L' ? 1 : 0);
    if (lineMatch == 4) return false;
    if (scanning && i < examined) {
      const unsigned char k = kind[static_cast<unsigned char>(c)];
      if (k == kForeign) return false;
      scanning = k == kNumeric;
    }
    const bool separator = c == ' ' || c == '\r' || c == '\n';
    if (separator && inField) fields_.emplace_back(prepared_.data() + fieldStart, i - fieldStart);
    if (!separator && !inField) fieldStart = i;
    inField = !separator;
  }
  if (inField) fields_.emplace_back(prepared_.data() + fieldStart, rawLine.size() - fieldStart);
  return ConvertFields(values);
}

bool PointLineParser::ConvertFields(PointValues& values) const {
  const int count = static_cast<int>(fields_.size());
  if (count < 4) return false;
  const int columns[] = {columns_.x, columns_.y, columns_.point, columns_.quantity};
  double* targets[] = {&values.x, &values.y, &values.point, &values.quantity};
  for (int column : columns) {
    if (column < 0 || column >= count) return false;
  }
  for (int i = 0; i < 4; ++i) {
    std::optional<double> number = ParseNumber(fields_[columns[i]], separator_);
    if (!number) return false;
    *targets[i] = *number;
  }
  return true;
}

}  // namespace zelvo
