#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zelvo {

enum class BatchMode { kRun, kInfo, kHelp, kVersion };

// The command line as typed; numbers stay texts until they are checked.
struct BatchOptions {
  BatchMode mode = BatchMode::kRun;
  std::string inputFileName;
  std::string outputFileName;
  std::optional<std::string> radius;
  std::optional<std::string> iterations;
  std::string object = "RGA";
  std::string columns = "A,B,C,D";
  std::optional<std::string> nearest;
  std::string centerX = "point";
  std::string centerY = "point";
  std::string centerQ = "none";
  bool includePoint = false;
  std::string subsetFileName;
  std::optional<char> decimalSeparator;
  bool stopOnSingular = false;
  bool quiet = false;
};

struct ParsedCommandLine {
  std::optional<BatchOptions> options;
  std::string error;  // what is wrong, when options is empty
};

ParsedCommandLine ParseBatchCommandLine(const std::vector<std::string>& arguments);

// "A,B,C,D" -> column indices of x, y, point, quantity.
std::optional<std::vector<int>> ParseColumnLetters(const std::string& text);
// none, area, point -> 0, 1, 2.
std::optional<int> ParseCenterMode(const std::string& text);

extern const char* const kBatchUsage;

}  // namespace zelvo
