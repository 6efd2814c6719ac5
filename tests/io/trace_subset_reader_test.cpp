#include <gtest/gtest.h>

#include "app/headless_window.h"
#include "io/point_reader.h"
#include "io/trace_subset_reader.h"
#include "support/temp_dir.h"

namespace zelvo {
namespace {

TEST(TraceSubset, MarksTheFirstRowWithinAMillionth) {
  testing::TempDir dir;
  HeadlessWindow window;
  PointSet points;
  ResultTable results;
  ASSERT_EQ(ReadPointFile(dir.Write("in.dat", "1 1 5 0\n2 2 17 0\n3 3 17 0\n4 4 18 0\n5 5 19 0\n"),
                          {}, '.', window, points, results),
            0);
  const std::string subset = dir.Write("subset.dat",
                                       "0 0 17 0\n"           // the first of two 17s
                                       "9 9 17 9\n"           // listed twice: nothing more
                                       "0 0 18.0000005 0\n"   // within 1e-6
                                       "0 0 19.000001 0\n"    // not within 1e-6
                                       "5\n"                  // one field only
                                       "0 0 99 0\n");         // no such point
  ASSERT_EQ(ReadTraceSubset(subset, {}, '.', window, points.table), 0);
  EXPECT_EQ(points.table.traced, (std::vector<std::uint8_t>{0, 1, 0, 1, 0}));
  EXPECT_TRUE(window.Messages().empty());

  EXPECT_EQ(ReadTraceSubset(dir.File("none.dat"), {}, '.', window, points.table), 1);
  ASSERT_EQ(window.Messages().size(), 1u);
  EXPECT_EQ(window.Messages()[0].text, "Cannot open subset input data file");
}

}  // namespace
}  // namespace zelvo
