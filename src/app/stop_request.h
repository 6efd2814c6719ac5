#pragma once

#include "app/window_services.h"

namespace zelvo {

inline constexpr const char* kCancelQuestion = "Cancel calculation?";

// The long loops' answer to the Stop button, after each unit of work: while
// Stop was pressed, ask. Yes ends the loop and leaves the request standing;
// No withdraws it and the loop goes on.
inline bool CancelConfirmed(bool& stopRequested, WindowServices& window) {
  if (!stopRequested) return false;
  if (window.Ask("Warning", kCancelQuestion)) return true;
  stopRequested = false;
  return false;
}

}  // namespace zelvo
