#include "core/plane_fit.h"

#include <cmath>
#include <type_traits>

#include "core/radius_sweep.h"

namespace zelvo {
namespace {

// The elimination for a count known when compiling (the 3 of every plane
// fit, whose loops then unroll) or only when running.
template <typename Count>
int Eliminate(double A[3][3], double r[3], Count n) {
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

// A row of the system of three, [A[i][0], A[i][1], A[i][2], r[i]]: the four
// values a step divides by one pivot, or reduces by one factor, each as
// Eliminate's loops do, but in one operation. The divisions, on which every
// step waits, then take a quarter of the time.
typedef double Row __attribute__((vector_size(32)));

// Eliminate's bits for three unknowns. Where two NaN meet, which one an
// operation passes on depends on the order of its operands in the machine's
// instruction, which the compiler chooses; so a system that comes out with a
// NaN is solved again by Eliminate, whose NaN the answers have always had.
int EliminateRowsOfThree(double A[3][3], double r[3]) {
  Row row[3];
  for (int i = 0; i < 3; ++i) row[i] = Row{A[i][0], A[i][1], A[i][2], r[i]};
  int outcome = 0;
  for (int i = 0; i < 3; ++i) {
    const double p = row[i][i];
    if (std::fabs(p) == 0.0) {
      outcome = 1;
      break;
    }
    row[i] /= p;
    for (int j = 0; j < 3; ++j) {
      if (j == i) continue;
      const double f = row[j][i];
      row[j] -= row[i] * f;
    }
  }
  bool anyNaN = false;
  for (const Row& values : row) {
    for (int k = 0; k < 4; ++k) anyNaN |= std::isnan(values[k]);
  }
  if (anyNaN) return Eliminate(A, r, std::integral_constant<int, 3>{});
  for (int i = 0; i < 3; ++i) {
    for (int k = 0; k < 3; ++k) A[i][k] = row[i][k];
    r[i] = row[i][3];
  }
  if (outcome != 0) r[0] = kSingularMarker;
  return outcome;
}

}  // namespace

int SolveSLE(double A[3][3], double r[3], int n) {
  return n == 3 ? EliminateRowsOfThree(A, r) : Eliminate(A, r, n);
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
