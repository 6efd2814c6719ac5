#include "python/run_words.h"

#include <stdexcept>

#include "core/plane_fit.h"

namespace zelvo {
namespace {

std::invalid_argument Refusal(const char* keyword, const char* takes, const std::string& word) {
  return std::invalid_argument(std::string(keyword) + " takes " + takes + ", not '" + word + "'");
}

}  // namespace

int ObjectFromWord(const std::string& word) {
  if (word == "RGA") return 0;
  if (word == "LGA") return 1;
  throw Refusal("object", "RGA or LGA", word);
}

int CenterModeFromWord(const char* keyword, const std::string& word) {
  if (word == "none") return kNotCenter;
  if (word == "area") return kCenterToArea;
  if (word == "point") return kCenterToPoint;
  throw Refusal(keyword, "none, area or point", word);
}

bool StopOnSingularFromWord(const std::string& word) {
  if (word == "continue") return false;
  if (word == "stop") return true;
  throw Refusal("on_singular", "continue or stop", word);
}

}  // namespace zelvo
