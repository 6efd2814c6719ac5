#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/control.h"

namespace zelvo {

struct SettingsValues;

enum class BatchMode { kRun, kInfo, kLoad, kHelp, kVersion };

// The command line as typed; numbers stay texts until they are checked.
struct BatchOptions {
  BatchMode mode = BatchMode::kRun;
  std::string inputFileName;
  std::string outputFileName;
  std::optional<std::string> radius;
  std::optional<std::string> iterations;
  std::string object = "RGA";
  std::string columns = "A,B,C,D";
  std::optional<std::string> nearest;
  std::string centerX = "point";
  std::string centerY = "point";
  std::string centerQ = "none";
  bool includePoint = false;
  std::string subsetFileName;
  std::optional<char> decimalSeparator;
  bool stopOnSingular = false;
  // --threads: threads for reading, the fits and the records; 0 means one per core.
  int threads = 0;
  bool quiet = false;
  // --settings: a settings file of the window, read before the options that
  // follow on the command line override it.
  std::string settingsFileName;
  std::optional<std::string> griddingRadius;
  // The window's preview choices, kept for the previews of a run.
  bool preview = false;
  int pane2Variable = 0;  // item index of cb2
  int pane3Variable = 1;  // item index of cb3
  // --preview: the folder that receives the three panes after the run.
  std::string previewDir;
  std::string imageFormat = "bmp";
  // --load: a result file whose previews are written instead of a run.
  std::string loadFileName;
  // Exports after the run or the load.
  std::string gridOutDir;           // --grid-out: one grid file per variable
  std::string gridFormat = "GTiff";  // a GDAL raster driver
  std::string gridVariables = "quantity,hgqx,hgqy,hgq,Rq,rq";
  std::string crs;                  // empty: no coordinate system claimed
  std::string pointsOut;            // --points-out: every record at full precision
  std::string mapDir;               // --map: one report map per grid variable
  std::optional<std::string> mapWidth;
};

struct ParsedCommandLine {
  BatchOptions options;             // as far as the line could be read
  std::vector<std::string> errors;  // each thing wrong with it, in the order found
  // False when the file names the mode needs are not there to check (the
  // line's INPUT and OUTPUT are wrong, or the settings file that would name
  // them could not be read): checking them would only repeat that.
  bool fileNamesRead = true;
};

// The options start from the given ones (those of a settings file); with
// --settings, INPUT and OUTPUT may be left out. Every option takes its value
// as --option VALUE or --option=VALUE; "--" ends the options.
ParsedCommandLine ParseBatchCommandLine(const std::vector<std::string>& arguments,
                                        const BatchOptions& start = {});

// The options of a run as the window would make it from these settings, the
// numbers written as the window writes them. An error text when a stored
// choice is none of the window's.
std::string OptionsFromSettings(const SettingsValues& settings, BatchOptions& options);

// Whether any grid, point or map export is asked for.
bool WantsExports(const BatchOptions& options);

// "A,B,C,D" -> column indices of x, y, point, quantity.
std::optional<std::vector<int>> ParseColumnLetters(const std::string& text);
// HGQX, HGQY, HGQ, RQ, rq -> the item index of a result pane's box.
std::optional<int> ParsePaneVariable(const std::string& text);
// none, area, point -> 0, 1, 2.
std::optional<int> ParseCenterMode(const std::string& text);

// The option that sets the run parameter held in the field: --radius for
// txt_radius.
std::string ParameterOption(Control field);

// What --help prints.
std::string BatchUsage();

}  // namespace zelvo
