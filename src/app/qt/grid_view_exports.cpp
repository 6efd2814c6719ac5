#include "app/qt/grid_view_exports.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <span>
#include <string>

#include "app/export_source_of.h"
#include "app/preview_commands.h"
#include "app/run_state.h"
#include "app/window_services.h"
#include "base/file_names.h"
#include "export/export_source.h"
#include "export/grid_file.h"
#include "export/point_file.h"
#include "export/report_map.h"

namespace zelvo {
namespace {

// A type the save dialog offers: its description, its extension (without
// the dot) and what writes it.
struct FileType {
  const char* description;
  const char* extension;
  const char* driver;
};

constexpr FileType kGridTypes[] = {
    {"GeoTIFF (*.tif)", "tif", "GTiff"},
    {"Surfer ASCII grid (*.grd)", "grd", "GSAG"},
    {"Surfer binary grid (*.grd)", "grd", "GS7BG"},
    {"ESRI ASCII grid (*.asc)", "asc", "AAIGrid"},
    {"netCDF (*.nc)", "nc", "netCDF"},
};
constexpr FileType kMapTypes[] = {{"PNG (*.png)", "png", ""}};
constexpr FileType kPointTypes[] = {{"GeoPackage (*.gpkg)", "gpkg", ""}, {"CSV (*.csv)", "csv", ""}};

constexpr int kReportMapWidth = 1200;

std::string DialogFilter(std::span<const FileType> types) {
  std::string filter;
  for (const FileType& type : types) {
    if (!filter.empty()) filter += '|';
    filter += std::string(type.description) + "|*." + type.extension;
  }
  return filter;
}

std::string LowerExtension(const std::string& path) {
  const std::size_t dot = path.find_last_of("./\\");
  if (dot == std::string::npos || path[dot] != '.') return {};
  std::string extension = path.substr(dot + 1);
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension;
}

// The dialog keeps the extension it first offered when the user picks
// another type; the type chosen is the one meant.
std::string NameOfChosenType(const std::string& path, std::span<const FileType> types,
                             const FileType& chosen) {
  const std::string extension = LowerExtension(path);
  const bool ofAnotherType = std::any_of(types.begin(), types.end(), [&](const FileType& type) {
    return extension == type.extension && extension != chosen.extension;
  });
  return ofAnotherType ? ReplaceExtension(path, std::string(".") + chosen.extension) : path;
}

struct ChosenFile {
  std::string path;
  const FileType* type;
};

std::optional<ChosenFile> AskForFile(WindowServices& window, std::span<const FileType> types,
                                     const std::string& offeredStem) {
  const FileType& first = types.front();
  const FileDialogRequest request{DialogFilter(types), first.extension,
                                  offeredStem + "." + first.extension, 1};
  const std::optional<FileDialogChoice> choice = window.SaveFileDialog(request);
  if (!choice) return std::nullopt;
  const int last = static_cast<int>(types.size());
  const FileType& chosen = types[std::clamp(choice->filterIndex, 1, last) - 1];
  return ChosenFile{NameOfChosenType(choice->fileName, types, chosen), &chosen};
}

void TellFailure(WindowServices& window, const std::string& path, const std::string& reason) {
  window.ShowMessage("Cannot write " + path + ": " + reason);
}

std::string FileNameOnly(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// After a load the input field is empty and the result field names the file
// the values came from.
std::string InputName(const WindowServices& window) {
  const std::string input = window.Text(Control::txt_in);
  return FileNameOnly(input.empty() ? window.Text(Control::txt_out) : input);
}

}  // namespace

void ExportGridClick(WindowServices& window, const PaneGrid& grid) {
  const std::optional<ChosenFile> file =
      AskForFile(window, kGridTypes, grid.variable.fileStem + RunNameSuffix(window));
  if (!file) return;
  std::string reason;
  if (WriteGridFile(file->path, file->type->driver, grid.nodes, grid.west, grid.south, "",
                    reason) != 0) {
    TellFailure(window, file->path, reason);
  }
}

void ReportMapClick(WindowServices& window, const PaneGrid& grid) {
  const std::optional<ChosenFile> file =
      AskForFile(window, kMapTypes, grid.variable.fileStem + RunNameSuffix(window));
  if (!file) return;
  std::string reason;
  if (WriteReportMap(file->path, grid.nodes, grid.west, grid.south, kReportMapWidth,
                     MapTitle(window, grid.variable.name, InputName(window)), reason) != 0) {
    TellFailure(window, file->path, reason);
  }
}

void ExportPointsClick(const RunState& state, WindowServices& window) {
  // Beside the result file, under its name: the points are its records.
  const std::string resultFile = window.Text(Control::txt_out);
  const std::string stem = ReplaceExtension(resultFile.empty() ? "points" : resultFile, "");
  const std::optional<ChosenFile> file = AskForFile(window, kPointTypes, stem);
  if (!file) return;
  std::string reason;
  if (WritePointFile(file->path, ExportRecords(ExportSourceOf(state)), "", reason) != 0) {
    TellFailure(window, file->path, reason);
  }
}

}  // namespace zelvo
