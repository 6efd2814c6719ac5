#pragma once

#include <string>

namespace zelvo {

struct RunState;
class WindowServices;

// The Load button: asks for a result file written by a run, takes its radius,
// iterations and object back into the window, reads its records as the
// results of the run, lays the lattice and previews them when previews are on.
void btn_loadClick(RunState& state, WindowServices& window);

// The load of a named file without the dialog; false when it failed,
// reported. Previews are left to the caller.
bool LoadCalculatedFile(RunState& state, WindowServices& window, const std::string& fileName);

}  // namespace zelvo
