#include "core/radius_batch.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <utility>
#include <vector>

#include "core/radius_lanes.h"

namespace zelvo {
namespace {

using Sweep = void (*)(const SearchCluster&, const LatticeStream&, const LaneGroup&, LaneSums&);

struct SweepKind {
  Sweep sweep;
  int lanes;
};

SweepKind ChooseSweep(LaneChoice choice) {
  switch (choice) {
    case LaneChoice::kPlainTwo: return {SweepLanesPlain2, 2};
    case LaneChoice::kPlainFour: return {SweepLanesPlain4, 4};
    case LaneChoice::kPlainEight: return {SweepLanesPlain8, 8};
    case LaneChoice::kFastest: break;
  }
  // The processor's features are read at start-up, before any call here.
  if (__builtin_cpu_supports("avx2")) return {SweepLanesAvx2, 4};
  return {SweepLanesPlain2, 2};
}

// The places 0 .. keys.size()-1 ordered by their keys (each below
// `keyCount`), equal keys in place order.
std::vector<std::int32_t> AscendingByKey(const std::vector<std::int64_t>& keys,
                                         std::int64_t keyCount) {
  std::vector<std::int32_t> order(keys.size());
  if (keyCount > 4 * static_cast<std::int64_t>(keys.size()) + 4096) {
    std::vector<std::pair<std::int64_t, std::int32_t>> keyed(keys.size());
    for (std::size_t m = 0; m < keys.size(); ++m) keyed[m] = {keys[m], static_cast<std::int32_t>(m)};
    std::sort(keyed.begin(), keyed.end());
    for (std::size_t m = 0; m < keys.size(); ++m) order[m] = keyed[m].second;
    return order;
  }
  // Counting sort: counts, running starts, placement.
  std::vector<std::int32_t> start(static_cast<std::size_t>(keyCount) + 1, 0);
  for (const std::int64_t key : keys) ++start[static_cast<std::size_t>(key) + 1];
  for (std::size_t t = 1; t < start.size(); ++t) start[t] += start[t - 1];
  for (std::size_t m = 0; m < keys.size(); ++m) {
    order[static_cast<std::size_t>(start[static_cast<std::size_t>(keys[m])]++)] =
        static_cast<std::int32_t>(m);
  }
  return order;
}

void Store(const PlaneFit& fit, int k, const FitColumns& out) {
  out.a[k] = fit.r[0];
  out.b[k] = fit.r[1];
  out.c[k] = fit.r[2];
  out.npoints[k] = fit.npoints;
}

// A point of calculation of the batch: its number, its own values (the
// quantity only where a centring takes it) and its window.
struct Calculation {
  std::int32_t k;
  double x0, y0, q0;
  CellRange window;
};

class RadiusBatch {
 public:
  RadiusBatch(const FitData& data, const FitChoices& choices, const AreaCentre& centre,
              const double* x0, const double* y0, const double* q0, const FitColumns& out,
              LatticeCopy& copy)
      : data_(data), choices_(choices), centre_(centre), x0_(x0), y0_(y0), q0_(q0), out_(out),
        copy_(copy) {
    const DistanceLimit radius(data.searchRadius);
    const DistanceLimit near(kPointOfCalculationDistance);
    group_.leaveOutNear = !choices.pointOfCalculationIn;
    group_.radiusBelow = radius.ClearBelow();
    group_.radiusAbove = radius.ClearAbove();
    group_.nearBelow = near.ClearBelow();
    group_.nearAbove = near.ClearAbove();
  }

  void FitAlone(int k) const {
    PlaneFit fit;
    FitPlaneRadius(data_, choices_, centre_, x0_[k], y0_[k], q0_[k], fit);
    Store(fit, k, out_);
  }

  // Each point of calculation and its window, by its place in the batch: the
  // one read of the point's own values, which lie scattered over the table.
  void LayWindows(const std::int32_t* points, int count) {
    own_.resize(static_cast<std::size_t>(count));
    const bool ownQuantity = choices_.centerQ == kCenterToPoint;
    // The window of each point takes longer than a read from memory, so few
    // reads would be under way at once without asking for them ahead.
    constexpr int kAhead = 16;
    for (int m = 0; m < count; ++m) {
      if (m + kAhead < count) {
        __builtin_prefetch(x0_ + points[m + kAhead]);
        __builtin_prefetch(y0_ + points[m + kAhead]);
      }
      const int k = points[m];
      Calculation& point = own_[static_cast<std::size_t>(m)];
      point.k = k;
      point.x0 = x0_[k];
      point.y0 = y0_[k];
      point.q0 = ownQuantity ? q0_[k] : 0.0;
      point.window = data_.cluster->CellWindow(point.x0, point.y0, data_.searchRadius);
    }
  }

