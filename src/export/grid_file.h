#pragma once

#include <string>

#include "preview/preview_grid.h"

namespace zelvo {

// Empty when GDAL has a raster driver of that name that can create files
// holding single-precision values; else what is wrong, with the accepted
// names.
std::string GridFormatProblem(const std::string& driverName);

// Empty when GDAL can read the coordinate system (anything its -a_srs
// takes: EPSG:32633, WKT, a PROJ string); else what is wrong.
std::string CrsProblem(const std::string& crs);

// The usual extension of the driver's files, with its dot (".tif"); ".dat"
// when the driver names none.
std::string GridFileExtension(const std::string& driverName);

// Writes the node grid as one single-precision band through the GDAL driver:
// node (i, j) lies at (west + i*s, south + j*s) and is the centre of its
// pixel, rows run north-up, blank nodes are the band's nodata value. An
// empty crs claims no coordinate system. The file and the sidecars the
// driver writes beside it (.prj, .aux.xml) are written under temporary
// names and renamed, so a failure leaves nothing under the path; sidecars
// of a dataset the path held before and the new one lacks are removed.
// 0 when written; 1 with the reason.
int WriteGridFile(const std::string& path, const std::string& driverName, const NodeGrid& nodes,
                  double west, double south, const std::string& crs, std::string& reason);

}  // namespace zelvo
