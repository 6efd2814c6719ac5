// The command line of zelvo-batch, one argument per NUL-separated piece,
// also read over a start as a settings file would give it.
#include <cstdint>
#include <string>
#include <vector>

#include "batch/batch_options.h"
#include "fuzz_bytes.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  zelvo::FuzzBytes bytes(data, size);
  const bool withSettings = (bytes.TakeByte() & 1) != 0;
  const std::vector<std::string> arguments = zelvo::ArgumentsOf(bytes.Rest());
  zelvo::BatchOptions start;
  if (withSettings) start.settingsFileName = "zelvo.cfg";
  const zelvo::ParsedCommandLine parsed = zelvo::ParseBatchCommandLine(arguments, start);
  (void)zelvo::WantsExports(parsed.options);
  for (const std::string& argument : arguments) {
    (void)zelvo::ParseColumnLetters(argument);
    (void)zelvo::ParsePaneVariable(argument);
    (void)zelvo::ParseCenterMode(argument);
  }
  return 0;
}
