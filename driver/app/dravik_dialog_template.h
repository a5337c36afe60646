#pragma once

#include "platform/dialog_template.h"

namespace driver {

// Dialog 102: the driver's main window, hidden soon after it opens.
const platform::DialogTemplate& DravikDialogTemplate();

} // namespace driver
