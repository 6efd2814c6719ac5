#pragma once

#include <cstdint>
#include <vector>

namespace zelvo {

// Binary files keep their numbers little-endian whatever the machine.
inline std::uint64_t LoadLittleEndian(const std::uint8_t* p, int bytes) {
  std::uint64_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | p[i];
  return value;
}

inline void StoreLittleEndian(std::uint8_t* p, int bytes, std::uint64_t value) {
  for (int i = 0; i < bytes; ++i) p[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

inline void AppendLittleEndian(std::vector<std::uint8_t>& out, std::uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

}  // namespace zelvo
