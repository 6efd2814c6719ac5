#pragma once

#include <array>
#include <cstdint>

#include "preview/preview_grid.h"
#include "preview/preview_image.h"

namespace zelvo {

struct ScaleColour {
  std::uint8_t red, green, blue;
};

// Entry 0 marks blank values; classes 1 to 40 run from blue (low) through
// cyan, green, yellow and red to pink (high).
inline constexpr std::array<ScaleColour, 41> ColourScale = {{
    {255, 255, 255}, {0, 0, 255},   {0, 85, 255},   {0, 127, 255},  {0, 170, 255},
    {0, 212, 255},   {0, 233, 255}, {0, 255, 255},  {0, 255, 200},  {0, 255, 145},
    {0, 255, 63},    {0, 255, 49},  {0, 255, 36},   {0, 255, 0},    {72, 255, 0},
    {99, 255, 0},    {109, 255, 0}, {145, 255, 0},  {182, 255, 0},  {218, 255, 0},
    {255, 255, 0},   {255, 233, 0}, {255, 212, 0},  {255, 191, 0},  {255, 180, 0},
    {255, 170, 0},   {255, 148, 0}, {255, 137, 0},  {255, 127, 0},  {255, 106, 0},
    {255, 85, 0},    {255, 53, 0},  {255, 21, 0},   {255, 0, 0},    {255, 0, 18},
    {255, 0, 36},    {255, 0, 109}, {255, 0, 182},  {255, 11, 218}, {255, 121, 255},
    {255, 159, 255},
}};

inline constexpr std::uint32_t kWhiteColour = 0xFFFFFF;

// The colour class of a value: 0 for blank, else 1 .. 40 on a scale 0.066
// sigma wide per class with the mean in class 21; values beyond either end
// (infinite ones too) take the end classes.
int ColourClass(float value, double mean, double sigma);

// The colour classes meet at kClassBoundaries values, the upper ends of
// classes 1 to 39; class 40 is open above, class 1 below.
inline constexpr int kClassBoundaries = 39;

// The value where colour class colourClass (1 .. 39) ends and the next one
// begins, for the mean and sigma ColourClass is given.
double ClassUpperBound(int colourClass, double mean, double sigma);

// The hill-shaded colour picture of a preview grid, lit from the north-east
// at 45 degrees, 0x00BBGGRR at x*height + y. All white when the grid is not
// Drawable.
PreviewImage RenderShaded(const PreviewGrid& grid);

}  // namespace zelvo
