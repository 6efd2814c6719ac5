#pragma once

#include <string>
#include <string_view>

#include "preview/pane_bitmap.h"

namespace zelvo {

// The whole pane as a 24-bit Windows bitmap / as a baseline RGB JPEG of
// quality 90. A file is written whole or not at all: it is built beside the
// name and only renamed over it once complete, so a failure leaves whatever
// was there before. 0 when written; 1 with the reason it was not (for
// "Cannot write preview image <path>: <reason>").
int SavePreviewBitmap(const std::string& name, const PaneBitmap& pane, std::string& reason);
int SavePreviewJpeg(const std::string& name, const PaneBitmap& pane, std::string& reason);

}  // namespace zelvo
