#include "batch/progress_line.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace zelvo {
namespace {

constexpr int kBarWidth = 40;

}  // namespace

std::string ClockText(double seconds) {
  const long long whole = std::llround(std::max(seconds, 0.0));
  char text[32];
  if (whole < 3600) {
    std::snprintf(text, sizeof text, "%lld:%02lld", whole / 60, whole % 60);
  } else {
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", whole / 3600, whole / 60 % 60,
                  whole % 60);
  }
  return text;
}

std::string ProgressLine(int position, int maximum, double elapsedSeconds) {
  const long long done = std::clamp(position, 0, maximum);
  const int percent = maximum > 0 ? static_cast<int>(100 * done / maximum) : 100;
  const int filled = percent * kBarWidth / 100;
  char head[16];
  std::snprintf(head, sizeof head, "] %3d%%  ", percent);
  std::string line = '[' + std::string(filled, '#') + std::string(kBarWidth - filled, ' ') + head +
                     ClockText(elapsedSeconds) + " elapsed";
  if (done == 0) return line;
  const double left =
      elapsedSeconds * static_cast<double>(maximum - done) / static_cast<double>(done);
  return line + ", " + ClockText(left) + " left";
}

}  // namespace zelvo
