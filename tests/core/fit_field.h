#pragma once

// Scattered points with their lattice, for holding fast fits against the
// plain FitPlaneRadius.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "core/plane_fit.h"

namespace zelvo {

struct Field {
  std::vector<double> x, y, q;
  SearchCluster cluster;
  AreaCentre centre;
  double radius = 0;

  void Add(double px, double py, double pq) {
    x.push_back(px);
    y.push_back(py);
    q.push_back(pq);
  }
  int Size() const { return static_cast<int>(x.size()); }
  FitData Lay(double R, double cellSize, LatticeLayout layout = LatticeLayout::kChosen) {
    radius = R;
    const auto [xmin, xmax] = std::minmax_element(x.begin(), x.end());
    const auto [ymin, ymax] = std::minmax_element(y.begin(), y.end());
    EXPECT_EQ(kLatticeBuilt, cluster.Build(x.data(), y.data(), Size(), cellSize, *xmin, *xmax,
                                           *ymin, *ymax, std::uint64_t{1} << 30, layout));
    centre = AreaCentre{(*xmin + *xmax) / 2 + 0.37, (*ymin + *ymax) / 2 - 1.1, 3.25};
    return Data();
  }
  FitData Data() const { return FitData{&cluster, x.data(), y.data(), q.data(), radius}; }
  std::vector<std::int32_t> LatticeOrder() const {
    return {cluster.LatticeOrder(), cluster.LatticeOrder() + cluster.LatticeOrderSize()};
  }
};

inline bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// n points over a square, with a duplicate position after every 23rd.
inline Field Scatter(int n, double extent, unsigned seed) {
  Field field;
  std::mt19937_64 random(seed);
  std::uniform_real_distribution<double> coordinate(0.0, extent);
  std::normal_distribution<double> noise(0.0, 1.0);
  for (int k = 0; k < n; ++k) {
    const double x = coordinate(random), y = coordinate(random);
    field.Add(x, y, 0.3 * x - 0.2 * y + std::sin(x * 0.1) + noise(random));
    if (k % 23 == 0) field.Add(x, y, noise(random));  // a duplicate position
  }
  return field;
}

}  // namespace zelvo
