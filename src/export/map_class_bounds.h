#pragma once

namespace zelvo {

// The colour classes of the preview scale meet at kClassBoundaries values,
// the upper ends of classes 1 to 39; class 40 is open above, class 1 below.
inline constexpr int kClassBoundaries = 39;

// The value where colour class colourClass (1 .. 39) ends and the next one
// begins, for the mean and sigma ColourClass was given.
double ClassUpperBound(int colourClass, double mean, double sigma);

}  // namespace zelvo
