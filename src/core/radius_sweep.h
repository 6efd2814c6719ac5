#pragma once

#include <cstdint>

#include "core/distance_limit.h"
#include "core/plane_fit.h"

namespace zelvo {

// Which neighbours a radius fit sums: those within the search radius, less
// the point of calculation itself unless it is to be in.
class RadiusNeighbourTest {
 public:
  RadiusNeighbourTest(double searchRadius, bool pointOfCalculationIn)
      : radius_(searchRadius), near_(kPointOfCalculationDistance),
        leaveOutNear_(!pointOfCalculationIn) {}

  // By the squared distance alone and without a branch, as whether a
  // neighbour is used follows the data and would be mispredicted often;
  // sets `unclear` where that is too close to call.
  bool UsedClearly(double squared, bool& unclear) const {
    const bool beyond = radius_.ClearlyBeyond(squared);
    const bool inside = radius_.ClearlyWithin(squared);
    const bool nearIn = near_.ClearlyWithin(squared);
    const bool nearOut = near_.ClearlyBeyond(squared);
    const bool radiusUnclear = !(beyond | inside);
    const bool nearUnclear = leaveOutNear_ & !(nearIn | nearOut);
    unclear |= radiusUnclear | nearUnclear;
    return !beyond & !(leaveOutNear_ & nearIn);
  }
  // Exactly, hypot deciding the close calls.
  bool Used(double dx, double dy) const {
    return !radius_.Beyond(dx, dy) && !(leaveOutNear_ && near_.Within(dx, dy));
  }

 private:
  DistanceLimit radius_;
  DistanceLimit near_;
  bool leaveOutNear_;
};

// One radius fit's sweep over its window: the point of calculation, what the
// centrings subtract and which neighbours are summed.
struct RadiusSweep {
  RadiusSweep(const FitData& fitData, const FitChoices& choices, const AreaCentre& centre,
              double x, double y, double q)
      : data(fitData), x0(x), y0(y), offX(CentreOffset(choices.centerX, centre.cx, x)),
        offY(CentreOffset(choices.centerY, centre.cy, y)),
        offQ(CentreOffset(choices.centerQ, centre.cq, q)),
        used(fitData.searchRadius, choices.pointOfCalculationIn) {}

  const FitData& data;
  double x0, y0;
  double offX, offY, offQ;
  RadiusNeighbourTest used;
};

// What a sweep tells of each point of its window, in order: whether the fit
// used it. Taken by value, so that a sweep keeps its state in registers.
struct NoNotes {
  void Put(bool) {}
  void Finish() {}
};

// The sums over the window by squared distances alone, with no call in the
// loop so that the sums stay in registers; `note` hears every point of the
// window. False when some distance was too close to call that way; the sums
// (and notes) are then to be made again exactly.
template <typename Note>
bool SweepClear(const RadiusSweep& w, const CellRange& window, NormalSums& out, Note note) {
  const SearchCluster& cluster = *w.data.cluster;
  const double* xs = w.data.x;
  const double* ys = w.data.y;
  const double* qs = w.data.q;
  NormalSums sums;  // a local whose address is not taken: kept in registers
  bool unclear = false;
  for (int i = window.iLo; i < window.iHi; ++i) {
    const std::int32_t* end = cluster.ColumnRunEnd(i, window.jHi);
    for (const std::int32_t* p = cluster.ColumnRunBegin(i, window.jLo); p < end; ++p) {
      const int k = *p;
      const double dx = xs[k] - w.x0;
      const double dy = ys[k] - w.y0;
      const bool used = w.used.UsedClearly(dx * dx + dy * dy, unclear);
      note.Put(used);
      sums.AddMasked(xs[k] - w.offX, ys[k] - w.offY, qs[k] - w.offQ, used);
    }
  }
  note.Finish();
  out = sums;
  return !unclear;
}

// The sums with every distance decided exactly.
template <typename Note>
void SweepExact(const RadiusSweep& w, const CellRange& window, NormalSums& sums, Note note) {
  sums = NormalSums{};
  w.data.cluster->ForEachInWindow(window, [&](int k) {
    const bool used = w.used.Used(w.data.x[k] - w.x0, w.data.y[k] - w.y0);
    note.Put(used);
    if (used) sums.Add(w.data.x[k] - w.offX, w.data.y[k] - w.offY, w.data.q[k] - w.offQ);
  });
  note.Finish();
}

}  // namespace zelvo
