#include "export/grid_file.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>
#include <optional>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include <cpl_error.h>
#include <cpl_string.h>
#include <gdal.h>
#include <ogr_spatialref.h>

#include "export/gdal/gdal_failure.h"

namespace zelvo {
namespace {

namespace fs = std::filesystem;

// Named when a format is refused, as far as this GDAL has them.
constexpr const char* kCommonFormats[] = {"GTiff",  "GSAG", "GSBG", "GS7BG", "AAIGrid",
                                          "netCDF", "EHdr", "SAGA", "XYZ"};

// Surfer's grids mark blanks with their own value whatever the source's
// nodata is; handing them that value keeps the .aux.xml GDAL writes beside
// them in agreement with the grid.
constexpr float kSurferBlank = 1.70141e38f;
// Every other format carries the lowest float, and no gridded value comes
// near it.
constexpr float kLowestFloat = std::numeric_limits<float>::lowest();

struct DatasetCloser {
  void operator()(void* dataset) const { GDALClose(dataset); }
};
using Dataset = std::unique_ptr<void, DatasetCloser>;

bool HasCapability(GDALDriverH driver, const char* capability) {
  const char* value = GDALGetMetadataItem(driver, capability, nullptr);
  return value != nullptr && CPLTestBool(value);
}

bool HoldsFloatingPoint(GDALDriverH driver) {
  const char* types = GDALGetMetadataItem(driver, GDAL_DMD_CREATIONDATATYPES, nullptr);
  if (types == nullptr) return true;  // undeclared: the driver converts what it gets
  const CPLStringList listed(CSLTokenizeString(types));
  return listed.FindString("Float32") >= 0 || listed.FindString("Float64") >= 0;
}

// MEM keeps its raster in memory and VRT only points at the source: neither
// leaves the grid in a file.
bool KeepsNoFile(GDALDriverH driver) {
  const std::string_view name = GDALGetDescription(driver);
  return name == "MEM" || name == "VRT";
}

// The driver of that name when it can create a file of floating-point
// values; null otherwise.
GDALDriverH GridDriver(const std::string& name) {
  GDALAllRegister();
  GDALDriverH driver = GDALGetDriverByName(name.c_str());
  if (driver == nullptr || !HasCapability(driver, GDAL_DCAP_RASTER)) return nullptr;
  if (!HasCapability(driver, GDAL_DCAP_CREATE) && !HasCapability(driver, GDAL_DCAP_CREATECOPY)) {
    return nullptr;
  }
  return KeepsNoFile(driver) || !HoldsFloatingPoint(driver) ? nullptr : driver;
}

std::string AcceptedFormats() {
  std::string accepted;
  for (const char* name : kCommonFormats) {
    if (GridDriver(name) != nullptr) accepted += std::string(name) + ", ";
  }
  return accepted + "...";
}

float NodataFor(GDALDriverH driver) {
  const std::string_view name = GDALGetDescription(driver);
  return name == "GSAG" || name == "GSBG" || name == "GS7BG" ? kSurferBlank : kLowestFloat;
}

// GDAL writes any geotransform it is given; a grid no pixel can be placed
// from is refused here.
std::string GridShapeProblem(const NodeGrid& nodes) {
  const std::size_t count = static_cast<std::size_t>(std::max(nodes.nx, 0)) *
                            static_cast<std::size_t>(std::max(nodes.ny, 0));
  if (count == 0 || nodes.values.size() != count) return "the grid has no nodes";
  if (!(nodes.s > 0.0) || !std::isfinite(nodes.s)) return "the grid step is not a positive number";
  return "";
}

// As -a_srs reads it.
std::optional<OGRSpatialReference> ReadCrs(const std::string& crs) {
  GdalFailureCapture quiet;
  OGRSpatialReference reference;
  if (reference.SetFromUserInput(crs.c_str()) != OGRERR_NONE) return std::nullopt;
  return reference;
}

// Raster row r from the top holds node row ny-1-r; blanks become nodata.
std::vector<float> NorthUpRows(const NodeGrid& nodes, float nodata) {
  const std::size_t nx = static_cast<std::size_t>(nodes.nx);
  const std::size_t ny = static_cast<std::size_t>(nodes.ny);
  std::vector<float> rows(nx * ny);
  for (std::size_t r = 0; r < ny; ++r) {
    const std::size_t j = ny - 1 - r;
    for (std::size_t i = 0; i < nx; ++i) {
      const float value = nodes.values[i * ny + j];
      rows[r * nx + i] = IsBlank(value) ? nodata : value;
    }
  }
  return rows;
}

// The grid as a GDAL raster in memory, placed and described; null when GDAL
// refused part of it.
Dataset MemoryGrid(const NodeGrid& nodes, double west, double south, float nodata,
                   OGRSpatialReference* crs) {
  Dataset memory(
      GDALCreate(GDALGetDriverByName("MEM"), "", nodes.nx, nodes.ny, 1, GDT_Float32, nullptr));
  if (!memory) return memory;
  const double s = nodes.s;
  // The north-west node, (0, ny-1), is the centre of the top-left pixel.
  double transform[6] = {west - s / 2, s, 0.0, south + (nodes.ny - 1) * s + s / 2, 0.0, -s};
  GDALRasterBandH band = GDALGetRasterBand(memory.get(), 1);
  std::vector<float> rows = NorthUpRows(nodes, nodata);
  const bool described =
      GDALSetGeoTransform(memory.get(), transform) == CE_None &&
      GDALSetRasterNoDataValue(band, nodata) == CE_None &&
      GDALRasterIO(band, GF_Write, 0, 0, nodes.nx, nodes.ny, rows.data(), nodes.nx, nodes.ny,
                   GDT_Float32, 0, 0) == CE_None &&
      (crs == nullptr ||
       GDALSetSpatialRef(memory.get(), OGRSpatialReference::ToHandle(crs)) == CE_None);
  if (!described) memory.reset();
  return memory;
}

// Writes the grid to the temporary file through the driver; empty when
// written, else GDAL's words for the first failure. Drivers that can only
// copy (AAIGrid, GSAG) and those that create take the same route.
std::string WriteThroughDriver(GDALDriverH driver, const std::string& temporary,
                               const NodeGrid& nodes, double west, double south,
                               OGRSpatialReference* crs) {
  GdalFailureCapture capture;
  bool written = false;
  if (Dataset memory = MemoryGrid(nodes, west, south, NodataFor(driver), crs)) {
    Dataset copy(
        GDALCreateCopy(driver, temporary.c_str(), memory.get(), FALSE, nullptr, nullptr, nullptr));
    written = copy != nullptr;
  }  // closing the copy flushes it, so a failure to write shows by now
  if (written && !capture.failed()) return "";
  // Some drivers end their words with a line break.
  const std::size_t end = capture.message().find_last_not_of(" \n");
  return end == std::string::npos ? "GDAL could not write the grid"
                                  : capture.message().substr(0, end + 1);
}

// A file name split as GDAL splits it when it derives a sidecar's name: the
// extension runs from the last dot.
struct NameParts {
  std::string stem;
  std::string extension;
};

NameParts SplitName(const std::string& name) {
  const std::size_t dot = name.rfind('.');
  if (dot == std::string::npos) return {name, ""};
  return {name.substr(0, dot), name.substr(dot)};
}

// The names of one write beside the path. GDAL derives sidecars from the
// file it writes either by appending (file + ".aux.xml") or by replacing the
// extension (stem + ".prj"); both map back onto the path's names.
struct WriteNames {
  fs::path folder;
  std::string file;  // temporary
  std::string stem;
  std::string finalFile;
  std::string finalStem;
};

std::string Beside(const WriteNames& names, const std::string& name) {
  return (names.folder / name).string();
}

// Claims a temporary file of our own beside the path, keeping the path's
// extension so the sidecar names GDAL derives from it map back. False with
// errno set when none could be created.
bool ReserveNames(const std::string& path, WriteNames& names) {
  const fs::path target(path);
  names.folder = target.parent_path();
  names.finalFile = target.filename().string();
  const NameParts parts = SplitName(names.finalFile);
  names.finalStem = parts.stem;
  // Without an extension of its own, GDAL would take the marker for one.
  const std::string extension = parts.extension.empty() ? ".tmp" : parts.extension;
  for (int attempt = 0; attempt < 100; ++attempt) {
    names.stem =
        "." + parts.stem + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
    names.file = names.stem + extension;
    const int fd =
        ::open(Beside(names, names.file).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) return ::close(fd) == 0;
    if (errno != EEXIST) return false;
  }
  errno = EEXIST;
  return false;
}

// The name a file of this write takes beside the path; none for other files.
std::optional<std::string> FinalName(const WriteNames& names, const std::string& entry) {
  if (entry.starts_with(names.file)) return names.finalFile + entry.substr(names.file.size());
  if (entry.starts_with(names.stem + ".")) return names.finalStem + entry.substr(names.stem.size());
  return std::nullopt;
}

using Renames = std::vector<std::pair<fs::path, fs::path>>;

// Every file of the write still under its temporary name, with the name it
// takes.
Renames TemporaryFiles(const WriteNames& names) {
  Renames files;
  std::error_code error;
  fs::directory_iterator entry(names.folder.empty() ? fs::path(".") : names.folder, error);
  for (; !error && entry != fs::directory_iterator(); entry.increment(error)) {
    const std::optional<std::string> final = FinalName(names, entry->path().filename().string());
    if (final) files.emplace_back(entry->path(), names.folder / *final);
  }
  return files;
}

void RemoveTemporaryFiles(const WriteNames& names) {
  for (const auto& [temporary, final] : TemporaryFiles(names)) {
    std::error_code ignored;
    fs::remove(temporary, ignored);
  }
}

// The grid over the path first, then its sidecars. False with errno set at
// the first rename that fails.
bool MoveIntoPlace(const Renames& files, const WriteNames& names, const std::string& path) {
  if (::rename(Beside(names, names.file).c_str(), path.c_str()) != 0) return false;
  for (const auto& [temporary, final] : files) {
    if (temporary.filename() == names.file) continue;
    if (::rename(temporary.c_str(), final.c_str()) != 0) return false;
  }
  return true;
}

// The other files of the dataset the path holds now: left beside the new
// grid they would describe it wrongly (a .prj claiming a coordinate system
// the new grid has not).
std::vector<fs::path> SidecarsOfDatasetAt(const std::string& path) {
  GdalFailureCapture quiet;
  Dataset existing(
      GDALOpenEx(path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, nullptr, nullptr, nullptr));
  if (!existing) return {};
  const fs::path target = fs::path(path).lexically_normal();
  const CPLStringList listed(GDALGetFileList(existing.get()));
  std::vector<fs::path> sidecars;
  for (int k = 0; k < listed.size(); ++k) {
    const fs::path file = fs::path(listed[k]).lexically_normal();
    if (file != target && file.parent_path() == target.parent_path()) sidecars.push_back(file);
  }
  return sidecars;
}

void RemoveReplacedSidecars(const std::vector<fs::path>& sidecars, const Renames& written) {
  for (const fs::path& sidecar : sidecars) {
    const auto rewritten = [&](const auto& file) {
      return file.second.filename() == sidecar.filename();
    };
    if (std::any_of(written.begin(), written.end(), rewritten)) continue;
    std::error_code ignored;
    fs::remove(sidecar, ignored);
  }
}

// Renames the written files over the path's and removes the old dataset's
// sidecars the new grid has not. 0 when done; 1 with the reason, the
// temporary files removed.
int PutInPlace(const WriteNames& names, const std::string& path, std::string& reason) {
  const std::vector<fs::path> replaced = SidecarsOfDatasetAt(path);
  const Renames written = TemporaryFiles(names);
  if (!MoveIntoPlace(written, names, path)) {
    reason = std::strerror(errno);
    RemoveTemporaryFiles(names);
    return 1;
  }
  RemoveReplacedSidecars(replaced, written);
  return 0;
}

// GDAL's words name the temporary file; the user knows the path.
std::string InTermsOfPath(std::string message, const WriteNames& names) {
  for (const auto& [temporary, final] :
       {std::pair{names.file, names.finalFile}, std::pair{names.stem, names.finalStem}}) {
    for (std::size_t at = message.find(temporary); at != std::string::npos;
         at = message.find(temporary, at + final.size())) {
      message.replace(at, temporary.size(), final);
    }
  }
  return message;
}

}  // namespace

std::string GridFormatProblem(const std::string& driverName) {
  if (GridDriver(driverName) != nullptr) return "";
  const std::string accepted = "; accepted: " + AcceptedFormats();
  if (GDALGetDriverByName(driverName.c_str()) == nullptr) {
    return "unknown grid format " + driverName + accepted;
  }
  return "grid format " + driverName + " cannot write files of floating-point values" + accepted;
}

std::string CrsProblem(const std::string& crs) {
  if (ReadCrs(crs)) return "";
  return "unknown coordinate system \"" + crs + "\"";
}

std::string GridFileExtension(const std::string& driverName) {
  GDALAllRegister();
  GDALDriverH driver = GDALGetDriverByName(driverName.c_str());
  if (driver == nullptr) return ".dat";
  // Some drivers (COG, SAGA) name their extensions only in the list.
  for (const char* item : {GDAL_DMD_EXTENSION, GDAL_DMD_EXTENSIONS}) {
    const char* listed = GDALGetMetadataItem(driver, item, nullptr);
    const std::string first =
        listed != nullptr ? std::string(listed).substr(0, std::string_view(listed).find(' ')) : "";
    if (!first.empty()) return "." + first;
  }
  return ".dat";
}

int WriteGridFile(const std::string& path, const std::string& driverName, const NodeGrid& nodes,
                  double west, double south, const std::string& crs, std::string& reason) {
  GDALDriverH driver = GridDriver(driverName);
  std::optional<OGRSpatialReference> reference = crs.empty() ? std::nullopt : ReadCrs(crs);
  reason = driver == nullptr ? GridFormatProblem(driverName) : GridShapeProblem(nodes);
  if (reason.empty() && !crs.empty() && !reference) reason = CrsProblem(crs);
  if (!reason.empty()) return 1;
  WriteNames names;
  if (!ReserveNames(path, names)) {
    reason = std::strerror(errno);
    return 1;
  }
  const std::string failure = WriteThroughDriver(driver, Beside(names, names.file), nodes, west,
                                                 south, reference ? &*reference : nullptr);
  if (!failure.empty()) {
    RemoveTemporaryFiles(names);
    reason = InTermsOfPath(failure, names);
    return 1;
  }
  return PutInPlace(names, path, reason);
}

}  // namespace zelvo
