#pragma once

#include "app/control.h"
#include "preview/preview_image.h"

namespace zelvo {

struct RunState;
class WindowServices;

// The variable a pane's box selects: 3 + its item index, or 2 (the working
// quantity) when no item is selected.
int PaneVariable(const WindowServices& window, Control variableBox);

// Previews the variable into the pane from the tables held in the run state.
// The pane is left as it was when the user cancels (StopRequested stays set)
// or no picture could be made.
void PreviewIntoPane(RunState& state, WindowServices& window, int variable, Control pane);

// The result panes after a run or a load: pane 2, the window's messages once,
// pane 3. False when the user cancelled.
bool PreviewResultPanes(RunState& state, WindowServices& window);

// Copies the picture into the pane, north up, leaving its outermost ring of
// pixels alone.
void PaintPane(WindowServices& window, Control pane, const PreviewImage& image);

}  // namespace zelvo
