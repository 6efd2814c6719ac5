#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "core/plane_fit.h"

namespace zelvo {

// Whether a neighbour counts among the N: the point of calculation, nearer
// than 1e-6, counts only when it is taken in.
struct Eligibility {
  bool pointIn;
  DistanceLimit near{kPointOfCalculationDistance};

  // A square this large rules the point of calculation out on its own.
  static constexpr double kFarEnough = 1e-11;

  bool Excluded(double dx, double dy, double squared) const {
    return !pointIn && squared < kFarEnough && near.Within(dx, dy);
  }
};

// The N smallest squared distances (dx*dx + dy*dy) of eligible points seen so
// far, as a max-heap whose top is the N-th once it is full. A square equal to
// the top would not change it.
class SmallestSquares {
 public:
  SmallestSquares(const FitData& data, const FitChoices& choices, int N, double x0, double y0,
                  std::vector<double>& heap)
      : data_(data), eligibility_{choices.pointOfCalculationIn}, N_(static_cast<std::size_t>(N)),
        x0_(x0), y0_(y0), heap_(heap) {
    heap_.clear();
  }

  void Clear() {
    heap_.clear();
    top_ = INFINITY;
  }

  bool Full() const { return heap_.size() >= N_; }
  double Nth() const { return heap_.front(); }

  void OfferRun(const std::int32_t* p, const std::int32_t* end) {
    for (; p < end; ++p) {
      const int k = *p;
      const double dx = data_.x[k] - x0_;
      const double dy = data_.y[k] - y0_;
      const double squared = dx * dx + dy * dy;
      if (squared >= top_ || eligibility_.Excluded(dx, dy, squared)) continue;
      Offer(squared);
    }
  }

 private:
  // Filling needs no order; a full heap takes a nearer square in place of
  // its top and sifts it down.
  void Offer(double squared) {
    if (!Full()) {
      heap_.push_back(squared);
      if (!Full()) return;
      std::make_heap(heap_.begin(), heap_.end());
    } else {
      ReplaceTop(squared);
    }
    top_ = heap_.front();
  }

  void ReplaceTop(double squared) {
    const std::size_t size = heap_.size();
    std::size_t hole = 0;
    for (std::size_t child = 1; child < size; child = 2 * hole + 1) {
      if (child + 1 < size && heap_[child + 1] > heap_[child]) ++child;
      if (!(heap_[child] > squared)) break;
      heap_[hole] = heap_[child];
      hole = child;
    }
    heap_[hole] = squared;
  }

  const FitData& data_;
  Eligibility eligibility_;
  std::size_t N_;
  double x0_, y0_;
  std::vector<double>& heap_;
  double top_ = INFINITY;  // nothing is refused before the heap is full
};

}  // namespace zelvo
