#include "preview/preview_driver.h"

#include <cstddef>
#include <new>

#include "base/run_observer.h"
#include "preview/grid_nodes.h"
#include "preview/render_shaded.h"
#include "preview/resample.h"

namespace zelvo {
namespace {

// Shows the hourglass for its lifetime, so that every way out restores the
// cursor.
class HourglassCursor {
 public:
  explicit HourglassCursor(RunObserver& observer) : observer_(observer) { observer_.ShowHourglass(); }
  ~HourglassCursor() { observer_.RestoreCursor(); }
  HourglassCursor(const HourglassCursor&) = delete;
  HourglassCursor& operator=(const HourglassCursor&) = delete;

 private:
  RunObserver& observer_;
};

}  // namespace

std::optional<PreviewImage> PreviewVariable(const PreviewSource& source, int variable,
                                            bool& stopRequested, RunObserver& observer) {
  if (source.cluster == nullptr || source.results == nullptr) return std::nullopt;
  HourglassCursor hourglass(observer);
  const ColumnHook afterColumn = [&]() { return StopAfterStep(stopRequested, observer); };
  std::optional<PreviewGrid> grid;
  try {
    const std::optional<NodeGrid> nodes =
        GridNodes(*source.cluster, *source.results, variable, source.searchRadius,
                  source.griddingRadius, afterColumn);
    if (!nodes) return std::nullopt;
    grid = ResampleToPreview(*nodes, source.width, source.height, observer);
  } catch (const std::bad_alloc&) {
    // The node grid itself (as large as the lattice's own offsets) did not
    // fit: the same predicament as the resampling buffers, told the same way.
    observer.ShowMessage(kTemporaryBufferMessage);
    return std::nullopt;
  }
  // After the memory message, or with nothing to show, the pane keeps what
  // it shows.
  if (!grid || !Drawable(*grid)) return std::nullopt;
  return RenderShaded(*grid);
}

}  // namespace zelvo
