#pragma once

#include "platform/dialog_template.h"

namespace pensettings {

// Dialog 102: the settings tool's only window.
const platform::DialogTemplate& LumeraSetDialogTemplate();

} // namespace pensettings
