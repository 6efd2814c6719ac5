#include "batch/batch_options.h"

#include <functional>
#include <map>

namespace zelvo {

const char* const kBatchUsage =
    "usage: zelvo-batch [OPTIONS] INPUT OUTPUT\n"
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
    "  --info                    print what INPUT holds and stop\n"
    "  --help, --version\n";

namespace {

bool TakesValue(const std::string& option) {
  static const char* const kWithValue[] = {
      "--radius", "--iterations", "--object", "--columns", "--nearest", "--center-x",
      "--center-y", "--center-q", "--subset", "--decimal-separator", "--on-singular"};
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

std::optional<int> ParseCenterMode(const std::string& text) {
  if (text == "none") return 0;
  if (text == "area") return 1;
  if (text == "point") return 2;
  return std::nullopt;
}

ParsedCommandLine ParseBatchCommandLine(const std::vector<std::string>& arguments) {
  BatchOptions options;
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
  const std::size_t wanted = options.mode == BatchMode::kInfo ? 1 : 2;
  if (positional.size() != wanted) {
    return {std::nullopt, wanted == 1 ? "--info takes one INPUT file"
                                      : "expected INPUT and OUTPUT file names"};
  }
  options.inputFileName = positional[0];
  if (wanted == 2) options.outputFileName = positional[1];
  return {options, {}};
}

}  // namespace zelvo
