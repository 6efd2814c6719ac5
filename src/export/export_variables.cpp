#include "export/export_variables.h"

#include <string_view>

namespace zelvo {

std::vector<ExportVariable> ParseExportVariables(const std::string& list, std::string& problem) {
  std::vector<ExportVariable> variables;
  std::string_view rest = list;
  while (true) {
    const std::size_t comma = rest.find(',');
    const std::string_view name = rest.substr(0, comma);
    const ExportVariable* found = nullptr;
    for (const ExportVariable& variable : kExportVariables) {
      if (name == variable.name) found = &variable;
    }
    if (found == nullptr) {
      problem = "unknown variable '" + std::string(name) + "'; accepted: " + kAllExportVariables;
      return {};
    }
    variables.push_back(*found);
    if (comma == std::string_view::npos) return variables;
    rest.remove_prefix(comma + 1);
  }
}

}  // namespace zelvo
