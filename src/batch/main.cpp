// zelvo-batch: the calculation of the window, run from a command line.

#include <chrono>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "app/calc_command.h"
#include "base/file_names.h"
#include "app/load_command.h"
#include "app/preview_steps.h"
#include "app/run_driver.h"
#include "base/number_text.h"
#include "app/run_state.h"
#include "app/settings_file.h"
#include "batch/batch_options.h"
#include "batch/batch_previews.h"
#include "batch/terminal_window.h"
#include "core/live_choices.h"
#include "io/point_reader.h"
#include "io/trace_subset_reader.h"
#include "base/run_limits.h"

namespace zelvo {
namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
// A signal that ends a run the way Stop does; the process exits 128 + its number.
constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

// The one piece of process-wide state: a signal handler can set nothing else.
// Holds the number of the signal that asked to stop, 0 before any.
volatile std::sig_atomic_t gInterrupted = 0;

extern "C" void OnInterrupt(int signalNumber) { gInterrupted = signalNumber; }

int UsageError(const std::string& what) {
  std::fprintf(stderr, "zelvo-batch: %s\n%s", what.c_str(), kBatchUsage);
  return kExitUsage;
}

char LocaleDecimalSeparator() {
  const char* previous = std::setlocale(LC_NUMERIC, "");
  const char separator = previous != nullptr ? std::localeconv()->decimal_point[0] : '.';
  std::setlocale(LC_NUMERIC, "C");
  return separator == ',' ? ',' : '.';
}

// A number typed on the command line ("." always), as the window field would
// hold it under the file's separator.
std::string FieldText(const std::string& typed, char separator) {
  std::string text = typed;
  for (char& c : text) {
    if (c == '.') c = separator;
  }
  return text;
}

PointColumns Columns(const BatchOptions& options) {
  const std::vector<int> letters = *ParseColumnLetters(options.columns);
  return PointColumns{letters[0], letters[1], letters[2], letters[3]};
}

// The checks that the window makes at Calc or on leaving a field, made before
// any file is opened.
std::string CheckRunOptions(const BatchOptions& options) {
  if (options.inputFileName.empty()) return "Input file name is required field.";
  if (options.outputFileName.empty()) return "Output file name is required field.";
  if (options.outputFileName == options.inputFileName ||
      SameExistingFile(options.outputFileName, options.inputFileName)) {
    return "Input and output file name must not be the same.";
  }
  if (!options.radius) return "--radius is required";
  const std::optional<double> radius = ParseNumber(*options.radius, '.');
  if (!radius) return NotValidFloatMessage(*options.radius);
  if (!RadiusAllowed(*radius)) return kRadiusMessage;
  if (options.iterations) {
    const std::optional<std::int32_t> iterations = ParseInteger(*options.iterations);
    if (!iterations) return NotValidIntegerMessage(*options.iterations);
    if (!IterationsAllowed(*iterations)) return kIterationsMessage;
  }
  if (options.griddingRadius && !ParseNumber(*options.griddingRadius, '.')) {
    return NotValidFloatMessage(*options.griddingRadius);
  }
  if (!options.previewDir.empty() && !IsFolder(options.previewDir)) {
    return "--preview: no folder " + options.previewDir;
  }
  if (options.nearest) {
    const std::optional<std::int32_t> nearest = ParseInteger(*options.nearest);
    if (!nearest) return NotValidIntegerMessage(*options.nearest);
    if (*nearest < kMinNearestCount) return kNearestCountMessage;
  }
  return {};
}

void FillWindow(const BatchOptions& options, char separator, HeadlessWindow& window) {
  const PointColumns columns = Columns(options);
  window.SetText(Control::txt_in, options.inputFileName);
  window.SetText(Control::txt_out, options.outputFileName);
  window.SetText(Control::txt_log, options.subsetFileName);
  window.SetText(Control::txt_radius, FieldText(*options.radius, separator));
  if (options.iterations) window.SetText(Control::txt_iter, *options.iterations);
  window.SetText(Control::cb_iter, options.object);
  window.SetItemIndex(Control::cmb_gx, columns.x);
  window.SetItemIndex(Control::cmb_gy, columns.y);
  window.SetItemIndex(Control::cmb_point, columns.point);
  window.SetItemIndex(Control::cmb_gz, columns.quantity);
  window.SetItemIndex(Control::rg_nearest, options.nearest ? 1 : 0);
  if (options.nearest) window.SetText(Control::txt_n, *options.nearest);
  window.SetItemIndex(Control::cmb_centerx, *ParseCenterMode(options.centerX));
  window.SetItemIndex(Control::cmb_centery, *ParseCenterMode(options.centerY));
  window.SetItemIndex(Control::cmb_centerz, *ParseCenterMode(options.centerQ));
  window.SetChecked(Control::chb_cpin, options.includePoint);
  if (options.griddingRadius) {
    window.SetText(Control::txt_nearest, FieldText(*options.griddingRadius, separator));
  }
}

// The window reads a settings file of another size without a word, the
// missing fields as zeros; a script should hear of it.
void WarnOfSettingsSize(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0 || info.st_size == static_cast<off_t>(SettingsBlock::kSize)) {
    return;
  }
  std::fprintf(stderr, "zelvo-batch: warning: settings file %s holds %lld bytes, not the expected %zu\n",
               path.c_str(), static_cast<long long>(info.st_size), SettingsBlock::kSize);
}

