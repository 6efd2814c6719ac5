#pragma once

#include <cstdint>
#include <vector>

#include "core/search_cluster.h"

namespace zelvo {

// A stretch [begin, end) of LatticePoints.
struct PointStretch {
  std::int64_t begin = 0;
  std::int64_t end = 0;
};

// The points' coordinates and one variable copied into the lattice's own
// order, so that the points of a run of cells in one column lie side by side
// and a gridding streams through them instead of gathering them from the
// table by index.
class LatticePoints {
 public:
  // What Fill allocates for the lattice.
  static std::uint64_t BytesFor(const SearchCluster& cluster);

  void Fill(const SearchCluster& cluster, const double* xs, const double* ys, const double* us);

  // The points of cells jLo .. jHi-1 of column k.
  PointStretch Run(int k, int jLo, int jHi) const {
    const std::int32_t* base = columnBase_[static_cast<std::size_t>(k)];
    const std::int64_t start = columnStart_[static_cast<std::size_t>(k)];
    return PointStretch{start + (cluster_->ColumnRunBegin(k, jLo) - base),
                        start + (cluster_->ColumnRunEnd(k, jHi) - base)};
  }

  const double* X() const { return x_.data(); }
  const double* Y() const { return y_.data(); }
  const double* U() const { return u_.data(); }

 private:
  const SearchCluster* cluster_ = nullptr;
  std::vector<const std::int32_t*> columnBase_;  // where each column's run begins in the lattice
  std::vector<std::int64_t> columnStart_;        // where it begins here
  std::vector<double> x_, y_, u_;
};

}  // namespace zelvo
