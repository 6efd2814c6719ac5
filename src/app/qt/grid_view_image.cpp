#include "app/qt/grid_view_image.h"

#include <cstddef>

#include "preview/render_shaded.h"
#include "preview/resample.h"

namespace zelvo {
namespace {

QRgb ToRgb(std::uint32_t colour) {  // from 0x00BBGGRR
  return qRgb(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

// The filled south-west block of the render, its rows turned north up.
QImage NorthUpBlock(const PreviewImage& render, int columns, int rows) {
  QImage picture(columns, rows, QImage::Format_RGB32);
  const std::size_t height = static_cast<std::size_t>(render.height);
  for (int row = 0; row < rows; ++row) {
    auto* line = reinterpret_cast<QRgb*>(picture.scanLine(row));
    const std::size_t fromSouth = static_cast<std::size_t>(rows - 1 - row);
    for (int x = 0; x < columns; ++x) line[x] = ToRgb(render.colours[x * height + fromSouth]);
  }
  return picture;
}

}  // namespace

GridViewImage DrawGridViewImage(const NodeGrid& nodes, QSize room, RunObserver& observer) {
  GridViewImage drawn;
  if (room.isEmpty()) return drawn;
  PreviewGrid grid;
  if (ResampleToPreview(nodes, room.width(), room.height(), observer, grid) != 0) return drawn;
  if (!Drawable(grid)) return drawn;
  drawn.picture = NorthUpBlock(RenderShaded(grid), grid.outNx, grid.outNy);
  drawn.step = grid.step;
  drawn.mean = grid.mean;
  drawn.sigma = grid.sigma;
  return drawn;
}

}  // namespace zelvo
