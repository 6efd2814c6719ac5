#pragma once

#include "core/iteration_driver.h"
#include "core/plane_fit.h"

namespace zelvo {

class RadiusNeighbours;
class RunObserver;

// Left in the npoints column of a point whose N nearest neighbours cannot be
// reached; no fit has fewer than 0 points.
inline constexpr double kNoNeighbourhood = -1.0;
// In the npoints column of a point the sweep has not fitted.
inline constexpr double kNotFitted = -2.0;

// Points of lattice order fitted as one piece of a sweep: large enough that
// neighbouring fits share their windows, small enough that a Stop is noticed
// within a few milliseconds and the threads end together.
inline constexpr int kSweepChunkPoints = 16384;

struct SweepOutcome {
  // Points 0 .. fitted-1 all have their fits; later ones may not.
  int fitted = 0;
  bool stopped = false;  // Stop was answered Yes
};

// Fits every point over the working quantity as it stands, on job.threads
// threads in lattice order, and leaves a, b, c and npoints of each fit in
// the result columns hgqx, hgqy, Rq and npoints (a failed solve: a is
// kSingularMarker). The choices must be fixed and, for the N-nearest search,
// give N. Progress and Stop go through the observer on the calling thread,
// as points of `pass`. Radius fits use the neighbours kept by earlier
// passes when given; every point must be kept.
SweepOutcome SweepFits(const IterationJob& job, const FitData& data, int pass,
                       RunObserver& observer, const RadiusNeighbours* kept = nullptr);

}  // namespace zelvo
