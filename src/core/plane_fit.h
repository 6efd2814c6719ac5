#pragma once

#include <bit>
#include <cmath>
#include <cstdint>

#include "core/distance_limit.h"
#include "io/point_table.h"
#include "core/search_cluster.h"

namespace zelvo {

// The item index of a centring list.
enum CenterMode : int { kNotCenter = 0, kCenterToArea = 1, kCenterToPoint = 2 };

inline constexpr double kSingularMarker = 1e30;
// Neighbours nearer than this are the point of calculation itself.
inline constexpr double kPointOfCalculationDistance = 1e-6;

// The 3 x 3 normal equations of a plane fit Z = a X + b Y + c and, after the
// solve, r = (a, b, c); r[0] == kSingularMarker marks a failed solve.
struct PlaneFit {
  double A[3][3] = {};
  double r[3] = {};
  double npoints = 0.0;

  bool Failed() const { return r[0] == kSingularMarker; }
};

// The choices read from the window at every point of calculation.
struct FitChoices {
  bool pointOfCalculationIn = false;  // chb_cpin
  int centerX = kCenterToPoint;
  int centerY = kCenterToPoint;
  int centerQ = kNotCenter;
};

// What a fit reads of the run: the lattice and the working x, y, quantity.
struct FitData {
  const SearchCluster* cluster = nullptr;
  const double* x = nullptr;
  const double* y = nullptr;
  const double* q = nullptr;  // working quantity
  double searchRadius = 0.0;
};

inline double Centred(double value, int mode, double areaValue, double pointValue) {
  if (mode == kCenterToArea) return value - areaValue;
  if (mode == kCenterToPoint) return value - pointValue;
  return value;  // also for no item selected
}

// What a centring mode subtracts; subtracting 0.0 leaves a value as it is.
inline double CentreOffset(int mode, double areaValue, double pointValue) {
  if (mode == kCenterToArea) return areaValue;
  if (mode == kCenterToPoint) return pointValue;
  return 0.0;
}

// Running sums of the normal equations, added to in the order of the visit.
struct NormalSums {
  double a00 = 0, a01 = 0, a02 = 0, a11 = 0, a12 = 0, a22 = 0, r0 = 0, r1 = 0, r2 = 0;

  void Add(double X, double Y, double Z) {
    a00 += X * X;
    a01 += X * Y;
    a02 += X;
    a11 += Y * Y;
    a12 += Y;
    a22 += 1;
    r0 += X * Z;
    r1 += Y * Z;
    r2 += Z;
  }
  // Add(X, Y, Z) when keep is set, else nothing, without a branch: a value
  // left out is masked to +0 (not multiplied by 0, which would turn an
  // infinite one into NaN), and adding +0 changes no sum.
  void AddMasked(double X, double Y, double Z, bool keep) {
    const std::uint64_t mask = std::uint64_t{0} - static_cast<std::uint64_t>(keep);
    const auto masked = [mask](double value) {
      return std::bit_cast<double>(std::bit_cast<std::uint64_t>(value) & mask);
    };
    X = masked(X);
    Y = masked(Y);
    Z = masked(Z);
    a00 += X * X;
    a01 += X * Y;
    a02 += X;
    a11 += Y * Y;
    a12 += Y;
    a22 += masked(1.0);
    r0 += X * Z;
    r1 += Y * Z;
    r2 += Z;
  }
  // Completes the symmetric matrix into the fit and solves it.
  void Solve(PlaneFit& fit) const;
};

// Gauss-Jordan elimination on the diagonal without any exchange; an exactly
// zero pivot leaves kSingularMarker in r[0] and returns 1.
int SolveSLE(double A[3][3], double r[3], int n);

// Fits the plane over all neighbours within the search radius of (x0, y0).
void FitPlaneRadius(const FitData& data, const FitChoices& choices, const AreaCentre& centre,
                    double x0, double y0, double q0, PlaneFit& fit);

}  // namespace zelvo
