// A peer for the fit passes: the same plane fits, centred to the point of
// calculation and leaving that point out, found with a kd-tree (nanoflann)
// instead of our lattice, on one thread or several. It is not our engine and
// need not match it bit for bit; it checks on a sample that its gradients
// agree with ours and fails when they do not.
//
//   kdtree_fits [--lines L] [--points-per-line M] [--radius R]... [--nearest N]
//               [--nearest-radius R] [--threads T]... [--repeat K] [--sample S]
//
// Prints "KEY_tT SECONDS # note" per pass and thread count; each time
// includes building the tree, which is done on one thread.

#include <nanoflann.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "survey/engine_passes.h"
#include "survey/pass_timing.h"

namespace {

using zelvo::bench::SurveyPoints;

constexpr double kSelfSquared = 1e-12;  // the point of calculation: nearer than 1e-6

struct PointCloud {
  const SurveyPoints& points;
  std::size_t kdtree_get_point_count() const { return points.Size(); }
  double kdtree_get_pt(std::size_t k, std::size_t axis) const {
    return axis == 0 ? points.x[k] : points.y[k];
  }
  template <typename Box>
  bool kdtree_get_bbox(Box&) const { return false; }
};

using KdTree = nanoflann::KDTreeSingleIndexAdaptor<
    nanoflann::L2_Simple_Adaptor<double, PointCloud>, PointCloud, 2, std::uint32_t>;

// Z = a X + b Y + c by its normal equations, solved by Gauss-Jordan on the
// diagonal; a is NaN when fewer than three points or a zero pivot.
struct PlaneSums {
  double A[3][3] = {};
  double r[3] = {};

  void Add(double X, double Y, double Z) {
    const double row[3] = {X, Y, 1.0};
    for (int i = 0; i < 3; ++i) {
      for (int j = 0; j < 3; ++j) A[i][j] += row[i] * row[j];
      r[i] += row[i] * Z;
    }
  }
  bool Solve() {
    if (A[2][2] < 3.0) return false;
    for (int i = 0; i < 3; ++i) {
      const double pivot = A[i][i];
      if (pivot == 0.0) return false;
      for (int k = 0; k < 3; ++k) A[i][k] /= pivot;
      r[i] /= pivot;
      for (int j = 0; j < 3; ++j) {
        if (j == i) continue;
        const double f = A[j][i];
        for (int k = 0; k < 3; ++k) A[j][k] -= A[i][k] * f;
        r[j] -= r[i] * f;
      }
    }
    return true;
  }
};

struct Gradients {
  std::vector<double> a, b, npoints;
  explicit Gradients(std::size_t n) : a(n), b(n), npoints(n) {}
  void Set(std::size_t k, PlaneSums& sums) {
    npoints[k] = sums.A[2][2];
    const bool solved = sums.Solve();
    a[k] = solved ? sums.r[0] : NAN;
    b[k] = solved ? sums.r[1] : NAN;
  }
};

// Sums the plane fit straight from the tree's visit, with no list of
// neighbours in between.
class RadiusSums {
 public:
  RadiusSums(const SurveyPoints& points, std::size_t k, double radius)
      : points_(points), x0_(points.x[k]), y0_(points.y[k]), q0_(points.q[k]),
        squaredRadius_(radius * radius) {}

  std::size_t size() const { return count_; }
  bool full() const { return true; }
  double worstDist() const { return squaredRadius_; }
  bool addPoint(double squared, std::uint32_t index) {
    if (squared < squaredRadius_ && squared >= kSelfSquared) {
      sums_.Add(points_.x[index] - x0_, points_.y[index] - y0_, points_.q[index] - q0_);
      ++count_;
    }
    return true;
  }
  PlaneSums& Sums() { return sums_; }

