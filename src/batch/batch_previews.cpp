#include "batch/batch_previews.h"

#include <sys/stat.h>

#include <algorithm>
#include <vector>

#include "app/preview_commands.h"
#include "app/window_services.h"
#include "export/pane_file.h"

namespace zelvo {

namespace {

// The pane's default name, or, when an earlier pane of the same run took it,
// the name with "_paneN" before the extension, so no pane overwrites another.
std::string UnclaimedName(const std::vector<std::string>& written, std::string name,
                          int paneNumber, const std::string& extension) {
  if (std::find(written.begin(), written.end(), name) == written.end()) return name;
  name.resize(name.size() - extension.size());
  return name + "_pane" + std::to_string(paneNumber) + extension;
}

}  // namespace

std::string WritePreviewPanes(const WindowServices& window, const std::string& folder,
                              const std::string& format) {
  const std::string extension = "." + format;
  std::vector<std::string> written;
  int paneNumber = 0;
  for (Control box : {Control::cb1, Control::cb2, Control::cb3}) {
    ++paneNumber;
    const std::string name = UnclaimedName(
        written, DefaultPreviewFileName(window, box, extension), paneNumber, extension);
    written.push_back(name);
    const std::string path = folder + "/" + name;
    const PaneBitmap pane = window.CopyPane(PaneOf(box));
    std::string reason;
    if (SavePreviewFile(path, format, pane, reason) != 0) {
      return "Cannot write preview image " + path + ": " + reason;
    }
  }
  return {};
}

bool IsFolder(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace zelvo
