#include "core/plane_fit.h"

#include <cmath>

namespace zelvo {
namespace {

// Relative margin around the squared limit inside which the squared distance
// cannot tell the hypot decision apart; far wider than their rounding errors.
constexpr double kCloseCall = 1e-9;
constexpr double kPointOfCalculationDistance = 1e-6;

}  // namespace

bool BeyondDistance(double dx, double dy, double limit, double limitSquared) {
  const double squared = dx * dx + dy * dy;
  if (std::isfinite(limitSquared) && std::isfinite(squared) && limitSquared > 1e-280) {
    if (squared > limitSquared * (1.0 + kCloseCall)) return true;
    if (squared < limitSquared * (1.0 - kCloseCall)) return false;
  }
  return std::hypot(dx, dy) > limit;
}

bool WithinDistance(double dx, double dy, double limit, double limitSquared) {
  const double squared = dx * dx + dy * dy;
  if (std::isfinite(limitSquared) && std::isfinite(squared) && limitSquared > 1e-280) {
    if (squared > limitSquared * (1.0 + kCloseCall)) return false;
    if (squared < limitSquared * (1.0 - kCloseCall)) return true;
  }
  return std::hypot(dx, dy) < limit;
}

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

void FitPlaneRadius(const FitData& data, const FitChoices& choices, const AreaCentre& centre,
                    double x0, double y0, double q0, PlaneFit& fit) {
  const double R = data.searchRadius;
  const double RSquared = R * R;
  const double nearSquared = kPointOfCalculationDistance * kPointOfCalculationDistance;
  NormalSums sums;
  data.cluster->ForEachInWindow(data.cluster->CellWindow(x0, y0, R), [&](int k) {
    const double dx = data.x[k] - x0;
    const double dy = data.y[k] - y0;
    if (!choices.pointOfCalculationIn &&
        WithinDistance(dx, dy, kPointOfCalculationDistance, nearSquared)) {
      return;
    }
    if (BeyondDistance(dx, dy, R, RSquared)) return;
    sums.Add(Centred(data.x[k], choices.centerX, centre.cx, x0),
             Centred(data.y[k], choices.centerY, centre.cy, y0),
             Centred(data.q[k], choices.centerQ, centre.cq, q0));
  });
  sums.Solve(fit);
}

}  // namespace zelvo
