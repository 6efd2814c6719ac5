#pragma once

#include <string>

namespace zelvo {

// 75 seconds -> "1:15", 3725 -> "1:02:05".
std::string ClockText(double seconds);

// The progress bar as the terminal shows it, as
// "[#####     ...]  12%  0:12 elapsed, 1:28 left". What is left is
// estimated from the part done so far; before any part is done it is left out.
std::string ProgressLine(int position, int maximum, double elapsedSeconds);

}  // namespace zelvo
