#include "base/large_pages.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <numeric>
#include <sstream>
#include <string>
#include <vector>

namespace zelvo {
namespace {

TEST(LargePages, ReservingKeepsWhatIsHeldAndOnlyGrows) {
  std::vector<double> values(1000);
  std::iota(values.begin(), values.end(), 0.5);
  ReserveOnLargePages(values, std::size_t{1} << 20);
  ASSERT_EQ(values.size(), 1000u);
  EXPECT_GE(values.capacity(), std::size_t{1} << 20);
  EXPECT_EQ(values[999], 999.5);
  const double* held = values.data();
  ReserveOnLargePages(values, 10);
  EXPECT_EQ(values.data(), held) << "room enough is kept as it is";
  // Blocks that cannot hold a large page, unaligned or absent, are left alone.
  AdviseLargePages(nullptr, 1 << 22);
  AdviseLargePages(held + 1, 100);
  AdviseLargePages(reinterpret_cast<const char*>(held) + 3, (std::size_t{2} << 20) + 5);
}

// The kilobytes of large pages in the mapping that holds address, from the
// process's own map; -1 where it cannot be read.
long LargePageKilobytesAt(const void* address) {
  std::ifstream maps("/proc/self/smaps");
  const auto at = reinterpret_cast<std::uintptr_t>(address);
  bool inside = false;
  for (std::string line; std::getline(maps, line);) {
    std::uintptr_t from = 0, to = 0;
    char dash = 0;
    std::istringstream range(line);
    if (range >> std::hex >> from >> dash >> to && dash == '-') {
      inside = at >= from && at < to;
    } else if (inside && line.rfind("AnonHugePages:", 0) == 0) {
      return std::stol(line.substr(14));
    }
  }
  return -1;
}

bool SystemLendsLargePagesOnAdvice() {
  std::ifstream setting("/sys/kernel/mm/transparent_hugepage/enabled");
  std::string modes;
  std::getline(setting, modes);
  return modes.find("[madvise]") != std::string::npos || modes.find("[always]") != std::string::npos;
}

TEST(LargePages, AdvisedColumnIsBackedByThem) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the sanitizer's allocator lays out its own mappings";
#endif
  if (!SystemLendsLargePagesOnAdvice()) GTEST_SKIP() << "this system lends no large pages";
  std::vector<double> column;
  ReserveOnLargePages(column, std::size_t{8} << 20);
  column.assign(std::size_t{8} << 20, 1.0);
  EXPECT_GT(LargePageKilobytesAt(column.data() + column.size() / 2), 0);
}

}  // namespace
}  // namespace zelvo
