#include "core/fit_sweep.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <vector>

#include "base/run_observer.h"
#include "base/task_crew.h"
#include "core/nearest_fit.h"
#include "core/radius_batch.h"
#include "core/radius_neighbours.h"

namespace zelvo {
namespace {

constexpr std::chrono::milliseconds kPollInterval{40};

class Sweep {
 public:
  Sweep(const IterationJob& job, const FitData& data, const RadiusNeighbours* kept)
      : job_(job),
        data_(data),
        kept_(kept),
        n_(job.points->Size()),
        order_(job.cluster->LatticeOrder()),
        columns_{job.results->Column(kColHgqx), job.results->Column(kColHgqy),
                 job.results->Column(kColRq), job.results->Column(kColNpoints)} {
    std::fill(columns_.npoints, columns_.npoints + n_, kNotFitted);
  }

  int Points() const { return n_; }
  int Chunks() const { return (n_ + kSweepChunkPoints - 1) / kSweepChunkPoints; }
  void FitChunk(int chunk);
  int FirstUnfitted() const;
  // Once a point has no neighbourhood the run ends at the first such point in
  // table order; the threads leave off and the points before it are fitted
  // here, in that order. Returns the point after it, or n.
  int FittedUpToTheFirstFailure();

 private:
  int ChunkBegin(int chunk) const { return chunk * kSweepChunkPoints; }
  int ChunkEnd(int chunk) const { return std::min(n_, ChunkBegin(chunk) + kSweepChunkPoints); }
  void FitNearest(const std::int32_t* points, int count);
  void FitKept(const std::int32_t* points, int count);
  void Store(const PlaneFit& fit, int k) const {
    columns_.a[k] = fit.r[0];
    columns_.b[k] = fit.r[1];
    columns_.c[k] = fit.r[2];
    columns_.npoints[k] = fit.npoints;
  }

  const IterationJob& job_;
  const FitData& data_;
  const RadiusNeighbours* kept_;
  const int n_;
  // Every point once, cell by cell: the lattice's own index array.
  const std::int32_t* order_;
  const FitColumns columns_;
  std::atomic<bool> failed_{false};
  // Neighbouring chunks reach the same columns.
  LatticeCopies copies_;
};

void Sweep::FitChunk(int chunk) {
  const std::int32_t* points = order_ + ChunkBegin(chunk);
  const int count = ChunkEnd(chunk) - ChunkBegin(chunk);
  if (job_.choices->NearestSearch()) {
    FitNearest(points, count);
    return;
  }
  if (kept_ != nullptr) {
    FitKept(points, count);
    return;
  }
  const PointTable& table = *job_.points;
  LatticeCopy& copy = copies_.Take(ChunkBegin(chunk), ChunkEnd(chunk));
  FitRadiusBatch(data_, job_.choices->Fit(), *job_.centre, table.x.data(), table.y.data(),
                 table.quantity.data(), points, count, columns_, LaneChoice::kFastest, &copy);
  copies_.Give(copy);
}

void Sweep::FitNearest(const std::int32_t* points, int count) {
  const PointTable& table = *job_.points;
  const FitChoices choices = job_.choices->Fit();
  const int N = job_.choices->Nearest().value;
  // Each chunk its own: the search leaves its means in the centre.
  AreaCentre centre = *job_.centre;
  std::vector<double> distances;
  PlaneFit fit;
  for (int m = 0; m < count && !failed_.load(std::memory_order_relaxed); ++m) {
    const int k = points[m];
    if (FitPlaneNearest(data_, choices, N, centre, table.x[k], table.y[k], table.quantity[k], fit,
                        distances) != 0) {
      columns_.npoints[k] = kNoNeighbourhood;
      failed_ = true;
      return;
    }
    Store(fit, k);
  }
}

void Sweep::FitKept(const std::int32_t* points, int count) {
  const PointTable& table = *job_.points;
  PlaneFit fit;
  for (int m = 0; m < count; ++m) {
    const int k = points[m];
    kept_->FitKept(k, table.x[k], table.y[k], table.quantity[k], fit);
    Store(fit, k);
  }
}

int Sweep::FirstUnfitted() const {
  const double* npoints = columns_.npoints;
  return static_cast<int>(std::find(npoints, npoints + n_, kNotFitted) - npoints);
}

int Sweep::FittedUpToTheFirstFailure() {
  if (!failed_) return n_;
  failed_ = false;
  for (std::int32_t k = 0; k < n_; ++k) {
    if (columns_.npoints[k] == kNotFitted) FitNearest(&k, 1);
    if (columns_.npoints[k] == kNoNeighbourhood) return k + 1;
  }
  return n_;
}

}  // namespace

SweepOutcome SweepFits(const IterationJob& job, const FitData& data, int pass,
                       RunObserver& observer, const RadiusNeighbours* kept) {
  Sweep sweep(job, data, kept);
  const int n = sweep.Points();
  TaskCrew crew(job.threads, sweep.Chunks(), [&sweep](int chunk) { sweep.FitChunk(chunk); });
  while (!crew.WaitForAll(kPollInterval)) {
    const long long done = std::min<long long>(n, 1LL * crew.FinishedCount() * kSweepChunkPoints);
    observer.SetProgressPosition(ProgressPosition(pass, static_cast<int>(done), n, job.iterations));
    if (StopAfterStep(*job.stopRequested, observer)) {
      crew.Stop();
      return {sweep.FirstUnfitted(), true};
    }
  }
  return {sweep.FittedUpToTheFirstFailure(), false};
}

}  // namespace zelvo
