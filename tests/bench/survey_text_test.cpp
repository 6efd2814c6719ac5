#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include "app/headless_window.h"
#include "io/line_ops.h"
#include "io/point_reader.h"
#include "support/temp_dir.h"
#include "survey/scattered_layout.h"
#include "survey/survey_text.h"

namespace zelvo {
namespace {

using testing::TempDir;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// The benchmark compares runs of zelvo-batch on the text with in-process
// passes on the generated doubles: they are the same points only when the
// reader gets every double back exactly.
TEST(SurveyText, TheReaderGetsTheGeneratedDoublesBack) {
  const bench::SurveyPoints points = bench::MakeSurvey(5, 70);
  TempDir dir;
  const std::string path = dir.File("survey.dat");
  {
    File file(std::fopen(path.c_str(), "wb"));
    ASSERT_TRUE(file);
    ASSERT_TRUE(bench::WriteSurveyText(points, "five lines", file.get()));
  }
  HeadlessWindow window;
  PointSet read;
  ResultTable results;
  ASSERT_EQ(ReadPointFile(path, {}, '.', window, read, results), 0);
  ASSERT_EQ(read.table.Size(), static_cast<int>(points.Size()));
  EXPECT_EQ(read.linesSkipped, 2) << "the comment and the column header";
  for (std::size_t k = 0; k < points.Size(); ++k) {
    // The reader shifts negative coordinates; the shift is added to the double read.
    ASSERT_EQ(read.table.x[k], points.x[k] + read.shift.x) << k;
    ASSERT_EQ(read.table.y[k], points.y[k] + read.shift.y) << k;
    ASSERT_EQ(read.table.quantity[k], points.q[k]) << k;
    ASSERT_EQ(read.table.point[k], static_cast<double>(k + 1)) << k;
  }
}

TEST(SurveyText, ShortestDigitsReadBackExactlyAtAnyMagnitude) {
  bench::SplitMix64 random(7);
  PointLineParser parser({}, '.');
  for (int k = 0; k < 20000; ++k) {
    const double scale = std::ldexp(1.0, static_cast<int>(random.Next() % 120) - 60);
    bench::SurveyPoints one;
    one.x = {random.Symmetric() * scale * 1e6};
    one.y = {random.Symmetric() * scale};
    one.q = {random.Symmetric() * scale * 1e-3};
    std::string line;
    bench::AppendSurveyLine(line, one, 0);
    PointValues values;
    ASSERT_TRUE(parser.Parse(line, values)) << line;
    ASSERT_EQ(values.x, one.x[0]) << line;
    ASSERT_EQ(values.y, one.y[0]) << line;
    ASSERT_EQ(values.quantity, one.q[0]) << line;
  }
}

TEST(SurveyText, TriplesHoldTheDoublesInOrder) {
  const bench::SurveyPoints points = bench::MakeScattered(50, 1.0e6);
  File file(std::tmpfile());
  ASSERT_TRUE(file);
  ASSERT_TRUE(bench::WriteSurveyTriples(points, file.get()));
  std::rewind(file.get());
  std::vector<double> back(3 * points.Size() + 1);
  ASSERT_EQ(std::fread(back.data(), sizeof(double), back.size(), file.get()), 3 * points.Size());
  for (std::size_t k = 0; k < points.Size(); ++k) {
    EXPECT_EQ(back[3 * k], points.x[k]);
    EXPECT_EQ(back[3 * k + 1], points.y[k]);
    EXPECT_EQ(back[3 * k + 2], points.q[k]);
    EXPECT_TRUE(points.x[k] >= 0 && points.x[k] < 1.0e6 && points.y[k] >= 0 && points.y[k] < 1.0e6);
  }
}

}  // namespace
}  // namespace zelvo
