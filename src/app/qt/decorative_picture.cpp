#include "app/qt/decorative_picture.h"

#include <algorithm>
#include <cmath>

#include <QImage>

namespace zelvo {

QPixmap DecorativePicture() {
  constexpr int kSize = 101;
  QImage image(kSize, kSize, QImage::Format_RGB32);
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      const double dx = (x - 50) / 28.0;
      const double dy = (y - 50) / 28.0;
      const double h = std::exp(-(dx * dx + dy * dy));
      // Light from the north-west on the slope of h.
      const double slope = (dx + dy) * h;
      const double shade = std::clamp(0.75 - 0.45 * slope, 0.25, 1.0);
      const int r = static_cast<int>(shade * (60 + 195 * h));
      const int g = static_cast<int>(shade * (120 + 100 * (1 - std::abs(2 * h - 1))));
      const int b = static_cast<int>(shade * (230 - 200 * h));
      image.setPixel(x, y, qRgb(r, g, b));
    }
  }
  return QPixmap::fromImage(image);
}

}  // namespace zelvo
