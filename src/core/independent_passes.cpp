#include "core/independent_passes.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "base/run_observer.h"
#include "base/task_crew.h"
#include "core/fit_sweep.h"

namespace zelvo {
namespace {

// A block's records are formatted on one thread while others format the
// next blocks; a few blocks in flight keep the memory small.
constexpr int kBlockPoints = 4096;
// Short enough that a Stop ends the writing of a large result file within a
// few blocks; only fixed choices come here, whose observer answers at once.
constexpr std::chrono::milliseconds kPollInterval{5};

// What a pass does at a point beyond storing its fit.
enum class EventKind : std::uint8_t { kTraced, kSingular, kNoNeighbourhood };

struct PointEvent {
  int k;
  EventKind kind;
};

// The columns the last pass sets; a point without a record keeps zeros there.
constexpr int kFitResultColumns[] = {kColHgqx, kColHgqy, kColHgq, kColRq, kColRqResidual,
                                     kColNpoints};

struct BlockText {
  std::string result;
  std::string trace;
};

class IndependentPasses {
 public:
  IndependentPasses(IterationJob& job, const FitData& data, int firstPass, RunObserver& observer,
                    OutputFile& resultFile, OutputFile& traceFile, const RadiusNeighbours* kept)
      : job_(job),
        data_(data),
        kept_(kept),
        firstPass_(firstPass),
        lastPass_(job.iterations),
        n_(job.points->Size()),
        observer_(observer),
        resultFile_(resultFile),
        traceFile_(traceFile) {}

  PassesEnd Run();

 private:
  bool NearestCountGiven();
  void CollectEvents(int fitted);
  PassesEnd ReplayPass(int pass, const SweepOutcome& sweep);
  PassesEnd WriteLastPass(const SweepOutcome& sweep);
  // False when the run ends at the event's point.
  bool Answer(const PointEvent& event);
  // The record of a fitted point from its a, b, c and npoints.
  TraceRecord TraceRecordAt(int k, int pass) const;
  void FinishBlock(int from, int to);
  void FormatRecords(int from, int to, BlockText& text) const;
  bool WriteText(const BlockText& text);
  // Stop answered Yes; asks at most once in a poll interval.
  bool StopPolled(int pass, int k);
  // The points from k on were not completed: no results, as before the run.
  PassesEnd EndAt(int k);