// What the run reads at every point: the options, fixed for the whole run.
FixedChoices ChoicesOf(const BatchOptions& options) {
  FitChoices fit;
  fit.pointOfCalculationIn = options.includePoint;
  fit.centerX = *ParseCenterMode(options.centerX);
  fit.centerY = *ParseCenterMode(options.centerY);
  fit.centerQ = *ParseCenterMode(options.centerQ);
  const int nearest = options.nearest ? *ParseInteger(*options.nearest) : 0;
  return FixedChoices(fit, options.nearest.has_value(), nearest);
}

// The command line over the settings file it names, if any.
ParsedCommandLine ParseWithSettings(const std::vector<std::string>& arguments) {
  ParsedCommandLine parsed = ParseBatchCommandLine(arguments);
  if (!parsed.options || parsed.options->settingsFileName.empty()) return parsed;
  const std::string& path = parsed.options->settingsFileName;
  SettingsBlock block;
  if (ReadSettingsFile(path, block) != SettingsRead::kRead) {
    return {std::nullopt, "cannot read the settings file " + path};
  }
  WarnOfSettingsSize(path);
  BatchOptions fromFile;
  const std::string problem = OptionsFromSettings(DecodeSettings(block), fromFile);
  if (!problem.empty()) return {std::nullopt, path + ": " + problem};
  return ParseBatchCommandLine(arguments, fromFile);
}

// The panes as the window shows them after start-up, previews on with the
// chosen variables; an interrupt arrives as the Stop button.
void PrepareWindow(const BatchOptions& options, RunState& state, HeadlessWindow& window) {
  for (Control pane : kPreviewPanes) {
    window.ClearPane(pane);
  }
  window.SetChecked(Control::cb_preview, !options.previewDir.empty());
  window.SetItemIndex(Control::cb2, options.pane2Variable);
  window.SetItemIndex(Control::cb3, options.pane3Variable);
  window.SetMessageHook([&] {
    if (gInterrupted) btn_stopClick(state);
  });
  for (int signalNumber : kStopSignals) std::signal(signalNumber, OnInterrupt);
}

int WritePreviews(const BatchOptions& options, const WindowServices& window) {
  if (options.previewDir.empty()) return 0;
  const std::string failure = WritePreviewPanes(window, options.previewDir, options.imageFormat);
  if (failure.empty()) return 0;
  std::fprintf(stderr, "zelvo-batch: %s\n", failure.c_str());
  return kExitFailure;
}

int Interrupted() {
  std::fprintf(stderr, "zelvo-batch: interrupted\n");
  return 128 + gInterrupted;
}

