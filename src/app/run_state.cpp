#include "app/run_state.h"

namespace zelvo {

void RunState::ReleaseTables() {
  cluster.Release();
  results.Release();
  points.table = PointTable{};
  std::vector<double>().swap(loadedPointIds);
}

}  // namespace zelvo
