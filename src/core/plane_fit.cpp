#include "core/plane_fit.h"

#include <cmath>

namespace zelvo {
namespace {

// What a centring mode subtracts; subtracting 0.0 leaves a value as it is.
double CentreOffset(int mode, double areaValue, double pointValue) {
  if (mode == kCenterToArea) return areaValue;
  if (mode == kCenterToPoint) return pointValue;
  return 0.0;
}

}  // namespace

int SolveSLE(double A[3][3], double r[3], int n) {
  for (int i = 0; i < n; ++i) {
    const double p = A[i][i];
    if (std::fabs(p) == 0.0) {
      r[0] = kSingularMarker;
      return 1;
    }
    for (int k = 0; k < n; ++k) A[i][k] /= p;
    r[i] /= p;
    for (int j = 0; j < n; ++j) {
      if (j == i) continue;
      const double f = A[j][i];
      for (int k = 0; k < n; ++k) A[j][k] -= A[i][k] * f;
      r[j] -= r[i] * f;
    }
  }
  return 0;
}

void NormalSums::Solve(PlaneFit& fit) const {
  fit.A[0][0] = a00; fit.A[0][1] = a01; fit.A[0][2] = a02;
  fit.A[1][0] = a01; fit.A[1][1] = a11; fit.A[1][2] = a12;
  fit.A[2][0] = a02; fit.A[2][1] = a12; fit.A[2][2] = a22;
  fit.r[0] = r0; fit.r[1] = r1; fit.r[2] = r2;
  fit.npoints = a22;
  // Fewer than three neighbours cannot fix a plane; rounding could otherwise
  // leave a tiny pivot and a meaningless gradient.
  if (a22 < 3.0) {
    fit.r[0] = kSingularMarker;
    return;
  }
  SolveSLE(fit.A, fit.r, 3);
}

namespace {

struct RadiusSweep {
  const FitData& data;
  double x0, y0;
  double offX, offY, offQ;
  bool leaveOutNear;
  DistanceLimit radius;
  DistanceLimit near;
};

// The sweep over the window by squared distances alone, with no call in the
// loop so that the sums stay in registers. False when some distance was too
// close to call that way; the sums are then to be made again exactly.
bool SweepClear(const RadiusSweep& w, const CellRange& window, NormalSums& out) {
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
      const double squared = dx * dx + dy * dy;
      const bool beyond = w.radius.ClearlyBeyond(squared);
      const bool inside = w.radius.ClearlyWithin(squared);
      const bool nearIn = w.near.ClearlyWithin(squared);
      const bool nearOut = w.near.ClearlyBeyond(squared);
      const bool radiusUnclear = !(beyond | inside);
      const bool nearUnclear = w.leaveOutNear & !(nearIn | nearOut);
      unclear |= radiusUnclear | nearUnclear;
      // Whether a neighbour is used follows the data, so a branch on it would
      // be mispredicted often.
      const bool used = !beyond & !(w.leaveOutNear & nearIn);
      sums.AddMasked(xs[k] - w.offX, ys[k] - w.offY, qs[k] - w.offQ, used);
    }
  }
  out = sums;
  return !unclear;
}

void SweepExact(const RadiusSweep& w, const CellRange& window, NormalSums& sums) {
  sums = NormalSums{};
  w.data.cluster->ForEachInWindow(window, [&](int k) {
    const double dx = w.data.x[k] - w.x0;
    const double dy = w.data.y[k] - w.y0;
    if (w.leaveOutNear && w.near.Within(dx, dy)) return;
    if (w.radius.Beyond(dx, dy)) return;
    sums.Add(w.data.x[k] - w.offX, w.data.y[k] - w.offY, w.data.q[k] - w.offQ);
  });
}

}  // namespace

void FitPlaneRadius(const FitData& data, const FitChoices& choices, const AreaCentre& centre,
                    double x0, double y0, double q0, PlaneFit& fit) {
  const RadiusSweep sweep{data,
                          x0,
                          y0,
                          CentreOffset(choices.centerX, centre.cx, x0),
                          CentreOffset(choices.centerY, centre.cy, y0),
                          CentreOffset(choices.centerQ, centre.cq, q0),
                          !choices.pointOfCalculationIn,
                          DistanceLimit(data.searchRadius),
                          DistanceLimit(kPointOfCalculationDistance)};
  const CellRange window = data.cluster->CellWindow(x0, y0, data.searchRadius);
  NormalSums sums;
  if (!SweepClear(sweep, window, sums)) SweepExact(sweep, window, sums);
  sums.Solve(fit);
}

}  // namespace zelvo