 private:
  const SurveyPoints& points_;
  double x0_, y0_, q0_;
  double squaredRadius_;
  PlaneSums sums_;
  std::size_t count_ = 0;
};

void RadiusRange(const KdTree& tree, const SurveyPoints& points, double radius, std::size_t begin,
                 std::size_t end, Gradients& out) {
  for (std::size_t k = begin; k < end; ++k) {
    RadiusSums visit(points, k, radius);
    const double query[2] = {points.x[k], points.y[k]};
    tree.findNeighbors(visit, query, nanoflann::SearchParams());
    out.Set(k, visit.Sums());
  }
}

// The N+1 nearest, the point itself among them, which is left out.
void NearestRange(const KdTree& tree, const SurveyPoints& points, int n, std::size_t begin,
                  std::size_t end, Gradients& out) {
  std::vector<std::uint32_t> indices(static_cast<std::size_t>(n) + 1);
  std::vector<double> squared(indices.size());
  for (std::size_t k = begin; k < end; ++k) {
    const double query[2] = {points.x[k], points.y[k]};
    const std::size_t found = tree.knnSearch(query, indices.size(), indices.data(), squared.data());
    PlaneSums sums;
    int taken = 0;
    for (std::size_t m = 0; m < found && taken < n; ++m) {
      if (squared[m] < kSelfSquared) continue;
      const std::uint32_t j = indices[m];
      sums.Add(points.x[j] - points.x[k], points.y[j] - points.y[k], points.q[j] - points.q[k]);
      ++taken;
    }
    out.Set(k, sums);
  }
}

// Runs range(begin, end) over the points split evenly among the threads.
template <typename Range>
void OnThreads(int threads, std::size_t n, Range range) {
  std::vector<std::thread> workers;
  for (int t = 0; t < threads; ++t) {
    const std::size_t begin = n * t / threads;
    const std::size_t end = n * (t + 1) / threads;
    workers.emplace_back([=] { range(begin, end); });
  }
  for (std::thread& worker : workers) worker.join();
}

// The largest difference of the gradient vectors over the sample, relative
// to the length of ours.
double LargestGradientDifference(const Gradients& peer, const zelvo::bench::PassResults& ours,
                                 const std::vector<std::int32_t>& sample) {
  double largest = 0;
  for (const std::int32_t k : sample) {
    const double length = std::hypot(ours.a[k], ours.b[k]);
    const double difference = std::hypot(peer.a[k] - ours.a[k], peer.b[k] - ours.b[k]);
    const double relative = difference / length;
    if (!(relative <= largest)) largest = relative;  // NaN wins
  }
  return largest;
}

struct Request {
  int lines = zelvo::bench::kSurveyLines;
  int stations = zelvo::bench::kSurveyStations;
  std::vector<double> radii;
  int nearest = 0;
  double nearestRadius = 350.0;
  std::vector<int> threads;
  int repeats = 1;
  int sample = 2000;
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
    else if (option == "--threads") request.threads.push_back(std::atoi(value));
    else if (option == "--repeat") request.repeats = std::atoi(value);
    else if (option == "--sample") request.sample = std::atoi(value);
    else return std::nullopt;
  }
  if (request.threads.empty()) request.threads.push_back(1);
  const bool valid = argc % 2 == 1 && request.lines > 0 && request.stations > 0 &&
                     request.sample > 0 && request.nearest >= 0 &&
                     std::all_of(request.threads.begin(), request.threads.end(),
                                 [](int t) { return t > 0; }) &&
                     std::all_of(request.radii.begin(), request.radii.end(),
                                 [](double r) { return r > 0; });
  if (!valid) return std::nullopt;
  return request;
}

constexpr double kAgreement = 1e-9;

// Reports the check; false when the peer's gradients are off.
bool ReportAgreement(const std::string& key, double largest) {
  std::printf("agreement_%s %.3g # largest |gradient difference| / |our gradient| on the sample\n",
              key.c_str(), largest);
  if (largest <= kAgreement) return true;
  std::fprintf(stderr, "kdtree_fits: %s gradients differ from ours by %.3g\n", key.c_str(),
               largest);
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  const std::optional<Request> request = ParseRequest(argc, argv);
  if (!request) {
    std::fputs("usage: kdtree_fits [--lines L] [--points-per-line M] [--radius R]... "
               "[--nearest N] [--nearest-radius R] [--threads T]... [--repeat K] "
               "[--sample S]\n", stderr);
    return 2;
  }
  using namespace zelvo::bench;
  const SurveyPoints points = MakeSurvey(request->lines, request->stations);
  const PointCloud cloud{points};
  std::optional<KdTree> tree;
  const double buildSeconds = MinimumSeconds(1, [&] {
    tree.emplace(2, cloud, nanoflann::KDTreeSingleIndexAdaptorParams(10));
    tree->buildIndex();
  });
  ReportSeconds("tree", buildSeconds, "building the kd-tree, one thread");
  Gradients peer(points.Size());
  PassResults ours(points.Size());
  const std::vector<std::int32_t> sample =
      EveryNth(points.Size(), std::max<std::size_t>(1, points.Size() / request->sample));
  bool agree = true;
  const auto timeOnThreads = [&](const std::string& key, auto range) {
    for (int threads : request->threads) {
      const double seconds = MinimumSeconds(
          request->repeats, [&] { OnThreads(threads, points.Size(), range); });
      ReportSeconds(key + "_t" + std::to_string(threads), buildSeconds + seconds,
                    std::to_string(threads) + " thread(s), tree build included");
    }
  };
  for (double radius : request->radii) {
    timeOnThreads(RadiusKey(radius), [&](std::size_t begin, std::size_t end) {
      RadiusRange(*tree, points, radius, begin, end, peer);
    });
    RadiusFitsAt(points, radius, sample, ours);
    agree &= ReportAgreement(RadiusKey(radius), LargestGradientDifference(peer, ours, sample));
  }
  if (request->nearest > 0) {
    const std::string key = NearestKey(request->nearest, request->nearestRadius);
    timeOnThreads(key, [&](std::size_t begin, std::size_t end) {
      NearestRange(*tree, points, request->nearest, begin, end, peer);
    });
    NearestFits(points, request->nearest, request->nearestRadius, sample, ours);
    agree &= ReportAgreement(key, LargestGradientDifference(peer, ours, sample));
  }
  return agree ? 0 : 1;
}
