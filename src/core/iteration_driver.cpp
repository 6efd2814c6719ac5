#include "core/iteration_driver.h"

#include <cmath>
#include <optional>
#include <vector>

#include "base/file_names.h"
#include "base/run_observer.h"
#include "core/independent_passes.h"
#include "core/nearest_fit.h"
#include "core/radius_neighbours.h"
#include "core/result_writer.h"

namespace zelvo {
namespace {

enum class PointOutcome { kFitted, kPassedOver, kEndRun };

class Passes {
 public:
  Passes(IterationJob& job, RunObserver& observer) : job_(job), observer_(observer) {
    data_.cluster = job.cluster;
    data_.x = job.results->Column(kColX);
    data_.y = job.results->Column(kColY);
    data_.q = job.results->Column(kColQuantity);
    data_.searchRadius = job.searchRadius;
  }

  int Run();

 private:
  bool OpenFiles();
  int FirstIndependentPass() const;
  void KeepNeighboursForLaterPasses(int firstIndependent);
  int RunSequentialPasses(int passes);
  PointOutcome FitPoint(int k);
  bool Fit(int k);
  void Store(int k, int pass);
  int Fail();
  int WriteFailure();
  void ReportWriteFailure(bool resultFailed);

  IterationJob& job_;
  RunObserver& observer_;
  FitData data_;
  OutputFile resultFile_;
  OutputFile traceFile_;
  std::vector<double> distances_;
  std::optional<RadiusNeighbours> neighbours_;
};

bool Passes::OpenFiles() {
  const HeaderFields header{job_.inputFileName, job_.searchRadius, job_.iterations,
                            job_.objectText};
  const std::string headerLine = HeaderLine(header);
  const std::string& subset = job_.subsetFileName;
  // The subset may have been named after Calc's checks; neither file may
  // destroy what the run reads.
  if (OverwritesAnInput(job_.resultFileName, job_.inputFileName, subset) ||
      (!subset.empty() && OverwritesAnInput(job_.traceFileName, job_.inputFileName, subset))) {
    observer_.ShowMessage("Input and output file name must not be the same.");
    return false;
  }
  if (!job_.resultFileName.empty()) {
    if (!resultFile_.Open(job_.resultFileName)) {
      observer_.ShowFileFailure("Error by opening output file", job_.resultFileName,
                                resultFile_.Error());
      return false;
    }
    resultFile_.Write(headerLine);
    resultFile_.Write(kResultColumnsLine);
  }
  if (!subset.empty()) {
    if (!traceFile_.Open(job_.traceFileName)) {
      observer_.ShowFileFailure("Error by opening output trace file", job_.traceFileName,
                                traceFile_.Error());
      resultFile_.Close();
      return false;
    }
    traceFile_.Write(headerLine);
    traceFile_.Write(kTraceColumnsLine);
  }
  return true;
}

// False when the run must end: the N-nearest search could not be made.
bool Passes::Fit(int k) {
  const PointTable& points = *job_.points;
  const FitChoices choices = job_.choices->Fit();
  if (!job_.choices->NearestSearch()) {
    if (neighbours_) {
      neighbours_->Fit(k, points.x[k], points.y[k], points.quantity[k], *job_.fit);
    } else {
      FitPlaneRadius(data_, choices, *job_.centre, points.x[k], points.y[k], points.quantity[k],
                     *job_.fit);
    }
    return true;
  }
  const NearestCount N = job_.choices->Nearest();
  if (!N.failure.empty()) {
    observer_.ShowMessage(N.failure);
    return false;
  }
  if (FitPlaneNearest(data_, choices, N.value, *job_.centre, points.x[k], points.y[k],
                      points.quantity[k], *job_.fit, distances_) != 0) {
    observer_.ShowMessage("Not enough points for N nearest point search at point " +
                        observer_.NumberToText(points.point[k]));
    return false;
  }
  return true;
}

PointOutcome Passes::FitPoint(int k) {
  if (!Fit(k)) return PointOutcome::kEndRun;
  if (!job_.fit->Failed()) return PointOutcome::kFitted;
  const std::string question = "Error in SLE - Check coordinate of point " +
                               observer_.NumberToText(job_.points->point[k]) + ". Continue?";
  return observer_.Ask("Error", question) ? PointOutcome::kPassedOver : PointOutcome::kEndRun;
}

void Passes::Store(int k, int pass) {
  const PlaneFit& fit = *job_.fit;
  const PointTable& points = *job_.points;
  const double hgqx = fit.r[0];
  const double hgqy = fit.r[1];
  const double hgq = std::hypot(hgqx, hgqy);
  const double Rq = fit.r[2];
  const double rq = points.quantity[k] - Rq;
  if (points.traced[k] && (traceFile_.IsOpen() || job_.traceRecords != nullptr)) {
    const TraceRecord record{points.point[k], pass, hgqx, hgqy, hgq, Rq, rq, fit.npoints};
    if (traceFile_.IsOpen()) traceFile_.Write(TraceRecordLine(record));
    if (job_.traceRecords != nullptr) job_.traceRecords->push_back(record);
  }
  ResultTable& results = *job_.results;
  if (pass == job_.iterations) {
    if (resultFile_.IsOpen()) {
      resultFile_.Write(ResultRecordLine({points.x[k] - job_.shift.x, points.y[k] - job_.shift.y,
                                          points.point[k], points.quantity[k], hgqx, hgqy, hgq,
                                          Rq, rq, fit.npoints}));
    }
    results.column[kColHgqx][k] = hgqx;
    results.column[kColHgqy][k] = hgqy;
    results.column[kColHgq][k] = hgq;
    results.column[kColRq][k] = Rq;
    results.column[kColRqResidual][k] = rq;
    results.column[kColNpoints][k] = fit.npoints;
    results.recorded[k] = 1;
  } else if (job_.object == 0) {
    results.column[kColQuantity][k] = Rq;
  }
}

int Passes::Fail() {
  resultFile_.Close();
  traceFile_.Close();
  return 1;
}

int Passes::WriteFailure() {
  // Which file failed is known before closing the other can fail as well.
  const bool resultFailed = resultFile_.Failed();
  Fail();
  ReportWriteFailure(resultFailed);
  return 1;
}

// The window names neither file; the observer may name the one that failed.
void Passes::ReportWriteFailure(bool resultFailed) {
  const OutputFile& failed = resultFailed ? resultFile_ : traceFile_;
  const std::string& name = resultFailed ? job_.resultFileName : job_.traceFileName;
  observer_.ShowFileFailure("Error by writing output file", name, failed.Error());
}

// Only fixed choices make the fits of a pass independent of the order they
// are made in. Every pass of LGA fits the same planes; of RGA only the last
// pass leaves the working quantity alone.
int Passes::FirstIndependentPass() const {
  if (!job_.choices->Fixed()) return job_.iterations + 1;
  return job_.object == 0 ? job_.iterations : 0;
}

// A run of fixed choices that fits every point more than once by radius
// keeps each point's neighbours from its first fit on.
void Passes::KeepNeighboursForLaterPasses(int firstIndependent) {
  if (firstIndependent == 0 || !job_.choices->Fixed() || job_.choices->NearestSearch()) return;
  neighbours_.emplace(data_, job_.choices->Fit(), *job_.centre, job_.points->Size(),
                      DefaultLatticeBudget());
}

// Passes 0 .. passes-1, point by point in table order.
int Passes::RunSequentialPasses(int passes) {
  const int n = job_.points->Size();
  for (int pass = 0; pass < passes; ++pass) {
    for (int k = 0; k < n; ++k) {
      const PointOutcome outcome = FitPoint(k);
      if (outcome == PointOutcome::kEndRun) return Fail();
      if (outcome == PointOutcome::kFitted) Store(k, pass);
      if (k % 100 == 0) observer_.SetProgressPosition(ProgressPosition(pass, k, n, job_.iterations));
      // Handling the window's messages writes nothing, so a write failure is
      // known before them.
      if (resultFile_.Failed() || traceFile_.Failed()) return WriteFailure();
      if (StopAfterStep(*job_.stopRequested, observer_)) return Fail();
    }
  }
  return 0;
}

int Passes::Run() {
  if (!OpenFiles()) return 1;
  if (resultFile_.Failed() || traceFile_.Failed()) return WriteFailure();
  observer_.SetProgressRange(0, kProgressMaximum);
  observer_.SetProgressPosition(0);
  observer_.ProcessMessages();
  const int firstIndependent = FirstIndependentPass();
  KeepNeighboursForLaterPasses(firstIndependent);
  if (RunSequentialPasses(firstIndependent) != 0) return 1;
  if (firstIndependent <= job_.iterations) {
    const RadiusNeighbours* kept =
        neighbours_ && neighbours_->EveryPointKept() ? &*neighbours_ : nullptr;
    switch (RunIndependentPasses(job_, data_, firstIndependent, observer_, resultFile_,
                                 traceFile_, kept)) {
      case PassesEnd::kCompleted:
        break;
      case PassesEnd::kEnded:
        return Fail();
      case PassesEnd::kWriteFailed:
        return WriteFailure();
    }
  }
  const bool resultWritten = resultFile_.Close();
  const bool traceWritten = traceFile_.Close();
  if (!resultWritten || !traceWritten) {
    ReportWriteFailure(!resultWritten);
    return 1;
  }
  return 0;
}

}  // namespace

int ProgressPosition(int pass, int k, int n, int iterations) {
  const long long done = static_cast<long long>(pass) * n + k;
  const long long total = static_cast<long long>(iterations + 1) * n;
  return static_cast<int>(kProgressMaximum * done / total);
}

int RunIterations(IterationJob& job, RunObserver& observer) {
  Passes passes(job, observer);
  return passes.Run();
}

}  // namespace zelvo
