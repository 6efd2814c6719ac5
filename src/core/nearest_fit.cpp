#include "core/nearest_fit.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

#include "core/growing_window_search.h"
#include "core/smallest_squares.h"

namespace zelvo {
namespace {

// Relative to the magnitudes of the coordinates: far wider than the rounding
// of a cell index, of a cell border or of a difference of coordinates.
constexpr double kBorderTolerance = 1e-9;

bool Contains(const CellRange& outer, const CellRange& inner) {
  return inner.iLo >= outer.iLo && inner.iHi <= outer.iHi && inner.jLo >= outer.jLo &&
         inner.jHi <= outer.jHi;
}

CellRange Intersection(const CellRange& a, const CellRange& b) {
  CellRange range;
  range.iLo = std::max(a.iLo, b.iLo);
  range.iHi = std::max(range.iLo, std::min(a.iHi, b.iHi));
  range.jLo = std::max(a.jLo, b.jLo);
  range.jHi = std::max(range.jLo, std::min(a.jHi, b.jHi));
  return range;
}

// Squares too small to be normal numbers lose the relation to hypot.
constexpr double kSmallestClearSquare = 1e-280;

// Around the N-th smallest square t: a point squared below `below` is nearer
// than the N-th hypot distance, one above `above` farther, and the N-th
// distance is the hypot of a point in between. A square and the hypot squared
// differ by a few roundings, far inside the band.
struct SquareBand {
  double below = -INFINITY;
  double above = INFINITY;

  explicit SquareBand(double t) {
    if (std::isfinite(t) && t * (1.0 - kDistanceCloseCall) > kSmallestClearSquare) {
      below = t * (1.0 - kDistanceCloseCall);
    }
    if (std::isfinite(t)) above = std::max(t, kSmallestClearSquare) * (1.0 + kDistanceCloseCall);
  }
};

bool NeedsAreaMeans(const FitChoices& choices) {
  return choices.centerX == kCenterToArea || choices.centerY == kCenterToArea ||
         choices.centerQ == kCenterToArea;
}

// A value where keep is set, else +0.0, which adds nothing to a sum that
// started at +0.0.
double Masked(double value, bool keep) {
  const std::uint64_t mask = std::uint64_t{0} - static_cast<std::uint64_t>(keep);
  return std::bit_cast<double>(std::bit_cast<std::uint64_t>(value) & mask);
}

// What a centring subtracts from each coordinate; subtracting 0.0 leaves a
// value as it is, so the differences equal Centred's.
struct CentreOffsets {
  double x, y, q;

