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

int PreviewVariable(const PreviewSource& source, int variable, bool& stopRequested,
                    RunObserver& observer, PreviewImage& image) {
  image = PreviewImage{};
  if (source.cluster == nullptr || source.results == nullptr) return 0;
  HourglassCursor hourglass(observer);
  const ColumnHook afterColumn = [&]() { return StopAfterStep(stopRequested, observer); };
  GriddingJob job;
  job.cluster = source.cluster;
  job.results = source.results;
  job.variable = variable;
  job.searchRadius = source.searchRadius;
  job.griddingRadius = source.griddingRadius;
  job.threads = source.threads;
  job.memoryBudget = source.memoryBudget;
  // The pane shows a few hundred of the grid's nodes at most: only those are
  // estimated, which draws the same pixels in a fraction of the time.
  const SearchCluster& cluster = *source.cluster;
  const NodeSelection shown =
      PaneNodes(cluster.nx, cluster.ny, cluster.s, source.width, source.height);
  job.only = &shown;
  PreviewGrid grid;
  try {
    NodeGrid nodes;
    const int gridded = GridNodes(job, nodes, afterColumn);
    if (gridded == kGridTooLarge) {
      // As many nodes as the lattice has cells, which may be far more than
      // the points it holds.
      observer.ShowMessage(kClusterMemoryMessage);
      return 1;
    }
    if (gridded != kGridMade) return 1;
    if (ResampleToPreview(nodes, source.width, source.height, observer, grid) != 0) return 1;
  } catch (const std::bad_alloc&) {
    observer.ShowMessage(kTemporaryBufferMessage);
    return 1;
  }
  if (Drawable(grid)) image = RenderShaded(grid);
  return 0;
}

}  // namespace zelvo
