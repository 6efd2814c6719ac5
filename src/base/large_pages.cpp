#include "base/large_pages.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

namespace zelvo {

void AdviseLargePages(const void* data, std::size_t bytes) {
  constexpr std::uintptr_t kLargePage = std::uintptr_t{2} << 20;
  const std::uintptr_t page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
  const std::uintptr_t begin = reinterpret_cast<std::uintptr_t>(data);
  // madvise takes whole pages: only those that lie within the block.
  const std::uintptr_t first = (begin + page - 1) / page * page;
  const std::uintptr_t last = (begin + bytes) / page * page;
  if (data == nullptr || last < first + kLargePage) return;
  // Advice only: a system without large pages refuses it, and nothing is lost.
  madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}

}  // namespace zelvo
