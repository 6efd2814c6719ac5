#include "batch/batch_options.h"

#include <algorithm>
#include <string_view>

#include "app/run_parameter_table.h"
#include "app/settings_file.h"
#include "base/number_text.h"

namespace zelvo {
namespace {

constexpr int kMaxThreads = 1024;

// One option of the command line: how it is written, what the usage says of
// it and what it does to the options.
struct CommandLineOption {
  std::string name;
  const char* shortName = nullptr;  // the one-letter form, as -q
  const char* value = nullptr;    // what the usage calls its value; nullptr: it takes none
  const char* description = "";   // later lines go on at the description column
  bool listedWithNext = false;    // on one usage line with the option after it
  const char* takes = nullptr;    // what the option takes, told when a value is refused
  bool (*apply)(BatchOptions& options, const std::string& value) = nullptr;  // false: refused
};

bool TakeCenterMode(const std::string& value, std::string& mode) {
  if (!ParseCenterMode(value)) return false;
  mode = value;
  return true;
}

bool TakePaneVariable(const std::string& value, int& variable) {
  const std::optional<int> taken = ParsePaneVariable(value);
  if (!taken) return false;
  variable = *taken;
  return true;
}

// In the order the usage lists them.
const std::vector<CommandLineOption>& Options() {
  static const std::vector<CommandLineOption> kOptions{
      {.name = ParameterOption(Control::txt_radius), .value = "R",
       .description = "search radius (required, > 0.000001)",
       .apply = [](auto& o, auto& value) { o.radius = value; return true; }},
      {.name = ParameterOption(Control::txt_iter), .value = "N",
       .description = "number of iterations, 0 .. 10000 (default 0)",
       .apply = [](auto& o, auto& value) { o.iterations = value; return true; }},
      {.name = "--object", .value = "RGA|LGA",
       .description = "object of higher iteration (default RGA)", .takes = "RGA or LGA",
       .apply = [](auto& o, auto& value) {
         if (value != "RGA" && value != "LGA") return false;
         o.object = value;
         return true;
       }},
      {.name = "--columns", .value = "X,Y,P,Q",
       .description = "column letters of x, y, point id, quantity (default A,B,C,D)",
       .takes = "four letters A..Z, as A,B,C,D",
       .apply = [](auto& o, auto& value) {
         if (!ParseColumnLetters(value)) return false;
         o.columns = value;
         return true;
       }},
      {.name = ParameterOption(Control::txt_n), .value = "N",
       .description = "fit over the N nearest points instead of the radius",
       .apply = [](auto& o, auto& value) { o.nearest = value; return true; }},
      {.name = "--center-x", .value = "none|area|point",
       .description = "centring of x (default point)", .takes = "none, area or point",
       .apply = [](auto& o, auto& value) { return TakeCenterMode(value, o.centerX); }},
      {.name = "--center-y", .value = "none|area|point",
       .description = "centring of y (default point)", .takes = "none, area or point",
       .apply = [](auto& o, auto& value) { return TakeCenterMode(value, o.centerY); }},
      {.name = "--center-q", .value = "none|area|point",
       .description = "centring of the quantity (default none)", .takes = "none, area or point",
       .apply = [](auto& o, auto& value) { return TakeCenterMode(value, o.centerQ); }},
      {.name = "--include-point", .description = "use the point of calculation in its own fit",
       .apply = [](auto& o, auto&) { o.includePoint = true; return true; }},
      {.name = ParameterOption(Control::txt_log), .value = "FILE",
       .description = "trace the points listed in FILE into OUTPUT_trace_out.xyz",
       .apply = [](auto& o, auto& value) { o.subsetFileName = value; return true; }},
      {.name = "--decimal-separator", .value = "C",
       .description = "decimal separator of the input files, . or , (default: locale)",
       .takes = ". or ,",
       .apply = [](auto& o, auto& value) {
         if (value != "." && value != ",") return false;
         o.decimalSeparator = value[0];
         return true;
       }},
      {.name = "--on-singular", .value = "continue|stop",
       .description = "answer to a singular fit (default continue)", .takes = "continue or stop",
       .apply = [](auto& o, auto& value) {
         if (value != "continue" && value != "stop") return false;
         o.stopOnSingular = value == "stop";
         return true;
       }},
      {.name = "--threads", .value = "N",
       .description = "threads for reading, the fits and the result records (default:\n"
                      "one per core); the files are the same for every N",
       .takes = "a whole number from 1 to 1024",
       .apply = [](auto& o, auto& value) {
         const std::optional<std::int32_t> threads = ParseInteger(value);
         if (!threads || *threads < 1 || *threads > kMaxThreads) return false;
         o.threads = *threads;
         return true;
       }},
      {.name = "--quiet", .shortName = "-q",
       .description = "print only errors and warnings: no progress bar, no summary",
       .apply = [](auto& o, auto&) { o.quiet = true; return true; }},
      {.name = "--settings", .value = "FILE",
       .description = "every parameter from a settings file the window wrote\n"
                      "(zelvo.cfg beside zelvo or in ~/.config/zelvo); the options\n"
                      "given override it, INPUT and OUTPUT may be left out when it\n"
                      "names them",
       .apply = [](auto& o, auto& value) { o.settingsFileName = value; return true; }},
      {.name = "--preview", .value = "DIR",
       .description = "write the three preview panes into DIR after the run;\n"
                      "a pane whose name an earlier pane took gets _paneN\n"
                      "before its extension",
       .apply = [](auto& o, auto& value) { o.previewDir = value; return true; }},
      {.name = "--pane2", .value = "VAR", .listedWithNext = true,
       .takes = "HGQX, HGQY, HGQ, RQ or rq",
       .apply = [](auto& o, auto& value) { return TakePaneVariable(value, o.pane2Variable); }},
      {.name = "--pane3", .value = "VAR",
       .description = "variables of panes 2 and 3: HGQX, HGQY, HGQ, RQ or rq\n"
                      "(default HGQX and HGQY)",
       .takes = "HGQX, HGQY, HGQ, RQ or rq",
       .apply = [](auto& o, auto& value) { return TakePaneVariable(value, o.pane3Variable); }},
      {.name = ParameterOption(Control::txt_nearest), .value = "G",
       .description = "gridding radius of previews, grids and maps (default: R)",
       .apply = [](auto& o, auto& value) { o.griddingRadius = value; return true; }},
      {.name = "--image-format", .value = "bmp|jpg|png",
       .description = "format of the preview files (default bmp)", .takes = "bmp, jpg or png",
       .apply = [](auto& o, auto& value) {
         if (value != "bmp" && value != "jpg" && value != "png") return false;
         o.imageFormat = value;
         return true;
       }},
      {.name = "--grid-out", .value = "DIR",
       .description = "write one grid file per variable into DIR after the run or load",
       .apply = [](auto& o, auto& value) { o.gridOutDir = value; return true; }},
      {.name = "--grid-format", .value = "NAME",
       .description = "GDAL raster driver of the grids: GTiff (default), GSAG, GS7BG,\n"
                      "AAIGrid, netCDF, ...",
       .apply = [](auto& o, auto& value) { o.gridFormat = value; return true; }},
      {.name = "--grid-variables", .value = "LIST",
       .description = "variables of the grids and maps\n"
                      "(default quantity,hgqx,hgqy,hgq,Rq,rq)",
       .apply = [](auto& o, auto& value) { o.gridVariables = value; return true; }},
      {.name = "--crs", .value = "SRS",
       .description = "coordinate system stored in grids and points (EPSG:32633,\n"
                      "WKT, PROJ string); default: none claimed",
       .apply = [](auto& o, auto& value) { o.crs = value; return true; }},
      {.name = "--points-out", .value = "FILE",
       .description = "every record at full precision: .csv, .gpkg, .fgb or .geojson",
       .apply = [](auto& o, auto& value) { o.pointsOut = value; return true; }},
      {.name = "--map", .value = "DIR",
       .description = "one PNG report map per grid variable into DIR",
       .apply = [](auto& o, auto& value) { o.mapDir = value; return true; }},
      {.name = "--map-width", .value = "PIXELS",
       .description = "width of the report maps (default 1200)",
       .apply = [](auto& o, auto& value) { o.mapWidth = value; return true; }},
      {.name = "--load", .value = "RESULTFILE",
       .description = "write the previews and exports of a result file instead of a run",
       .apply = [](auto& o, auto& value) {
         o.loadFileName = value;
         o.mode = BatchMode::kLoad;
         return true;
       }},
      {.name = "--info", .description = "print what INPUT holds and stop",
       .apply = [](auto& o, auto&) { o.mode = BatchMode::kInfo; return true; }},
      {.name = "--help", .shortName = "-h", .listedWithNext = true,
       .apply = [](auto& o, auto&) { o.mode = BatchMode::kHelp; return true; }},
      {.name = "--version",
       .apply = [](auto& o, auto&) { o.mode = BatchMode::kVersion; return true; }},
  };
  return kOptions;
}

constexpr const char* kUsageHead =
    "usage: zelvo-batch [OPTIONS] INPUT OUTPUT\n"
    "       zelvo-batch --settings FILE [OPTIONS] [INPUT OUTPUT]\n"
    "       zelvo-batch --load RESULTFILE [--preview DIR] [--grid-out DIR] [--points-out FILE]\n"
    "                   [--map DIR] [--pane2 VAR] [--pane3 VAR]\n"
    "       zelvo-batch --info INPUT [--columns X,Y,P,Q] [--decimal-separator C] [--subset FILE]\n"
    "\n"
    "Computes horizontal gradients, fitted values and residuals at every point of INPUT\n"
    "and writes them to OUTPUT; on request also previews, GDAL grids, point layers and\n"
    "report maps.\n"
    "\n"
    "INPUT (or RESULTFILE) - reads standard input and OUTPUT - writes the result file\n"
    "to standard output, not with --subset, whose trace file is named after OUTPUT.\n"
    "An option's value may also follow an = sign, as --radius=60; -- ends the options,\n"
    "so that later arguments are file names even when they start with -.\n"
    "\n";

constexpr const char* kUsageTail =
    "\n"
    "Exit status: 0 success, 1 the run failed, 2 bad usage, 128 + the signal number when\n"
    "SIGINT, SIGTERM or SIGHUP stopped the run (130, 143, 129).\n";

// Descriptions line up at one column; the few options written too long for
// it line theirs up at a second one.
constexpr std::size_t kDescriptionColumn = 28;
constexpr std::size_t kLongOptionColumn = 31;

std::size_t DescriptionColumn(std::size_t optionWidth) {
  if (optionWidth + 2 <= kDescriptionColumn) return kDescriptionColumn;
  return std::max(kLongOptionColumn, optionWidth + 2);
}

std::string Written(const CommandLineOption& option) {
  const std::string name =
      option.shortName == nullptr ? option.name : option.shortName + (", " + option.name);
  return option.value == nullptr ? name : name + " " + option.value;
}

std::string UsageLine(const std::string& written, std::string_view description) {
  std::string line = written;
  if (!description.empty()) line.resize(DescriptionColumn(written.size()), ' ');
  for (char c : description) {
    line += c;
    if (c == '\n') line.append(kDescriptionColumn, ' ');
  }
  return line + '\n';
}

std::string OptionLines() {
  std::string lines;
  std::string written = "  ";
  for (const CommandLineOption& option : Options()) {
    written += Written(option);
    if (option.listedWithNext) {
      written += ", ";
      continue;
    }
    lines += UsageLine(written, option.description);
    written = "  ";
  }
  return lines;
}

const CommandLineOption* FindOption(std::string_view name) {
  for (const CommandLineOption& option : Options()) {
    if (option.name == name || (option.shortName != nullptr && name == option.shortName)) {
      return &option;
    }
  }
  return nullptr;
}

// "-" alone names standard input or output, a file name like any other.
bool IsOptionLike(const std::string& argument) { return argument.size() > 1 && argument[0] == '-'; }

// The arguments being read, one after the other, and what is found wrong.
class ArgumentCursor {
 public:
  ArgumentCursor(const std::vector<std::string>& arguments, std::vector<std::string>& errors)
      : arguments_(arguments), errors_(errors) {}

