// The exporters' choices as a user types them: a grid format, a variable
// list, a coordinate system and a point file name, cut at NULs.
#include <cstdint>
#include <string>
#include <vector>

#include "export/export_variables.h"
#include "export/grid_file.h"
#include "export/point_file.h"
#include "fuzz_bytes.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  zelvo::FuzzBytes bytes(data, size);
  // GDAL's driver list and PROJ's database make the grid format and the
  // coordinate system a hundred times slower to check than the rest: they
  // are chosen by the first byte, so that the others run at full speed.
  const std::uint8_t checks = bytes.TakeByte();
  std::vector<std::string> texts = zelvo::ArgumentsOf(bytes.Rest());
  texts.resize(4);
  const std::string& format = texts[0];
  const std::string& variables = texts[1];
  const std::string& crs = texts[2];
  const std::string& pointFile = texts[3];
  if ((checks & 1) != 0) {
    (void)zelvo::GridFormatProblem(format);
    (void)zelvo::GridFileExtension(format);
  }
  std::string problem;
  (void)zelvo::ParseExportVariables(variables, problem);
  // A coordinate system text may name a file; GDAL would go and read it.
  if ((checks & 2) != 0 && crs.find('/') == std::string::npos) (void)zelvo::CrsProblem(crs);
  (void)zelvo::PointFormatProblem(pointFile);
  return 0;
}
