#pragma once

#include <string>
#include <vector>

namespace zelvo {

// The smallest of 1, 2 or 5 times a power of ten that is at least minimum
// (a positive number).
double RoundStepAtLeast(double minimum);

// The round step after step in the series 1, 2, 5, 10, 20, ...
double NextRoundStep(double step);

// The multiples of step from low to high, both ends included.
std::vector<double> MultiplesWithin(double low, double high, double step);

// Decimals enough to show values spacing apart with that many significant
// digits of the spacing.
int DecimalsFor(double spacing, int significantDigits);

// The value in fixed notation with a typographic minus; no "-0".
std::string LabelText(double value, int decimals);

}  // namespace zelvo
