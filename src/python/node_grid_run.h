#pragma once

#include "preview/grid_nodes.h"
#include "python/gradient_run.h"

namespace zelvo {

// The gridding radius the previews use: one not above 0.000001 means the
// search radius, as the window's field does.
double EffectiveGriddingRadius(double searchRadius, double griddingRadius);

// The node grid of the quantity column of run (points and lattice laid), as
// the previews and exports make it. 0 with the grid made; 1 when the hook
// stopped it.
int GridRunQuantity(const GradientRun& run, double searchRadius, double griddingRadius,
                    NodeGrid& grid, const ColumnHook& columnDone);

// Where node column i and node row j lie in the caller's coordinates.
double NodeEasting(const GradientRun& run, int i);
double NodeNorthing(const GradientRun& run, int j);

}  // namespace zelvo
