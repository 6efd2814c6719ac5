#pragma once

#include <QPixmap>

namespace zelvo {

// The decorative picture beside the parameters: a shaded hill, the kind of
// field the tool works on.
QPixmap DecorativePicture();

}  // namespace zelvo
