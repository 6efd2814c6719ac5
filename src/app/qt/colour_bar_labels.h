#pragma once

#include <string>
#include <vector>

namespace zelvo {

// A labelled meeting point of two colour classes: boundary k (1 .. 39) is
// the upper end of class k.
struct ColourBarLabel {
  int boundary;
  std::string text;
};

// Every stride-th boundary counted from the mean's (the upper end of class
// 21), with its value in the decimals the spacing of the labels needs.
std::vector<ColourBarLabel> ColourBarLabels(double mean, double sigma, int stride);

// The finest stride of 5, 10 or 20 classes whose labels keep one and a half
// label heights apart on a bar whose classes are classHeight apart; 20 when
// none does.
int ColourBarStride(double classHeight, double labelHeight);

}  // namespace zelvo
