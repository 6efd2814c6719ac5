#pragma once

#include <string>
#include <string_view>

namespace zelvo {

// The name with its extension (from the last "." after the last "\", "/" or
// ":") replaced by the suffix, or with the suffix appended when it has none.
std::string ReplaceExtension(std::string_view fileName, std::string_view suffix);

// "out.dat" -> "out_trace_out.xyz".
std::string TraceFileName(std::string_view resultFileName);

// True when both names reach one existing file (through links, "./" or
// another spelling).
bool SameExistingFile(const std::string& a, const std::string& b);

// True when writing the output file would destroy the input or the subset
// file (empty: none) that the run reads.
bool OverwritesAnInput(const std::string& output, const std::string& input,
                       const std::string& subset);

}  // namespace zelvo
