#include "export/pane_png.h"

#include <cairo.h>

#include <cstdint>
#include <vector>

#include "base/whole_file.h"

namespace zelvo {
namespace {

cairo_status_t AppendBytes(void* closure, const unsigned char* data, unsigned int length) {
  auto* bytes = static_cast<std::vector<unsigned char>*>(closure);
  bytes->insert(bytes->end(), data, data + length);
  return CAIRO_STATUS_SUCCESS;
}

// Pane colours are 0x00BBGGRR; cairo keeps 0x00RRGGBB in native words.
std::uint32_t CairoColour(std::uint32_t colour) {
  return (colour & 0xFFu) << 16 | (colour & 0xFF00u) | (colour >> 16 & 0xFFu);
}

}  // namespace

int SavePreviewPng(const std::string& name, const PaneBitmap& pane, std::string& reason) {
  if (pane.width <= 0 || pane.height <= 0 ||
      pane.pixels.size() != static_cast<std::size_t>(pane.width) * static_cast<std::size_t>(pane.height)) {
    reason = "the pane holds no picture";
    return 1;
  }
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, pane.width, pane.height);
  cairo_surface_flush(surface);
  unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  for (int y = 0; data != nullptr && y < pane.height; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(data + static_cast<std::size_t>(y) * stride);
    for (int x = 0; x < pane.width; ++x) {
      row[x] = CairoColour(pane.pixels[static_cast<std::size_t>(y) * pane.width + x]);
    }
  }
  cairo_surface_mark_dirty(surface);
  std::vector<unsigned char> bytes;
  const cairo_status_t status = cairo_surface_write_to_png_stream(surface, AppendBytes, &bytes);
  cairo_surface_destroy(surface);
  if (status != CAIRO_STATUS_SUCCESS) {
    reason = cairo_status_to_string(status);
    return 1;
  }
  return WriteWholeFile(name, bytes.data(), bytes.size(), reason);
}

}  // namespace zelvo
