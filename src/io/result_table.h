#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace zelvo {

// The working point rows. Column k is also the variable index of a preview:
// 2 working quantity, 3 hgqx, 4 hgqy, 5 hgq, 6 Rq, 7 rq.
enum ResultColumn : int {
  kColX = 0, kColY = 1, kColQuantity = 2, kColHgqx = 3, kColHgqy = 4,
  kColHgq = 5, kColRq = 6, kColRqResidual = 7, kColNpoints = 8,
};
inline constexpr int kResultColumns = 9;

// Stored column by column so that the fits and the gridding stream over plain
// arrays; row k belongs to point k of the point table.
struct ResultTable {
  std::array<std::vector<double>, kResultColumns> column;
  // 1 where the last pass wrote the row's record; a point passed over after
  // a singular fit has none.
  std::vector<std::uint8_t> recorded;

  int Size() const { return static_cast<int>(column[kColX].size()); }
  void Resize(std::size_t n) {
    for (auto& values : column) values.assign(n, 0.0);
    recorded.assign(n, 0);
  }
  void Release() {
    for (auto& values : column) std::vector<double>().swap(values);
    std::vector<std::uint8_t>().swap(recorded);
  }
  double* Column(int index) { return column[index].data(); }
  const double* Column(int index) const { return column[index].data(); }
};

}  // namespace zelvo
