#include "preview/column_runner.h"

#include <algorithm>
#include <atomic>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

namespace zelvo {
namespace {

bool RunColumnsHere(int columns, const std::function<void(int)>& gridColumn,
                    const ColumnHook& columnDone) {
  for (int i = 0; i < columns; ++i) {
    gridColumn(i);
    if (columnDone && columnDone()) return true;
  }
  return false;
}

// What the workers share: the next column to take, how many are complete, and
// the flag that tells them to take no more.
struct ColumnQueue {
  std::atomic<int> next{0};
  std::atomic<int> completed{0};
  std::atomic<bool> stop{false};
};

void TakeColumns(ColumnQueue& queue, int columns, const std::function<void(int)>& gridColumn) {
  while (!queue.stop.load(std::memory_order_relaxed)) {
    const int i = queue.next.fetch_add(1, std::memory_order_relaxed);
    if (i >= columns) return;
    gridColumn(i);
    queue.completed.fetch_add(1, std::memory_order_release);
    queue.completed.notify_one();
  }
}

// Calls columnDone for every column the workers complete, until all are or
// it answers true.
bool AnswerCompletedColumns(ColumnQueue& queue, int columns, const ColumnHook& columnDone) {
  int answered = 0;
  while (answered < columns) {
    const int completed = queue.completed.load(std::memory_order_acquire);
    if (completed == answered) {
      queue.completed.wait(answered, std::memory_order_acquire);
      continue;
    }
    for (; answered < completed; ++answered) {
      if (columnDone && columnDone()) return true;
    }
  }
  return false;
}

// Started workers, told to stop and joined on every way out, a throwing
// columnDone included.
class ColumnWorkers {
 public:
  explicit ColumnWorkers(ColumnQueue& queue) : queue_(queue) {}
  ~ColumnWorkers() {
    queue_.stop.store(true, std::memory_order_relaxed);
    for (std::thread& worker : workers_) worker.join();
  }
  ColumnWorkers(const ColumnWorkers&) = delete;
  ColumnWorkers& operator=(const ColumnWorkers&) = delete;

  // As many of count as the system grants.
  void Start(int count, int columns, const std::function<void(int)>& gridColumn) {
    try {
      workers_.reserve(static_cast<std::size_t>(count));
      for (int t = 0; t < count; ++t) {
        workers_.emplace_back(TakeColumns, std::ref(queue_), columns, std::cref(gridColumn));
      }
    } catch (const std::system_error&) {
      // Fewer threads than asked for still grid every column.
    } catch (const std::bad_alloc&) {
    }
  }
  bool Empty() const { return workers_.empty(); }

 private:
  ColumnQueue& queue_;
  std::vector<std::thread> workers_;
};

}  // namespace

bool RunColumns(int columns, int threads, const std::function<void(int)>& gridColumn,
                const ColumnHook& columnDone) {
  if (threads <= 1 || columns <= 1) return RunColumnsHere(columns, gridColumn, columnDone);
  ColumnQueue queue;
  ColumnWorkers workers(queue);
  workers.Start(std::min(threads, columns), columns, gridColumn);
  if (workers.Empty()) return RunColumnsHere(columns, gridColumn, columnDone);
  return AnswerCompletedColumns(queue, columns, columnDone);
}

}  // namespace zelvo
