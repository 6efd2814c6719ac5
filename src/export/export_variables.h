#pragma once

#include <vector>
#include <string>

#include "io/result_table.h"

namespace zelvo {

// A variable that can be exported as a grid or a map: its name as the user
// writes it, its column of the result rows, and the stem of its file names,
// distinct from every other stem even where case does not count (Rq, rq).
struct ExportVariable {
  const char* name;
  int column;
  const char* fileStem;
};

inline constexpr ExportVariable kExportVariables[] = {
    {"quantity", kColQuantity, "quantity"}, {"hgqx", kColHgqx, "hgqx"},
    {"hgqy", kColHgqy, "hgqy"},             {"hgq", kColHgq, "hgq"},
    {"Rq", kColRq, "rq_fitted"},            {"rq", kColRqResidual, "rq_residual"},
};

inline constexpr const char* kAllExportVariables = "quantity,hgqx,hgqy,hgq,Rq,rq";

// The variables of a comma-separated list, in its order; empty with the
// problem set when a name is none of them.
std::vector<ExportVariable> ParseExportVariables(const std::string& list, std::string& problem);

}  // namespace zelvo
