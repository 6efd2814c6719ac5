#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zelvo::testing {

// The pixels of an uncompressed 24-bit bitmap file, 0x00RRGGBB row by row
// from the top; empty (width 0) when the file is not one.
struct BitmapPixels {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;

  bool Empty() const { return width == 0; }
  std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

BitmapPixels ReadBitmapFile(const std::string& path);

// How many pixels of two bitmaps of one size differ.
int DifferingPixels(const BitmapPixels& a, const BitmapPixels& b);

}  // namespace zelvo::testing
