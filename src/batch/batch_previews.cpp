#include "batch/batch_previews.h"

#include <sys/stat.h>

#include "app/preview_commands.h"
#include "app/window_services.h"
#include "preview/preview_files.h"

namespace zelvo {

std::string WritePreviewPanes(const WindowServices& window, const std::string& folder,
                              const std::string& format) {
  for (Control box : {Control::cb1, Control::cb2, Control::cb3}) {
    const std::string path = folder + "/" + DefaultPreviewFileName(window, box, "." + format);
    const PaneBitmap pane = window.CopyPane(PaneOf(box));
    const std::string failure =
        format == "jpg" ? SavePreviewJpeg(path, pane) : SavePreviewBitmap(path, pane);
    if (!failure.empty()) return "Cannot write preview image " + path + ": " + failure;
  }
  return {};
}

bool IsFolder(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace zelvo
