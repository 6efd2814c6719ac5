// A lattice over a vast empty area costs what its points cost; a grid as
// large as that lattice is refused before any of it is allocated.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <cstdlib>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/paths.h"
#include "support/temp_dir.h"

namespace zelvo {
namespace {

using testing::ReadFile;

// Two points at the corners of a square lattice of nearly a third of the
// memory in 4-byte cells, at a radius of 1 (cells of 0.1); empty when the cell
// count cannot reach that much of this machine's memory.
std::string FarCornersInput(testing::TempDir& dir) {
  const double physical = static_cast<double>(sysconf(_SC_PHYS_PAGES)) * sysconf(_SC_PAGE_SIZE);
  const double cells = physical * 0.3 / 4;
  if (cells > 2.1e9) return {};
  const double side = std::floor((std::sqrt(cells) - 1) / 10);
  return dir.Write("in.dat",
                   "0 0 1 1\n" + std::to_string(side) + " " + std::to_string(side) + " 2 2\n");
}

struct BatchRun {
  int exitCode = -1;
  std::string errors;
  long peakKilobytes = 0;
};

BatchRun RunBatch(testing::TempDir& dir, const std::string& arguments) {
  const std::string command = "'" + testing::BatchProgram() + "' -q --radius 1 " + arguments +
                              " 2>'" + dir.File("stderr.txt") + "'";
  const int status = std::system(command.c_str());
  BatchRun run;
  if (WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
  run.errors = ReadFile(dir.File("stderr.txt"));
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  run.peakKilobytes = usage.ru_maxrss;
  return run;
}

// The lattice holds only its two occupied cells; the previews' node grid is
// as large as the lattice and is refused before it is allocated, and no pane
// file is written as if it showed the picture.
TEST(OversizedLattice, IsLaidSparselyAndItsPreviewsAreRefusedBeforeAllocating) {
  testing::TempDir dir;
  const std::string input = FarCornersInput(dir);
  if (input.empty()) GTEST_SKIP() << "the lattice's cell count cannot reach that much of this memory";
  const BatchRun withoutPreviews = RunBatch(dir, "'" + input + "' '" + dir.File("out.dat") + "'");
  EXPECT_EQ(withoutPreviews.exitCode, 0) << withoutPreviews.errors;

  const std::string panes = dir.File("panes");
  std::filesystem::create_directory(panes);
  const BatchRun withPreviews =
      RunBatch(dir, "--preview '" + panes + "' '" + input + "' '" + dir.File("out.dat") + "'");
  EXPECT_EQ(withPreviews.exitCode, 1);
  EXPECT_NE(withPreviews.errors.find("Insufficent memory"), std::string::npos) << withPreviews.errors;
  EXPECT_TRUE(std::filesystem::is_empty(panes));
  EXPECT_LT(withPreviews.peakKilobytes, 512L * 1024) << "kilobytes at the peak";
}

}  // namespace
}  // namespace zelvo
