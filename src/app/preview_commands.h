#pragma once

#include <string>
#include <string_view>

#include "app/control.h"

namespace zelvo {

struct RunState;
class WindowServices;

// cb1Change, cb2Change, cb3Change: regrid the pane's variable from the
// results in memory, when previews are on and the results are valid.
void VariableBoxChange(RunState& state, WindowServices& window, Control variableBox);

// btn_save1Click .. btn_save3Click: offer the default name and write the
// pane as a bitmap (filter 1), a PNG (filter 3) or a JPEG (any other filter).
void SavePaneClick(RunState& state, WindowServices& window, Control variableBox);

// The name offered for saving a pane: the variable box's text in lower case,
// then "_r=" and the search radius field, "_iter=" and the iterations field,
// "_object=" and the iteration object in lower case, read from the window as
// they stand now; then the extension (".bmp", or ".jpg" for JPEG names).
std::string DefaultPreviewFileName(const WindowServices& window, Control variableBox,
                                   std::string_view extension = ".bmp");

// What every file name of a run's pictures and exports carries after the
// variable: "_r=" and the search radius field, "_iter=" and the iterations
// field, "_object=" and the iteration object in lower case.
std::string RunNameSuffix(const WindowServices& window);

// The title of a report map: the variable, then the search radius, the
// iterations and the object as the window's fields hold them, then the
// input file's name.
std::string MapTitle(const WindowServices& window, std::string_view variable,
                     std::string_view inputName);

// The pane under a variable box.
Control PaneOf(Control variableBox);

}  // namespace zelvo
