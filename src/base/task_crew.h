#pragma once

#include <chrono>
#include <condition_variable>
#include <exception>
#include <functional>
#include <limits>
#include <mutex>
#include <thread>
#include <vector>

namespace zelvo {

// Numbered tasks 0 .. count-1 handed out in increasing order to a crew of
// threads. The thread that owns the crew counts as one of them: it runs tasks
// while it waits, so a crew of one starts no thread at all and its tasks run
// in the owner's waits, in order. Tasks must not depend on each other. Where
// the system grants fewer threads than asked for, the crew is smaller.
class TaskCrew {
 public:
  using Task = std::function<void(int task)>;

  // `threads` below 1 counts as 1. Only tasks below the start limit are
  // started; AllowUpTo raises it.
  TaskCrew(int threads, int count, Task task,
           int startLimit = std::numeric_limits<int>::max());
  ~TaskCrew();
  TaskCrew(const TaskCrew&) = delete;
  TaskCrew& operator=(const TaskCrew&) = delete;

  // Lets tasks below `limit` start; a lower limit than before changes nothing.
  void AllowUpTo(int limit);
  // Runs or waits for tasks until `task` has finished or `timeout` has
  // passed; true when it has finished. A task's exception is thrown here.
  bool WaitFor(int task, std::chrono::steady_clock::duration timeout);
  // As WaitFor, for every task.
  bool WaitForAll(std::chrono::steady_clock::duration timeout);
  // No task starts any more; returns once the running ones have finished.
  void Stop();

  bool Finished(int task) const;
  int FinishedCount() const;
  int Count() const { return count_; }

 private:
  void Work();
  // Starts the next allowed task under the lock and runs it unlocked; false
  // when none may start.
  bool RunNext(std::unique_lock<std::mutex>& lock);
  bool CanStart() const;
  void RethrowFailure();

  const int count_;
  const Task task_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<bool> finished_;
  int next_ = 0;
  int limit_;
  int finishedCount_ = 0;
  int running_ = 0;
  bool stopped_ = false;
  std::exception_ptr failure_;
  std::vector<std::thread> threads_;
};

// The threads this machine runs at once; 1 when it cannot tell.
int MachineThreads();

}  // namespace zelvo