  // The neighbours of every window of the batch, from the first column any
  // window reaches to the last: in lattice order one contiguous stretch.
  // False when no window holds a cell.
  bool CopyColumns() {
    const SearchCluster& cluster = *data_.cluster;
    int iLo = cluster.nx, iHi = 0;
    for (const Calculation& point : own_) {
      const CellRange& w = point.window;
      if (w.iLo >= w.iHi || w.jLo >= w.jHi) continue;
      iLo = std::min(iLo, w.iLo);
      iHi = std::max(iHi, w.iHi);
    }
    if (iLo >= iHi) return false;
    const std::int32_t* order = cluster.LatticeOrder();
    stream_ = copy_.Cover(data_, cluster.ColumnRunBegin(iLo, 0) - order,
                          cluster.ColumnRunEnd(iHi - 1, cluster.ny) - order);
    return true;
  }

  // The points and their windows ordered by square tiles of the lattice,
  // tile columns ascending, then tile rows: points that follow each other
  // then lie close together on both axes, and their windows nearly coincide.
  // A tile holds about as many points as one sweep has lanes; its side is a
  // power of two, so that a cell's tile takes a shift and not a division.
  void InTiles(int lanes) {
    const SearchCluster& cluster = *data_.cluster;
    const double cellsPerPoint =
        static_cast<double>(cluster.nx) * cluster.ny / std::max(cluster.LatticeOrderSize(), 1);
    const int shift =
        std::clamp(static_cast<int>(std::lround(std::log2(std::sqrt(lanes * cellsPerPoint)))), 0, 6);
    // Only the tile columns the batch reaches are counted.
    int iLo = cluster.nx, iHi = 0;
    for (const Calculation& point : own_) {
      iLo = std::min(iLo, point.window.iLo);
      iHi = std::max(iHi, point.window.iLo + 1);
    }
    const std::int64_t tileRows = (cluster.ny >> shift) + 1;
    const std::int64_t tiles = std::max(0, ((iHi - 1) >> shift) - (iLo >> shift) + 1) * tileRows;
    std::vector<std::int64_t> tileOfPoint(own_.size());
    for (std::size_t m = 0; m < own_.size(); ++m) {
      const CellRange& w = own_[m].window;
      tileOfPoint[m] = static_cast<std::int64_t>((w.iLo >> shift) - (iLo >> shift)) * tileRows +
                       (w.jLo >> shift);
    }
    const std::vector<std::int32_t> order = AscendingByKey(tileOfPoint, tiles);
    tiled_.resize(order.size());
    for (std::size_t m = 0; m < order.size(); ++m) tiled_[m] = own_[static_cast<std::size_t>(order[m])];
  }

  // The lanes' windows may together cover much more than each alone (points
  // far apart in the list); such a group is fitted point by point.
  bool SharesWindows(const LaneGroup& group) const {
    std::int64_t largest = 0;
    CellRange all{data_.cluster->nx, 0, data_.cluster->ny, 0};
    for (int l = 0; l < group.lanes; ++l) {
      const CellRange& w = group.window[l];
      if (w.iLo >= w.iHi || w.jLo >= w.jHi) continue;
      largest = std::max(largest, std::int64_t{w.iHi - w.iLo} * (w.jHi - w.jLo));
      all = CellRange{std::min(all.iLo, w.iLo), std::max(all.iHi, w.iHi),
                      std::min(all.jLo, w.jLo), std::max(all.jHi, w.jHi)};
    }
    const std::int64_t covered = std::int64_t{all.iHi - all.iLo} * (all.jHi - all.jLo);
    return covered <= 3 * largest + 64;
  }

