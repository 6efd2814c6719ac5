#include <gtest/gtest.h>

#include <sstream>

#include "app/calc_command.h"
#include "app/headless_window.h"
#include "app/load_command.h"
#include "app/run_state.h"
#include "io/calculated_file.h"
#include "support/temp_dir.h"

namespace zelvo {
namespace {

class Load : public ::testing::Test {
 protected:
  // Loads through the Load button with the dialog answered by the name.
  void Press(const std::string& fileName) {
    window.QueueDialogChoice(FileDialogChoice{fileName, 1});
    btn_loadClick(state, window);
  }
  std::string LastMessage() const {
    return window.Messages().empty() ? "" : window.Messages().back().text;
  }
  std::string ResultFile(const std::string& header, const std::string& records) {
    return dir.Write("calc.dat", header + "\n" + std::string(kColumnsLine) + records);
  }

  static constexpr const char* kColumnsLine =
      "         x          y      point   quantity          hgqx          hgqy           hgq"
      "            Rq            rq    npoints\n";
  testing::TempDir dir;
  HeadlessWindow window;
  RunState state;
};

TEST_F(Load, RoundTripOfARunsResultFile) {
  std::ostringstream field;
  for (int i = 0; i < 100; ++i) field << i % 10 - 4 << " " << i / 10 << " " << i << " " << (i % 7) * 0.5 << "\n";
  window.SetText(Control::txt_in, dir.Write("in.dat", field.str()));
  window.SetText(Control::txt_out, dir.File("out.dat"));
  window.SetText(Control::txt_radius, "28.5");
  window.SetText(Control::txt_iter, "2");
  ASSERT_EQ(btn_calcClick(state, window), CalcOutcome::kCompleted);
  const ResultTable computed = state.results;

  RunState loaded;
  HeadlessWindow other(',');  // a comma locale reads the "." of result files all the same
  other.SetText(Control::txt_in, "something");
  other.QueueDialogChoice(FileDialogChoice{dir.File("out.dat"), 1});
  btn_loadClick(loaded, other);
  ASSERT_TRUE(loaded.resultsValid) << (other.Messages().empty() ? "" : other.Messages().back().text);
  EXPECT_EQ(other.Text(Control::txt_in), "");
  EXPECT_EQ(other.Text(Control::txt_out), dir.File("out.dat"));
  EXPECT_EQ(other.Text(Control::txt_radius), "28") << "the header rounds half to even";
  EXPECT_EQ(other.Text(Control::txt_iter), "2");
  EXPECT_EQ(other.Text(Control::cb_iter), "RGA");
  EXPECT_EQ(loaded.params.searchRadius, 28);
  EXPECT_EQ(loaded.params.griddingRadius, 28);
  EXPECT_EQ(loaded.cluster.s, 28 * 0.1);
  ASSERT_EQ(loaded.results.Size(), 100);
  EXPECT_EQ(loaded.results.column[kColX][0], -4) << "coordinates as written, not shifted";
  EXPECT_EQ(loaded.points.extent.xmin, -4);
  EXPECT_EQ(loaded.cluster.xmin, -4);
  EXPECT_NEAR(loaded.results.column[kColHgqx][55], computed.column[kColHgqx][55], 5e-7);
  EXPECT_NEAR(loaded.results.column[kColRq][55], computed.column[kColRq][55], 5e-7);
  EXPECT_EQ(loaded.results.column[kColQuantity][3], 1.5) << "column 2 takes the quantity as read";
  EXPECT_EQ(loaded.results.column[kColNpoints][55], computed.column[kColNpoints][55]);
}

TEST_F(Load, HeaderVariants) {
  EXPECT_TRUE(ParseResultHeader("/Map: a.dat  Radius:    500  Iter:   3  Object: RGA\n"));
  const auto blanks = ParseResultHeader("Map: C:\\my data\\it's \"x\".dat  Radius:    500  Iter:   3  Object: LGA\r\n");
  ASSERT_TRUE(blanks);
  EXPECT_EQ(blanks->radiusText, "500");
  EXPECT_EQ(blanks->iterationText, "3");
  EXPECT_EQ(blanks->objectText, "LGA");
  const auto labelled = ParseResultHeader("Map: Radius: x  Radius: 7 Iter: 1 Object: RGA");
  ASSERT_TRUE(labelled);
  EXPECT_EQ(labelled->radiusText, "7") << "the last occurrence of a label counts";
  EXPECT_FALSE(ParseResultHeader("map: a  Radius: 5  Iter: 1  Object: RGA"));
  const auto noObject = ParseResultHeader("Map: a  Radius: 5  Iter: 1  Object: \n");
  ASSERT_TRUE(noObject) << "a run with no object selected writes none";
  EXPECT_EQ(noObject->objectText, "");
  EXPECT_FALSE(ParseResultHeader("Map: a  Radius: 5  Iter:  Object: RGA"));
  EXPECT_FALSE(ParseResultHeader("Map: a  Radius: 5  Iter: abc  Object: RGA"));
  EXPECT_FALSE(ParseResultHeader("Map: a  Radius: 5  Iter: 10001  Object: RGA"));
  EXPECT_FALSE(ParseResultHeader(""));

  Press(dir.Write("bom.dat", "\xEF\xBB\xBF" "Map: a  Radius:     40  Iter:   0  Object: RGA\n1 2 3 4 5 6 7 8 9 10\n"));
  EXPECT_TRUE(state.resultsValid) << LastMessage();
}

TEST_F(Load, RefusedFilesLeaveTheWindowAlone) {
  window.SetText(Control::txt_radius, "77");
  Press(ResultFile("Radius: 5", "1 2 3 4 5 6 7 8 9 10\n"));
  EXPECT_EQ(LastMessage(), kNotCalculatedFileMessage);
  Press(ResultFile("Map: a  Radius:      0  Iter:   0  Object: RGA", "1 2 3 4 5 6 7 8 9 10\n"));
  EXPECT_EQ(LastMessage(), "Search radius must be greater than 0.");
  EXPECT_EQ(window.Text(Control::txt_radius), "77");
  Press(dir.File("missing.dat"));
  EXPECT_EQ(LastMessage(), "Cannot open input data file");
  window.ClearMessages();
  window.QueueDialogChoice(std::nullopt);
  btn_loadClick(state, window);
  EXPECT_TRUE(window.Messages().empty()) << "a cancelled dialog changes nothing";
  EXPECT_EQ(window.Text(Control::txt_radius), "77");
}

TEST_F(Load, RecordsAndTheirFilter) {
  Press(ResultFile("Map: a  Radius:     10  Iter:   0  Object: RGA",
                   "1 2 3 4 5 6 7 8 9\n"                  // nine numbers: skipped
                   "-1 -2 3 4 5 6 7 8 9 10 11 12\n"       // twelve: the first ten
                   "5 5 5 X 5 5 5 5 5 5\n"                // a letter: skipped
                   "3 4 5 6 7 8 9 10 11 12\n"));
  ASSERT_TRUE(state.resultsValid) << LastMessage();
  ASSERT_EQ(state.results.Size(), 2);
  EXPECT_EQ(state.results.column[kColX][0], -1);
  EXPECT_EQ(state.results.column[kColNpoints][0], 10);
  EXPECT_EQ(state.results.column[kColQuantity][1], 6);
  EXPECT_EQ(state.points.extent.ymin, -2);
  EXPECT_EQ(state.points.centre.cx, 1);

  Press(ResultFile("Map: a  Radius:     10  Iter:   0  Object: RGA", ""));
  EXPECT_EQ(LastMessage(), "Calculated file contains no valid xyz data");
  EXPECT_FALSE(state.resultsValid);
  EXPECT_EQ(state.results.Size(), 0) << "the earlier results are gone";
  EXPECT_TRUE(state.cluster.Empty());
}

TEST_F(Load, RefusedWhileARunIsUnderWay) {
  state.busy = true;
  Press(ResultFile("Map: a  Radius:     10  Iter:   0  Object: RGA", "3 4 5 6 7 8 9 10 11 12\n"));
  EXPECT_FALSE(state.resultsValid);
  EXPECT_EQ(window.Text(Control::txt_radius), "0");
}

TEST_F(Load, RecordsChangedBetweenThePassesAreRefused) {
  const std::string header = "/Map: in.dat Radius: 5 Iter: 0 Object: RGA\n" + std::string(kColumnsLine);
  const std::string record = "       1.0        2.0          3     4.0000   0.000000000   0.000000000   0.000000000   4.000000000   0.000000000          3\n";
  for (const int records : {1, 3}) {
    const std::string path = dir.Write("calc.dat", header + record + record);
    ResultTable rows;
    std::vector<double> ids;
    DataExtent extent;
    AreaCentre centre;
    window.ClearMessages();
    EXPECT_EQ(ReadCalculatedRecords(path, window, rows, ids, extent, centre, [&] {
                std::string rewritten = header;
                for (int k = 0; k < records; ++k) rewritten += record;
                dir.Write("calc.dat", rewritten);
              }),
              1)
        << records;
    EXPECT_EQ(LastMessage(), "Input data file changed while it was read");
    EXPECT_EQ(rows.Size(), 0);
  }
}

}  // namespace
}  // namespace zelvo
