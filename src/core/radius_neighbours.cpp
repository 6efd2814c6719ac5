#include "core/radius_neighbours.h"

#include <algorithm>
#include <bit>

#include "core/radius_sweep.h"

namespace zelvo {
namespace {

constexpr std::uint64_t kLargestBlockWords = std::uint64_t{1} << 20;

// Packs one bit a point, in the window's order, into words from `mark` on;
// the notes of a radius sweep.
class MarkWriter {
 public:
  explicit MarkWriter(std::uint64_t* mark) : mark_(mark) {}
  void Put(bool used) {
    word_ |= static_cast<std::uint64_t>(used) << filled_;
    if (++filled_ == 64) {
      *mark_++ = word_;
      word_ = 0;
      filled_ = 0;
    }
  }
  void Finish() {
    if (filled_ != 0) *mark_ = word_;
  }

 private:
  std::uint64_t* mark_;
  std::uint64_t word_ = 0;
  unsigned filled_ = 0;
};

}  // namespace

RadiusNeighbours::RadiusNeighbours(const FitData& data, const FitChoices& choices,
                                   const AreaCentre& centre, int points,
                                   std::uint64_t memoryBudgetBytes)
    : data_(data), choices_(choices), centre_(centre) {
  const std::uint64_t perPoint =
      (sizeof(std::uint64_t) + sizeof(QuantityFree)) * static_cast<std::uint64_t>(points);
  // Without room for the sums no point is kept (MarksFor finds no room) and
  // every fit is made afresh.
  if (perPoint >= memoryBudgetBytes) return;
  const std::uint64_t budgetWords = (memoryBudgetBytes - perPoint) / sizeof(std::uint64_t);
  blockWords_ = std::min(budgetWords, kLargestBlockWords);
  budgetBlocks_ = blockWords_ == 0 ? 0 : budgetWords / blockWords_;
  firstWord_.assign(static_cast<std::size_t>(points), kNotKept);
  quantityFree_.resize(static_cast<std::size_t>(points));
}

std::uint64_t* RadiusNeighbours::MarksFor(int k, const CellRange& window) {
  const SearchCluster& cluster = *data_.cluster;
  std::uint64_t candidates = 0;
  for (int i = window.iLo; i < window.iHi; ++i) {
    candidates += static_cast<std::uint64_t>(cluster.ColumnRunEnd(i, window.jHi) -
                                             cluster.ColumnRunBegin(i, window.jLo));
  }
  const std::uint64_t words = (candidates + 63) / 64;
  if (blocks_.empty() || blocks_.back().size() + words > blockWords_) {
    if (words > blockWords_ || blocks_.size() >= budgetBlocks_) return nullptr;
    blocks_.emplace_back().reserve(blockWords_);
  }
  std::vector<std::uint64_t>& block = blocks_.back();
  const std::uint64_t first = block.size();
  block.resize(first + words);
  firstWord_[static_cast<std::size_t>(k)] = (blocks_.size() - 1) * blockWords_ + first;
  ++kept_;
  return block.data() + first;
}

const std::uint64_t* RadiusNeighbours::MarksOf(int k) const {
  const std::uint64_t first = firstWord_[static_cast<std::size_t>(k)];
  return blocks_[first / blockWords_].data() + first % blockWords_;
}

// Calls visit(m) for every marked point of k's window, in the window's order.
template <typename Visit>
void RadiusNeighbours::ForEachMarked(int k, const CellRange& window, Visit visit) const {
  const SearchCluster& cluster = *data_.cluster;
  const std::uint64_t* mark = MarksOf(k);
  std::uint64_t bit = 0;
  for (int i = window.iLo; i < window.iHi; ++i) {
    const std::int32_t* run = cluster.ColumnRunBegin(i, window.jLo);
    const auto length = static_cast<std::uint64_t>(cluster.ColumnRunEnd(i, window.jHi) - run);
    for (std::uint64_t c = 0; c < length;) {
      const std::uint64_t at = bit + c;
      const std::uint64_t shift = at % 64;
      const std::uint64_t span = std::min<std::uint64_t>(64 - shift, length - c);
      std::uint64_t marked = mark[at / 64] >> shift;
      if (span < 64) marked &= (std::uint64_t{1} << span) - 1;
      for (; marked != 0; marked &= marked - 1) visit(run[c + std::countr_zero(marked)]);
      c += span;
    }
    bit += length;
  }
}

void RadiusNeighbours::Fit(int k, double x0, double y0, double q0, PlaneFit& fit) {
  if (Kept(k)) {
    FitKept(k, x0, y0, q0, fit);
    return;
  }
  const CellRange window = data_.cluster->CellWindow(x0, y0, data_.searchRadius);
  std::uint64_t* marks = MarksFor(k, window);
  if (marks == nullptr) {
    FitPlaneRadius(data_, choices_, centre_, x0, y0, q0, fit);
    return;
  }
  const RadiusSweep sweep(data_, choices_, centre_, x0, y0, q0);
  NormalSums sums;
  if (!SweepClear(sweep, window, sums, MarkWriter(marks))) {
    SweepExact(sweep, window, sums, MarkWriter(marks));
  }
  quantityFree_[static_cast<std::size_t>(k)] = {sums.a00, sums.a01, sums.a02,
                                                sums.a11, sums.a12, sums.a22};
  sums.Solve(fit);
}

void RadiusNeighbours::FitKept(int k, double x0, double y0, double q0, PlaneFit& fit) const {
  const CellRange window = data_.cluster->CellWindow(x0, y0, data_.searchRadius);
  const RadiusSweep sweep(data_, choices_, centre_, x0, y0, q0);
  double r0 = 0, r1 = 0, r2 = 0;
  ForEachMarked(k, window, [&](int m) {
    const double X = data_.x[m] - sweep.offX;
    const double Y = data_.y[m] - sweep.offY;
    const double Z = data_.q[m] - sweep.offQ;
    r0 += X * Z;
    r1 += Y * Z;
    r2 += Z;
  });
  const QuantityFree& a = quantityFree_[static_cast<std::size_t>(k)];
  const NormalSums sums{a.a00, a.a01, a.a02, a.a11, a.a12, a.a22, r0, r1, r2};
  sums.Solve(fit);
}

}  // namespace zelvo
