#include "app/preview_steps.h"

#include "app/run_state.h"
#include "app/window_services.h"
#include "preview/preview_driver.h"

namespace zelvo {

int PaneVariable(const WindowServices& window, Control variableBox) {
  const int index = window.ItemIndex(variableBox);
  return index < 0 ? kColQuantity : 3 + index;
}

void PreviewIntoPane(RunState& state, WindowServices& window, int variable, Control pane) {
  const PreviewSource source{&state.cluster,
                             &state.results,
                             state.params.searchRadius,
                             state.params.griddingRadius,
                             window.PaneWidth(pane),
                             window.PaneHeight(pane),
                             state.threads};
  const bool wasBusy = state.busy;
  state.busy = true;
  PreviewImage image;
  const int status = PreviewVariable(source, variable, state.stopRequested, window, image);
  state.busy = wasBusy;
  // With nothing to show, or after a failure, the pane keeps what it shows.
  if (status == 0 && !image.colours.empty() && !state.stopRequested) PaintPane(window, pane, image);
  if (status != 0 && !state.stopRequested) state.previewFailed = true;
}

bool PreviewResultPanes(RunState& state, WindowServices& window) {
  PreviewIntoPane(state, window, PaneVariable(window, Control::cb2), Control::img_regta);
  if (state.stopRequested) return false;
  window.ProcessMessages();
  PreviewIntoPane(state, window, PaneVariable(window, Control::cb3), Control::img_delta);
  return !state.stopRequested;
}

void PaintPane(WindowServices& window, Control pane, const PreviewImage& image) {
  const int W = image.width;
  const int H = image.height;
  if (W <= 0 || H <= 0 ||
      image.colours.size() != static_cast<std::size_t>(W) * static_cast<std::size_t>(H)) {
    return;
  }
  for (int x = 1; x <= W - 2; ++x) {
    for (int y = 1; y <= H - 2; ++y) {
      window.SetPanePixel(pane, x, H - 1 - y, image.colours[static_cast<std::size_t>(x) * H + y]);
    }
  }
}

}  // namespace zelvo
