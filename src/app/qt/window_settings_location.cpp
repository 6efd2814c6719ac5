#include "app/qt/window_settings_location.h"

#include <QStandardPaths>

#include "app/qt/qt_text.h"

namespace zelvo {
namespace {

std::string ConfigurationFolder() {
  const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
  if (base.isEmpty()) return {};
  return FromQt(base) + "/zelvo";
}

}  // namespace

SettingsLocation WindowSettingsLocation(std::string_view executablePath,
                                        std::optional<bool> programFolderWritable) {
  SettingsLocation location = LocateSettings(executablePath, ConfigurationFolder());
  if (programFolderWritable) location.programFolderWritable = *programFolderWritable;
  return location;
}

}  // namespace zelvo
