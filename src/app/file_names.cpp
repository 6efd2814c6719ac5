#include "app/file_names.h"

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

}  // namespace zelvo
