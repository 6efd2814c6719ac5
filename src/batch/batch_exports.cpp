#include "batch/batch_exports.h"

#include "app/export_source_of.h"
#include "app/preview_commands.h"
#include "app/run_state.h"
#include "app/window_services.h"
#include "base/number_text.h"
#include "batch/batch_options.h"
#include "export/export_source.h"
#include "export/grid_file.h"
#include "export/point_file.h"
#include "export/report_map.h"

namespace zelvo {
namespace {

constexpr int kDefaultMapWidth = 1200;
constexpr int kMinMapWidth = 200;
constexpr int kMaxMapWidth = 20000;

int MapWidth(const BatchOptions& options) {
  return options.mapWidth ? static_cast<int>(*ParseInteger(*options.mapWidth)) : kDefaultMapWidth;
}

int Failed(WindowServices& window, const std::string& path, const std::string& reason) {
  window.ShowMessage("Cannot write " + path + ": " + reason);
  return 1;
}

int WriteGridsAndMaps(const BatchOptions& options, const ExportSource& source,
                      WindowServices& window, const std::string& inputName) {
  std::string problem;
  const std::string suffix = RunNameSuffix(window);
  for (const ExportVariable& variable : ParseExportVariables(options.gridVariables, problem)) {
    NodeGrid grid;
    if (ExportGrid(source, variable, window, grid) != 0) return 1;
    const std::string stem = variable.fileStem + suffix;
    std::string reason;
    if (!options.gridOutDir.empty()) {
      const std::string path =
          options.gridOutDir + "/" + stem + GridFileExtension(options.gridFormat);
      if (WriteGridFile(path, options.gridFormat, grid, GridWest(source), GridSouth(source),
                        options.crs, reason) != 0) {
        return Failed(window, path, reason);
      }
    }
    if (!options.mapDir.empty()) {
      const std::string path = options.mapDir + "/" + stem + ".png";
      if (WriteReportMap(path, grid, GridWest(source), GridSouth(source), MapWidth(options),
                         MapTitle(window, variable.name, inputName), reason) != 0) {
        return Failed(window, path, reason);
      }
    }
  }
  return 0;
}

}  // namespace

std::string CheckExportOptions(const BatchOptions& options) {
  if (!options.gridOutDir.empty() || !options.mapDir.empty()) {
    std::string problem;
    ParseExportVariables(options.gridVariables, problem);
    if (!problem.empty()) return "--grid-variables: " + problem;
  }
  if (!options.gridOutDir.empty()) {
    const std::string problem = GridFormatProblem(options.gridFormat);
    if (!problem.empty()) return "--grid-format: " + problem;
  }
  if (!options.crs.empty()) {
    const std::string problem = CrsProblem(options.crs);
    if (!problem.empty()) return "--crs: " + problem;
  }
  if (!options.pointsOut.empty()) {
    const std::string problem = PointFormatProblem(options.pointsOut);
    if (!problem.empty()) return "--points-out: " + problem;
  }
  if (options.mapWidth) {
    const std::optional<std::int32_t> width = ParseInteger(*options.mapWidth);
    if (!width || *width < kMinMapWidth || *width > kMaxMapWidth) {
      return "--map-width takes a whole number of pixels from " + std::to_string(kMinMapWidth) +
             " to " + std::to_string(kMaxMapWidth);
    }
  }
  return {};
}

int WriteExports(const BatchOptions& options, const RunState& state, WindowServices& window) {
  if (!WantsExports(options)) return 0;
  const ExportSource source = ExportSourceOf(state);
  const std::string inputName =
      options.loadFileName.empty() ? options.inputFileName : options.loadFileName;
  if (WriteGridsAndMaps(options, source, window, inputName) != 0) return 1;
  if (options.pointsOut.empty()) return 0;
  std::string reason;
  if (WritePointFile(options.pointsOut, ExportRecords(source), options.crs, reason) != 0) {
    return Failed(window, options.pointsOut, reason);
  }
  return 0;
}

}  // namespace zelvo
