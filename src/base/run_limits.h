#pragma once

namespace zelvo {

// The bounds of a run's numbers and the words that refuse them, the same for
// the window, the batch tool and the loader of result files.
inline constexpr double kMinimumRadius = 0.000001;  // a radius must lie above it
inline constexpr int kMinIterations = 0;
inline constexpr int kMaxIterations = 10000;
inline constexpr int kMinNearestCount = 1;

inline constexpr const char* kRadiusMessage = "Search radius must be greater than 0.";
inline constexpr const char* kIterationsMessage = "Number of iteration must be in range 0 .. 10000";
inline constexpr const char* kNearestCountMessage = "Number of nearest points must be at least 1";

inline bool RadiusAllowed(double radius) { return radius > kMinimumRadius; }
inline bool IterationsAllowed(long long count) {
  return count >= kMinIterations && count <= kMaxIterations;
}

}  // namespace zelvo
