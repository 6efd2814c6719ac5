#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <optional>
#include <sstream>

#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include "export/point_file.h"
#include "support/temp_dir.h"

namespace zelvo {
namespace {

using Row = std::array<std::optional<double>, 10>;
constexpr std::size_t kPoints = 1200;
constexpr std::array<std::vector<double> PointRecords::*, 10> kColumns = {
    &PointRecords::x,    &PointRecords::y,      &PointRecords::point, &PointRecords::quantity,
    &PointRecords::hgqx, &PointRecords::hgqy,   &PointRecords::hgq,   &PointRecords::Rq,
    &PointRecords::rq,   &PointRecords::npoints};
const std::vector<std::string> kFieldNames = {"x",    "y",   "point",  "quantity", "hgqx",
                                              "hgqy", "hgq", "Rq_fit", "rq",       "npoints"};

// 40 by 30 stations 0.01 degrees apart from the south-west corner, values
// from 1e-9 to 1e6 with every mantissa bit used, so any rounding on the way
// shows; one residual and one magnitude are not finite.
PointRecords SurveyInDegrees(double west = 15.123456789, double south = 48.987654321) {
  PointRecords r;
  for (std::size_t k = 0; k < kPoints; ++k) {
    const double i = static_cast<double>(k), q = 980000.0 + std::sqrt(i + 2.0);
    const std::array<double, 10> record = {
        west + 0.01 * static_cast<double>(k % 40), south + 0.01 * static_cast<double>(k / 40),
        1001.0 + i, q, 1e-9 * std::sin(i + 1.0), -1.0 / (i + 3.0), 1e-3 * std::cbrt(i + 0.5),
        std::nextafter(q, 0.0), q - std::nextafter(q, 0.0), 3.0 + static_cast<double>(k % 17)};
    for (std::size_t c = 0; c < kColumns.size(); ++c) (r.*kColumns[c]).push_back(record[c]);
  }
  r.rq[7] = std::numeric_limits<double>::quiet_NaN();
  r.hgq[8] = std::numeric_limits<double>::infinity();
  return r;
}

std::uint64_t Bits(double value) { return std::bit_cast<std::uint64_t>(value); }

// Bit for bit; a value that is not finite must come back as none.
void ExpectRecord(const Row& row, const PointRecords& records, std::size_t k) {
  for (std::size_t c = 0; c < kColumns.size(); ++c) {
    const double written = (records.*kColumns[c])[k];
    const auto expected = std::isfinite(written) ? std::optional(Bits(written)) : std::nullopt;
    EXPECT_EQ(row[c] ? std::optional(Bits(*row[c])) : std::nullopt, expected)
        << kFieldNames[c] << " of record " << k << ": " << row[c].value_or(NAN) << " for "
        << written;
  }
}

std::optional<double> ParsedField(const std::string& text) {
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  return names;
}

TEST(PointFile, CsvHoldsEveryDoubleInItsShortestTextUnderTheHeader) {
  const testing::TempDir dir;
  const PointRecords records = SurveyInDegrees();
  std::string reason;
  ASSERT_EQ(WritePointFile(dir.File("survey.csv"), records, "EPSG:4326", reason), 0) << reason;
  EXPECT_EQ(FilesIn(dir.path()), std::vector<std::string>{"survey.csv"});

  std::istringstream text(testing::ReadFile(dir.File("survey.csv")));
  std::string line;
  std::getline(text, line);
  EXPECT_EQ(line, "x,y,point,quantity,hgqx,hgqy,hgq,Rq_fit,rq,npoints");
  std::size_t k = 0;
  for (; std::getline(text, line) && k < kPoints; ++k) {
    Row row;
    std::istringstream fields(line + ",");
    std::string field;
    for (std::size_t c = 0; c < row.size() && std::getline(fields, field, ','); ++c) {
      row[c] = ParsedField(field);
    }
    ExpectRecord(row, records, k);
  }
  EXPECT_EQ(k, kPoints);
  EXPECT_TRUE(text.eof());
}

struct Feature {
  Row values;
  double x = NAN, y = NAN;
};

struct Layer {
  std::string name;
  std::vector<std::string> fields;
  std::string crsCode;
  std::vector<Feature> features;
};

Layer ReadLayer(const std::string& path) {
  GDALAllRegister();
  Layer read;
  const GDALDatasetUniquePtr dataset(GDALDataset::Open(path.c_str(), GDAL_OF_VECTOR));
  if (dataset == nullptr || dataset->GetLayerCount() != 1) return read;
  OGRLayer& layer = *dataset->GetLayer(0);
  read.name = layer.GetName();
  const OGRFeatureDefn& definition = *layer.GetLayerDefn();
  for (int f = 0; f < definition.GetFieldCount(); ++f) {
    read.fields.push_back(definition.GetFieldDefn(f)->GetNameRef());
  }
  const OGRSpatialReference* srs = layer.GetSpatialRef();
  const char* code = srs != nullptr ? srs->GetAuthorityCode(nullptr) : nullptr;
  if (code != nullptr) read.crsCode = code;
  if (read.fields.size() != kFieldNames.size()) return read;
  for (const auto& source : layer) {
    Feature& feature = read.features.emplace_back();
    for (int c = 0; c < static_cast<int>(feature.values.size()); ++c) {
      if (source->IsFieldSetAndNotNull(c)) feature.values[c] = source->GetFieldAsDouble(c);
    }
    if (const OGRGeometry* geometry = source->GetGeometryRef()) {
      feature.x = geometry->toPoint()->getX();
      feature.y = geometry->toPoint()->getY();
    }
  }
  return read;
}

// Near the prime meridian longitudes are small, where a fixed count of
// decimals would drop bits; ETRS89 is named by its code in every format.
TEST(PointFile, GisFormatsHoldEveryFeatureBitForBit) {
  const testing::TempDir dir;
  using Survey = std::pair<PointRecords, std::string>;
  for (const auto& [records, crs] : {Survey{SurveyInDegrees(), "4326"},
                                     Survey{SurveyInDegrees(-0.123456789, 51.47654321), "4258"}}) {
    for (const char* name : {"survey.gpkg", "survey.fgb", "survey.geojson"}) {
      SCOPED_TRACE(std::string(name) + " in EPSG:" + crs);
      std::string reason;
      // The second survey replaces the first.
      ASSERT_EQ(WritePointFile(dir.File(name), records, "EPSG:" + crs, reason), 0) << reason;
      const Layer layer = ReadLayer(dir.File(name));
      EXPECT_EQ(layer.name, "survey");
      EXPECT_EQ(layer.fields, kFieldNames);
      EXPECT_EQ(layer.crsCode, crs);
      ASSERT_EQ(layer.features.size(), kPoints);
      // A spatial index may reorder the features; the point identifier finds each.
      std::vector<bool> seen(kPoints);
      for (const Feature& feature : layer.features) {
        const std::size_t k = static_cast<std::size_t>(feature.values[2].value_or(0.0) - 1001.0);
        ASSERT_TRUE(k < kPoints && !seen[k]) << "point " << feature.values[2].value_or(0.0);
        seen[k] = true;
        ExpectRecord(feature.values, records, k);
        EXPECT_EQ(Bits(feature.x), Bits(records.x[k])) << "position of point " << k;
        EXPECT_EQ(Bits(feature.y), Bits(records.y[k])) << "position of point " << k;
      }
    }
  }
  EXPECT_EQ(FilesIn(dir.path()).size(), 3u) << "a temporary file is left";
}

TEST(PointFile, FormatIsChosenByTheExtensionInAnyCase) {
  for (const char* accepted : {"a.csv", "b.GPKG", "c.Fgb", "d/e.GeoJSON"}) {
    EXPECT_EQ(PointFormatProblem(accepted), "") << accepted;
  }
  EXPECT_EQ(PointFormatProblem("out.xyz"),
            "unknown point file extension .xyz; accepted: .csv, .gpkg, .fgb, .geojson");
  EXPECT_EQ(PointFormatProblem("dir.d/out"),
            "point file name dir.d/out has no extension; accepted: .csv, .gpkg, .fgb, .geojson");

  const testing::TempDir dir;
  std::string reason;
  EXPECT_EQ(WritePointFile(dir.File("out.xyz"), SurveyInDegrees(), "", reason), 1);
  EXPECT_EQ(reason, PointFormatProblem("out.xyz"));
  // Drivers refuse to create over a file they do not know; it is replaced.
  dir.Write("upper.GPKG", "earlier bytes");
  EXPECT_EQ(WritePointFile(dir.File("upper.GPKG"), SurveyInDegrees(), "", reason), 0) << reason;
  EXPECT_EQ(ReadLayer(dir.File("upper.GPKG")).features.size(), kPoints);
  EXPECT_EQ(FilesIn(dir.path()), std::vector<std::string>{"upper.GPKG"});
}

// Missing folders, a folder where the file goes, coordinate systems GDAL or
// GeoJSON cannot name; an earlier file stays as it was.
TEST(PointFile, FailedWriteLeavesNoFileAndSaysWhy) {
  const testing::TempDir dir;
  const PointRecords records = SurveyInDegrees();
  const std::string kept = dir.Write("kept.gpkg", "earlier bytes");
  std::filesystem::create_directory(dir.File("taken.fgb"));
  const std::string codeless = "+proj=tmerc +lon_0=15.3 +k=0.9999 +x_0=500000 +ellps=bessel";
  for (const auto& [path, crs] : std::vector<std::pair<std::string, std::string>>{
           {dir.File("missing/out.csv"), ""}, {dir.File("missing/out.gpkg"), "EPSG:4326"},
           {dir.File("missing/out.fgb"), ""}, {dir.File("missing/out.geojson"), ""},
           {dir.File("taken.fgb"), "EPSG:4326"}, {kept, "EPSG:nowhere"},
           {dir.File("out.geojson"), codeless}}) {
    SCOPED_TRACE(path + " in " + crs);
    std::string reason;
    EXPECT_EQ(WritePointFile(path, records, crs, reason), 1);
    EXPECT_NE(reason, "");
  }
  EXPECT_EQ(testing::ReadFile(kept), "earlier bytes");
  std::vector<std::string> left = FilesIn(dir.path());
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"kept.gpkg", "taken.fgb"}));
}

}  // namespace
}  // namespace zelvo
