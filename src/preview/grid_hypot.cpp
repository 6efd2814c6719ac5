#include "preview/grid_hypot.h"

namespace zelvo {
namespace {

// Operands on which other ways of computing hypot part from the one inlined
// here: the plain square root of the sum of squares, the FMA build, and a
// correctly rounded hypot.
struct HypotProbe {
  double x, y;
};
constexpr HypotProbe kHypotProbes[] = {
    {0x1.a0ed60045bf78p+5, -0x1.993bb7158fa7fp+7}, {-0x1.4eec7c714ace6p+7, -0x1.4b4a2c94e080fp+8},
    {-0x1.1270b8fb61491p+8, -0x1.7548ec2eab37p+6}, {0x1.f3348e720ad94p+7, -0x1.1be939604bc6ep+8},
    {0x1.4eebfb71e8118p+8, 0x1.485535231ad76p+8},  {0x1.fe8980935203p+7, 0x1.3b9d896ab87dap+8},
    {0x1.dab9d96801d9cp+6, 0x1.276ce385aae6ap+8},  {-0x1.d5201b1337ad4p+6, -0x1.f07bc467c4e75p+7},
    {-0x1.115b06c7cd4e8p+6, 0x1.d52d1a010ff9cp+6}, {0x1.4334854259612p+8, 0x1.24dab5a1d48ap+8},
    {0x1.37e4963e4e43ep+8, -0x1.e87c2522f8c7ap+6}, {0x1.35bb052dae458p+7, 0x1.06cf6f39a6184p+7},
};

}  // namespace

bool InlineHypotMatchesLibrary() {
  for (const HypotProbe& probe : kHypotProbes) {
    // Read through volatile so that the compiler cannot fold the library
    // call into its own, correctly rounded, constant.
    volatile double x = probe.x;
    volatile double y = probe.y;
    double inlined;
    if (!InlineHypot(x, y, inlined) || inlined != std::hypot(x, y)) return false;
  }
  return true;
}

}  // namespace zelvo
