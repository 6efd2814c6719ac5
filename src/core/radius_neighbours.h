#pragma once

#include <cstdint>
#include <vector>

#include "core/plane_fit.h"

namespace zelvo {

// The radius fits of a run whose choices stay fixed, for runs that fit every
// point more than once. Which points of its window a point's fit sums depends
// on x and y alone, and so do the sums of the normal equations that hold no
// quantity; both are kept at a point's first fit, so that a later fit sums
// only the quantity's three terms over the neighbours it already knows.
//
// Every fit is bit for bit FitPlaneRadius's: each sum still adds its terms in
// the order of the window, and a neighbour left out adds nothing, as its +0
// there leaves a sum unchanged.
class RadiusNeighbours {
 public:
  // data.q is read at every fit; the choices and the centre hold for the run.
  // Keeps points while their marks fit into the budget, and fits the rest as
  // FitPlaneRadius does.
  RadiusNeighbours(const FitData& data, const FitChoices& choices, const AreaCentre& centre,
                   int points, std::uint64_t memoryBudgetBytes);

  // The fit at point k, whose point of calculation is (x0, y0, q0).
  void Fit(int k, double x0, double y0, double q0, PlaneFit& fit);
  // Once every point is kept, fits may be made on several threads at once.
  bool EveryPointKept() const {
    return !firstWord_.empty() && kept_ == static_cast<int>(firstWord_.size());
  }
  void FitKept(int k, double x0, double y0, double q0, PlaneFit& fit) const;

 private:
  bool Kept(int k) const {
    return !firstWord_.empty() && firstWord_[static_cast<std::size_t>(k)] != kNotKept;
  }
  // Where point k's marks go, or nullptr when they would exceed the budget.
  std::uint64_t* MarksFor(int k, const CellRange& window);
  const std::uint64_t* MarksOf(int k) const;
  template <typename Visit>
  void ForEachMarked(int k, const CellRange& window, Visit visit) const;

  static constexpr std::uint64_t kNotKept = ~std::uint64_t{0};

  // The sums of a fit that hold no quantity.
  struct QuantityFree {
    double a00, a01, a02, a11, a12, a22;
  };

  FitData data_;
  FitChoices choices_;
  AreaCentre centre_;
  // Marks are kept in blocks, so that they grow without being copied.
  std::uint64_t blockWords_ = 0;
  std::uint64_t budgetBlocks_ = 0;
  // One bit per point of a window, in the window's order; each point's
  // first on a word of its own, all its words in one block.
  std::vector<std::vector<std::uint64_t>> blocks_;
  std::vector<std::uint64_t> firstWord_;  // kNotKept until the point is kept
  std::vector<QuantityFree> quantityFree_;
  int kept_ = 0;
};

}  // namespace zelvo
