#pragma once

#include "app/control.h"

namespace zelvo {

struct RunState;
class WindowServices;

// cb1Change, cb2Change, cb3Change: regrid the pane's variable from the
// results in memory, when previews are on and the results are valid.
void VariableBoxChange(RunState& state, WindowServices& window, Control variableBox);

// btn_save1Click .. btn_save3Click: offer the default name and write the
// pane as a bitmap (filter 1) or a JPEG (any other filter).
void SavePaneClick(RunState& state, WindowServices& window, Control variableBox);

// The pane under a variable box.
Control PaneOf(Control variableBox);

}  // namespace zelvo
