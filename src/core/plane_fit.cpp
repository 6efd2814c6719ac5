#include "core/plane_fit.h"

#include <cmath>
#include <type_traits>

#include "core/gauss_jordan.h"
#include "core/radius_sweep.h"

namespace zelvo {
namespace {

// The elimination for a count known when compiling (the 3 of every plane
// fit, whose loops then unroll) or only when running.
template <typename Count>
int Eliminate(double A[3][3], double r[3], Count n) {
  for (int i = 0; i < n; ++i) {
    if (std::fabs(A[i][i]) == 0.0) {
      r[0] = kSingularMarker;
      return 1;
    }
    EliminateOnPivot(A, r, i, n);
  }
  return 0;
}

}  // namespace

int SolveSLE(double A[3][3], double r[3], int n) {
  return n == 3 ? Eliminate(A, r, std::integral_constant<int, 3>{}) : Eliminate(A, r, n);
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
  const RadiusSweep sweep(data, choices, centre, x0, y0, q0);
  const CellRange window = data.cluster->CellWindow(x0, y0, data.searchRadius);
  NormalSums sums;
  if (!SweepClear(sweep, window, sums, NoNotes{})) SweepExact(sweep, window, sums, NoNotes{});
  sums.Solve(fit);
}

}  // namespace zelvo
