#pragma once

#include <cstdint>
#include <vector>

namespace zelvo {

struct DataExtent {
  double xmin = 0.0, xmax = 0.0;
  double ymin = 0.0, ymax = 0.0;
  double qmin = 0.0, qmax = 0.0;
};

// Added to the coordinates on reading so that none is negative; subtracted
// again by every writer of coordinates.
struct CoordinateShift {
  double x = 0.0;
  double y = 0.0;
};

// Subtracted by the centring mode "Center to middle of area".
struct AreaCentre {
  double cx = 0.0, cy = 0.0, cq = 0.0;
};

// The points in file order, one array per field: x and y in the stored
// (shifted) frame, the identifier, the quantity as read and the trace mark.
struct PointTable {
  std::vector<double> x, y, point, quantity;
  std::vector<std::uint8_t> traced;

  int Size() const { return static_cast<int>(x.size()); }
  void Resize(std::size_t n) {
    x.resize(n);
    y.resize(n);
    point.resize(n);
    quantity.resize(n);
    traced.assign(n, 0);
  }
};

}  // namespace zelvo
