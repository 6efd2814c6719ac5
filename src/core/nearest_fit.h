#pragma once

#include <vector>

#include "core/plane_fit.h"

namespace zelvo {

// Fits the plane over the N nearest eligible points of (x0, y0): the search
// window grows by the search radius until it holds N of them. Returns 1, with
// the fit untouched, when fewer than N can be reached at all. "Center to middle
// of area" uses the neighbourhood's means, which are left in `centre`.
// `distances` is scratch space reused between calls.
int FitPlaneNearest(const FitData& data, const FitChoices& choices, int N, AreaCentre& centre,
                    double x0, double y0, double q0, PlaneFit& fit,
                    std::vector<double>& distances);

}  // namespace zelvo
