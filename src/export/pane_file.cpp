#include "export/pane_file.h"

#include "export/pane_png.h"
#include "preview/preview_files.h"

namespace zelvo {

// The save dialog's filters are bitmap, JPEG and PNG, in that order; an
// index outside them has always meant JPEG.
std::string PaneFormat(int saveFilterIndex) {
  if (saveFilterIndex == 1) return "bmp";
  if (saveFilterIndex == 3) return "png";
  return "jpg";
}

int SavePreviewFile(const std::string& name, const std::string& format, const PaneBitmap& pane,
                    std::string& reason) {
  if (format == "png") return SavePreviewPng(name, pane, reason);
  if (format == "jpg") return SavePreviewJpeg(name, pane, reason);
  return SavePreviewBitmap(name, pane, reason);
}

}  // namespace zelvo
