#pragma once

// Wall-clock timing of whole passes and the one-line reports that
// scripts/bench.sh reads: "KEY SECONDS" and, after a '#', anything a reader
// may want to know.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

namespace zelvo::bench {

// The least of `repeats` runs: what the machine can do with the least
// interference from whatever else runs on it.
template <typename Pass>
double MinimumSeconds(int repeats, Pass pass) {
  double best = std::numeric_limits<double>::infinity();
  for (int k = 0; k < std::max(1, repeats); ++k) {
    const auto start = std::chrono::steady_clock::now();
    pass();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    best = std::min(best, took.count());
  }
  return best;
}

inline void ReportSeconds(const std::string& key, double seconds, const std::string& note) {
  std::printf("%s %.4f # %s\n", key.c_str(), seconds, note.c_str());
  std::fflush(stdout);
}

// The keys of the passes that both our program and the peers time.
inline std::string RadiusKey(double radius) {
  return "radius_" + std::to_string(static_cast<long long>(std::lround(radius)));
}
inline std::string NearestKey(int n, double radius) {
  return "nearest_" + std::to_string(n) + "_" + std::to_string(std::lround(radius));
}

}  // namespace zelvo::bench
