#include "io/calculated_file.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <new>
#include <vector>

#include "base/number_text.h"
#include "base/run_observer.h"
#include "io/line_ops.h"
#include "io/line_reader.h"
#include "io/point_reader.h"
#include "base/run_limits.h"

namespace zelvo {
namespace {

// Result files always carry "." whatever the user's separator.
constexpr char kFileSeparator = '.';

std::vector<std::string_view> BlankSeparated(std::string_view line) {
  std::vector<std::string_view> tokens;
  SplitFields(line, tokens);
  return tokens;
}

// The token after the last occurrence of the label; nothing when the label
// is missing, or ends the line and `mayEndLine` is false.
std::optional<std::string_view> AfterLast(const std::vector<std::string_view>& tokens,
                                          std::string_view label, bool mayEndLine = false) {
  for (std::size_t i = tokens.size(); i-- > 0;) {
    if (tokens[i] == label) {
      if (i + 1 < tokens.size()) return tokens[i + 1];
      return mayEndLine ? std::optional<std::string_view>("") : std::nullopt;
    }
  }
  return std::nullopt;
}

// Every line that the record filter of the point reader accepts and that
// holds ten numbers, in file order.
template <typename Visit>
bool ForEachRecord(LineReader& reader, Visit visit) {
  std::string prepared;
  std::string_view line;
  while (reader.Next(line)) {
    if (!PrepareDataLine(line, kFileSeparator, prepared)) continue;
    std::optional<std::array<double, 10>> record = ParseResultLine(prepared);
    if (record && !visit(*record)) break;
  }
  return !reader.ReadFailed();
}

}  // namespace

std::optional<ResultHeader> ParseResultHeader(std::string_view line) {
  const std::vector<std::string_view> tokens = BlankSeparated(line);
  if (tokens.empty() || (tokens[0] != "Map:" && tokens[0] != "/Map:")) return std::nullopt;
  const auto radius = AfterLast(tokens, "Radius:");
  const auto iterations = AfterLast(tokens, "Iter:");
  // A run whose object list had no item selected writes an empty object.
  const auto object = AfterLast(tokens, "Object:", true);
  if (!radius || !iterations || !object) return std::nullopt;
  // The count goes into the window as it stands: it must be one the window
  // can take, or closing could not save the settings.
  const std::optional<std::int32_t> count = ParseInteger(*iterations);
  if (!count || !IterationsAllowed(*count)) return std::nullopt;
  return ResultHeader{std::string(*radius), std::string(*iterations), std::string(*object)};
}

std::optional<std::array<double, 10>> ParseResultLine(std::string_view preparedLine) {
  std::vector<std::string_view> fields;
  SplitFields(preparedLine, fields);
  if (fields.size() < 10) return std::nullopt;
  std::array<double, 10> values{};
  for (std::size_t i = 0; i < 10; ++i) {
    std::optional<double> value = ParseNumber(fields[i], kFileSeparator);
    if (!value) return std::nullopt;
    values[i] = *value;
  }
  return values;
}

namespace {

int ReadHeader(LineReader& reader, RunObserver& observer, CalculatedFile& file) {
  std::string_view firstLine;
  std::optional<ResultHeader> header;
  if (reader.Next(firstLine)) header = ParseResultHeader(firstLine);
  if (!header) {
    observer.ShowMessage(kNotCalculatedFileMessage);
    return 1;
  }
  const std::optional<double> radius = ParseNumber(header->radiusText, kFileSeparator);
  if (!radius || !std::isfinite(*radius) || !RadiusAllowed(*radius)) {
    observer.ShowMessage(kRadiusMessage);
    return 1;
  }
  file = CalculatedFile{*header, *radius};
  return 0;
}

}  // namespace

int ReadCalculatedHeader(const std::string& fileName, RunObserver& observer, CalculatedFile& file) {
  LineReader reader;
  if (!reader.Open(fileName)) {
    observer.ShowFileFailure("Cannot open input data file", fileName, errno);
    return 1;
  }
  return ReadHeader(reader, observer, file);
}

int ReadCalculatedHeaderFromMemory(std::string_view bytes, const std::string& /*shownName*/,
                                   RunObserver& observer, CalculatedFile& file) {
  LineReader reader;
  reader.OpenMemory(bytes);
  return ReadHeader(reader, observer, file);
}

namespace {

// Both passes over an opened reader; `shownName` is what messages call it.
int ReadRecords(LineReader& reader, const std::string& shownName, RunObserver& observer,
                ResultTable& rows, std::vector<double>& pointIds, DataExtent& extent,
                AreaCentre& centre, const std::function<void()>& betweenPasses) {
  std::string_view header;
  reader.Next(header);  // the records start on the second line
  long long count = 0;
  if (!ForEachRecord(reader, [&](const std::array<double, 10>&) { return ++count, true; })) {
    observer.ShowFileFailure("Cannot open input data file", shownName, errno);
    return 1;
  }
  if (count == 0) {
    observer.ShowMessage("Calculated file contains no valid xyz data");
    return 1;
  }
  try {
    if (count > 2147483647LL) throw std::bad_alloc();
    rows.Resize(static_cast<std::size_t>(count));
    pointIds.resize(static_cast<std::size_t>(count));
  } catch (const std::bad_alloc&) {
    rows.Release();
    std::vector<double>().swap(pointIds);
    observer.ShowMessage("Error by allocating memory for calculated data");
    return 1;
  }
  extent = DataExtent{1.1e38, -1.1e38, 1.1e38, -1.1e38, 1.1e38, -1.1e38};
  long long n = 0;
  betweenPasses();
  const bool read = reader.Rewind() && ForEachRecord(reader, [&](const std::array<double, 10>& r) {
    if (n == count) {
      ++n;  // more records than counted
      return false;
    }
    extent.xmin = std::min(extent.xmin, r[0]);
    extent.xmax = std::max(extent.xmax, r[0]);
    extent.ymin = std::min(extent.ymin, r[1]);
    extent.ymax = std::max(extent.ymax, r[1]);
    extent.qmin = std::min(extent.qmin, r[3]);
    extent.qmax = std::max(extent.qmax, r[3]);
    const double row[kResultColumns] = {r[0], r[1], r[3], r[4], r[5], r[6], r[7], r[8], r[9]};
    for (int c = 0; c < kResultColumns; ++c) rows.column[c][n] = row[c];
    rows.recorded[n] = 1;
    pointIds[n] = r[2];
    ++n;
    return true;
  });
  const int readError = errno;
  if (!read || n != count) {
    // Keep no partial rows of a file that failed or changed between the passes.
    rows.Release();
    std::vector<double>().swap(pointIds);
    if (read) {
      observer.ShowMessage(kInputChangedMessage);
    } else {
      observer.ShowFileFailure("Cannot open input data file", shownName, readError);
    }
    return 1;
  }
  centre = AreaCentre{(extent.xmin + extent.xmax) / 2, (extent.ymin + extent.ymax) / 2,
                      (extent.qmin + extent.qmax) / 2};
  return 0;
}

}  // namespace

int ReadCalculatedRecords(const std::string& fileName, RunObserver& observer,
                          ResultTable& rows, std::vector<double>& pointIds, DataExtent& extent,
                          AreaCentre& centre, const std::function<void()>& betweenPasses) {
  rows.Release();
  std::vector<double>().swap(pointIds);
  LineReader reader;
  if (!reader.Open(fileName)) {
    observer.ShowFileFailure("Cannot open input data file", fileName, errno);
    return 1;
  }
  return ReadRecords(reader, fileName, observer, rows, pointIds, extent, centre, betweenPasses);
}

int ReadCalculatedRecordsFromMemory(std::string_view bytes, const std::string& shownName,
                                    RunObserver& observer, ResultTable& rows,
                                    std::vector<double>& pointIds, DataExtent& extent,
                                    AreaCentre& centre,
                                    const std::function<void()>& betweenPasses) {
  rows.Release();
  std::vector<double>().swap(pointIds);
  LineReader reader;
  reader.OpenMemory(bytes);
  return ReadRecords(reader, shownName, observer, rows, pointIds, extent, centre, betweenPasses);
}

}  // namespace zelvo
