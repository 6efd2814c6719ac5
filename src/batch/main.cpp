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
#include "base/task_crew.h"
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
#include "batch/standard_streams.h"
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

// Every error of the line, so that one try can mend them all.
int UsageError(const std::vector<std::string>& errors) {
  for (const std::string& what : errors) std::fprintf(stderr, "zelvo-batch: %s\n", what.c_str());
  std::fputs("Try 'zelvo-batch --help' for more information.\n", stderr);
  return kExitUsage;
}

int RunFailure(const std::string& what) {
  std::fprintf(stderr, "zelvo-batch: %s\n", what.c_str());
  return kExitFailure;
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

// Each text typed for the chosen parameters that the window would refuse.
template <typename Chosen>
void AddRefusals(const BatchOptions& options, Chosen chosen, std::vector<std::string>& errors) {
  for (const TypedField& typed : TypedFields(options)) {
    const RunParameter& parameter = ParameterOf(typed.field);
    if (!typed.text || !chosen(parameter)) continue;
    std::string problem = TextProblem(parameter, *typed.text, '.');
    if (!problem.empty()) errors.push_back(std::move(problem));
  }
}

PointColumns Columns(const BatchOptions& options) {
  const std::vector<int> letters = *ParseColumnLetters(options.columns);
  return PointColumns{letters[0], letters[1], letters[2], letters[3]};
}

// The file names' checks of Calc; "-" names a stream, which no file can be.
void AddFileNameRefusals(const BatchOptions& options, std::vector<std::string>& errors) {
  AddRefusals(options, [](const RunParameter& p) { return p.kind == ParameterKind::kFileName; },
              errors);
  const std::string& input = options.inputFileName;
  const std::string& output = options.outputFileName;
  if (!IsStandardStream(input) && !IsStandardStream(output) &&
      (output == input || SameExistingFile(output, input))) {
    errors.emplace_back(kSameFileMessage);
  }
  if (IsStandardStream(output) && !options.subsetFileName.empty()) {
    errors.push_back(ParameterOption(Control::txt_log) +
                     " needs an OUTPUT file name to name the trace file after, not -");
  }
}

// The checks that the window makes at Calc or during the run, in its order,
// made before any file is opened.
void AddRunRefusals(const BatchOptions& options, bool fileNamesRead,
                    std::vector<std::string>& errors) {
  const auto isNumberTakenAtCalc = [](const RunParameter& p) {
    return p.kind != ParameterKind::kFileName && !p.readAtEveryPoint;
  };
  const auto isReadAtEveryPoint = [](const RunParameter& p) { return p.readAtEveryPoint; };
  if (fileNamesRead) AddFileNameRefusals(options, errors);
  // A settings file that was read always gives the radius; one that could not
  // be read may hold it.
  if (!options.radius && options.settingsFileName.empty()) {
    errors.push_back(ParameterOption(Control::txt_radius) + " is required");
  }
  AddRefusals(options, isNumberTakenAtCalc, errors);
  if (!options.previewDir.empty() && !IsFolder(options.previewDir)) {
    errors.push_back("--preview: no folder " + options.previewDir);
  }
  AddRefusals(options, isReadAtEveryPoint, errors);
}

// What the mode's checks refuse, after what the parse refused.
void AddModeRefusals(ParsedCommandLine& parsed) {
  const BatchOptions& options = parsed.options;
  if (options.mode == BatchMode::kRun) AddRunRefusals(options, parsed.fileNamesRead, parsed.errors);
  if (options.mode != BatchMode::kRun && options.mode != BatchMode::kLoad) return;
  if (std::string problem = CheckExportOptions(options); !problem.empty()) {
    parsed.errors.push_back(std::move(problem));
  }
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
  const std::string path = parsed.options.settingsFileName;
  if (path.empty()) return parsed;
  const auto refuse = [&parsed](std::string what) {
    parsed.errors.push_back(std::move(what));
    parsed.fileNamesRead = false;
    return parsed;
  };
  SettingsBlock block;
  if (ReadSettingsFile(path, block) != SettingsRead::kRead) {
    return refuse("cannot read the settings file " + path);
  }
  WarnOfSettingsSize(path);
  BatchOptions fromFile;
  const std::string problem = OptionsFromSettings(DecodeSettings(block), fromFile);
  if (!problem.empty()) return refuse(path + ": " + problem);
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

int WritePreviews(const BatchOptions& options, const RunState& state,
                  const WindowServices& window) {
  if (options.previewDir.empty()) return 0;
  if (state.previewFailed) return 1;
  const std::string failure = WritePreviewPanes(window, options.previewDir, options.imageFormat);
  if (failure.empty()) return 0;
  std::fprintf(stderr, "zelvo-batch: %s\n", failure.c_str());
  return kExitFailure;
}

int Interrupted() {
  std::fprintf(stderr, "zelvo-batch: interrupted\n");
  return 128 + gInterrupted;
}

// "-" for a file that is read: the name of the kept copy of standard input.
// Empty when done or not asked for, else why not.
std::string TakeStandardInput(std::string& fileName) {
  if (!IsStandardStream(fileName)) return {};
  std::string problem = KeepStandardInput();
  if (problem.empty()) fileName = kStandardInputName;
  return problem;
}

int LoadBatch(BatchOptions options) {
  if (const std::string problem = TakeStandardInput(options.loadFileName); !problem.empty()) {
    return RunFailure(problem);
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
  if (WritePreviews(options, state, window) != 0) return kExitFailure;
  return WriteExports(options, state, window) == 0 ? 0 : kExitFailure;
}

void PrintSummary(const RunState& state, const TerminalWindow& window, double seconds) {
  std::fprintf(stderr, "zelvo-batch: %d points, %d passes, %d passed over, %.2f s\n",
               state.points.table.Size(), state.params.iterations + 1, window.PassedOverPoints(),
               seconds);
}

// The run of Calc and what follows it, with the streams in place of files.
int RunWithFiles(const BatchOptions& options, char separator, StandardOutputStandIn& standIn) {
  const bool showProgress = !options.quiet && isatty(STDERR_FILENO);
  TerminalWindow window(separator, options.stopOnSingular, showProgress, &gInterrupted);
  FillWindow(options, separator, window);
  RunState state;
  const FixedChoices choices = ChoicesOf(options);
  state.choices = &choices;
  state.threads = options.threads > 0 ? options.threads : MachineThreads();
  PrepareWindow(options, state, window);
  const auto started = std::chrono::steady_clock::now();
  const CalcOutcome outcome = btn_calcClick(state, window);
  if (outcome == CalcOutcome::kCompleted) {
    window.CompleteProgress();
  } else {
    window.FinishProgress();
  }
  if (window.WasInterrupted()) return Interrupted();
  if (outcome != CalcOutcome::kCompleted) return kExitFailure;
  if (standIn.Waiting()) {
    if (const std::string problem = standIn.Deliver(); !problem.empty()) return RunFailure(problem);
  }
  // Preview names carry the radius as typed, not as the file's separator has it.
  window.SetText(Control::txt_radius, *options.radius);
  if (WritePreviews(options, state, window) != 0) return kExitFailure;
  // The result file is complete and closed before any export starts.
  if (WriteExports(options, state, window) != 0) return kExitFailure;
  if (!options.quiet) {
    PrintSummary(state, window,
                 std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
  }
  return 0;
}

int RunBatch(BatchOptions options, char separator) {
  if (const std::string problem = TakeStandardInput(options.inputFileName); !problem.empty()) {
    return RunFailure(problem);
  }
  StandardOutputStandIn standIn;
  if (IsStandardStream(options.outputFileName)) {
    if (const std::string problem = standIn.Create(); !problem.empty()) return RunFailure(problem);
    options.outputFileName = standIn.FileName();
  }
  return RunWithFiles(options, separator, standIn);
}

int PrintInfo(BatchOptions options, char separator) {
  if (const std::string problem = TakeStandardInput(options.inputFileName); !problem.empty()) {
    return RunFailure(problem);
  }
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
  ParsedCommandLine parsed = ParseWithSettings(arguments);
  AddModeRefusals(parsed);
  if (!parsed.errors.empty()) return UsageError(parsed.errors);
  const BatchOptions& options = parsed.options;
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
