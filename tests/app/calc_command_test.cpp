#include <gtest/gtest.h>

#include "app/calc_command.h"
#include "app/headless_window.h"
#include "app/run_state.h"
#include "support/temp_dir.h"

namespace zelvo {
namespace {

class Calc : public ::testing::Test {
 protected:
  Calc() {
    window.SetText(Control::txt_in, dir.Write("in.dat", kGrid));
    window.SetText(Control::txt_out, dir.File("out.dat"));
    window.SetText(Control::txt_radius, "1.5");
  }

  // The message of a refused Calc, with where it left the focus.
  std::pair<std::string, Control> Refusal() {
    window.ClearMessages();
    EXPECT_EQ(btn_calcClick(state, window), CalcOutcome::kRefused);
    EXPECT_EQ(window.Messages().size(), 1u);
    EXPECT_TRUE(window.Enabled(Control::btn_calc));
    EXPECT_FALSE(window.Visible(Control::btn_stop));
    return {window.Messages().empty() ? "" : window.Messages()[0].text, window.FocusedControl()};
  }

  // A 4 x 4 lattice of points 1 m apart on the plane q = x + 2y.
  static constexpr const char* kGrid =
      "0 0 1 0\n1 0 2 1\n2 0 3 2\n3 0 4 3\n0 1 5 2\n1 1 6 3\n2 1 7 4\n3 1 8 5\n"
      "0 2 9 4\n1 2 10 5\n2 2 11 6\n3 2 12 7\n0 3 13 6\n1 3 14 7\n2 3 15 8\n3 3 16 9\n";
  testing::TempDir dir;
  HeadlessWindow window;
  RunState state;
};

TEST_F(Calc, ChecksInOrderWithMessagesAndFocus) {
  const std::string input = window.Text(Control::txt_in);
  window.SetText(Control::txt_in, "");
  EXPECT_EQ(Refusal(), std::make_pair(std::string("Input file name is required field."), Control::txt_in));
  window.SetText(Control::txt_in, input);
  window.SetText(Control::txt_out, "");
  EXPECT_EQ(Refusal(), std::make_pair(std::string("Output file name is required field."), Control::txt_out));
  window.SetText(Control::txt_out, input);
  EXPECT_EQ(Refusal(), std::make_pair(std::string("Input and output file name must not be the same."),
                                      Control::txt_out));
  window.SetText(Control::txt_out, dir.path() + "/./in.dat");
  EXPECT_EQ(Refusal().first, "Input and output file name must not be the same.") << "the same file";
  window.SetText(Control::txt_out, dir.File("in"));
  window.SetText(Control::txt_log, dir.Write("in_trace_out.xyz", "0 0 1 0\n"));
  EXPECT_EQ(Refusal().first, "Input and output file name must not be the same.")
      << "the trace file would overwrite the subset";
  window.SetText(Control::txt_log, "");
  window.SetText(Control::txt_out, dir.File("out.dat"));
  for (const char* radius : {"0.000001", "0", "-3"}) {
    window.SetText(Control::txt_radius, radius);
    EXPECT_EQ(Refusal().first, "Search radius must be greater than 0.") << radius;
    EXPECT_EQ(window.FocusedControl(), Control::txt_radius);
  }
  window.SetText(Control::txt_radius, "abc");
  EXPECT_EQ(Refusal().first, "'abc' is not a valid floating point value");
  window.SetText(Control::txt_radius, "1.5");
  window.SetText(Control::txt_iter, "2.5");
  EXPECT_EQ(Refusal().first, "'2.5' is not a valid integer value");
  for (const char* count : {"-1", "10001", "2147483647"}) {
    window.SetText(Control::txt_iter, count);
    EXPECT_EQ(Refusal(), std::make_pair(std::string("Number of iteration must be in range 0 .. 10000"),
                                        Control::txt_iter)) << count;
  }
  window.SetText(Control::txt_iter, "0");
  window.SetText(Control::txt_nearest, "x");
  EXPECT_EQ(Refusal().first, "'x' is not a valid floating point value");
  EXPECT_FALSE(state.resultsValid);
}

TEST_F(Calc, RunsWithTheValuesTakenAtCalc) {
  // Accepted by Calc; its lattice is then far too large for the budget.
  window.SetText(Control::txt_radius, " 0.0000011 ");  // blanks around a field are ignored
  window.SetText(Control::txt_nearest, "-5");
  EXPECT_EQ(btn_calcClick(state, window), CalcOutcome::kFailed);
  EXPECT_EQ(window.Messages().back().text, kClusterMemoryMessage);
  EXPECT_EQ(state.params.searchRadius, 0.0000011);
  EXPECT_EQ(state.params.griddingRadius, 0.0000011);
  EXPECT_EQ(state.params.traceFileName, dir.File("out_trace_out.xyz"));

  window.SetText(Control::txt_radius, "1.5");
  window.SetText(Control::txt_nearest, "7");
  window.SetText(Control::txt_out, dir.File("IN.DAT"));  // names differ by case only
  EXPECT_EQ(btn_calcClick(state, window), CalcOutcome::kCompleted);
  EXPECT_DOUBLE_EQ(state.params.cellSize, 0.15);
  EXPECT_EQ(state.params.griddingRadius, 7);
  EXPECT_TRUE(state.resultsValid);
  EXPECT_FALSE(state.stopRequested);
  EXPECT_FALSE(state.busy);
  EXPECT_TRUE(window.Enabled(Control::btn_calc));
  EXPECT_TRUE(window.Visible(Control::btn_exit));
  EXPECT_FALSE(window.Visible(Control::btn_stop));
  EXPECT_NEAR(state.results.column[kColHgqx][5], 1.0, 1e-12);
  EXPECT_NEAR(state.results.column[kColHgqy][5], 2.0, 1e-12);
}

TEST_F(Calc, FailedRunReleasesThePreviousTablesAndClearsThePanes) {
  ASSERT_EQ(btn_calcClick(state, window), CalcOutcome::kCompleted);
  window.SetPanePixel(Control::img_delta, 5, 5, 0x123456);
  window.SetText(Control::txt_in, dir.File("missing.dat"));
  EXPECT_EQ(btn_calcClick(state, window), CalcOutcome::kFailed);
  EXPECT_EQ(window.Messages().back().text, "Cannot open input data file");
  EXPECT_FALSE(state.resultsValid);
  EXPECT_EQ(state.results.Size(), 0);
  EXPECT_TRUE(state.cluster.Empty());
  const PaneBitmap pane = window.CopyPane(Control::img_delta);
  EXPECT_EQ(pane.pixels[0], 0x000000u);
  EXPECT_EQ(pane.pixels[5 * pane.width + 5], 0xFFFFFFu);
  EXPECT_EQ(pane.pixels[static_cast<std::size_t>(pane.height) * pane.width - 1], 0x000000u);
  EXPECT_EQ(pane.pixels[1 * pane.width + 1], 0xFFFFFFu);
}

TEST_F(Calc, RefusedWhileARunIsUnderWay) {
  int nestedOutcome = -1;
  window.SetMessageHook([&] {
    if (nestedOutcome < 0) nestedOutcome = static_cast<int>(btn_calcClick(state, window));
  });
  EXPECT_EQ(btn_calcClick(state, window), CalcOutcome::kCompleted);
  EXPECT_EQ(nestedOutcome, static_cast<int>(CalcOutcome::kRefused));
}

}  // namespace
}  // namespace zelvo
