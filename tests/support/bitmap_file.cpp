#include "support/bitmap_file.h"

#include "base/little_endian.h"
#include "support/temp_dir.h"

namespace zelvo::testing {

BitmapPixels ReadBitmapFile(const std::string& path) {
  const std::string text = ReadFile(path);
  const std::vector<std::uint8_t> bytes(text.begin(), text.end());
  constexpr std::size_t kHeaderBytes = 54;
  if (bytes.size() < kHeaderBytes || bytes[0] != 'B' || bytes[1] != 'M' ||
      LoadLittleEndian(&bytes[28], 2) != 24 || LoadLittleEndian(&bytes[30], 4) != 0) {
    return {};
  }
  BitmapPixels bitmap;
  const auto offset = static_cast<std::size_t>(LoadLittleEndian(&bytes[10], 4));
  bitmap.width = static_cast<int>(LoadLittleEndian(&bytes[18], 4));
  bitmap.height = static_cast<int>(LoadLittleEndian(&bytes[22], 4));
  const std::size_t rowBytes = (3 * static_cast<std::size_t>(bitmap.width) + 3) & ~std::size_t{3};
  if (bitmap.width <= 0 || bitmap.height <= 0 || offset + rowBytes * bitmap.height > bytes.size()) {
    return {};
  }
  // Rows are stored from the bottom up, each pixel as blue, green, red.
  for (int y = 0; y < bitmap.height; ++y) {
    const std::uint8_t* row = &bytes[offset + rowBytes * (bitmap.height - 1 - y)];
    for (int x = 0; x < bitmap.width; ++x) {
      const std::uint8_t* p = row + 3 * x;
      bitmap.pixels.push_back(std::uint32_t{p[2]} << 16 | std::uint32_t{p[1]} << 8 | p[0]);
    }
  }
  return bitmap;
}

int DifferingPixels(const BitmapPixels& a, const BitmapPixels& b) {
  int differing = 0;
  for (std::size_t k = 0; k < a.pixels.size() && k < b.pixels.size(); ++k) {
    differing += a.pixels[k] != b.pixels[k];
  }
  return differing;
}

}  // namespace zelvo::testing