  bool AtEnd() const { return next_ == arguments_.size(); }
  const std::string& Take() { return arguments_[next_++]; }
  void Refuse(std::string what) { errors_.push_back(std::move(what)); }

  // The value of an option written as --name=VALUE or --name VALUE; none
  // when the line ends first.
  std::optional<std::string> ValueOf(const std::string& written,
                                     std::optional<std::string> attached) {
    if (attached) return attached;
    if (AtEnd()) {
      Refuse(written + " needs a value");
      return std::nullopt;
    }
    return Take();
  }

 private:
  const std::vector<std::string>& arguments_;
  std::vector<std::string>& errors_;
  std::size_t next_ = 0;
};

// Applies one option as written on the line; false when it asks for an
// answer at once (--help, --version).
bool ApplyOption(const std::string& argument, ArgumentCursor& cursor, BatchOptions& options) {
  const std::size_t equals = argument.rfind("--", 0) == 0 ? argument.find('=') : std::string::npos;
  const std::string written = argument.substr(0, equals);
  std::optional<std::string> attached;
  if (equals != std::string::npos) attached = argument.substr(equals + 1);
  const CommandLineOption* option = FindOption(written);
  if (option == nullptr) {
    cursor.Refuse("unknown option " + written);
    return true;
  }
  std::optional<std::string> value;
  if (option->value != nullptr) {
    value = cursor.ValueOf(written, attached);
    if (!value) return true;
  } else if (attached) {
    cursor.Refuse(option->name + " takes no value");
    return true;
  }
  if (!option->apply(options, value.value_or(""))) {
    cursor.Refuse(option->name + " takes " + option->takes);
    return true;
  }
  return options.mode != BatchMode::kHelp && options.mode != BatchMode::kVersion;
}

// What the mode makes of the arguments that are no options.
void TakeFileNames(const std::vector<std::string>& positional, ParsedCommandLine& parsed) {
  BatchOptions& options = parsed.options;
  if (options.mode == BatchMode::kLoad) {
    if (!positional.empty()) parsed.errors.push_back("--load takes no INPUT or OUTPUT");
    if (options.previewDir.empty() && !WantsExports(options)) {
      parsed.errors.push_back(
          "--load needs --preview DIR, --grid-out DIR, --points-out FILE or --map DIR");
    }
    return;
  }
  const std::size_t wanted = options.mode == BatchMode::kInfo ? 1 : 2;
  const bool namedBySettings = !options.settingsFileName.empty() && positional.empty();
  if (namedBySettings) return;
  if (positional.size() != wanted) {
    parsed.errors.push_back(wanted == 1 ? "--info takes one INPUT file"
                                        : "expected INPUT and OUTPUT file names");
    parsed.fileNamesRead = false;
    return;
  }
  options.inputFileName = positional[0];
  if (wanted == 2) options.outputFileName = positional[1];
}

}  // namespace

bool WantsExports(const BatchOptions& options) {
  return !options.gridOutDir.empty() || !options.pointsOut.empty() || !options.mapDir.empty();
}

std::string ParameterOption(Control field) { return std::string("--") + ParameterOf(field).name; }

std::string BatchUsage() { return kUsageHead + OptionLines() + kUsageTail; }

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
  ParsedCommandLine parsed{start, {}};
  ArgumentCursor cursor(arguments, parsed.errors);
  std::vector<std::string> positional;
  bool optionsEnded = false;
  while (!cursor.AtEnd()) {
    const std::string& argument = cursor.Take();
    if (optionsEnded || !IsOptionLike(argument)) {
      positional.push_back(argument);
    } else if (argument == "--") {
      optionsEnded = true;
    } else if (!ApplyOption(argument, cursor, parsed.options)) {
      // --help and --version answer at once, whatever follows on the line.
      return parsed;
    }
  }
  TakeFileNames(positional, parsed);
  return parsed;
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
