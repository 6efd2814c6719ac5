#pragma once

#include <cstdint>

#include "core/search_cluster.h"

namespace zelvo {

inline constexpr int kMostLanes = 8;

// A neighbour as a sweep reads it: its x, y and quantity, and the row of the
// lattice cell it lies in.
struct LatticePoint {
  double x, y, q;
  std::int64_t row;
};

// The neighbours at the positions first, first + 1, ... of
// SearchCluster::LatticeOrder, in that order.
struct LatticeStream {
  const LatticePoint* points = nullptr;
  std::int64_t first = 0;
};

// What one sweep over a shared window needs of each of its lanes.
struct LaneGroup {
  int lanes = 0;  // 2, 4 or 8; unused lanes have empty windows
  double x0[kMostLanes] = {}, y0[kMostLanes] = {};
  double offX[kMostLanes] = {}, offY[kMostLanes] = {}, offQ[kMostLanes] = {};
  CellRange window[kMostLanes] = {};
  bool leaveOutNear = false;
  // Every lane's offX and offY are its x0 and y0, and its offQ is +0.0.
  bool centredOnPoint = false;
  double radiusBelow = 0, radiusAbove = 0;  // the clear bounds of DistanceLimit
  double nearBelow = 0, nearAbove = 0;
};

// Each lane's sums in the order of NormalSums, and whether some distance of
// its window (or, rarely, of the other lanes' windows) was too close to call
// by its square. Where NormalSums::Solve would eliminate without exception
// (three neighbours or more, no zero pivot) and no NaN comes out, the lane is
// solved as it would be: its plane holds what PlaneFit::r would. A sweep
// writes its own lanes only: left uninitialised, as zeroing it would cost as
// much as a short sweep.
struct LaneSums {
  double sum[9][kMostLanes];
  bool unclear[kMostLanes];
  double plane[3][kMostLanes];
  bool solved[kMostLanes];
};

// The sweeps and solves themselves, one per width and instruction set; the
// AVX2 one may be called only where the processor has it. (GCC 12 turns the
// 8-lane masks into scalar compares even under AVX-512, so 4 lanes of AVX2
// are the fastest.)
void SweepLanesPlain2(const SearchCluster& cluster, const LatticeStream& stream,
                      const LaneGroup& group, LaneSums& sums);
void SweepLanesPlain4(const SearchCluster& cluster, const LatticeStream& stream,
                      const LaneGroup& group, LaneSums& sums);
void SweepLanesPlain8(const SearchCluster& cluster, const LatticeStream& stream,
                      const LaneGroup& group, LaneSums& sums);
void SweepLanesAvx2(const SearchCluster& cluster, const LatticeStream& stream,
                    const LaneGroup& group, LaneSums& sums);

}  // namespace zelvo
