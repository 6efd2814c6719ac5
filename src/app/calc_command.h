#pragma once

namespace zelvo {

struct RunState;
class WindowServices;

enum class CalcOutcome {
  kRefused,    // a check failed (reported) or a run is under way
  kCompleted,  // the run wrote its results
  kFailed,     // the run ended early, reported
};

// The Calc command: checks the file names and the search radius, takes the
// parameters from the window, runs the calculation with the buttons in their
// running state and puts them back.
CalcOutcome btn_calcClick(RunState& state, WindowServices& window);

// The Stop button: only asks the running loops to stop.
void btn_stopClick(RunState& state);

}  // namespace zelvo
