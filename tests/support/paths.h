#pragma once

#include <string>

namespace zelvo::testing {

// The shipped examples folder and the built batch program.
std::string ExamplesDir();
std::string BatchProgram();

}  // namespace zelvo::testing
