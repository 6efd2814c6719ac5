#pragma once

#include <string>

#include "preview/pane_bitmap.h"

namespace zelvo {

// The whole pane as an RGB PNG file, written whole or not at all. 0 when
// written; 1 with the reason (for "Cannot write preview image <path>:
// <reason>").
int SavePreviewPng(const std::string& name, const PaneBitmap& pane, std::string& reason);

}  // namespace zelvo
