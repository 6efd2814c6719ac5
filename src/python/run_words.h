#pragma once

#include <string>

namespace zelvo {

// The words a caller chooses a run's options with, the batch tool's own.
// Each throws std::invalid_argument, naming the keyword and what it takes,
// for any other word.

// "RGA" 0 (the fitted value replaces the quantity between passes), "LGA" 1.
int ObjectFromWord(const std::string& word);
// "none", "area", "point": the item index of a centring list.
int CenterModeFromWord(const char* keyword, const std::string& word);
// "continue" false, "stop" true.
bool StopOnSingularFromWord(const std::string& word);

}  // namespace zelvo
