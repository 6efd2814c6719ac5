#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "app/headless_window.h"
#include "io/line_ops.h"
#include "io/point_reader.h"
#include "support/temp_dir.h"

namespace zelvo {
namespace {

using testing::TempDir;

// Whether one line, as the reader gets it, is a data line, and its values.
std::optional<PointValues> Judge(std::string_view line, char separator = '.',
                                 PointColumns columns = {}) {
  PointLineParser parser(columns, separator);
  PointValues values;
  if (!parser.Parse(line, values)) return std::nullopt;
  return values;
}

TEST(PointLines, DataLinesAndTheirValues) {
  const auto values = Judge("  100.5  200.25  17  33.1\n");
  ASSERT_TRUE(values);
  EXPECT_EQ(values->x, 100.5);
  EXPECT_EQ(values->y, 200.25);
  EXPECT_EQ(values->point, 17);
  EXPECT_EQ(values->quantity, 33.1);

  const auto exponents = Judge("1e3 2E-2 5 -7\n");
  ASSERT_TRUE(exponents);
  EXPECT_EQ(exponents->x, 1000);
  EXPECT_EQ(exponents->y, 0.02);
  EXPECT_EQ(exponents->quantity, -7);

  EXPECT_TRUE(Judge("1\t2\t3\t4\r\n")) << "tabs and CR LF";
  EXPECT_TRUE(Judge("1 2 3 4 10:15:30\n")) << "a clock time in an unused column";
  EXPECT_TRUE(Judge("1 2 3 4 X")) << "the last character is not examined";
  EXPECT_TRUE(Judge("5 5 1 1e38\n")) << "no no-data value on input";
}

TEST(PointLines, SkippedLines) {
  for (const char* line : {"", "\n", "/ comment 1 2 3 4\n", "1 2 3\n", "X Y POINT Z\n",
                           "\"x\" \"y\" \"id\" \"g\"\n", "Line 10\n", "TIE LINE 3\n",
                           "tieline 1 2 3 4\n", "1 2 3 4 X\n", "\x01 2 3 4\n",
                           "\xEF\xBB\xBF" "1 2 3 4\n", "1 2 3 4:5\n", "1 2 3 1e999\n"}) {
    EXPECT_FALSE(Judge(line)) << line;
  }
  PointColumns columnF;
  columnF.quantity = 5;
  EXPECT_FALSE(Judge("1 2 3 4 5\n", '.', columnF));
  PointColumns none;
  none.x = -1;
  EXPECT_FALSE(Judge("1 2 3 4\n", '.', none));
  PointColumns allLow{0, 1, 2, 2};
  EXPECT_FALSE(Judge("1 2 3\n", '.', allLow)) << "four fields whatever the columns";
}

TEST(PointLines, DecimalSeparators) {
  const auto comma = Judge("1,5 2,5 3 4\n", ',');
  ASSERT_TRUE(comma);
  EXPECT_EQ(comma->x, 1.5);
  EXPECT_EQ(comma->y, 2.5);
  const auto point = Judge("1,5 2,5 3 4\n", '.');
  ASSERT_TRUE(point);
  EXPECT_EQ(point->x, 1);
  EXPECT_EQ(point->y, 5);
  EXPECT_EQ(point->point, 2);
  EXPECT_EQ(point->quantity, 5);
  EXPECT_FALSE(Judge("1.5 2.5 3 4\n", ','));
}

TEST(PointLines, LoneCarriageReturnAndNul) {
  // A lone CR separates fields and ends the character scan.
  EXPECT_TRUE(Judge("1 2 3 4\rjunk\n"));
  const auto cr = Judge("1\r2 3 4 5\n");
  ASSERT_TRUE(cr);
  EXPECT_EQ(cr->y, 2);
  // A NUL ends the scan but stays in its field, which does not convert.
  EXPECT_FALSE(Judge(std::string("1 2 3 4\0 5\n", 11)));
  EXPECT_TRUE(Judge(std::string("1 2 3 4 \0junk\n", 14)));
}

TEST(PointLines, OneSweepJudgesAsTheRulesOneByOne) {
  const std::string alphabet = "0123456789 .,+-eE:\t\r\n\b\"/lLINExX\0\x80\xEF";
  std::mt19937 random(3);
  for (char separator : {'.', ','}) {
    PointLineParser parser(PointColumns{}, separator);
    std::string prepared;
    std::vector<std::string_view> fields;
    for (int i = 0; i < 200000; ++i) {
      std::string line;
      const int length = static_cast<int>(random() % 24);
      for (int k = 0; k < length; ++k) {
        line += random() % 3 ? alphabet[random() % 12] : alphabet[random() % alphabet.size()];
      }
      PointValues swept, ruled;
      const bool bySweep = parser.Parse(line, swept);
      const bool byRules = PrepareDataLine(line, separator, prepared) &&
                           ParsePointLine(prepared, PointColumns{}, separator, fields, ruled);
      ASSERT_EQ(bySweep, byRules) << line;
      if (bySweep) {
        ASSERT_EQ(std::memcmp(&swept, &ruled, sizeof swept), 0) << line;
      }
    }
  }
}

class PointFile : public ::testing::Test {
 protected:
  int Read(const std::string& bytes, char separator = '.') {
    return ReadPointFile(dir.Write("in.dat", bytes), {}, separator, window, points, results);
  }
  TempDir dir;
  HeadlessWindow window;
  PointSet points;
  ResultTable results;
};

TEST_F(PointFile, ShiftExtentCentreAndRows) {
  ASSERT_EQ(Read("\"x\" \"y\" \"p\" \"q\"\n-50 10 1 5\n150 -20 2 7\n0 30 3 -1\nLine 2\n"), 0);
  EXPECT_EQ(points.table.Size(), 3);
  EXPECT_EQ(points.linesSkipped, 2);
  EXPECT_EQ(points.shift.x, 50);
  EXPECT_EQ(points.shift.y, 20);
  EXPECT_EQ(points.extent.xmin, 0);
  EXPECT_EQ(points.extent.xmax, 200);
  EXPECT_EQ(points.extent.ymin, 0);
  EXPECT_EQ(points.extent.ymax, 50);
  EXPECT_EQ(points.extent.qmin, -1);
  EXPECT_EQ(points.extent.qmax, 7);
  EXPECT_EQ(points.centre.cx, 100);
  EXPECT_EQ(points.centre.cy, 25);
  EXPECT_EQ(points.centre.cq, 3);
  EXPECT_EQ(points.table.x[0], 0);
  EXPECT_EQ(points.table.y[1], 0);
  EXPECT_EQ(results.column[kColX][1], 200);
  EXPECT_EQ(results.column[kColQuantity][2], -1);
  EXPECT_EQ(results.column[kColHgqx][0], 0);
  EXPECT_FALSE(points.table.traced[0]);
  EXPECT_TRUE(window.Messages().empty());
}

TEST_F(PointFile, SinglePointNoShiftAndUnterminatedLastLine) {
  ASSERT_EQ(Read("5 5 1 10"), 0);
  EXPECT_EQ(points.table.Size(), 1);
  EXPECT_EQ(points.extent.xmin, 5);
  EXPECT_EQ(points.extent.xmax, 5);
  EXPECT_EQ(points.shift.x, 0);
  ASSERT_EQ(Read("1 2 3 4\n1 2 3 4 X"), 0);
  EXPECT_EQ(points.table.Size(), 2);
  EXPECT_EQ(points.linesSkipped, 0);
}

TEST_F(PointFile, ByteOrderMarkLongLinesAndBinary) {
  ASSERT_EQ(Read("\xEF\xBB\xBF" "1 2 3 4\n"), 0);
  EXPECT_EQ(points.table.Size(), 1) << "the first point is not lost to the mark";

  // A wide line is judged whole: no phantom points from its pieces.
  std::string wide;
  for (int i = 0; i < 200; ++i) wide += std::to_string(i) + " ";
  ASSERT_EQ(Read("9 9 9 9\n" + wide + "\n" + std::string(1 << 20, ' ') + "1 2 3 4\n"), 0);
  EXPECT_EQ(points.table.Size(), 3);
  EXPECT_EQ(points.table.x[1], 0);
  EXPECT_EQ(points.table.quantity[1], 3);

  std::string binary;
  for (int i = 0; i < 4096; ++i) binary.push_back(static_cast<char>((i * 131) % 256));
  EXPECT_EQ(Read(binary + "\n1 2 3 4\n"), 0);
  EXPECT_EQ(points.table.Size(), 1);
}

TEST_F(PointFile, FailuresAreReportedWithTheirMessages) {
  EXPECT_EQ(Read("x y z\n/ only comments\n"), 1);
  EXPECT_EQ(window.Messages().back().text, "Input file contains no valid xyz data");
  EXPECT_EQ(window.Messages().back().caption, "Zelvo");
  EXPECT_EQ(points.table.Size(), 0);
  EXPECT_EQ(results.Size(), 0);

  EXPECT_EQ(ReadPointFile(dir.File("missing.dat"), {}, '.', window, points, results), 1);
  EXPECT_EQ(window.Messages().back().text, "Cannot open input data file");
  EXPECT_EQ(ReadPointFile(dir.path(), {}, '.', window, points, results), 1);
  EXPECT_EQ(window.Messages().back().text, "Cannot open input data file");
  EXPECT_EQ(window.Messages().size(), 3u);
}

TEST_F(PointFile, AFileChangedBetweenThePassesIsRefusedWithNothingStored) {
  const std::string original = "-10 0 1 5\n10 20 2 6\n0 10 3 7\n";
  for (const auto& [replacement, what] : std::vector<std::pair<std::string, std::string>>{
           {original + "5 5 4 6\n", "grown"},
           {"-10 0 1 5\n10 20 2 6\n", "shrunk"},
           {"", "emptied"},
           {"-10 0 1 5\n10 20 2 6\n0 1e300 3 7\n", "a point moved far outside"},
           {"-10 0 1 5\n10.000001 20 2 6\n0 10 3 7\n", "a point moved just outside"},
           {"-10 0 1 5\n10 20 2 6\n0 10 3 7.5\n", "a quantity outside its range"}}) {
    const std::string path = dir.Write("in.dat", original);
    const std::string rewritten = replacement;  // clang 14 cannot capture a structured binding
    window.ClearMessages();
    EXPECT_EQ(ReadPointFile(path, {}, '.', window, points, results, [&] { dir.Write("in.dat", rewritten); }),
              1)
        << what;
    ASSERT_EQ(window.Messages().size(), 1u) << what;
    EXPECT_EQ(window.Messages().back().text, "Input data file changed while it was read") << what;
    EXPECT_EQ(points.table.Size(), 0) << what;
    EXPECT_EQ(results.Size(), 0) << what;
  }
  // Rewritten with the same data lines (another comment) it is still the same data.
  const std::string path = dir.Write("in.dat", original);
  EXPECT_EQ(ReadPointFile(path, {}, '.', window, points, results,
                          [&] { dir.Write("in.dat", "/ saved again\n" + original); }),
            0);
  EXPECT_EQ(points.table.Size(), 3);
}

}  // namespace
}  // namespace zelvo
