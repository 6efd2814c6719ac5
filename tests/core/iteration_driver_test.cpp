#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <sstream>

#include "app/calc_command.h"
#include "app/headless_window.h"
#include "app/run_state.h"
#include "core/iteration_driver.h"
#include "core/result_writer.h"
#include "io/trace_subset_reader.h"
#include "support/temp_dir.h"

namespace zelvo {
namespace {

using testing::ReadFile;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// A wavy field over a 12 x 12 lattice, 1 m apart; ids 1000 + index.
std::string WavyField(int side = 12) {
  std::ostringstream out;
  for (int i = 0; i < side * side; ++i) {
    const int gx = i % side, gy = i / side;
    out << gx - 3 << " " << gy << " " << 1000 + i << " " << (gx * gx) % 7 + gy * 0.5 << "\n";
  }
  return out.str();
}

class Run : public ::testing::Test {
 protected:
  void SetUp() override {
    window.SetText(Control::txt_in, dir.Write("in.dat", WavyField()));
    window.SetText(Control::txt_out, dir.File("out.dat"));
    window.SetText(Control::txt_radius, "1.5");
  }
  CalcOutcome Calc() { return btn_calcClick(state, window); }
  std::vector<std::string> ResultLines() { return Lines(ReadFile(dir.File("out.dat"))); }
  std::vector<std::string> TraceLines() { return Lines(ReadFile(dir.File("out_trace_out.xyz"))); }

