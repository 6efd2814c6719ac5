#include "batch/batch_options.h"

#include <functional>
#include <map>

#include "base/number_text.h"
#include "app/settings_file.h"

namespace zelvo {

const char* const kBatchUsage =
    "usage: zelvo-batch [OPTIONS] INPUT OUTPUT\n"
    "       zelvo-batch --settings FILE [OPTIONS] [INPUT OUTPUT]\n"
    "       zelvo-batch --load RESULTFILE --preview DIR [--pane2 VAR] [--pane3 VAR]\n"
    "       zelvo-batch --info INPUT [--columns X,Y,P,Q] [--decimal-separator C] [--subset FILE]\n"
    "\n"
    "Computes horizontal gradients, fitted values and residuals at every point of INPUT\n"
    "and writes them to OUTPUT.\n"
    "\n"
    "  --radius R                search radius (required, > 0.000001)\n"
    "  --iterations N            number of iterations, 0 .. 10000 (default 0)\n"
    "  --object RGA|LGA          object of higher iteration (default RGA)\n"
    "  --columns X,Y,P,Q         column letters of x, y, point id, quantity (default A,B,C,D)\n"
    "  --nearest N               fit over the N nearest points instead of the radius\n"
    "  --center-x none|area|point   centring of x (default point)\n"
    "  --center-y none|area|point   centring of y (default point)\n"
    "  --center-q none|area|point   centring of the quantity (default none)\n"
    "  --include-point           use the point of calculation in its own fit\n"
    "  --subset FILE             trace the points listed in FILE into OUTPUT_trace_out.xyz\n"
    "  --decimal-separator C     decimal separator of the input files, . or , (default: locale)\n"
    "  --on-singular continue|stop  answer to a singular fit (default continue)\n"
    "  --quiet                   no progress bar\n"
    "  --settings FILE           every parameter from a settings file the window wrote\n"
    "                            (zelvo.cfg beside zelvo); the options given override it,\n"
    "                            INPUT and OUTPUT may be left out when it names them\n"
    "  --preview DIR             write the three preview panes into DIR after the run;\n"
    "                            a pane whose name an earlier pane took gets _paneN\n"
    "                            before its extension\n"
    "  --pane2 VAR, --pane3 VAR  variables of panes 2 and 3: HGQX, HGQY, HGQ, RQ or rq\n"
    "                            (default HGQX and HGQY)\n"
    "  --grid-radius G           gridding radius of the previews (default: the search radius)\n"
    "  --image-format bmp|jpg    format of the preview files (default bmp)\n"
    "  --load RESULTFILE         write the previews of a result file (with --preview DIR)\n"
    "  --info                    print what INPUT holds and stop\n"
    "  --help, --version\n"
    "\n"
    "Exit status: 0 success, 1 the run failed, 2 bad usage, 128 + the signal number when\n"
    "SIGINT, SIGTERM or SIGHUP stopped the run (130, 143, 129).\n";

namespace {

bool TakesValue(const std::string& option) {
  static const char* const kWithValue[] = {
      "--radius", "--iterations", "--object", "--columns", "--nearest", "--center-x",
      "--center-y", "--center-q", "--subset", "--decimal-separator", "--on-singular",
      "--settings", "--preview", "--pane2", "--pane3", "--grid-radius", "--image-format",
      "--load"};
  for (const char* name : kWithValue) {
    if (option == name) return true;
  }
  return false;
}

// Stores the value of one option; an error text when the value is not one
// the option takes.
std::string ApplyOption(BatchOptions& o, const std::string& name, const std::string& value) {
  if (name == "--radius") o.radius = value;
  else if (name == "--iterations") o.iterations = value;
  else if (name == "--nearest") o.nearest = value;
  else if (name == "--subset") o.subsetFileName = value;
  else if (name == "--settings") o.settingsFileName = value;
  else if (name == "--preview") o.previewDir = value;
  else if (name == "--grid-radius") o.griddingRadius = value;
  else if (name == "--load") {
    o.loadFileName = value;
    o.mode = BatchMode::kLoad;
  } else if (name == "--pane2" || name == "--pane3") {
    const std::optional<int> variable = ParsePaneVariable(value);
    if (!variable) return name + " takes HGQX, HGQY, HGQ, RQ or rq";
    (name == "--pane2" ? o.pane2Variable : o.pane3Variable) = *variable;
  } else if (name == "--image-format") {
    if (value != "bmp" && value != "jpg") return "--image-format takes bmp or jpg";
    o.imageFormat = value;
  }
  else if (name == "--columns") {
    if (!ParseColumnLetters(value)) return "--columns takes four letters A..Z, as A,B,C,D";
    o.columns = value;
  } else if (name == "--object") {
    if (value != "RGA" && value != "LGA") return "--object takes RGA or LGA";
    o.object = value;
  } else if (name == "--center-x" || name == "--center-y" || name == "--center-q") {
    if (!ParseCenterMode(value)) return name + " takes none, area or point";
    (name == "--center-x" ? o.centerX : name == "--center-y" ? o.centerY : o.centerQ) = value;
  } else if (name == "--decimal-separator") {
    if (value != "." && value != ",") return "--decimal-separator takes . or ,";
    o.decimalSeparator = value[0];
  } else if (name == "--on-singular") {
    if (value != "continue" && value != "stop") return "--on-singular takes continue or stop";
    o.stopOnSingular = value == "stop";
  }
  return {};
}

}  // namespace

std::optional<std::vector<int>> ParseColumnLetters(const std::string& text) {
  std::vector<int> columns;
  for (std::size_t i = 0; i < text.size(); i += 2) {
    const char letter = text[i];
    if (letter < 'A' || letter > 'Z') return std::nullopt;
    if (i + 1 < text.size() && text[i + 1] != ',') return std::nullopt;
    columns.push_back(letter - 'A');
  }
  if (columns.size() != 4 || text.size() != 7) return std::nullopt;
  return columns;
}

std::optional<int> ParsePaneVariable(const std::string& text) {
  static const char* const kVariables[] = {"HGQX", "HGQY", "HGQ", "RQ", "rq"};
  for (int i = 0; i < 5; ++i) {
    if (text == kVariables[i]) return i;
  }
  return std::nullopt;
}

std::optional<int> ParseCenterMode(const std::string& text) {
  if (text == "none") return 0;
  if (text == "area") return 1;
  if (text == "point") return 2;
  return std::nullopt;
}

ParsedCommandLine ParseBatchCommandLine(const std::vector<std::string>& arguments,
                                        const BatchOptions& start) {
  BatchOptions options = start;
  std::vector<std::string> positional;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--help" || argument == "-h") {
      options.mode = BatchMode::kHelp;
      return {options, {}};
    }
    if (argument == "--version") {
      options.mode = BatchMode::kVersion;
      return {options, {}};
    }
    if (argument == "--info") options.mode = BatchMode::kInfo;
    else if (argument == "--include-point") options.includePoint = true;
    else if (argument == "--quiet") options.quiet = true;
    else if (TakesValue(argument)) {
      if (i + 1 >= arguments.size()) return {std::nullopt, argument + " needs a value"};
      const std::string error = ApplyOption(options, argument, arguments[++i]);
      if (!error.empty()) return {std::nullopt, error};
    } else if (argument.size() > 1 && argument[0] == '-' && argument != "-") {
      return {std::nullopt, "unknown option " + argument};
    } else {
      positional.push_back(argument);
    }
  }
  if (options.mode == BatchMode::kLoad) {
    if (!positional.empty()) return {std::nullopt, "--load takes no INPUT or OUTPUT"};
    if (options.previewDir.empty()) return {std::nullopt, "--load needs --preview DIR"};
    return {options, {}};
  }
  const std::size_t wanted = options.mode == BatchMode::kInfo ? 1 : 2;
  const bool namedBySettings = !options.settingsFileName.empty() && positional.empty();
  if (namedBySettings) return {options, {}};
  if (positional.size() != wanted) {
    return {std::nullopt, wanted == 1 ? "--info takes one INPUT file"
                                      : "expected INPUT and OUTPUT file names"};
  }
  options.inputFileName = positional[0];
  if (wanted == 2) options.outputFileName = positional[1];
  return {options, {}};
}