  IterationJob& job_;
  const FitData& data_;
  const RadiusNeighbours* kept_;
  const int firstPass_;
  const int lastPass_;
  const int n_;
  RunObserver& observer_;
  OutputFile& resultFile_;
  OutputFile& traceFile_;
  std::vector<PointEvent> events_;
  std::chrono::steady_clock::time_point nextPoll_ =
      std::chrono::steady_clock::now() + kPollInterval;
};

bool IndependentPasses::NearestCountGiven() {
  if (!job_.choices->NearestSearch()) return true;
  const NearestCount N = job_.choices->Nearest();
  if (N.failure.empty()) return true;
  observer_.ShowMessage(N.failure);
  return false;
}

void IndependentPasses::CollectEvents(int fitted) {
  const ResultTable& results = *job_.results;
  const double* a = results.Column(kColHgqx);
  const double* npoints = results.Column(kColNpoints);
  const std::vector<std::uint8_t>& traced = job_.points->traced;
  for (int k = 0; k < fitted; ++k) {
    if (npoints[k] == kNoNeighbourhood) {
      events_.push_back({k, EventKind::kNoNeighbourhood});
    } else if (a[k] == kSingularMarker) {
      events_.push_back({k, EventKind::kSingular});
    } else if (traced[k]) {
      events_.push_back({k, EventKind::kTraced});
    }
  }
}

bool IndependentPasses::Answer(const PointEvent& event) {
  const double point = job_.points->point[event.k];
  switch (event.kind) {
    case EventKind::kTraced:
      return true;
    case EventKind::kNoNeighbourhood:
      observer_.ShowMessage("Not enough points for N nearest point search at point " +
                            observer_.NumberToText(point));
      return false;
    case EventKind::kSingular:
      break;
  }
  const std::string question =
      "Error in SLE - Check coordinate of point " + observer_.NumberToText(point) + ". Continue?";
  return observer_.Ask("Error", question);
}

TraceRecord IndependentPasses::TraceRecordAt(int k, int pass) const {
  const ResultTable& results = *job_.results;
  const double hgqx = results.column[kColHgqx][k];
  const double hgqy = results.column[kColHgqy][k];
  const double Rq = results.column[kColRq][k];
  return {job_.points->point[k], pass, hgqx, hgqy, std::hypot(hgqx, hgqy), Rq,
          job_.points->quantity[k] - Rq, results.column[kColNpoints][k]};
}

bool IndependentPasses::StopPolled(int pass, int k) {
  const auto now = std::chrono::steady_clock::now();
  if (now < nextPoll_) return false;
  nextPoll_ = now + kPollInterval;
  observer_.SetProgressPosition(ProgressPosition(pass, k, n_, job_.iterations));
  return StopAfterStep(*job_.stopRequested, observer_);
}

PassesEnd IndependentPasses::EndAt(int k) {
  ResultTable& results = *job_.results;
  for (int column : kFitResultColumns) {
    std::fill(results.column[column].begin() + k, results.column[column].end(), 0.0);
  }
  std::fill(results.recorded.begin() + k, results.recorded.end(), 0);
  return PassesEnd::kEnded;
}

// A pass before the last stores nothing: only its questions and trace records.
PassesEnd IndependentPasses::ReplayPass(int pass, const SweepOutcome& sweep) {
  for (const PointEvent& event : events_) {
    if (!Answer(event)) return EndAt(0);
    if (event.kind == EventKind::kTraced) {
      const TraceRecord record = TraceRecordAt(event.k, pass);
      if (traceFile_.IsOpen() && !traceFile_.Write(TraceRecordLine(record))) {
        return PassesEnd::kWriteFailed;
      }
      if (job_.traceRecords != nullptr) job_.traceRecords->push_back(record);
    }
    if (StopPolled(pass, event.k)) return EndAt(0);
  }
  // Stopped during the fits: this pass went no further.
  if (sweep.stopped) return EndAt(0);
  return PassesEnd::kCompleted;
}

void IndependentPasses::FinishBlock(int from, int to) {
  ResultTable& results = *job_.results;
  double* hgqx = results.Column(kColHgqx);
  double* hgqy = results.Column(kColHgqy);
  double* hgq = results.Column(kColHgq);
  double* Rq = results.Column(kColRq);
  double* rq = results.Column(kColRqResidual);
  double* npoints = results.Column(kColNpoints);
  const double* quantity = job_.points->quantity.data();
  for (int k = from; k < to; ++k) {
    if (npoints[k] == kNoNeighbourhood || hgqx[k] == kSingularMarker) {
      for (int column : kFitResultColumns) results.column[column][k] = 0.0;
      results.recorded[k] = 0;
      continue;
    }
    hgq[k] = std::hypot(hgqx[k], hgqy[k]);
    rq[k] = quantity[k] - Rq[k];
    results.recorded[k] = 1;
  }
}

void IndependentPasses::FormatRecords(int from, int to, BlockText& text) const {
  text.result.clear();
  text.trace.clear();
  const ResultTable& results = *job_.results;
  const PointTable& points = *job_.points;
  const auto value = [&results](int column, int k) { return results.column[column][k]; };
  for (int k = from; k < to; ++k) {
    if (!results.recorded[k]) continue;
    if (resultFile_.IsOpen()) {
      AppendResultRecord(text.result,
                         {points.x[k] - job_.shift.x, points.y[k] - job_.shift.y, points.point[k],
                          points.quantity[k], value(kColHgqx, k), value(kColHgqy, k),
                          value(kColHgq, k), value(kColRq, k), value(kColRqResidual, k),
                          value(kColNpoints, k)});
    }
    if (traceFile_.IsOpen() && points.traced[k]) {
      AppendTraceRecord(text.trace, TraceRecordAt(k, lastPass_));
    }
  }
}

bool IndependentPasses::WriteText(const BlockText& text) {
  if (!text.result.empty()) resultFile_.Write(text.result);
  if (!text.trace.empty()) traceFile_.Write(text.trace);
  return !resultFile_.Failed() && !traceFile_.Failed();
}

PassesEnd IndependentPasses::WriteLastPass(const SweepOutcome& sweep) {
  const int blocks = (sweep.fitted + kBlockPoints - 1) / kBlockPoints;
  const int window = std::max(job_.threads, 1) + 2;
  std::vector<BlockText> texts(static_cast<std::size_t>(window));
  const auto blockBegin = [](int b) { return b * kBlockPoints; };
  const auto blockEnd = [&sweep](int b) { return std::min(sweep.fitted, (b + 1) * kBlockPoints); };
  TaskCrew crew(
      job_.threads, blocks,
      [&](int b) {
        FinishBlock(blockBegin(b), blockEnd(b));
        FormatRecords(blockBegin(b), blockEnd(b), texts[static_cast<std::size_t>(b % window)]);
      },
      window);
  auto event = events_.begin();
  for (int b = 0; b < blocks; ++b) {
    while (!crew.WaitFor(b, kPollInterval)) {
      if (StopPolled(lastPass_, blockBegin(b))) {
        crew.Stop();
        return EndAt(blockBegin(b));
      }
    }
    BlockText& text = texts[static_cast<std::size_t>(b % window)];
    for (; event != events_.end() && event->k < blockEnd(b); ++event) {
      if (!Answer(*event)) {
        crew.Stop();
        FormatRecords(blockBegin(b), event->k, text);
        return WriteText(text) ? EndAt(event->k) : PassesEnd::kWriteFailed;
      }
      if (event->kind == EventKind::kTraced && job_.traceRecords != nullptr) {
        job_.traceRecords->push_back(TraceRecordAt(event->k, lastPass_));
      }
    }
    if (!WriteText(text)) return PassesEnd::kWriteFailed;
    crew.AllowUpTo(b + window + 1);
    if (StopPolled(lastPass_, blockEnd(b))) {
      crew.Stop();
      return EndAt(blockEnd(b));
    }
  }
  return sweep.stopped ? EndAt(sweep.fitted) : PassesEnd::kCompleted;
}

PassesEnd IndependentPasses::Run() {
  if (n_ == 0) return PassesEnd::kCompleted;
  if (!NearestCountGiven()) return EndAt(0);
  const SweepOutcome sweep = SweepFits(job_, data_, firstPass_, observer_, kept_);
  CollectEvents(sweep.fitted);
  for (int pass = firstPass_; pass < lastPass_; ++pass) {
    const PassesEnd end = ReplayPass(pass, sweep);
    if (end != PassesEnd::kCompleted) return end;
  }
  return WriteLastPass(sweep);
}

}  // namespace

PassesEnd RunIndependentPasses(IterationJob& job, const FitData& data, int firstPass,
                               RunObserver& observer, OutputFile& resultFile,
                               OutputFile& traceFile, const RadiusNeighbours* kept) {
  IndependentPasses passes(job, data, firstPass, observer, resultFile, traceFile, kept);
  return passes.Run();
}

}  // namespace zelvo
