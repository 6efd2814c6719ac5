#include "base/task_crew.h"

#include <algorithm>
#include <system_error>

namespace zelvo {

TaskCrew::TaskCrew(int threads, int count, Task task, int startLimit)
    : count_(std::max(count, 0)),
      task_(std::move(task)),
      finished_(static_cast<std::size_t>(count_), false),
      limit_(std::clamp(startLimit, 0, count_)) {
  const int helpers = std::min(std::max(threads, 1) - 1, count_);
  threads_.reserve(static_cast<std::size_t>(helpers));
  for (int t = 0; t < helpers; ++t) {
    try {
      threads_.emplace_back([this] { Work(); });
    } catch (const std::system_error&) {
      // The system grants no more threads: the owner runs in its waits
      // whatever the missing helpers would have.
      break;
    }
  }
}

TaskCrew::~TaskCrew() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    stopped_ = true;
  }
  changed_.notify_all();
  for (std::thread& thread : threads_) thread.join();
}

void TaskCrew::AllowUpTo(int limit) {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    limit_ = std::max(limit_, std::min(limit, count_));
  }
  changed_.notify_all();
}

bool TaskCrew::CanStart() const {
  return !stopped_ && !failure_ && next_ < limit_;
}

bool TaskCrew::RunNext(std::unique_lock<std::mutex>& lock) {
  if (!CanStart()) return false;
  const int task = next_++;
  ++running_;
  lock.unlock();
  std::exception_ptr failure;
  try {
    task_(task);
  } catch (...) {
    failure = std::current_exception();
  }
  lock.lock();
  --running_;
  if (failure) {
    if (!failure_) failure_ = failure;
  } else {
    finished_[static_cast<std::size_t>(task)] = true;
    ++finishedCount_;
  }
  changed_.notify_all();
  return true;
}

void TaskCrew::Work() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (!stopped_) {
    if (!RunNext(lock)) changed_.wait(lock);
  }
}

void TaskCrew::RethrowFailure() {
  if (!failure_) return;
  stopped_ = true;
  changed_.notify_all();
  std::rethrow_exception(failure_);
}

bool TaskCrew::WaitFor(int task, std::chrono::steady_clock::duration timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  std::unique_lock<std::mutex> lock(mutex_);
  const auto done = [&] { return finished_[static_cast<std::size_t>(task)]; };
  while (!done()) {
    RethrowFailure();
    if (std::chrono::steady_clock::now() >= deadline) return false;
    // The owner helps rather than waits; a wait ends when any task ends.
    if (!RunNext(lock) && changed_.wait_until(lock, deadline) == std::cv_status::timeout) {
      RethrowFailure();
      return done();
    }
  }
  return true;
}

bool TaskCrew::WaitForAll(std::chrono::steady_clock::duration timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (int task = 0; task < count_; ++task) {
    const auto left = deadline - std::chrono::steady_clock::now();
    if (!WaitFor(task, std::max(left, std::chrono::steady_clock::duration::zero()))) return false;
  }
  return true;
}

void TaskCrew::Stop() {
  std::unique_lock<std::mutex> lock(mutex_);
  stopped_ = true;
  changed_.notify_all();
  changed_.wait(lock, [this] { return running_ == 0; });
}

bool TaskCrew::Finished(int task) const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return finished_[static_cast<std::size_t>(task)];
}

int TaskCrew::FinishedCount() const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return finishedCount_;
}

int MachineThreads() {
  const unsigned threads = std::thread::hardware_concurrency();
  return threads == 0 ? 1 : static_cast<int>(threads);
}

}  // namespace zelvo