  testing::TempDir dir;
  HeadlessWindow window;
  RunState state;
};

TEST(ResultFormat, HeaderColumnsAndRecordsByteForByte) {
  EXPECT_EQ(HeaderLine({"a.dat", 500, 3, "RGA"}), "Map: a.dat  Radius:    500  Iter:   3  Object: RGA\n");
  EXPECT_EQ(HeaderLine({"a", 0.4, 0, "LGA"}), "Map: a  Radius:      0  Iter:   0  Object: LGA\n");
  EXPECT_EQ(HeaderLine({"a", 28.5, 0, "RGA"}).substr(8, 15), "Radius:     28 ");
  EXPECT_EQ(std::string(kResultColumnsLine).size(), 125u);
  EXPECT_EQ(std::string(kTraceColumnsLine).size(), 89u);
  const std::string record =
      ResultRecordLine({-23.06, 84.65, 17, 214.9755, 1.9997314, 2.99966, 3.605119, 214.9559, 0.0196, 8});
  EXPECT_EQ(record,
            "     -23.1       84.7       17.0    214.976      1.999731      2.999660      3.605119"
            "    214.955900      0.019600          8\n");
  EXPECT_EQ(TraceRecordLine({17, 2, 1, -2, 3, 4, -5, 10}),
            "    17.000          2   1.000000  -2.000000   3.000000   4.000000  -5.000000         10\n");
  EXPECT_EQ(ResultRecordLine({1e12, 0, 0, 0, 0, 0, 0, 0, 0, 0}).substr(0, 16), "1000000000000.0 ")
      << "a wide value widens the line";
}

TEST_F(Run, PlaneWorkedByHand) {
  window.SetText(Control::txt_in, dir.Write("plane.dat", "0 0 1 0\n1 0 2 1\n0 1 3 2\n1 1 4 3\n5 5 5 0\n"));
  window.SetText(Control::txt_log, dir.Write("subset.dat", "0 0 4 0\n"));
  window.SetAnswerRule([](auto, auto) { return true; });
  ASSERT_EQ(Calc(), CalcOutcome::kCompleted);
  const std::vector<std::string> lines = ResultLines();
  ASSERT_EQ(lines.size(), 6u) << "the isolated point is passed over";
  EXPECT_EQ(lines[0], "Map: " + dir.File("plane.dat") + "  Radius:      2  Iter:   0  Object: RGA");
  EXPECT_EQ(lines[2], "       0.0        0.0        1.0      0.000      1.000000      2.000000      2.236068"
                      "      0.000000      0.000000          3");
  EXPECT_EQ(lines[5], "       1.0        1.0        4.0      3.000      1.000000      2.000000      2.236068"
                      "      3.000000      0.000000          3");
  ASSERT_EQ(window.Messages().size(), 1u);
  EXPECT_EQ(window.Messages()[0].caption, "Error");
  EXPECT_EQ(window.Messages()[0].text, "Error in SLE - Check coordinate of point 5. Continue?");
  EXPECT_EQ(state.results.column[kColHgqx][4], 0.0);
  EXPECT_EQ(state.results.column[kColNpoints][3], 3.0);
  const std::vector<std::string> trace = TraceLines();
  ASSERT_EQ(trace.size(), 3u);
  EXPECT_EQ(trace[2], "     4.000          0   1.000000   2.000000   2.236068   3.000000   0.000000          3");
}

TEST_F(Run, RgaPassesFitOverThePreviousPassInPlace) {
  window.SetText(Control::txt_iter, "2");
  window.SetText(Control::txt_log, dir.Write("subset.dat", "0 0 1005 0\n0 0 1100 0\n"));
  ASSERT_EQ(Calc(), CalcOutcome::kCompleted);
  const std::vector<std::string> lines = ResultLines();
  EXPECT_EQ(lines.size(), 2u + 144u);
  EXPECT_EQ(TraceLines().size(), 2u + 2u * 3u);

  // Replay the passes by hand over a copy of the rows.
  HeadlessWindow quiet;
  RunState replay;
  ASSERT_EQ(ReadPointFile(dir.File("in.dat"), {}, '.', quiet, replay.points, replay.results), 0);
  SearchCluster& lattice = replay.cluster;
  const DataExtent& e = replay.points.extent;
  ASSERT_EQ(kLatticeBuilt, lattice.Build(replay.results.Column(0), replay.results.Column(1), 144, 0.15, e.xmin,
                            e.xmax, e.ymin, e.ymax, std::uint64_t{1} << 30));
  const FitData data{&lattice, replay.results.Column(0), replay.results.Column(1),
                     replay.results.Column(2), 1.5};
  std::vector<double> lastRq(144);
  for (int pass = 0; pass <= 2; ++pass) {
    for (int k = 0; k < 144; ++k) {
      PlaneFit fit;
      FitPlaneRadius(data, FitChoices{}, replay.points.centre, replay.points.table.x[k],
                     replay.points.table.y[k], replay.points.table.quantity[k], fit);
      if (pass < 2) replay.results.column[kColQuantity][k] = fit.r[2];
      lastRq[k] = fit.r[2];
    }
  }
  for (int k = 0; k < 144; ++k) {
    ASSERT_EQ(state.results.column[kColRq][k], lastRq[k]) << k;
    ASSERT_EQ(state.results.column[kColQuantity][k], replay.results.column[kColQuantity][k]);
  }

  // LGA repeats pass 0: its records equal those of no iterations.
  window.SetText(Control::cb_iter, "LGA");
  ASSERT_EQ(Calc(), CalcOutcome::kCompleted);
  std::vector<std::string> lga = ResultLines();
  window.SetText(Control::txt_iter, "0");
  ASSERT_EQ(Calc(), CalcOutcome::kCompleted);
  std::vector<std::string> single = ResultLines();
  lga.erase(lga.begin());
  single.erase(single.begin());
  EXPECT_EQ(lga, single);
}

TEST_F(Run, StopAnsweredYesAndNo) {
  int points = 0;
  window.SetMessageHook([&] {
    if (++points == 50) btn_stopClick(state);
  });
  window.SetText(Control::txt_iter, "3");
  window.SetAnswerRule([](auto, std::string_view text) { return text != "Cancel calculation?"; });
  EXPECT_EQ(Calc(), CalcOutcome::kCompleted) << "No goes on";
  EXPECT_TRUE(state.resultsValid);
  EXPECT_EQ(ResultLines().size(), 146u);

  points = 0;
  window.SetAnswerRule([](auto, auto) { return true; });
  EXPECT_EQ(Calc(), CalcOutcome::kFailed);
  EXPECT_EQ(ResultLines().size(), 2u) << "stopped in pass 0: only the header lines";
  EXPECT_FALSE(state.resultsValid);
  EXPECT_FALSE(state.stopRequested);
  EXPECT_EQ(window.Messages().back().caption, "Warning");
  EXPECT_TRUE(window.Enabled(Control::btn_calc));
}

TEST_F(Run, SingularAnsweredNoKeepsTheRecordsDoneSoFar) {
  window.SetText(Control::txt_in, dir.Write("gap.dat", "0 0 1 0\n1 0 2 1\n0 1 3 2\n1 1 4 3\n9 9 5 0\n0 2 6 1\n"));
  window.SetAnswerRule([](auto, auto) { return false; });
  EXPECT_EQ(Calc(), CalcOutcome::kFailed);
  EXPECT_EQ(ResultLines().size(), 2u + 4u);
}

TEST_F(Run, ProgressPositionsEveryHundredPoints) {
  EXPECT_EQ(ProgressPosition(1, 200, 250, 1), 9000);
  std::ostringstream field;
  for (int i = 0; i < 250; ++i) field << i % 25 << " " << i / 25 << " " << i << " " << i % 3 << "\n";
  window.SetText(Control::txt_in, dir.Write("p.dat", field.str()));
  window.SetText(Control::txt_iter, "1");
  ASSERT_EQ(Calc(), CalcOutcome::kCompleted);
  EXPECT_EQ(window.ProgressHistory(), (std::vector<int>{0, 0, 0, 2000, 4000, 5000, 7000, 9000}));
}

TEST_F(Run, FileFailuresEndTheRun) {
  window.SetText(Control::txt_out, dir.File("no/such/folder/out.dat"));
  EXPECT_EQ(Calc(), CalcOutcome::kFailed);
  EXPECT_EQ(window.Messages().back().text, "Error by opening output file");

  window.SetText(Control::txt_out, dir.File("out.dat"));
  window.SetText(Control::txt_log, dir.Write("subset.dat", "0 0 1000 0\n"));
  ASSERT_TRUE(std::filesystem::create_directory(dir.File("out_trace_out.xyz")));
  EXPECT_EQ(Calc(), CalcOutcome::kFailed);
  EXPECT_EQ(window.Messages().back().text, "Error by opening output trace file");

  window.SetText(Control::txt_log, "");
  window.SetText(Control::txt_out, "/dev/full");
  EXPECT_EQ(Calc(), CalcOutcome::kFailed);
  EXPECT_EQ(window.Messages().back().text, "Error by writing output file");
  EXPECT_FALSE(state.resultsValid);
}

TEST_F(Run, NearestSearchFailuresAreReported) {
  window.SetItemIndex(Control::rg_nearest, 1);
  window.SetText(Control::txt_n, "500");
  EXPECT_EQ(Calc(), CalcOutcome::kFailed);
  EXPECT_EQ(window.Messages().back().text, "Not enough points for N nearest point search at point 1000");
  window.SetText(Control::txt_n, "0");
  EXPECT_EQ(Calc(), CalcOutcome::kFailed);
  EXPECT_EQ(window.Messages().back().text, "Number of nearest points must be at least 1");
  window.SetText(Control::txt_n, "ten");
  EXPECT_EQ(Calc(), CalcOutcome::kFailed);
  EXPECT_EQ(window.Messages().back().text, "'ten' is not a valid integer value");
  EXPECT_EQ(ResultLines().size(), 2u);
  window.SetText(Control::txt_n, "8");
  EXPECT_EQ(Calc(), CalcOutcome::kCompleted);
  EXPECT_EQ(ResultLines().size(), 146u);
}

// A job over a file's points, run straight through the driver with fixed
// choices, as the batch tool and the scripting module run it.
class Job : public ::testing::Test {
 protected:
  void Load(const std::string& field, const std::string& subset = {}, double cellSize = 0.15) {
    const std::string input = dir.Write("in.dat", field);
    ASSERT_EQ(ReadPointFile(input, {}, '.', quiet, state.points, state.results), 0);
    if (!subset.empty()) {
      ASSERT_EQ(ReadTraceSubset(dir.Write("subset.dat", subset), {}, '.', quiet,
                                state.points.table), 0);
    }
    const DataExtent& e = state.points.extent;
    ASSERT_EQ(kLatticeBuilt, state.cluster.Build(state.results.Column(kColX),
                                                 state.results.Column(kColY), state.results.Size(),
                                                 cellSize, e.xmin, e.xmax, e.ymin, e.ymax,
                                                 std::uint64_t{1} << 30));
    job.points = &state.points.table;
    job.results = &state.results;
    job.cluster = &state.cluster;
    job.fit = &state.fit;
    job.centre = &state.points.centre;
    job.inputFileName = input;
    job.searchRadius = 1.5;
    job.objectText = "RGA";
    job.choices = &choices;
    job.stopRequested = &state.stopRequested;
  }

