#pragma once

namespace zelvo {

// Keeps a point that lies exactly on a node at a finite distance from it.
inline constexpr double kNodeOffset = 0.001;

}  // namespace zelvo
