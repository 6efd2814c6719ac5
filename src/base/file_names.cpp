#include "base/file_names.h"

#include <sys/stat.h>

namespace zelvo {

std::string ReplaceExtension(std::string_view fileName, std::string_view suffix) {
  const std::size_t separator = fileName.find_last_of("\\/:");
  const std::size_t dot = fileName.rfind('.');
  const bool hasExtension =
      dot != std::string_view::npos && (separator == std::string_view::npos || dot > separator);
  std::string out(hasExtension ? fileName.substr(0, dot) : fileName);
  out += suffix;
  return out;
}

std::string TraceFileName(std::string_view resultFileName) {
  return ReplaceExtension(resultFileName, "_trace_out.xyz");
}

bool SameExistingFile(const std::string& a, const std::string& b) {
  struct stat first {}, second {};
  return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 &&
         first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

bool OverwritesAnInput(const std::string& output, const std::string& input,
                       const std::string& subset) {
  return SameExistingFile(output, input) || (!subset.empty() && SameExistingFile(output, subset));
}

}  // namespace zelvo
