#pragma once

#include <string>
#include <string_view>

namespace zelvo {

// Where the window keeps its settings file. Beside the program while the
// program's folder takes writes, so that a copy carried from machine to
// machine takes its settings along; an installed program's folder is not the
// user's to write, and its settings live in the user's configuration folder.
struct SettingsLocation {
  std::string besideProgram;        // the executable's name with ".cfg"
  std::string configurationFolder;  // the user's ".../zelvo"; empty: none known
  bool programFolderWritable = true;

  // The settings file in the configuration folder; empty when none is known.
  std::string InConfigurationFolder() const;
  // The file read at start: the configuration folder's once one is there,
  // else the one beside the program (left by an earlier portable use).
  std::string ReadPath() const;
  // The file written at close; empty when no folder is the user's to write.
  std::string WritePath() const;
};

// The settings of the executable at the path, the program's folder asked
// whether it takes writes.
SettingsLocation LocateSettings(std::string_view executablePath, std::string configurationFolder);

// $XDG_CONFIG_HOME/zelvo, else $HOME/.config/zelvo; empty when neither is set.
std::string UserConfigurationFolder();

// The folder holding the file: "." for a bare name.
std::string FolderOf(std::string_view path);

// True when the calling user may create files in the folder.
bool FolderWritable(const std::string& folder);

// Creates the folder and whatever is missing above it; true when it exists
// afterwards.
bool MakeFolders(const std::string& folder);

}  // namespace zelvo