  testing::TempDir dir;
  HeadlessWindow quiet;
  RunState state;
  FixedChoices choices{FitChoices{}, false, 0};
  IterationJob job;
};

TEST_F(Job, TraceRecordsAndTheTableWithoutAResultFile) {
  Load(WavyField(), "0 0 1005 0\n0 0 1100 0\n");
  job.iterations = 2;
  std::vector<TraceRecord> traced;
  job.traceRecords = &traced;
  job.resultFileName = dir.File("out.dat");
  job.traceFileName = dir.File("trace.dat");
  job.subsetFileName = dir.File("subset.dat");
  ASSERT_EQ(RunIterations(job, quiet), 0);
  const std::vector<std::string> traceLines = Lines(ReadFile(dir.File("trace.dat")));
  ASSERT_EQ(traced.size(), 6u);
  ASSERT_EQ(traceLines.size(), 2u + traced.size());
  for (std::size_t i = 0; i < traced.size(); ++i) {
    EXPECT_EQ(TraceRecordLine(traced[i]), traceLines[2 + i] + "\n") << i;
  }
  EXPECT_EQ(traced[0].pass, 0);
  EXPECT_EQ(traced[1].point, 1100.0) << "table order within a pass";
  const std::vector<std::string> resultLines = Lines(ReadFile(dir.File("out.dat")));
  const std::vector<double> hgq = state.results.column[kColHgq];

  // No file named: nothing written, the same table and records.
  Load(WavyField(), "0 0 1005 0\n0 0 1100 0\n");
  job.resultFileName.clear();
  job.subsetFileName.clear();
  std::vector<TraceRecord> again;
  job.traceRecords = &again;
  std::filesystem::remove(dir.File("out.dat"));
  ASSERT_EQ(RunIterations(job, quiet), 0);
  EXPECT_FALSE(std::filesystem::exists(dir.File("out.dat")));
  EXPECT_EQ(state.results.column[kColHgq], hgq);
  EXPECT_EQ(std::count(state.results.recorded.begin(), state.results.recorded.end(), 1), 144);
  ASSERT_EQ(again.size(), traced.size());
  for (std::size_t i = 0; i < traced.size(); ++i) {
    EXPECT_EQ(TraceRecordLine(again[i]), TraceRecordLine(traced[i])) << i;
  }
  EXPECT_EQ(resultLines.size(), 146u);
}

// The same choices, as live as the window's: the run fits point by point.
class LiveCopy : public LiveChoices {
 public:
  explicit LiveCopy(const LiveChoices& choices) : choices_(choices) {}
  FitChoices Fit() const override { return choices_.Fit(); }
  bool NearestSearch() const override { return choices_.NearestSearch(); }
  NearestCount Nearest() const override { return choices_.Nearest(); }

