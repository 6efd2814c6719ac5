#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

namespace zelvo {

// Appends the run of decimal digits starting at p to `mantissa`, modulo 2^64
// (a run too long for an exact mantissa is told by its length, not its value),
// and returns where the run ends. Eight bytes are examined at a time while
// eight remain before `end`: integer arithmetic only, so the mantissa is the
// one a digit-by-digit loop gives.
inline const char* AppendDigitRun(const char* p, const char* end, std::uint64_t& mantissa) {
  if constexpr (std::endian::native == std::endian::little) {
    constexpr std::uint64_t kEach = 0x0101010101010101ULL;
    static constexpr std::uint64_t kScale[] = {1,      10,      100,      1000,     10000,
                                               100000, 1000000, 10000000, 100000000};
    while (end - p >= 8) {
      std::uint64_t bytes;
      std::memcpy(&bytes, p, 8);
      // A byte is a digit when its high nibble is 3 and its low nibble below 10.
      const std::uint64_t notDigit = ((bytes & (0xF0 * kEach)) ^ (0x30 * kEach)) |
                                     (((bytes & (0x0F * kEach)) + 0x06 * kEach) & (0xF0 * kEach));
      const int count = notDigit == 0 ? 8 : std::countr_zero(notDigit) / 8;
      if (count == 0) return p;
      // The digits' values moved to the high bytes, zeros (leading zero digits)
      // shifted in below; a borrow from a later byte only reaches bytes shifted out.
      std::uint64_t value = (bytes - 0x30 * kEach) << (8 * (8 - count));
      value = value * 10 + (value >> 8);
      value = (((value & 0x000000FF000000FFULL) * (100 + (1000000ULL << 32))) +
               (((value >> 16) & 0x000000FF000000FFULL) * (1 + (10000ULL << 32)))) >>
              32;
      mantissa = mantissa * kScale[count] + value;
      p += count;
      if (count < 8) return p;
    }
  }
  unsigned digit;
  while (p != end && (digit = static_cast<unsigned char>(*p) - '0') < 10) {
    mantissa = mantissa * 10 + digit;
    ++p;
  }
  return p;
}

}  // namespace zelvo
