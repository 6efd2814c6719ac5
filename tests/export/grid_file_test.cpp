#include "export/grid_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <gdal.h>
#include <ogr_spatialref.h>

#include "support/temp_dir.h"

namespace zelvo {
namespace {

constexpr double kWest = -12.35;
constexpr double kSouth = -7.6;

// 7 x 5 nodes of distinct fractional values of both signs, zeros of both
// signs (a nodata of 0 would swallow them), blanks of the usual and of
// another value past the threshold.
NodeGrid SurveyNodes() {
  NodeGrid nodes{7, 5, 2.5, {}};
  for (int i = 0; i < nodes.nx; ++i) {
    for (int j = 0; j < nodes.ny; ++j) {
      nodes.values.push_back(static_cast<float>((i - 3.1) * 1000.0 + j / 3.0));
    }
  }
  nodes.values[1 * 5 + 1] = kBlankValue;
  nodes.values[4 * 5 + 0] = kBlankValue;
  nodes.values[6 * 5 + 4] = 5e37f;
  nodes.values[2 * 5 + 3] = 0.0f;
  nodes.values[5 * 5 + 2] = -0.0f;
  return nodes;
}

std::vector<std::string> FolderNames(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename());
  }
  return names;
}

// The pixel whose centre is node (i, j) holds its value bit for bit; blanks
// read as the band's nodata and nothing else does; the coordinate system is
// the one claimed (none when null).
void ExpectReadsBack(const std::string& path, const NodeGrid& nodes,
                     const OGRSpatialReference* crs) {
  const std::unique_ptr<void, decltype(&GDALClose)> grid(
      GDALOpenEx(path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, nullptr, nullptr, nullptr),
      &GDALClose);
  ASSERT_TRUE(grid);
  ASSERT_EQ(GDALGetRasterXSize(grid.get()), 7);
  ASSERT_EQ(GDALGetRasterYSize(grid.get()), 5);
  double gt[6];
  ASSERT_EQ(GDALGetGeoTransform(grid.get(), gt), CE_None);
  const double expected[6] = {kWest - 1.25, 2.5, 0.0, kSouth + 4 * 2.5 + 1.25, 0.0, -2.5};
  for (int k = 0; k < 6; ++k) EXPECT_NEAR(gt[k], expected[k], 1e-9) << "term " << k;
  const auto* claimed = OGRSpatialReference::FromHandle(GDALGetSpatialRef(grid.get()));
  EXPECT_TRUE(crs == nullptr ? claimed == nullptr : claimed != nullptr && claimed->IsSame(crs));

  GDALRasterBandH band = GDALGetRasterBand(grid.get(), 1);
  int hasNodata = 0;
  const double nodata = GDALGetRasterNoDataValue(band, &hasNodata);
  ASSERT_TRUE(hasNodata);
  std::vector<double> pixels(nodes.values.size());
  ASSERT_EQ(GDALRasterIO(band, GF_Read, 0, 0, 7, 5, pixels.data(), 7, 5, GDT_Float64, 0, 0),
            CE_None);
  for (int i = 0; i < nodes.nx; ++i) {
    for (int j = 0; j < nodes.ny; ++j) {
      const int column = static_cast<int>(std::floor((kWest + i * nodes.s - gt[0]) / gt[1]));
      const int row = static_cast<int>(std::floor((kSouth + j * nodes.s - gt[3]) / gt[5]));
      const double pixel = pixels[row * nodes.nx + column];
      const float node = nodes.values[i * nodes.ny + j];
      const float read = static_cast<float>(pixel);
      if (IsBlank(node)) {
        EXPECT_EQ(pixel, nodata) << "blank node " << i << ", " << j;
      } else {
        EXPECT_NE(pixel, nodata) << "node " << i << ", " << j;
        EXPECT_EQ(std::memcmp(&read, &node, sizeof node), 0) << "node " << i << ", " << j;
      }
    }
  }
}

TEST(GridFile, EveryFormatHoldsEachNodeAtThePixelCentredOnIt) {
  std::vector<std::string> formats{"GTiff", "GSAG", "GS7BG", "AAIGrid"};
  if (GridFormatProblem("netCDF").empty()) formats.push_back("netCDF");
  for (const std::string& format : formats) {
    SCOPED_TRACE(format);
    testing::TempDir dir;
    const std::string path = dir.File("grid" + GridFileExtension(format));
    std::string reason;
    ASSERT_EQ(WriteGridFile(path, format, SurveyNodes(), kWest, kSouth, "", reason), 0) << reason;
    ExpectReadsBack(path, SurveyNodes(), nullptr);
    for (const std::string& name : FolderNames(dir.path())) {
      EXPECT_TRUE(name.starts_with("grid.")) << "left behind: " << name;
    }
  }
}