  CentreOffsets(const FitChoices& c, const AreaCentre& centre, double x0, double y0, double q0)
      : x(CentreOffset(c.centerX, centre.cx, x0)), y(CentreOffset(c.centerY, centre.cy, y0)),
        q(CentreOffset(c.centerQ, centre.cq, q0)) {}
};

// Whether the fit leaves a neighbour out as the point of calculation itself;
// a square of 1e-11 or more rules that out on its own.
bool SamePosition(const FitChoices& choices, double dx, double dy, double squared) {
  return !choices.pointOfCalculationIn && squared < Eligibility::kFarEnough &&
         std::fabs(dx) < kSamePositionPerAxis && std::fabs(dy) < kSamePositionPerAxis;
}

// One sweep over cells holding every point within the band of the N-th
// square: counts the eligible points below the band, keeps the hypot
// distances of those within it, and hands every point to `take` with
// whether it lies below or within the band.
struct BandTally {
  int nearer = 0;
  bool excludedInBand = false;  // a point of calculation so near decides nothing here
};

template <typename Take>
BandTally SweepBand(const FitData& data, const FitChoices& choices, const SquareBand& band,
                    const CellRange& cells, double x0, double y0, std::vector<double>& distances,
                    Take take) {
  const Eligibility eligibility{choices.pointOfCalculationIn};
  BandTally tally;
  distances.clear();
  data.cluster->ForEachInWindow(cells, [&](int k) {
    const double dx = data.x[k] - x0;
    const double dy = data.y[k] - y0;
    const double squared = dx * dx + dy * dy;
    const bool below = squared < band.below;
    const bool inBand = !below && squared <= band.above;
    const bool excluded = eligibility.Excluded(dx, dy, squared);
    if (inBand) [[unlikely]] {
      if (excluded) {
        tally.excludedInBand = true;
      } else {
        distances.push_back(std::hypot(dx, dy));
      }
    }
    tally.nearer += below & !excluded;
    take(k, dx, dy, below | inBand, excluded);
  });
  return tally;
}

// The N-th distance from a sweep: the points below the band all come first,
// so it is the (N - nearer)-th smallest hypot within the band. NaN where the
// count falls short, which only a NaN coordinate can cause. `bandWithin`
// tells whether no distance of the band exceeds it.
double NthDistance(int N, const BandTally& tally, std::vector<double>& distances,
                   bool& bandWithin) {
  const int rank = N - tally.nearer;
  if (rank < 1 || static_cast<int>(distances.size()) < rank) return NAN;
  const auto nth = distances.begin() + (rank - 1);
  std::nth_element(distances.begin(), nth, distances.end());
  const double dN = *nth;
  bandWithin = !tally.excludedInBand && *std::max_element(nth, distances.end()) <= dN;
  return dN;
}

// The fit over the points of `cells` that `kept` accepts, in visiting order,
// without a branch on the answer.
template <typename Kept>
void MaskedFit(const FitData& data, const FitChoices& choices, const CellRange& cells,
               const AreaCentre& centre, double x0, double y0, double q0, PlaneFit& fit,
               Kept kept) {
  const CentreOffsets offsets(choices, centre, x0, y0, q0);
  NormalSums sums;
  data.cluster->ForEachInWindow(cells, [&](int k) {
    const double dx = data.x[k] - x0;
    const double dy = data.y[k] - y0;
    sums.AddMasked(data.x[k] - offsets.x, data.y[k] - offsets.y, data.q[k] - offsets.q,
                   kept(dx, dy) && !SamePosition(choices, dx, dy, dx * dx + dy * dy));
  });
  sums.Solve(fit);
}

// Square rings of cells around the cell of (x0, y0), ring k holding the cells
// k columns or rows away. Cells are read only through column runs.
class CellRings {
 public:
  CellRings(const SearchCluster& cluster, double x0, double y0)
      : cluster_(cluster) {
    // Any first cell would do; the nearest one to the point ends soonest.
    const double xLast = cluster.xmin + (cluster.nx - 1) * cluster.s;
    const double yLast = cluster.ymin + (cluster.ny - 1) * cluster.s;
    ic_ = std::clamp(cluster.CellColumn(std::clamp(x0, cluster.xmin, xLast)), 0, cluster.nx - 1);
    jc_ = std::clamp(cluster.CellRow(std::clamp(y0, cluster.ymin, yLast)), 0, cluster.ny - 1);
  }

  template <typename Run>
  void VisitRing(int k, Run run) const {
    const int iA = ic_ - k, iB = ic_ + k;
    const int jA = std::max(jc_ - k, 0), jB = std::min(jc_ + k, cluster_.ny - 1);
    if (iA >= 0) run(cluster_.ColumnRunBegin(iA, jA), cluster_.ColumnRunEnd(iA, jB + 1));
    if (k > 0 && iB < cluster_.nx) {
      run(cluster_.ColumnRunBegin(iB, jA), cluster_.ColumnRunEnd(iB, jB + 1));
    }
    if (k == 0) return;
    const int iFirst = std::max(iA + 1, 0), iLast = std::min(iB - 1, cluster_.nx - 1);
    for (int i = iFirst; i <= iLast; ++i) {
      if (jc_ - k >= 0) run(cluster_.ColumnRunBegin(i, jc_ - k), cluster_.ColumnRunEnd(i, jc_ - k + 1));
      if (jc_ + k < cluster_.ny) {
        run(cluster_.ColumnRunBegin(i, jc_ + k), cluster_.ColumnRunEnd(i, jc_ + k + 1));
      }
    }
  }

  // The cells of rings 0 .. k.
  CellRange Block(int k) const {
    CellRange block;
    block.iLo = std::max(ic_ - k, 0);
    block.iHi = std::min(ic_ + k + 1, cluster_.nx);
    block.jLo = std::max(jc_ - k, 0);
    block.jHi = std::min(jc_ + k + 1, cluster_.ny);
    return block;
  }

