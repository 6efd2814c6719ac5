#include "app/preview_steps.h"
#include "preview/preview_driver.h"

#include <gtest/gtest.h>

#include <cmath>

#include "app/headless_window.h"
#include "preview/grid_nodes.h"
#include "preview/render_shaded.h"
#include "preview/resample.h"
#include "app/window_items.h"
#include "survey_fixture.h"

namespace zelvo {
namespace {

using testing::Survey;
using testing::SurveyPoint;

// A gently curved field on a 60 x 40 point lattice, R = 5, s = 0.5.
Survey Field() {
  std::vector<SurveyPoint> points;
  for (int i = 0; i < 60; ++i) {
    for (int j = 0; j < 40; ++j) points.push_back({i * 1.0, j * 1.0, std::sin(i * 0.1) + 0.02 * j * j});
  }
  return Survey(points, 0.5);
}

PreviewSource SourceOf(const Survey& survey) {
  return PreviewSource{&survey.cluster, &survey.results, 5.0, 5.0, kPaneWidth, kPaneHeight};
}

TEST(PreviewVariable, AsksWhileStopIsRequestedAndHonoursTheAnswer) {
  const Survey survey = Field();
  const PreviewSource source = SourceOf(survey);
  for (const bool yes : {false, true}) {
    HeadlessWindow window('.', [yes](std::string_view, std::string_view) { return yes; });
    bool stop = false;
    int columns = 0;
    // Stop is pressed while the third node column is being gridded.
    window.SetMessageHook([&] {
      if (++columns == 3) stop = true;
    });
    PreviewImage image;
    const int status = PreviewVariable(source, kColQuantity, stop, window, image);
    ASSERT_EQ(window.Messages().size(), 1u);
    EXPECT_TRUE(window.Messages()[0].question);
    EXPECT_EQ(window.Messages()[0].caption, "Warning");
    EXPECT_EQ(window.Messages()[0].text, "Cancel calculation?");
    EXPECT_EQ(window.HourglassDepth(), 0);
    if (yes) {
      EXPECT_EQ(status, 1);
      EXPECT_TRUE(stop);
      EXPECT_EQ(columns, 3);
    } else {
      ASSERT_EQ(status, 0);
      EXPECT_FALSE(stop);
      EXPECT_EQ(columns, survey.cluster.nx);
      EXPECT_EQ(image.width, kPaneWidth);
      EXPECT_EQ(image.height, kPaneHeight);
    }
  }
}

TEST(PreviewVariable, StopOnThreadsIsAskedOnTheCallingThread) {
  const Survey survey = Field();
  PreviewSource source = SourceOf(survey);
  source.threads = 2;
  HeadlessWindow window('.', [](std::string_view, std::string_view) { return true; });
  bool stop = false;
  int columns = 0;
  window.SetMessageHook([&] {
    if (++columns == 3) stop = true;
  });
  PreviewImage image;
  EXPECT_EQ(PreviewVariable(source, kColQuantity, stop, window, image), 1);
  EXPECT_TRUE(stop);
  EXPECT_EQ(columns, 3);
  ASSERT_EQ(window.Messages().size(), 1u);
  EXPECT_EQ(window.Messages()[0].text, "Cancel calculation?");
  EXPECT_EQ(window.HourglassDepth(), 0);
  EXPECT_TRUE(image.colours.empty());
}

TEST(PreviewVariable, SameImageOnOneAndTwoThreads) {
  const Survey survey = Field();
  PreviewSource source = SourceOf(survey);
  HeadlessWindow window;
  bool stop = false;
  PreviewImage single, twin;
  ASSERT_EQ(PreviewVariable(source, kColHgqx, stop, window, single), 0);
  source.threads = 2;
  ASSERT_EQ(PreviewVariable(source, kColHgqx, stop, window, twin), 0);
  EXPECT_FALSE(single.colours.empty());
  EXPECT_EQ(twin.colours, single.colours);
}

TEST(PreviewVariable, TheNodesItShowsDrawWhatTheWholeGridDraws) {
  // Panes taller and wider than the field, one smaller than a node a pixel
  // and one larger than the grid, on one thread and on two.
  const Survey survey = Field();
  const Survey tall([] {
    std::vector<SurveyPoint> points;
    for (int k = 0; k < 400; ++k) points.push_back({(k % 7) * 0.9, k * 0.35, std::cos(k * 0.05)});
    return points;
  }(), 0.5);
  HeadlessWindow window;
  for (const Survey* field : {&survey, &tall}) {
    for (const auto& [width, height] : {std::pair{kPaneWidth, kPaneHeight}, std::pair{40, 300},
                                        std::pair{300, 40}, std::pair{7, 5}, std::pair{900, 700}}) {
      NodeGrid whole;
      ASSERT_EQ(GridNodes(field->cluster, field->results, kColHgqx, 5.0, 5.0, whole), kGridMade);
      PreviewGrid resampled;
      ASSERT_EQ(ResampleToPreview(whole, width, height, window, resampled), 0);
      const PreviewImage expected = Drawable(resampled) ? RenderShaded(resampled) : PreviewImage{};
      for (const int threads : {1, 2}) {
        PreviewSource source = SourceOf(*field);
        source.width = width;
        source.height = height;
        source.threads = threads;
        bool stop = false;
        PreviewImage image;
        ASSERT_EQ(PreviewVariable(source, kColHgqx, stop, window, image), 0);
        EXPECT_EQ(image.colours, expected.colours) << width << " x " << height << ", " << threads;
        EXPECT_EQ(image.width, expected.width);
        EXPECT_EQ(image.height, expected.height);
      }
    }
  }
}

TEST(PreviewVariable, RefusesANodeGridBeyondTheMemoryBudget) {
  const Survey survey = Field();
  PreviewSource source = SourceOf(survey);
  source.memoryBudget = 1000;
  HeadlessWindow window;
  bool stop = false;
  PreviewImage image;
  EXPECT_EQ(PreviewVariable(source, kColQuantity, stop, window, image), 1);
  ASSERT_EQ(window.Messages().size(), 1u);
  EXPECT_EQ(window.Messages()[0].text, kClusterMemoryMessage);
  EXPECT_TRUE(image.colours.empty());
  EXPECT_EQ(window.HourglassDepth(), 0);
}

TEST(PreviewVariable, NothingToDrawLeavesThePaneAsItWas) {
  // No point within R of any node: every node and pixel blank.
  const Survey sparse({{0.3, 0.3, 1}, {3.3, 4.3, 2}}, 0.5);
  PreviewSource source = SourceOf(sparse);
  source.searchRadius = 0.001;  // below sqrt(2) * 0.001, the distance from a point on its node
  HeadlessWindow window;
  bool stop = false;
  PreviewImage image;
  EXPECT_EQ(PreviewVariable(source, kColQuantity, stop, window, image), 0);
  EXPECT_TRUE(image.colours.empty());
  EXPECT_TRUE(window.Messages().empty());
  EXPECT_EQ(window.HourglassDepth(), 0);
}

TEST(PaintPane, NorthUpAndTheOuterRingLeftAlone) {
  const Survey survey = Field();
  HeadlessWindow window;
  bool stop = false;
  PreviewImage image;
  ASSERT_EQ(PreviewVariable(SourceOf(survey), kColHgqx, stop, window, image), 0);
  window.ClearPane(Control::img_regta);
  PaintPane(window, Control::img_regta, image);
  const PaneBitmap pane = window.CopyPane(Control::img_regta);
  const int W = pane.width, H = pane.height;
  int coloured = 0;
  for (int y = 0; y < H; ++y) {
    for (int x = 0; x < W; ++x) {
      const std::uint32_t pixel = pane.pixels[y * W + x];
      if (x == 0 || y == 0 || x == W - 1 || y == H - 1) {
        EXPECT_EQ(pixel, 0x000000u) << x << "," << y;
      } else {
        EXPECT_EQ(pixel, image.colours[x * H + (H - 1 - y)]) << x << "," << y;
        coloured += pixel != 0xFFFFFFu;
      }
    }
  }
  // 60 x 40 m into 177 x 145: the picture fills the width and the lower rows.
  EXPECT_GT(coloured, 150 * 100);
  EXPECT_EQ(pane.pixels[1 * W + 88], 0xFFFFFFu);  // the top stays white
}

}  // namespace
}  // namespace zelvo
