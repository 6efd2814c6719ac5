#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <numeric>
#include <set>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include <gdal.h>

#include "export/report_map.h"
#include "preview/render_shaded.h"
#include "support/temp_dir.h"

namespace zelvo {
namespace {

constexpr double kWest = 512300.0;
constexpr double kSouth = 5431800.0;
constexpr double kSpacing = 25.0;

// A plane rising to the north-east with a gentle wave on it and a hole of
// blanks well inside the edges.
NodeGrid SlopeWithHole(int nx, int ny) {
  NodeGrid nodes{nx, ny, kSpacing, {}};
  for (int i = 0; i < nx; ++i) {
    for (int j = 0; j < ny; ++j) {
      const double di = i - nx / 2.0;
      const double dj = j - ny / 2.0;
      const bool inHole = di * di + dj * dj < 16.0;
      const double value = 3.0 * i + 6.0 * j + 10.0 * std::sin(i * 0.3) * std::cos(j * 0.2);
      nodes.values.push_back(inHole ? kBlankValue : static_cast<float>(value));
    }
  }
  return nodes;
}

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> rgb;  // 0xRRGGBB, rows from the top

  std::uint32_t At(int x, int y) const { return rgb[static_cast<std::size_t>(y) * width + x]; }
};

Picture ReadPng(const std::string& path) {
  GDALAllRegister();
  Picture picture;
  GDALDatasetH dataset = GDALOpen(path.c_str(), GA_ReadOnly);
  if (dataset == nullptr) return picture;
  const int width = GDALGetRasterXSize(dataset);
  const int height = GDALGetRasterYSize(dataset);
  if (GDALGetRasterCount(dataset) >= 3) {
    picture = {width, height, std::vector<std::uint32_t>(static_cast<std::size_t>(width) * height)};
    std::vector<unsigned char> band(picture.rgb.size());
    for (int b = 0; b < 3; ++b) {
      const CPLErr read = GDALRasterIO(GDALGetRasterBand(dataset, b + 1), GF_Read, 0, 0, width, height,
                                       band.data(), width, height, GDT_Byte, 0, 0);
      if (read != CE_None) picture.width = 0;
      for (std::size_t k = 0; k < band.size(); ++k) picture.rgb[k] |= std::uint32_t{band[k]} << (16 - 8 * b);
    }
  }
  GDALClose(dataset);
  return picture;
}

// What a pixel shows: the bar's pure scale colours, the map's scale colours
// darkened by the shading, greys (background, blanks, frames and text) or
// anything else, which neither should paint.
enum class Paint { kGrey, kBar, kMap, kStray };

struct Classified {
  Paint paint = Paint::kStray;
  int colourClass = 0;
};

class ScalePaints {
 public:
  ScalePaints() {
    for (int k = 1; k <= 40; ++k) {
      const ScaleColour& c = ColourScale[k];
      for (int darkening = 0; darkening <= 128; ++darkening) {
        const auto channel = [darkening](int value) {
          return static_cast<std::uint32_t>(std::max(0, value - darkening));
        };
        const std::uint32_t rgb = channel(c.red) << 16 | channel(c.green) << 8 | channel(c.blue);
        paints_.emplace(rgb, Classified{darkening == 0 ? Paint::kBar : Paint::kMap, k});
      }
    }
  }

  Classified Of(std::uint32_t rgb) const {
    if ((rgb >> 16) == (rgb & 0xFF) && ((rgb >> 8) & 0xFF) == (rgb & 0xFF)) return {Paint::kGrey, 0};
    const auto found = paints_.find(rgb);
    return found == paints_.end() ? Classified{} : found->second;
  }

 private:
  std::unordered_map<std::uint32_t, Classified> paints_;
};

struct Box {
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;

  int Width() const { return right - left + 1; }
  int Height() const { return bottom - top + 1; }
};

Box MapBox(const Picture& picture, const ScalePaints& paints) {
  Box box;
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      if (paints.Of(picture.At(x, y)).paint != Paint::kMap) continue;
      box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x), std::max(box.bottom, y)};
    }
  }
  return box;
}

double MeanClassOfRow(const Picture& picture, const ScalePaints& paints, int y, int from, int to) {
  double sum = 0.0;
  int count = 0;
  for (int x = from; x <= to; ++x) {
    const Classified seen = paints.Of(picture.At(x, y));
    if (seen.paint != Paint::kMap) continue;
    sum += seen.colourClass;
    ++count;
  }
  return count > 0 ? sum / count : 0.0;
}

