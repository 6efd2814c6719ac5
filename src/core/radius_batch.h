#pragma once

#include <cstdint>

#include "core/plane_fit.h"

namespace zelvo {

// Where a batch of radius fits leaves its answers, one element per point of
// the table (indexed by point number, not by batch position): a and b the
// gradient, c the fitted value, npoints the neighbours summed. A failed
// solve leaves kSingularMarker in a, as PlaneFit::r[0] does.
struct FitColumns {
  double* a = nullptr;
  double* b = nullptr;
  double* c = nullptr;
  double* npoints = nullptr;
};

// The radius fits of the listed points, each bit for bit what FitPlaneRadius
// gives at (x0[k], y0[k], q0[k]) with the same data, choices and centre. The
// fits are independent: none writes what another reads. A batch in lattice
// order lets neighbouring points share their windows.
void FitRadiusBatch(const FitData& data, const FitChoices& choices, const AreaCentre& centre,
                    const double* x0, const double* y0, const double* q0,
                    const std::int32_t* points, int count, const FitColumns& out);

}  // namespace zelvo