 private:
  const SearchCluster& cluster_;
  int ic_ = 0, jc_ = 0;
};

// How near to (x0, y0) a point outside the cells of `block` can lie, exactly
// as far as the cell borders go: infinite when the block covers the lattice.
double NearestOutside(const SearchCluster& cluster, const CellRange& block, double x0, double y0) {
  const double s = cluster.s;
  double nearest = INFINITY;
  if (block.iLo > 0) nearest = std::min(nearest, x0 - (cluster.xmin + (block.iLo - 0.5) * s));
  if (block.iHi < cluster.nx) nearest = std::min(nearest, cluster.xmin + (block.iHi - 0.5) * s - x0);
  if (block.jLo > 0) nearest = std::min(nearest, y0 - (cluster.ymin + (block.jLo - 0.5) * s));
  if (block.jHi < cluster.ny) nearest = std::min(nearest, cluster.ymin + (block.jHi - 0.5) * s - y0);
  return nearest;
}

// A length that the rounding of cell borders and coordinate differences
// cannot reach, at the magnitudes of this lattice and point.
double BorderTolerance(const SearchCluster& cluster, double x0, double y0) {
  const double extent = (static_cast<double>(cluster.nx) + cluster.ny + 2.0) * cluster.s;
  return kBorderTolerance *
         (std::fabs(x0) + std::fabs(y0) + std::fabs(cluster.xmin) + std::fabs(cluster.ymin) + extent);
}

// Whether a cell of `cells` outside `window` holds any point within dN.
bool AnyWithinOutside(const FitData& data, const CellRange& cells, const CellRange& window,
                      double x0, double y0, double dN) {
  const DistanceLimit limit(dN);
  const SearchCluster& cluster = *data.cluster;
  for (int i = cells.iLo; i < cells.iHi; ++i) {
    for (int j = cells.jLo; j < cells.jHi; ++j) {
      if (i >= window.iLo && i < window.iHi && j >= window.jLo && j < window.jHi) continue;
      const std::int32_t* end = cluster.ColumnRunEnd(i, j + 1);
      for (const std::int32_t* p = cluster.ColumnRunBegin(i, j); p < end; ++p) {
        if (!limit.Beyond(data.x[*p] - x0, data.y[*p] - y0)) return true;
      }
    }
  }
  return false;
}

enum class RingOutcome { kFitted, kTooFewPoints, kUndecided };

// Rings tried before the first window of the written search, and the widest
// such window worth scanning instead of further rings.
constexpr int kRingsBeforeFirstWindow = 3;
constexpr int kFirstWindowColumns = 64;

// The N-th distance by rings of cells, then the stop radius of the written
// search from its own sequence of r. The written search counts within r as
// hypot decides (DistanceLimit decides the same), so it stops at the first r
// not below the N-th distance, provided its window there holds every point
// within that distance; otherwise the outcome is left undecided.
RingOutcome FitByRings(const FitData& data, const FitChoices& choices, int N, AreaCentre& centre,
                       double x0, double y0, double q0, PlaneFit& fit,
                       std::vector<double>& distances) {
  const SearchCluster& cluster = *data.cluster;
  const double tolerance = BorderTolerance(cluster, x0, y0);
  const CellRings rings(cluster, x0, y0);
  SmallestSquares smallest(data, choices, N, x0, y0, distances);
  // Whether no point outside the scanned block can change the N-th square.
  const auto settled = [&](const CellRange& block) {
    // A block over the whole lattice leaves nothing outside, whatever the
    // tolerance: near the largest doubles it is infinite itself.
    const double outside = NearestOutside(cluster, block, x0, y0);
    if (outside == INFINITY) return true;
    const double beyond = outside - tolerance;
    return smallest.Full() && beyond > 0.0 &&
           beyond * beyond > SquareBand(smallest.Nth()).above * (1.0 + kDistanceCloseCall);
  };
  // Most cells of a fine lattice are empty: their runs cost no call.
  const auto offer = [&](const std::int32_t* p, const std::int32_t* end) {
    if (p != end) smallest.OfferRun(p, end);
  };
  int k = 0;
  bool done = false;
  for (; k < kRingsBeforeFirstWindow && !done; ++k) {
    rings.VisitRing(k, offer);
    done = settled(rings.Block(k));
  }
  if (!done) {
    // Rings this far out cross cells mostly empty for this N: the first window
    // of the written search, one run a column, settles it where it holds the
    // N nearest well inside; elsewhere the rings start again.
    const CellRange first = cluster.CellWindow(x0, y0, data.searchRadius);
    if (first.iHi - first.iLo <= kFirstWindowColumns) {
      smallest.Clear();
      for (int i = first.iLo; i < first.iHi; ++i) {
        offer(cluster.ColumnRunBegin(i, first.jLo), cluster.ColumnRunEnd(i, first.jHi));
      }
      done = settled(first);
      if (!done) {
        smallest.Clear();
        k = 0;
      }
    }
  }
  for (; !done; ++k) {
    rings.VisitRing(k, offer);
    done = settled(rings.Block(k));
  }
  if (!smallest.Full()) return RingOutcome::kTooFewPoints;
  const SquareBand band(smallest.Nth());
  // Every point within the band, and so within the N-th distance, lies in these cells.
  const double reach = std::sqrt(band.above) * (1.0 + kDistanceCloseCall) + tolerance;
  const CellRange near = cluster.CellWindow(x0, y0, reach);
  // The points below or within the band are those within the N-th distance
  // unless a distance of the band exceeds it: the sweep that finds it already
  // sums the means, or without them the fit, over them.
  const bool areaMeans = NeedsAreaMeans(choices);
  NormalSums fitSums;
  double sumX = 0.0, sumY = 0.0, sumQ = 0.0;
  int count = 0;
  BandTally tally;
  if (areaMeans) {
    tally = SweepBand(data, choices, band, near, x0, y0, distances,
                      [&](int k, double, double, bool within, bool excluded) {
                        const bool keep = within && !excluded;
                        sumX += Masked(data.x[k], keep);
                        sumY += Masked(data.y[k], keep);
                        sumQ += Masked(data.q[k], keep);
                        count += keep;
                      });
  } else {
    const CentreOffsets offsets(choices, centre, x0, y0, q0);
    tally = SweepBand(data, choices, band, near, x0, y0, distances,
                      [&](int k, double dx, double dy, bool within, bool) {
                        fitSums.AddMasked(
                            data.x[k] - offsets.x, data.y[k] - offsets.y, data.q[k] - offsets.q,
                            within && !SamePosition(choices, dx, dy, dx * dx + dy * dy));
                      });
  }
  bool bandWithin = false;
  const double dN = NthDistance(N, tally, distances, bandWithin);
  if (!(dN >= 0.0)) return RingOutcome::kUndecided;
  const double R = data.searchRadius;
  double r = R;
  while (!(dN <= r)) r = R + r;
  // A wider square never touches fewer cells, so a stop window at least as
  // wide as `near` contains it. A narrower one must still hold every point
  // within dN; the sums of the sweep then hold for its cells as well.
  CellRange cells = near;
  if (!(r >= reach)) {
    const CellRange window = cluster.CellWindow(x0, y0, r);
    if (!Contains(window, near) && AnyWithinOutside(data, near, window, x0, y0, dN)) {
      return RingOutcome::kUndecided;
    }
    cells = Intersection(window, near);
  }
  if (!bandWithin) {
    FitNeighbourhood(data, choices, cells, centre, x0, y0, q0, dN, fit);
  } else if (areaMeans) {
    centre = AreaCentre{};
    if (count > 0) {
      centre.cx = sumX / count;
      centre.cy = sumY / count;
      centre.cq = sumQ / count;
    }
    const DistanceLimit limit(dN);
    MaskedFit(data, choices, cells, centre, x0, y0, q0, fit,
              [&](double dx, double dy) { return !limit.Beyond(dx, dy); });
  } else {
    fitSums.Solve(fit);
  }
  return RingOutcome::kFitted;
}

// The rings rank points by their squared distances: beyond this a square may
// overflow where the distance itself does not.
constexpr double kLargestRankedSquare = 1e300;

// Where the rings' reasoning about cell borders and the growth of r holds,
// and every square between the point and the lattice is finite.
bool RingsApply(const FitData& data, double x0, double y0) {
  const SearchCluster& cluster = *data.cluster;
  const double R = data.searchRadius;
  const double farthest = std::fabs(x0 - cluster.xmin) + std::fabs(y0 - cluster.ymin) +
                          (static_cast<double>(cluster.nx) + cluster.ny + 2.0) * cluster.s;
  return cluster.nx > 0 && cluster.ny > 0 && cluster.s > 0.0 && std::isfinite(cluster.s) &&
         std::isfinite(x0) && std::isfinite(y0) && R > 0.0 && std::isfinite(R) &&
         farthest * farthest < kLargestRankedSquare;
}

}  // namespace

int FitPlaneNearest(const FitData& data, const FitChoices& choices, int N, AreaCentre& centre,
                    double x0, double y0, double q0, PlaneFit& fit,
                    std::vector<double>& distances) {
  if (RingsApply(data, x0, y0)) {
    switch (FitByRings(data, choices, N, centre, x0, y0, q0, fit, distances)) {
      case RingOutcome::kFitted: return 0;
      case RingOutcome::kTooFewPoints: return 1;
      case RingOutcome::kUndecided: break;
    }
  }
  return FitByGrowingWindows(data, choices, N, centre, x0, y0, q0, fit, distances);
}

}  // namespace zelvo
