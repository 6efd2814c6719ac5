#pragma once

#include <optional>
#include <string_view>

#include "app/settings_location.h"

namespace zelvo {

// Where the window's settings file lies (settings_location.h), the user's
// configuration folder as the desktop names it. The program folder's
// writability is asked of the file system unless given.
SettingsLocation WindowSettingsLocation(std::string_view executablePath,
                                        std::optional<bool> programFolderWritable);

}  // namespace zelvo