 private:
  const LiveChoices& choices_;
};

// What a run leaves behind that must not depend on how its fits were made.
struct RunTraces {
  int status = 0;
  std::string result, trace;
  std::vector<std::string> messages;
  std::vector<std::string> traced;
  ResultTable table;
};

// A 150 x 150 lattice 1 m apart with a lone point, far from all, after every
// 5000th: more chunks and blocks than threads, and singular fits among them.
std::string FieldWithLonePoints() {
  std::ostringstream out;
  int id = 1;
  for (int i = 0; i < 150 * 150; ++i) {
    const int gx = i % 150, gy = i / 150;
    out << gx << " " << gy << " " << id++ << " " << std::sin(gx * 0.3) * gy * 0.1 + (gx * gy) % 5 << "\n";
    if (i % 5000 == 4999) out << 300 + i / 1000 << " " << 280 << " " << id++ << " 1.5\n";
  }
  return out.str();
}

class SameForEveryThreadCount : public Job {
 protected:
  RunTraces RunWith(bool live, int threads, bool continueAfterSingular) {
    Load(FieldWithLonePoints(), "0 0 2 0\n0 0 5001 0\n0 0 5002 0\n0 0 22000 0\n", 0.5);
    job.iterations = iterations;
    job.object = object;
    job.threads = threads;
    job.resultFileName = dir.File("out.dat");
    job.traceFileName = dir.File("trace.dat");
    job.subsetFileName = dir.File("subset.dat");
    job.searchRadius = 1.5;
    std::vector<TraceRecord> records;
    job.traceRecords = &records;
    const LiveCopy liveCopy(*chosen);
    job.choices = live ? static_cast<const LiveChoices*>(&liveCopy) : chosen;
    HeadlessWindow window;
    window.SetAnswerRule([=](auto, auto) { return continueAfterSingular; });
    RunTraces traces;
    traces.status = RunIterations(job, window);
    traces.result = ReadFile(dir.File("out.dat"));
    traces.trace = ReadFile(dir.File("trace.dat"));
    for (const RecordedMessage& m : window.Messages()) {
      traces.messages.push_back(m.caption + ": " + m.text + (m.answer ? " Yes" : " No"));
    }
    for (const TraceRecord& record : records) traces.traced.push_back(TraceRecordLine(record));
    traces.table = state.results;
    return traces;
  }

