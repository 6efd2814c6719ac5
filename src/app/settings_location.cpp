#include "app/settings_location.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#include "app/settings_file.h"

namespace zelvo {
namespace {

constexpr const char* kConfigurationFileName = "zelvo.cfg";

bool Exists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

bool IsFolder(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The XDG base directory rules ignore a relative value.
std::string AbsoluteVariable(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || value[0] != '/') return {};
  return value;
}

}  // namespace

std::string SettingsLocation::InConfigurationFolder() const {
  if (configurationFolder.empty()) return {};
  return configurationFolder + "/" + kConfigurationFileName;
}

std::string SettingsLocation::ReadPath() const {
  const std::string configured = InConfigurationFolder();
  if (programFolderWritable || configured.empty() || !Exists(configured)) return besideProgram;
  return configured;
}

std::string SettingsLocation::WritePath() const {
  return programFolderWritable ? besideProgram : InConfigurationFolder();
}

SettingsLocation LocateSettings(std::string_view executablePath, std::string configurationFolder) {
  SettingsLocation location;
  location.besideProgram = SettingsFileName(executablePath);
  location.configurationFolder = std::move(configurationFolder);
  location.programFolderWritable = FolderWritable(FolderOf(location.besideProgram));
  return location;
}

std::string UserConfigurationFolder() {
  std::string base = AbsoluteVariable("XDG_CONFIG_HOME");
  if (base.empty()) {
    const std::string home = AbsoluteVariable("HOME");
    if (home.empty()) return {};
    base = home + "/.config";
  }
  return base + "/zelvo";
}

std::string FolderOf(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string_view::npos) return ".";
  if (slash == 0) return "/";
  return std::string(path.substr(0, slash));
}

bool FolderWritable(const std::string& folder) {
  // A program installed under /usr belongs to the package manager, even for
  // root, who could write there: its settings go to the user's folder.
  if (folder == "/usr" || folder.rfind("/usr/", 0) == 0) return false;
  return access(folder.c_str(), W_OK) == 0;
}

bool MakeFolders(const std::string& folder) {
  if (folder.empty() || IsFolder(folder)) return !folder.empty();
  const std::string parent = FolderOf(folder);
  if (parent != folder && parent != "." && !MakeFolders(parent)) return false;
  // Owner only, as the XDG base directory rules ask of folders they create.
  return mkdir(folder.c_str(), 0700) == 0 || (errno == EEXIST && IsFolder(folder));
}

}  // namespace zelvo
