#include "app/qt/window_arguments.h"

#include <filesystem>
#include <system_error>
#include <utility>

namespace zelvo {
namespace {

constexpr const char* kUsage =
    "usage: zelvo [FILE]\n"
    "\n"
    "The Zelvo window: horizontal gradients, fitted values and residuals at every\n"
    "point of a survey file, with previews of the results.\n"
    "FILE starts the window with it as the input file, as its file button would.\n"
    "zelvo-batch is the command-line twin: the same run without a window.\n"
    "\n"
    "  -h, --help     print this help and exit\n"
    "  --version      print the version and exit\n";

// The settings file keeps the name for the next start, which may be made
// from another folder; the file dialog gives absolute names too.
std::string AbsoluteName(const std::string& name) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(name, error);
  return error ? name : absolute.string();
}

WindowArguments Answer(WindowAction action, std::string error = {}) {
  WindowArguments answer;
  answer.action = action;
  answer.error = std::move(error);
  return answer;
}

bool IsOption(const std::string& argument) { return argument.size() > 1 && argument[0] == '-'; }

}  // namespace

WindowArguments ParseWindowArguments(const std::vector<std::string>& arguments) {
  WindowArguments parsed;
  bool optionsEnded = false;
  for (const std::string& argument : arguments) {
    if (!optionsEnded) {
      if (argument == "--help" || argument == "-h") return Answer(WindowAction::kHelp);
      if (argument == "--version") return Answer(WindowAction::kVersion);
      if (argument == "--") {
        optionsEnded = true;
        continue;
      }
    }
    if (parsed.action == WindowAction::kUsageError) continue;  // only the answers above still count
    if (!optionsEnded && IsOption(argument)) {
      parsed = Answer(WindowAction::kUsageError, "unknown option " + argument);
    } else if (!parsed.inputFile.empty()) {
      parsed = Answer(WindowAction::kUsageError, "one input file at most: " + argument);
    } else if (!argument.empty()) {
      parsed.inputFile = AbsoluteName(argument);
    }
  }
  return parsed;
}

std::string WindowUsage() { return kUsage; }

}  // namespace zelvo
