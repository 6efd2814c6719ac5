#include "app/preview_commands.h"

#include "app/preview_steps.h"
#include "app/run_state.h"
#include "app/window_items.h"
#include "app/window_services.h"
#include "export/pane_file.h"

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
  return window.LowerCase(window.Text(variableBox)) + RunNameSuffix(window) + std::string(extension);
}

std::string MapTitle(const WindowServices& window, std::string_view variable,
                     std::string_view inputName) {
  return std::string(variable) + "   R = " + window.Text(Control::txt_radius) + ", iterations " +
         window.Text(Control::txt_iter) + ", object " + window.Text(Control::cb_iter) + "   " +
         std::string(inputName);
}

std::string RunNameSuffix(const WindowServices& window) {
  return "_r=" + window.Text(Control::txt_radius) + "_iter=" + window.Text(Control::txt_iter) +
         "_object=" + window.LowerCase(window.Text(Control::cb_iter));
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
  if (SavePreviewFile(choice->fileName, PaneFormat(choice->filterIndex), pane, reason) != 0) {
    window.ShowMessage("Cannot write preview image " + choice->fileName + ": " + reason);
  }
}

}  // namespace zelvo
