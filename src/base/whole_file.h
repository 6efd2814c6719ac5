#pragma once

#include <cstddef>
#include <string>

namespace zelvo {

// Writes the bytes to a fresh file beside the path and renames it over the
// path only when every byte is written, synced and closed, so a failure
// leaves whatever was there before. 0 when written; 1 with the reason (the
// system's words for the error) when not.
int WriteWholeFile(const std::string& path, const void* data, std::size_t size,
                   std::string& reason);

}  // namespace zelvo
