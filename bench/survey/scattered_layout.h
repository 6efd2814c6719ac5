#pragma once

// A sparse survey: a few points spread uniformly over a wide square, where a
// lattice of cells R/10 wide has far more cells than points.

#include <cmath>
#include <cstdint>

#include "survey/survey_layout.h"

namespace zelvo::bench {

inline SurveyPoints MakeScattered(int count, double side, std::uint64_t seed = 20261209) {
  SurveyPoints survey;
  SplitMix64 random(seed);
  for (int k = 0; k < count; ++k) {
    const double x = (random.Symmetric() + 1.0) * 0.5 * side;
    const double y = (random.Symmetric() + 1.0) * 0.5 * side;
    survey.x.push_back(x);
    survey.y.push_back(y);
    survey.q.push_back(20.0 * std::sin(x * 1e-5) * std::cos(y * 1.3e-5) + random.Symmetric());
  }
  return survey;
}

}  // namespace zelvo::bench
