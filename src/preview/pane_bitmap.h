#pragma once

#include <cstdint>
#include <vector>

namespace zelvo {

// A copy of a pane: W x H colours 0x00BBGGRR, row-major from the top-left.
struct PaneBitmap {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
};

}  // namespace zelvo
