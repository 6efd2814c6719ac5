#include "preview/preview_driver.h"

#include <cstddef>
#include <new>

#include "app/stop_request.h"
#include "app/window_services.h"
#include "preview/grid_nodes.h"
#include "preview/render_shaded.h"
#include "preview/resample.h"

namespace zelvo {
namespace {

// Shows the hourglass for its lifetime, so that every way out restores the
// cursor.
class HourglassCursor {
 public:
  explicit HourglassCursor(WindowServices& window) : window_(window) { window_.ShowHourglass(); }
  ~HourglassCursor() { window_.RestoreCursor(); }
  HourglassCursor(const HourglassCursor&) = delete;
  HourglassCursor& operator=(const HourglassCursor&) = delete;

 private:
  WindowServices& window_;
};

}  // namespace

std::optional<PreviewImage> PreviewVariable(const PreviewSource& source, int variable,
                                            bool& stopRequested, WindowServices& window) {
  if (source.cluster == nullptr || source.results == nullptr) return std::nullopt;
  HourglassCursor hourglass(window);
  const ColumnHook afterColumn = [&]() {
    window.ProcessMessages();
    return CancelConfirmed(stopRequested, window);
  };
  std::optional<PreviewGrid> grid;
  try {
    const std::optional<NodeGrid> nodes =
        GridNodes(*source.cluster, *source.results, variable, source.searchRadius,
                  source.griddingRadius, afterColumn);
    if (!nodes) return std::nullopt;
    grid = ResampleToPreview(*nodes, source.width, source.height, window);
  } catch (const std::bad_alloc&) {
    // The node grid itself (as large as the lattice's own offsets) did not
    // fit: the same predicament as the resampling buffers, told the same way.
    window.ShowMessage(kTemporaryBufferMessage);
    return std::nullopt;
  }
  // After the memory message, or with nothing to show, the pane keeps what
  // it shows.
  if (!grid || !Drawable(*grid)) return std::nullopt;
  return RenderShaded(*grid);
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