  static bool CentredOnPoint(const LaneGroup& group, int used) {
    for (int l = 0; l < used; ++l) {
      if (std::bit_cast<std::uint64_t>(group.offX[l]) != std::bit_cast<std::uint64_t>(group.x0[l]) ||
          std::bit_cast<std::uint64_t>(group.offY[l]) != std::bit_cast<std::uint64_t>(group.y0[l]) ||
          std::bit_cast<std::uint64_t>(group.offQ[l]) != 0) {
        return false;
      }
    }
    return true;
  }

  // The tiled points first .. first+used-1 as one group of lanes.
  void FitGroup(const SweepKind& kind, int first, int used) {
    const Calculation* points = tiled_.data() + first;
    // Reused rather than copied afresh: the copy cost as much as a short sweep.
    LaneGroup& group = group_;
    group.lanes = kind.lanes;
    for (int l = used; l < kind.lanes; ++l) group.window[l] = CellRange{};
    for (int l = 0; l < used; ++l) {
      const Calculation& point = points[l];
      // The answers go to rows scattered over the table: fetched while the
      // sweep runs, their writes do not wait.
      for (double* column : {out_.a, out_.b, out_.c, out_.npoints}) {
        __builtin_prefetch(column + point.k, 1);
      }
      group.x0[l] = point.x0;
      group.y0[l] = point.y0;
      group.offX[l] = CentreOffset(choices_.centerX, centre_.cx, point.x0);
      group.offY[l] = CentreOffset(choices_.centerY, centre_.cy, point.y0);
      group.offQ[l] = CentreOffset(choices_.centerQ, centre_.cq, point.q0);
      group.window[l] = point.window;
    }
    group.centredOnPoint = CentredOnPoint(group, used);
    if (!SharesWindows(group)) {
      for (int l = 0; l < used; ++l) FitAlone(points[l].k);
      return;
    }
    LaneSums sums;
    kind.sweep(*data_.cluster, stream_, group, sums);
    for (int l = 0; l < used; ++l) {
      const int k = points[l].k;
      if (sums.unclear[l]) {
        FitAlone(k);
        continue;
      }
      if (sums.solved[l]) {
        out_.a[k] = sums.plane[0][l];
        out_.b[k] = sums.plane[1][l];
        out_.c[k] = sums.plane[2][l];
        out_.npoints[k] = sums.sum[5][l];
        continue;
      }
      const NormalSums lane{sums.sum[0][l], sums.sum[1][l], sums.sum[2][l],
                            sums.sum[3][l], sums.sum[4][l], sums.sum[5][l],
                            sums.sum[6][l], sums.sum[7][l], sums.sum[8][l]};
      PlaneFit fit;
      lane.Solve(fit);
      Store(fit, k, out_);
    }
  }

 private:
  const FitData& data_;
  const FitChoices& choices_;
  const AreaCentre& centre_;
  const double* x0_;
  const double* y0_;
  const double* q0_;
  const FitColumns& out_;
  LaneGroup group_;  // the lanes' common bounds, and the lanes of the group at hand
  LatticeCopy& copy_;
  LatticeStream stream_;
  std::vector<Calculation> own_;  // by place in the batch
  std::vector<Calculation> tiled_;
};

}  // namespace

void FitRadiusBatch(const FitData& data, const FitChoices& choices, const AreaCentre& centre,
                    const double* x0, const double* y0, const double* q0,
                    const std::int32_t* points, int count, const FitColumns& out,
                    LaneChoice lanes, LatticeCopy* copy) {
  LatticeCopy own;
  RadiusBatch batch(data, choices, centre, x0, y0, q0, out, copy != nullptr ? *copy : own);
  const SweepKind kind = ChooseSweep(lanes);
  // A few points do not repay copying the columns their windows reach.
  if (count < 2 * kind.lanes) {
    for (int m = 0; m < count; ++m) batch.FitAlone(points[m]);
    return;
  }
  batch.LayWindows(points, count);
  // The tiling's counts are freed before the copy is made: the two together
  // would raise the peak of a run.
  batch.InTiles(kind.lanes);
  if (!batch.CopyColumns()) {
    for (int m = 0; m < count; ++m) batch.FitAlone(points[m]);
    return;
  }
  for (int m = 0; m < count; m += kind.lanes) batch.FitGroup(kind, m, std::min(kind.lanes, count - m));
}

}  // namespace zelvo
