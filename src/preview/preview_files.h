#pragma once

#include <string>
#include <string_view>

#include "preview/pane_bitmap.h"

namespace zelvo {

// The whole pane as a 24-bit Windows bitmap / as a baseline RGB JPEG of
// quality 90. A file is written whole or not at all: it is built beside the
// name and only renamed over it once complete, so a failure leaves whatever
// was there before. Empty when written, else the reason it was not (for
// "Cannot write preview image <path>: <reason>").
std::string SavePreviewBitmap(const std::string& name, const PaneBitmap& pane);
std::string SavePreviewJpeg(const std::string& name, const PaneBitmap& pane);

}  // namespace zelvo
