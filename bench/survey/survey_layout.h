#pragma once

// The survey of the benchmarks: east-west lines 100 m apart, a station every
// 10 m, each position jittered by up to 1 m on both axes, a smooth anomaly
// with a little noise as the quantity. A fixed seed and our own mapping of
// random bits to doubles give the same points on every machine.

#include <cmath>
#include <cstdint>
#include <vector>

#include "base/large_pages.h"

namespace zelvo::bench {

struct SurveyPoints {
  std::vector<double> x, y, q;
  std::size_t Size() const { return x.size(); }
};

// 948 lines of 1055 stations: 1,000,140 points over about 10.5 km by 94.7 km.
inline constexpr int kSurveyLines = 948;
inline constexpr int kSurveyStations = 1055;

class SplitMix64 {
 public:
  explicit SplitMix64(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
  }
  // Uniform in [-1, 1), exact on every machine.
  double Symmetric() { return static_cast<double>(Next() >> 11) * 0x1p-52 - 1.0; }

 private:
  std::uint64_t state_;
};

// Positions to the millimetre and values to four decimals, as a field
// file holds them: the shortest text of such a double is its few decimals, and
// that text reads back to the same double.
inline double RoundedTo(double value, double perUnit) {
  return std::round(value * perUnit) / perUnit;
}

inline SurveyPoints MakeSurvey(int lines = kSurveyLines, int stations = kSurveyStations,
                               std::uint64_t seed = 20261208) {
  SurveyPoints survey;
  const std::size_t n = static_cast<std::size_t>(lines) * static_cast<std::size_t>(stations);
  // Held as a run holds its columns.
  ReserveOnLargePages(survey.x, n);
  ReserveOnLargePages(survey.y, n);
  ReserveOnLargePages(survey.q, n);
  SplitMix64 random(seed);
  for (int line = 0; line < lines; ++line) {
    for (int station = 0; station < stations; ++station) {
      const double x = station * 10.0 + random.Symmetric();
      const double y = line * 100.0 + random.Symmetric();
      const double anomaly = 35.0 * std::exp(-((x - 5200.0) * (x - 5200.0) +
                                               (y - 41000.0) * (y - 41000.0)) / 2.0e7);
      const double regional = 0.002 * x - 0.0005 * y + 12.0 * std::sin(y * 2.0e-4);
      survey.x.push_back(RoundedTo(x, 1000.0));
      survey.y.push_back(RoundedTo(y, 1000.0));
      survey.q.push_back(RoundedTo(anomaly + regional + 0.05 * random.Symmetric(), 10000.0));
    }
  }
  return survey;
}

}  // namespace zelvo::bench
