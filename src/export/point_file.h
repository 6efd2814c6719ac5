#pragma once

#include <string>
#include <vector>

namespace zelvo {

// Every result record as the result file holds it, at full precision: the
// coordinates as read (the shift removed), the point identifier, the
// quantity as read and the six results.
struct PointRecords {
  std::vector<double> x, y, point, quantity, hgqx, hgqy, hgq, Rq, rq, npoints;
};

// Empty when the file name's extension, in any case, names a format the
// points can be written in (.csv, .gpkg, .fgb, .geojson); else what is
// wrong, with the accepted extensions.
std::string PointFormatProblem(const std::string& path);

// Writes the records as point features (x, y in the input's coordinates,
// the ten values as attributes), the format chosen by the extension. The
// fields, and the CSV header, are x, y, point, quantity, hgqx, hgqy, hgq,
// Rq_fit, rq, npoints: the fitted value is Rq_fit because GIS field names
// ignore case. Every value keeps its full double (CSV and GeoJSON in the
// shortest text that reads back to it); one that is not finite is written
// as an empty CSV field or a null attribute. A non-empty crs (anything
// GDAL's SetFromUserInput takes, such as "EPSG:4326") is claimed by the GIS
// formats, in GeoJSON by its authority code (none written for EPSG:4326,
// which GeoJSON assumes); CSV carries none. Written under a temporary name
// and renamed. 0 when written; 1 with the reason.
int WritePointFile(const std::string& path, const PointRecords& records, const std::string& crs,
                   std::string& reason);

}  // namespace zelvo