int LoadBatch(const BatchOptions& options) {
  TerminalWindow window('.', false, false, &gInterrupted);
  RunState state;
  PrepareWindow(options, state, window);
  if (!LoadCalculatedFile(state, window, options.loadFileName)) return kExitFailure;
  if (BuildSearchCluster(state, window) != 0) return kExitFailure;
  state.resultsValid = true;
  PreviewIntoPane(state, window, kColQuantity, Control::img_uba);
  if (!state.stopRequested) PreviewResultPanes(state, window);
  if (window.WasInterrupted()) return Interrupted();
  return WritePreviews(options, window);
}

int RunBatch(const BatchOptions& options, char separator) {
  const std::string problem = CheckRunOptions(options);
  if (!problem.empty()) return UsageError(problem);
  const bool showProgress = !options.quiet && isatty(STDERR_FILENO);
  TerminalWindow window(separator, options.stopOnSingular, showProgress, &gInterrupted);
  FillWindow(options, separator, window);
  RunState state;
  const FixedChoices choices = ChoicesOf(options);
  state.choices = &choices;
  PrepareWindow(options, state, window);
  const auto started = std::chrono::steady_clock::now();
  const CalcOutcome outcome = btn_calcClick(state, window);
  window.FinishProgress();
  if (window.WasInterrupted()) return Interrupted();
  if (outcome != CalcOutcome::kCompleted) return kExitFailure;
  // Preview names carry the radius as typed, not as the file's separator has it.
  window.SetText(Control::txt_radius, *options.radius);
  if (WritePreviews(options, window) != 0) return kExitFailure;
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  std::fprintf(stderr, "zelvo-batch: %d points, %d passes, %d passed over, %.2f s\n",
               state.points.table.Size(), state.params.iterations + 1, window.PassedOverPoints(),
               seconds);
  return 0;
}

int PrintInfo(const BatchOptions& options, char separator) {
  TerminalWindow window(separator, false, false, &gInterrupted);
  PointSet points;
  ResultTable results;
  const PointColumns columns = Columns(options);
  if (ReadPointFile(options.inputFileName, columns, separator, window, points, results) != 0) {
    return kExitFailure;
  }
  if (!options.subsetFileName.empty() &&
      ReadTraceSubset(options.subsetFileName, columns, separator, window, points.table) != 0) {
    return kExitFailure;
  }
  int traced = 0;
  for (std::uint8_t mark : points.table.traced) traced += mark;
  const auto number = [](double value) { return FormatGeneral(value, '.'); };
  const DataExtent& e = points.extent;
  std::printf("points: %d\n", points.table.Size());
  std::printf("lines skipped: %lld\n", points.linesSkipped);
  // The extent as read; the area centre stays in the stored frame.
  const CoordinateShift& shift = points.shift;
  std::printf("x: %s %s\n", number(e.xmin - shift.x).c_str(), number(e.xmax - shift.x).c_str());
  std::printf("y: %s %s\n", number(e.ymin - shift.y).c_str(), number(e.ymax - shift.y).c_str());
  std::printf("quantity: %s %s\n", number(e.qmin).c_str(), number(e.qmax).c_str());
  std::printf("shift: %s %s\n", number(points.shift.x).c_str(), number(points.shift.y).c_str());
  std::printf("area centre: %s %s %s\n", number(points.centre.cx).c_str(),
              number(points.centre.cy).c_str(), number(points.centre.cq).c_str());
  std::printf("traced: %d\n", traced);
  return 0;
}

int Main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  const ParsedCommandLine parsed = ParseWithSettings(arguments);
  if (!parsed.options) return UsageError(parsed.error);
  const BatchOptions& options = *parsed.options;
  switch (options.mode) {
    case BatchMode::kHelp:
      std::fputs(kBatchUsage, stdout);
      return 0;
    case BatchMode::kVersion:
      std::puts("zelvo-batch " ZELVO_VERSION);
      return 0;
    default:
      break;
  }
  const char separator = options.decimalSeparator.value_or(LocaleDecimalSeparator());
  if (options.mode == BatchMode::kLoad) return LoadBatch(options);
  return options.mode == BatchMode::kInfo ? PrintInfo(options, separator)
                                          : RunBatch(options, separator);
}

}  // namespace
}  // namespace zelvo

int main(int argc, char** argv) { return zelvo::Main(argc, argv); }
