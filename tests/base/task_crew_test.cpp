#include "base/task_crew.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

namespace zelvo {
namespace {

using namespace std::chrono_literals;

TEST(TaskCrew, EveryTaskRunsOnceWhateverTheThreadCount) {
  for (int threads : {0, 1, 2, 5}) {
    std::vector<std::atomic<int>> runs(100);
    TaskCrew crew(threads, 100, [&runs](int task) { ++runs[static_cast<std::size_t>(task)]; });
    ASSERT_TRUE(crew.WaitForAll(60s));
    for (const std::atomic<int>& count : runs) EXPECT_EQ(count.load(), 1) << threads << " threads";
    EXPECT_EQ(crew.FinishedCount(), 100);
  }
  TaskCrew none(3, 0, [](int) {});
  EXPECT_TRUE(none.WaitForAll(0s));
}

TEST(TaskCrew, OneThreadRunsTheTasksInOrderInTheOwnersWaits) {
  std::vector<int> order;
  const std::thread::id owner = std::this_thread::get_id();
  bool onOwner = true;
  TaskCrew crew(1, 6, [&](int task) {
    order.push_back(task);
    onOwner = onOwner && std::this_thread::get_id() == owner;
  });
  EXPECT_TRUE(order.empty()) << "nothing runs before a wait";
  ASSERT_TRUE(crew.WaitFor(2, 60s));
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
  ASSERT_TRUE(crew.WaitForAll(60s));
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4, 5}));
  EXPECT_TRUE(onOwner);
}

TEST(TaskCrew, TheStartLimitHoldsTasksBack) {
  std::atomic<int> started{0};
  TaskCrew crew(3, 10, [&started](int) { ++started; }, 4);
  ASSERT_TRUE(crew.WaitFor(3, 60s));
  EXPECT_FALSE(crew.WaitFor(4, 20ms));
  EXPECT_EQ(started.load(), 4);
  crew.AllowUpTo(2);
  crew.AllowUpTo(7);
  ASSERT_TRUE(crew.WaitFor(6, 60s));
  EXPECT_FALSE(crew.Finished(7));
  crew.AllowUpTo(100);
  EXPECT_TRUE(crew.WaitForAll(60s));
}

TEST(TaskCrew, StopLetsTheRunningTasksFinishAndStartsNoMore) {
  std::atomic<bool> release{false};
  std::atomic<int> started{0};
  TaskCrew crew(3, 1000, [&](int) {
    ++started;
    while (!release) std::this_thread::sleep_for(1ms);
  });
  while (started < 2) std::this_thread::sleep_for(1ms);
  std::thread releaser([&] {
    std::this_thread::sleep_for(20ms);
    release = true;
  });
  crew.Stop();
  releaser.join();
  const int finished = crew.FinishedCount();
  EXPECT_EQ(finished, 2) << "the two helpers' tasks, none after";
  EXPECT_TRUE(crew.Finished(0));
  EXPECT_FALSE(crew.Finished(999));
  EXPECT_FALSE(crew.WaitForAll(10ms));
}

TEST(TaskCrew, ATasksExceptionReachesTheOwner) {
  TaskCrew crew(2, 50, [](int task) {
    if (task == 7) throw std::runtime_error("task 7");
  });
  EXPECT_THROW(crew.WaitForAll(60s), std::runtime_error);
  EXPECT_FALSE(crew.Finished(7));
}

}  // namespace
}  // namespace zelvo
