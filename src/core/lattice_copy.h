#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "core/plane_fit.h"
#include "core/radius_lanes.h"

namespace zelvo {

// The points at a stretch of positions of the lattice order, as sweeps
// stream them. A stretch that begins within the one held and goes on from it
// is gathered only beyond it, as reads in point order cost far more than
// moving what is held; any other is gathered whole. What is held stays valid while x, y and the quantity
// stay as they are.
class LatticeCopy {
 public:
  // Holds positions first .. last-1 of data.cluster's lattice order.
  LatticeStream Cover(const FitData& data, std::int64_t first, std::int64_t last);
  // How many positions of first .. last-1 are held.
  std::int64_t Overlap(std::int64_t first, std::int64_t last) const;

 private:
  std::vector<LatticePoint> held_;
  std::int64_t first_ = 0, last_ = 0;
};

// Copies shared by the threads of one sweep, each in use by one at a time:
// a batch takes the free copy that holds the most of its stretch.
class LatticeCopies {
 public:
  LatticeCopy& Take(std::int64_t first, std::int64_t last);
  void Give(const LatticeCopy& copy);

 private:
  std::mutex mutex_;
  std::vector<std::unique_ptr<LatticeCopy>> free_, taken_;
};

}  // namespace zelvo
