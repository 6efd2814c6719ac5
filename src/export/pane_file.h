#pragma once

#include <string>

#include "preview/pane_bitmap.h"

namespace zelvo {

// "bmp", "jpg" or "png": the format of a saved pane, which is also its
// file extension.
std::string PaneFormat(int saveFilterIndex);

// Writes the pane in the format, whole or not at all. 0 when written; 1
// with the reason.
int SavePreviewFile(const std::string& name, const std::string& format, const PaneBitmap& pane,
                    std::string& reason);

}  // namespace zelvo
