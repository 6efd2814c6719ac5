// A lattice that would take a large part of the machine's memory is refused
// before any of it is allocated.

#include <gtest/gtest.h>

#include <cmath>
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

TEST(OversizedLattice, IsRefusedBeforeAllocating) {
  const double physical = static_cast<double>(sysconf(_SC_PHYS_PAGES)) * sysconf(_SC_PAGE_SIZE);
  // Nearly a third of the memory in 4-byte cell offsets, square, at a radius of 1
  // (cells of 0.1).
  const double cells = physical * 0.3 / 4;
  if (cells > 2.1e9) GTEST_SKIP() << "the lattice's cell count cannot reach that much of this memory";
  const double side = std::floor((std::sqrt(cells) - 1) / 10);
  testing::TempDir dir;
  const std::string input =
      dir.Write("in.dat", "0 0 1 1\n" + std::to_string(side) + " " + std::to_string(side) + " 2 2\n");
  const std::string command = "'" + testing::BatchProgram() + "' -q --radius 1 '" + input + "' '" +
                              dir.File("out.dat") + "' 2>'" + dir.File("stderr.txt") + "'";
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_NE(ReadFile(dir.File("stderr.txt")).find("Insufficent memory"), std::string::npos)
      << ReadFile(dir.File("stderr.txt"));
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  EXPECT_LT(usage.ru_maxrss, 512L * 1024) << "kilobytes at the peak";
}

}  // namespace
}  // namespace zelvo
