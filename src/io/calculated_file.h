#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>
#include <string_view>

#include "io/point_table.h"
#include "io/result_table.h"

namespace zelvo {

class RunObserver;

// What the first line of a result file tells of its run, as written there.
struct ResultHeader {
  std::string radiusText;
  std::string iterationText;
  std::string objectText;
};

// Recognised when its first blank-separated token is "Map:" (or "/Map:") and
// a token follows the last "Radius:", "Iter:" and "Object:" each.
std::optional<ResultHeader> ParseResultHeader(std::string_view line);

// The first ten numbers of a prepared record line: x, y, point, quantity,
// hgqx, hgqy, hgq, Rq, rq, npoints.
std::optional<std::array<double, 10>> ParseResultLine(std::string_view preparedLine);

inline constexpr const char* kNotCalculatedFileMessage =
    "Not a calculated Zelvo file: header not recognised";

// The records of a result file, read in two passes (count, then store).
struct CalculatedFile {
  ResultHeader header;
  double searchRadius = 0.0;
};

// Opens the file and reads its header line. 0 when read; 1, with the
// message shown, when it cannot be opened, is not recognised, or names no
// usable radius.
int ReadCalculatedHeader(const std::string& fileName, RunObserver& observer, CalculatedFile& file);
// The same over bytes in memory, as over a file holding them.
int ReadCalculatedHeaderFromMemory(std::string_view bytes, const std::string& shownName,
                                   RunObserver& observer, CalculatedFile& file);

// Reads every record into the rows (x, y, quantity, results) and its point
// identifier into pointIds, with their extent and mid-range centre; the
// coordinates stay as written. 0 on
// success; 1 when there is no record, no memory for them, or the second pass
// does not give the records of the first, reported, with the rows left empty.
int ReadCalculatedRecords(const std::string& fileName, RunObserver& observer,
                          ResultTable& rows, std::vector<double>& pointIds, DataExtent& extent,
                          AreaCentre& centre, const std::function<void()>& betweenPasses = [] {});
// The same over bytes in memory, as over a file holding them; messages name
// the file as `shownName`. The bytes must stay alive through the call.
int ReadCalculatedRecordsFromMemory(std::string_view bytes, const std::string& shownName,
                                    RunObserver& observer, ResultTable& rows,
                                    std::vector<double>& pointIds, DataExtent& extent,
                                    AreaCentre& centre,
                                    const std::function<void()>& betweenPasses = [] {});

}  // namespace zelvo
