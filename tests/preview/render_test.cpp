#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <limits>
#include <vector>

#include "app/headless_window.h"
#include "preview/render_shaded.h"
#include "preview/resample.h"

namespace zelvo {
namespace {

constexpr std::uint32_t Rgb(int r, int g, int b) {
  return static_cast<std::uint32_t>(r) | static_cast<std::uint32_t>(g) << 8 | static_cast<std::uint32_t>(b) << 16;
}

TEST(ResampleLine, EndsExactHitsBlanksAndThePastTheEnd) {
  const float B = kBlankValue;
  {
    const std::vector<float> src{1, 2, 3, 4};
    std::vector<float> dst(7, -1.0f);
    ResampleLine(src.data(), 4, 1.0, dst.data(), 7, 0.5);
    EXPECT_EQ(dst, (std::vector<float>{1, 1.5f, 2, 2.5f, 3, 3.5f, 4}));
  }
  {
    // An exact hit copies even a blank; interpolation beside one is blank.
    const std::vector<float> src{1, B, 3, 4};
    std::vector<float> dst(7);
    ResampleLine(src.data(), 4, 1.0, dst.data(), 7, 0.5);
    EXPECT_EQ(dst, (std::vector<float>{1, B, B, B, 3, 3.5f, 4}));
  }
  {
    // The ends are the ends of the source, whatever the steps.
    const std::vector<float> src{7, 8, 9, 10, 11};
    std::vector<float> dst(3);
    ResampleLine(src.data(), 5, 1.0, dst.data(), 3, 1.7);
    EXPECT_EQ(dst[0], 7.0f);
    EXPECT_EQ(dst[2], 11.0f);
    EXPECT_FLOAT_EQ(dst[1], 8.7f);
  }
  {
    // A small area in a large pane: positions 1.5 and 2.25 lie past the last
    // sample (1.0) and take it; nothing is read beyond the line.
    const std::vector<float> src{1, 2};
    std::vector<float> dst(5);
    ResampleLine(src.data(), 2, 1.0, dst.data(), 5, 0.75);
    EXPECT_EQ(dst, (std::vector<float>{1, 1.75f, 2, 2, 2}));
  }
}

TEST(ReadSamples, ResamplingReadsNoOtherSample) {
  // Lines shorter and longer than their resampling, steps that hit samples
  // exactly and steps that never do: values at the samples not named are
  // replaced, and the line must come out the same bits.
  std::mt19937 random(5);
  std::uniform_real_distribution<float> value(-50.0f, 50.0f);
  const double steps[][2] = {{1.0, 0.5},  {1.0, 1.7}, {1.0, 0.75}, {35.0, 535.2},
                             {35.0, 35.0}, {0.3, 0.1}, {2.0, 7.0},  {1.0, 1e-3}};
  for (const auto& [a, b] : steps) {
    for (const int n : {1, 2, 3, 17, 300}) {
      for (const int m : {1, 2, 3, 19, 145}) {
        std::vector<float> src(static_cast<std::size_t>(n));
        for (float& v : src) v = value(random);
        src[static_cast<std::size_t>(n) / 2] = kBlankValue;
        std::vector<float> dst(static_cast<std::size_t>(m)), again(dst.size());
        ResampleLine(src.data(), n, a, dst.data(), m, b);
        const std::vector<bool> read = ReadSamples(n, a, m, b);
        ASSERT_EQ(read.size(), src.size());
        for (const float other : {0.0f, kBlankValue}) {
          std::vector<float> replaced = src;
          for (std::size_t k = 0; k < replaced.size(); ++k) {
            if (!read[k]) replaced[k] = other;
          }
          ResampleLine(replaced.data(), n, a, again.data(), m, b);
          EXPECT_EQ(0, std::memcmp(dst.data(), again.data(), dst.size() * sizeof(float)))
              << "a " << a << " b " << b << " n " << n << " m " << m;
        }
      }
    }
  }
  EXPECT_TRUE(ReadSamples(0, 1.0, 5, 1.0).empty());
  EXPECT_EQ(ReadSamples(4, 1.0, 0, 1.0), std::vector<bool>(4, false));
}

NodeGrid Flat(int nx, int ny, float value) {
  return NodeGrid{nx, ny, 1.0, std::vector<float>(static_cast<std::size_t>(nx) * ny, value)};
}

PreviewGrid Resampled(const NodeGrid& nodes, int width, int height, HeadlessWindow& window) {
  PreviewGrid grid;
  EXPECT_EQ(ResampleToPreview(nodes, width, height, window, grid), 0);
  return grid;
}

TEST(ResampleToPreview, KeepsTheAspectAndFallsBackToAUnitSigma) {
  HeadlessWindow window;
  // Twice as wide as tall into a square pane: step 2, 10 x 5 pixels filled.
  const PreviewGrid wide = Resampled(Flat(20, 10, 5.0f), 10, 10, window);
  EXPECT_EQ(wide.step, 2.0);
  EXPECT_EQ(wide.outNx, 10);
  EXPECT_EQ(wide.outNy, 5);
  EXPECT_EQ(wide.count, 50);
  EXPECT_EQ(wide.mean, 5.0);
  EXPECT_EQ(wide.sigma, 1.0);
  for (int x = 0; x < 10; ++x) {
    for (int y = 0; y < 10; ++y) EXPECT_EQ(wide.values[x * 10 + y], y < 5 ? 5.0f : kBlankValue);
  }
  // 0.1, 0.2 and 0.3 in float: a mean and spread of their own, rounding and all.
  NodeGrid three = Flat(3, 1, 0.0f);
  three.values = {0.1f, 0.2f, 0.3f};
  const PreviewGrid spread = Resampled(three, 3, 3, window);
  ASSERT_EQ(spread.count, 3);
  const double a = 0.1f, b = 0.2f, c = 0.3f;
  EXPECT_EQ(spread.mean, (a + b + c) / 3);
  EXPECT_DOUBLE_EQ(spread.sigma, std::sqrt((3 * (a * a + b * b + c * c) - (a + b + c) * (a + b + c)) / 6));
  // A single value has no spread to measure; no value, or a single filled
  // row, gives nothing to draw.
  NodeGrid one = Flat(3, 3, kBlankValue);
  one.values[0] = 2.0f;
  EXPECT_EQ(Resampled(one, 3, 3, window).sigma, 1.0);
  EXPECT_FALSE(Drawable(Resampled(Flat(3, 3, kBlankValue), 3, 3, window)));
  EXPECT_FALSE(Drawable(Resampled(Flat(30, 1, 1.0f), 10, 10, window)));
  EXPECT_FALSE(Drawable(Resampled(NodeGrid{}, 10, 10, window)));
  EXPECT_TRUE(window.Messages().empty());
}

PreviewGrid FlatPreview(int W, int H, int outNx, int outNy, float value) {
  PreviewGrid grid;
  grid.width = W;
  grid.height = H;
  grid.values.assign(static_cast<std::size_t>(W) * H, kBlankValue);
  for (int x = 0; x < outNx; ++x) {
    for (int y = 0; y < outNy; ++y) grid.values[x * H + y] = value;
  }
  grid.outNx = outNx;
  grid.outNy = outNy;
  grid.count = outNx * outNy;
  grid.mean = value;
  grid.sigma = 1.0;
  return grid;
}

TEST(RenderShaded, FlatGridIsClass21DarkenedBy38AndBlanksGrowSouthAndWest) {
  // Shade sin 45 = 0.70711, held as 180.31: D = 128 - 90 = 38.
  constexpr std::uint32_t kFlat = Rgb(255 - 38, 233 - 38, 0);
  PreviewGrid grid = FlatPreview(12, 9, 10, 7, 5.0f);
  PreviewImage image = RenderShaded(grid);
  ASSERT_EQ(image.colours.size(), 12u * 9u);
  for (int x = 0; x < 12; ++x) {
    for (int y = 0; y < 9; ++y) {
      // The last filled row and column are drawn too; the rest is white.
      EXPECT_EQ(image.colours[x * 9 + y], x < 10 && y < 7 ? kFlat : kWhiteColour) << x << "," << y;
    }
  }
  grid.values[4 * 9 + 3] = kBlankValue;
  image = RenderShaded(grid);
  for (int x = 2; x <= 5; ++x) {
    for (int y = 1; y <= 4; ++y) {
      const bool white = (x == 3 || x == 4) && (y == 2 || y == 3);
      EXPECT_EQ(image.colours[x * 9 + y], white ? kWhiteColour : kFlat) << x << "," << y;
    }
  }
}

TEST(RenderShaded, SlopesAndTheLastColumn) {
  // Falling towards the north-east: lit more than flat ground. Rising
  // steeply: unlit, every component 128 darker.
  PreviewGrid falling = FlatPreview(6, 6, 6, 6, 0.0f);
  PreviewGrid rising = falling;
  for (int x = 0; x < 6; ++x) {
    for (int y = 0; y < 6; ++y) {
      falling.values[x * 6 + y] = -0.5f * (x + y);
      rising.values[x * 6 + y] = 100.0f * (x + y);
    }
  }
  falling.mean = -2.0;  // the value at (2, 2)
  falling.sigma = 100.0;  // every value in class 21
  rising.mean = 500.0;
  rising.sigma = 1e6;
  const PreviewImage lit = RenderShaded(falling);
  const PreviewImage unlit = RenderShaded(rising);
  // shade = (0.5 * 0.5 + 0.5 * 0.5 + 0.70711) / 1.2247 = 0.98559, 251.3 held: D = 3.
  EXPECT_EQ(lit.colours[2 * 6 + 2], Rgb(252, 230, 0));
  EXPECT_EQ(unlit.colours[2 * 6 + 2], Rgb(127, 105, 0));
  // Entries far outside the scale: beyond both ends.
  rising.sigma = 1.0;
  const PreviewImage ends = RenderShaded(rising);
  EXPECT_EQ(ends.colours[0], Rgb(0, 0, 127));              // 0 - 500: class 1
  EXPECT_EQ(ends.colours[4 * 6 + 4], Rgb(127, 31, 127));   // 800 - 500: class 40
  // The last filled column repeats its western neighbour, all of it.
  for (int y = 0; y < 6; ++y) EXPECT_EQ(lit.colours[5 * 6 + y], lit.colours[4 * 6 + y]);
}

TEST(ColourClass, BoundariesAndValuesBeyondTheScale) {
  const double mean = 10.0, sigma = 2.0;
  EXPECT_EQ(ColourClass(10.0f, mean, sigma), 21);
  EXPECT_EQ(ColourClass(10.001f, mean, sigma), 22);
  EXPECT_EQ(ColourClass(static_cast<float>(mean - 1.33 * sigma), mean, sigma), 1);
  EXPECT_EQ(ColourClass(static_cast<float>(mean - 1.30 * sigma), mean, sigma), 2);
  EXPECT_EQ(ColourClass(static_cast<float>(mean + 1.18 * sigma), mean, sigma), 39);
  EXPECT_EQ(ColourClass(static_cast<float>(mean + 1.20 * sigma), mean, sigma), 40);
  EXPECT_EQ(ColourClass(std::numeric_limits<float>::infinity() * -1, mean, sigma), 1);
  EXPECT_EQ(ColourClass(9e36f, mean, 1e-6), 40);
  EXPECT_EQ(ColourClass(-3e38f, mean, 1e-6), 1);
  EXPECT_EQ(ColourClass(kBlankValue, mean, sigma), 0);
  EXPECT_EQ(ColourClass(std::numeric_limits<float>::infinity(), mean, sigma), 0);  // counts as blank
}

}  // namespace
}  // namespace zelvo
