// zelvo: the main window.

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include <QApplication>
#include <QStyleFactory>

#include "app/qt/main_window.h"
#include "app/qt/window_arguments.h"

namespace {

constexpr int kExitUsage = 2;

std::vector<std::string> Arguments(int argc, char** argv) { return {argv + 1, argv + argc}; }

// Help and version need no display: answered before Qt looks for one, with
// the exit status.
std::optional<int> AnswerWithoutWindow(const zelvo::WindowArguments& arguments) {
  switch (arguments.action) {
    case zelvo::WindowAction::kHelp:
      std::fputs(zelvo::WindowUsage().c_str(), stdout);
      return 0;
    case zelvo::WindowAction::kVersion:
      std::puts("zelvo " ZELVO_VERSION);
      return 0;
    default:
      return std::nullopt;
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (std::optional<int> answered = AnswerWithoutWindow(zelvo::ParseWindowArguments(Arguments(argc, argv)))) {
    return *answered;
  }
  // Takes the toolkit's own options (-style, -platform, ...) out of argv, so
  // that only ours are left to judge.
  QApplication application(argc, argv);
  const zelvo::WindowArguments arguments = zelvo::ParseWindowArguments(Arguments(argc, argv));
  if (arguments.action == zelvo::WindowAction::kUsageError) {
    std::fprintf(stderr, "zelvo: %s\nTry 'zelvo --help'\n", arguments.error.c_str());
    return kExitUsage;
  }
  // The layout is fixed in pixels; Fusion draws its controls within them on
  // every desktop.
  application.setStyle(QStyleFactory::create("Fusion"));
  zelvo::TfrmMain window;
  if (!arguments.inputFile.empty()) window.InputFileChosen(arguments.inputFile);
  window.show();
  return application.exec();
}
