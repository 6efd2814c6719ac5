#include "preview/lattice_points.h"

namespace zelvo {
namespace {

std::uint64_t PointsInLattice(const SearchCluster& cluster) {
  std::uint64_t count = 0;
  for (int k = 0; k < cluster.nx; ++k) {
    count += static_cast<std::uint64_t>(cluster.ColumnRunEnd(k, cluster.ny) - cluster.ColumnRunBegin(k, 0));
  }
  return count;
}

}  // namespace

std::uint64_t LatticePoints::BytesFor(const SearchCluster& cluster) {
  const std::uint64_t perColumn = sizeof(const std::int32_t*) + sizeof(std::int64_t);
  return PointsInLattice(cluster) * 3 * sizeof(double) +
         static_cast<std::uint64_t>(cluster.nx) * perColumn;
}

void LatticePoints::Fill(const SearchCluster& cluster, const double* xs, const double* ys,
                         const double* us) {
  cluster_ = &cluster;
  const std::size_t count = PointsInLattice(cluster);
  const std::size_t columns = static_cast<std::size_t>(cluster.nx);
  columnBase_.assign(columns, nullptr);
  columnStart_.assign(columns, 0);
  x_.resize(count);
  y_.resize(count);
  u_.resize(count);
  std::size_t at = 0;
  for (int k = 0; k < cluster.nx; ++k) {
    const std::int32_t* begin = cluster.ColumnRunBegin(k, 0);
    const std::int32_t* end = cluster.ColumnRunEnd(k, cluster.ny);
    columnBase_[static_cast<std::size_t>(k)] = begin;
    columnStart_[static_cast<std::size_t>(k)] = static_cast<std::int64_t>(at);
    for (const std::int32_t* p = begin; p < end; ++p, ++at) {
      x_[at] = xs[*p];
      y_[at] = ys[*p];
      u_[at] = us[*p];
    }
  }
}

}  // namespace zelvo
