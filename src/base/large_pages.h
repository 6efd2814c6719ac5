#pragma once

#include <cstddef>
#include <vector>

namespace zelvo {

// Asks the system to back the bytes at data with large pages where it can.
// A survey's columns are read and written in lattice order, scattered over
// megabytes, and small pages then cost a walk of the page tables for nearly
// every access. Takes effect for memory not yet touched; does nothing where
// the system has no such pages or the block is too small to hold one.
void AdviseLargePages(const void* data, std::size_t bytes);

// values.reserve(count), with any new room advised large pages.
template <typename T>
void ReserveOnLargePages(std::vector<T>& values, std::size_t count) {
  if (values.capacity() >= count) return;
  std::vector<T> room;
  room.reserve(count);
  AdviseLargePages(room.data(), count * sizeof(T));
  room.insert(room.end(), values.begin(), values.end());
  values.swap(room);
}

}  // namespace zelvo