TEST(ReportMap, PageIsAsWideAsAskedAndTheMapKeepsTheGridsAspect) {
  testing::TempDir folder;
  const ScalePaints paints;
  int margins = -1;
  for (const auto& [nx, ny] : {std::pair{60, 40}, std::pair{40, 90}}) {
    SCOPED_TRACE(::testing::Message() << nx << " x " << ny);
    const std::string path = folder.File("map.png");
    std::string reason;
    ASSERT_EQ(WriteReportMap(path, SlopeWithHole(nx, ny), kWest, kSouth, 640, "Bouguer anomaly", reason), 0)
        << reason;
    EXPECT_EQ(testing::ReadFile(path).substr(0, 8), "\x89PNG\r\n\x1a\n");
    const Picture picture = ReadPng(path);
    ASSERT_EQ(picture.width, 640);
    const Box map = MapBox(picture, paints);
    EXPECT_NEAR(map.Height(), static_cast<double>(map.Width()) * ny / nx, 1.0);
    EXPECT_GT(map.Width(), 640 * 3 / 4);
    EXPECT_GT(map.left, 0);
    EXPECT_GT(map.top, 0);
    EXPECT_GT(picture.width - 1, map.right);
    // Title, labels and bar take the same room whatever the grid's shape.
    const int around = picture.height - map.Height();
    EXPECT_GT(around, 100);
    if (margins >= 0) {
      EXPECT_EQ(around, margins);
    }
    margins = around;
  }
}

TEST(ReportMap, MapIsShadedInTheScaleNorthUpAndTheBarShowsEveryClassInOrder) {
  testing::TempDir folder;
  const std::string path = folder.File("map.png");
  std::string reason;
  ASSERT_EQ(WriteReportMap(path, SlopeWithHole(80, 60), kWest, kSouth, 700, "Slope", reason), 0) << reason;
  const Picture picture = ReadPng(path);
  ASSERT_EQ(picture.width, 700);
  const ScalePaints paints;

  std::set<std::uint32_t> mapColours;
  int stray = 0;
  int widestBarRow = 0;
  int widestBar = 0;
  for (int y = 0; y < picture.height; ++y) {
    int bar = 0;
    for (int x = 0; x < picture.width; ++x) {
      const Paint paint = paints.Of(picture.At(x, y)).paint;
      stray += paint == Paint::kStray;
      bar += paint == Paint::kBar;
      if (paint == Paint::kMap) mapColours.insert(picture.At(x, y));
    }
    if (bar > widestBar) {
      widestBar = bar;
      widestBarRow = y;
    }
  }
  EXPECT_EQ(stray, 0);
  EXPECT_GT(mapColours.size(), 300u);

  const Box map = MapBox(picture, paints);
  const int third = map.Width() / 3;
  const double southWest = MeanClassOfRow(picture, paints, map.bottom, map.left, map.left + third);
  const double southEast = MeanClassOfRow(picture, paints, map.bottom, map.right - third, map.right);
  const double northWest = MeanClassOfRow(picture, paints, map.top, map.left, map.left + third);
  EXPECT_LT(southWest + 5.0, southEast);
  EXPECT_LT(southWest + 10.0, northWest);

  EXPECT_GE(widestBar, map.Width() - 2);
  std::vector<int> barClasses;
  for (int x = 0; x < picture.width; ++x) {
    const Classified seen = paints.Of(picture.At(x, widestBarRow));
    if (seen.paint == Paint::kBar && (barClasses.empty() || barClasses.back() != seen.colourClass)) {
      barClasses.push_back(seen.colourClass);
    }
  }
  std::vector<int> everyClass(40);
  std::iota(everyClass.begin(), everyClass.end(), 1);
  EXPECT_EQ(barClasses, everyClass);

  // The bar's labels are the values where ColourClass changes.
  const double mean = 120.5;
  const double sigma = 7.3;
  const double nudge = 0.001 * sigma;
  for (int k = 1; k <= kClassBoundaries; ++k) {
    const double bound = ClassUpperBound(k, mean, sigma);
    EXPECT_EQ(ColourClass(static_cast<float>(bound - nudge), mean, sigma), k) << k;
    EXPECT_EQ(ColourClass(static_cast<float>(bound + nudge), mean, sigma), k + 1) << k;
  }
}

TEST(ReportMap, FailureWritesNothingAndSaysWhy) {
  testing::TempDir folder;
  NodeGrid blank = SlopeWithHole(30, 20);
  std::fill(blank.values.begin(), blank.values.end(), kBlankValue);
  const NodeGrid good = SlopeWithHole(30, 20);
  struct Case {
    const char* what;
    std::string path;
    NodeGrid nodes;
    int width;
  };
  const Case cases[] = {
      {"missing folder", folder.File("absent/map.png"), good, 600},
      {"all blank", folder.File("map.png"), blank, 600},
      {"too narrow", folder.File("map.png"), good, 99},
      {"too wide", folder.File("map.png"), good, 100000},
      {"too tall", folder.File("map.png"), SlopeWithHole(4, 4000), 2000},
      {"no nodes", folder.File("map.png"), NodeGrid{}, 600},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string reason;
    EXPECT_EQ(WriteReportMap(c.path, c.nodes, kWest, kSouth, c.width, "Title", reason), 1);
    EXPECT_FALSE(reason.empty());
    EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
  }
}

}  // namespace
}  // namespace zelvo
