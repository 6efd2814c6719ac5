#include "preview/column_runner.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <vector>

namespace zelvo {
namespace {

TEST(RunColumns, GridsEveryColumnOnceWhateverTheThreadCount) {
  for (const int threads : {0, 1, 2, 3, 40}) {
    std::vector<std::atomic<int>> visits(37);
    int answered = 0;
    EXPECT_FALSE(RunColumns(
        37, threads, [&](int i) { visits[static_cast<std::size_t>(i)].fetch_add(1); },
        [&] { return ++answered < 0; }));
    EXPECT_EQ(answered, 37) << threads << " threads";
    for (const std::atomic<int>& count : visits) EXPECT_EQ(count.load(), 1) << threads << " threads";
  }
}

TEST(RunColumns, AThrowingHookLeavesNoThreadBehind) {
  std::atomic<int> gridded{0};
  EXPECT_THROW(RunColumns(
                   500, 2, [&](int) { gridded.fetch_add(1); },
                   [] () -> bool { throw std::runtime_error("window gone"); }),
               std::runtime_error);
  // The workers were joined: nothing grids any more.
  const int after = gridded.load();
  EXPECT_GE(after, 1);
  EXPECT_EQ(gridded.load(), after);
}

}  // namespace
}  // namespace zelvo
