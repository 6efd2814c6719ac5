#include "support/paths.h"

namespace zelvo::testing {

std::string ExamplesDir() { return ZELVO_EXAMPLES_DIR; }
std::string BatchProgram() { return ZELVO_BATCH_PROGRAM; }

}  // namespace zelvo::testing
