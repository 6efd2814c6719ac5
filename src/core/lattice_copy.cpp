#include "core/lattice_copy.h"

#include <algorithm>

#include "base/large_pages.h"

namespace zelvo {

std::int64_t LatticeCopy::Overlap(std::int64_t first, std::int64_t last) const {
  return std::max<std::int64_t>(0, std::min(last, last_) - std::max(first, first_));
}

LatticeStream LatticeCopy::Cover(const FitData& data, std::int64_t first, std::int64_t last) {
  const SearchCluster& cluster = *data.cluster;
  const std::int32_t* order = cluster.LatticeOrder();
  // A stretch further on keeps what it shares with the one held, moved to
  // the front; any other is gathered whole.
  std::int64_t kept = 0;
  if (first >= first_ && first < last_) {
    kept = std::min(last, last_) - first;
    if (first > first_) {
      std::copy(held_.begin() + (first - first_), held_.begin() + (first - first_ + kept),
                held_.begin());
    }
  }
  ReserveOnLargePages(held_, static_cast<std::size_t>(last - first));
  held_.resize(static_cast<std::size_t>(last - first));
  LatticePoint* out = held_.data() + kept;
  for (std::int64_t t = first + kept; t < last; ++t, ++out) {
    const int k = order[t];
    *out = LatticePoint{data.x[k], data.y[k], data.q[k], cluster.CellRow(data.y[k])};
  }
  first_ = first;
  last_ = last;
  return LatticeStream{held_.data(), first};
}

LatticeCopy& LatticeCopies::Take(std::int64_t first, std::int64_t last) {
  const std::lock_guard<std::mutex> lock(mutex_);
  if (free_.empty()) return *taken_.emplace_back(std::make_unique<LatticeCopy>());
  const auto best = std::max_element(free_.begin(), free_.end(), [&](const auto& a, const auto& b) {
    return a->Overlap(first, last) < b->Overlap(first, last);
  });
  taken_.push_back(std::move(*best));
  free_.erase(best);
  return *taken_.back();
}

void LatticeCopies::Give(const LatticeCopy& copy) {
  const std::lock_guard<std::mutex> lock(mutex_);
  const auto given = std::find_if(taken_.begin(), taken_.end(),
                                  [&](const auto& taken) { return taken.get() == &copy; });
  free_.push_back(std::move(*given));
  taken_.erase(given);
}

}  // namespace zelvo
