// Times our engine's fit passes over the benchmark survey on one thread.
//
//   survey_fits [--lines L] [--points-per-line M] [--radius R]... [--nearest N]
//               [--nearest-radius R] [--rga R] [--repeat K]
//
// Prints "KEY SECONDS # note" per pass; each time includes laying the lattice.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "survey/engine_passes.h"
#include "survey/pass_timing.h"

namespace {

struct Request {
  int lines = zelvo::bench::kSurveyLines;
  int stations = zelvo::bench::kSurveyStations;
  std::vector<double> radii;
  int nearest = 0;  // 0: no N-nearest pass
  double nearestRadius = 350.0;
  double rgaRadius = 0.0;  // 0: no RGA passes
  int repeats = 1;
};

std::optional<Request> ParseRequest(int argc, char** argv) {
  Request request;
  for (int k = 1; k + 1 < argc; k += 2) {
    const std::string option = argv[k];
    const char* value = argv[k + 1];
    if (option == "--lines") request.lines = std::atoi(value);
    else if (option == "--points-per-line") request.stations = std::atoi(value);
    else if (option == "--radius") request.radii.push_back(std::strtod(value, nullptr));
    else if (option == "--nearest") request.nearest = std::atoi(value);
    else if (option == "--nearest-radius") request.nearestRadius = std::strtod(value, nullptr);
    else if (option == "--rga") request.rgaRadius = std::strtod(value, nullptr);
    else if (option == "--repeat") request.repeats = std::atoi(value);
    else return std::nullopt;
  }
  if (argc % 2 == 0 || request.lines <= 0 || request.stations <= 0) return std::nullopt;
  for (double radius : request.radii) {
    if (!(radius > 0)) return std::nullopt;
  }
  return request;
}

std::string MeanNeighbours(const std::vector<double>& npoints) {
  double sum = 0;
  for (double count : npoints) sum += count;
  char text[64];
  std::snprintf(text, sizeof text, "%.1f neighbours per point",
                npoints.empty() ? 0.0 : sum / static_cast<double>(npoints.size()));
  return text;
}

// The first pass of RGA, which keeps each point's neighbours, and the next,
// which sums over them; the least of each over the repeats.
void TimeRgaPasses(const zelvo::bench::SurveyPoints& points, double radius, int repeats,
                   const std::string& size) {
  using namespace zelvo;
  using namespace zelvo::bench;
  SearchCluster cluster;
  BuildLattice(points, radius, cluster);
  PassResults results(points.Size());
  double first = INFINITY, next = INFINITY;
  for (int repeat = 0; repeat < std::max(1, repeats); ++repeat) {
    std::vector<double> q = points.q;
    RadiusNeighbours kept(FitData{&cluster, points.x.data(), points.y.data(), q.data(), radius},
                          FitChoices{}, AreaCentre{}, static_cast<int>(points.Size()),
                          DefaultLatticeBudget());
    first = std::min(first, MinimumSeconds(1, [&] { RgaPass(points, kept, q, results); }));
    next = std::min(next, MinimumSeconds(1, [&] { RgaPass(points, kept, q, results); }));
  }
  ReportSeconds("rga_first_" + std::to_string(std::lround(radius)), first, size);
  ReportSeconds("rga_next_" + std::to_string(std::lround(radius)), next, size);
}

}  // namespace

int main(int argc, char** argv) {
  const std::optional<Request> request = ParseRequest(argc, argv);
  if (!request) {
    std::fputs("usage: survey_fits [--lines L] [--points-per-line M] [--radius R]... "
               "[--nearest N] [--nearest-radius R] [--rga R] [--repeat K]\n", stderr);
    return 2;
  }
  using namespace zelvo::bench;
  const SurveyPoints points = MakeSurvey(request->lines, request->stations);
  const std::string size = std::to_string(points.Size()) + " points, one thread";
  PassResults results(points.Size());
  for (double radius : request->radii) {
    const double seconds =
        MinimumSeconds(request->repeats, [&] { RadiusPass(points, radius, results); });
    ReportSeconds(RadiusKey(radius), seconds,
                  size + ", " + MeanNeighbours(results.npoints));
  }
  if (request->nearest > 0) {
    const std::vector<std::int32_t> fileOrder = EveryNth(points.Size(), 1);
    const double seconds = MinimumSeconds(request->repeats, [&] {
      NearestFits(points, request->nearest, request->nearestRadius, fileOrder, results);
    });
    ReportSeconds(NearestKey(request->nearest, request->nearestRadius), seconds, size);
  }
  if (request->rgaRadius > 0) TimeRgaPasses(points, request->rgaRadius, request->repeats, size);
  return 0;
}
