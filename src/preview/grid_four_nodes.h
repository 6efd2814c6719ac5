#pragma once

#include "preview/grid_column.h"

namespace zelvo {

// Whether this processor runs GridColumnFourNodes (AVX2).
bool HaveFourNodeLanes();

// The nodes of column i four at a time, each vector lane doing the scalar
// loop's operations in its order, over the streamed points; the same sums as
// the plain loop. Only where HaveFourNodeLanes().
void GridColumnFourNodes(const ColumnContext& context, int i);

}  // namespace zelvo
