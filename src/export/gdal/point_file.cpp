#include "export/point_file.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <string_view>

#include <fcntl.h>
#include <unistd.h>

#include <cpl_error.h>
#include <gdal_priv.h>
#include <ogr_feature.h>
#include <ogr_geometry.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include "base/whole_file.h"
#include "export/gdal/gdal_failure.h"

namespace zelvo {
namespace {

constexpr std::string_view kAcceptedExtensions = ".csv, .gpkg, .fgb, .geojson";

// CSV and GeoJSON are text written here, every double in its shortest exact
// form: GDAL's GeoJSON writer trims digits where it sees runs of 0s or 9s,
// which changes the double. The binary formats go through their OGR driver.
enum class PointWriter { kCsv, kGeoJson, kOgr };
struct PointFormat {
  std::string_view extension;
  PointWriter writer;
  const char* driverName;
};
constexpr std::array<PointFormat, 4> kPointFormats{{
    {".csv", PointWriter::kCsv, nullptr},
    {".gpkg", PointWriter::kOgr, "GPKG"},
    {".fgb", PointWriter::kOgr, "FlatGeobuf"},
    {".geojson", PointWriter::kGeoJson, nullptr},
}};

struct NamedColumn {
  const char* name;
  const std::vector<double>* values;
};

// One table for the CSV header, the GeoJSON properties and the OGR fields.
// The fitted value is
// "Rq_fit" because GeoPackage and most GIS readers take field names
// without regard to case, where "Rq" and "rq" would be one field.
std::array<NamedColumn, 10> NamedColumns(const PointRecords& records) {
  return {{{"x", &records.x},
           {"y", &records.y},
           {"point", &records.point},
           {"quantity", &records.quantity},
           {"hgqx", &records.hgqx},
           {"hgqy", &records.hgqy},
           {"hgq", &records.hgq},
           {"Rq_fit", &records.Rq},
           {"rq", &records.rq},
           {"npoints", &records.npoints}}};
}

bool ColumnsAgree(const PointRecords& records) {
  for (const NamedColumn& column : NamedColumns(records)) {
    if (column.values->size() != records.x.size()) return false;
  }
  return true;
}

std::string LowerCase(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

const PointFormat* FormatOf(const std::string& path) {
  const std::string extension = LowerCase(std::filesystem::path(path).extension().string());
  for (const PointFormat& format : kPointFormats) {
    if (format.extension == extension) return &format;
  }
  return nullptr;
}

// The shortest text that reads back to the same double, "." whatever the
// locale.
void AppendShortest(double finite, std::string& text) {
  char digits[32];
  const std::to_chars_result written = std::to_chars(digits, digits + sizeof digits, finite);
  text.append(digits, written.ptr);
}

// An empty text claims none and leaves the reference empty.
int ReadCrs(const std::string& crs, OGRSpatialReference& srs, std::string& reason) {
  if (crs.empty()) return 0;
  const GdalFailureCapture capture;
  if (srs.SetFromUserInput(crs.c_str()) == OGRERR_NONE) {
    srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    return 0;
  }
  reason = "coordinate system " + crs + " not understood: " + capture.Reason("no such definition");
  return 1;
}

// A value that is not finite is left as an empty field, which no reader
// takes for a number.
void AppendCsvNumber(double value, std::string& text) {
  if (std::isfinite(value)) AppendShortest(value, text);
}

std::string CsvText(const PointRecords& records) {
  const std::array<NamedColumn, 10> columns = NamedColumns(records);
  std::string text;
  text.reserve((records.x.size() + 1) * columns.size() * 20);
  for (std::size_t c = 0; c < columns.size(); ++c) {
    if (c > 0) text += ',';
    text += columns[c].name;
  }
  text += '\n';
  for (std::size_t k = 0; k < records.x.size(); ++k) {
    for (std::size_t c = 0; c < columns.size(); ++c) {
      if (c > 0) text += ',';
      AppendCsvNumber((*columns[c].values)[k], text);
    }
    text += '\n';
  }
  return text;
}

int WriteCsv(const std::string& path, const PointRecords& records, std::string& reason) {
  const std::string text = CsvText(records);
  return WriteWholeFile(path, text.data(), text.size(), reason);
}

// A file without a crs member is read as WGS 84 longitude, latitude; any
// other coordinate system is named by its authority code, which is how GDAL
// reads one. 0 with the member (empty when none is due); 1 with the reason.
int GeoJsonCrsMember(const std::string& crs, std::string& member, std::string& reason) {
  member.clear();
  if (crs.empty()) return 0;
  OGRSpatialReference srs;
  if (ReadCrs(crs, srs, reason) != 0) return 1;
  {
    const GdalFailureCapture quiet;
    srs.AutoIdentifyEPSG();
  }
  const char* authority = srs.GetAuthorityName(nullptr);
  const char* code = srs.GetAuthorityCode(nullptr);
  if (authority == nullptr || code == nullptr) {
    reason = "coordinate system " + crs + " has no authority code for GeoJSON to name it by";
    return 1;
  }
  if (std::string_view(authority) == "EPSG" && std::string_view(code) == "4326") return 0;
  member = std::string(R"("crs":{"type":"name","properties":{"name":"urn:ogc:def:crs:)") +
           authority + "::" + code + "\"}},\n";
  return 0;
}

void AppendJsonNumber(double value, std::string& text) {
  if (std::isfinite(value)) {
    AppendShortest(value, text);
  } else {
    text += "null";
  }
}

void AppendGeoJsonFeature(const std::array<NamedColumn, 10>& columns, std::size_t k,
                          std::string& text) {
  text += R"({"type":"Feature","properties":{)";
  for (std::size_t c = 0; c < columns.size(); ++c) {
    if (c > 0) text += ',';
    text += '"';
    text += columns[c].name;
    text += "\":";
    AppendJsonNumber((*columns[c].values)[k], text);
  }
  const double x = (*columns[0].values)[k];
  const double y = (*columns[1].values)[k];
  if (!std::isfinite(x) || !std::isfinite(y)) {
    text += R"(},"geometry":null})";
    return;
  }
  text += R"(},"geometry":{"type":"Point","coordinates":[)";
  AppendShortest(x, text);
  text += ',';
  AppendShortest(y, text);
  text += "]}}";
}

// One feature a line, so the file stays readable in a text editor.
std::string GeoJsonText(const PointRecords& records, const std::string& crsMember) {
  const std::array<NamedColumn, 10> columns = NamedColumns(records);
  std::string text;
  text.reserve(records.x.size() * 400 + 200);
  text += "{\"type\":\"FeatureCollection\",\n" + crsMember + "\"features\":[\n";
  for (std::size_t k = 0; k < records.x.size(); ++k) {
    if (k > 0) text += ",\n";
    AppendGeoJsonFeature(columns, k, text);
  }
  text += "\n]}\n";
  return text;
}

int WriteGeoJson(const std::string& path, const PointRecords& records, const std::string& crs,
                 std::string& reason) {
  std::string crsMember;
  if (GeoJsonCrsMember(crs, crsMember, reason) != 0) return 1;
  const std::string text = GeoJsonText(records, crsMember);
  return WriteWholeFile(path, text.data(), text.size(), reason);
}

// A free name of this process beside the path, with the same extension
// since drivers check it; the driver's Create would delete a file already
// there. 0 when found; 1 with the reason.
int TemporaryBeside(const std::string& path, std::string& temporary, std::string& reason) {
  const std::filesystem::path target(path);
  // SQLite tells a folder it may not write only as "unable to open database
  // file": the system's reason is had here, before the driver is asked.
  const std::string folder = target.has_parent_path() ? target.parent_path().string() : ".";
  if (::access(folder.c_str(), W_OK | X_OK) != 0) {
    reason = std::strerror(errno);
    return 1;
  }
  const std::string base = std::filesystem::path(target).replace_extension().string();
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary = base + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(attempt) +
                target.extension().string();
    if (::access(temporary.c_str(), F_OK) == 0) continue;
    if (errno == ENOENT) return 0;
    reason = std::strerror(errno);
    return 1;
  }
  reason = std::strerror(EEXIST);
  return 1;
}

// GeoPackage is SQLite: a failed write may leave its journal files beside.
void RemoveWithSidecars(const std::string& file) {
  for (const char* suffix : {"", "-journal", "-wal", "-shm"}) ::unlink((file + suffix).c_str());
}

// The drivers close without syncing; the rename must not publish a file
// whose bytes are still only in the cache.
bool SyncToDisk(const std::string& file) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool synced = ::fsync(fd) == 0;
  const int error = errno;
  ::close(fd);
  errno = error;
  return synced;
}

int CreateFields(OGRLayer& layer, const std::array<NamedColumn, 10>& columns) {
  for (const NamedColumn& column : columns) {
    OGRFieldDefn field(column.name, OFTReal);
    if (layer.CreateField(&field) != OGRERR_NONE) return 1;
  }
  return 0;
}

// Non-finite values and positions are written as nulls, which every format
// can hold.
void FillFeature(OGRFeature& feature, const std::array<NamedColumn, 10>& columns, std::size_t k) {
  for (std::size_t c = 0; c < columns.size(); ++c) {
    const double value = (*columns[c].values)[k];
    if (std::isfinite(value)) {
      feature.SetField(static_cast<int>(c), value);
    } else {
      feature.SetFieldNull(static_cast<int>(c));
    }
  }
  const double x = (*columns[0].values)[k];
  const double y = (*columns[1].values)[k];
  if (std::isfinite(x) && std::isfinite(y)) {
    const OGRPoint position(x, y);
    feature.SetGeometry(&position);
  } else {
    feature.SetGeometryDirectly(nullptr);
  }
  feature.SetFID(OGRNullFID);
}

// A single transaction where the format has them: GeoPackage commits once
// instead of once per feature.
int CreateFeatures(GDALDataset& dataset, OGRLayer& layer, const PointRecords& records) {
  const std::array<NamedColumn, 10> columns = NamedColumns(records);
  const bool inTransaction =
      dataset.TestCapability(ODsCTransactions) && dataset.StartTransaction() == OGRERR_NONE;
  OGRFeature feature(layer.GetLayerDefn());
  for (std::size_t k = 0; k < records.x.size(); ++k) {
    FillFeature(feature, columns, k);
    if (layer.CreateFeature(&feature) != OGRERR_NONE) return 1;
  }
  return inTransaction && dataset.CommitTransaction() != OGRERR_NONE ? 1 : 0;
}

int FillDataset(GDALDataset& dataset, const std::string& layerName, const PointRecords& records,
                OGRSpatialReference* srs) {
  OGRLayer* layer = dataset.CreateLayer(layerName.c_str(), srs, wkbPoint);
  if (layer == nullptr || CreateFields(*layer, NamedColumns(records)) != 0) return 1;
  return CreateFeatures(dataset, *layer, records);
}

// The layer is named after the final file, not the temporary one.
int WriteDataset(const std::string& file, const std::string& layerName, const char* driverName,
                 const PointRecords& records, OGRSpatialReference* srs, std::string& reason) {
  GDALAllRegister();
  const GdalFailureCapture capture;
  GDALDriver* driver = GetGDALDriverManager()->GetDriverByName(driverName);
  if (driver == nullptr) {
    reason = std::string("GDAL has no ") + driverName + " driver";
    return 1;
  }
  GDALDatasetUniquePtr dataset(driver->Create(file.c_str(), 0, 0, 0, GDT_Unknown, nullptr));
  const bool filled = dataset != nullptr && FillDataset(*dataset, layerName, records, srs) == 0;
  dataset.reset();
  if (filled && !capture.failed()) return 0;
  reason = capture.Reason("GDAL could not write the file");
  return 1;
}

// Through a temporary name beside the path: the drivers write in place.
int WriteOgr(const std::string& path, const char* driverName, const PointRecords& records,
             const std::string& crs, std::string& reason) {
  OGRSpatialReference srs;
  if (ReadCrs(crs, srs, reason) != 0) return 1;
  std::string temporary;
  if (TemporaryBeside(path, temporary, reason) != 0) return 1;
  const std::string layerName = std::filesystem::path(path).stem().string();
  // A GeoPackage layer without a system is taken as undefined geographic;
  // the undefined Cartesian system claims nothing a projected survey is not.
  if (crs.empty() && std::string_view(driverName) == "GPKG") {
    srs.SetFromUserInput("LOCAL_CS[\"Undefined Cartesian SRS\"]");
  }
  OGRSpatialReference* claimed = crs.empty() && std::string_view(driverName) != "GPKG" ? nullptr : &srs;
  if (WriteDataset(temporary, layerName, driverName, records, claimed, reason) == 0) {
    if (SyncToDisk(temporary) && ::rename(temporary.c_str(), path.c_str()) == 0) return 0;
    reason = std::strerror(errno);
  }
  RemoveWithSidecars(temporary);
  return 1;
}

}  // namespace

std::string PointFormatProblem(const std::string& path) {
  if (FormatOf(path) != nullptr) return "";
  const std::string extension = std::filesystem::path(path).extension().string();
  if (extension.empty()) {
    return "point file name " + path + " has no extension; accepted: " +
           std::string(kAcceptedExtensions);
  }
  return "unknown point file extension " + extension + "; accepted: " +
         std::string(kAcceptedExtensions);
}

int WritePointFile(const std::string& path, const PointRecords& records, const std::string& crs,
                   std::string& reason) {
  const PointFormat* format = FormatOf(path);
  if (format == nullptr) {
    reason = PointFormatProblem(path);
    return 1;
  }
  if (!ColumnsAgree(records)) {
    reason = "the point record columns differ in length";
    return 1;
  }
  switch (format->writer) {
    case PointWriter::kCsv:
      return WriteCsv(path, records, reason);
    case PointWriter::kGeoJson:
      return WriteGeoJson(path, records, crs, reason);
    case PointWriter::kOgr:
      break;
  }
  return WriteOgr(path, format->driverName, records, crs, reason);
}

}  // namespace zelvo
