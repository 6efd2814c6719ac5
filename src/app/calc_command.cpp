#include "app/calc_command.h"

#include <optional>
#include <vector>

#include "base/file_names.h"
#include "base/number_text.h"
#include "app/run_driver.h"
#include "app/run_state.h"
#include "app/window_services.h"

namespace zelvo {
namespace {

bool Refuse(WindowServices& window, const char* message, Control focus) {
  window.ShowMessage(message);
  window.SetFocus(focus);
  return false;
}

std::optional<double> FieldNumber(WindowServices& window, Control field) {
  const std::string text = window.Text(field);
  std::optional<double> value = ParseNumber(TrimBlanks(text), window.DecimalSeparator());
  if (!value) window.ShowMessage(NotValidFloatMessage(text));
  return value;
}

std::optional<int> FieldInteger(WindowServices& window, Control field) {
  const std::string text = window.Text(field);
  std::optional<std::int32_t> value = ParseInteger(TrimBlanks(text));
  if (!value) window.ShowMessage(NotValidIntegerMessage(text));
  return value;
}

// The names differ, yet the result or trace file may be an input under
// another spelling; writing it would destroy the data being read.
bool WouldOverwriteAnInput(const WindowServices& window, const RunParameters& params) {
  const std::string subset = window.Text(Control::txt_log);
  return OverwritesAnInput(params.outputFileName, params.inputFileName, subset) ||
         (!subset.empty() && OverwritesAnInput(params.traceFileName, params.inputFileName, subset));
}

// Steps 1 to 9 of Calc: the checks and the values taken at Calc.
bool TakeParameters(WindowServices& window, RunParameters& params) {
  params.inputFileName = window.Text(Control::txt_in);
  params.outputFileName = window.Text(Control::txt_out);
  if (params.inputFileName.empty()) {
    return Refuse(window, "Input file name is required field.", Control::txt_in);
  }
  if (params.outputFileName.empty()) {
    return Refuse(window, "Output file name is required field.", Control::txt_out);
  }
  if (params.outputFileName == params.inputFileName) {
    return Refuse(window, "Input and output file name must not be the same.", Control::txt_out);
  }
  params.traceFileName = TraceFileName(params.outputFileName);
  if (WouldOverwriteAnInput(window, params)) {
    return Refuse(window, "Input and output file name must not be the same.", Control::txt_out);
  }
  const std::optional<double> radius = FieldNumber(window, Control::txt_radius);
  if (!radius) return false;
  if (!RadiusAllowed(*radius)) {
    return Refuse(window, kRadiusMessage, Control::txt_radius);
  }
  params.searchRadius = *radius;
  params.cellSize = *radius * 0.1;
  const std::optional<int> iterations = FieldInteger(window, Control::txt_iter);
  if (!iterations) return false;
  // The field is checked when it is left, but a settings file or a load can
  // put any count there; outside the range a run would overflow or do nothing.
  if (!IterationsAllowed(*iterations)) {
    return Refuse(window, kIterationsMessage, Control::txt_iter);
  }
  params.iterations = *iterations;
  params.object = window.ItemIndex(Control::cb_iter);
  const std::optional<double> griddingRadius = FieldNumber(window, Control::txt_nearest);
  if (!griddingRadius) return false;
  params.griddingRadius = *griddingRadius < kMinimumRadius ? *radius : *griddingRadius;
  params.columns.point = window.ItemIndex(Control::cmb_point);
  params.columns.x = window.ItemIndex(Control::cmb_gx);
  params.columns.y = window.ItemIndex(Control::cmb_gy);
  params.columns.quantity = window.ItemIndex(Control::cmb_gz);
  return true;
}

void ShowRunningButtons(WindowServices& window, bool running) {
  window.SetEnabled(Control::btn_calc, !running);
  window.SetVisible(Control::btn_exit, !running);
  window.SetVisible(Control::btn_stop, running);
}

}  // namespace

CalcOutcome btn_calcClick(RunState& state, WindowServices& window) {
  if (state.busy) return CalcOutcome::kRefused;
  RunParameters params;
  if (!TakeParameters(window, params)) return CalcOutcome::kRefused;
  state.params = params;
  // Busy before the buttons change: the window may handle queued events then.
  state.busy = true;
  ShowRunningButtons(window, true);
  const int status = RunCalculation(state, window);
  ShowRunningButtons(window, false);
  // A Stop that came in while the buttons went back belongs to no run.
  state.stopRequested = false;
  state.busy = false;
  return status == 0 ? CalcOutcome::kCompleted : CalcOutcome::kFailed;
}

void btn_stopClick(RunState& state) { state.stopRequested = true; }

}  // namespace zelvo
