#include "app/calc_command.h"

#include <optional>
#include <vector>

#include "base/file_names.h"
#include "base/number_text.h"
#include "app/run_driver.h"
#include "app/run_parameter_table.h"
#include "app/run_state.h"
#include "app/window_services.h"

namespace zelvo {
namespace {

bool Refuse(WindowServices& window, const char* message, Control focus) {
  window.ShowMessage(message);
  window.SetFocus(focus);
  return false;
}

// A file name the run cannot go without is refused when empty.
bool FileNameGiven(WindowServices& window, const std::string& name, Control field) {
  const RunParameter& parameter = ParameterOf(field);
  if (!parameter.required || !name.empty()) return true;
  return Refuse(window, parameter.refusal, field);
}

// The number in a field when its parameter takes it; otherwise says why not.
std::optional<double> FieldNumber(WindowServices& window, Control field) {
  const RunParameter& parameter = ParameterOf(field);
  const std::string text = window.Text(field);
  const std::optional<double> number =
      ParameterNumber(parameter, TrimBlanks(text), window.DecimalSeparator());
  if (!number) {
    window.ShowMessage(NotANumberMessage(parameter, text));
    return std::nullopt;
  }
  if (!Allows(parameter, *number)) {
    Refuse(window, parameter.refusal, field);
    return std::nullopt;
  }
  return number;
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
  if (!FileNameGiven(window, params.inputFileName, Control::txt_in)) return false;
  if (!FileNameGiven(window, params.outputFileName, Control::txt_out)) return false;
  if (params.outputFileName == params.inputFileName) {
    return Refuse(window, kSameFileMessage, Control::txt_out);
  }
  params.traceFileName = TraceFileName(params.outputFileName);
  if (WouldOverwriteAnInput(window, params)) {
    return Refuse(window, kSameFileMessage, Control::txt_out);
  }
  const std::optional<double> radius = FieldNumber(window, Control::txt_radius);
  if (!radius) return false;
  params.searchRadius = *radius;
  params.cellSize = *radius * 0.1;
  // The field is checked when it is left, but a settings file or a load can
  // put any count there; outside the range a run would overflow or do nothing.
  const std::optional<double> iterations = FieldNumber(window, Control::txt_iter);
  if (!iterations) return false;
  params.iterations = static_cast<int>(*iterations);
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
