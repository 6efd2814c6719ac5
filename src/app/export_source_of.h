#pragma once

#include "app/run_state.h"
#include "export/export_source.h"

namespace zelvo {

// What the exports read of the last run or load held in the state.
ExportSource ExportSourceOf(const RunState& state);

}  // namespace zelvo
