#pragma once

#include <cmath>

namespace zelvo {

// Relative band around limit * limit in which a squared distance, with its
// own rounding, is too close to call; there hypot itself decides.
inline constexpr double kDistanceCloseCall = 1e-9;

// Decides hypot(dx, dy) against a fixed limit exactly as hypot itself would:
// by the squared distance where that is clear, which is nearly always, and by
// hypot where the two are too close to call. The margin is far wider than the
// rounding errors of either.
class DistanceLimit {
 public:
  explicit DistanceLimit(double limit) : limit_(limit) {
    const double squared = limit * limit;
    if (std::isfinite(squared) && squared > 1e-280) {
      below_ = squared * (1.0 - kDistanceCloseCall);
      above_ = squared * (1.0 + kDistanceCloseCall);
    }
  }
  // The clear answers are combined without a branch on them: they follow the
  // data and would be mispredicted; only the rare close call branches.
  bool Beyond(double dx, double dy) const {
    const double squared = dx * dx + dy * dy;
    const bool above = squared > above_;
    const bool below = squared < below_;
    if (!(above | below)) [[unlikely]] return std::hypot(dx, dy) > limit_;
    return above;
  }
  // For a sweep without calls: the clear answers of a squared distance.
  bool ClearlyBeyond(double squared) const { return squared > above_; }
  bool ClearlyWithin(double squared) const { return squared < below_; }
  // The bounds themselves, for sweeps that decide several distances at once.
  double ClearBelow() const { return below_; }
  double ClearAbove() const { return above_; }

  bool Within(double dx, double dy) const {
    const double squared = dx * dx + dy * dy;
    const bool above = squared > above_;
    const bool below = squared < below_;
    if (!(above | below)) [[unlikely]] return std::hypot(dx, dy) < limit_;
    return below;
  }

 private:
  double limit_;
  // Without a usable square every decision goes to hypot.
  double below_ = -1.0;
  double above_ = INFINITY;
};

}  // namespace zelvo
