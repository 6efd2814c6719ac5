#pragma once

namespace zelvo {

struct RunState;
class WindowServices;

// One calculation run with the parameters taken at Calc: read the points and
// the subset, lay the lattice, preview, iterate, preview. 0 when the run
// completed; 1 when a step failed or the user cancelled, already reported.
int RunCalculation(RunState& state, WindowServices& window);

// Lays the search lattice over the result rows. 0 when built; 1 when it does
// not fit, reported.
int BuildSearchCluster(RunState& state, WindowServices& window);

}  // namespace zelvo
