#include <gtest/gtest.h>

#include <cairo.h>

#include <filesystem>

#include "export/pane_file.h"
#include "support/temp_dir.h"

namespace zelvo {
namespace {

TEST(PanePng, EveryPixelReadsBackAndFailuresLeaveNoFile) {
  testing::TempDir dir;
  PaneBitmap pane{7, 5, {}};
  for (int k = 0; k < 35; ++k) pane.pixels.push_back(0x00102030u * static_cast<std::uint32_t>(k % 7 + 1) + k);
  std::string reason;
  const std::string path = dir.File("pane.png");
  ASSERT_EQ(SavePreviewFile(path, PaneFormat(3), pane, reason), 0) << reason;
  cairo_surface_t* image = cairo_image_surface_create_from_png(path.c_str());
  ASSERT_EQ(cairo_surface_status(image), CAIRO_STATUS_SUCCESS);
  ASSERT_EQ(cairo_image_surface_get_width(image), 7);
  ASSERT_EQ(cairo_image_surface_get_height(image), 5);
  const unsigned char* data = cairo_image_surface_get_data(image);
  const int stride = cairo_image_surface_get_stride(image);
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 7; ++x) {
      const std::uint32_t read = reinterpret_cast<const std::uint32_t*>(data + y * stride)[x] & 0xFFFFFFu;
      const std::uint32_t colour = pane.pixels[static_cast<std::size_t>(y) * 7 + x];  // 0x00BBGGRR
      const std::uint32_t expected = (colour & 0xFF) << 16 | (colour & 0xFF00) | (colour >> 16 & 0xFF);
      EXPECT_EQ(read, expected) << x << "," << y;
    }
  }
  cairo_surface_destroy(image);

  EXPECT_EQ(SavePreviewFile(dir.File("none/pane.png"), "png", pane, reason), 1);
  EXPECT_FALSE(reason.empty());
  EXPECT_EQ(SavePreviewFile(dir.File("empty.png"), "png", PaneBitmap{}, reason), 1);
  EXPECT_FALSE(std::filesystem::exists(dir.File("empty.png")));
  EXPECT_EQ(PaneFormat(1), "bmp");
  EXPECT_EQ(PaneFormat(2), "jpg");
}

}  // namespace
}  // namespace zelvo
