// The functions of grid_file.h and point_file.h, carried out by the GDAL
// room, which is loaded on the first call and stays loaded: GDAL keeps
// state that does not survive being unloaded.

#include "export/gdal_room.h"

#include <dlfcn.h>

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

#include "export/grid_file.h"
#include "export/point_file.h"

namespace zelvo {
namespace {

namespace fs = std::filesystem;

struct LoadedRoom {
  const GdalRoom* room = nullptr;
  std::string problem;  // why the room is not there, as a reason
};

std::string LoaderError() {
  const char* error = dlerror();
  return error != nullptr ? error : "unknown error";
}

// Where the module may lie: installed, at the same place relative to the
// program as the build installs it; and, for a program of the build tree,
// where the build puts it. Absolute paths only, so that no folder searched
// by the dynamic loader, the working folder included, can stand in for it.
std::vector<fs::path> RoomPlaces() {
  std::error_code error;
  const fs::path program = fs::read_symlink("/proc/self/exe", error);
  if (error) return {};
  const fs::path folder = program.parent_path();
  std::vector<fs::path> places{
      (folder / ZELVO_GDAL_ROOM_FROM_PROGRAM / kGdalRoomFile).lexically_normal()};
  const fs::path build = fs::weakly_canonical(ZELVO_BUILD_DIR, error);
  if (error || build.empty()) return places;
  const auto [inBuild, rest] =
      std::mismatch(build.begin(), build.end(), folder.begin(), folder.end());
  if (inBuild == build.end()) places.push_back(fs::path(ZELVO_GDAL_ROOM_DIR) / kGdalRoomFile);
  return places;
}

LoadedRoom LoadRoom() {
  const std::vector<fs::path> places = RoomPlaces();
  std::string problem =
      places.empty() ? "the program's folder is unknown" : places.back().string() + " is missing";
  for (const fs::path& place : places) {
    std::error_code error;
    if (!fs::exists(place, error)) continue;
    // Local, so that GDAL's symbols stay out of the program's lookups.
    void* module = dlopen(place.c_str(), RTLD_NOW | RTLD_LOCAL);
    const auto entry = module != nullptr
                           ? reinterpret_cast<GdalRoomEntry>(dlsym(module, kGdalRoomEntry))
                           : nullptr;
    if (entry != nullptr) return {entry(), ""};
    problem = LoaderError();
  }
  return {nullptr, "the GDAL writers cannot be loaded: " + problem};
}

// Loaded once per process; initialising a static is safe across threads.
const LoadedRoom& Room() {
  static const LoadedRoom loaded = LoadRoom();
  return loaded;
}

}  // namespace

std::string GridFormatProblem(const std::string& driverName) {
  const LoadedRoom& loaded = Room();
  return loaded.room != nullptr ? loaded.room->gridFormatProblem(driverName) : loaded.problem;
}

std::string CrsProblem(const std::string& crs) {
  const LoadedRoom& loaded = Room();
  return loaded.room != nullptr ? loaded.room->crsProblem(crs) : loaded.problem;
}

std::string GridFileExtension(const std::string& driverName) {
  const LoadedRoom& loaded = Room();
  // Without the room no grid is written, so any extension will do.
  return loaded.room != nullptr ? loaded.room->gridFileExtension(driverName) : ".dat";
}

int WriteGridFile(const std::string& path, const std::string& driverName, const NodeGrid& nodes,
                  double west, double south, const std::string& crs, std::string& reason) {
  const LoadedRoom& loaded = Room();
  if (loaded.room == nullptr) {
    reason = loaded.problem;
    return 1;
  }
  return loaded.room->writeGridFile(path, driverName, nodes, west, south, crs, reason);
}

std::string PointFormatProblem(const std::string& path) {
  const LoadedRoom& loaded = Room();
  return loaded.room != nullptr ? loaded.room->pointFormatProblem(path) : loaded.problem;
}

int WritePointFile(const std::string& path, const PointRecords& records, const std::string& crs,
                   std::string& reason) {
  const LoadedRoom& loaded = Room();
  if (loaded.room == nullptr) {
    reason = loaded.problem;
    return 1;
  }
  return loaded.room->writePointFile(path, records, crs, reason);
}

}  // namespace zelvo
