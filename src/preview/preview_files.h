#pragma once

#include <string>
#include <string_view>

#include "app/control.h"
#include "app/window_services.h"

namespace zelvo {

// The name offered for saving a pane: the variable box's text in lower case,
// then "_r=" and the search radius field, "_iter=" and the iterations field,
// "_object=" and the iteration object in lower case, read from the window as
// they stand now; then the extension (".bmp", or ".jpg" for JPEG names).
std::string DefaultPreviewFileName(const WindowServices& window, Control variableBox,
                                   std::string_view extension = ".bmp");

// The whole pane as a 24-bit Windows bitmap / as a baseline RGB JPEG of
// quality 90. A file is written whole or not at all: it is built beside the
// name and only renamed over it once complete, so a failure leaves whatever
// was there before. Empty when written, else the reason it was not (for
// "Cannot write preview image <path>: <reason>").
std::string SavePreviewBitmap(const std::string& name, const PaneBitmap& pane);
std::string SavePreviewJpeg(const std::string& name, const PaneBitmap& pane);

}  // namespace zelvo