std::string OptionsFromSettings(const SettingsValues& s, BatchOptions& o) {
  const auto inRange = [](std::int32_t value, int count) { return value >= 0 && value < count; };
  const std::int32_t columns[] = {s.columnX, s.columnY, s.columnPoint, s.columnQuantity};
  std::string letters;
  for (std::int32_t column : columns) {
    if (!inRange(column, 26)) return "the settings file selects no column (" + std::to_string(column) + ")";
    if (!letters.empty()) letters += ',';
    letters += static_cast<char>('A' + column);
  }
  static const char* const kObjects[] = {"RGA", "LGA"};
  if (!inRange(s.object, 2)) {
    return "the settings file selects no object of higher iteration (" + std::to_string(s.object) + ")";
  }
  static const char* const kCentring[] = {"none", "area", "point"};
  for (std::int32_t mode : {s.centerX, s.centerY, s.centerQ}) {
    if (!inRange(mode, 3)) return "the settings file selects no centring (" + std::to_string(mode) + ")";
  }
  if (!inRange(s.searchMode, 2)) {
    return "the settings file selects no search mode (" + std::to_string(s.searchMode) + ")";
  }
  o.inputFileName = s.inputFileName;
  o.outputFileName = s.outputFileName;
  o.subsetFileName = s.subsetFileName;
  // The texts the window shows for these numbers: what it writes in headers
  // and file names.
  o.radius = FormatGeneral(s.searchRadius, '.');
  o.griddingRadius = FormatGeneral(s.griddingRadius, '.');
  o.iterations = std::to_string(s.iterations);
  o.object = kObjects[s.object];
  o.columns = letters;
  o.centerX = kCentring[s.centerX];
  o.centerY = kCentring[s.centerY];
  o.centerQ = kCentring[s.centerQ];
  o.nearest.reset();
  if (s.searchMode == 1) o.nearest = std::to_string(s.nearestCount);
  o.includePoint = s.pointIn;
  o.preview = s.preview;
  o.pane2Variable = s.pane2;
  o.pane3Variable = s.pane3;
  return {};
}

}  // namespace zelvo
