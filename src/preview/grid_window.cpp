#include "preview/grid_window.h"

#include <cmath>

#include "preview/grid_node_offset.h"

namespace zelvo {

int WindowHalfWidth(const SearchCluster& cluster, double R, double G) {
  if (!(G >= 1e-6)) G = R;
  const double w = std::ceil(G / cluster.s);
  const int limit = std::max(cluster.nx, cluster.ny);
  if (!(w > 0.0)) return 0;
  if (w >= static_cast<double>(limit)) return limit;
  return static_cast<int>(w);
}

// Rows beyond a column's reach can be passed over since every point in them
// would be skipped anyway. A point of cell (k, l) lies at least
// (|i - k| - 1/2) s across and (|j - l| - 1/2) s along from node (i, j), less
// the rounding of its cell assignment and of the node position; the bounds
// give up a further hundredth of a cell for that and twice the node offset
// for dx and dy, and are used only when the coordinates are small enough
// against s and the offset for those margins to be far larger than any
// rounding.
std::vector<int> RowReaches(const SearchCluster& cluster, int w, double R) {
  std::vector<int> reach(static_cast<std::size_t>(w) + 1, w);
  const double s = cluster.s;
  const double squared = R * R;
  const double extent = std::max(std::fabs(cluster.xmin), std::fabs(cluster.ymin)) +
                        (static_cast<double>(std::max(cluster.nx, cluster.ny)) + 2.0) * s;
  const double rounding = extent * 0x1p-40;
  if (!(R > 0.0) || !std::isfinite(squared) || !(rounding < 0.0005) || !(rounding < 0.001 * s)) {
    return reach;
  }
  constexpr double kCellShare = 0.51;  // half a cell and the rounding margin
  const double slack = 2.0 * kNodeOffset;
  const double limit = squared * (1.0 + 1e-6);
  for (int di = 0; di <= w; ++di) {
    const double dxLow = std::max(0.0, (di - kCellShare) * s - slack);
    const double rest = limit - dxLow * dxLow;
    if (rest < 0.0) {
      reach[di] = -1;
      continue;
    }
    const double rows = std::ceil((std::sqrt(rest) + slack) / s + kCellShare);
    reach[di] = rows < w ? static_cast<int>(rows) : w;
  }
  return reach;
}

}  // namespace zelvo
