#include "app/qt/grid_cursor.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstddef>

#include "base/number_text.h"

namespace zelvo {
namespace {

// Grid values are single precision: digits beyond these are noise.
constexpr int kValueDigits = 6;

int NearestNode(double groundOffset, double s, int count) {
  return std::clamp(static_cast<int>(std::lround(groundOffset / s)), 0, count - 1);
}

double RoundedToValueDigits(float value) {
  char digits[32];
  const auto written = std::to_chars(digits, digits + sizeof digits, static_cast<double>(value),
                                     std::chars_format::general, kValueDigits);
  double rounded = value;
  std::from_chars(digits, written.ptr, rounded);
  return rounded;
}

}  // namespace

std::optional<NodeIndex> NodeUnderPixel(const NodeGrid& nodes, double step, int pictureWidth,
                                        int pictureHeight, int column, int row) {
  if (nodes.nx <= 0 || nodes.ny <= 0 || !(nodes.s > 0.0)) return std::nullopt;
  if (column < 0 || row < 0 || column >= pictureWidth || row >= pictureHeight) return std::nullopt;
  const int rowFromSouth = pictureHeight - 1 - row;
  return NodeIndex{NearestNode(column * step, nodes.s, nodes.nx),
                   NearestNode(rowFromSouth * step, nodes.s, nodes.ny)};
}

std::string NodeReadout(const PaneGrid& grid, NodeIndex node, char decimalSeparator) {
  const NodeGrid& nodes = grid.nodes;
  const float value =
      nodes.values[static_cast<std::size_t>(node.i) * static_cast<std::size_t>(nodes.ny) + node.j];
  const std::string valueText =
      IsBlank(value) ? "blank" : FormatGeneral(RoundedToValueDigits(value), decimalSeparator);
  return "x " + FormatGeneral(grid.west + node.i * nodes.s, decimalSeparator) + "  y " +
         FormatGeneral(grid.south + node.j * nodes.s, decimalSeparator) + "  " +
         grid.variable.name + " " + valueText;
}

}  // namespace zelvo
