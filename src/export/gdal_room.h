#pragma once

#include <string>

#include "export/point_file.h"
#include "preview/preview_grid.h"

namespace zelvo {

// The grid and point files are written through GDAL, and loading GDAL with
// the hundred libraries it brings takes longer than a whole run over a
// survey line. So those writers live in a module of their own, loaded the
// first time a program asks for one of them: the functions of grid_file.h
// and point_file.h, as the module's table of entries.
struct GdalRoom {
  std::string (*gridFormatProblem)(const std::string& driverName);
  std::string (*crsProblem)(const std::string& crs);
  std::string (*gridFileExtension)(const std::string& driverName);
  int (*writeGridFile)(const std::string& path, const std::string& driverName,
                       const NodeGrid& nodes, double west, double south, const std::string& crs,
                       std::string& reason);
  std::string (*pointFormatProblem)(const std::string& path);
  int (*writePointFile)(const std::string& path, const PointRecords& records,
                        const std::string& crs, std::string& reason);
};

// The module's file name; where it lies, the build decides (gdal_room.cpp).
inline constexpr const char* kGdalRoomFile = "zelvo-gdal.so";

// The module's one exported symbol: a function of no arguments returning
// the table. Its name carries the table's layout version, so that a module
// of another layout is refused rather than called.
inline constexpr const char* kGdalRoomEntry = "zelvo_gdal_room_v1";
using GdalRoomEntry = const GdalRoom* (*)();

}  // namespace zelvo
