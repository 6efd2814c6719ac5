#pragma once

#include <string>
#include <vector>

namespace zelvo {

enum class WindowAction { kOpen, kHelp, kVersion, kUsageError };

// The window's command line: zelvo [--help | --version] [FILE].
struct WindowArguments {
  WindowAction action = WindowAction::kOpen;
  // The input file to start with, made absolute; empty: none.
  std::string inputFile;
  // For kUsageError: the line after "zelvo: ".
  std::string error;
};

// --help and --version answer whatever else the line holds; "--" ends the
// options.
WindowArguments ParseWindowArguments(const std::vector<std::string>& arguments);

std::string WindowUsage();

}  // namespace zelvo
