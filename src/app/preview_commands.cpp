#include "app/preview_commands.h"

#include "app/preview_steps.h"
#include "app/run_state.h"
#include "app/window_items.h"
#include "app/window_services.h"
#include "preview/preview_files.h"

namespace zelvo {
namespace {

// The previews work on the tables of the last run or load; while a run or
// another preview is under way they must not start.
bool PreviewsAvailable(const RunState& state, const WindowServices& window) {
  return !state.busy && state.resultsValid && window.Checked(Control::cb_preview);
}

}  // namespace

Control PaneOf(Control variableBox) {
  if (variableBox == Control::cb2) return Control::img_regta;
  if (variableBox == Control::cb3) return Control::img_delta;
  return Control::img_uba;
}

std::string DefaultPreviewFileName(const WindowServices& window, Control variableBox,
                                   std::string_view extension) {
  std::string name = window.LowerCase(window.Text(variableBox));
  name += "_r=";
  name += window.Text(Control::txt_radius);
  name += "_iter=";
  name += window.Text(Control::txt_iter);
  name += "_object=";
  name += window.LowerCase(window.Text(Control::cb_iter));
  name += extension;
  return name;
}

void VariableBoxChange(RunState& state, WindowServices& window, Control variableBox) {
  if (!PreviewsAvailable(state, window)) return;
  const int variable = variableBox == Control::cb1 ? kColQuantity : PaneVariable(window, variableBox);
  PreviewIntoPane(state, window, variable, PaneOf(variableBox));
}

void SavePaneClick(RunState& state, WindowServices& window, Control variableBox) {
  if (!PreviewsAvailable(state, window)) return;
  const FileDialogRequest request{kSavePaneFilter, "bmp", DefaultPreviewFileName(window, variableBox), 1};
  const std::optional<FileDialogChoice> choice = window.SaveFileDialog(request);
  if (!choice) return;
  const PaneBitmap pane = window.CopyPane(PaneOf(variableBox));
  std::string reason;
  const int status = choice->filterIndex == 1 ? SavePreviewBitmap(choice->fileName, pane, reason)
                                              : SavePreviewJpeg(choice->fileName, pane, reason);
  if (status != 0) window.ShowMessage("Cannot write preview image " + choice->fileName + ": " + reason);
}

}  // namespace zelvo