  void ExpectSameForEveryThreadCount(bool continueAfterSingular) {
    const RunTraces sequential = RunWith(true, 1, continueAfterSingular);
    for (int threads : {1, 2, 3}) {
      SCOPED_TRACE("threads " + std::to_string(threads) + ", object " + std::to_string(object) +
                   ", iterations " + std::to_string(iterations));
      const RunTraces run = RunWith(false, threads, continueAfterSingular);
      EXPECT_EQ(run.status, sequential.status);
      EXPECT_TRUE(run.result == sequential.result) << "result files differ";
      EXPECT_EQ(run.trace, sequential.trace);
      EXPECT_EQ(run.messages, sequential.messages);
      EXPECT_EQ(run.traced, sequential.traced);
      EXPECT_TRUE(run.table.column == sequential.table.column) << "result columns differ";
      EXPECT_TRUE(run.table.recorded == sequential.table.recorded);
    }
  }

  int iterations = 0;
  int object = 0;
  const LiveChoices* chosen = &choices;
};

TEST_F(SameForEveryThreadCount, RadiusFitsOfEitherObjectWithIterations) {
  for (const auto& [passes, lga] : {std::pair{0, 0}, {2, 0}, {2, 1}}) {
    iterations = passes;
    object = lga;
    ExpectSameForEveryThreadCount(true);
  }
  const RunTraces run = RunWith(false, 2, true);
  EXPECT_EQ(std::count(run.messages.begin(), run.messages.end(),
                       "Error: Error in SLE - Check coordinate of point 5001. Continue? Yes"), 3)
      << "LGA asks again in every pass";
}

TEST_F(SameForEveryThreadCount, SingularFitAnsweredNoEndsEveryPassAlike) {
  for (const auto& [passes, lga] : {std::pair{0, 0}, {1, 0}, {1, 1}}) {
    iterations = passes;
    object = lga;
    ExpectSameForEveryThreadCount(false);
  }
  iterations = 0;
  const RunTraces run = RunWith(false, 3, false);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(std::count(run.result.begin(), run.result.end(), '\n'), 2 + 5000);
  EXPECT_EQ(run.table.recorded[5001], 0);
  EXPECT_EQ(run.table.column[kColHgq][6000], 0.0) << "nothing after the end of the run";
}

TEST_F(SameForEveryThreadCount, NearestFitsWithAreaCentring) {
  const FixedChoices nearest(FitChoices{false, kCenterToArea, kCenterToPoint, kCenterToArea}, true, 7);
  chosen = &nearest;
  for (const auto& [passes, lga] : {std::pair{0, 0}, {1, 1}}) {
    iterations = passes;
    object = lga;
    ExpectSameForEveryThreadCount(true);
  }
  const FixedChoices tooMany(FitChoices{}, true, 100000);
  chosen = &tooMany;
  ExpectSameForEveryThreadCount(true);
}

TEST(Choices, OnlyFixedOnesMayBeReorderedOrShared) {
  const FixedChoices fixed(FitChoices{}, true, 5);
  EXPECT_TRUE(fixed.Fixed());
  struct Live : LiveChoices {
    FitChoices Fit() const override { return {}; }
    bool NearestSearch() const override { return false; }
    NearestCount Nearest() const override { return {}; }
  } live;
  EXPECT_FALSE(live.Fixed());
}

}  // namespace
}  // namespace zelvo
