#pragma once

#include <string>

namespace zelvo {

struct BatchOptions;
struct RunState;
class WindowServices;

// Why the export options cannot be carried out, checked before any
// computation; empty when they can.
std::string CheckExportOptions(const BatchOptions& options);

// Writes the grids, the points and the report maps the options ask for from
// the tables of the run or load in the state. 0 when all were written; 1
// after the first failure, reported.
int WriteExports(const BatchOptions& options, const RunState& state, WindowServices& window);

}  // namespace zelvo
