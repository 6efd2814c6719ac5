#include "core/radius_batch.h"

namespace zelvo {

void FitRadiusBatch(const FitData& data, const FitChoices& choices, const AreaCentre& centre,
                    const double* x0, const double* y0, const double* q0,
                    const std::int32_t* points, int count, const FitColumns& out) {
  PlaneFit fit;
  for (int m = 0; m < count; ++m) {
    const int k = points[m];
    FitPlaneRadius(data, choices, centre, x0[k], y0[k], q0[k], fit);
    out.a[k] = fit.r[0];
    out.b[k] = fit.r[1];
    out.c[k] = fit.r[2];
    out.npoints[k] = fit.npoints;
  }
}

}  // namespace zelvo
