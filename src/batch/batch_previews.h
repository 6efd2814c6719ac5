#pragma once

#include <string>

namespace zelvo {

class WindowServices;

// Writes the three panes into the folder under their default names with the
// format's extension, pane 1 first; a pane whose name an earlier pane took
// gets "_paneN" before the extension. Empty when all were written, else the
// message of the first failure.
std::string WritePreviewPanes(const WindowServices& window, const std::string& folder,
                              const std::string& format);

// False when the folder does not exist or is not a folder.
bool IsFolder(const std::string& path);

}  // namespace zelvo
