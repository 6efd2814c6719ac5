#pragma once

#include "app/control.h"

namespace zelvo {

class WindowServices;

// The check of a parameter's field when the user leaves it: a problem is
// shown as an error and the focus goes back to the field. True when the
// field may be left.
bool CheckFieldOnLeaving(WindowServices& window, Control field);

}  // namespace zelvo