// Sidecars carry the coordinate system of AAIGrid (.prj) and Surfer
// (.aux.xml); writing again without one must not leave the old one claimed.
TEST(GridFile, CoordinateSystemTravelsWithTheGridAndLeavesWithIt) {
  OGRSpatialReference utm33;
  ASSERT_EQ(utm33.importFromEPSG(32633), OGRERR_NONE);
  for (const std::string format : {"GTiff", "AAIGrid", "GSAG"}) {
    SCOPED_TRACE(format);
    testing::TempDir dir;
    const std::string path = dir.File("grid" + GridFileExtension(format));
    std::string reason;
    ASSERT_EQ(WriteGridFile(path, format, SurveyNodes(), kWest, kSouth, "EPSG:32633", reason), 0);
    ExpectReadsBack(path, SurveyNodes(), &utm33);
    ASSERT_EQ(WriteGridFile(path, format, SurveyNodes(), kWest, kSouth, "", reason), 0);
    ExpectReadsBack(path, SurveyNodes(), nullptr);
  }
}

TEST(GridFile, FailuresSayWhyAndLeaveNothing) {
  testing::TempDir dir;
  std::string reason;
  const auto write = [&](const std::string& name, const std::string& format, const NodeGrid& nodes,
                         const std::string& crs) {
    return WriteGridFile(dir.File(name), format, nodes, kWest, kSouth, crs, reason);
  };
  EXPECT_EQ(write("missing/grid.tif", "GTiff", SurveyNodes(), ""), 1);
  EXPECT_NE(reason.find(std::strerror(ENOENT)), std::string::npos) << reason;

  // GDAL writes the grid and its .prj, the rename over a folder fails.
  std::filesystem::create_directory(dir.File("taken.asc"));
  EXPECT_EQ(write("taken.asc", "AAIGrid", SurveyNodes(), "EPSG:32633"), 1);
  EXPECT_NE(reason.find(std::strerror(EISDIR)), std::string::npos) << reason;

  // GDAL refuses once the temporary file is claimed: its words.
  EXPECT_EQ(write("wide.grd", "GSBG", NodeGrid{32768, 1, 2.5, std::vector<float>(32768)}, ""), 1);
  EXPECT_NE(reason.find("32767"), std::string::npos) << reason;

  EXPECT_EQ(write("grid.tif", "NoSuchGrid", SurveyNodes(), ""), 1);
  EXPECT_NE(reason.find("NoSuchGrid"), std::string::npos) << reason;
  EXPECT_EQ(write("grid.tif", "GTiff", SurveyNodes(), "EPSG:nowhere"), 1);
  EXPECT_NE(reason.find("EPSG:nowhere"), std::string::npos) << reason;
  EXPECT_EQ(write("grid.tif", "GTiff", NodeGrid{7, 5, 0.0, SurveyNodes().values}, ""), 1);

  EXPECT_EQ(FolderNames(dir.path()), std::vector<std::string>{"taken.asc"});
}

TEST(GridFile, FormatsAndCoordinateSystemsAreCheckedBeforeWriting) {
  for (const char* format : {"GTiff", "GSAG", "GS7BG", "AAIGrid"}) {
    EXPECT_EQ(GridFormatProblem(format), "") << format;
  }
  const std::string unknown = GridFormatProblem("NoSuchGrid");
  EXPECT_NE(unknown.find("NoSuchGrid"), std::string::npos) << unknown;
  EXPECT_NE(unknown.find("GTiff, GSAG"), std::string::npos) << unknown;
  EXPECT_NE(GridFormatProblem("PNG"), "") << "PNG holds no floating-point values";
  EXPECT_NE(GridFormatProblem("MEM"), "") << "MEM writes no file";

  EXPECT_EQ(GridFileExtension("GTiff"), ".tif");
  EXPECT_EQ(GridFileExtension("GSAG"), ".grd");
  EXPECT_EQ(GridFileExtension("AAIGrid"), ".asc");
  EXPECT_EQ(GridFileExtension("SAGA"), ".sdat") << "named only in the list of extensions";
  EXPECT_EQ(GridFileExtension("NoSuchGrid"), ".dat");

  EXPECT_EQ(CrsProblem("EPSG:32633"), "");
  EXPECT_EQ(CrsProblem("+proj=utm +zone=33 +datum=WGS84 +units=m +no_defs"), "");
  EXPECT_EQ(
      CrsProblem("GEOGCS[\"WGS 84\",DATUM[\"WGS_1984\",SPHEROID[\"WGS 84\",6378137,"
                 "298.257223563]],PRIMEM[\"Greenwich\",0],UNIT[\"degree\",0.0174532925199433]]"),
      "");
  const std::string bad = CrsProblem("EPSG:nowhere");
  EXPECT_NE(bad.find("EPSG:nowhere"), std::string::npos) << bad;
}

}  // namespace
}  // namespace zelvo
