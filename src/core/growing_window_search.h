#pragma once

#include <vector>

#include "core/plane_fit.h"

namespace zelvo {

// A neighbour within this of the point of calculation on both axes is that
// point itself, for the fit over the N nearest.
inline constexpr double kSamePositionPerAxis = 1e-8;

// Means (where a centring asks for them) and fit over the points within dN
// of the given cells, in the lattice's visiting order.
void FitNeighbourhood(const FitData& data, const FitChoices& choices, const CellRange& window,
                      AreaCentre& centre, double x0, double y0, double q0, double dN,
                      PlaneFit& fit);

// The search as first written: windows r = R, R + r, ... until one holds N
// eligible points within r. It defines what the quicker search must match;
// 1, with the fit untouched, when fewer than N can be reached at all.
int FitByGrowingWindows(const FitData& data, const FitChoices& choices, int N,
                        AreaCentre& centre, double x0, double y0, double q0, PlaneFit& fit,
                        std::vector<double>& distances);

}  // namespace zelvo
