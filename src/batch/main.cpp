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
#include "app/run_parameter_table.h"
#include "base/number_text.h"
#include "app/run_state.h"
#include "app/settings_file.h"
#include "batch/batch_options.h"
#include "batch/batch_exports.h"
#include "batch/batch_previews.h"
#include "batch/terminal_window.h"
#include "core/live_choices.h"
#include "io/point_reader.h"
#include "io/trace_subset_reader.h"

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
  std::fprintf(stderr, "zelvo-batch: %s\n%s", what.c_str(), BatchUsage().c_str());
  return kExitUsage;
}

char LocaleDecimalSeparator() {
  const char* previous = std::setlocale(LC_NUMERIC, "");
  const char separator = previous != nullptr ? std::localeconv()->decimal_point[0] : '.';
  std::setlocale(LC_NUMERIC, "C");
  return separator == ',' ? ',' : '.';
}

// A run parameter's text as typed on the command line, as the window's field
// would hold it: numbers always carry "." there, the field the file's separator.
std::string FieldText(const RunParameter& parameter, const std::string& typed, char separator) {
  if (parameter.kind != ParameterKind::kNumber) return typed;
  std::string text = typed;
  for (char& c : text) {
    if (c == '.') c = separator;
  }
  return text;
}

// A run parameter's field and what the command line gives it; unset: nothing,
// the window's own text stays.
struct TypedField {
  Control field;
  std::optional<std::string> text;
};

// In the order of the run parameter table, which is the order Calc checks in.
std::vector<TypedField> TypedFields(const BatchOptions& options) {
  return {{Control::txt_in, options.inputFileName},   {Control::txt_out, options.outputFileName},
          {Control::txt_log, options.subsetFileName}, {Control::txt_radius, options.radius},
          {Control::txt_iter, options.iterations},    {Control::txt_nearest, options.griddingRadius},
          {Control::txt_n, options.nearest}};
}

// The first text typed for the chosen parameters that the window would
// refuse; empty when there is none.
template <typename Chosen>
std::string FirstRefusal(const BatchOptions& options, Chosen chosen) {
  for (const TypedField& typed : TypedFields(options)) {
    const RunParameter& parameter = ParameterOf(typed.field);
    if (!typed.text || !chosen(parameter)) continue;
    std::string problem = TextProblem(parameter, *typed.text, '.');
    if (!problem.empty()) return problem;
  }
  return {};
}

PointColumns Columns(const BatchOptions& options) {
  const std::vector<int> letters = *ParseColumnLetters(options.columns);
  return PointColumns{letters[0], letters[1], letters[2], letters[3]};
}

// The checks that the window makes at Calc or during the run, in its order,
// made before any file is opened.
std::string CheckRunOptions(const BatchOptions& options) {
  const auto isFileName = [](const RunParameter& p) { return p.kind == ParameterKind::kFileName; };
  const auto isNumberTakenAtCalc = [](const RunParameter& p) {
    return p.kind != ParameterKind::kFileName && !p.readAtEveryPoint;
  };
  const auto isReadAtEveryPoint = [](const RunParameter& p) { return p.readAtEveryPoint; };
  if (std::string problem = FirstRefusal(options, isFileName); !problem.empty()) return problem;
  if (options.outputFileName == options.inputFileName ||
      SameExistingFile(options.outputFileName, options.inputFileName)) {
    return kSameFileMessage;
  }
  if (!options.radius) return ParameterOption(Control::txt_radius) + " is required";
  if (std::string problem = FirstRefusal(options, isNumberTakenAtCalc); !problem.empty()) return problem;
  if (!options.previewDir.empty() && !IsFolder(options.previewDir)) {
    return "--preview: no folder " + options.previewDir;
  }
  if (std::string problem = FirstRefusal(options, isReadAtEveryPoint); !problem.empty()) return problem;
  return CheckExportOptions(options);
}

void FillWindow(const BatchOptions& options, char separator, HeadlessWindow& window) {
  for (const TypedField& typed : TypedFields(options)) {
    if (!typed.text) continue;
    window.SetText(typed.field, FieldText(ParameterOf(typed.field), *typed.text, separator));
  }
  const PointColumns columns = Columns(options);
  window.SetText(Control::cb_iter, options.object);
  window.SetItemIndex(Control::cmb_gx, columns.x);
  window.SetItemIndex(Control::cmb_gy, columns.y);
  window.SetItemIndex(Control::cmb_point, columns.point);
  window.SetItemIndex(Control::cmb_gz, columns.quantity);
  window.SetItemIndex(Control::rg_nearest, options.nearest ? 1 : 0);
  window.SetItemIndex(Control::cmb_centerx, *ParseCenterMode(options.centerX));
  window.SetItemIndex(Control::cmb_centery, *ParseCenterMode(options.centerY));
  window.SetItemIndex(Control::cmb_centerz, *ParseCenterMode(options.centerQ));
  window.SetChecked(Control::chb_cpin, options.includePoint);
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
  if (const std::string problem = CheckExportOptions(options); !problem.empty()) {
    return UsageError(problem);
  }
  TerminalWindow window('.', false, false, &gInterrupted);
  RunState state;
  PrepareWindow(options, state, window);
  if (!LoadCalculatedFile(state, window, options.loadFileName)) return kExitFailure;
  if (BuildSearchCluster(state, window) != 0) return kExitFailure;
  state.resultsValid = true;
  PreviewIntoPane(state, window, kColQuantity, Control::img_uba);
  if (!state.stopRequested) PreviewResultPanes(state, window);
  if (window.WasInterrupted()) return Interrupted();
  if (WritePreviews(options, window) != 0) return kExitFailure;
  return WriteExports(options, state, window) == 0 ? 0 : kExitFailure;
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
  // The result file is complete and closed before any export starts.
  if (WriteExports(options, state, window) != 0) return kExitFailure;
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
      std::fputs(BatchUsage().c_str(), stdout);
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
