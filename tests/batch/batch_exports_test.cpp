// zelvo-batch's exports as a script uses them: names, the quantity as read,
// the records of the result file, refusals before any computation.

#include <gtest/gtest.h>

#include <gdal.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <sys/wait.h>
#include <vector>

#include "support/paths.h"
#include "support/temp_dir.h"

namespace zelvo {
namespace {

struct Outcome {
  int exitCode;
  std::string stderrText;
};

class BatchExports : public ::testing::Test {
 protected:
  Outcome Run(const std::string& arguments) {
    const std::string err = dir.File("stderr.txt");
    const std::string command = "'" + testing::BatchProgram() + "' --quiet " + arguments +
                                " >/dev/null 2>'" + err + "' </dev/null";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, testing::ReadFile(err)};
  }
  std::string Folder(const std::string& name) {
    std::filesystem::create_directory(dir.File(name));
    return dir.File(name);
  }
  testing::TempDir dir;
};

// A smooth field on a 40 x 30 grid of stations 10 m apart, west and south of
// the origin so that the reader shifts it, and one station far off that has
// too few neighbours for a fit.
std::string Field() {
  std::ostringstream out;
  for (int j = 0; j < 30; ++j) {
    for (int i = 0; i < 40; ++i) {
      out << -200 + 10 * i << " " << -150 + 10 * j << " " << j * 40 + i << " "
          << 0.01 * i * i - 0.02 * j * i + 0.5 * j << "\n";
    }
  }
  out << "300 300 9999 1\n";
  return out.str();
}

std::vector<float> Band(const std::string& path) {
  GDALAllRegister();
  GDALDatasetH dataset = GDALOpen(path.c_str(), GA_ReadOnly);
  if (dataset == nullptr) return {};
  const int width = GDALGetRasterXSize(dataset), height = GDALGetRasterYSize(dataset);
  std::vector<float> values(static_cast<std::size_t>(width) * height);
  if (GDALRasterIO(GDALGetRasterBand(dataset, 1), GF_Read, 0, 0, width, height, values.data(), width,
                   height, GDT_Float32, 0, 0) != CE_None) {
    values.clear();
  }
  GDALClose(dataset);
  return values;
}

TEST_F(BatchExports, GridsPointsAndMapsOfARunAndOfItsLoad) {
  const std::string input = dir.Write("field.dat", Field());
  const std::string grids = Folder("grids"), maps = Folder("maps");
  for (const char* iterations : {"0", "3"}) {
    const Outcome run = Run(std::string("--radius 25 --iterations ") + iterations + " --grid-out '" + grids +
                            "' --map '" + maps + "' --map-width 400 --points-out '" + dir.File("points.csv") +
                            "' '" + input + "' '" + dir.File("out.dat") + "'");
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
  }
  for (const char* stem : {"quantity", "hgqx", "hgqy", "hgq", "rq_fitted", "rq_residual"}) {
    EXPECT_TRUE(std::filesystem::exists(grids + "/" + stem + "_r=25_iter=3_object=rga.tif")) << stem;
    EXPECT_TRUE(std::filesystem::exists(maps + "/" + stem + "_r=25_iter=3_object=rga.png")) << stem;
  }
  // The quantity is gridded as read, not as the last RGA pass left it.
  const std::vector<float> before = Band(grids + "/quantity_r=25_iter=0_object=rga.tif");
  ASSERT_FALSE(before.empty());
  EXPECT_EQ(before, Band(grids + "/quantity_r=25_iter=3_object=rga.tif"));
  EXPECT_NE(Band(grids + "/rq_fitted_r=25_iter=0_object=rga.tif"),
            Band(grids + "/rq_fitted_r=25_iter=3_object=rga.tif"));

  // The points are the result file's records: the far station has none.
  const std::string csv = testing::ReadFile(dir.File("points.csv"));
  const std::string result = testing::ReadFile(dir.File("out.dat"));
  const auto lines = [](const std::string& text) { return std::count(text.begin(), text.end(), '\n'); };
  EXPECT_EQ(lines(csv) - 1, lines(result) - 2);
  EXPECT_EQ(lines(csv) - 1, 1200);
  EXPECT_NE(csv.find("\n-200,-150,0,"), std::string::npos) << "coordinates as read";

  // A load of the result file exports the same grid of a result.
  const std::string loaded = Folder("loaded");
  const Outcome load = Run("--load '" + dir.File("out.dat") + "' --grid-out '" + loaded +
                           "' --grid-variables hgq --points-out '" + dir.File("loaded.csv") + "'");
  ASSERT_EQ(load.exitCode, 0) << load.stderrText;
  EXPECT_TRUE(std::filesystem::exists(loaded + "/hgq_r=25_iter=3_object=rga.tif"));
  EXPECT_EQ(lines(testing::ReadFile(dir.File("loaded.csv"))), lines(csv));
}

TEST_F(BatchExports, RefusedBeforeAnyComputationOrReportedWithTheFile) {
  const std::string input = dir.Write("field.dat", Field());
  const std::string out = dir.File("out.dat");
  for (const auto& [options, reason] : std::vector<std::pair<std::string, std::string>>{
           {"--grid-out . --grid-format NoSuchDriver", "--grid-format: "},
           {"--grid-out . --grid-variables hgqx,RQ", "--grid-variables: "},
           {"--points-out points.xyz", "--points-out: "},
           {"--points-out p.csv --crs EPSG:999999999", "--crs: "},
           {"--map . --map-width 10", "--map-width "}}) {
    const Outcome refused = Run("--radius 25 " + options + " '" + input + "' '" + out + "'");
    EXPECT_EQ(refused.exitCode, 2) << options;
    EXPECT_EQ(refused.stderrText.rfind("zelvo-batch: " + reason, 0), 0u) << refused.stderrText;
    EXPECT_FALSE(std::filesystem::exists(out)) << options;
  }
  const Outcome missing = Run("--radius 25 --grid-out '" + dir.File("none") + "' '" + input + "' '" + out + "'");
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_NE(missing.stderrText.find("zelvo-batch: Cannot write " + dir.File("none") + "/quantity_r=25"), std::string::npos)
      << missing.stderrText;
  EXPECT_FALSE(testing::ReadFile(out).empty()) << "the result file is complete before the exports";
}

// GDAL comes in with the exports that need it and not before: a run that
// writes no grid or point file does not map it, and a copy of the program
// without the module where it is installed refuses those exports, naming
// what is missing.
TEST_F(BatchExports, GdalLoadedOnlyForTheExportsThatNeedIt) {
  const std::string input = dir.Write("field.dat", Field());
  const auto loaded = [&](const std::string& program, const std::string& options) {
    const std::string err = dir.File("stderr.txt");
    const std::string command = "LD_DEBUG=files '" + program + "' --quiet --radius 25 " + options +
                                " '" + input + "' '" + dir.File("out.dat") + "' 2>'" + err + "'";
    const int status = std::system(command.c_str());
    return Outcome{WIFEXITED(status) ? WEXITSTATUS(status) : -1, testing::ReadFile(err)};
  };
  for (const auto& [options, gdal] : std::vector<std::pair<std::string, bool>>{
           {"", false},
           {"--map '" + Folder("maps") + "' --map-width 400", false},
           {"--points-out '" + dir.File("points.gpkg") + "'", true}}) {
    const Outcome run = loaded(testing::BatchProgram(), options);
    EXPECT_EQ(run.exitCode, 0) << options;
    EXPECT_EQ(run.stderrText.find("libgdal.so") != std::string::npos, gdal) << options;
  }

  const std::string copy = Folder("bin") + "/zelvo-batch";
  std::filesystem::copy_file(testing::BatchProgram(), copy);
  const Outcome refused = loaded(copy, "--grid-out '" + Folder("grids") + "'");
  EXPECT_EQ(refused.exitCode, 2);
  const std::string reason = "zelvo-batch: --grid-format: the GDAL writers cannot be loaded: ";
  const std::size_t at = refused.stderrText.find(reason);
  ASSERT_NE(at, std::string::npos) << refused.stderrText;
  EXPECT_EQ(refused.stderrText.substr(at + reason.size(), dir.File("lib/").size()), dir.File("lib/"));
  EXPECT_NE(refused.stderrText.find("/zelvo-gdal.so is missing\n", at), std::string::npos);
}

}  // namespace
}  // namespace zelvo
