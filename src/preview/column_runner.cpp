#include "preview/column_runner.h"

#include <atomic>
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

}  // namespace

bool RunColumns(int columns, int threads, const std::function<void(int)>& gridColumn,
                const ColumnHook& columnDone) {
  if (threads <= 1 || columns <= 1) return RunColumnsHere(columns, gridColumn, columnDone);
  ColumnQueue queue;
  std::vector<std::thread> workers;
  workers.reserve(static_cast<std::size_t>(threads));
  try {
    for (int t = 0; t < threads && t < columns; ++t) {
      workers.emplace_back(TakeColumns, std::ref(queue), columns, std::cref(gridColumn));
    }
  } catch (const std::system_error&) {
    // Fewer threads than asked for still grid every column.
  }
  if (workers.empty()) return RunColumnsHere(columns, gridColumn, columnDone);
  const bool stopped = AnswerCompletedColumns(queue, columns, columnDone);
  queue.stop.store(true, std::memory_order_relaxed);
  for (std::thread& worker : workers) worker.join();
  return stopped;
}

}  // namespace zelvo
