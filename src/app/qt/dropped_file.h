#pragma once

#include <optional>
#include <string>

class QMimeData;

namespace zelvo {

// The local file a drag carries, when it carries exactly one and that is no
// folder: several files leave open which one is the input.
std::optional<std::string> DroppedFile(const QMimeData* data);

}  // namespace zelvo
