#include "export/gdal_room.h"
#include "export/grid_file.h"
#include "export/point_file.h"

// The module is built with hidden symbols; this is the one it exports.
extern "C" __attribute__((visibility("default"))) const zelvo::GdalRoom* zelvo_gdal_room_v1() {
  static constexpr zelvo::GdalRoom kRoom{
      &zelvo::GridFormatProblem, &zelvo::CrsProblem,         &zelvo::GridFileExtension,
      &zelvo::WriteGridFile,     &zelvo::PointFormatProblem, &zelvo::WritePointFile,
  };
  return &kRoom;
}
