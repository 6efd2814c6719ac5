// The grid view's parts that need no window: which node a pixel lies over
// and how it reads, the picture's orientation and the colour bar's labels.

#include <gtest/gtest.h>

#include "app/qt/colour_bar_labels.h"
#include "app/qt/grid_cursor.h"
#include "app/qt/grid_view_image.h"
#include "base/run_observer.h"

namespace zelvo {
namespace {

class SilentObserver : public RunObserver {
 public:
  void ShowMessage(std::string_view text) override { messages.emplace_back(text); }
  bool Ask(std::string_view, std::string_view) override { return true; }
  void ProcessMessages() override {}
  void SetProgressRange(int, int) override {}
  void SetProgressPosition(int) override {}
  void ShowHourglass() override {}
  void RestoreCursor() override {}
  std::string NumberToText(double value) const override { return std::to_string(value); }
  std::vector<std::string> messages;
};

// nx x ny nodes s apart whose value is the row from the south.
NodeGrid RisingNorthwards(int nx, int ny, double s) {
  NodeGrid grid{nx, ny, s, {}};
  for (int i = 0; i < nx; ++i) {
    for (int j = 0; j < ny; ++j) grid.values.push_back(static_cast<float>(j));
  }
  return grid;
}

TEST(GridCursor, PixelsLieOverTheNearestNodeCountedFromTheSouthWest) {
  const NodeGrid nodes = RisingNorthwards(4, 3, 2.0);
  // A picture 8 x 6 pixels one ground unit apart: node spacing 2 pixels.
  const auto at = [&](int column, int row) { return NodeUnderPixel(nodes, 1.0, 8, 6, column, row); };
  ASSERT_TRUE(at(0, 5));
  EXPECT_EQ(at(0, 5)->i, 0);
  EXPECT_EQ(at(0, 5)->j, 0) << "the bottom row is the south";
  EXPECT_EQ(at(2, 3)->i, 1);
  EXPECT_EQ(at(2, 3)->j, 1);
  EXPECT_EQ(at(3, 5)->i, 2) << "half way rounds away from the west";
  EXPECT_EQ(at(7, 0)->i, 3) << "beyond the last node: the last node";
  EXPECT_EQ(at(7, 0)->j, 2);
  EXPECT_FALSE(at(-1, 0));
  EXPECT_FALSE(at(8, 0));
  EXPECT_FALSE(at(0, 6));
  EXPECT_FALSE(NodeUnderPixel(NodeGrid{}, 1.0, 8, 6, 0, 0)) << "no nodes";
}

TEST(GridCursor, ReadoutGivesThePlaceAndSixDigitsOrBlank) {
  PaneGrid grid;
  grid.variable = kExportVariables[1];
  grid.nodes = NodeGrid{2, 2, 0.5, {0.00123f, -2.5f, kBlankValue, 1234567.0f}};
  grid.west = 1000.25;
  grid.south = -3.0;
  EXPECT_EQ(NodeReadout(grid, {0, 0}, '.'), "x 1000.25  y -3  hgqx 0.00123");
  EXPECT_EQ(NodeReadout(grid, {0, 1}, ','), "x 1000,25  y -2,5  hgqx -2,5");
  EXPECT_EQ(NodeReadout(grid, {1, 0}, '.'), "x 1000.75  y -3  hgqx blank");
  EXPECT_EQ(NodeReadout(grid, {1, 1}, '.'), "x 1000.75  y -2.5  hgqx 1234570");
}

TEST(GridViewImage, FillsTheRoomOnOneStepAndPutsNorthUp) {
  SilentObserver observer;
  const GridViewImage drawn = DrawGridViewImage(RisingNorthwards(10, 5, 1.0), QSize(100, 100), observer);
  ASSERT_FALSE(drawn.picture.isNull());
  EXPECT_EQ(drawn.picture.size(), QSize(100, 50)) << "the width limits: 0.1 ground units a pixel";
  EXPECT_DOUBLE_EQ(drawn.step, 0.1);
  EXPECT_GT(drawn.sigma, 0.0);
  // High values are red, low ones blue: the top row is the north.
  const QColor top = drawn.picture.pixelColor(50, 2);
  const QColor bottom = drawn.picture.pixelColor(50, 47);
  EXPECT_GT(top.red(), 150);
  EXPECT_LT(bottom.red(), 60);

  EXPECT_TRUE(DrawGridViewImage(RisingNorthwards(10, 5, 1.0), QSize(0, 40), observer).picture.isNull());
  NodeGrid blank = RisingNorthwards(10, 5, 1.0);
  blank.values.assign(blank.values.size(), kBlankValue);
  EXPECT_TRUE(DrawGridViewImage(blank, QSize(100, 100), observer).picture.isNull());
  EXPECT_TRUE(observer.messages.empty());
}

TEST(ColourBarLabels, EveryStrideFromTheMeanWithTheDecimalsItNeeds) {
  // Classes one unit wide with the mean, 10, at the top of class 21; labels
  // 5 apart take one decimal.
  const double sigma = 1.0 / 0.066;
  const std::vector<ColourBarLabel> labels = ColourBarLabels(10.0, sigma, 5);
  ASSERT_EQ(labels.size(), 8u);
  EXPECT_EQ(labels.front().boundary, 1);
  EXPECT_EQ(labels.front().text, "\u221210.0");
  EXPECT_EQ(labels[4].boundary, 21);
  EXPECT_EQ(labels[4].text, "10.0");
  EXPECT_EQ(labels.back().boundary, 36);
  EXPECT_EQ(labels.back().text, "25.0");
  EXPECT_EQ(ColourBarLabels(0.0, 0.01 / 0.066, 5)[5].text, "0.050") << "spacing 0.05: two digits of it";
  const std::vector<ColourBarLabel> coarse = ColourBarLabels(10.0, sigma, 20);
  ASSERT_EQ(coarse.size(), 2u);
  EXPECT_EQ(coarse[1].boundary, 21);

  EXPECT_EQ(ColourBarStride(10.0, 12.0), 5);
  EXPECT_EQ(ColourBarStride(2.0, 12.0), 10);
  EXPECT_EQ(ColourBarStride(0.5, 12.0), 20) << "the coarsest when none keeps apart";
}

}  // namespace
}  // namespace zelvo
