#pragma once

#include <cstdint>
#include <vector>

namespace zelvo {

// The colours of one pane, 0x00BBGGRR, stored column by column: index x*H + y
// with x the column from the west and y the row from the south.
struct PreviewImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> colours;
};

}  // namespace zelvo
