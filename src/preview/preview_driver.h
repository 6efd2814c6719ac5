#pragma once

#include <cstdint>

#include "io/result_table.h"
#include "core/search_cluster.h"
#include "preview/preview_image.h"

namespace zelvo {

class RunObserver;

// What a preview grids from: the lattice and the rows of the last run or load.
struct PreviewSource {
  const SearchCluster* cluster = nullptr;
  const ResultTable* results = nullptr;
  double searchRadius = 0.0;    // R: the distance limit of the gridding
  double griddingRadius = 0.0;  // G: the size of its cell window
  int width = 0;                // W and H of a pane
  int height = 0;
  int threads = 1;              // the gridding's node columns are split over this many
  std::uint64_t memoryBudget = DefaultLatticeBudget();  // for the node grid
};

// Grids, resamples and renders one variable (2 quantity .. 7 rq) under the
// hourglass, processing the window's messages after every node column and
// asking "Cancel calculation?" while stopRequested is set. 0 with the picture,
// which is empty when there is nothing to show; 1 when the user cancelled
// (stopRequested stays set), or the node grid or the temporary buffers could
// not be had (reported).
int PreviewVariable(const PreviewSource& source, int variable, bool& stopRequested,
                    RunObserver& observer, PreviewImage& image);

}  // namespace zelvo
