#pragma once

namespace zelvo {

// Column indices (0 = A) of the four values of a point line; -1 when no letter
// is chosen.
struct PointColumns {
  int x = 0;
  int y = 1;
  int point = 2;
  int quantity = 3;
};

struct PointValues {
  double x = 0.0;
  double y = 0.0;
  double point = 0.0;
  double quantity = 0.0;
};

}  // namespace zelvo
