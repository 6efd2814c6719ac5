#pragma once

#include <cstdint>

#include "core/lattice_copy.h"
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

// How many points of calculation one sweep of a window serves, and with which
// instructions. kFastest picks by the processor at hand; the others, which
// run on any x86-64, let tests reach every width.
enum class LaneChoice { kFastest, kPlainTwo, kPlainFour, kPlainEight };

// The radius fits of the listed points, each bit for bit what FitPlaneRadius
// gives at (x0[k], y0[k], q0[k]) with the same data, choices and centre. The
// fits are independent: none writes what another reads, and the batch reads
// data.q as it is at the call. Points that follow each other in the lattice's
// order (SearchCluster::LatticeOrder) share their windows: several are fitted
// side by side, each in its own lane with its own sums. A batch copies the
// columns of the lattice its windows reach, 24 bytes a point, so large chunks
// of lattice order cost the least; a copy given, kept from an earlier batch
// over the same data, is gathered afresh only beyond what it holds.
void FitRadiusBatch(const FitData& data, const FitChoices& choices, const AreaCentre& centre,
                    const double* x0, const double* y0, const double* q0,
                    const std::int32_t* points, int count, const FitColumns& out,
                    LaneChoice lanes = LaneChoice::kFastest, LatticeCopy* copy = nullptr);

}  // namespace zelvo
