#include "app/load_command.h"

#include "app/preview_steps.h"
#include "app/run_driver.h"
#include "app/run_state.h"
#include "app/window_items.h"
#include "app/window_services.h"
#include "io/calculated_file.h"

namespace zelvo {
bool LoadCalculatedFile(RunState& state, WindowServices& window, const std::string& fileName) {
  CalculatedFile file;
  if (ReadCalculatedHeader(fileName, window, file) != 0) return false;
  window.SetText(Control::txt_in, "");
  window.SetText(Control::txt_radius, file.header.radiusText);
  window.SetText(Control::txt_iter, file.header.iterationText);
  window.SetText(Control::cb_iter, file.header.objectText);
  state.params.searchRadius = file.searchRadius;
  state.params.griddingRadius = file.searchRadius;
  state.params.cellSize = file.searchRadius * 0.1;
  state.params.object = window.ItemIndex(Control::cb_iter);
  // From here the earlier results are gone, whatever happens next.
  state.cluster.Release();
  state.resultsValid = false;
  // A loaded file's coordinates are as written: no shift to take back.
  state.points.shift = CoordinateShift{};
  return ReadCalculatedRecords(fileName, window, state.results, state.loadedPointIds,
                               state.points.extent, state.points.centre) == 0;
}

void btn_loadClick(RunState& state, WindowServices& window) {
  if (state.busy) return;
  const std::optional<FileDialogChoice> choice =
      window.OpenFileDialog(FileDialogRequest{kOpenDataFilter, "dat", "", 1});
  if (!choice) return;
  window.SetText(Control::txt_out, choice->fileName);
  state.loadedFileName = choice->fileName;
  if (!LoadCalculatedFile(state, window, state.loadedFileName)) return;
  if (BuildSearchCluster(state, window) != 0) return;
  state.resultsValid = true;
  if (!window.Checked(Control::cb_preview)) return;
  PreviewIntoPane(state, window, kColQuantity, Control::img_uba);
  if (state.stopRequested) return;
  PreviewResultPanes(state, window);
}

}  // namespace zelvo
