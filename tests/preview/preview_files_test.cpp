#include "preview/preview_files.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QString>

#include <cstdlib>
#include <filesystem>

#include "app/headless_window.h"
#include "app/preview_commands.h"
#include "support/temp_dir.h"

namespace zelvo {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

TEST(DefaultPreviewFileName, VariableRadiusIterationsAndObject) {
  HeadlessWindow window;
  window.SetText(Control::txt_radius, "500");
  window.SetText(Control::txt_iter, "0");
  EXPECT_EQ(DefaultPreviewFileName(window, Control::cb1), "quantity_r=500_iter=0_object=rga.bmp");
  EXPECT_EQ(DefaultPreviewFileName(window, Control::cb2), "hgqx_r=500_iter=0_object=rga.bmp");
  EXPECT_EQ(DefaultPreviewFileName(window, Control::cb3), "hgqy_r=500_iter=0_object=rga.bmp");
  window.SetItemIndex(Control::cb2, 3);  // "RQ"
  window.SetItemIndex(Control::cb3, 4);  // "rq"
  EXPECT_EQ(DefaultPreviewFileName(window, Control::cb2), DefaultPreviewFileName(window, Control::cb3));
  // Texts as they stand, a typed variable lower-cased, another extension.
  window.SetText(Control::txt_radius, "12,5");
  window.SetText(Control::cb2, "MyVar");
  window.SetItemIndex(Control::cb_iter, 1);
  EXPECT_EQ(DefaultPreviewFileName(window, Control::cb2, ".jpg"), "myvar_r=12,5_iter=0_object=lga.jpg");
}

// A smooth picture, so that JPEG's losses stay small, framed like a pane.
PaneBitmap Picture() {
  PaneBitmap pane{177, 145, {}};
  for (int y = 0; y < pane.height; ++y) {
    for (int x = 0; x < pane.width; ++x) {
      const bool ring = x == 0 || y == 0 || x == pane.width - 1 || y == pane.height - 1;
      const std::uint32_t r = x * 255 / 176, g = y * 255 / 144, b = (x + y) * 255 / 320;
      pane.pixels.push_back(ring ? 0 : r | g << 8 | b << 16);
    }
  }
  return pane;
}

int Channel(std::uint32_t colour, int shift) { return static_cast<int>(colour >> shift & 0xFF); }

TEST(SavePreview, BitmapAndJpegReadBackThroughAnotherDecoder) {
  std::string reason;
  const TempDir dir;
  const PaneBitmap pane = Picture();
  const std::string bmp = dir.File("pane.bmp");
  ASSERT_EQ(SavePreviewBitmap(bmp, pane, reason), 0) << reason;
  const std::string bytes = testing::ReadFile(bmp);
  EXPECT_EQ(bytes.size(), 54u + 532u * 145u);  // 177 * 3 = 531 bytes, padded to 532
  EXPECT_EQ(bytes.substr(0, 2), "BM");
  EXPECT_EQ(bytes[28], 24);  // bits per pixel
  QImage image(QString::fromStdString(bmp), "BMP");
  ASSERT_FALSE(image.isNull());
  ASSERT_EQ(image.width(), 177);
  ASSERT_EQ(image.height(), 145);
  for (int y = 0; y < 145; ++y) {
    for (int x = 0; x < 177; ++x) {
      const std::uint32_t want = pane.pixels[y * 177 + x];
      const QRgb got = image.pixel(x, y);
      ASSERT_EQ(qRed(got), Channel(want, 0)) << x << "," << y;
      ASSERT_EQ(qGreen(got), Channel(want, 8)) << x << "," << y;
      ASSERT_EQ(qBlue(got), Channel(want, 16)) << x << "," << y;
    }
  }

  // JPEG data in a file named .bmp: the format is the caller's choice.
  const std::string jpeg = dir.File("pane_as_jpeg.bmp");
  ASSERT_EQ(SavePreviewJpeg(jpeg, pane, reason), 0) << reason;
  const std::string jpegBytes = testing::ReadFile(jpeg);
  EXPECT_EQ(jpegBytes.substr(0, 2), "\xFF\xD8");
  EXPECT_NE(jpegBytes.find("\xFF\xC0"), std::string::npos);  // baseline frame
  EXPECT_EQ(jpegBytes.find("\xFF\xC2"), std::string::npos);  // not progressive
  QImage decoded(QString::fromStdString(jpeg), "JPEG");
  ASSERT_FALSE(decoded.isNull());
  ASSERT_EQ(decoded.width(), 177);
  ASSERT_EQ(decoded.height(), 145);
  EXPECT_FALSE(decoded.isGrayscale());
  long total = 0;
  int worst = 0;
  for (int y = 2; y < 143; ++y) {
    for (int x = 2; x < 175; ++x) {
      const std::uint32_t want = pane.pixels[y * 177 + x];
      const QRgb got = decoded.pixel(x, y);
      for (const int d : {qRed(got) - Channel(want, 0), qGreen(got) - Channel(want, 8), qBlue(got) - Channel(want, 16)}) {
        total += std::abs(d);
        worst = std::max(worst, std::abs(d));
      }
    }
  }
  EXPECT_LE(worst, 24);
  EXPECT_LT(static_cast<double>(total) / (141.0 * 173.0 * 3.0), 2.0);
}

std::vector<std::string> Listing(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(SavePreview, WholeOrNotAtAll) {
  std::string reason;
  const TempDir dir;
  const PaneBitmap pane = Picture();
  // A folder that does not exist.
  const std::string missing = dir.File("no such folder/pane.bmp");
  EXPECT_EQ(SavePreviewBitmap(missing, pane, reason), 1);
  EXPECT_EQ(SavePreviewJpeg(missing, pane, reason), 1);
  EXPECT_FALSE(fs::exists(missing));
  // A name taken by a folder: the rename fails, and the file built beside
  // it goes again.
  fs::create_directory(dir.File("taken"));
  EXPECT_EQ(SavePreviewBitmap(dir.File("taken"), pane, reason), 1);
  EXPECT_EQ(SavePreviewJpeg(dir.File("taken"), pane, reason), 1);
  EXPECT_TRUE(fs::is_directory(dir.File("taken")));
  EXPECT_EQ(Listing(dir.path()), std::vector<std::string>{"taken"});
  // An existing file is replaced whole.
  const std::string old = dir.Write("old.bmp", "previous picture");
  ASSERT_EQ(SavePreviewBitmap(old, pane, reason), 0) << reason;
  EXPECT_EQ(testing::ReadFile(old).size(), 54u + 532u * 145u);
  EXPECT_EQ(Listing(dir.path()), (std::vector<std::string>{"old.bmp", "taken"}));
  // A pane that is no picture is refused before anything is written.
  EXPECT_EQ(SavePreviewBitmap(dir.File("empty.bmp"), PaneBitmap{}, reason), 1);
  EXPECT_FALSE(fs::exists(dir.File("empty.bmp")));
}

}  // namespace
}  // namespace zelvo
